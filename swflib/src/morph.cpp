// Morph shapes: paired start and end styles, and two edge lists. Both tags carry RGBA colours,
// extended counts and, in their edges, new styles of the plain shape kind.
#include "libswf/morph.h"

#include "libswf/exception.h"
#include "structs/shape_state.h"

#include <string>

namespace libswf {

namespace {

constexpr SwfShapeFlags kMorphFlags{true, true, true, false};

bool isBitmapType(std::uint8_t type) {
    return type >= SwfFillStyle::RepeatingBitmap && type <= SwfFillStyle::NonSmoothedClippedBitmap;
}

std::string typeText(std::uint8_t type) {
    static const char digits[] = "0123456789abcdef";
    return std::string("0x") + digits[type >> 4] + digits[type & 15];
}

// Sizes one edge list, naming it in a failure.
std::uint32_t edgesSize(const SwfShapeRecords& edges, SwfStream& ctx, SwfStyleCounts& inForce,
                        const char* which) {
    try {
        return edges.computeSize(ctx, inForce);
    } catch (const SwfException& e) {
        throw SwfException(e.code(), std::string(which) + ", " + e.reason());
    }
}

// The arrays and both edge lists: returns the Offset (arrays and start edges) and adds the
// whole to total.
std::uint32_t stylesAndEdgesSize(SwfSizeContext& ctx, const SwfMorphFillStyles& fills,
                                 const SwfMorphLineStyles& lines, bool extended,
                                 const SwfShapeRecords& startEdges, const SwfShapeRecords& endEdges,
                                 std::uint64_t& total) {
    const std::uint64_t arrays =
        std::uint64_t{fills.computeSize(ctx)} + lines.computeSize(ctx, extended);
    setStyleIndexBits(ctx, fills.size(), lines.size());
    SwfStyleCounts inForce{fills.size(), lines.size()};
    const std::uint64_t offset = arrays + edgesSize(startEdges, ctx, inForce, "start edges");
    // The end edges carry on with the widths and arrays in force after the start edges.
    total += offset + edgesSize(endEdges, ctx, inForce, "end edges");
    return checkedShapeLength(offset, "a morph shape's styles and start edges");
}

void writeStylesAndEdges(SwfOStream& os, const SwfMorphFillStyles& fills,
                         const SwfMorphLineStyles& lines, const SwfShapeRecords& startEdges,
                         const SwfShapeRecords& endEdges) {
    fills.write(os);
    lines.write(os);
    setStyleIndexBits(os, fills.size(), lines.size());
    startEdges.write(os);
    endEdges.write(os);
}

} // namespace

// ---- fill styles ----------------------------------------------------------------------------

std::unique_ptr<SwfMorphFillStyle> SwfMorphFillStyle::read(SwfIStream& is) {
    const std::uint8_t type = is.readU8();
    if (type == SwfFillStyle::Solid) {
        auto fill = std::make_unique<SwfMorphSolidFillStyle>();
        fill->startColor.read(is);
        fill->endColor.read(is);
        return fill;
    }
    if (type == SwfFillStyle::LinearGradient || type == SwfFillStyle::RadialGradient ||
        type == SwfFillStyle::FocalRadialGradient) {
        auto fill = std::make_unique<SwfMorphGradientFillStyle>();
        fill->type = type;
        fill->startMatrix.read(is);
        fill->endMatrix.read(is);
        fill->gradient.read(is);
        if (fill->isFocal()) {
            is.readBytes(fill->startFocalPoint.data(), 2);
            is.readBytes(fill->endFocalPoint.data(), 2);
        }
        return fill;
    }
    if (isBitmapType(type)) {
        auto fill = std::make_unique<SwfMorphBitmapFillStyle>();
        fill->type = type;
        fill->bitmapId = is.readU16();
        fill->startMatrix.read(is);
        fill->endMatrix.read(is);
        return fill;
    }
    SwfException e(SwfException::UnexpectedEnd, "a morph fill style of type " + typeText(type) +
                                                    ", which names no kind of morph fill");
    e.setOffset(is.position() - 1);
    throw e;
}

std::uint32_t SwfMorphSolidFillStyle::computeSize(const SwfStream& ctx) const {
    if (type != SwfFillStyle::Solid)
        throwOutOfRange("a solid morph fill style of type " + typeText(type) +
                        ", which is not the solid type 0x00");
    return 1 + startColor.computeSize(ctx) + endColor.computeSize(ctx);
}

void SwfMorphSolidFillStyle::write(SwfOStream& os) const {
    os.writeU8(type);
    startColor.write(os);
    endColor.write(os);
}

void SwfMorphGradientRecords::prepare() {
    set(NumGradients, static_cast<unsigned>(size()));
}

void SwfMorphGradientRecords::read(SwfIStream& is) {
    flags[0] = is.readU8();
    const unsigned count = get(NumGradients);
    for (unsigned i = 0; i < count; ++i) {
        auto record = std::make_unique<SwfMorphGradientRecord>();
        record->startRatio = is.readU8();
        record->startColor.read(is);
        record->endRatio = is.readU8();
        record->endColor.read(is);
        push_back(std::move(record));
    }
}

std::uint32_t SwfMorphGradientRecords::computeSize(const SwfStream& ctx) const {
    if (size() > MaxRecords)
        throwOutOfRange("a morph gradient of " + std::to_string(size()) +
                        " records is more than the 15 its NumGradients can count");
    return 1 + static_cast<std::uint32_t>(size()) * (ctx.alpha ? 10 : 8);
}

void SwfMorphGradientRecords::write(SwfOStream& os) const {
    SwfGradientBits bits = *this;
    bits.set(NumGradients, static_cast<unsigned>(size()));
    os.writeU8(bits.flags[0]);
    for (const auto& record : *this) {
        os.writeU8(record->startRatio);
        record->startColor.write(os);
        os.writeU8(record->endRatio);
        record->endColor.write(os);
    }
}

std::uint32_t SwfMorphGradientFillStyle::computeSize(const SwfStream& ctx) const {
    if (type != SwfFillStyle::LinearGradient && type != SwfFillStyle::RadialGradient && !isFocal())
        throwOutOfRange("a MorphGradientFillStyle of type " + typeText(type) +
                        ", which names no morph gradient kind (Linear, Radial, "
                        "FocalRadialGradient)");
    return 1 + startMatrix.computeSize(ctx) + endMatrix.computeSize(ctx) +
           gradient.computeSize(ctx) + (isFocal() ? 4 : 0);
}

void SwfMorphGradientFillStyle::write(SwfOStream& os) const {
    os.writeU8(type);
    startMatrix.write(os);
    endMatrix.write(os);
    gradient.write(os);
    if (isFocal()) {
        os.writeBytes(startFocalPoint.data(), 2);
        os.writeBytes(endFocalPoint.data(), 2);
    }
}

std::uint32_t SwfMorphBitmapFillStyle::computeSize(const SwfStream& ctx) const {
    if (!isBitmapType(type))
        throwOutOfRange("a morph BitmapFillStyle of type " + typeText(type) +
                        ", which names no bitmap fill kind (Tiled, Clipped, NonSmoothedTiled, "
                        "NonSmoothedClipped)");
    return 3 + startMatrix.computeSize(ctx) + endMatrix.computeSize(ctx);
}

void SwfMorphBitmapFillStyle::write(SwfOStream& os) const {
    os.writeU8(type);
    os.writeU16(bitmapId);
    startMatrix.write(os);
    endMatrix.write(os);
}

void SwfMorphFillStyles::prepare() {
    for (const auto& fill : *this)
        if (fill)
            fill->prepare();
}

void SwfMorphFillStyles::read(SwfIStream& is) {
    // Every entry takes at least nine bytes, so a lying count ends at the body's end.
    const std::uint32_t count = readStyleCount(is);
    for (std::uint32_t i = 0; i < count; ++i)
        push_back(SwfMorphFillStyle::read(is));
}

std::uint32_t SwfMorphFillStyles::computeSize(const SwfStream& ctx) const {
    std::uint64_t total = styleCountSize(size(), ctx, "a morph fill style array");
    for (std::size_t i = 0; i < size(); ++i) {
        const SwfMorphFillStyle* fill = (*this)[i].get();
        const std::string which = "morph fill style " + std::to_string(i + 1);
        if (!fill)
            throwOutOfRange(which + " is missing");
        try {
            total += fill->computeSize(ctx);
        } catch (const SwfException& e) {
            throw SwfException(e.code(), which + ": " + e.reason());
        }
    }
    return checkedShapeLength(total, "a morph fill style array");
}

void SwfMorphFillStyles::write(SwfOStream& os) const {
    writeStyleCount(os, size());
    for (const auto& fill : *this)
        fill->write(os);
}

// ---- line styles ----------------------------------------------------------------------------

void SwfMorphLineStyle::read(SwfIStream& is) {
    startWidth = is.readU16();
    endWidth = is.readU16();
    startColor.read(is);
    endColor.read(is);
}

std::uint32_t SwfMorphLineStyle::computeSize(const SwfStream& ctx) const {
    return 4 + startColor.computeSize(ctx) + endColor.computeSize(ctx);
}

void SwfMorphLineStyle::write(SwfOStream& os) const {
    os.writeU16(startWidth);
    os.writeU16(endWidth);
    startColor.write(os);
    endColor.write(os);
}

void SwfMorphLineStyle2::prepare() {
    if (fill)
        fill->prepare();
}

void SwfMorphLineStyle2::read(SwfIStream& is) {
    startWidth = is.readU16();
    endWidth = is.readU16();
    flags[0] = is.readU8();
    flags[1] = is.readU8();
    if (hasMiterLimit()) {
        miterLimitFactor[0] = is.readU8();
        miterLimitFactor[1] = is.readU8();
    }
    if (hasFill()) {
        fill = SwfMorphFillStyle::read(is);
    } else {
        startColor.read(is);
        endColor.read(is);
    }
}

std::uint32_t SwfMorphLineStyle2::computeSize(const SwfStream& ctx) const {
    const std::uint32_t total = hasMiterLimit() ? 8 : 6;
    if (!hasFill())
        return total + startColor.computeSize(ctx) + endColor.computeSize(ctx);
    if (!fill)
        throwOutOfRange("an extended morph line style has HasFill set but no fill style");
    try {
        return total + fill->computeSize(ctx);
    } catch (const SwfException& e) {
        throw SwfException(e.code(), "the fill of an extended morph line style: " + e.reason());
    }
}

void SwfMorphLineStyle2::write(SwfOStream& os) const {
    os.writeU16(startWidth);
    os.writeU16(endWidth);
    os.writeU8(flags[0]);
    os.writeU8(flags[1]);
    if (hasMiterLimit()) {
        os.writeU8(miterLimitFactor[0]);
        os.writeU8(miterLimitFactor[1]);
    }
    if (hasFill()) {
        fill->write(os);
    } else {
        startColor.write(os);
        endColor.write(os);
    }
}

void SwfMorphLineStyles::prepare() {
    for (const auto& line : *this)
        if (line)
            line->prepare();
}

void SwfMorphLineStyles::read(SwfIStream& is, bool extended) {
    const std::uint32_t count = readStyleCount(is);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<SwfMorphLineStyleGeneric> line;
        if (extended)
            line = std::make_unique<SwfMorphLineStyle2>();
        else
            line = std::make_unique<SwfMorphLineStyle>();
        line->read(is);
        push_back(std::move(line));
    }
}

std::uint32_t SwfMorphLineStyles::computeSize(const SwfStream& ctx, bool extended) const {
    std::uint64_t total = styleCountSize(size(), ctx, "a morph line style array");
    for (std::size_t i = 0; i < size(); ++i) {
        const SwfMorphLineStyleGeneric* line = (*this)[i].get();
        const std::string which = "morph line style " + std::to_string(i + 1);
        if (!line)
            throwOutOfRange(which + " is missing");
        if (line->isExtended() != extended)
            throwOutOfRange(which + (extended ? " is a plain morph line style where "
                                                "DefineMorphShape2 needs extended ones"
                                              : " is an extended morph line style, which only "
                                                "DefineMorphShape2 can hold"));
        try {
            total += line->computeSize(ctx);
        } catch (const SwfException& e) {
            throw SwfException(e.code(), which + ": " + e.reason());
        }
    }
    return checkedShapeLength(total, "a morph line style array");
}

void SwfMorphLineStyles::write(SwfOStream& os) const {
    writeStyleCount(os, size());
    for (const auto& line : *this)
        line->write(os);
}

// ---- DefineMorphShape -----------------------------------------------------------------------

SwfTagDefineMorphShape::SwfTagDefineMorphShape(SwfIStream& is) : SwfDefinitionTag(46, 0) {
    const SwfShapeStateScope state(is, kMorphFlags);
    id = is.readU16();
    startBounds.read(is);
    endBounds.read(is);
    is.readU32(); // Offset: the end edges follow the start edges directly
    fillStyles.read(is);
    lineStyles.read(is, false);
    presetStyleIndexBits(is, fillStyles.size(), lineStyles.size());
    startEdges.read(is);
    endEdges.read(is);
    // A morph shape that could not be written back is refused now, with the reason its write
    // would give, rather than accepted and then left unsaveable.
    SwfSizeContext check(is.version);
    sizeBody(check, m_offset);
}

void SwfTagDefineMorphShape::prepare() {
    fillStyles.prepare();
    lineStyles.prepare();
    startEdges.prepare();
    endEdges.prepare();
}

std::uint32_t SwfTagDefineMorphShape::sizeBody(SwfSizeContext& ctx, std::uint32_t& offset) const {
    const SwfShapeStateScope state(ctx, kMorphFlags);
    std::uint64_t total =
        6 + std::uint64_t{startBounds.computeSize(ctx)} + endBounds.computeSize(ctx);
    offset = stylesAndEdgesSize(ctx, fillStyles, lineStyles, false, startEdges, endEdges, total);
    return checkedShapeLength(total, "a morph shape body");
}

std::uint32_t SwfTagDefineMorphShape::bodySize(SwfSizeContext& ctx) {
    return sizeBody(ctx, m_offset);
}

void SwfTagDefineMorphShape::writeBody(SwfOStream& os) const {
    const SwfShapeStateScope state(os, kMorphFlags);
    os.writeU16(id);
    startBounds.write(os);
    endBounds.write(os);
    os.writeU32(m_offset);
    writeStylesAndEdges(os, fillStyles, lineStyles, startEdges, endEdges);
}

// ---- DefineMorphShape2 ----------------------------------------------------------------------

SwfTagDefineMorphShape2::SwfTagDefineMorphShape2(SwfIStream& is) : SwfDefinitionTag(84, 0) {
    const SwfShapeStateScope state(is, kMorphFlags);
    id = is.readU16();
    startBounds.read(is);
    endBounds.read(is);
    startEdgeBounds.read(is);
    endEdgeBounds.read(is);
    flags[0] = is.readU8();
    offset = is.readU32();
    fillStyles.read(is);
    lineStyles.read(is, true);
    presetStyleIndexBits(is, fillStyles.size(), lineStyles.size());
    startEdges.read(is);
    endEdges.read(is);
    SwfSizeContext check(is.version);
    std::uint32_t computedOffset = 0;
    sizeBody(check, computedOffset);
}

void SwfTagDefineMorphShape2::prepare() {
    fillStyles.prepare();
    lineStyles.prepare();
    startEdges.prepare();
    endEdges.prepare();
}

std::uint32_t SwfTagDefineMorphShape2::sizeBody(SwfSizeContext& ctx,
                                                std::uint32_t& computedOffset) const {
    const SwfShapeStateScope state(ctx, kMorphFlags);
    std::uint64_t total = 7 + std::uint64_t{startBounds.computeSize(ctx)} +
                          endBounds.computeSize(ctx) + startEdgeBounds.computeSize(ctx) +
                          endEdgeBounds.computeSize(ctx);
    computedOffset =
        stylesAndEdgesSize(ctx, fillStyles, lineStyles, true, startEdges, endEdges, total);
    return checkedShapeLength(total, "a morph shape body");
}

std::uint32_t SwfTagDefineMorphShape2::bodySize(SwfSizeContext& ctx) {
    return sizeBody(ctx, offset);
}

void SwfTagDefineMorphShape2::writeBody(SwfOStream& os) const {
    const SwfShapeStateScope state(os, kMorphFlags);
    os.writeU16(id);
    startBounds.write(os);
    endBounds.write(os);
    startEdgeBounds.write(os);
    endEdgeBounds.write(os);
    os.writeU8(flags[0]);
    os.writeU32(offset);
    writeStylesAndEdges(os, fillStyles, lineStyles, startEdges, endEdges);
}

} // namespace libswf
