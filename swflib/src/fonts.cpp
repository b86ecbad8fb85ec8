// The font tags. Glyph outlines are edge lists read and written with their own fixed stream
// state (one fill bit and no line bits unless the file gave other widths, no alpha, no style
// arrays), whatever tag came before, and every derived table (offsets, the wide flags, the
// layout flag) is rebuilt on writing.
#include "libswf/fonts.h"

#include "libswf/exception.h"
#include "structs/shape_state.h"
#include "structs/tag_state.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace libswf {

namespace {

// No alpha, no extended counts, no new styles, plain line styles.
constexpr SwfShapeFlags kGlyphFlags{false, false, false, false};

[[noreturn]] void outOfRange(const std::string& reason) {
    throw SwfException(SwfException::ValueOutOfRange, reason);
}

// Reads the glyph that starts at start and may run up to end (the next glyph's start). Each
// glyph is confined to its own slot: offsets that run backwards leave it no bytes and fail the
// read, so that no byte of the body is decoded twice, however the offsets lie.
std::unique_ptr<SwfShapeRecords> readGlyph(SwfIStream& is, std::size_t start, std::size_t end) {
    auto glyph = std::make_unique<SwfShapeRecords>();
    is.setPosition(start);
    const SwfIStream::Bound bound(is, end);
    // Some tools write a glyph without edges as its width byte alone, leaving the end record
    // to the end of its slot.
    if (is.remaining() == 1) {
        is.readU8();
        return glyph;
    }
    // The widths glyphs call for; the list keeps other widths a file gives.
    is.numFillBits = 1;
    is.numLineBits = 0;
    glyph->read(is);
    return glyph;
}

// The byte size of each glyph in the fixed glyph state; ctx holds that state.
std::vector<std::uint32_t> glyphSizes(SwfStream& ctx, const SwfShapes& glyphs) {
    std::vector<std::uint32_t> sizes;
    sizes.reserve(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const std::string which = "glyph " + std::to_string(i + 1);
        const SwfShapeRecords* glyph = glyphs[i].get();
        if (!glyph)
            outOfRange(which + " is missing");
        for (std::size_t r = 0; r < glyph->size(); ++r) {
            const SwfShapeRecord* record = (*glyph)[r].get();
            if (record && record->kind() == SwfShapeRecord::Kind::StyleChange &&
                static_cast<const SwfStyleChange*>(record)->newStyles)
                outOfRange(which + ": edge record " + std::to_string(r + 1) +
                           " brings new style arrays, which a glyph outline cannot hold");
        }
        ctx.numFillBits = 1;
        ctx.numLineBits = 0;
        try {
            sizes.push_back(glyph->computeSize(ctx));
        } catch (const SwfException& e) {
            throw SwfException(e.code(), which + ": " + e.reason());
        }
    }
    return sizes;
}

void writeGlyphs(SwfOStream& os, const SwfShapes& glyphs) {
    for (const auto& glyph : glyphs) {
        os.numFillBits = 1;
        os.numLineBits = 0;
        glyph->write(os);
    }
}

bool anyWide(const SwfVector<std::uint16_t>& codes) {
    return std::any_of(codes.begin(), codes.end(), [](std::uint16_t c) { return c > 0xFF; });
}

void readCodes(SwfIStream& is, SwfVector<std::uint16_t>& codes, bool wide) {
    // To the end of the body; a byte too few for a last 16-bit code is no code.
    const std::size_t width = wide ? 2 : 1;
    while (is.remaining() >= width)
        codes.push_back(wide ? is.readU16() : is.readU8());
}

void writeCodes(SwfOStream& os, const SwfVector<std::uint16_t>& codes, bool wide) {
    for (const std::uint16_t code : codes) {
        if (wide)
            os.writeU16(code);
        else
            os.writeU8(static_cast<std::uint8_t>(code));
    }
}

std::uint8_t bit(bool value, unsigned shift) {
    return static_cast<std::uint8_t>(static_cast<unsigned>(value) << shift);
}

} // namespace

// ---- font names -----------------------------------------------------------------------------

void SwfFontName::read(SwfIStream& is) {
    const std::span<const std::uint8_t> bytes = is.readSpan(is.readU8());
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    name.text.assign(bytes.begin(), zero);
    terminated = zero != bytes.end();
}

std::uint32_t SwfFontName::computeSize(const SwfStream& ctx) const {
    const std::uint32_t length = name.computeSize(ctx) - (terminated ? 0 : 1);
    if (length > 0xFF)
        outOfRange("a font name of " + std::to_string(length) +
                   " bytes does not fit its length byte, which counts at most 255");
    return 1 + length;
}

void SwfFontName::write(SwfOStream& os) const {
    os.writeU8(static_cast<std::uint8_t>(name.text.size() + (terminated ? 1 : 0)));
    os.writeBytes(name.text.data(), name.text.size());
    if (terminated)
        os.writeU8(0);
}

// ---- DefineFont -----------------------------------------------------------------------------

SwfTagDefineFont::SwfTagDefineFont(SwfIStream& is) : SwfDefinitionTag(10, 0) {
    const SwfShapeStateScope state(is, kGlyphFlags);
    id = is.readU16();
    // A font without glyphs is its id alone.
    if (is.remaining() == 0)
        return;
    const std::size_t table = is.position();
    const std::size_t end = is.limit();
    // The first offset points past the table, so it gives the glyph count.
    std::vector<std::uint16_t> offsets{is.readU16()};
    const std::size_t count = offsets.front() / 2;
    while (offsets.size() < count)
        offsets.push_back(is.readU16());
    for (std::size_t i = 0; i < count; ++i)
        glyphs.push_back(
            readGlyph(is, table + offsets[i], i + 1 < count ? table + offsets[i + 1] : end));
    // A font that could not be written back is refused now, with the reason its write would
    // give, rather than accepted and then left unsaveable.
    SwfSizeContext check(is.version);
    SwfTagDefineFont::bodySize(check);
}

void SwfTagDefineFont::prepare() {
    for (const auto& glyph : glyphs)
        if (glyph)
            glyph->prepare();
}

std::uint32_t SwfTagDefineFont::bodySize(SwfSizeContext& ctx) {
    const SwfShapeStateScope state(ctx, kGlyphFlags);
    m_glyphSizes = glyphSizes(ctx, glyphs);
    std::uint64_t offset = 2 * std::uint64_t{glyphs.size()};
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (offset > 0xFFFF)
            outOfRange("DefineFont glyph " + std::to_string(i + 1) + " would start at offset " +
                       std::to_string(offset) +
                       ", beyond the 65535 its 16-bit offsets reach; the outlines are too "
                       "large for this tag");
        offset += m_glyphSizes[i];
    }
    return checkedLength(2 + offset, "a DefineFont body");
}

void SwfTagDefineFont::writeBody(SwfOStream& os) const {
    const SwfShapeStateScope state(os, kGlyphFlags);
    os.writeU16(id);
    std::uint32_t offset = static_cast<std::uint32_t>(2 * glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        os.writeU16(static_cast<std::uint16_t>(offset));
        offset += m_glyphSizes[i];
    }
    writeGlyphs(os, glyphs);
}

// ---- DefineFont2, DefineFont3 ---------------------------------------------------------------

SwfTagDefineFont2Base::SwfTagDefineFont2Base(std::uint16_t code, SwfIStream& is)
    : SwfDefinitionTag(code, 0) {
    const SwfShapeStateScope state(is, kGlyphFlags);
    id = is.readU16();
    const std::uint8_t flags = is.readU8();
    hasLayout = flags & 0x80;
    shiftJIS = flags & 0x40;
    smallText = flags & 0x20;
    ansi = flags & 0x10;
    wideOffsets = flags & 0x08;
    wideCodes = flags & 0x04;
    italic = flags & 0x02;
    bold = flags & 0x01;
    languageCode = is.readU8();
    fontName.read(is);
    const std::size_t count = is.readU16();
    if (count == 0 && is.remaining() == 0) {
        noOffsetTable = true;
        hasLayout = false;
    } else {
        const std::size_t table = is.position();
        std::vector<std::uint32_t> offsets;
        while (offsets.size() <= count)
            offsets.push_back(wideOffsets ? is.readU32() : is.readU16());
        for (std::size_t i = 0; i < count; ++i)
            glyphs.push_back(readGlyph(is, table + offsets[i], table + offsets[i + 1]));
        is.setPosition(table + offsets[count]);
        for (std::size_t i = 0; i < count; ++i)
            codeTable.push_back(wideCodes ? is.readU16() : is.readU8());
        if (hasLayout) {
            ascent = static_cast<std::int16_t>(is.readU16());
            descent = static_cast<std::int16_t>(is.readU16());
            leading = static_cast<std::int16_t>(is.readU16());
            for (std::size_t i = 0; i < count; ++i)
                advanceTable.push_back(static_cast<std::int16_t>(is.readU16()));
            for (std::size_t i = 0; i < count; ++i) {
                auto bounds = std::make_unique<SwfRect>();
                bounds->read(is);
                boundsTable.push_back(std::move(bounds));
            }
            // Kerning is kept in every version: movies before version 7 carry it too.
            if (is.remaining() > 0) {
                const std::uint16_t kernings = is.readU16();
                for (std::uint16_t i = 0; i < kernings; ++i) {
                    auto kerning = std::make_unique<SwfKerningRecord>();
                    kerning->code1 = wideCodes ? is.readU16() : is.readU8();
                    kerning->code2 = wideCodes ? is.readU16() : is.readU8();
                    kerning->adjustment = static_cast<std::int16_t>(is.readU16());
                    kerningTable.push_back(std::move(kerning));
                }
            }
        }
    }
    SwfSizeContext check(is.version);
    SwfTagDefineFont2Base::bodySize(check);
}

bool SwfTagDefineFont2Base::layoutPresent() const {
    return ascent != 0 || descent != 0 || leading != 0 || !advanceTable.empty() ||
           !boundsTable.empty() || !kerningTable.empty();
}

void SwfTagDefineFont2Base::prepare() {
    for (const auto& glyph : glyphs)
        if (glyph)
            glyph->prepare();
}

std::uint32_t SwfTagDefineFont2Base::bodySize(SwfSizeContext& ctx) {
    const SwfShapeStateScope state(ctx, kGlyphFlags);
    const std::size_t count = glyphs.size();
    const char* tagName = code() == 48 ? "DefineFont2" : "DefineFont3";
    const auto mismatch = [&](std::size_t n, const char* what) {
        outOfRange(std::string(tagName) + " has " + std::to_string(count) +
                   (count == 1 ? " glyph but " : " glyphs but ") + std::to_string(n) + " " + what +
                   "; every glyph needs one");
    };
    if (count > 0xFFFF)
        outOfRange(std::string(tagName) + " has " + std::to_string(count) +
                   " glyphs, more than the 65535 its count can hold");
    if (codeTable.size() != count)
        mismatch(codeTable.size(), codeTable.size() == 1 ? "code" : "codes");
    hasLayout = layoutPresent();
    if (hasLayout && advanceTable.size() != count)
        mismatch(advanceTable.size(), advanceTable.size() == 1 ? "advance" : "advances");
    if (hasLayout && boundsTable.size() != count)
        mismatch(boundsTable.size(),
                 boundsTable.size() == 1 ? "bounds rectangle" : "bounds rectangles");
    if (kerningTable.size() > 0xFFFF)
        outOfRange(std::string(tagName) + " has " + std::to_string(kerningTable.size()) +
                   " kerning records, more than the 65535 its count can hold");

    m_glyphSizes = glyphSizes(ctx, glyphs);
    std::uint64_t glyphBytes = 0;
    for (const std::uint32_t size : m_glyphSizes)
        glyphBytes += size;
    if (glyphBytes + 2 * count + 2 > 0xFFFF)
        wideOffsets = true;
    if (anyWide(codeTable) ||
        std::any_of(kerningTable.begin(), kerningTable.end(),
                    [](const auto& k) { return !k || k->code1 > 0xFF || k->code2 > 0xFF; }))
        wideCodes = true;
    const bool wide = writesWideCodes(ctx);

    std::uint64_t total = 7 + std::uint64_t{fontName.computeSize(ctx)} - 1;
    if (!writesNoOffsetTable())
        total += (count + 1) * (wideOffsets ? 4 : 2) + glyphBytes + count * (wide ? 2 : 1);
    if (hasLayout) {
        total += 8 + 2 * std::uint64_t{count};
        for (std::size_t i = 0; i < count; ++i) {
            if (!boundsTable[i])
                outOfRange("bounds " + std::to_string(i + 1) + " of " + tagName + " are missing");
            total += boundsTable[i]->computeSize(ctx);
        }
        for (std::size_t i = 0; i < kerningTable.size(); ++i)
            if (!kerningTable[i])
                outOfRange("kerning record " + std::to_string(i + 1) + " of " + tagName +
                           " is missing");
        total += kerningTable.size() * std::uint64_t{wide ? 6u : 4u};
    }
    return checkedLength(total, "a font body");
}

void SwfTagDefineFont2Base::writeBody(SwfOStream& os) const {
    const SwfShapeStateScope state(os, kGlyphFlags);
    const bool wide = writesWideCodes(os);
    os.writeU16(id);
    os.writeU8(bit(hasLayout, 7) | bit(shiftJIS, 6) | bit(smallText, 5) | bit(ansi, 4) |
               bit(wideOffsets, 3) | bit(wide, 2) | bit(italic, 1) | bit(bold, 0));
    os.writeU8(languageCode);
    fontName.write(os);
    os.writeU16(static_cast<std::uint16_t>(glyphs.size()));
    if (!writesNoOffsetTable()) {
        std::uint32_t offset =
            static_cast<std::uint32_t>((glyphs.size() + 1) * (wideOffsets ? 4 : 2));
        for (std::size_t i = 0; i <= glyphs.size(); ++i) {
            if (wideOffsets)
                os.writeU32(offset);
            else
                os.writeU16(static_cast<std::uint16_t>(offset));
            if (i < glyphs.size())
                offset += m_glyphSizes[i];
        }
        writeGlyphs(os, glyphs);
        writeCodes(os, codeTable, wide);
    }
    if (hasLayout) {
        os.writeU16(static_cast<std::uint16_t>(ascent));
        os.writeU16(static_cast<std::uint16_t>(descent));
        os.writeU16(static_cast<std::uint16_t>(leading));
        for (const std::int16_t advance : advanceTable)
            os.writeU16(static_cast<std::uint16_t>(advance));
        for (const auto& bounds : boundsTable)
            bounds->write(os);
        os.writeU16(static_cast<std::uint16_t>(kerningTable.size()));
        for (const auto& kerning : kerningTable) {
            if (wide) {
                os.writeU16(kerning->code1);
                os.writeU16(kerning->code2);
            } else {
                os.writeU8(static_cast<std::uint8_t>(kerning->code1));
                os.writeU8(static_cast<std::uint8_t>(kerning->code2));
            }
            os.writeU16(static_cast<std::uint16_t>(kerning->adjustment));
        }
    }
}

// ---- DefineFont4 ----------------------------------------------------------------------------

SwfTagDefineFont4::SwfTagDefineFont4(SwfIStream& is) : SwfDefinitionTag(91, 0) {
    id = is.readU16();
    const std::uint8_t flags = is.readU8();
    reserved = flags & 0xF8;
    hasFontData = flags & 0x04;
    italic = flags & 0x02;
    bold = flags & 0x01;
    fontName.read(is);
    if (hasFontData) {
        const std::span<const std::uint8_t> data = is.readSpan(is.remaining());
        fontData.assign(data.begin(), data.end());
    }
}

std::uint32_t SwfTagDefineFont4::bodySize(SwfSizeContext& ctx) {
    return checkedLength(3 + std::uint64_t{fontName.computeSize(ctx)} +
                             (hasFontData ? fontData.size() : 0),
                         "a DefineFont4 body");
}

void SwfTagDefineFont4::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU8(static_cast<std::uint8_t>((reserved & 0xF8) | bit(hasFontData, 2) | bit(italic, 1) |
                                         bit(bold, 0)));
    fontName.write(os);
    if (hasFontData)
        os.writeBytes(fontData.data(), fontData.size());
}

// ---- DefineFontInfo, DefineFontInfo2 --------------------------------------------------------

SwfTagDefineFontInfo::SwfTagDefineFontInfo(SwfIStream& is) : SwfTag(13) {
    fontId = is.readU16();
    fontName.read(is);
    const std::uint8_t flags = is.readU8();
    reserved = flags & 0xC0;
    smallText = flags & 0x20;
    shiftJIS = flags & 0x10;
    ansi = flags & 0x08;
    italic = flags & 0x04;
    bold = flags & 0x02;
    wideCodes = flags & 0x01;
    readCodes(is, codeTable, wideCodes);
}

std::uint32_t SwfTagDefineFontInfo::bodySize(SwfSizeContext& ctx) {
    if (anyWide(codeTable))
        wideCodes = true;
    return checkedLength(3 + std::uint64_t{fontName.computeSize(ctx)} +
                             codeTable.size() * (wideCodes ? 2 : 1),
                         "a DefineFontInfo body");
}

void SwfTagDefineFontInfo::writeBody(SwfOStream& os) const {
    os.writeU16(fontId);
    fontName.write(os);
    os.writeU8(static_cast<std::uint8_t>((reserved & 0xC0) | bit(smallText, 5) | bit(shiftJIS, 4) |
                                         bit(ansi, 3) | bit(italic, 2) | bit(bold, 1) |
                                         bit(wideCodes, 0)));
    writeCodes(os, codeTable, wideCodes);
}

SwfTagDefineFontInfo2::SwfTagDefineFontInfo2(SwfIStream& is) : SwfTag(62) {
    fontId = is.readU16();
    fontName.read(is);
    const std::uint8_t flags = is.readU8();
    reserved = flags & 0xD8;
    smallText = flags & 0x20;
    italic = flags & 0x04;
    bold = flags & 0x02;
    languageCode = is.readU8();
    // The codes are 16-bit whatever the wide-codes bit says.
    readCodes(is, codeTable, true);
}

std::uint32_t SwfTagDefineFontInfo2::bodySize(SwfSizeContext& ctx) {
    return checkedLength(4 + std::uint64_t{fontName.computeSize(ctx)} + 2 * codeTable.size(),
                         "a DefineFontInfo2 body");
}

void SwfTagDefineFontInfo2::writeBody(SwfOStream& os) const {
    os.writeU16(fontId);
    fontName.write(os);
    os.writeU8(static_cast<std::uint8_t>((reserved & 0xD8) | bit(smallText, 5) | bit(italic, 2) |
                                         bit(bold, 1) | 0x01));
    os.writeU8(languageCode);
    writeCodes(os, codeTable, true);
}

// ---- DefineFontName -------------------------------------------------------------------------

SwfTagDefineFontName::SwfTagDefineFontName(SwfIStream& is) : SwfDefinitionTag(88, 0) {
    id = is.readU16();
    name.read(is);
    copyright.read(is);
}

std::uint32_t SwfTagDefineFontName::bodySize(SwfSizeContext& ctx) {
    return checkedLength(2 + std::uint64_t{name.computeSize(ctx)} + copyright.computeSize(ctx),
                         "a DefineFontName body");
}

void SwfTagDefineFontName::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    name.write(os);
    copyright.write(os);
}

// ---- DefineFontAlignZones -------------------------------------------------------------------

namespace {

// The glyph count of the font a reader has met by now under the id, when that is a
// DefineFont, DefineFont2 or DefineFont3; a DefineFontAlignZones holds one record per glyph.
std::optional<std::size_t> knownGlyphCount(const SwfStream& stream, std::uint16_t fontId) {
    const SwfTag* font = SwfDefinitionScope::find(stream, fontId);
    if (const auto* font1 = dynamic_cast<const SwfTagDefineFont*>(font))
        return font1->glyphs.size();
    if (const auto* font2 = dynamic_cast<const SwfTagDefineFont2Base*>(font))
        return font2->glyphs.size();
    return std::nullopt;
}

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

SwfTagDefineFontAlignZones::SwfTagDefineFontAlignZones(SwfIStream& is) : SwfTag(73) {
    fontId = is.readU16();
    csm = is.readU8();
    // One record per glyph of the font, when it is known by now. A zones tag before its font,
    // or naming something else, is still read: every record says its own size, so they run
    // to the end of the body. Every record takes at least two bytes, so a large font ends at
    // the body's end.
    const std::optional<std::size_t> glyphs = knownGlyphCount(is, fontId);
    while (glyphs ? zoneTable.size() < *glyphs : is.remaining() > 0) {
        SwfZoneRecord& record = zoneTable.emplace_back();
        const std::uint8_t zones = is.readU8();
        for (std::uint8_t z = 0; z < zones; ++z) {
            SwfZoneData& data = record.zoneData.emplace_back();
            data.alignmentCoordinate = is.readU16();
            data.range = is.readU16();
        }
        record.mask = is.readU8();
    }
}

std::uint32_t SwfTagDefineFontAlignZones::bodySize(SwfSizeContext& ctx) {
    // A reader that knows the font takes one record per glyph: any other number would come
    // back as another table, or not at all.
    if (const auto glyphs = knownGlyphCount(ctx, fontId); glyphs && *glyphs != zoneTable.size())
        outOfRange("DefineFontAlignZones has " +
                   counted(zoneTable.size(), "zone record", "zone records") + " for font " +
                   std::to_string(fontId) + ", which has " + counted(*glyphs, "glyph", "glyphs") +
                   "; a reader takes one record per glyph");
    std::uint64_t total = 3;
    for (std::size_t i = 0; i < zoneTable.size(); ++i) {
        const std::size_t zones = zoneTable[i].zoneData.size();
        if (zones > 0xFF)
            outOfRange("zone record " + std::to_string(i + 1) + " has " + std::to_string(zones) +
                       " zones, more than the 255 its count can hold");
        total += 2 + 4 * std::uint64_t{zones};
    }
    return checkedLength(total, "a DefineFontAlignZones body");
}

void SwfTagDefineFontAlignZones::writeBody(SwfOStream& os) const {
    os.writeU16(fontId);
    os.writeU8(csm);
    for (const SwfZoneRecord& record : zoneTable) {
        os.writeU8(static_cast<std::uint8_t>(record.zoneData.size()));
        for (const SwfZoneData& data : record.zoneData) {
            os.writeU16(data.alignmentCoordinate);
            os.writeU16(data.range);
        }
        os.writeU8(record.mask);
    }
}

} // namespace libswf
