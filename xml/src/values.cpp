#include "swfxml/values.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

namespace swfxml {

// ---- names ------------------------------------------------------------------------------

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

} // namespace

bool namesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

pugi::xml_attribute findAttribute(const pugi::xml_node& node, std::string_view name) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (namesEqual(a.name(), name))
            return a;
    return {};
}

pugi::xml_node findChild(const pugi::xml_node& node, std::string_view name) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && namesEqual(c.name(), name))
            return c;
    return {};
}

pugi::xml_node firstElement(const pugi::xml_node& node) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            return c;
    return {};
}

// ---- numbers ----------------------------------------------------------------------------

std::string formatNumber(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string formatFloat(float value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    return std::string(buffer, result.ptr);
}

void setNumber(pugi::xml_node& node, const char* name, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *result.ptr = 0;
    node.append_attribute(name).set_value(buffer);
}

void setFloat(pugi::xml_node& node, const char* name, float value) {
    node.append_attribute(name).set_value(formatFloat(value).c_str());
}

// ---- booleans, colours, strings ---------------------------------------------------------

void setBool(pugi::xml_node& node, const char* name, bool value) {
    node.append_attribute(name).set_value(value ? "true" : "false");
}

bool parseBool(std::string_view text) {
    return namesEqual(text, "true");
}

bool readBool(const pugi::xml_node& node, std::string_view name, bool& target) {
    const pugi::xml_attribute a = findAttribute(node, name);
    if (!a)
        return false;
    target = parseBool(a.value());
    return true;
}

std::string formatColor(const libswf::SwfColor& color) {
    const std::uint32_t packed = static_cast<std::uint32_t>(color.r) << 24 |
                                 static_cast<std::uint32_t>(color.g) << 16 |
                                 static_cast<std::uint32_t>(color.b) << 8 | color.a;
    char buffer[9];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, packed, 16);
    return std::string(buffer, result.ptr);
}

libswf::SwfColor parseColor(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c != '#')
            digits += c;
    std::uint32_t packed = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), packed, 16);
    if (error != std::errc() || end != digits.data() + digits.size())
        packed = 0;
    return libswf::SwfColor(
        static_cast<std::uint8_t>(packed >> 24), static_cast<std::uint8_t>(packed >> 16),
        static_cast<std::uint8_t>(packed >> 8), static_cast<std::uint8_t>(packed));
}

void setColor(pugi::xml_node& node, const char* name, const libswf::SwfColor& color) {
    node.append_attribute(name).set_value(formatColor(color).c_str());
}

bool readColor(const pugi::xml_node& node, std::string_view name, libswf::SwfColor& target) {
    const pugi::xml_attribute a = findAttribute(node, name);
    if (!a)
        return false;
    target = parseColor(a.value());
    return true;
}

void setString(pugi::xml_node& node, const char* name, const libswf::SwfString& value) {
    node.append_attribute(name).set_value(value.text.c_str());
}

bool readString(const pugi::xml_node& node, std::string_view name, libswf::SwfString& target) {
    const pugi::xml_attribute a = findAttribute(node, name);
    if (!a)
        return false;
    target.text = a.value();
    return true;
}

// ---- records ----------------------------------------------------------------------------

pugi::xml_node appendRect(pugi::xml_node& parent, const char* name, const libswf::SwfRect& rect) {
    pugi::xml_node element = parent.append_child(name);
    setNumber(element, "MaxX", rect.xmax);
    setNumber(element, "MaxY", rect.ymax);
    setNumber(element, "MinX", rect.xmin);
    setNumber(element, "MinY", rect.ymin);
    return element;
}

libswf::SwfRect readRect(const pugi::xml_node& element) {
    libswf::SwfRect rect;
    readNumber(element, "MaxX", rect.xmax);
    readNumber(element, "MaxY", rect.ymax);
    readNumber(element, "MinX", rect.xmin);
    readNumber(element, "MinY", rect.ymin);
    return rect;
}

namespace {

// Translations are whole twips in the binary form; the text shows what will be written.
// Values beyond 64 bits cannot come from a file and are shown as 0.
std::int64_t wholeTwips(float value) {
    const double t = std::trunc(static_cast<double>(value));
    return t >= -9.2e18 && t <= 9.2e18 ? static_cast<std::int64_t>(t) : 0;
}

} // namespace

pugi::xml_node appendMatrix(pugi::xml_node& parent, const char* name,
                            const libswf::SwfMatrix& matrix) {
    pugi::xml_node element = parent.append_child(name);
    pugi::xml_node translate = element.append_child("Translate");
    setNumber(translate, "TranslateX", wholeTwips(matrix.translateX));
    setNumber(translate, "TranslateY", wholeTwips(matrix.translateY));
    if (matrix.hasScale) {
        pugi::xml_node scale = element.append_child("Scale");
        setFloat(scale, "ScaleX", matrix.scaleX);
        setFloat(scale, "ScaleY", matrix.scaleY);
    }
    if (matrix.hasRotate) {
        pugi::xml_node rotate = element.append_child("Rotate");
        setFloat(rotate, "RotateSkew0", matrix.rotateSkew0);
        setFloat(rotate, "RotateSkew1", matrix.rotateSkew1);
    }
    return element;
}

libswf::SwfMatrix readMatrix(const pugi::xml_node& element) {
    libswf::SwfMatrix matrix;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        if (namesEqual(c.name(), "Translate")) {
            std::int32_t x = 0, y = 0;
            if (readNumber(c, "TranslateX", x))
                matrix.translateX = static_cast<float>(x);
            if (readNumber(c, "TranslateY", y))
                matrix.translateY = static_cast<float>(y);
        } else if (namesEqual(c.name(), "Scale")) {
            matrix.hasScale |= readNumber(c, "ScaleX", matrix.scaleX);
            matrix.hasScale |= readNumber(c, "ScaleY", matrix.scaleY);
        } else if (namesEqual(c.name(), "Rotate")) {
            matrix.hasRotate |= readNumber(c, "RotateSkew0", matrix.rotateSkew0);
            matrix.hasRotate |= readNumber(c, "RotateSkew1", matrix.rotateSkew1);
        }
    }
    return matrix;
}

pugi::xml_node appendColorTransform(pugi::xml_node& parent,
                                    const libswf::SwfColorTransform& transform) {
    pugi::xml_node element = parent.append_child("ColorTransform");
    if (transform.hasMult) {
        setNumber(element, "MulR", transform.mulR);
        setNumber(element, "MulG", transform.mulG);
        setNumber(element, "MulB", transform.mulB);
        setNumber(element, "MulA", transform.mulA);
    }
    if (transform.hasAdd) {
        setNumber(element, "AddR", transform.addR);
        setNumber(element, "AddG", transform.addG);
        setNumber(element, "AddB", transform.addB);
        setNumber(element, "AddA", transform.addA);
    }
    return element;
}

libswf::SwfColorTransform readColorTransform(const pugi::xml_node& element) {
    libswf::SwfColorTransform t;
    for (auto [name, term] :
         {std::pair{"MulR", &t.mulR}, {"MulG", &t.mulG}, {"MulB", &t.mulB}, {"MulA", &t.mulA}})
        t.hasMult |= readNumber(element, name, *term);
    for (auto [name, term] :
         {std::pair{"AddR", &t.addR}, {"AddG", &t.addG}, {"AddB", &t.addB}, {"AddA", &t.addA}})
        t.hasAdd |= readNumber(element, name, *term);
    return t;
}

// ---- payloads ---------------------------------------------------------------------------

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> kDecode = [] {
    std::array<std::int8_t, 256> t{};
    for (auto& v : t)
        v = -1;
    for (int i = 0; i < 64; ++i)
        t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    t[' '] = t['\r'] = t['\n'] = -2; // skipped
    return t;
}();

constexpr std::size_t kLine = 80;

} // namespace

std::string base64Encode(std::span<const std::uint8_t> bytes) {
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* o = out.data();
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 3; n -= 3, p += 3, o += 4) {
        const std::uint32_t v = p[0] << 16 | p[1] << 8 | p[2];
        o[0] = kAlphabet[v >> 18];
        o[1] = kAlphabet[(v >> 12) & 63];
        o[2] = kAlphabet[(v >> 6) & 63];
        o[3] = kAlphabet[v & 63];
    }
    if (n > 0) {
        const std::uint32_t v = p[0] << 16 | (n == 2 ? p[1] << 8 : 0);
        o[0] = kAlphabet[v >> 18];
        o[1] = kAlphabet[(v >> 12) & 63];
        if (n == 2)
            o[2] = kAlphabet[(v >> 6) & 63];
    }
    return out;
}

std::vector<std::uint8_t> base64Decode(std::string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t accumulator = 0;
    int bits = 0;
    for (char c : text) {
        const std::int8_t v = kDecode[static_cast<unsigned char>(c)];
        if (v == -2)
            continue;
        if (v < 0)
            break;
        accumulator = accumulator << 6 | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>(accumulator >> bits));
        }
    }
    return out;
}

pugi::xml_node appendBase64(pugi::xml_node& parent, const char* name,
                            std::span<const std::uint8_t> bytes, int k) {
    const std::string encoded = base64Encode(bytes);
    const std::size_t indent = static_cast<std::size_t>(k + 1) * 4;
    const std::size_t lines = (encoded.size() + kLine - 1) / kLine;
    std::string layout;
    layout.reserve(1 + encoded.size() + lines * (indent + 1) + indent);
    layout += '\n';
    for (std::size_t at = 0; at < encoded.size(); at += kLine) {
        layout.append(indent, ' ');
        layout.append(encoded, at, kLine);
        layout += '\n';
    }
    layout.append(indent, ' ');
    pugi::xml_node element = parent.append_child(name);
    element.append_child(pugi::node_cdata).set_value(layout.c_str());
    return element;
}

pugi::xml_node appendText(pugi::xml_node& parent, const char* name, std::string_view text) {
    pugi::xml_node element = parent.append_child(name);
    element.append_child(pugi::node_cdata).set_value(std::string(text).c_str());
    return element;
}

std::string elementText(const pugi::xml_node& element) {
    std::string out;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_cdata || c.type() == pugi::node_pcdata)
            out += c.value();
    return out;
}

} // namespace swfxml
