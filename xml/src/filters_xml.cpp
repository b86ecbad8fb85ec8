// Filters in XML. Colours are their 32-bit words in decimal (red the low byte, alpha the
// high byte); a 16.16 fixed value is an element whose High is the fraction word and Low the
// integer word, as the two words lie in the file; Strength likewise with bytes.
#include "filters_xml.h"

#include "swfxml/values.h"

#include <charconv>
#include <iterator>
#include <memory>
#include <string>

namespace swfxml {

using namespace libswf;

namespace {

// ---- values --------------------------------------------------------------------------------

void setWord(pugi::xml_node& node, const char* name, std::uint32_t value) {
    setNumber(node, name, value);
}

void readColorWord(const pugi::xml_node& node, std::string_view name, std::uint32_t& target) {
    if (const pugi::xml_attribute a = findAttribute(node, name))
        target = parseColorWord(a.value());
}

void appendFixed(pugi::xml_node& parent, const char* name, std::uint32_t value) {
    pugi::xml_node element = parent.append_child(name);
    setNumber(element, "High", value & 0xFFFF);
    setNumber(element, "Low", value >> 16);
}

void readFixed(const pugi::xml_node& parent, std::string_view name, std::uint32_t& target) {
    const pugi::xml_node element = findChild(parent, name);
    if (!element)
        return;
    std::uint16_t high = 0, low = 0;
    readNumber(element, "High", high);
    readNumber(element, "Low", low);
    target = std::uint32_t{low} << 16 | high;
}

void appendStrength(pugi::xml_node& parent, std::uint16_t value) {
    pugi::xml_node element = parent.append_child("Strength");
    setNumber(element, "High", value & 0xFF);
    setNumber(element, "Low", value >> 8);
}

void readStrength(const pugi::xml_node& parent, std::uint16_t& target) {
    const pugi::xml_node element = findChild(parent, "Strength");
    if (!element)
        return;
    std::uint8_t high = 0, low = 0;
    readNumber(element, "High", high);
    readNumber(element, "Low", low);
    target = static_cast<std::uint16_t>(low << 8 | high);
}

// One bit of a flags byte: bit 0 of the attribute's value, when the attribute is there.
void readFlag(const pugi::xml_node& bits, std::string_view name, unsigned bit,
              std::uint8_t& flags) {
    std::uint8_t value = 0;
    if (readNumber(bits, name, value))
        flags = static_cast<std::uint8_t>((flags & ~(1u << bit)) | (value & 1u) << bit);
}

// Passes of width `width` starting at bit `shift`.
void readPasses(const pugi::xml_node& bits, unsigned width, unsigned shift, std::uint8_t& flags) {
    std::uint8_t value = 0;
    if (!readNumber(bits, "Passes", value))
        return;
    const unsigned mask = ((1u << width) - 1) << shift;
    flags = static_cast<std::uint8_t>((flags & ~mask) | ((value << shift) & mask));
}

// The shadow layout of the drop shadow and glow: passes in bits 0..4, then three flags.
void appendShadowBits(pugi::xml_node& parent, std::uint8_t flags) {
    pugi::xml_node bits = parent.append_child("BitsField");
    setNumber(bits, "Passes", flags & 0x1F);
    setNumber(bits, "InnerShadow", flags >> 5 & 1);
    setNumber(bits, "Knockout", flags >> 6 & 1);
    setNumber(bits, "CompositeSource", flags >> 7 & 1);
}

void readShadowBits(const pugi::xml_node& parent, std::uint8_t& flags) {
    const pugi::xml_node bits = findChild(parent, "BitsField");
    readPasses(bits, 5, 0, flags);
    readFlag(bits, "InnerShadow", 5, flags);
    readFlag(bits, "Knockout", 6, flags);
    readFlag(bits, "CompositeSource", 7, flags);
}

// The bevel layout of the bevels and the gradient glow: passes in bits 0..3, then four flags.
void appendBevelBits(pugi::xml_node& parent, std::uint8_t flags) {
    pugi::xml_node bits = parent.append_child("BitsField");
    setNumber(bits, "Passes", flags & 0x0F);
    setNumber(bits, "InnerShadow", flags >> 4 & 1);
    setNumber(bits, "Knockout", flags >> 5 & 1);
    setNumber(bits, "CompositeSource", flags >> 6 & 1);
    setNumber(bits, "OnTop", flags >> 7 & 1);
}

void readBevelBits(const pugi::xml_node& parent, std::uint8_t& flags) {
    const pugi::xml_node bits = findChild(parent, "BitsField");
    readPasses(bits, 4, 0, flags);
    readFlag(bits, "InnerShadow", 4, flags);
    readFlag(bits, "Knockout", 5, flags);
    readFlag(bits, "CompositeSource", 6, flags);
    readFlag(bits, "OnTop", 7, flags);
}

// The text of the element's children that have text, in order.
template <class Each>
void forEachValue(const pugi::xml_node& parent, Each each) {
    if (!parent)
        return;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string text = elementText(child);
        if (!text.empty() && !each(text))
            return;
    }
}

// ---- the filters ---------------------------------------------------------------------------

void writeDropShadow(pugi::xml_node& e, const SwfDropShadowFilter& f) {
    setWord(e, "DropShadowColor", f.color);
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendFixed(e, "Angle", f.angle);
    appendFixed(e, "Distance", f.distance);
    appendStrength(e, f.strength);
    appendShadowBits(e, f.flags);
}

void readDropShadow(const pugi::xml_node& e, SwfDropShadowFilter& f) {
    readColorWord(e, "DropShadowColor", f.color);
    readFixed(e, "BlurX", f.blurX);
    readFixed(e, "BlurY", f.blurY);
    readFixed(e, "Angle", f.angle);
    readFixed(e, "Distance", f.distance);
    readStrength(e, f.strength);
    readShadowBits(e, f.flags);
}

// Passes live in bits 3..7; the low three bits are shown as Reserved only when a movie sets
// them, so that every flags byte survives.
void writeBlur(pugi::xml_node& e, const SwfBlurFilter& f) {
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    pugi::xml_node bits = e.append_child("BitsField");
    setNumber(bits, "Passes", f.flags >> 3);
    if (f.flags & 0x07)
        setNumber(bits, "Reserved", f.flags & 0x07);
}

void readBlur(const pugi::xml_node& e, SwfBlurFilter& f) {
    readFixed(e, "BlurX", f.blurX);
    readFixed(e, "BlurY", f.blurY);
    const pugi::xml_node bits = findChild(e, "BitsField");
    readPasses(bits, 5, 3, f.flags);
    std::uint8_t reserved = 0;
    if (readNumber(bits, "Reserved", reserved))
        f.flags = static_cast<std::uint8_t>((f.flags & ~0x07) | (reserved & 0x07));
}

void writeGlow(pugi::xml_node& e, const SwfGlowFilter& f) {
    setWord(e, "RGBA", f.color);
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendStrength(e, f.strength);
    appendShadowBits(e, f.flags);
}

void readGlow(const pugi::xml_node& e, SwfGlowFilter& f) {
    readColorWord(e, "RGBA", f.color);
    readFixed(e, "BlurX", f.blurX);
    readFixed(e, "BlurY", f.blurY);
    readStrength(e, f.strength);
    readShadowBits(e, f.flags);
}

void writeBevel(pugi::xml_node& e, const SwfBevelFilter& f) {
    setWord(e, "ShadowColor", f.shadowColor);
    setWord(e, "HighlightColor", f.highlightColor);
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendFixed(e, "Angle", f.angle);
    appendFixed(e, "Distance", f.distance);
    appendStrength(e, f.strength);
    appendBevelBits(e, f.flags);
}

void readBevel(const pugi::xml_node& e, SwfBevelFilter& f) {
    readColorWord(e, "ShadowColor", f.shadowColor);
    readColorWord(e, "HighlightColor", f.highlightColor);
    readFixed(e, "BlurX", f.blurX);
    readFixed(e, "BlurY", f.blurY);
    readFixed(e, "Angle", f.angle);
    readFixed(e, "Distance", f.distance);
    readStrength(e, f.strength);
    readBevelBits(e, f.flags);
}

void appendGradientLists(pugi::xml_node& e, const SwfGradientFilter& f) {
    pugi::xml_node colors = e.append_child("GradientColors");
    for (std::uint32_t color : f.colors)
        colors.append_child("Color").text().set(formatNumber(color).c_str());
    pugi::xml_node ratios = e.append_child("GradientRation");
    for (std::uint8_t ratio : f.ratios)
        ratios.append_child("Ratio").text().set(formatNumber(ratio).c_str());
}

void appendGradientFields(pugi::xml_node& e, const SwfGradientFilter& f) {
    appendFixed(e, "BlurX", f.blurX);
    appendFixed(e, "BlurY", f.blurY);
    appendFixed(e, "Angle", f.angle);
    appendFixed(e, "Distance", f.distance);
    appendStrength(e, f.strength);
    appendBevelBits(e, f.flags);
}

// The gradient glow shows its lists before the other fields, the gradient bevel after them.
void writeGradient(pugi::xml_node& e, const SwfGradientFilter& f, bool listsFirst) {
    setNumber(e, "NumColors", static_cast<std::int64_t>(f.colors.size()));
    if (listsFirst)
        appendGradientLists(e, f);
    appendGradientFields(e, f);
    if (!listsFirst)
        appendGradientLists(e, f);
}

// NumColors is not needed: the count byte follows the lists.
void readGradient(const pugi::xml_node& e, SwfGradientFilter& f) {
    forEachValue(findChild(e, "GradientColors"), [&](const std::string& text) {
        f.colors.push_back(parseColorWord(text));
        return true;
    });
    forEachValue(findChild(e, "GradientRation"), [&](const std::string& text) {
        f.ratios.push_back(parseNumber<std::uint8_t>(text));
        return true;
    });
    readFixed(e, "BlurX", f.blurX);
    readFixed(e, "BlurY", f.blurY);
    readFixed(e, "Angle", f.angle);
    readFixed(e, "Distance", f.distance);
    readStrength(e, f.strength);
    readBevelBits(e, f.flags);
}

// Clamp is bit 1; Reserved is the rest of the byte (bit 0 preserve-alpha and bits 2..7),
// shown only when a movie sets any of it.
void writeConvolution(pugi::xml_node& e, const SwfConvolutionFilter& f) {
    setNumber(e, "MatrixX", f.matrixX);
    setNumber(e, "MatrixY", f.matrixY);
    setFloat(e, "Divisor", f.divisor);
    setFloat(e, "Bias", f.bias);
    setWord(e, "DefaultColor", f.defaultColor);
    pugi::xml_node bits = e.append_child("BitsField");
    setNumber(bits, "Clamp", f.flags >> 1 & 1);
    if (const std::uint8_t reserved = f.flags & ~SwfConvolutionFilter::Clamp)
        setNumber(bits, "Reserved", reserved);
    pugi::xml_node matrix = e.append_child("Matrix");
    for (float value : f.matrix)
        matrix.append_child("Code").text().set(formatFloat(value).c_str());
}

void readConvolution(const pugi::xml_node& e, SwfConvolutionFilter& f) {
    readNumber(e, "MatrixX", f.matrixX);
    readNumber(e, "MatrixY", f.matrixY);
    readNumber(e, "Divisor", f.divisor);
    readNumber(e, "Bias", f.bias);
    readColorWord(e, "DefaultColor", f.defaultColor);
    const pugi::xml_node bits = findChild(e, "BitsField");
    readFlag(bits, "Clamp", 1, f.flags);
    std::uint8_t reserved = 0;
    if (readNumber(bits, "Reserved", reserved))
        f.flags = static_cast<std::uint8_t>((f.flags & SwfConvolutionFilter::Clamp) |
                                            (reserved & ~SwfConvolutionFilter::Clamp));
    forEachValue(findChild(e, "Matrix"), [&](const std::string& text) {
        f.matrix.push_back(parseNumber<float>(text));
        return true;
    });
}

void writeColorMatrix(pugi::xml_node& e, const SwfColorMatrixFilter& f) {
    pugi::xml_node matrix = e.append_child("Matrix");
    for (float value : f.matrix)
        matrix.append_child("Value").text().set(formatFloat(value).c_str());
}

void readColorMatrix(const pugi::xml_node& e, SwfColorMatrixFilter& f) {
    std::size_t i = 0;
    forEachValue(firstElement(e), [&](const std::string& text) {
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

pugi::xml_node appendFilterList(pugi::xml_node& parent, const SwfFilterList& list) {
    pugi::xml_node element = parent.append_child("FilterList");
    for (const auto& entry : list.filters) {
        // An entry the binary writer would refuse is left out here; the size pass names it.
        if (!entry || !entry->filter || entry->id >= std::size(kFilterNames))
            continue;
        pugi::xml_node e = element.append_child(kFilterNames[entry->id]);
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

void readFilterList(const pugi::xml_node& element, SwfFilterList& list) {
    list.filters.clear();
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
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
