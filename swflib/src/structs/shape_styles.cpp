// Fill styles, line styles and gradients of shapes, and the style array counts that morph
// shapes share.
#include "libswf/exception.h"
#include "libswf/shapes.h"
#include "shape_state.h"

#include <bit>
#include <limits>
#include <string>

namespace libswf {

namespace {

std::string hexByte(std::uint8_t value) {
    static const char digits[] = "0123456789abcdef";
    return std::string("0x") + digits[value >> 4] + digits[value & 15];
}

bool isBitmapType(std::uint8_t type) {
    return type >= SwfFillStyle::RepeatingBitmap && type <= SwfFillStyle::NonSmoothedClippedBitmap;
}

} // namespace

// ---- counts and widths ----------------------------------------------------------------------

std::uint32_t checkedShapeLength(std::uint64_t value, const char* what) {
    if (value > std::numeric_limits<std::uint32_t>::max())
        throwOutOfRange(std::string(what) + " of " + std::to_string(value) +
                        " bytes does not fit a 32-bit tag length");
    return static_cast<std::uint32_t>(value);
}

std::uint32_t readStyleCount(SwfIStream& is) {
    const std::uint8_t count = is.readU8();
    if (count == 0xFF && is.shapeExtendedCounts)
        return is.readU16();
    return count;
}

std::uint32_t styleCountSize(std::size_t count, const SwfStream& ctx, const char* what) {
    if (count < 0xFF)
        return 1;
    // Without extended counts the byte 0xFF itself means 255 entries.
    if (!ctx.shapeExtendedCounts) {
        if (count > 0xFF)
            throwOutOfRange(std::string(what) + " of " + std::to_string(count) +
                            " entries needs an extended count, which DefineShape cannot hold "
                            "(at most 255 entries)");
        return 1;
    }
    if (count > 0xFFFF)
        throwOutOfRange(std::string(what) + " of " + std::to_string(count) +
                        " entries is more than the 65535 its count can hold");
    return 3;
}

void writeStyleCount(SwfOStream& os, std::size_t count) {
    if (count < 0xFF || !os.shapeExtendedCounts) {
        os.writeU8(static_cast<std::uint8_t>(count));
    } else {
        os.writeU8(0xFF);
        os.writeU16(static_cast<std::uint16_t>(count));
    }
}

unsigned styleIndexBits(std::size_t count) {
    return std::max(1u, static_cast<unsigned>(std::bit_width(count)));
}

void setStyleIndexBits(SwfStream& stream, std::size_t fills, std::size_t lines) {
    const unsigned fillBits = styleIndexBits(fills);
    const unsigned lineBits = styleIndexBits(lines);
    if (fillBits > 15 || lineBits > 15)
        throwOutOfRange("style arrays of " + std::to_string(fills) + " fill and " +
                        std::to_string(lines) +
                        " line styles need indices of more than the 15 bits a shape's edge "
                        "records can hold (at most 32767 entries)");
    stream.numFillBits = static_cast<std::uint8_t>(fillBits);
    stream.numLineBits = static_cast<std::uint8_t>(lineBits);
}

void presetStyleIndexBits(SwfStream& stream, std::size_t fills, std::size_t lines) {
    stream.numFillBits = static_cast<std::uint8_t>(styleIndexBits(fills));
    stream.numLineBits = static_cast<std::uint8_t>(styleIndexBits(lines));
}

// ---- gradients ------------------------------------------------------------------------------

void SwfGradientRecord::read(SwfIStream& is) {
    ratio = is.readU8();
    color.read(is);
}

void SwfGradientRecord::write(SwfOStream& os) const {
    os.writeU8(ratio);
    color.write(os);
}

void SwfGradientRecords::prepare() {
    set(NumGradients, static_cast<unsigned>(size()));
}

void SwfGradientRecords::read(SwfIStream& is) {
    flags[0] = is.readU8();
    const unsigned count = get(NumGradients);
    for (unsigned i = 0; i < count; ++i) {
        auto record = std::make_unique<SwfGradientRecord>();
        record->read(is);
        push_back(std::move(record));
    }
}

std::uint32_t SwfGradientRecords::computeSize(const SwfStream& ctx) const {
    if (size() > MaxRecords)
        throwOutOfRange("a gradient of " + std::to_string(size()) +
                        " records is more than the 15 its NumGradients can count");
    return 1 + static_cast<std::uint32_t>(size()) * (ctx.alpha ? 5 : 4);
}

void SwfGradientRecords::write(SwfOStream& os) const {
    // The count written is always the list's, whatever NumGradients held.
    SwfGradientBits bits = *this;
    bits.set(NumGradients, static_cast<unsigned>(size()));
    os.writeU8(bits.flags[0]);
    for (const auto& record : *this)
        record->write(os);
}

void SwfFocalGradient::read(SwfIStream& is) {
    flags[0] = is.readU8();
    const unsigned count = get(NumGradients);
    for (unsigned i = 0; i < count; ++i) {
        auto record = std::make_shared<SwfGradientRecord>();
        record->read(is);
        records.push_back(std::move(record));
    }
    focalPoint[0] = is.readU8();
    focalPoint[1] = is.readU8();
}

std::uint32_t SwfFocalGradient::computeSize(const SwfStream& ctx) const {
    const unsigned count = get(NumGradients);
    std::size_t held = 0;
    for (unsigned i = 0; i < count && i < records.size(); ++i)
        held += records[i] != nullptr;
    if (held < count)
        throwOutOfRange("a focal gradient names " + std::to_string(count) +
                        " records in its NumGradients but holds only " + std::to_string(held));
    return 3 + count * (ctx.alpha ? 5 : 4);
}

void SwfFocalGradient::write(SwfOStream& os) const {
    os.writeU8(flags[0]);
    const unsigned count = get(NumGradients);
    for (unsigned i = 0; i < count; ++i)
        records[i]->write(os);
    os.writeU8(focalPoint[0]);
    os.writeU8(focalPoint[1]);
}

// ---- fill styles ----------------------------------------------------------------------------

std::unique_ptr<SwfFillStyle> SwfFillStyle::read(SwfIStream& is) {
    const std::uint8_t type = is.readU8();
    if (type == Solid) {
        auto fill = std::make_unique<SwfSolidFillStyle>();
        fill->color.read(is);
        return fill;
    }
    if (type == LinearGradient || type == RadialGradient || type == FocalRadialGradient) {
        auto fill = std::make_unique<SwfGradientFillStyle>();
        fill->type = type;
        fill->matrix.read(is);
        if (type == FocalRadialGradient)
            fill->focalGradient.read(is);
        else
            fill->gradient.read(is);
        return fill;
    }
    if (isBitmapType(type)) {
        auto fill = std::make_unique<SwfBitmapFillStyle>();
        fill->type = type;
        fill->bitmapId = is.readU16();
        fill->matrix.read(is);
        return fill;
    }
    SwfException e(SwfException::UnexpectedEnd,
                   "a fill style of type " + hexByte(type) + ", which names no kind of fill");
    e.setOffset(is.position() - 1);
    throw e;
}

std::uint32_t SwfSolidFillStyle::computeSize(const SwfStream& ctx) const {
    if (type != Solid)
        throwOutOfRange("a solid fill style of type " + hexByte(type) +
                        ", which is not the solid type 0x00");
    return 1 + color.computeSize(ctx);
}

void SwfSolidFillStyle::write(SwfOStream& os) const {
    os.writeU8(type);
    color.write(os);
}

std::uint32_t SwfGradientFillStyle::computeSize(const SwfStream& ctx) const {
    if (type != LinearGradient && type != RadialGradient && type != FocalRadialGradient)
        throwOutOfRange("a GradientFillStyle of type " + hexByte(type) +
                        ", which names no gradient kind (Linear, Radial, FocalRadialGradient)");
    return 1 + matrix.computeSize(ctx) +
           (isFocal() ? focalGradient.computeSize(ctx) : gradient.computeSize(ctx));
}

void SwfGradientFillStyle::write(SwfOStream& os) const {
    os.writeU8(type);
    matrix.write(os);
    if (isFocal())
        focalGradient.write(os);
    else
        gradient.write(os);
}

std::uint32_t SwfBitmapFillStyle::computeSize(const SwfStream& ctx) const {
    if (!isBitmapType(type))
        throwOutOfRange("a BitmapFillStyle of type " + hexByte(type) +
                        ", which names no bitmap fill kind (Tiled, Clipped, NonSmoothedTiled, "
                        "NonSmoothedClipped)");
    return 3 + matrix.computeSize(ctx);
}

void SwfBitmapFillStyle::write(SwfOStream& os) const {
    os.writeU8(type);
    os.writeU16(bitmapId);
    matrix.write(os);
}

void SwfFillStyles::prepare() {
    for (const auto& fill : *this)
        if (fill)
            fill->prepare();
}

void SwfFillStyles::read(SwfIStream& is) {
    // Every entry takes at least two bytes, so a lying count ends at the body's end.
    const std::uint32_t count = readStyleCount(is);
    for (std::uint32_t i = 0; i < count; ++i)
        push_back(SwfFillStyle::read(is));
}

std::uint32_t SwfFillStyles::computeSize(const SwfStream& ctx) const {
    std::uint64_t total = styleCountSize(size(), ctx, "a fill style array");
    for (std::size_t i = 0; i < size(); ++i) {
        const SwfFillStyle* fill = (*this)[i].get();
        if (!fill)
            throwOutOfRange("fill style " + std::to_string(i + 1) + " is missing");
        try {
            total += fill->computeSize(ctx);
        } catch (const SwfException& e) {
            throw SwfException(e.code(), "fill style " + std::to_string(i + 1) + ": " + e.reason());
        }
    }
    return checkedShapeLength(total, "a fill style array");
}

void SwfFillStyles::write(SwfOStream& os) const {
    writeStyleCount(os, size());
    for (const auto& fill : *this)
        fill->write(os);
}

// ---- line styles ----------------------------------------------------------------------------

void SwfLineStyle::read(SwfIStream& is) {
    width = is.readU16();
    color.read(is);
}

std::uint32_t SwfLineStyle::computeSize(const SwfStream& ctx) const {
    return 2 + color.computeSize(ctx);
}

void SwfLineStyle::write(SwfOStream& os) const {
    os.writeU16(width);
    color.write(os);
}

void SwfLineStyle2::prepare() {
    if (fill)
        fill->prepare();
}

void SwfLineStyle2::read(SwfIStream& is) {
    width = is.readU16();
    flags[0] = is.readU8();
    flags[1] = is.readU8();
    if (hasMiterLimit())
        miterLimitFactor = is.readU16();
    if (hasFill())
        fill = SwfFillStyle::read(is);
    else
        color.read(is);
}

std::uint32_t SwfLineStyle2::computeSize(const SwfStream& ctx) const {
    std::uint32_t total = hasMiterLimit() ? 6 : 4;
    if (!hasFill())
        return total + color.computeSize(ctx);
    if (!fill)
        throwOutOfRange("an extended line style has HasFill set but no fill style");
    try {
        return total + fill->computeSize(ctx);
    } catch (const SwfException& e) {
        throw SwfException(e.code(), "the fill of an extended line style: " + e.reason());
    }
}

void SwfLineStyle2::write(SwfOStream& os) const {
    os.writeU16(width);
    os.writeU8(flags[0]);
    os.writeU8(flags[1]);
    if (hasMiterLimit())
        os.writeU16(miterLimitFactor);
    if (hasFill())
        fill->write(os);
    else
        color.write(os);
}

void SwfLineStyles::prepare() {
    for (const auto& line : *this)
        if (line)
            line->prepare();
}

void SwfLineStyles::read(SwfIStream& is) {
    const std::uint32_t count = readStyleCount(is);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<SwfLineStyleGeneric> line;
        if (is.shapeLineStyle2)
            line = std::make_unique<SwfLineStyle2>();
        else
            line = std::make_unique<SwfLineStyle>();
        line->read(is);
        push_back(std::move(line));
    }
}

std::uint32_t SwfLineStyles::computeSize(const SwfStream& ctx) const {
    std::uint64_t total = styleCountSize(size(), ctx, "a line style array");
    for (std::size_t i = 0; i < size(); ++i) {
        const SwfLineStyleGeneric* line = (*this)[i].get();
        const std::string which = "line style " + std::to_string(i + 1);
        if (!line)
            throwOutOfRange(which + " is missing");
        if (line->isExtended() != ctx.shapeLineStyle2)
            throwOutOfRange(which + (ctx.shapeLineStyle2
                                         ? " is a plain line style where DefineShape4 needs "
                                           "extended ones"
                                         : " is an extended line style, which only DefineShape4 "
                                           "can hold"));
        try {
            total += line->computeSize(ctx);
        } catch (const SwfException& e) {
            throw SwfException(e.code(), which + ": " + e.reason());
        }
    }
    return checkedShapeLength(total, "a line style array");
}

void SwfLineStyles::write(SwfOStream& os) const {
    writeStyleCount(os, size());
    for (const auto& line : *this)
        line->write(os);
}

} // namespace libswf
