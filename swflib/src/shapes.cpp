// The four shape-defining tags. Each sets the stream flags of its version for its body: which
// colours carry alpha, whether style arrays may be extended, whether new styles may appear
// among the edges and which line style kind the arrays hold.
#include "libswf/shapes.h"

#include "libswf/exception.h"
#include "structs/shape_state.h"

namespace libswf {

namespace {

SwfShapeFlags shapeFlags(std::uint16_t code) {
    switch (code) {
    case 2:
        return {false, false, false, false};
    case 22:
        return {false, true, true, false};
    case 83:
        return {true, true, true, true};
    default: // 32
        return {true, true, true, false};
    }
}

// Sizes the arrays and the edges that follow them; the widths of the first indices follow
// from the arrays' counts.
std::uint64_t stylesAndEdgesSize(SwfSizeContext& ctx, const SwfFillStyles& fills,
                                 const SwfLineStyles& lines, const SwfShapeRecords& records) {
    std::uint64_t total = std::uint64_t{fills.computeSize(ctx)} + lines.computeSize(ctx);
    setStyleIndexBits(ctx, fills.size(), lines.size());
    SwfStyleCounts inForce{fills.size(), lines.size()};
    return total + records.computeSize(ctx, inForce);
}

void writeStylesAndEdges(SwfOStream& os, const SwfFillStyles& fills, const SwfLineStyles& lines,
                         const SwfShapeRecords& records) {
    fills.write(os);
    lines.write(os);
    setStyleIndexBits(os, fills.size(), lines.size());
    records.write(os);
}

} // namespace

// ---- DefineShape, DefineShape2, DefineShape3 ------------------------------------------------

SwfTagDefineShapeBase::SwfTagDefineShapeBase(std::uint16_t code, SwfIStream& is)
    : SwfDefinitionTag(code, 0) {
    const SwfShapeStateScope state(is, shapeFlags(code));
    id = is.readU16();
    bounds.read(is);
    fillStyles.read(is);
    lineStyles.read(is);
    presetStyleIndexBits(is, fillStyles.size(), lineStyles.size());
    records.read(is);
    // A shape that could not be written back is refused now, with the reason its write
    // would give, rather than accepted and then left unsaveable.
    SwfSizeContext check(is.version);
    SwfTagDefineShapeBase::bodySize(check);
}

void SwfTagDefineShapeBase::prepare() {
    fillStyles.prepare();
    lineStyles.prepare();
    records.prepare();
}

std::uint32_t SwfTagDefineShapeBase::bodySize(SwfSizeContext& ctx) {
    const SwfShapeStateScope state(ctx, shapeFlags(code()));
    return checkedShapeLength(2 + std::uint64_t{bounds.computeSize(ctx)} +
                                  stylesAndEdgesSize(ctx, fillStyles, lineStyles, records),
                              "a shape body");
}

void SwfTagDefineShapeBase::writeBody(SwfOStream& os) const {
    const SwfShapeStateScope state(os, shapeFlags(code()));
    os.writeU16(id);
    bounds.write(os);
    writeStylesAndEdges(os, fillStyles, lineStyles, records);
}

// ---- DefineShape4 ---------------------------------------------------------------------------

SwfTagDefineShape4::SwfTagDefineShape4(SwfIStream& is) : SwfDefinitionTag(83, 0) {
    const SwfShapeStateScope state(is, shapeFlags(83));
    id = is.readU16();
    shapeBounds.read(is);
    edgeBounds.read(is);
    flags[0] = is.readU8();
    fillStyles.read(is);
    lineStyles.read(is);
    presetStyleIndexBits(is, fillStyles.size(), lineStyles.size());
    records.read(is);
    SwfSizeContext check(is.version);
    SwfTagDefineShape4::bodySize(check);
}

void SwfTagDefineShape4::prepare() {
    fillStyles.prepare();
    lineStyles.prepare();
    records.prepare();
}

std::uint32_t SwfTagDefineShape4::bodySize(SwfSizeContext& ctx) {
    const SwfShapeStateScope state(ctx, shapeFlags(83));
    return checkedShapeLength(3 + std::uint64_t{shapeBounds.computeSize(ctx)} +
                                  edgeBounds.computeSize(ctx) +
                                  stylesAndEdgesSize(ctx, fillStyles, lineStyles, records),
                              "a shape body");
}

void SwfTagDefineShape4::writeBody(SwfOStream& os) const {
    const SwfShapeStateScope state(os, shapeFlags(83));
    os.writeU16(id);
    shapeBounds.write(os);
    edgeBounds.write(os);
    os.writeU8(flags[0]);
    writeStylesAndEdges(os, fillStyles, lineStyles, records);
}

} // namespace libswf
