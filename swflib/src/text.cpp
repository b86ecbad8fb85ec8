#include "libswf/text.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <algorithm>
#include <limits>
#include <string>

namespace libswf {

namespace {

std::uint32_t magnitude(std::int32_t value) {
    return value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
}

} // namespace

// ---- text records ---------------------------------------------------------------------------

void SwfTextRecord::read(SwfIStream& is, std::uint8_t flagsByte) {
    flags = flagsByte;
    if (flags & HasFont)
        fontId = is.readU16();
    if (flags & HasColor)
        color.read(is);
    if (flags & HasXOffset)
        xOffset = static_cast<std::int16_t>(is.readU16());
    if (flags & HasYOffset)
        yOffset = static_cast<std::int16_t>(is.readU16());
    if (flags & HasFont)
        textHeight = is.readU16();
    // At most 255 entries: the count cannot make the reader allocate much.
    const std::uint8_t count = is.readU8();
    glyphs.resize(count);
    for (SwfGlyphEntry& glyph : glyphs) {
        glyph.index = is.readBits(is.glyphBits);
        glyph.advance = is.readSignedBits(is.advanceBits);
    }
    is.alignBits();
}

std::uint32_t SwfTextRecord::computeSize(const SwfStream& ctx) const {
    if (glyphs.size() > 255)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a text record has " + std::to_string(glyphs.size()) +
                               " glyph entries, more than the 255 its count can hold");
    std::uint32_t size = 2;
    if (flags & HasFont)
        size += 4;
    if (flags & HasColor)
        size += color.computeSize(ctx);
    if (flags & HasXOffset)
        size += 2;
    if (flags & HasYOffset)
        size += 2;
    const std::uint32_t bits =
        (ctx.glyphBits + ctx.advanceBits) * static_cast<std::uint32_t>(glyphs.size());
    return size + (bits + 7) / 8;
}

void SwfTextRecord::write(SwfOStream& os) const {
    os.writeU8(flags | TextRecordType);
    if (flags & HasFont)
        os.writeU16(fontId);
    if (flags & HasColor)
        color.write(os);
    if (flags & HasXOffset)
        os.writeU16(static_cast<std::uint16_t>(xOffset));
    if (flags & HasYOffset)
        os.writeU16(static_cast<std::uint16_t>(yOffset));
    if (flags & HasFont)
        os.writeU16(textHeight);
    os.writeU8(static_cast<std::uint8_t>(glyphs.size()));
    for (const SwfGlyphEntry& glyph : glyphs) {
        os.writeBits(os.glyphBits, glyph.index);
        os.writeBits(os.advanceBits, static_cast<std::uint32_t>(glyph.advance));
    }
    os.flushBits();
}

void SwfTextRecords::read(SwfIStream& is) {
    // Every record takes at least two bytes, so the list ends with the tag body.
    while (is.remaining() > 0) {
        const std::uint8_t flags = is.readU8();
        if (flags == 0)
            break;
        auto record = std::make_unique<SwfTextRecord>();
        record->read(is, flags);
        push_back(std::move(record));
    }
}

void SwfTextRecords::fieldWidths(std::uint8_t& glyphBits, std::uint8_t& advanceBits) const {
    std::uint32_t largestIndex = 0;
    std::uint32_t largestAdvance = 0;
    for (const auto& record : *this)
        for (const SwfGlyphEntry& glyph : record->glyphs) {
            largestIndex = std::max(largestIndex, glyph.index);
            largestAdvance = std::max(largestAdvance, magnitude(glyph.advance));
        }
    glyphBits = static_cast<std::uint8_t>(std::max(unsignedBitCount(largestIndex), 1u));
    // Only the most negative advance reaches 33 bits this way, and it fits 32.
    advanceBits = static_cast<std::uint8_t>(
        std::min(std::max(unsignedBitCount(largestAdvance), 1u) + 1, 32u));
}

std::uint32_t SwfTextRecords::computeSize(const SwfStream& ctx) const {
    std::uint64_t total = 1; // the zero byte that ends the list
    for (const auto& record : *this)
        total += record->computeSize(ctx);
    return checkedLength(total, "a text record list");
}

void SwfTextRecords::write(SwfOStream& os) const {
    for (const auto& record : *this)
        record->write(os);
    os.writeU8(0);
}

// ---- static text ----------------------------------------------------------------------------

SwfTagDefineTextBase::SwfTagDefineTextBase(std::uint16_t code, bool alpha, SwfIStream& is)
    : SwfDefinitionTag(code, 0), m_alpha(alpha) {
    id = is.readU16();
    bounds.read(is);
    matrix.read(is);
    is.glyphBits = is.readU8();
    is.advanceBits = is.readU8();
    const std::uint8_t glyphBits = is.glyphBits;
    const std::uint8_t advanceBits = is.advanceBits;
    SwfAlphaScope colours(is, m_alpha);
    records.read(is);
    std::uint8_t leastGlyph = 0, leastAdvance = 0;
    records.fieldWidths(leastGlyph, leastAdvance);
    givenGlyphBits = keptBits(glyphBits, leastGlyph);
    givenAdvanceBits = keptBits(advanceBits, leastAdvance);
}

void SwfTagDefineTextBase::widths(std::uint8_t& glyphBits, std::uint8_t& advanceBits) const {
    records.fieldWidths(glyphBits, advanceBits);
    bool glyphFits = givenGlyphBits <= 32;
    bool advanceFits = givenAdvanceBits <= 32;
    for (const auto& record : records)
        for (const SwfGlyphEntry& glyph : record->glyphs) {
            glyphFits = glyphFits && (givenGlyphBits >= 32 || glyph.index >> givenGlyphBits == 0);
            advanceFits = advanceFits && fitsSignedBits(glyph.advance, givenAdvanceBits);
        }
    if (glyphFits)
        glyphBits = givenGlyphBits;
    if (advanceFits)
        advanceBits = givenAdvanceBits;
}

std::uint32_t SwfTagDefineTextBase::bodySize(SwfSizeContext& ctx) {
    widths(ctx.glyphBits, ctx.advanceBits);
    SwfAlphaScope colours(ctx, m_alpha);
    return checkedLength(std::uint64_t{2} + bounds.computeSize(ctx) + matrix.computeSize(ctx) + 2 +
                             records.computeSize(ctx),
                         "a static text body");
}

void SwfTagDefineTextBase::writeBody(SwfOStream& os) const {
    widths(os.glyphBits, os.advanceBits);
    os.writeU16(id);
    bounds.write(os);
    matrix.write(os);
    os.writeU8(os.glyphBits);
    os.writeU8(os.advanceBits);
    SwfAlphaScope colours(os, m_alpha);
    records.write(os);
}

// ---- edit fields ----------------------------------------------------------------------------

SwfTagDefineEditText::SwfTagDefineEditText(SwfIStream& is) : SwfDefinitionTag(37, 0) {
    id = is.readU16();
    bounds.read(is);
    const std::uint8_t low = is.readU8();
    const std::uint8_t high = is.readU8();
    hasText = low & 0x80;
    wordWrap = low & 0x40;
    multiline = low & 0x20;
    password = low & 0x10;
    readOnly = low & 0x08;
    hasTextColor = low & 0x04;
    hasMaxLength = low & 0x02;
    hasFont = low & 0x01;
    hasFontClass = high & 0x80;
    autoSize = high & 0x40;
    hasLayout = high & 0x20;
    noSelect = high & 0x10;
    border = high & 0x08;
    wasStatic = high & 0x04;
    html = high & 0x02;
    useOutlines = high & 0x01;
    if (hasFont)
        fontId = is.readU16();
    if (hasFontClass)
        fontClass.read(is);
    if (hasFont)
        fontHeight = is.readU16();
    if (hasTextColor) {
        SwfAlphaScope rgba(is, true);
        textColor.read(is);
    }
    if (hasMaxLength)
        maxLength = is.readU16();
    if (hasLayout) {
        align = is.readU8();
        leftMargin = is.readU16();
        rightMargin = is.readU16();
        indent = is.readU16();
        leading = static_cast<std::int16_t>(is.readU16());
    }
    variableName.read(is);
    if (hasText)
        initialText.read(is);
}

std::uint32_t SwfTagDefineEditText::bodySize(SwfSizeContext& ctx) {
    std::uint64_t size = 2 + std::uint64_t{bounds.computeSize(ctx)} + 2;
    if (hasFont)
        size += 4;
    if (hasFontClass)
        size += fontClass.computeSize(ctx);
    if (hasTextColor)
        size += 4;
    if (hasMaxLength)
        size += 2;
    if (hasLayout)
        size += 9;
    size += variableName.computeSize(ctx);
    if (hasText)
        size += initialText.computeSize(ctx);
    return checkedLength(size, "a DefineEditText body");
}

void SwfTagDefineEditText::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    bounds.write(os);
    os.writeU8(static_cast<std::uint8_t>(hasText << 7 | wordWrap << 6 | multiline << 5 |
                                         password << 4 | readOnly << 3 | hasTextColor << 2 |
                                         hasMaxLength << 1 | hasFont));
    os.writeU8(static_cast<std::uint8_t>(hasFontClass << 7 | autoSize << 6 | hasLayout << 5 |
                                         noSelect << 4 | border << 3 | wasStatic << 2 | html << 1 |
                                         useOutlines));
    if (hasFont)
        os.writeU16(fontId);
    if (hasFontClass)
        fontClass.write(os);
    if (hasFont)
        os.writeU16(fontHeight);
    if (hasTextColor) {
        SwfAlphaScope rgba(os, true);
        textColor.write(os);
    }
    if (hasMaxLength)
        os.writeU16(maxLength);
    if (hasLayout) {
        os.writeU8(align);
        os.writeU16(leftMargin);
        os.writeU16(rightMargin);
        os.writeU16(indent);
        os.writeU16(static_cast<std::uint16_t>(leading));
    }
    variableName.write(os);
    if (hasText)
        initialText.write(os);
}

// ---- anti-aliasing settings -----------------------------------------------------------------

SwfTagCSMTextSettings::SwfTagCSMTextSettings(SwfIStream& is) : SwfTag(74) {
    textId = is.readU16();
    flags = is.readU8();
    thickness = is.readU32();
    sharpness = is.readU32();
    reserved = is.readU8();
}

std::uint32_t SwfTagCSMTextSettings::bodySize(SwfSizeContext&) {
    return 12;
}

void SwfTagCSMTextSettings::writeBody(SwfOStream& os) const {
    os.writeU16(textId);
    os.writeU8(flags);
    os.writeU32(thickness);
    os.writeU32(sharpness);
    os.writeU8(reserved);
}

} // namespace libswf
