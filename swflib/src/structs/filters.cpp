#include "libswf/filters.h"

#include "libswf/exception.h"

#include <bit>
#include <string>
#include <typeinfo>

namespace libswf {

namespace {

float readFloat(SwfIStream& is) {
    return std::bit_cast<float>(is.readU32());
}

void writeFloat(SwfOStream& os, float value) {
    os.writeU32(std::bit_cast<std::uint32_t>(value));
}

[[noreturn]] void refuse(const std::string& reason) {
    throw SwfException(SwfException::ValueOutOfRange, reason);
}

// Whether the filter is exactly of the class the id selects.
bool holdsKind(std::uint8_t id, const SwfGenericFilter& filter) {
    const std::type_info& kind = typeid(filter);
    switch (id) {
    case SwfFilter::DropShadow:
        return kind == typeid(SwfDropShadowFilter);
    case SwfFilter::Blur:
        return kind == typeid(SwfBlurFilter);
    case SwfFilter::Glow:
        return kind == typeid(SwfGlowFilter);
    case SwfFilter::Bevel:
        return kind == typeid(SwfBevelFilter);
    case SwfFilter::GradientGlow:
        return kind == typeid(SwfGradientGlowFilter);
    case SwfFilter::Convolution:
        return kind == typeid(SwfConvolutionFilter);
    case SwfFilter::ColorMatrix:
        return kind == typeid(SwfColorMatrixFilter);
    case SwfFilter::GradientBevel:
        return kind == typeid(SwfGradientBevelFilter);
    default:
        return false;
    }
}

} // namespace

// ---- the fixed-size filters ----------------------------------------------------------------

void SwfDropShadowFilter::read(SwfIStream& is) {
    color = is.readU32();
    blurX = is.readU32();
    blurY = is.readU32();
    angle = is.readU32();
    distance = is.readU32();
    strength = is.readU16();
    flags = is.readU8();
}

void SwfDropShadowFilter::write(SwfOStream& os) const {
    os.writeU32(color);
    os.writeU32(blurX);
    os.writeU32(blurY);
    os.writeU32(angle);
    os.writeU32(distance);
    os.writeU16(strength);
    os.writeU8(flags);
}

void SwfBlurFilter::read(SwfIStream& is) {
    blurX = is.readU32();
    blurY = is.readU32();
    flags = is.readU8();
}

void SwfBlurFilter::write(SwfOStream& os) const {
    os.writeU32(blurX);
    os.writeU32(blurY);
    os.writeU8(flags);
}

void SwfGlowFilter::read(SwfIStream& is) {
    color = is.readU32();
    blurX = is.readU32();
    blurY = is.readU32();
    strength = is.readU16();
    flags = is.readU8();
}

void SwfGlowFilter::write(SwfOStream& os) const {
    os.writeU32(color);
    os.writeU32(blurX);
    os.writeU32(blurY);
    os.writeU16(strength);
    os.writeU8(flags);
}

void SwfBevelFilter::read(SwfIStream& is) {
    shadowColor = is.readU32();
    highlightColor = is.readU32();
    blurX = is.readU32();
    blurY = is.readU32();
    angle = is.readU32();
    distance = is.readU32();
    strength = is.readU16();
    flags = is.readU8();
}

void SwfBevelFilter::write(SwfOStream& os) const {
    os.writeU32(shadowColor);
    os.writeU32(highlightColor);
    os.writeU32(blurX);
    os.writeU32(blurY);
    os.writeU32(angle);
    os.writeU32(distance);
    os.writeU16(strength);
    os.writeU8(flags);
}

void SwfColorMatrixFilter::read(SwfIStream& is) {
    for (float& value : matrix)
        value = readFloat(is);
}

void SwfColorMatrixFilter::write(SwfOStream& os) const {
    for (float value : matrix)
        writeFloat(os, value);
}

// ---- gradient filters ----------------------------------------------------------------------

std::uint32_t SwfGradientFilter::computeSize(const SwfStream&) const {
    // One count byte serves both lists, so they must agree; a gradient needs a colour.
    if (colors.empty())
        refuse(std::string("a ") + name() + " filter has no colours; a gradient needs one");
    if (colors.size() != ratios.size())
        refuse(std::string("a ") + name() + " filter has " + std::to_string(colors.size()) +
               " colours but " + std::to_string(ratios.size()) +
               " ratios; every colour needs its ratio");
    if (colors.size() > 0xFF)
        refuse(std::string("a ") + name() + " filter has " + std::to_string(colors.size()) +
               " colours, more than the 255 its count can hold");
    return 20 + 5 * static_cast<std::uint32_t>(colors.size());
}

void SwfGradientFilter::read(SwfIStream& is) {
    const std::uint8_t count = is.readU8();
    // Refused now, with the reason its write would give, rather than read and then left
    // unsaveable.
    if (count == 0)
        refuse(std::string("a ") + name() + " filter has no colours; a gradient needs one");
    colors.clear();
    ratios.clear();
    for (unsigned i = 0; i < count; ++i)
        colors.push_back(is.readU32());
    for (unsigned i = 0; i < count; ++i)
        ratios.push_back(is.readU8());
    blurX = is.readU32();
    blurY = is.readU32();
    angle = is.readU32();
    distance = is.readU32();
    strength = is.readU16();
    flags = is.readU8();
}

void SwfGradientFilter::write(SwfOStream& os) const {
    os.writeU8(static_cast<std::uint8_t>(colors.size()));
    for (std::uint32_t color : colors)
        os.writeU32(color);
    for (std::uint8_t ratio : ratios)
        os.writeU8(ratio);
    os.writeU32(blurX);
    os.writeU32(blurY);
    os.writeU32(angle);
    os.writeU32(distance);
    os.writeU16(strength);
    os.writeU8(flags);
}

// ---- convolution -----------------------------------------------------------------------------

std::uint32_t SwfConvolutionFilter::computeSize(const SwfStream&) const {
    // The dimensions decide how many values a reader takes, so a list of another length
    // would shift every byte after it.
    const std::size_t expected = std::size_t{matrixX} * matrixY;
    if (matrix.size() != expected)
        refuse("a ConvolutionFilter of " + std::to_string(matrixX) + " x " +
               std::to_string(matrixY) + " needs " + std::to_string(expected) + " values, not " +
               std::to_string(matrix.size()));
    return 15 + 4 * static_cast<std::uint32_t>(expected);
}

void SwfConvolutionFilter::read(SwfIStream& is) {
    matrixX = is.readU8();
    matrixY = is.readU8();
    divisor = readFloat(is);
    bias = readFloat(is);
    // The dimensions are read from the file: a lying pair ends at the body's end.
    matrix.clear();
    const unsigned count = unsigned{matrixX} * matrixY;
    for (unsigned i = 0; i < count; ++i)
        matrix.push_back(readFloat(is));
    defaultColor = is.readU32();
    flags = is.readU8();
}

void SwfConvolutionFilter::write(SwfOStream& os) const {
    os.writeU8(matrixX);
    os.writeU8(matrixY);
    writeFloat(os, divisor);
    writeFloat(os, bias);
    for (float value : matrix)
        writeFloat(os, value);
    os.writeU32(defaultColor);
    os.writeU8(flags);
}

// ---- the list --------------------------------------------------------------------------------

std::shared_ptr<SwfGenericFilter> SwfFilter::create(std::uint8_t id) {
    switch (id) {
    case DropShadow:
        return std::make_shared<SwfDropShadowFilter>();
    case Blur:
        return std::make_shared<SwfBlurFilter>();
    case Glow:
        return std::make_shared<SwfGlowFilter>();
    case Bevel:
        return std::make_shared<SwfBevelFilter>();
    case GradientGlow:
        return std::make_shared<SwfGradientGlowFilter>();
    case Convolution:
        return std::make_shared<SwfConvolutionFilter>();
    case ColorMatrix:
        return std::make_shared<SwfColorMatrixFilter>();
    case GradientBevel:
        return std::make_shared<SwfGradientBevelFilter>();
    default:
        return nullptr;
    }
}

void SwfFilter::read(SwfIStream& is) {
    id = is.readU8();
    filter = create(id);
    if (!filter)
        throw SwfException(SwfException::UnexpectedEnd,
                           "filter id " + std::to_string(id) + " names no filter (0 to 7)");
    filter->read(is);
}

std::uint32_t SwfFilter::computeSize(const SwfStream& ctx) const {
    // The id alone decides how a reader parses the body, so the two must agree.
    if (!filter || !holdsKind(id, *filter))
        refuse("filter id " + std::to_string(id) + " does not match the filter it holds");
    return 1 + filter->computeSize(ctx);
}

void SwfFilter::write(SwfOStream& os) const {
    os.writeU8(id);
    filter->write(os);
}

void SwfFilterList::read(SwfIStream& is) {
    filters.clear();
    const std::uint8_t count = is.readU8();
    for (unsigned i = 0; i < count; ++i) {
        auto filter = std::make_shared<SwfFilter>();
        filter->read(is);
        filters.push_back(std::move(filter));
    }
}

std::uint32_t SwfFilterList::computeSize(const SwfStream& ctx) const {
    if (filters.size() > 0xFF)
        refuse("a filter list has " + std::to_string(filters.size()) +
               " filters, more than the 255 its count can hold");
    std::uint32_t total = 1;
    for (const auto& filter : filters) {
        if (!filter)
            refuse("a filter list holds an empty entry");
        total += filter->computeSize(ctx);
    }
    return total;
}

void SwfFilterList::write(SwfOStream& os) const {
    os.writeU8(static_cast<std::uint8_t>(filters.size()));
    for (const auto& filter : filters)
        filter->write(os);
}

} // namespace libswf
