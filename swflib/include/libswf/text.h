// Text tags: static text (DefineText, DefineText2) laid out as runs of glyph indices, edit
// fields (DefineEditText) and the anti-aliasing settings of a text (CSMTextSettings). Text
// names its fonts by id only; nothing here checks that a font exists.
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"

#include <cstdint>
#include <vector>

namespace libswf {

// One glyph of a run: its index in the font's glyph table and the distance to the next glyph.
struct SwfGlyphEntry {
    std::uint32_t index = 0;
    std::int32_t advance = 0;

    bool operator==(const SwfGlyphEntry&) const = default;
};

using SwfGlyphEntries = SwfVector<SwfGlyphEntry>;

// A run of glyphs with the style changes before it. The flags byte is kept whole, so that
// the reserved bits survive; it decides which of the optional fields are read and written.
// The widths of the glyph fields come from the stream (glyphBits, advanceBits).
class SwfTextRecord : public SwfStruct {
public:
    static constexpr std::uint8_t HasXOffset = 0x01;
    static constexpr std::uint8_t HasYOffset = 0x02;
    static constexpr std::uint8_t HasColor = 0x04;
    static constexpr std::uint8_t HasFont = 0x08;
    static constexpr std::uint8_t ReservedBits = 0x70;
    // Always set on writing: a record whose flags byte was 0 would end the list.
    static constexpr std::uint8_t TextRecordType = 0x80;

    std::uint8_t flags = TextRecordType;
    std::uint16_t fontId = 0;
    SwfColor color; // RGB or RGBA by the stream's alpha flag
    std::int16_t xOffset = 0;
    std::int16_t yOffset = 0;
    std::uint16_t textHeight = 0;
    SwfGlyphEntries glyphs;

    // Reads the record whose flags byte the caller has just read.
    void read(SwfIStream& is, std::uint8_t flagsByte);
    // Throws ValueOutOfRange for more than the 255 glyph entries the count can hold.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// The records of a static text, ended by a zero byte in the file.
class SwfTextRecords : public SwfStruct, public SwfPtrVector<SwfTextRecord> {
public:
    // Reads records until the zero byte, or until the tag body ends without one.
    void read(SwfIStream& is);
    // The smallest glyph field widths that hold every entry: at least 1 bit for indices, and
    // the magnitude's bits plus a sign bit (at least 2) for advances.
    void fieldWidths(std::uint8_t& glyphBits, std::uint8_t& advanceBits) const;
    // Uses the widths the stream holds, as fieldWidths gave them.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// DefineText and DefineText2 share their layout; only the colour form differs.
class SwfTagDefineTextBase : public SwfDefinitionTag {
public:
    static constexpr std::uint8_t NotGiven = NotGivenBits;

    SwfRect bounds;
    SwfMatrix matrix;
    SwfTextRecords records;
    // Glyph field widths a movie gave where they differ from the smallest ones (authoring
    // tools often write wider fields, or 0 for a text without glyphs). They are written back
    // while every entry still fits them, so such texts come back byte for byte.
    std::uint8_t givenGlyphBits = NotGiven;
    std::uint8_t givenAdvanceBits = NotGiven;

protected:
    SwfTagDefineTextBase(std::uint16_t code, bool alpha) : SwfDefinitionTag(code), m_alpha(alpha) {}
    SwfTagDefineTextBase(std::uint16_t code, bool alpha, SwfIStream& is);

    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;

private:
    // The widths to write: the given ones where every entry fits them, else the smallest.
    void widths(std::uint8_t& glyphBits, std::uint8_t& advanceBits) const;

    bool m_alpha;
};

// Static text with RGB colours.
class SwfTagDefineText : public SwfTagDefineTextBase {
public:
    SwfTagDefineText() : SwfTagDefineTextBase(11, false) {}
    explicit SwfTagDefineText(SwfIStream& is) : SwfTagDefineTextBase(11, false, is) {}
};

// Static text with RGBA colours.
class SwfTagDefineText2 : public SwfTagDefineTextBase {
public:
    SwfTagDefineText2() : SwfTagDefineTextBase(33, true) {}
    explicit SwfTagDefineText2(SwfIStream& is) : SwfTagDefineTextBase(33, true, is) {}
};

// An edit field. Its sixteen flags are kept one by one; those that announce optional fields
// decide what is written, so a field given without its flag stays out of the file.
class SwfTagDefineEditText : public SwfDefinitionTag {
public:
    static constexpr std::uint8_t AlignLeft = 0;
    static constexpr std::uint8_t AlignRight = 1;
    static constexpr std::uint8_t AlignCenter = 2;
    static constexpr std::uint8_t AlignJustify = 3;

    SwfTagDefineEditText() : SwfDefinitionTag(37) {}
    explicit SwfTagDefineEditText(SwfIStream& is);

    SwfRect bounds;
    // The low byte of the flag word.
    bool hasText = false;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool hasTextColor = false;
    bool hasMaxLength = false;
    bool hasFont = false;
    // The high byte.
    bool hasFontClass = false;
    bool autoSize = false;
    bool hasLayout = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;

    std::uint16_t fontId = 0;
    std::uint16_t fontHeight = 0;
    SwfString fontClass;
    SwfColor textColor; // always RGBA
    std::uint16_t maxLength = 0;
    std::uint8_t align = AlignLeft;
    std::uint16_t leftMargin = 0;
    std::uint16_t rightMargin = 0;
    std::uint16_t indent = 0;
    std::int16_t leading = 0; // lines may be set closer than the font's own spacing
    SwfString variableName;
    SwfString initialText;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// How a text is anti-aliased. The flags byte is kept whole (UseFlashType in bits 7..6,
// GridFit in bits 5..3, three reserved bits); thickness and sharpness are the raw bits of
// their 32-bit floats, so that every value, not-a-number included, comes back unchanged.
class SwfTagCSMTextSettings : public SwfTag {
public:
    SwfTagCSMTextSettings() : SwfTag(74) {}
    explicit SwfTagCSMTextSettings(SwfIStream& is);

    std::uint16_t textId = 0;
    std::uint8_t flags = 0;
    std::uint32_t thickness = 0;
    std::uint32_t sharpness = 0;
    std::uint8_t reserved = 0; // the byte after sharpness

    unsigned useFlashType() const { return flags >> 6; }
    unsigned gridFit() const { return (flags >> 3) & 7; }
    unsigned reservedBits() const { return flags & 7; }

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
