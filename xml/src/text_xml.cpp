// Text tags in XML: static text with its records and glyph entries, edit fields and the
// anti-aliasing settings of a text.
#include "family.h"

#include "libswf/exception.h"
#include "libswf/text.h"

#include <iterator>
#include <limits>
#include <string>
#include <type_traits>

namespace swfxml {

using namespace libswf;

namespace {

bool allDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A signed field given either as a signed number or as the unsigned number of its bits, the
// form in which advances are written; anything else gives 0. Returns whether it was there.
template <class T>
bool readWrapped(const SwfXmlIn& node, std::string_view name, T& target) {
    static_assert(std::is_signed_v<T>);
    using Unsigned = std::make_unsigned_t<T>;
    const SwfXmlAttribute* attribute = findAttribute(node, name);
    if (!attribute)
        return false;
    const std::int64_t value = parseNumber<std::int64_t>(attribute->value);
    const bool fits = value >= std::numeric_limits<T>::min() &&
                      value <= static_cast<std::int64_t>(std::numeric_limits<Unsigned>::max());
    target = fits ? static_cast<T>(static_cast<Unsigned>(value)) : T{};
    return true;
}

// A number of a few bits. Text that is no number gives 0; a number too large for its bits
// fails the compile rather than spilling into its neighbours.
unsigned readBitsValue(const SwfXmlIn& node, const char* name, unsigned bits) {
    const SwfXmlAttribute* attribute = findAttribute(node, name);
    if (!attribute)
        return 0;
    const std::string_view text = attribute->value;
    if (!allDigits(text))
        return 0;
    const std::uint64_t value = parseNumber<std::uint64_t>(text);
    if (text.size() > 19 || value >= (1u << bits))
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(name) + " " + std::string(text) + " does not fit its " +
                               std::to_string(bits) + " bits");
    return static_cast<unsigned>(value);
}

// ---- static text ------------------------------------------------------------------------

void appendRecord(SwfXmlOut& parent, const SwfTextRecord& record) {
    SwfXmlOut node = parent.child("TextRecord");
    if (record.flags & SwfTextRecord::HasXOffset)
        setNumber(node, "XOffset", record.xOffset);
    if (record.flags & SwfTextRecord::HasYOffset)
        setNumber(node, "YOffset", record.yOffset);
    if (record.flags & SwfTextRecord::HasColor)
        setColor(node, "Color", record.color);
    if (record.flags & SwfTextRecord::HasFont) {
        setNumber(node, "FontId", record.fontId);
        setNumber(node, "Height", record.textHeight);
    }
    setBool(node, "Type", (record.flags & SwfTextRecord::TextRecordType) != 0);
    // Shown only when a movie sets them, so that such movies come back unchanged.
    if (const unsigned reserved = (record.flags & SwfTextRecord::ReservedBits) >> 4)
        setNumber(node, "Reserved", reserved);
    SwfXmlOut entries = node.child("GlyphEntries");
    for (const SwfGlyphEntry& glyph : record.glyphs) {
        SwfXmlOut entry = entries.child("GlyphEntry");
        setNumber(entry, "Index", glyph.index);
        setNumber(entry, "Advance", static_cast<std::uint32_t>(glyph.advance));
    }
}

std::unique_ptr<SwfTextRecord> readRecord(const SwfXmlIn& node) {
    auto record = std::make_unique<SwfTextRecord>();
    record->flags = 0;
    if (readWrapped(node, "XOffset", record->xOffset))
        record->flags |= SwfTextRecord::HasXOffset;
    if (readWrapped(node, "YOffset", record->yOffset))
        record->flags |= SwfTextRecord::HasYOffset;
    if (readColor(node, "Color", record->color))
        record->flags |= SwfTextRecord::HasColor;
    const bool hasFontId = readNumber(node, "FontId", record->fontId);
    if (readNumber(node, "Height", record->textHeight) || hasFontId)
        record->flags |= SwfTextRecord::HasFont;
    bool type = false;
    readBool(node, "Type", type);
    if (type)
        record->flags |= SwfTextRecord::TextRecordType;
    record->flags |= static_cast<std::uint8_t>(readBitsValue(node, "Reserved", 3) << 4);
    const SwfXmlIn entries = node.nextChild();
    for (SwfXmlIn child = entries.nextChild(); child; child = entries.nextChild()) {
        if (!namesEqual(child.name(), "GlyphEntry"))
            continue;
        SwfGlyphEntry& glyph = record->glyphs.emplace_back();
        readNumber(child, "Index", glyph.index);
        readWrapped(child, "Advance", glyph.advance);
    }
    return record;
}

void writeDefineText(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& text = static_cast<const SwfTagDefineTextBase&>(tag);
    setNumber(element, "Id", text.id);
    // Widths the movie gave that differ from the smallest, kept for an unchanged body.
    setGivenBits(element, "GlyphBits", text.givenGlyphBits);
    setGivenBits(element, "AdvanceBits", text.givenAdvanceBits);
    appendRect(element, "Bounds", text.bounds);
    appendMatrix(element, "Matrix", text.matrix);
    SwfXmlOut records = element.child("TextRecords");
    for (const auto& record : text.records)
        appendRecord(records, *record);
}

template <class T>
std::unique_ptr<SwfTag> readDefineText(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<T>();
    readNumber(element, "Id", tag->id);
    readGivenBits(element, "GlyphBits", 32, tag->givenGlyphBits);
    readGivenBits(element, "AdvanceBits", 32, tag->givenAdvanceBits);
    FirstOfEach first;
    for (SwfXmlIn part = element.nextChild(); part; part = element.nextChild()) {
        if (first.is(part, 0, "Bounds")) {
            tag->bounds = readRect(part);
        } else if (first.is(part, 1, "Matrix")) {
            tag->matrix = readMatrix(part);
        } else if (first.is(part, 2, "TextRecords")) {
            for (SwfXmlIn child = part.nextChild(); child; child = part.nextChild())
                if (namesEqual(child.name(), "TextRecord"))
                    tag->records.push_back(readRecord(child));
        }
    }
    return tag;
}

// ---- edit fields ------------------------------------------------------------------------

const char* const kAlignNames[] = {"Left", "Right", "Center", "Justify"};

// Values without a name are shown as numbers, so that they survive the round trip.
void setAlign(SwfXmlOut& node, std::uint8_t align) {
    if (align < std::size(kAlignNames))
        node.attribute("Align", kAlignNames[align]);
    else
        setNumber(node, "Align", align);
}

std::uint8_t readAlign(const SwfXmlIn& node) {
    const SwfXmlAttribute* attribute = findAttribute(node, "Align");
    for (std::uint8_t i = 0; i < std::size(kAlignNames); ++i)
        if (namesEqual(attribute ? attribute->value : std::string_view(), kAlignNames[i]))
            return i;
    return static_cast<std::uint8_t>(readBitsValue(node, "Align", 8));
}

struct EditFlag {
    const char* name;
    bool SwfTagDefineEditText::*member;
};

const EditFlag kEditFlags[] = {
    {"ReadOnly", &SwfTagDefineEditText::readOnly},
    {"Password", &SwfTagDefineEditText::password},
    {"Multiline", &SwfTagDefineEditText::multiline},
    {"WordWrap", &SwfTagDefineEditText::wordWrap},
    {"UseOutlines", &SwfTagDefineEditText::useOutlines},
    {"HTML", &SwfTagDefineEditText::html},
    {"WasStatic", &SwfTagDefineEditText::wasStatic},
    {"Border", &SwfTagDefineEditText::border},
    {"NoSelect", &SwfTagDefineEditText::noSelect},
    {"AutoSize", &SwfTagDefineEditText::autoSize},
};

void writeDefineEditText(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& edit = static_cast<const SwfTagDefineEditText&>(tag);
    setNumber(element, "Id", edit.id);
    if (edit.hasFont) {
        setNumber(element, "FontId", edit.fontId);
        setNumber(element, "FontHeight", edit.fontHeight);
    }
    if (edit.hasFontClass)
        setString(element, "FontClass", edit.fontClass);
    if (edit.hasMaxLength)
        setNumber(element, "MaxLength", edit.maxLength);
    if (edit.hasTextColor)
        setColor(element, "Color", edit.textColor);
    if (edit.hasLayout) {
        setAlign(element, edit.align);
        setNumber(element, "LeftMargin", edit.leftMargin);
        setNumber(element, "RightMargin", edit.rightMargin);
        setNumber(element, "Indent", edit.indent);
        setNumber(element, "Leading", edit.leading);
    }
    setString(element, "VarName", edit.variableName);
    appendRect(element, "Bounds", edit.bounds);
    SwfXmlOut bits = element.child("BitsField");
    for (const EditFlag& flag : kEditFlags)
        setBool(bits, flag.name, edit.*flag.member);
    if (edit.hasText)
        appendText(element, "InitialText", edit.initialText.text);
}

std::unique_ptr<SwfTag> readDefineEditText(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineEditText>();
    readNumber(element, "Id", tag->id);
    const bool hasFontId = readNumber(element, "FontId", tag->fontId);
    tag->hasFont = readNumber(element, "FontHeight", tag->fontHeight) || hasFontId;
    tag->hasFontClass = readString(element, "FontClass", tag->fontClass);
    tag->hasMaxLength = readNumber(element, "MaxLength", tag->maxLength);
    tag->hasTextColor = readColor(element, "Color", tag->textColor);
    // Align alone does not make a layout block: the margins, indent or leading do.
    tag->align = readAlign(element);
    bool layout = readNumber(element, "LeftMargin", tag->leftMargin);
    layout |= readNumber(element, "RightMargin", tag->rightMargin);
    layout |= readNumber(element, "Indent", tag->indent);
    layout |= readWrapped(element, "Leading", tag->leading);
    tag->hasLayout = layout;
    readString(element, "VarName", tag->variableName);
    FirstOfEach first;
    for (SwfXmlIn part = element.nextChild(); part; part = element.nextChild()) {
        if (first.is(part, 0, "Bounds")) {
            tag->bounds = readRect(part);
        } else if (first.is(part, 1, "BitsField")) {
            for (const EditFlag& flag : kEditFlags)
                readBool(part, flag.name, (*tag).*flag.member);
        } else if (first.is(part, 2, "InitialText")) {
            tag->initialText.text = elementText(part);
            tag->hasText = true;
        }
    }
    return tag;
}

// ---- anti-aliasing settings -------------------------------------------------------------

void writeCSMTextSettings(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& settings = static_cast<const SwfTagCSMTextSettings&>(tag);
    setNumber(element, "TextId", settings.textId);
    setNumber(element, "Thickness", settings.thickness);
    setNumber(element, "Sharpness", settings.sharpness);
    // The reserved byte and bits are shown only when a movie sets them.
    if (settings.reserved)
        setNumber(element, "Reserved", settings.reserved);
    SwfXmlOut bits = element.child("BitsField");
    setNumber(bits, "GridFit", settings.gridFit());
    setNumber(bits, "UseFlashType", settings.useFlashType());
    if (settings.reservedBits())
        setNumber(bits, "Reserved", settings.reservedBits());
}

std::unique_ptr<SwfTag> readCSMTextSettings(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagCSMTextSettings>();
    readNumber(element, "TextId", tag->textId);
    readNumber(element, "Thickness", tag->thickness);
    readNumber(element, "Sharpness", tag->sharpness);
    tag->reserved = static_cast<std::uint8_t>(readBitsValue(element, "Reserved", 8));
    if (const SwfXmlIn bits = findChild(element, "BitsField"))
        tag->flags = static_cast<std::uint8_t>(readBitsValue(bits, "UseFlashType", 2) << 6 |
                                               readBitsValue(bits, "GridFit", 3) << 3 |
                                               readBitsValue(bits, "Reserved", 3));
    return tag;
}

constexpr SwfXmlTagCodec kTextCodecs[] = {
    {11, &writeDefineText, &readDefineText<SwfTagDefineText>},
    {33, &writeDefineText, &readDefineText<SwfTagDefineText2>},
    {37, &writeDefineEditText, &readDefineEditText},
    {74, &writeCSMTextSettings, &readCSMTextSettings},
};

} // namespace

std::span<const SwfXmlTagCodec> textCodecs() {
    return kTextCodecs;
}

} // namespace swfxml
