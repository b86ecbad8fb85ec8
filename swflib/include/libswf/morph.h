// Shape tweens: DefineMorphShape and DefineMorphShape2 with their paired start and end styles.
// The start and end edges are ordinary edge lists; every colour carries alpha.
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"
#include "libswf/shapes.h"

#include <array>
#include <cstdint>
#include <memory>

namespace libswf {

// ---- fill styles ----------------------------------------------------------------------------

// One entry of a morph fill style array; the type bytes are those of shape fills.
class SwfMorphFillStyle : public SwfStruct {
public:
    std::uint8_t type;

    // Reads the type byte and the body of its kind. Throws UnexpectedEnd for a type byte that
    // names no morph fill.
    static std::unique_ptr<SwfMorphFillStyle> read(SwfIStream& is);
    // Throws ValueOutOfRange when the type byte is not one of the class's kind or a part does
    // not fit its field.
    virtual std::uint32_t computeSize(const SwfStream& ctx) const = 0;
    virtual void write(SwfOStream& os) const = 0;

protected:
    explicit SwfMorphFillStyle(std::uint8_t type) : type(type) {}
};

class SwfMorphSolidFillStyle : public SwfMorphFillStyle {
public:
    SwfMorphSolidFillStyle() : SwfMorphFillStyle(SwfFillStyle::Solid) {}

    SwfColor startColor;
    SwfColor endColor;

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

struct SwfMorphGradientRecord : public SwfStruct {
    std::uint8_t startRatio = 0;
    SwfColor startColor;
    std::uint8_t endRatio = 0;
    SwfColor endColor;
};

// A morph gradient. Its byte in front of the records is laid out as a shape gradient's:
// movies of SWF 8 and later keep spread and interpolation modes in its upper bits, so only
// the low four bits count the records, and those always follow the records held.
class SwfMorphGradientRecords : public SwfStruct,
                                public SwfGradientBits,
                                public SwfPtrVector<SwfMorphGradientRecord> {
public:
    static constexpr std::size_t MaxRecords = 15;

    void prepare() override;
    void read(SwfIStream& is);
    // Throws ValueOutOfRange beyond the 15 records NumGradients can count.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// A linear, radial or (in movies of SWF 8 and later) focal radial morph gradient; the focal
// kind adds a start and an end focal point after the records.
class SwfMorphGradientFillStyle : public SwfMorphFillStyle {
public:
    SwfMorphGradientFillStyle() : SwfMorphFillStyle(SwfFillStyle::LinearGradient) {}

    SwfMatrix startMatrix;
    SwfMatrix endMatrix;
    SwfMorphGradientRecords gradient;
    // 8.8 fixed-point focal points as their two bytes in file order, for the focal kind only.
    std::array<std::uint8_t, 2> startFocalPoint{};
    std::array<std::uint8_t, 2> endFocalPoint{};

    bool isFocal() const { return type == SwfFillStyle::FocalRadialGradient; }
    void prepare() override { gradient.prepare(); }

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

class SwfMorphBitmapFillStyle : public SwfMorphFillStyle {
public:
    SwfMorphBitmapFillStyle() : SwfMorphFillStyle(SwfFillStyle::ClippedBitmap) {}

    std::uint16_t bitmapId = 0;
    SwfMatrix startMatrix;
    SwfMatrix endMatrix;

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

// A morph fill style array; its count is written as a shape's extended count.
class SwfMorphFillStyles : public SwfStruct, public SwfPtrVector<SwfMorphFillStyle> {
public:
    void prepare() override;
    void read(SwfIStream& is);
    // Throws ValueOutOfRange beyond 65535 entries and for any entry that cannot be written.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// ---- line styles ----------------------------------------------------------------------------

class SwfMorphLineStyleGeneric : public SwfStruct {
public:
    // The line style of DefineMorphShape2 rather than DefineMorphShape's.
    virtual bool isExtended() const = 0;
    virtual void read(SwfIStream& is) = 0;
    virtual std::uint32_t computeSize(const SwfStream& ctx) const = 0;
    virtual void write(SwfOStream& os) const = 0;
};

class SwfMorphLineStyle : public SwfMorphLineStyleGeneric {
public:
    std::uint16_t startWidth = 0;
    std::uint16_t endWidth = 0;
    SwfColor startColor;
    SwfColor endColor;

    bool isExtended() const override { return false; }
    void read(SwfIStream& is) override;
    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

// The line style of DefineMorphShape2, with the flags of SwfLineStyle2 and either a colour
// pair or a morph fill of its own (shared with whoever else holds it).
class SwfMorphLineStyle2 : public SwfMorphLineStyleGeneric, public SwfLineFlags {
public:
    void prepare() override;
    std::uint16_t startWidth = 0;
    std::uint16_t endWidth = 0;
    // The factor's two bytes in file order, stored for miter joins only.
    std::array<std::uint8_t, 2> miterLimitFactor{};
    SwfColor startColor; // without HasFill
    SwfColor endColor;
    std::shared_ptr<SwfMorphFillStyle> fill; // with HasFill

    bool isExtended() const override { return true; }
    void read(SwfIStream& is) override;
    // Throws ValueOutOfRange when HasFill is set without a fill that can be written.
    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

class SwfMorphLineStyles : public SwfStruct, public SwfPtrVector<SwfMorphLineStyleGeneric> {
public:
    void prepare() override;
    // Reads plain or extended entries.
    void read(SwfIStream& is, bool extended);
    // Throws ValueOutOfRange as the fill array does, and for entries of the other kind than
    // the tag's (`extended`), which a reader would misread.
    std::uint32_t computeSize(const SwfStream& ctx, bool extended) const;
    void write(SwfOStream& os) const;
};

// ---- tags -----------------------------------------------------------------------------------

// The Offset field that points from behind itself to the end edges is not kept: it is
// recomputed on every write.
class SwfTagDefineMorphShape : public SwfDefinitionTag {
public:
    SwfTagDefineMorphShape() : SwfDefinitionTag(46) {}
    explicit SwfTagDefineMorphShape(SwfIStream& is);

    SwfRect startBounds;
    SwfRect endBounds;
    SwfMorphFillStyles fillStyles;
    SwfMorphLineStyles lineStyles; // of SwfMorphLineStyle
    SwfShapeRecords startEdges;
    SwfShapeRecords endEdges;

    void prepare() override;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;

private:
    // The body's size; sets offset to the Offset the body is written with.
    std::uint32_t sizeBody(SwfSizeContext& ctx, std::uint32_t& offset) const;

    std::uint32_t m_offset = 0; // from the last size pass
};

// The morph shape of SWF 8: edge bounds, stroke-scaling flags (the byte kept whole) and
// extended line styles. Offset holds the value read; the size pass replaces it with the one
// the body is written with, so that edits before the end edges never leave it stale.
class SwfTagDefineMorphShape2 : public SwfDefinitionTag, public SwfFlagBytes<1> {
public:
    static constexpr SwfBitField UseScalingStrokes{0, 0, 1};
    static constexpr SwfBitField UseNonScalingStrokes{0, 1, 1};
    static constexpr SwfBitField Reserved{0, 2, 6};

    SwfTagDefineMorphShape2() : SwfDefinitionTag(84) {}
    explicit SwfTagDefineMorphShape2(SwfIStream& is);

    SwfRect startBounds;
    SwfRect endBounds;
    SwfRect startEdgeBounds;
    SwfRect endEdgeBounds;
    std::uint32_t offset = 0;
    SwfMorphFillStyles fillStyles;
    SwfMorphLineStyles lineStyles; // of SwfMorphLineStyle2
    SwfShapeRecords startEdges;
    SwfShapeRecords endEdges;

    void prepare() override;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;

private:
    std::uint32_t sizeBody(SwfSizeContext& ctx, std::uint32_t& computedOffset) const;
};

} // namespace libswf
