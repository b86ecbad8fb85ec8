#include "swfxml/values.h"

#include "tree.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

namespace swfxml {

// ---- names ------------------------------------------------------------------------------

SwfXmlIn findChild(const SwfXmlIn& element, std::string_view name) {
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild())
        if (namesEqual(c.name(), name))
            return c;
    return {};
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

namespace {

std::string_view formatFloatInto(float value, char (&buffer)[32]) {
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    return std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

std::string_view formatColorInto(const libswf::SwfColor& color, char (&buffer)[9]) {
    const std::uint32_t packed = static_cast<std::uint32_t>(color.r) << 24 |
                                 static_cast<std::uint32_t>(color.g) << 16 |
                                 static_cast<std::uint32_t>(color.b) << 8 | color.a;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, packed, 16);
    return std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

} // namespace

std::string formatFloat(float value) {
    char buffer[32];
    return std::string(formatFloatInto(value, buffer));
}

void setNumber(SwfXmlOut& element, std::string_view name, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    element.plainAttribute(name,
                           std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

void setFloat(SwfXmlOut& element, std::string_view name, float value) {
    char buffer[32];
    element.plainAttribute(name, formatFloatInto(value, buffer));
}

void setNumber(pugi::xml_node& node, const char* name, std::int64_t value) {
    node.append_attribute(name).set_value(formatNumber(value).c_str());
}

void setFloat(pugi::xml_node& node, const char* name, float value) {
    node.append_attribute(name).set_value(formatFloat(value).c_str());
}

// ---- booleans, colours, strings ---------------------------------------------------------

bool parseBool(std::string_view text) {
    return namesEqual(text, "true");
}

void setBool(SwfXmlOut& element, std::string_view name, bool value) {
    element.plainAttribute(name, value ? "true" : "false");
}

bool readBool(const SwfXmlIn& element, std::string_view name, bool& target) {
    const SwfXmlAttribute* a = findAttribute(element, name);
    if (!a)
        return false;
    target = parseBool(a->value);
    return true;
}

void setBool(pugi::xml_node& node, const char* name, bool value) {
    node.append_attribute(name).set_value(value ? "true" : "false");
}

bool readBool(const pugi::xml_node& node, std::string_view name, bool& target) {
    const pugi::xml_attribute a = findAttribute(node, name);
    if (!a)
        return false;
    target = parseBool(a.value());
    return true;
}

std::string formatColor(const libswf::SwfColor& color) {
    char buffer[9];
    return std::string(formatColorInto(color, buffer));
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

void setColor(SwfXmlOut& element, std::string_view name, const libswf::SwfColor& color) {
    char buffer[9];
    element.plainAttribute(name, formatColorInto(color, buffer));
}

bool readColor(const SwfXmlIn& element, std::string_view name, libswf::SwfColor& target) {
    const SwfXmlAttribute* a = findAttribute(element, name);
    if (!a)
        return false;
    target = parseColor(a->value);
    return true;
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

void setString(SwfXmlOut& element, std::string_view name, const libswf::SwfString& value) {
    element.attribute(name, value.text);
}

bool readString(const SwfXmlIn& element, std::string_view name, libswf::SwfString& target) {
    const SwfXmlAttribute* a = findAttribute(element, name);
    if (!a)
        return false;
    target.text = a->value;
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

// ---- field widths -----------------------------------------------------------------------

void setGivenBits(SwfXmlOut& element, std::string_view name, std::uint8_t bits) {
    if (bits != libswf::NotGivenBits)
        setNumber(element, name, bits);
}

void setGivenBits(pugi::xml_node& node, const char* name, std::uint8_t bits) {
    if (bits != libswf::NotGivenBits)
        setNumber(node, name, bits);
}

namespace {

void takeGivenBits(std::string_view text, unsigned most, std::uint8_t& bits) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && value <= most)
        bits = static_cast<std::uint8_t>(value);
}

} // namespace

void readGivenBits(const SwfXmlIn& element, std::string_view name, unsigned most,
                   std::uint8_t& bits) {
    if (const SwfXmlAttribute* a = findAttribute(element, name))
        takeGivenBits(a->value, most, bits);
}

void readGivenBits(const pugi::xml_node& node, std::string_view name, unsigned most,
                   std::uint8_t& bits) {
    if (const pugi::xml_attribute a = findAttribute(node, name))
        takeGivenBits(a.value(), most, bits);
}

// ---- records ----------------------------------------------------------------------------

SwfXmlOut appendRect(SwfXmlOut& parent, std::string_view name, const libswf::SwfRect& rect) {
    SwfXmlOut element = parent.child(name);
    setNumber(element, "MaxX", rect.xmax);
    setNumber(element, "MaxY", rect.ymax);
    setNumber(element, "MinX", rect.xmin);
    setNumber(element, "MinY", rect.ymin);
    setGivenBits(element, "NBits", rect.givenBits);
    return element;
}

libswf::SwfRect readRect(const SwfXmlIn& element) {
    libswf::SwfRect rect;
    readNumber(element, "MaxX", rect.xmax);
    readNumber(element, "MaxY", rect.ymax);
    readNumber(element, "MinX", rect.xmin);
    readNumber(element, "MinY", rect.ymin);
    readGivenBits(element, "NBits", 31, rect.givenBits);
    return rect;
}

namespace {

// The dialect's terms are floats, printed with 9 digits, which give back exactly the float
// they came from. A float holds every term of a movie exactly up to 256; beyond it, a term
// with a fraction is printed with all the digits of its exact value, so that no bit of the
// 16.16 field is lost.
void setMatrixTerm(SwfXmlOut& element, std::string_view name, double value) {
    const auto single = static_cast<float>(value);
    if (static_cast<double>(single) == value || !std::isfinite(value)) {
        setFloat(element, name, single);
        return;
    }
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    element.plainAttribute(name,
                           std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

// Text that names a point of the 16.16 grid exactly is taken as that point; other text is
// read as a float, so that the 9-digit text of a float term gives back that term.
bool readFloatInto(const SwfXmlIn& element, std::string_view name, double& target) {
    const SwfXmlAttribute* a = findAttribute(element, name);
    if (!a)
        return false;
    const auto value = parseNumber<float>(a->value);
    const auto exact = parseNumber<double>(a->value);
    const double steps = exact * 65536.0;
    target = std::isfinite(steps) && steps == std::trunc(steps) ? exact : value;
    return true;
}

} // namespace

SwfXmlOut appendMatrix(SwfXmlOut& parent, std::string_view name, const libswf::SwfMatrix& matrix) {
    SwfXmlOut element = parent.child(name);
    SwfXmlOut translate = element.child("Translate");
    setNumber(translate, "TranslateX", matrix.translateX);
    setNumber(translate, "TranslateY", matrix.translateY);
    setGivenBits(translate, "NBits", matrix.givenTranslateBits);
    // The dialect shows the terms as floats.
    if (matrix.hasScale) {
        SwfXmlOut scale = element.child("Scale");
        setMatrixTerm(scale, "ScaleX", matrix.scaleX);
        setMatrixTerm(scale, "ScaleY", matrix.scaleY);
        setGivenBits(scale, "NBits", matrix.givenScaleBits);
    }
    if (matrix.hasRotate) {
        SwfXmlOut rotate = element.child("Rotate");
        setMatrixTerm(rotate, "RotateSkew0", matrix.rotateSkew0);
        setMatrixTerm(rotate, "RotateSkew1", matrix.rotateSkew1);
        setGivenBits(rotate, "NBits", matrix.givenRotateBits);
    }
    return element;
}

libswf::SwfMatrix readMatrix(const SwfXmlIn& element) {
    libswf::SwfMatrix matrix;
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        if (namesEqual(c.name(), "Translate")) {
            readNumber(c, "TranslateX", matrix.translateX);
            readNumber(c, "TranslateY", matrix.translateY);
            readGivenBits(c, "NBits", 31, matrix.givenTranslateBits);
        } else if (namesEqual(c.name(), "Scale")) {
            matrix.hasScale |= readFloatInto(c, "ScaleX", matrix.scaleX);
            matrix.hasScale |= readFloatInto(c, "ScaleY", matrix.scaleY);
            readGivenBits(c, "NBits", 31, matrix.givenScaleBits);
        } else if (namesEqual(c.name(), "Rotate")) {
            matrix.hasRotate |= readFloatInto(c, "RotateSkew0", matrix.rotateSkew0);
            matrix.hasRotate |= readFloatInto(c, "RotateSkew1", matrix.rotateSkew1);
            readGivenBits(c, "NBits", 31, matrix.givenRotateBits);
        }
    }
    return matrix;
}

SwfXmlOut appendColorTransform(SwfXmlOut& parent, const libswf::SwfColorTransform& transform) {
    SwfXmlOut element = parent.child("ColorTransform");
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
    setGivenBits(element, "NBits", transform.givenBits);
    return element;
}

libswf::SwfColorTransform readColorTransform(const SwfXmlIn& element) {
    libswf::SwfColorTransform t;
    for (auto [name, term] :
         {std::pair{"MulR", &t.mulR}, {"MulG", &t.mulG}, {"MulB", &t.mulB}, {"MulA", &t.mulA}})
        t.hasMult |= readNumber(element, name, *term);
    for (auto [name, term] :
         {std::pair{"AddR", &t.addR}, {"AddG", &t.addG}, {"AddB", &t.addB}, {"AddA", &t.addA}})
        t.hasAdd |= readNumber(element, name, *term);
    readGivenBits(element, "NBits", 15, t.givenBits);
    return t;
}

// The records held in document trees, printed and read as above.

pugi::xml_node appendRect(pugi::xml_node& parent, const char* name, const libswf::SwfRect& rect) {
    return appendPrinted(parent, [&](SwfXmlOut& p) { appendRect(p, name, rect); });
}

libswf::SwfRect readRect(const pugi::xml_node& element) {
    return readPrinted(element, [](const SwfXmlIn& e) { return readRect(e); });
}

pugi::xml_node appendMatrix(pugi::xml_node& parent, const char* name,
                            const libswf::SwfMatrix& matrix) {
    return appendPrinted(parent, [&](SwfXmlOut& p) { appendMatrix(p, name, matrix); });
}

libswf::SwfMatrix readMatrix(const pugi::xml_node& element) {
    return readPrinted(element, [](const SwfXmlIn& e) { return readMatrix(e); });
}

pugi::xml_node appendColorTransform(pugi::xml_node& parent,
                                    const libswf::SwfColorTransform& transform) {
    return appendPrinted(parent, [&](SwfXmlOut& p) { appendColorTransform(p, transform); });
}

libswf::SwfColorTransform readColorTransform(const pugi::xml_node& element) {
    return readPrinted(element, [](const SwfXmlIn& e) { return readColorTransform(e); });
}

// ---- payloads ---------------------------------------------------------------------------

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit group: payloads of many megabytes pass through here,
// and one lookup per two characters halves the work of one per character.
constexpr std::array<std::array<char, 2>, 4096> kPairs = [] {
    std::array<std::array<char, 2>, 4096> t{};
    for (int i = 0; i < 4096; ++i)
        t[i] = {kAlphabet[i >> 6], kAlphabet[i & 63]};
    return t;
}();

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

std::size_t encodedSize(std::size_t bytes) {
    return (bytes + 2) / 3 * 4;
}

// Encodes the bytes into encodedSize(n) characters at out, padding with "=".
void encodeInto(const std::uint8_t* p, std::size_t n, char* out) {
    for (; n >= 3; n -= 3, p += 3, out += 4) {
        const std::uint32_t v = static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
        std::memcpy(out, kPairs[v >> 12].data(), 2);
        std::memcpy(out + 2, kPairs[v & 0xfff].data(), 2);
    }
    if (n > 0) {
        const std::uint32_t v = static_cast<std::uint32_t>(p[0] << 16 | (n == 2 ? p[1] << 8 : 0));
        out[0] = kAlphabet[v >> 18];
        out[1] = kAlphabet[(v >> 12) & 63];
        out[2] = n == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out[3] = '=';
    }
}

// The twelve bits of every pair of characters (the first in the low byte of the index),
// 0xFFFF where either is outside the alphabet: one lookup per two characters halves the work
// of decoding as the pair table does for encoding. Built on first use, in static storage.
struct PairDecoder {
    PairDecoder() {
        for (std::size_t i = 0; i < table.size(); ++i) {
            const std::int8_t first = kDecode[i & 0xFF];
            const std::int8_t second = kDecode[i >> 8];
            table[i] =
                first < 0 || second < 0 ? 0xFFFF : static_cast<std::uint16_t>(first << 6 | second);
        }
    }
    std::array<std::uint16_t, 65536> table;
};

const std::uint16_t* pairDecoder() {
    static const PairDecoder decoder;
    return decoder.table.data();
}

// Appends the bytes of text to out, carrying a group that is cut between two calls in
// accumulator and bits. Returns false once it meets "=" or a character outside the alphabet.
// The bytes gather in a small block first, so that out grows only by what is decoded and
// the spare room the caller reserved is never touched.
bool decodeInto(std::string_view text, std::vector<std::uint8_t>& out, std::uint32_t& accumulator,
                int& bits) {
    std::uint8_t block[4096];
    std::size_t n = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    bool more = true;
    while (p < end) {
        if (n > sizeof block - 64) {
            out.insert(out.end(), block, block + n);
            n = 0;
        }
        // Whole groups of four characters, the bulk of any laid-out payload, a line's worth
        // at a time; anything else goes one character at a time below.
        if (bits == 0 && end - p >= 4) {
            const std::uint16_t* pairs = pairDecoder();
            const auto pairAt = [pairs](const char* at) {
                return pairs[static_cast<unsigned char>(at[0]) |
                             static_cast<unsigned>(static_cast<unsigned char>(at[1])) << 8];
            };
            int groups = 0;
            for (; groups < 20 && end - p >= 4; ++groups, p += 4, n += 3) {
                const std::uint16_t high = pairAt(p);
                const std::uint16_t low = pairAt(p + 2);
                if ((high | low) & 0xF000)
                    break;
                const auto v = static_cast<std::uint32_t>(high) << 12 | low;
                block[n] = static_cast<std::uint8_t>(v >> 16);
                block[n + 1] = static_cast<std::uint8_t>(v >> 8);
                block[n + 2] = static_cast<std::uint8_t>(v);
            }
            if (groups > 0)
                continue;
        }
        const std::int8_t v = kDecode[static_cast<unsigned char>(*p++)];
        if (v == -2) {
            while (p < end && kDecode[static_cast<unsigned char>(*p)] == -2)
                ++p;
            continue;
        }
        if (v < 0) {
            more = false;
            break;
        }
        accumulator = accumulator << 6 | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            block[n++] = static_cast<std::uint8_t>(accumulator >> bits);
        }
    }
    out.insert(out.end(), block, block + n);
    return more;
}

} // namespace

std::string base64Encode(std::span<const std::uint8_t> bytes) {
    std::string out(encodedSize(bytes.size()), '=');
    encodeInto(bytes.data(), bytes.size(), out.data());
    return out;
}

std::vector<std::uint8_t> base64Decode(std::string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t accumulator = 0;
    int bits = 0;
    decodeInto(text, out, accumulator, bits);
    return out;
}

std::vector<std::uint8_t> base64DecodeElement(const SwfXmlIn& element) {
    std::vector<std::uint8_t> out;
    std::uint32_t accumulator = 0;
    int bits = 0;
    bool more = true;
    element.eachText([&](std::string_view piece) {
        if (!more)
            return;
        // The room each piece needs, reserved before it is decoded: a payload's section
        // comes whole, so one reservation serves it.
        out.reserve(out.size() + piece.size() / 4 * 3 + 3);
        more = decodeInto(piece, out, accumulator, bits);
    });
    // The blanks of the layout make the reservation a sixth too large. The unused end of a
    // large block is never written, so it takes no memory; that of a small one shares its
    // pages with other data, for as long as the tag lives, and is given back by a copy. A
    // copy of a large block would hold it twice at once (a megabyte of bitmap, beside its
    // text, needed more than twice the text).
    if (out.size() < (std::size_t{1} << 16) && out.capacity() - out.size() > out.size() / 16)
        out.shrink_to_fit();
    return out;
}

std::vector<std::uint8_t> base64DecodeElement(const pugi::xml_node& element) {
    return readPrinted(element, [](const SwfXmlIn& e) { return base64DecodeElement(e); });
}

void appendBase64(SwfXmlOut& parent, std::string_view name, std::span<const std::uint8_t> bytes,
                  int k) {
    // The lines are encoded straight into the printer's buffer; 60 bytes make one line of 80
    // characters.
    const std::size_t indent = static_cast<std::size_t>(k + 1) * 4;
    SwfXmlOut element = parent.child(name);
    element.beginCdata();
    std::memcpy(element.reserve(1), "\n", 1);
    element.commit(1);
    for (std::size_t at = 0; at < bytes.size(); at += kLine / 4 * 3) {
        const std::size_t n = std::min(bytes.size() - at, kLine / 4 * 3);
        char* out = element.reserve(indent + kLine + 1);
        std::memset(out, ' ', indent);
        encodeInto(bytes.data() + at, n, out + indent);
        const std::size_t line = indent + encodedSize(n);
        out[line] = '\n';
        element.commit(line + 1);
    }
    std::memset(element.reserve(indent), ' ', indent);
    element.commit(indent);
    element.endCdata();
}

pugi::xml_node appendBase64(pugi::xml_node& parent, const char* name,
                            std::span<const std::uint8_t> bytes, int k) {
    return appendPrinted(parent, [&](SwfXmlOut& p) { appendBase64(p, name, bytes, k); });
}

void appendText(SwfXmlOut& parent, std::string_view name, std::string_view text) {
    parent.child(name).cdata(text);
}

pugi::xml_node appendText(pugi::xml_node& parent, const char* name, std::string_view text) {
    return appendPrinted(parent, [&](SwfXmlOut& p) { appendText(p, name, text); });
}

std::string elementText(const SwfXmlIn& element) {
    return element.text();
}

std::string elementText(const pugi::xml_node& element) {
    std::string out;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_cdata || c.type() == pugi::node_pcdata)
            out += c.value();
    return out;
}

} // namespace swfxml
