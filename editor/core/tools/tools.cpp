// The window-free parts of the tools.
#include "tools/tools.h"

#include "swfxml/values.h"

#include <pugixml.hpp>

namespace vorn {

std::string base64EncoderText(std::span<const std::uint8_t> bytes) {
    // The dialect's own layout, taken from the CDATA section it writes at the top level.
    pugi::xml_document document;
    pugi::xml_node parent = document.append_child("Movie");
    const std::string_view layout =
        swfxml::appendBase64(parent, "Data", bytes, 0).first_child().value();
    std::string text;
    text.reserve(layout.size() + layout.size() / 40 + 2);
    for (const char c : layout) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return text;
}

bool decodeBase64Selection(std::string_view selection, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::string text;
    text.reserve(selection.size());
    for (const char c : selection)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            text += c;
    std::size_t data = text.size();
    while (data > 0 && text[data - 1] == '=' && text.size() - data < 2)
        --data;
    const std::size_t padding = text.size() - data;
    for (std::size_t i = 0; i < data; ++i) {
        const char c = text[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '+' || c == '/'))
            return false;
    }
    // A group of one character holds no byte; padding fills the last group to four.
    if (data % 4 == 1 || (padding > 0 && text.size() % 4 != 0))
        return false;
    bytes = swfxml::base64Decode(text);
    return !bytes.empty();
}

std::string colorHexText(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return swfxml::formatColor(libswf::SwfColor(red, green, blue, 0));
}

bool showColorAccepts(std::string_view selection) {
    std::size_t characters = 0;
    for (const char c : selection)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    return characters >= 1 && characters <= 10;
}

} // namespace vorn
