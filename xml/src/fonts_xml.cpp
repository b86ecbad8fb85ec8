// Font tags in XML. Glyphs take the edge-record form of shapes; code and advance tables hold
// their numbers as element text. Derived flags are shown but recomputed on compiling, and
// flag bits without a name appear as "Reserved" only when a movie sets them.
#include "family.h"
#include "shapes_xml.h"

#include "libswf/fonts.h"

#include <charconv>

namespace swfxml {

using namespace libswf;

namespace {

// Base64 children hang one level below the tag element, so their lines are indented by
// three levels in the printed document.
constexpr int kDataDepth = 2;

SwfXmlOut appendBitsField(SwfXmlOut& element) {
    return element.child("BitsField");
}

// ---- shared pieces ----------------------------------------------------------------------

void appendGlyphs(SwfXmlOut& parent, const char* name, const SwfShapes& glyphs) {
    SwfXmlOut list = parent.child(name);
    for (const auto& glyph : glyphs) {
        SwfXmlOut element = list.child("Glyphs");
        appendShapeRecords(element, *glyph, false);
    }
}

// Each child named Glyphs is one glyph; other children are skipped.
void readGlyphs(const SwfXmlIn& list, SwfShapes& glyphs) {
    for (SwfXmlIn c = list.nextChild(); c; c = list.nextChild()) {
        if (!namesEqual(c.name(), "Glyphs"))
            continue;
        auto glyph = std::make_unique<SwfShapeRecords>();
        readShapeRecords(c, *glyph, false);
        glyphs.push_back(std::move(glyph));
    }
}

template <class T>
void appendNumbers(SwfXmlOut& parent, const char* name, const SwfVector<T>& values) {
    SwfXmlOut list = parent.child(name);
    for (const T value : values) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        list.child("Code").text(
            std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
    }
}

// The text of every child element is one number; a child without text is skipped.
template <class T>
void readNumbers(const SwfXmlIn& list, SwfVector<T>& values) {
    for (SwfXmlIn c = list.nextChild(); c; c = list.nextChild()) {
        const std::string text = elementText(c);
        if (!text.empty())
            values.push_back(parseNumber<T>(text));
    }
}

// The font names that count a terminating zero say so, so that they come back unchanged.
void setFontName(SwfXmlOut& element, const SwfFontName& name) {
    setString(element, "FontName", name.name);
}

void setNameTerminated(SwfXmlOut& element, const SwfFontName& name) {
    if (name.terminated)
        setBool(element, "FontNameTerminated", true);
}

void readFontName(const SwfXmlIn& element, SwfFontName& name) {
    readString(element, "FontName", name.name);
    readBool(element, "FontNameTerminated", name.terminated);
}

void setReserved(SwfXmlOut& element, unsigned bits) {
    if (bits)
        setNumber(element, "Reserved", bits);
}

std::uint8_t readReserved(const SwfXmlIn& element, std::uint8_t mask) {
    std::uint8_t bits = 0;
    readNumber(element, "Reserved", bits);
    return bits & mask;
}

// ---- DefineFont -------------------------------------------------------------------------

void writeDefineFont(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& font = static_cast<const SwfTagDefineFont&>(tag);
    setNumber(element, "FontId", font.id);
    appendGlyphs(element, "GlyphShapeTable", font.glyphs);
}

// The first child, whatever its name, is the glyph list.
std::unique_ptr<SwfTag> readDefineFont(const SwfXmlIn& element, SwfXmlReader&) {
    auto font = std::make_unique<SwfTagDefineFont>();
    readNumber(element, "FontId", font->id);
    readGlyphs(element.nextChild(), font->glyphs);
    return font;
}

// ---- DefineFont2, DefineFont3 -----------------------------------------------------------

void writeDefineFont2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& font = static_cast<const SwfTagDefineFont2Base&>(tag);
    const bool layout = font.layoutPresent();
    setNumber(element, "FontId", font.id);
    setNumber(element, "LanguageCode", font.languageCode);
    setFontName(element, font.fontName);
    if (layout) {
        setNumber(element, "Ascent", font.ascent);
        setNumber(element, "Descent", font.descent);
        setNumber(element, "Leading", font.leading);
    }
    setNameTerminated(element, font.fontName);
    if (font.writesNoOffsetTable())
        setBool(element, "NoOffsetTable", true);
    SwfXmlOut bits = appendBitsField(element);
    setBool(bits, "Bold", font.bold);
    setBool(bits, "Italic", font.italic);
    setBool(bits, "WideCodes", font.wideCodes);
    setBool(bits, "WideOffsets", font.wideOffsets);
    setBool(bits, "ANSI", font.ansi);
    setBool(bits, "SmallText", font.smallText);
    setBool(bits, "ShiftJIS", font.shiftJIS);
    appendGlyphs(element, "Glyphs", font.glyphs);
    appendNumbers(element, "CodesTable", font.codeTable);
    if (!layout)
        return;
    appendNumbers(element, "AdvanceTable", font.advanceTable);
    SwfXmlOut bounds = element.child("BoundsTable");
    for (const auto& rect : font.boundsTable)
        appendRect(bounds, "Bound", *rect);
    if (font.kerningTable.empty())
        return;
    SwfXmlOut kerning = element.child("KerningTable");
    for (const auto& record : font.kerningTable) {
        SwfXmlOut e = kerning.child("KerningRecord");
        setNumber(e, "KerningCode1", record->code1);
        setNumber(e, "KerningCode2", record->code2);
        setNumber(e, "Adjustment", record->adjustment);
    }
}

template <class T>
std::unique_ptr<SwfTag> readDefineFont2(const SwfXmlIn& element, SwfXmlReader&) {
    auto font = std::make_unique<T>();
    readNumber(element, "FontId", font->id);
    readNumber(element, "LanguageCode", font->languageCode);
    readFontName(element, font->fontName);
    readNumber(element, "Ascent", font->ascent);
    readNumber(element, "Descent", font->descent);
    readNumber(element, "Leading", font->leading);
    readBool(element, "NoOffsetTable", font->noOffsetTable);
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        const std::string_view name = c.name();
        if (namesEqual(name, "BitsField")) {
            readBool(c, "Bold", font->bold);
            readBool(c, "Italic", font->italic);
            readBool(c, "WideCodes", font->wideCodes);
            readBool(c, "WideOffsets", font->wideOffsets);
            readBool(c, "ANSI", font->ansi);
            readBool(c, "SmallText", font->smallText);
            readBool(c, "ShiftJIS", font->shiftJIS);
        } else if (namesEqual(name, "Glyphs")) {
            readGlyphs(c, font->glyphs);
        } else if (namesEqual(name, "CodesTable")) {
            readNumbers(c, font->codeTable);
        } else if (namesEqual(name, "AdvanceTable")) {
            readNumbers(c, font->advanceTable);
        } else if (namesEqual(name, "BoundsTable")) {
            for (SwfXmlIn b = c.nextChild(); b; b = c.nextChild())
                font->boundsTable.push_back(std::make_unique<SwfRect>(readRect(b)));
        } else if (namesEqual(name, "KerningTable")) {
            for (SwfXmlIn k = c.nextChild(); k; k = c.nextChild()) {
                if (!namesEqual(k.name(), "KerningRecord"))
                    continue;
                auto record = std::make_unique<SwfKerningRecord>();
                readNumber(k, "KerningCode1", record->code1);
                readNumber(k, "KerningCode2", record->code2);
                readNumber(k, "Adjustment", record->adjustment);
                font->kerningTable.push_back(std::move(record));
            }
        }
    }
    return font;
}

// ---- DefineFont4 ------------------------------------------------------------------------

void writeDefineFont4(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& font = static_cast<const SwfTagDefineFont4&>(tag);
    setNumber(element, "FontId", font.id);
    setString(element, "FontName", font.fontName);
    setReserved(element, font.reserved & 0xF8);
    SwfXmlOut bits = appendBitsField(element);
    setBool(bits, "Bold", font.bold);
    setBool(bits, "Italic", font.italic);
    if (font.hasFontData && !font.fontData.empty())
        appendBase64(element, "FontData", font.fontData, kDataDepth);
}

std::unique_ptr<SwfTag> readDefineFont4(const SwfXmlIn& element, SwfXmlReader&) {
    auto font = std::make_unique<SwfTagDefineFont4>();
    readNumber(element, "FontId", font->id);
    readString(element, "FontName", font->fontName);
    font->reserved = readReserved(element, 0xF8);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "BitsField")) {
            readBool(child, "Bold", font->bold);
            readBool(child, "Italic", font->italic);
        } else if (first.is(child, 1, "FontData")) {
            font->fontData = base64DecodeElement(child);
            font->hasFontData = !font->fontData.empty();
        }
    }
    return font;
}

// ---- DefineFontInfo, DefineFontInfo2 ----------------------------------------------------

void writeDefineFontInfo(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& info = static_cast<const SwfTagDefineFontInfo&>(tag);
    setNumber(element, "FontId", info.fontId);
    setFontName(element, info.fontName);
    setNameTerminated(element, info.fontName);
    setReserved(element, info.reserved & 0xC0);
    SwfXmlOut bits = appendBitsField(element);
    setBool(bits, "SmallText", info.smallText);
    setBool(bits, "ShiftJIS", info.shiftJIS);
    setBool(bits, "ANSI", info.ansi);
    setBool(bits, "Italic", info.italic);
    setBool(bits, "Bold", info.bold);
    setBool(bits, "WideCodes", info.wideCodes);
    appendNumbers(element, "CodesTable", info.codeTable);
}

std::unique_ptr<SwfTag> readDefineFontInfo(const SwfXmlIn& element, SwfXmlReader&) {
    auto info = std::make_unique<SwfTagDefineFontInfo>();
    readNumber(element, "FontId", info->fontId);
    readFontName(element, info->fontName);
    info->reserved = readReserved(element, 0xC0);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "BitsField")) {
            readBool(child, "SmallText", info->smallText);
            readBool(child, "ShiftJIS", info->shiftJIS);
            readBool(child, "ANSI", info->ansi);
            readBool(child, "Italic", info->italic);
            readBool(child, "Bold", info->bold);
            readBool(child, "WideCodes", info->wideCodes);
        } else if (first.is(child, 1, "CodesTable")) {
            readNumbers(child, info->codeTable);
        }
    }
    return info;
}

void writeDefineFontInfo2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& info = static_cast<const SwfTagDefineFontInfo2&>(tag);
    setNumber(element, "FontId", info.fontId);
    setFontName(element, info.fontName);
    setNumber(element, "LanguageCode", info.languageCode);
    setNameTerminated(element, info.fontName);
    setReserved(element, info.reserved & 0xD8);
    SwfXmlOut bits = appendBitsField(element);
    setBool(bits, "SmallText", info.smallText);
    setBool(bits, "Italic", info.italic);
    setBool(bits, "Bold", info.bold);
    appendNumbers(element, "CodesTable", info.codeTable);
}

std::unique_ptr<SwfTag> readDefineFontInfo2(const SwfXmlIn& element, SwfXmlReader&) {
    auto info = std::make_unique<SwfTagDefineFontInfo2>();
    readNumber(element, "FontId", info->fontId);
    readFontName(element, info->fontName);
    readNumber(element, "LanguageCode", info->languageCode);
    info->reserved = readReserved(element, 0xD8);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "BitsField")) {
            readBool(child, "SmallText", info->smallText);
            readBool(child, "Italic", info->italic);
            readBool(child, "Bold", info->bold);
        } else if (first.is(child, 1, "CodesTable")) {
            readNumbers(child, info->codeTable);
        }
    }
    return info;
}

// ---- DefineFontName ---------------------------------------------------------------------

void writeDefineFontName(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& name = static_cast<const SwfTagDefineFontName&>(tag);
    setNumber(element, "FontId", name.id);
    setString(element, "Name", name.name);
    setString(element, "Copyright", name.copyright);
}

std::unique_ptr<SwfTag> readDefineFontName(const SwfXmlIn& element, SwfXmlReader&) {
    auto name = std::make_unique<SwfTagDefineFontName>();
    readNumber(element, "FontId", name->id);
    readString(element, "Name", name->name);
    readString(element, "Copyright", name->copyright);
    return name;
}

// ---- DefineFontAlignZones ---------------------------------------------------------------

void writeDefineFontAlignZones(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& zones = static_cast<const SwfTagDefineFontAlignZones&>(tag);
    setNumber(element, "FontId", zones.fontId);
    setNumber(element, "CSMTableHint", zones.csm >> 6);
    setReserved(element, zones.csm & 0x3F);
    SwfXmlOut records = element.child("ZoneRecords");
    for (const SwfZoneRecord& record : zones.zoneTable) {
        SwfXmlOut r = records.child("ZoneRecord");
        setBool(r, "ZoneMaskX", (record.mask & SwfZoneRecord::MaskX) != 0);
        setBool(r, "ZoneMaskY", (record.mask & SwfZoneRecord::MaskY) != 0);
        setReserved(r, record.mask & 0xFC);
        for (const SwfZoneData& data : record.zoneData) {
            SwfXmlOut d = r.child("ZoneData");
            setNumber(d, "AlignmentCoordinate", data.alignmentCoordinate);
            setNumber(d, "Range", data.range);
        }
    }
}

// The first child, whatever its name, holds the zone records.
std::unique_ptr<SwfTag> readDefineFontAlignZones(const SwfXmlIn& element, SwfXmlReader&) {
    auto zones = std::make_unique<SwfTagDefineFontAlignZones>();
    readNumber(element, "FontId", zones->fontId);
    std::uint8_t hint = 0;
    readNumber(element, "CSMTableHint", hint);
    zones->csm = static_cast<std::uint8_t>(hint << 6 | readReserved(element, 0x3F));
    const SwfXmlIn list = element.nextChild();
    for (SwfXmlIn r = list.nextChild(); r; r = list.nextChild()) {
        if (!namesEqual(r.name(), "ZoneRecord"))
            continue;
        SwfZoneRecord& record = zones->zoneTable.emplace_back();
        bool x = false, y = false;
        readBool(r, "ZoneMaskX", x);
        readBool(r, "ZoneMaskY", y);
        record.mask =
            static_cast<std::uint8_t>(readReserved(r, 0xFC) | (x ? SwfZoneRecord::MaskX : 0) |
                                      (y ? SwfZoneRecord::MaskY : 0));
        for (SwfXmlIn d = r.nextChild(); d; d = r.nextChild()) {
            if (!namesEqual(d.name(), "ZoneData"))
                continue;
            SwfZoneData& data = record.zoneData.emplace_back();
            readNumber(d, "AlignmentCoordinate", data.alignmentCoordinate);
            readNumber(d, "Range", data.range);
        }
    }
    return zones;
}

const SwfXmlTagCodec kFontCodecs[] = {
    {10, &writeDefineFont, &readDefineFont},
    {13, &writeDefineFontInfo, &readDefineFontInfo},
    {48, &writeDefineFont2, &readDefineFont2<SwfTagDefineFont2>},
    {62, &writeDefineFontInfo2, &readDefineFontInfo2},
    {73, &writeDefineFontAlignZones, &readDefineFontAlignZones},
    {75, &writeDefineFont2, &readDefineFont2<SwfTagDefineFont3>},
    {88, &writeDefineFontName, &readDefineFontName},
    {91, &writeDefineFont4, &readDefineFont4},
};

} // namespace

std::span<const SwfXmlTagCodec> fontCodecs() {
    return kFontCodecs;
}

} // namespace swfxml
