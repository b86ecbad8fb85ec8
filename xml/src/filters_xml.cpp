// Filters in XML. Colours are their 32-bit words in decimal (red the low byte, alpha the
// high byte); a 16.16 fixed value is an element whose High is the fraction word and Low the
// integer word, as the two words lie in the file; Strength likewise with bytes.
#include "filters_xml.h"

#include "family.h"
#include "swfxml/values.h"

#include <charconv>
#include <iterator>
#include <memory>
#include <string>

namespace swfxml {

using namespace libswf;

namespace {

// ---- values --------------------------------------------------------------------------------

void setWord(SwfXmlOut& node, const char* name, std::uint32_t value) {
    setNumber(node, name, value);
}

void readColorWord(const SwfXmlIn& node, std::string_view name, std::uint32_t& target) {
    if (const SwfXmlAttribute* a = findAttribute(node, name))
        target = parseColorWord(a->value);
}

void appendFixed(SwfXmlOut& parent, const char* name, std::uint32_t value) {
    SwfXmlOut element = parent.child(name);
    setNumber(element, "High", value & 0xFFFF);
    setNumber(element, "Low", value >> 16);
}

void readFixed(const SwfXmlIn& element, std::uint32_t& target) {
    std::uint16_t high = 0, low = 0;
    readNumber(element, "High", high);
    readNumber(element, "Low", low);
    target = std::uint32_t{low} << 16 | high;
}

void appendStrength(SwfXmlOut& parent, std::uint16_t value) {
    SwfXmlOut element = parent.child("Strength");
    setNumber(element, "High", value & 0xFF);
    setNumber(element, "Low", value >> 8);
}

void readStrength(const SwfXmlIn& element, std::uint16_t& target) {
    std::uint8_t high = 0, low = 0;
    readNumber(element, "High", high);
    readNumber(element, "Low", low);
    target = static_cast<std::uint16_t>(low << 8 | high);
}

// One bit of a flags byte: bit 0 of the attribute's value, when the attribute is there.
void readFlag(const SwfXmlIn& bits, std::string_view name, unsigned bit, std::uint8_t& flags) {
    std::uint8_t value = 0;
    if (readNumber(bits, name, value))
        flags = static_cast<std::uint8_t>((flags & ~(1u << bit)) | (value & 1u) << bit);
}

// Passes of width `width` starting at bit `shift`.
void readPasses(const SwfXmlIn& bits, unsigned width, unsigned shift, std::uint8_t& flags) {
    std::uint8_t value = 0;
    if (!readNumber(bits, "Passes", value))
        return;
    const unsigned mask = ((1u << width) - 1) << shift;
    flags = static_cast<std::uint8_t>((flags & ~mask) | ((value << shift) & mask));
}

// The shadow layout of the drop shadow and glow: passes in bits 0..4, then three flags.
void appendShadowBits(SwfXmlOut& parent, std::uint8_t flags) {
    SwfXmlOut bits = parent.child("BitsField");
    setNumber(bits, "Passes", flags & 0x1F);
    setNumber(bits, "InnerShadow", flags >> 5 & 1);
    setNumber(bits, "Knockout", flags >> 6 & 1);
    setNumber(bits, "CompositeSource", flags >> 7 & 1);
}

void readShadowBits(const SwfXmlIn& bits, std::uint8_t& flags) {
    readPasses(bits, 5, 0, flags);
    readFlag(bits, "InnerShadow", 5, flags);
    readFlag(bits, "Knockout", 6, flags);
    readFlag(bits, "CompositeSource", 7, flags);
}

// The bevel layout of the bevels and the gradient glow: passes in bits 0..3, then four flags.
void appendBevelBits(SwfXmlOut& parent, std::uint8_t flags) {
    SwfXmlOut bits = parent.child("BitsField");
    setNumber(bits, "Passes", flags & 0x0F);
    setNumber(bits, "InnerShadow", flags >> 4 & 1);
    setNumber(bits, "Knockout", flags >> 5 & 1);
    setNumber(bits, "CompositeSource", flags >> 6 & 1);
    setNumber(bits, "OnTop", flags >> 7 & 1);
}

void readBevelBits(const SwfXmlIn& bits, std::uint8_t& flags) {
    readPasses(bits, 4, 0, flags);
    readFlag(bits, "InnerShadow", 4, flags);
    readFlag(bits, "Knockout", 5, flags);
    readFlag(bits, "CompositeSource", 6, flags);
    readFlag(bits, "OnTop", 7, flags);
}

// The children a filter reads, each the first of its name, whatever their order: the 16.16
// values, the strength and the bits field, in the layout the filter gives its bits.
struct FixedParts {
    std::uint32_t* blurX = nullptr;
    std::uint32_t* blurY = nullptr;
    std::uint32_t* angle = nullptr;
    std::uint32_t* distance = nullptr;
    std::uint16_t* strength = nullptr;
    void (*readBits)(const SwfXmlIn&, std::uint8_t&) = nullptr;
    std::uint8_t* flags = nullptr;
};

// Reads those parts; a child of another name goes to other(child), when given.
template <class Other>
void readParts(const SwfXmlIn& element, const FixedParts& parts, Other&& other) {
    FirstOfEach first;
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        if (parts.blurX && first.is(c, 0, "BlurX"))
            readFixed(c, *parts.blurX);
        else if (parts.blurY && first.is(c, 1, "BlurY"))
            readFixed(c, *parts.blurY);
        else if (parts.angle && first.is(c, 2, "Angle"))
            readFixed(c, *parts.angle);
        else if (parts.distance && first.is(c, 3, "Distance"))
            readFixed(c, *parts.distance);
        else if (parts.strength && first.is(c, 4, "Strength"))
            readStrength(c, *parts.strength);
        else if (parts.readBits && first.is(c, 5, "BitsField"))
            parts.readBits(c, *parts.flags);
        else
            other(c, first);
    }
}

void readParts(const SwfXmlIn& element, const FixedParts& parts) {
    readParts(element, parts, [](const SwfXmlIn&, FirstOfEach&) {});
}

// The text of the element's children that have text, in order.
template <class Each>
void forEachValue(const SwfXmlIn& parent, Each each) {
    if (!parent)
        return;
    for (SwfXmlIn child = parent.nextChild(); child; child = parent.nextChild()) {
        const std::string text = elementText(child);
        if (!text.empty() && !each(text))
            return;
    }
}

// ---- the filters ---------------------------------------------------------------------------

void writeDropShadow(SwfXmlOut& e, const SwfDropShadowFilter& f) {
    setWord(e, "DropShadowColor", f.color);
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendFixed(e, "Angle", f.angle);
    appendFixed(e, "Distance", f.distance);
    appendStrength(e, f.strength);
    appendShadowBits(e, f.flags);
}

void readDropShadow(const SwfXmlIn& e, SwfDropShadowFilter& f) {
    readColorWord(e, "DropShadowColor", f.color);
    readParts(e,
              {&f.blurX, &f.blurY, &f.angle, &f.distance, &f.strength, &readShadowBits, &f.flags});
}

// Passes live in bits 3..7; the low three bits are shown as Reserved only when a movie sets
// them, so that every flags byte survives.
void writeBlur(SwfXmlOut& e, const SwfBlurFilter& f) {
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    SwfXmlOut bits = e.child("BitsField");
    setNumber(bits, "Passes", f.flags >> 3);
    if (f.flags & 0x07)
        setNumber(bits, "Reserved", f.flags & 0x07);
}

void readBlurBits(const SwfXmlIn& bits, std::uint8_t& flags) {
    readPasses(bits, 5, 3, flags);
    std::uint8_t reserved = 0;
    if (readNumber(bits, "Reserved", reserved))
        flags = static_cast<std::uint8_t>((flags & ~0x07) | (reserved & 0x07));
}

void readBlur(const SwfXmlIn& e, SwfBlurFilter& f) {
    readParts(e, {&f.blurX, &f.blurY, nullptr, nullptr, nullptr, &readBlurBits, &f.flags});
}

void writeGlow(SwfXmlOut& e, const SwfGlowFilter& f) {
    setWord(e, "RGBA", f.color);
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendStrength(e, f.strength);
    appendShadowBits(e, f.flags);
}

void readGlow(const SwfXmlIn& e, SwfGlowFilter& f) {
    readColorWord(e, "RGBA", f.color);
    readParts(e, {&f.blurX, &f.blurY, nullptr, nullptr, &f.strength, &readShadowBits, &f.flags});
}

void writeBevel(SwfXmlOut& e, const SwfBevelFilter& f) {
    setWord(e, "ShadowColor", f.shadowColor);
    setWord(e, "HighlightColor", f.highlightColor);
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendFixed(e, "Angle", f.angle);
    appendFixed(e, "Distance", f.distance);
    appendStrength(e, f.strength);
    appendBevelBits(e, f.flags);
}

void readBevel(const SwfXmlIn& e, SwfBevelFilter& f) {
    readColorWord(e, "ShadowColor", f.shadowColor);
    readColorWord(e, "HighlightColor", f.highlightColor);
    readParts(e,
              {&f.blurX, &f.blurY, &f.angle, &f.distance, &f.strength, &readBevelBits, &f.flags});
}

void appendGradientLists(SwfXmlOut& e, const SwfGradientFilter& f) {
    SwfXmlOut colors = e.child("GradientColors");
    for (std::uint32_t color : f.colors)
        colors.child("Color").text(formatNumber(color));
    SwfXmlOut ratios = e.child("GradientRation");
    for (std::uint8_t ratio : f.ratios)
        ratios.child("Ratio").text(formatNumber(ratio));
}

void appendGradientFields(SwfXmlOut& e, const SwfGradientFilter& f) {
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendFixed(e, "Angle", f.angle);
    appendFixed(e, "Distance", f.distance);
    appendStrength(e, f.strength);
    appendBevelBits(e, f.flags);
}

// The gradient glow shows its lists before the other fields, the gradient bevel after them.
void writeGradient(SwfXmlOut& e, const SwfGradientFilter& f, bool listsFirst) {
    setNumber(e, "NumColors", static_cast<std::int64_t>(f.colors.size()));
    if (listsFirst)
        appendGradientLists(e, f);
    appendGradientFields(e, f);
    if (!listsFirst)
        appendGradientLists(e, f);
}

// NumColors is not needed: the count byte follows the lists.
void readGradient(const SwfXmlIn& e, SwfGradientFilter& f) {
    readParts(e, {&f.blurX, &f.blurY, &f.angle, &f.distance, &f.strength, &readBevelBits, &f.flags},
              [&](const SwfXmlIn& c, FirstOfEach& first) {
                  if (first.is(c, 6, "GradientColors"))
                      forEachValue(c, [&](const std::string& text) {
                          f.colors.push_back(parseColorWord(text));
                          return true;
                      });
                  else if (first.is(c, 7, "GradientRation"))
                      forEachValue(c, [&](const std::string& text) {
                          f.ratios.push_back(parseNumber<std::uint8_t>(text));
                          return true;
                      });
              });
}

// Clamp is bit 1; Reserved is the rest of the byte (bit 0 preserve-alpha and bits 2..7),
// shown only when a movie sets any of it.
void writeConvolution(SwfXmlOut& e, const SwfConvolutionFilter& f) {
    setNumber(e, "MatrixX", f.matrixX);
    setNumber(e, "MatrixY", f.matrixY);
    setFloat(e, "Divisor", f.divisor);
    setFloat(e, "Bias", f.bias);
    setWord(e, "DefaultColor", f.defaultColor);
    SwfXmlOut bits = e.child("BitsField");
    setNumber(bits, "Clamp", f.flags >> 1 & 1);
    if (const std::uint8_t reserved = f.flags & ~SwfConvolutionFilter::Clamp)
        setNumber(bits, "Reserved", reserved);
    SwfXmlOut matrix = e.child("Matrix");
    for (float value : f.matrix)
        matrix.child("Code").text(formatFloat(value));
}

void readConvolution(const SwfXmlIn& e, SwfConvolutionFilter& f) {
    readNumber(e, "MatrixX", f.matrixX);
    readNumber(e, "MatrixY", f.matrixY);
    readNumber(e, "Divisor", f.divisor);
    readNumber(e, "Bias", f.bias);
    readColorWord(e, "DefaultColor", f.defaultColor);
    FirstOfEach first;
    for (SwfXmlIn c = e.nextChild(); c; c = e.nextChild()) {
        if (first.is(c, 0, "BitsField")) {
            readFlag(c, "Clamp", 1, f.flags);
            std::uint8_t reserved = 0;
            if (readNumber(c, "Reserved", reserved))
                f.flags = static_cast<std::uint8_t>((f.flags & SwfConvolutionFilter::Clamp) |
                                                    (reserved & ~SwfConvolutionFilter::Clamp));
        } else if (first.is(c, 1, "Matrix")) {
            forEachValue(c, [&](const std::string& text) {
                f.matrix.push_back(parseNumber<float>(text));
                return true;
            });
        }
    }
}

void writeColorMatrix(SwfXmlOut& e, const SwfColorMatrixFilter& f) {
    SwfXmlOut matrix = e.child("Matrix");
    for (float value : f.matrix)
        matrix.child("Value").text(formatFloat(value));
}

void readColorMatrix(const SwfXmlIn& e, SwfColorMatrixFilter& f) {
    std::size_t i = 0;
    forEachValue(e.nextChild(), [&](const std::string& text) {
        f.matrix[i++] = parseNumber<float>(text);
        return i < f.matrix.size();
    });
}

constexpr const char* kFilterNames[] = {
    "DropShadowFilter", "BlurFilter",        "GlowFilter",        "BevelFilter",
    "GradientGlow",     "ConvolutionFilter", "ColorMatrixFilter", "GradientBevelFilter",
};

} // namespace

std::uint32_t parseColorWord(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    } else if (text.size() > 1 && text[0] == '0') {
        text.remove_prefix(1);
        base = 8;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

SwfXmlOut appendFilterList(SwfXmlOut& parent, const SwfFilterList& list) {
    SwfXmlOut element = parent.child("FilterList");
    for (const auto& entry : list.filters) {
        // An entry the binary writer would refuse is left out here; the size pass names it.
        if (!entry || !entry->filter || entry->id >= std::size(kFilterNames))
            continue;
        SwfXmlOut e = element.child(kFilterNames[entry->id]);
        const SwfGenericFilter& filter = *entry->filter;
        if (const auto* f = dynamic_cast<const SwfDropShadowFilter*>(&filter))
            writeDropShadow(e, *f);
        else if (const auto* f = dynamic_cast<const SwfBlurFilter*>(&filter))
            writeBlur(e, *f);
        else if (const auto* f = dynamic_cast<const SwfGlowFilter*>(&filter))
            writeGlow(e, *f);
        else if (const auto* f = dynamic_cast<const SwfBevelFilter*>(&filter))
            writeBevel(e, *f);
        else if (const auto* f = dynamic_cast<const SwfGradientFilter*>(&filter))
            writeGradient(e, *f, entry->id == SwfFilter::GradientGlow);
        else if (const auto* f = dynamic_cast<const SwfConvolutionFilter*>(&filter))
            writeConvolution(e, *f);
        else if (const auto* f = dynamic_cast<const SwfColorMatrixFilter*>(&filter))
            writeColorMatrix(e, *f);
    }
    return element;
}

void readFilterList(const SwfXmlIn& element, SwfFilterList& list) {
    list.filters.clear();
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        std::uint8_t id = 0;
        while (id < std::size(kFilterNames) && !namesEqual(child.name(), kFilterNames[id]))
            ++id;
        if (id == std::size(kFilterNames))
            continue;
        std::shared_ptr<SwfGenericFilter> filter = SwfFilter::create(id);
        switch (id) {
        case SwfFilter::DropShadow:
            readDropShadow(child, static_cast<SwfDropShadowFilter&>(*filter));
            break;
        case SwfFilter::Blur:
            readBlur(child, static_cast<SwfBlurFilter&>(*filter));
            break;
        case SwfFilter::Glow:
            readGlow(child, static_cast<SwfGlowFilter&>(*filter));
            break;
        case SwfFilter::Bevel:
            readBevel(child, static_cast<SwfBevelFilter&>(*filter));
            break;
        case SwfFilter::GradientGlow:
        case SwfFilter::GradientBevel:
            readGradient(child, static_cast<SwfGradientFilter&>(*filter));
            break;
        case SwfFilter::Convolution:
            readConvolution(child, static_cast<SwfConvolutionFilter&>(*filter));
            break;
        case SwfFilter::ColorMatrix:
            readColorMatrix(child, static_cast<SwfColorMatrixFilter&>(*filter));
            break;
        }
        list.filters.push_back(std::make_shared<SwfFilter>(id, std::move(filter)));
    }
}

} // namespace swfxml
