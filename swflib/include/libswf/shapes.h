// Vector shapes: fill and line styles, gradients, the edge-record list that draws a shape
// (and, reused by fonts and morph shapes, glyph outlines and tween end points), and the four
// shape-defining tags.
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace libswf {

// ---- bit-packed flag bytes ------------------------------------------------------------------

// A sub-field of a group of flag bytes: which byte, its lowest bit and its width.
struct SwfBitField {
    std::uint8_t byte;
    std::uint8_t shift;
    std::uint8_t width;
};

// Flag bytes kept whole as read, with named access to their sub-fields; a value too wide for
// its sub-field keeps its low bits, as the XML dialect reads them.
template <std::size_t N>
struct SwfFlagBytes {
    std::array<std::uint8_t, N> flags{};

    unsigned get(SwfBitField f) const {
        return static_cast<unsigned>(flags[f.byte] >> f.shift) & ((1u << f.width) - 1);
    }
    void set(SwfBitField f, unsigned value) {
        const unsigned mask = ((1u << f.width) - 1) << f.shift;
        flags[f.byte] =
            static_cast<std::uint8_t>((flags[f.byte] & ~mask) | ((value << f.shift) & mask));
    }
};

// The two flag bytes of an extended line style, plain or morph.
struct SwfLineFlags : SwfFlagBytes<2> {
    static constexpr SwfBitField StartCapStyle{0, 6, 2};
    static constexpr SwfBitField JoinStyle{0, 4, 2};
    static constexpr SwfBitField HasFill{0, 3, 1};
    static constexpr SwfBitField NoHScale{0, 2, 1};
    static constexpr SwfBitField NoVScale{0, 1, 1};
    static constexpr SwfBitField PixelHinting{0, 0, 1};
    static constexpr SwfBitField Reserved{1, 3, 5};
    static constexpr SwfBitField NoClose{1, 2, 1};
    static constexpr SwfBitField EndCapStyle{1, 0, 2};

    static constexpr unsigned MiterJoin = 2;

    bool hasFill() const { return get(HasFill) != 0; }
    // The miter limit factor is stored only for miter joins.
    bool hasMiterLimit() const { return get(JoinStyle) == MiterJoin; }
};

// The bits byte in front of a gradient's records.
struct SwfGradientBits : SwfFlagBytes<1> {
    static constexpr SwfBitField SpreadMode{0, 6, 2};
    static constexpr SwfBitField InterpolationMode{0, 4, 2};
    static constexpr SwfBitField NumGradients{0, 0, 4};
};

// ---- gradients ------------------------------------------------------------------------------

struct SwfGradientRecord : public SwfStruct {
    SwfGradientRecord() = default;
    SwfGradientRecord(std::uint8_t ratio, SwfColor color) : ratio(ratio), color(color) {}

    std::uint8_t ratio = 0;
    SwfColor color;

    void read(SwfIStream& is);
    std::uint32_t computeSize(const SwfStream& ctx) const { return 1 + color.computeSize(ctx); }
    void write(SwfOStream& os) const;
};

// The records of a linear or radial gradient. NumGradients always follows the records held.
class SwfGradientRecords : public SwfStruct,
                           public SwfGradientBits,
                           public SwfPtrVector<SwfGradientRecord> {
public:
    static constexpr std::size_t MaxRecords = 15;

    // Sets NumGradients to the number of records held.
    void prepare() override;
    void read(SwfIStream& is);
    // Throws ValueOutOfRange beyond the 15 records NumGradients can count.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// The records of a focal radial gradient, shared with whoever else holds them. NumGradients
// is kept as held, and that many records are written from the front of the list.
class SwfFocalGradient : public SwfStruct, public SwfGradientBits {
public:
    std::vector<std::shared_ptr<SwfGradientRecord>> records;
    // The 8.8 fixed-point focal point as its two bytes in file order: fraction, integer part.
    std::array<std::uint8_t, 2> focalPoint{};

    void read(SwfIStream& is);
    // Throws ValueOutOfRange when fewer records are held than NumGradients names.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// ---- fill styles ----------------------------------------------------------------------------

// One entry of a fill style array; the type byte says which kind and, within a kind, which
// variant. The list reader picks the class by the type byte.
class SwfFillStyle : public SwfStruct {
public:
    static constexpr std::uint8_t Solid = 0x00;
    static constexpr std::uint8_t LinearGradient = 0x10;
    static constexpr std::uint8_t RadialGradient = 0x12;
    static constexpr std::uint8_t FocalRadialGradient = 0x13;
    static constexpr std::uint8_t RepeatingBitmap = 0x40;
    static constexpr std::uint8_t ClippedBitmap = 0x41;
    static constexpr std::uint8_t NonSmoothedRepeatingBitmap = 0x42;
    static constexpr std::uint8_t NonSmoothedClippedBitmap = 0x43;

    std::uint8_t type;

    // Reads the type byte and the body of its kind. Throws UnexpectedEnd for a type byte that
    // names no kind.
    static std::unique_ptr<SwfFillStyle> read(SwfIStream& is);
    // The type byte and the body. Throws ValueOutOfRange when the type byte is not one of the
    // class's kind or a part does not fit its field.
    virtual std::uint32_t computeSize(const SwfStream& ctx) const = 0;
    virtual void write(SwfOStream& os) const = 0;

protected:
    explicit SwfFillStyle(std::uint8_t type) : type(type) {}
};

class SwfSolidFillStyle : public SwfFillStyle {
public:
    SwfSolidFillStyle() : SwfFillStyle(Solid) {}
    explicit SwfSolidFillStyle(SwfColor color) : SwfFillStyle(Solid), color(color) {}

    SwfColor color;

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

// A linear, radial or focal radial gradient; it holds both record lists and uses the one its
// type names.
class SwfGradientFillStyle : public SwfFillStyle {
public:
    SwfGradientFillStyle() : SwfFillStyle(LinearGradient) {}

    SwfMatrix matrix;
    SwfGradientRecords gradient;    // linear and radial
    SwfFocalGradient focalGradient; // focal radial

    bool isFocal() const { return type == FocalRadialGradient; }
    void prepare() override { gradient.prepare(); }
    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

class SwfBitmapFillStyle : public SwfFillStyle {
public:
    SwfBitmapFillStyle() : SwfFillStyle(ClippedBitmap) {}

    std::uint16_t bitmapId = 0;
    SwfMatrix matrix;

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

// A fill style array with its count in front: one byte, or 0xFF and a 16-bit count where the
// tag allows extended counts.
class SwfFillStyles : public SwfStruct, public SwfPtrVector<SwfFillStyle> {
public:
    void prepare() override;
    void read(SwfIStream& is);
    // Throws ValueOutOfRange beyond 255 entries without extended counts, beyond 65535 with
    // them, and for any entry that cannot be written.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// ---- line styles ----------------------------------------------------------------------------

class SwfLineStyleGeneric : public SwfStruct {
public:
    // An extended line style (DefineShape4) rather than a plain one.
    virtual bool isExtended() const = 0;
    virtual void read(SwfIStream& is) = 0;
    virtual std::uint32_t computeSize(const SwfStream& ctx) const = 0;
    virtual void write(SwfOStream& os) const = 0;
};

class SwfLineStyle : public SwfLineStyleGeneric {
public:
    SwfLineStyle() = default;
    SwfLineStyle(std::uint16_t width, SwfColor color) : width(width), color(color) {}

    std::uint16_t width = 0; // twips
    SwfColor color;

    bool isExtended() const override { return false; }
    void read(SwfIStream& is) override;
    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

// The line style of DefineShape4: caps, joins and scaling flags, and either a colour or a
// fill of its own (shared with whoever else holds it).
class SwfLineStyle2 : public SwfLineStyleGeneric, public SwfLineFlags {
public:
    std::uint16_t width = 0;
    std::uint16_t miterLimitFactor = 0; // 8.8 fixed point, stored for miter joins only
    SwfColor color;                     // without HasFill
    std::shared_ptr<SwfFillStyle> fill; // with HasFill

    bool isExtended() const override { return true; }
    void prepare() override;
    void read(SwfIStream& is) override;
    // Throws ValueOutOfRange when HasFill is set without a fill that can be written.
    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void write(SwfOStream& os) const override;
};

// A line style array; the stream's line-style-2 flag says which kind it holds. Its count is
// written as the fill style array's is.
class SwfLineStyles : public SwfStruct, public SwfPtrVector<SwfLineStyleGeneric> {
public:
    void prepare() override;
    void read(SwfIStream& is);
    // Throws ValueOutOfRange as the fill style array does, and for an entry of the other kind
    // than the tag's, which a reader would misread.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// ---- shape records --------------------------------------------------------------------------

// The number of fill and line styles a record list may name: those of the arrays in force.
struct SwfStyleCounts {
    std::size_t fills = 0;
    std::size_t lines = 0;
};

// Field widths as a file gave them. Other tools often write widths other than the fewest
// bits the values need (0 for the indices of an empty style array, wider edge deltas);
// keeping them lets such shapes come back byte for byte. A given width is used on writing
// only while every value it covers fits in it, so an edited shape never comes out
// unreadable. These are the style index widths; edges and moves keep one width each.
struct SwfIndexWidths {
    static constexpr std::uint8_t NotGiven = NotGivenBits;
    std::uint8_t fill = NotGiven;
    std::uint8_t line = NotGiven;
};

// One record of an edge list: a straight edge, a curved edge or a style change.
class SwfShapeRecord : public SwfStruct {
public:
    enum class Kind : std::uint8_t { Line = 0, Curve = 1, StyleChange = 2 };

    Kind kind() const { return m_kind; }

    // Adds the record's bits to the running total of its list and returns the new total.
    // Checks every value against its field and, for style indices, against the counts in
    // force; a style change with new styles replaces the counts and the stream's widths.
    // Throws ValueOutOfRange.
    virtual std::uint64_t sizeInBits(SwfStream& ctx, SwfStyleCounts& inForce,
                                     std::uint64_t bits) const = 0;
    virtual void write(SwfOStream& os) const = 0;

protected:
    explicit SwfShapeRecord(Kind kind) : m_kind(kind) {}

private:
    Kind m_kind;
};

// A straight edge: deltas in twips, at most 17 signed bits each.
class SwfLine : public SwfShapeRecord {
public:
    SwfLine() : SwfShapeRecord(Kind::Line) {}
    SwfLine(std::int32_t dx, std::int32_t dy) : SwfShapeRecord(Kind::Line), dx(dx), dy(dy) {}

    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::uint8_t givenBits = SwfIndexWidths::NotGiven; // NumBits the file gave, see above

    std::uint64_t sizeInBits(SwfStream& ctx, SwfStyleCounts& inForce,
                             std::uint64_t bits) const override;
    void write(SwfOStream& os) const override;
};

// A quadratic curve: control point delta (cdx, cdy), then anchor delta (adx, ady).
class SwfCurve : public SwfShapeRecord {
public:
    SwfCurve() : SwfShapeRecord(Kind::Curve) {}
    SwfCurve(std::int32_t cdx, std::int32_t cdy, std::int32_t adx, std::int32_t ady)
        : SwfShapeRecord(Kind::Curve), cdx(cdx), cdy(cdy), adx(adx), ady(ady) {}

    std::int32_t cdx = 0;
    std::int32_t cdy = 0;
    std::int32_t adx = 0;
    std::int32_t ady = 0;
    std::uint8_t givenBits = SwfIndexWidths::NotGiven; // NumBits the file gave

    std::uint64_t sizeInBits(SwfStream& ctx, SwfStyleCounts& inForce,
                             std::uint64_t bits) const override;
    void write(SwfOStream& os) const override;
};

// Moves the pen, picks styles by index (0 = none, n = the n-th of the arrays in force) and
// may bring new style arrays.
class SwfStyleChange : public SwfShapeRecord {
public:
    SwfStyleChange() : SwfShapeRecord(Kind::StyleChange) {}

    bool newStyles = false;
    bool setLine = false;
    bool setFill1 = false;
    bool setFill0 = false;
    bool move = false;
    std::int32_t moveDX = 0; // the pen's new position relative to the shape origin
    std::int32_t moveDY = 0;
    std::uint8_t givenMoveBits = SwfIndexWidths::NotGiven; // MoveBits the file gave
    std::uint16_t fill0 = 0;
    std::uint16_t fill1 = 0;
    std::uint16_t line = 0;
    SwfFillStyles fillStyles; // with newStyles
    SwfLineStyles lineStyles;
    // The index widths the file gave after the new styles when they differ from the fewest
    // bits the new arrays need (SwfIndexWidths::NotGiven otherwise); see SwfIndexWidths.
    SwfIndexWidths givenWidths;

    // Without any flag the record reads as the end of the shape; such a record changes
    // nothing and is left out of the binary form, so that the edges after it survive.
    bool isEmpty() const { return !newStyles && !setLine && !setFill1 && !setFill0 && !move; }

    void prepare() override;
    std::uint64_t sizeInBits(SwfStream& ctx, SwfStyleCounts& inForce,
                             std::uint64_t bits) const override;
    void write(SwfOStream& os) const override;
    // The same, with the widths to write after the new styles (the list picks them).
    void write(SwfOStream& os, unsigned fillBits, unsigned lineBits) const;
};

// An edge list in drawing order; the end record is implied. The binary form starts with the
// stream's NumFillBits and NumLineBits and ends with the end record and byte padding; the
// caller sets the widths before sizing or writing, and finds the widths in force after the
// list in the stream.
class SwfShapeRecords : public SwfStruct, public SwfPtrVector<SwfShapeRecord> {
public:
    // The index widths the file gave at the start of the list when they differ from the
    // widths the caller set in the stream before reading.
    SwfIndexWidths givenWidths;

    void prepare() override;
    // Reads the widths into the stream, the records up to the end record, and the padding.
    void read(SwfIStream& is);
    // The byte size; inForce holds the counts the indices may name at the start and at the
    // end. Throws ValueOutOfRange, naming the record, for a value that does not fit its field.
    std::uint32_t computeSize(SwfStream& ctx, SwfStyleCounts& inForce) const;
    // The same for lists outside any shape (glyph outlines): indices may name whatever the
    // stream's widths can address.
    std::uint32_t computeSize(SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// One edge list per glyph of a font.
using SwfShapes = SwfPtrVector<SwfShapeRecords>;

// Bits an index of a style array of `count` entries takes in a record: at least 1.
unsigned styleIndexBits(std::size_t count);

// ---- tags -----------------------------------------------------------------------------------

// DefineShape, DefineShape2 and DefineShape3 share their layout; they differ in the stream
// flags they set: DefineShape2 allows extended counts and new styles, DefineShape3 adds alpha.
class SwfTagDefineShapeBase : public SwfDefinitionTag {
public:
    SwfRect bounds;
    SwfFillStyles fillStyles;
    SwfLineStyles lineStyles; // of SwfLineStyle
    SwfShapeRecords records;

    void prepare() override;

protected:
    explicit SwfTagDefineShapeBase(std::uint16_t code) : SwfDefinitionTag(code) {}
    SwfTagDefineShapeBase(std::uint16_t code, SwfIStream& is);

    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagDefineShape : public SwfTagDefineShapeBase {
public:
    SwfTagDefineShape() : SwfTagDefineShapeBase(2) {}
    explicit SwfTagDefineShape(SwfIStream& is) : SwfTagDefineShapeBase(2, is) {}
};

class SwfTagDefineShape2 : public SwfTagDefineShapeBase {
public:
    SwfTagDefineShape2() : SwfTagDefineShapeBase(22) {}
    explicit SwfTagDefineShape2(SwfIStream& is) : SwfTagDefineShapeBase(22, is) {}
};

class SwfTagDefineShape3 : public SwfTagDefineShapeBase {
public:
    SwfTagDefineShape3() : SwfTagDefineShapeBase(32) {}
    explicit SwfTagDefineShape3(SwfIStream& is) : SwfTagDefineShapeBase(32, is) {}
};

// The shape of SWF 8: edge bounds beside the shape bounds, stroke-scaling flags and extended
// line styles. The flags byte is kept whole; bits 2..7 have no meaning here.
class SwfTagDefineShape4 : public SwfDefinitionTag, public SwfFlagBytes<1> {
public:
    static constexpr SwfBitField UseScalingStrokes{0, 0, 1};
    static constexpr SwfBitField UseNonScalingStrokes{0, 1, 1};
    static constexpr SwfBitField Reserved{0, 2, 6};

    SwfTagDefineShape4() : SwfDefinitionTag(83) {}
    explicit SwfTagDefineShape4(SwfIStream& is);

    SwfRect shapeBounds;
    SwfRect edgeBounds;
    SwfFillStyles fillStyles;
    SwfLineStyles lineStyles; // of SwfLineStyle2
    SwfShapeRecords records;

    void prepare() override;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
