// Between the printer and parser of the conversions and pugixml's document trees, which some
// callers hold (the editor, the check of vorn-convert, tests): what the printer writes is
// parsed into a tree, and a tree is printed for the parser, so that a record has one printing
// and one reading however it is held.
#pragma once

#include "swfxml/parser.h"
#include "swfxml/printer.h"

#include <pugixml.hpp>
#include <stdexcept>
#include <string>

namespace swfxml {

// Keep attribute values and character data exactly as written, so that strings of any byte
// survive (no whitespace folding, no line-end conversion).
constexpr unsigned kParseFlags =
    pugi::parse_default & ~pugi::parse_wconv_attribute & ~pugi::parse_eol;

// Appends to parent the element that print(SwfXmlOut& parent) prints under a parent of its
// own; returns it.
template <class Print>
pugi::xml_node appendPrinted(pugi::xml_node& parent, Print&& print) {
    std::string text;
    SwfXmlPrinter printer(text);
    SwfXmlOut holder = printer.open("Holder");
    print(holder);
    printer.finish();
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_utf8))
        throw std::logic_error("printed XML does not parse: " + text);
    pugi::xml_node last;
    for (pugi::xml_node c = document.first_child().first_child(); c; c = c.next_sibling())
        last = parent.append_copy(c);
    return last;
}

// Reads the element through read(const SwfXmlIn&), from its text.
template <class Read>
auto readPrinted(const pugi::xml_node& element, Read&& read) {
    struct StringWriter : pugi::xml_writer {
        std::string text;
        void write(const void* data, std::size_t size) override {
            text.append(static_cast<const char*>(data), size);
        }
    } writer;
    element.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    SwfXmlParser parser(writer.text, 0, writer.text.size());
    const SwfXmlIn in = parser.root().nextChild();
    return read(in);
}

} // namespace swfxml
