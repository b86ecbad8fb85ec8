// Value conventions of the XML dialect, shared by every tag family: names compared without
// regard to case, numbers, booleans, colours, byte strings, base64 payloads and text blocks.
//
// The conversions print through SwfXmlOut and read through SwfXmlIn. The same helpers on
// pugixml nodes serve callers that hold a document tree (the check of vorn-convert, the
// editor); they print and read the records exactly as the conversions do.
#pragma once

#include "libswf/records.h"
#include "swfxml/parser.h"
#include "swfxml/printer.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace swfxml {

// ---- names ------------------------------------------------------------------------------

inline bool namesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    // Names nearly always match as written; folding is needed only where they differ.
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// The first attribute of that name in any case, or null.
inline const SwfXmlAttribute* findAttribute(const SwfXmlIn& element, std::string_view name) {
    for (const SwfXmlAttribute& a : element.attributes())
        if (namesEqual(a.name, name))
            return &a;
    return nullptr;
}
// The next child element of that name in any case, skipping the others, or an empty handle.
SwfXmlIn findChild(const SwfXmlIn& element, std::string_view name);

// The first attribute or child element of that name in any case, or an empty handle.
pugi::xml_attribute findAttribute(const pugi::xml_node& node, std::string_view name);
pugi::xml_node findChild(const pugi::xml_node& node, std::string_view name);
// The first child that is an element, whatever its name.
pugi::xml_node firstElement(const pugi::xml_node& node);

// ---- numbers ----------------------------------------------------------------------------

// Text that is entirely a number of type T, or 0: invalid text and values outside T's range
// both give 0, and so does a minus sign on an unsigned type.
template <class T>
T parseNumber(std::string_view text) {
    static_assert(std::is_arithmetic_v<T>);
    if constexpr (std::is_unsigned_v<T>)
        if (!text.empty() && text.front() == '-')
            return T{};
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : T{};
}

// Sets target from the attribute when it exists; leaves it alone otherwise.
template <class T>
bool readNumber(const SwfXmlIn& element, std::string_view name, T& target) {
    const SwfXmlAttribute* a = findAttribute(element, name);
    if (!a)
        return false;
    target = parseNumber<T>(a->value);
    return true;
}
template <class T>
bool readNumber(const pugi::xml_node& node, std::string_view name, T& target) {
    const pugi::xml_attribute a = findAttribute(node, name);
    if (!a)
        return false;
    target = parseNumber<T>(a.value());
    return true;
}

// Decimal text of an integer; floats with 9 significant digits (12, 0.5, 0.100000001).
std::string formatNumber(std::int64_t value);
std::string formatFloat(float value);

void setNumber(SwfXmlOut& element, std::string_view name, std::int64_t value);
void setFloat(SwfXmlOut& element, std::string_view name, float value);
void setNumber(pugi::xml_node& node, const char* name, std::int64_t value);
void setFloat(pugi::xml_node& node, const char* name, float value);

// ---- booleans, colours, strings ---------------------------------------------------------

bool parseBool(std::string_view text);
void setBool(SwfXmlOut& element, std::string_view name, bool value);
bool readBool(const SwfXmlIn& element, std::string_view name, bool& target);
void setBool(pugi::xml_node& node, const char* name, bool value);
bool readBool(const pugi::xml_node& node, std::string_view name, bool& target);

// Colours are R, G, B, A packed into 32 bits, lowercase hexadecimal without leading zeros.
std::string formatColor(const libswf::SwfColor& color);
libswf::SwfColor parseColor(std::string_view text);
void setColor(SwfXmlOut& element, std::string_view name, const libswf::SwfColor& color);
bool readColor(const SwfXmlIn& element, std::string_view name, libswf::SwfColor& target);
void setColor(pugi::xml_node& node, const char* name, const libswf::SwfColor& color);
bool readColor(const pugi::xml_node& node, std::string_view name, libswf::SwfColor& target);

// Strings are bytes, never transcoded.
void setString(SwfXmlOut& element, std::string_view name, const libswf::SwfString& value);
bool readString(const SwfXmlIn& element, std::string_view name, libswf::SwfString& target);
void setString(pugi::xml_node& node, const char* name, const libswf::SwfString& value);
bool readString(const pugi::xml_node& node, std::string_view name, libswf::SwfString& target);

// ---- field widths -----------------------------------------------------------------------

// A field width a movie gave (see libswf::NotGivenBits) as an attribute of that name; nothing
// when none was given.
void setGivenBits(SwfXmlOut& element, std::string_view name, std::uint8_t bits);
void setGivenBits(pugi::xml_node& node, const char* name, std::uint8_t bits);
// Takes the attribute only when its text is wholly a number of at most `most`; any other
// text leaves bits alone, so the record is written with the fewest bits.
void readGivenBits(const SwfXmlIn& element, std::string_view name, unsigned most,
                   std::uint8_t& bits);
void readGivenBits(const pugi::xml_node& node, std::string_view name, unsigned most,
                   std::uint8_t& bits);

// ---- records ----------------------------------------------------------------------------

// A record whose file gave a field width other than the fewest bits (see libswf/records.h)
// shows it as an "NBits" attribute after the values the width covers; the attribute is left
// out otherwise. On reading, a width is taken only when it is a whole number its binary
// width field holds (0 to 31 for rectangles and matrices, 0 to 15 for colour transforms);
// any other text is ignored. A width that no longer holds the values is dropped on writing.

// A rectangle as an element of the caller's name with "MaxX", "MaxY", "MinX", "MinY" in
// twips, and "NBits" when given.
SwfXmlOut appendRect(SwfXmlOut& parent, std::string_view name, const libswf::SwfRect& rect);
pugi::xml_node appendRect(pugi::xml_node& parent, const char* name, const libswf::SwfRect& rect);
// Each attribute found sets its field; the others stay 0.
libswf::SwfRect readRect(const SwfXmlIn& element);
libswf::SwfRect readRect(const pugi::xml_node& element);

// A matrix as an element of the caller's name: "Translate" always (whole twips), "Scale" and
// "Rotate" only when the matrix has them. Each of the three children carries the width of
// its own pair as "NBits" when given.
SwfXmlOut appendMatrix(SwfXmlOut& parent, std::string_view name, const libswf::SwfMatrix& matrix);
pugi::xml_node appendMatrix(pugi::xml_node& parent, const char* name,
                            const libswf::SwfMatrix& matrix);
// Starts from the identity; a scale or rotation attribute turns its pair on ("NBits" alone
// does not). Reads the element to its end.
libswf::SwfMatrix readMatrix(const SwfXmlIn& element);
libswf::SwfMatrix readMatrix(const pugi::xml_node& element);

// A "ColorTransform" element with the multiplication terms when present, then the addition
// terms when present; the alpha terms are always written, whether the tag stores them or not.
// "NBits" follows when given.
SwfXmlOut appendColorTransform(SwfXmlOut& parent, const libswf::SwfColorTransform& transform);
pugi::xml_node appendColorTransform(pugi::xml_node& parent,
                                    const libswf::SwfColorTransform& transform);
// Starts with no terms; each term found turns its group on ("NBits" alone does not).
libswf::SwfColorTransform readColorTransform(const SwfXmlIn& element);
libswf::SwfColorTransform readColorTransform(const pugi::xml_node& element);

// ---- payloads ---------------------------------------------------------------------------

std::string base64Encode(std::span<const std::uint8_t> bytes);
// Skips blanks, carriage returns and line feeds; stops at "=" or at any other character
// outside the alphabet, ignoring what follows.
std::vector<std::uint8_t> base64Decode(std::string_view text);
// The same for all character data directly inside the element, without gathering it first;
// reads the element to its end.
std::vector<std::uint8_t> base64DecodeElement(const SwfXmlIn& element);
std::vector<std::uint8_t> base64DecodeElement(const pugi::xml_node& element);

// Appends a child element holding the bytes as base64 in a CDATA section, laid out in lines
// of 80 characters indented one level below the element (k counts the element's ancestors
// within the tag element, plus one).
void appendBase64(SwfXmlOut& parent, std::string_view name, std::span<const std::uint8_t> bytes,
                  int k);
pugi::xml_node appendBase64(pugi::xml_node& parent, const char* name,
                            std::span<const std::uint8_t> bytes, int k);
// Appends a child element holding the text unchanged in a CDATA section.
void appendText(SwfXmlOut& parent, std::string_view name, std::string_view text);
pugi::xml_node appendText(pugi::xml_node& parent, const char* name, std::string_view text);
// All character data directly inside the element (CDATA sections and plain text).
std::string elementText(const SwfXmlIn& element);
std::string elementText(const pugi::xml_node& element);

} // namespace swfxml
