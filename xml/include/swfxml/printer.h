// Prints the dialect's text straight from the model, element after element, without building
// a document first: the conversion of a movie never holds more than a block of its text.
#pragma once

#include "libswf/stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace swfxml {

class SwfXmlPrinter;

// An element being printed. Its start tag takes attributes until the first child, text or
// CDATA section; an element is finished by the next child, sibling or ancestor's content, so
// each element must be complete before the next one starts (a handle used after that throws
// std::logic_error, a fault of the program). Names are taken as given; values are escaped.
class SwfXmlOut {
public:
    SwfXmlOut() = default;

    // Opens a child element, finishing any earlier child.
    SwfXmlOut child(std::string_view name);
    // An attribute; the value stops at a zero byte, which no attribute can hold.
    void attribute(std::string_view name, std::string_view value);
    // An attribute whose value needs no escaping (numbers, fixed words).
    void plainAttribute(std::string_view name, std::string_view value);
    // An attribute printed after every other, when the start tag ends.
    void lastAttribute(const char* name, const char* value);
    // The element's only content, on its line, as escaped text or as a CDATA section; either
    // finishes the element.
    void text(std::string_view text);
    void cdata(std::string_view text);
    // A CDATA section written in parts, for contents that never hold "]]>": begin, any
    // number of reserve/commit pairs, end. The element is finished by end.
    void beginCdata();
    // Room for `size` bytes (at most 4096) of the section; commit says how many were used.
    char* reserve(std::size_t size);
    void commit(std::size_t size);
    void endCdata();

    explicit operator bool() const { return m_printer != nullptr; }

private:
    friend class SwfXmlPrinter;
    SwfXmlOut(SwfXmlPrinter* printer, std::uint32_t level, std::uint32_t serial)
        : m_printer(printer), m_level(level), m_serial(serial) {}

    SwfXmlPrinter* m_printer = nullptr;
    std::uint32_t m_level = 0;
    std::uint32_t m_serial = 0;
};

// The text of a printer: four spaces per level, "\n" line ends, attributes in the order
// given, empty elements as <Name />, a lone text or CDATA child on its element's line, other
// children one per line; in attribute values & < " and the bytes below 32 are written as
// references (&amp; &lt; &quot; &#10;), in text & < > and the bytes below 32 but tab, line
// feed and carriage return.
class SwfXmlPrinter {
public:
    // Appends to the string.
    explicit SwfXmlPrinter(std::string& out);
    // Passes the text to the sink a block at a time.
    explicit SwfXmlPrinter(libswf::SwfOutputSink& sink);
    SwfXmlPrinter(const SwfXmlPrinter&) = delete;
    SwfXmlPrinter& operator=(const SwfXmlPrinter&) = delete;
    ~SwfXmlPrinter();

    // Text outside any element, as given (the declaration).
    void raw(std::string_view text);
    // Opens an element without parent, indented by `depth` levels; finishes any other. Lines
    // at a depth below 0 are printed without indentation: a caller that wants an element
    // printed at its depth in a movie's document, out of a container, opens the container
    // that many levels higher.
    SwfXmlOut open(std::string_view name, int depth = 0);
    // Finishes every element and passes on what is buffered.
    void finish();
    // Grows a string target now to the size its text is expected to reach, while it is
    // still short to copy; a size too large to allocate is ignored.
    void expect(std::size_t size);
    // Bytes printed so far.
    std::uint64_t printed() const { return m_flushed + (m_at - m_buffer.get()); }

private:
    friend class SwfXmlOut;

    struct Open {
        std::uint32_t serial;
        std::uint32_t nameStart; // into m_names
        std::uint32_t nameSize;
        int depth;
        bool startTagOpen;
        const char* lastName;
        const char* lastValue;
    };

    void check(const SwfXmlOut& element, bool needStartTag) const;
    void closeAbove(std::uint32_t level);
    void closeTop();
    void endStartTag(Open& open);
    SwfXmlOut push(std::string_view name, int depth);
    void put(std::string_view text);
    void putIndent(int depth);
    void putEscaped(std::string_view text, const bool* special);
    char* room(std::size_t size);
    void flush();
    void afterContent();

    std::string* m_string = nullptr;
    libswf::SwfOutputSink* m_sink = nullptr;
    std::unique_ptr<char[]> m_buffer;
    char* m_at = nullptr;
    char* m_end = nullptr;
    std::uint64_t m_flushed = 0;
    std::vector<Open> m_open;
    std::string m_names;
    std::uint32_t m_serial = 0;
};

} // namespace swfxml
