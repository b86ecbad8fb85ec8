// Font tags: glyph outlines with their code and layout tables, the font information tags of
// device fonts, font names, embedded font data and the alignment zones of advanced text.
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"
#include "libswf/shapes.h"

#include <cstdint>
#include <vector>

namespace libswf {

// A kerning pair: the adjustment between two character codes, in EM units.
struct SwfKerningRecord : public SwfStruct {
    SwfKerningRecord() = default;
    SwfKerningRecord(std::uint16_t code1, std::uint16_t code2, std::int16_t adjustment)
        : code1(code1), code2(code2), adjustment(adjustment) {}

    std::uint16_t code1 = 0;
    std::uint16_t code2 = 0;
    std::int16_t adjustment = 0;
};

using SwfKerningRecords = SwfPtrVector<SwfKerningRecord>;

// A font name of the tags that store it with a length byte in front. Authoring tools often
// count a terminating zero in that length; terminated remembers it, so that such names come
// back unchanged.
struct SwfFontName {
    SwfString name;
    bool terminated = false;

    void read(SwfIStream& is);
    // Throws ValueOutOfRange beyond the 255 bytes the length byte can count.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// The first font tag: glyph outlines only.
class SwfTagDefineFont : public SwfDefinitionTag {
public:
    SwfTagDefineFont() : SwfDefinitionTag(10) {}
    explicit SwfTagDefineFont(SwfIStream& is);

    bool readByLaterTags() const override { return true; }

    SwfShapes glyphs;

    void prepare() override;

protected:
    // Throws ValueOutOfRange when a glyph would start beyond the reach of a 16-bit offset.
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;

private:
    std::vector<std::uint32_t> m_glyphSizes; // of the last size pass
};

// DefineFont2 and DefineFont3 share their layout; only the code differs. The wide flags and
// the layout flag follow the data on every write: a set wide flag is kept, and one is set
// whenever a value needs it.
class SwfTagDefineFont2Base : public SwfDefinitionTag {
public:
    bool bold = false;
    bool italic = false;
    bool wideCodes = false;
    bool wideOffsets = false;
    bool ansi = false;
    bool smallText = false;
    bool shiftJIS = false;
    bool hasLayout = false;
    std::uint8_t languageCode = 0;
    SwfFontName fontName;
    SwfShapes glyphs;
    SwfVector<std::uint16_t> codeTable; // one per glyph
    std::int16_t ascent = 0;
    std::int16_t descent = 0;
    std::int16_t leading = 0;
    SwfVector<std::int16_t> advanceTable; // one per glyph, with layout
    SwfRects boundsTable;                 // one per glyph, with layout
    SwfKerningRecords kerningTable;
    // A font without glyphs whose body ends after its glyph count, without the offset of the
    // empty code table, as authoring tools write fonts that only name a device font. Takes
    // effect only while the font has neither glyphs nor layout.
    bool noOffsetTable = false;

    // Whether any layout value is set: the layout flag as it will be written.
    bool layoutPresent() const;
    // Whether the form without offset table is the one written.
    bool writesNoOffsetTable() const { return noOffsetTable && glyphs.empty() && !layoutPresent(); }

    void prepare() override;
    bool readByLaterTags() const override { return true; }

protected:
    explicit SwfTagDefineFont2Base(std::uint16_t code) : SwfDefinitionTag(code) {}
    SwfTagDefineFont2Base(std::uint16_t code, SwfIStream& is);

    // Sets the wide flags and the layout flag from the data. Throws ValueOutOfRange for tables
    // whose lengths disagree with the glyph count, and for values that do not fit their fields.
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;

private:
    bool writesWideCodes(const SwfStream& ctx) const { return wideCodes || ctx.version >= 6; }

    std::vector<std::uint32_t> m_glyphSizes; // of the last size pass
};

class SwfTagDefineFont2 : public SwfTagDefineFont2Base {
public:
    SwfTagDefineFont2() : SwfTagDefineFont2Base(48) {}
    explicit SwfTagDefineFont2(SwfIStream& is) : SwfTagDefineFont2Base(48, is) {}
};

class SwfTagDefineFont3 : public SwfTagDefineFont2Base {
public:
    SwfTagDefineFont3() : SwfTagDefineFont2Base(75) {}
    explicit SwfTagDefineFont3(SwfIStream& is) : SwfTagDefineFont2Base(75, is) {}
};

// A font of the text engine of Flash Player 10: the font data is an opaque OpenType file.
class SwfTagDefineFont4 : public SwfDefinitionTag {
public:
    SwfTagDefineFont4() : SwfDefinitionTag(91) {}
    explicit SwfTagDefineFont4(SwfIStream& is);

    bool bold = false;
    bool italic = false;
    bool hasFontData = false;
    std::uint8_t reserved = 0; // bits 7..3 of the flags byte, kept as read
    SwfString fontName;
    SwfVector<std::uint8_t> fontData; // with hasFontData

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// Names the device font and the character codes of a DefineFont.
class SwfTagDefineFontInfo : public SwfTag {
public:
    SwfTagDefineFontInfo() : SwfTag(13) {}
    explicit SwfTagDefineFontInfo(SwfIStream& is);

    std::uint16_t fontId = 0;
    SwfFontName fontName;
    bool wideCodes = false;
    bool bold = false;
    bool italic = false;
    bool ansi = false;
    bool shiftJIS = false;
    bool smallText = false;
    std::uint8_t reserved = 0; // bits 7..6 of the flags byte, kept as read
    SwfVector<std::uint16_t> codeTable;

protected:
    // Sets wideCodes when a code needs 16 bits; a set flag is kept.
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// DefineFontInfo with a language code; its codes are always 16-bit.
class SwfTagDefineFontInfo2 : public SwfTag {
public:
    SwfTagDefineFontInfo2() : SwfTag(62) {}
    explicit SwfTagDefineFontInfo2(SwfIStream& is);

    std::uint16_t fontId = 0;
    SwfFontName fontName;
    bool smallText = false;
    bool italic = false;
    bool bold = false;
    // The flag bits without a meaning here (7..6, 4..3), kept as read: some movies set them.
    std::uint8_t reserved = 0;
    std::uint8_t languageCode = 0;
    SwfVector<std::uint16_t> codeTable;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The name and copyright of an embedded font. Its id names the font, which keeps its own
// dictionary entry: the tag defines nothing.
class SwfTagDefineFontName : public SwfDefinitionTag {
public:
    SwfTagDefineFontName() : SwfDefinitionTag(88) {}
    explicit SwfTagDefineFontName(SwfIStream& is);

    bool isDefinition() const override { return false; }

    SwfString name;
    SwfString copyright;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// One alignment zone: both values are 16-bit floats kept as their raw bits.
struct SwfZoneData {
    std::uint16_t alignmentCoordinate = 0;
    std::uint16_t range = 0;
};

// The zones of one glyph, and the mask byte kept whole (bit 0 ZoneMaskX, bit 1 ZoneMaskY).
struct SwfZoneRecord : public SwfStruct {
    static constexpr std::uint8_t MaskX = 0x01;
    static constexpr std::uint8_t MaskY = 0x02;

    SwfVector<SwfZoneData> zoneData;
    std::uint8_t mask = 0;
};

using SwfZoneRecords = SwfVector<SwfZoneRecord>;

// Alignment zones for the glyphs of a DefineFont3, one record per glyph. Reading needs the
// font, defined earlier in the movie, to know how many records there are.
class SwfTagDefineFontAlignZones : public SwfTag {
public:
    SwfTagDefineFontAlignZones() : SwfTag(73) {}
    explicit SwfTagDefineFontAlignZones(SwfIStream& is);

    std::uint16_t fontId = 0;
    std::uint8_t csm = 0; // CSMTableHint in bits 7..6; bits 5..0 kept as read
    SwfZoneRecords zoneTable;

protected:
    // Throws ValueOutOfRange for a record of more than 255 zones.
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
