// Reads the dialect's text element after element, straight from the text and without
// building a document: an element's attributes are at hand while it is open, its children
// come one after another, and what a reader leaves of an element is skipped (and checked)
// when it moves on. Memory stays that of the open elements, however long the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace swfxml {

class SwfXmlParser;

// Appends a code point as UTF-8, as the reader of whole documents does for any number a
// reference gives: four bytes from 0x10000 on, whatever the number's size.
void appendUtf8(std::string& out, std::uint32_t c);

struct SwfXmlAttribute {
    std::string_view name;
    std::string_view value; // references decoded
};

// Text this parser does not read: markup in error, or forms the dialect never uses (a
// document type, a character reference to 0 or beyond Unicode, processing instructions
// inside elements, a zero byte). `offset` is where it stopped.
class SwfXmlSyntaxError : public std::runtime_error {
public:
    SwfXmlSyntaxError(const char* what, std::size_t offset)
        : std::runtime_error(what), offset(offset) {}
    std::size_t offset;
};

// An element being read. Children come in document order from nextChild, and text from text
// or eachText, which read the rest of the element; once read to its end an element has no
// more children or text, but its name and attributes stay at hand until its parent reads on.
// A handle used after that throws std::logic_error (a fault of the program). An empty handle
// has no name, attributes, children or text.
class SwfXmlIn {
public:
    SwfXmlIn() = default;

    explicit operator bool() const { return m_parser != nullptr; }
    std::string_view name() const;
    // Where the element's name starts in the text.
    std::size_t offset() const;
    std::span<const SwfXmlAttribute> attributes() const;
    // The first attribute, or null.
    const SwfXmlAttribute* firstAttribute() const;

    // The next child element, or an empty handle once the element ends. Skips what is left
    // of the previous child and any text between.
    SwfXmlIn nextChild() const;
    // All character data directly inside the rest of the element, CDATA sections and text
    // alike (text of blanks only between markup does not count), child elements skipped;
    // reads the element to its end.
    std::string text() const;
    // The same in pieces, in order, without gathering them.
    template <class F>
    void eachText(F&& f) const;

private:
    friend class SwfXmlParser;
    SwfXmlIn(SwfXmlParser* parser, std::uint32_t level, std::uint32_t serial)
        : m_parser(parser), m_level(level), m_serial(serial) {}

    SwfXmlParser* m_parser = nullptr;
    std::uint32_t m_level = 0;
    std::uint32_t m_serial = 0;
};

// Reads the elements of a stretch of text: the content of a root element whose tags lie
// outside the stretch. The text must outlive the parser.
class SwfXmlParser {
public:
    SwfXmlParser(std::string_view text, std::size_t begin, std::size_t end,
                 std::string_view rootName = {});
    SwfXmlParser(const SwfXmlParser&) = delete;
    SwfXmlParser& operator=(const SwfXmlParser&) = delete;

    // The stretch's content as the children of an element without attributes.
    SwfXmlIn root();
    // From now on, release is told, every so often as the reading moves on, the stretches
    // of text behind it that nothing reads again: all that was passed but the start tags of
    // the elements still open, whose names and attributes stay at hand; told again once the
    // reading has moved on by `step` bytes. Must outlive the reading.
    void givesBack(const std::function<void(std::size_t, std::size_t)>* release, std::size_t step) {
        m_release = release;
        m_giveBackStep = step;
        m_given = m_at;
    }

private:
    friend class SwfXmlIn;

    struct Level {
        std::size_t nameStart = 0; // the element's offset
        std::size_t nameSize = 0;
        std::size_t tagEnd = 0; // just past the start tag
        std::uint32_t serial = 0;
        bool empty = false; // <Name />
        std::vector<SwfXmlAttribute> attributes;
        std::string decoded; // values with references, decoded; the attributes point here
    };

    // A piece of character data: CDATA is passed as it stands, text with references decoded.
    using TextSink = void (*)(void* context, std::string_view piece);

    const Level& level(const SwfXmlIn& element) const {
        if (element.m_parser != this || element.m_level >= m_levels.size() ||
            m_levels[element.m_level]->serial != element.m_serial)
            stale();
        return *m_levels[element.m_level];
    }
    [[noreturn]] static void stale();
    void closeAbove(std::uint32_t level);
    SwfXmlIn next(std::uint32_t level, TextSink sink, void* context);
    void skipElement(std::uint32_t level);
    void giveBack(std::uint32_t level);
    bool readStartTag(std::size_t at, Level& into, bool keep);
    void readEndTag(std::string_view name);
    void skipMarkup();
    void passText(std::size_t end, TextSink sink, void* context);
    [[noreturn]] void fail(const char* what, std::size_t at) const;

    std::string_view m_text;
    std::size_t m_at;
    std::size_t m_end;
    std::string_view m_rootName;
    // [0] is the root, the open elements follow; each level keeps its place in memory, since
    // attribute values may point into it.
    std::vector<std::unique_ptr<Level>> m_levels;
    std::size_t m_open = 1; // levels in use
    std::uint32_t m_serial = 0;
    std::vector<std::string_view> m_skipped; // names of the elements being skipped
    std::string m_scratch;
    const std::function<void(std::size_t, std::size_t)>* m_release = nullptr;
    std::size_t m_giveBackStep = 0;
    std::size_t m_given = 0; // the text below this was given back, but for open start tags
};

// The accessors every reader calls for every attribute, inline.

inline std::string_view SwfXmlIn::name() const {
    if (!m_parser)
        return {};
    const SwfXmlParser::Level& level = m_parser->level(*this);
    return m_level == 0 ? m_parser->m_rootName
                        : m_parser->m_text.substr(level.nameStart, level.nameSize);
}

inline std::size_t SwfXmlIn::offset() const {
    return m_parser ? m_parser->level(*this).nameStart : 0;
}

inline std::span<const SwfXmlAttribute> SwfXmlIn::attributes() const {
    if (!m_parser)
        return {};
    return m_parser->level(*this).attributes;
}

inline const SwfXmlAttribute* SwfXmlIn::firstAttribute() const {
    const std::span<const SwfXmlAttribute> all = attributes();
    return all.empty() ? nullptr : all.data();
}

template <class F>
void SwfXmlIn::eachText(F&& f) const {
    if (!m_parser)
        return;
    using Function = std::remove_reference_t<F>;
    auto sink = [](void* context, std::string_view piece) {
        (*static_cast<Function*>(context))(piece);
    };
    m_parser->level(*this);
    if (m_level >= m_parser->m_open)
        return;
    m_parser->closeAbove(m_level);
    m_parser->next(m_level, sink, &f);
}

} // namespace swfxml
