#include "swfxml/parser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace swfxml {

namespace {

// Name characters: letters, '_', ':' and every byte from 128 start a name; digits, '-' and
// '.' may follow.
constexpr std::array<bool, 256> kNameStart = [] {
    std::array<bool, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = t[c + 32] = true;
    t['_'] = t[':'] = true;
    for (int c = 128; c < 256; ++c)
        t[c] = true;
    return t;
}();

constexpr std::array<bool, 256> kName = [] {
    std::array<bool, 256> t = kNameStart;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = true;
    t['-'] = t['.'] = true;
    return t;
}();

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

unsigned char byteAt(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]);
}

// The reference at text[0] == '&' decoded onto out: its length in the text, or 0 when it is
// none (the '&' then stands for itself). Numbers wrap at 32 bits, as the reader of whole
// documents has them; a reference to character 0 would end the value there, which this
// parser leaves to that reader.
std::size_t decodeReference(std::string_view text, std::string& out, std::size_t offset) {
    const auto starts = [&](std::string_view word) { return text.substr(1, word.size()) == word; };
    if (text.size() >= 2 && text[1] == '#') {
        const bool hex = text.size() >= 3 && text[2] == 'x';
        std::size_t i = hex ? 3 : 2;
        std::uint32_t value = 0;
        const std::size_t first = i;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            unsigned digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (hex && (c | ' ') >= 'a' && (c | ' ') <= 'f')
                digit = static_cast<unsigned>((c | ' ') - 'a' + 10);
            else
                break;
            value = value * (hex ? 16 : 10) + digit;
        }
        if (i == first || i == text.size() || text[i] != ';')
            return 0;
        if (value == 0)
            throw SwfXmlSyntaxError("a reference to character 0", offset);
        appendUtf8(out, value);
        return i + 1;
    }
    static constexpr struct {
        std::string_view name;
        char c;
    } kNamed[] = {{"amp;", '&'}, {"apos;", '\''}, {"gt;", '>'}, {"lt;", '<'}, {"quot;", '"'}};
    for (const auto& named : kNamed)
        if (starts(named.name)) {
            out += named.c;
            return 1 + named.name.size();
        }
    return 0;
}

// Appends the text with its references decoded.
void decode(std::string_view text, std::string& out, std::size_t offset) {
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        out.append(text.substr(0, amp));
        if (amp == std::string_view::npos)
            return;
        text.remove_prefix(amp);
        offset += amp;
        std::size_t used = decodeReference(text, out, offset);
        if (used == 0) {
            out += '&';
            used = 1;
        }
        text.remove_prefix(used);
        offset += used;
    }
}

} // namespace

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(static_cast<std::uint8_t>(0xF0 | (c >> 18)));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// ---- the element handle -------------------------------------------------------------------

SwfXmlIn SwfXmlIn::nextChild() const {
    if (!m_parser)
        return {};
    m_parser->level(*this);
    if (m_level >= m_parser->m_open)
        return {}; // read to its end already
    m_parser->closeAbove(m_level);
    return m_parser->next(m_level, nullptr, nullptr);
}

std::string SwfXmlIn::text() const {
    std::string out;
    eachText([&out](std::string_view piece) { out.append(piece); });
    return out;
}

// ---- the parser ---------------------------------------------------------------------------

SwfXmlParser::SwfXmlParser(std::string_view text, std::size_t begin, std::size_t end,
                           std::string_view rootName)
    : m_text(text), m_at(begin), m_end(end), m_rootName(rootName) {
    // A zero byte ends the text for the reader of whole documents.
    if (const void* zero = std::memchr(text.data() + begin, 0, end - begin))
        fail("a zero byte", static_cast<std::size_t>(static_cast<const char*>(zero) - text.data()));
    m_levels.push_back(std::make_unique<Level>());
    m_levels[0]->serial = ++m_serial;
    m_levels[0]->nameStart = begin;
}

SwfXmlIn SwfXmlParser::root() {
    return SwfXmlIn(this, 0, m_levels[0]->serial);
}

void SwfXmlParser::stale() {
    throw std::logic_error("an XML element was read after its parent moved on");
}

void SwfXmlParser::closeAbove(std::uint32_t level) {
    while (m_open > level + 1)
        skipElement(static_cast<std::uint32_t>(m_open - 1));
}

void SwfXmlParser::fail(const char* what, std::size_t at) const {
    throw SwfXmlSyntaxError(what, at);
}

SwfXmlIn SwfXmlParser::next(std::uint32_t level, TextSink sink, void* context) {
    if (m_levels[level]->empty) {
        m_open = level;
        return {};
    }
    if (m_release && m_at - m_given >= m_giveBackStep)
        giveBack(level);
    const char* const base = m_text.data();
    for (;;) {
        const void* found = std::memchr(base + m_at, '<', m_end - m_at);
        const std::size_t lt =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - base) : m_end;
        if (sink && lt > m_at)
            passText(lt, sink, context);
        m_at = lt;
        if (m_at == m_end) {
            if (level == 0) {
                m_open = 0;
                return {};
            }
            fail("an element is not closed", m_at);
        }
        if (m_at + 1 == m_end)
            fail("markup is cut off", m_at);
        const char c = m_text[m_at + 1];
        if (c == '/') {
            if (level == 0)
                fail("an end tag without its start", m_at);
            readEndTag(m_text.substr(m_levels[level]->nameStart, m_levels[level]->nameSize));
            m_open = level;
            return {};
        }
        if (c == '!' || c == '?') {
            const std::size_t start = m_at;
            skipMarkup();
            // A CDATA section: the text between "<![CDATA[" and "]]>".
            if (sink && c == '!' && m_text[start + 2] == '[')
                sink(context, m_text.substr(start + 9, m_at - 3 - (start + 9)));
            continue;
        }
        if (m_levels.size() == level + 1)
            m_levels.push_back(std::make_unique<Level>());
        Level& child = *m_levels[level + 1];
        const bool keep = sink == nullptr;
        readStartTag(m_at, child, keep);
        child.serial = ++m_serial;
        m_open = level + 2;
        if (keep)
            return SwfXmlIn(this, level + 1, child.serial);
        skipElement(level + 1);
    }
}

// Called as the element at `level` reads on: its ancestors and itself are open, the element
// read before (at level + 1) is let go, as every handle below it already was.
void SwfXmlParser::giveBack(std::uint32_t level) {
    std::size_t from = m_given;
    const std::size_t open = std::min<std::size_t>(m_open, std::size_t{level} + 1);
    // Open elements start in document order, each inside the one before.
    for (std::size_t i = 1; i < open; ++i) {
        const Level& kept = *m_levels[i];
        if (kept.tagEnd <= from)
            continue;
        const std::size_t start = kept.nameStart - 1; // its "<"
        if (start > from)
            (*m_release)(from, start);
        from = kept.tagEnd;
    }
    if (m_at > from)
        (*m_release)(from, m_at);
    m_given = m_at;
}

void SwfXmlParser::skipElement(std::uint32_t level) {
    if (m_levels[level]->empty) {
        m_open = level;
        return;
    }
    m_skipped.clear();
    const char* const base = m_text.data();
    Level scratch;
    for (;;) {
        const void* found = std::memchr(base + m_at, '<', m_end - m_at);
        if (!found)
            fail("an element is not closed", m_end);
        m_at = static_cast<std::size_t>(static_cast<const char*>(found) - base);
        if (m_at + 1 == m_end)
            fail("markup is cut off", m_at);
        const char c = m_text[m_at + 1];
        if (c == '/') {
            if (m_skipped.empty()) {
                readEndTag(m_text.substr(m_levels[level]->nameStart, m_levels[level]->nameSize));
                m_open = level;
                return;
            }
            readEndTag(m_skipped.back());
            m_skipped.pop_back();
        } else if (c == '!' || c == '?') {
            skipMarkup();
        } else {
            readStartTag(m_at, scratch, false);
            if (!scratch.empty)
                m_skipped.push_back(m_text.substr(scratch.nameStart, scratch.nameSize));
        }
    }
}

bool SwfXmlParser::readStartTag(std::size_t at, Level& into, bool keep) {
    const char* const base = m_text.data();
    const char* const end = base + m_end;
    const char* p = base + at + 1;
    const auto isNameStart = [](char c) { return kNameStart[static_cast<unsigned char>(c)]; };
    const auto isName = [](char c) { return kName[static_cast<unsigned char>(c)]; };
    if (p >= end || !isNameStart(*p))
        fail("not a tag", static_cast<std::size_t>(p - base));
    const char* name = p;
    do
        ++p;
    while (p < end && isName(*p));
    into.nameStart = static_cast<std::size_t>(name - base);
    into.nameSize = static_cast<std::size_t>(p - name);
    into.empty = false;
    into.attributes.clear();
    into.decoded.clear();
    std::size_t withReferences = 0;
    const auto failAt = [&](const char* what) { fail(what, static_cast<std::size_t>(p - base)); };
    for (;;) {
        const char* const blanks = p;
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end)
            failAt("a start tag is cut off");
        const char c = *p;
        if (c == '>') {
            m_at = static_cast<std::size_t>(p + 1 - base);
            into.tagEnd = m_at;
            break;
        }
        if (c == '/') {
            if (p + 1 >= end || p[1] != '>')
                failAt("a start tag ends badly");
            into.empty = true;
            m_at = static_cast<std::size_t>(p + 2 - base);
            into.tagEnd = m_at;
            break;
        }
        // An attribute, which a blank must precede, after the name as after another value.
        if (!isNameStart(c) || p == blanks)
            failAt("an attribute is malformed");
        const char* const attribute = p;
        do
            ++p;
        while (p < end && isName(*p));
        const std::string_view attributeName(attribute, static_cast<std::size_t>(p - attribute));
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end || *p != '=')
            failAt("an attribute has no value");
        ++p;
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end || (*p != '"' && *p != '\''))
            failAt("an attribute value is not quoted");
        const char quote = *p++;
        const char* const value = p;
        bool references = false;
        while (p < end && *p != quote) {
            references |= *p == '&';
            ++p;
        }
        if (p >= end)
            failAt("an attribute value is not closed");
        if (keep) {
            const std::string_view text(value, static_cast<std::size_t>(p - value));
            into.attributes.push_back({attributeName, text});
            if (references)
                withReferences += text.size();
        }
        ++p;
    }
    if (keep && withReferences > 0) {
        // Decoded values are never longer than their text, so the reserved room holds them
        // all and the views into it stay valid.
        into.decoded.reserve(withReferences);
        for (SwfXmlAttribute& a : into.attributes) {
            if (a.value.find('&') == std::string_view::npos)
                continue;
            const std::size_t start = into.decoded.size();
            decode(a.value, into.decoded, static_cast<std::size_t>(a.value.data() - base));
            a.value = std::string_view(into.decoded).substr(start);
        }
    }
    return into.empty;
}

void SwfXmlParser::readEndTag(std::string_view name) {
    std::size_t p = m_at + 2;
    const std::size_t start = p;
    while (p < m_end && kName[byteAt(m_text, p)])
        ++p;
    if (m_text.substr(start, p - start) != name)
        fail("an end tag does not match its start", m_at);
    while (p < m_end && isBlank(m_text[p]))
        ++p;
    if (p >= m_end || m_text[p] != '>')
        fail("an end tag is malformed", p);
    m_at = p + 1;
}

void SwfXmlParser::skipMarkup() {
    const std::string_view rest = m_text.substr(m_at, m_end - m_at);
    std::size_t end = std::string_view::npos;
    if (rest.starts_with("<!--")) {
        end = rest.find("-->", 4);
        if (end != std::string_view::npos)
            end += 3;
    } else if (rest.starts_with("<![CDATA[")) {
        end = rest.find("]]>", 9);
        if (end != std::string_view::npos)
            end += 3;
    } else if (rest[1] == '?') {
        // A processing instruction: a target name, then anything up to "?>".
        std::size_t p = 2;
        if (p >= rest.size() || !kNameStart[static_cast<unsigned char>(rest[p])])
            fail("a processing instruction has no target", m_at + p);
        while (p < rest.size() && kName[static_cast<unsigned char>(rest[p])])
            ++p;
        end = rest.find("?>", p);
        if (end != std::string_view::npos)
            end += 2;
    } else {
        fail("a document type or other declaration inside an element", m_at);
    }
    if (end == std::string_view::npos)
        fail("markup is not closed", m_at);
    m_at += end;
}

void SwfXmlParser::passText(std::size_t end, TextSink sink, void* context) {
    const std::string_view text = m_text.substr(m_at, end - m_at);
    bool blank = true;
    for (const char c : text)
        if (!isBlank(c)) {
            blank = false;
            break;
        }
    if (blank)
        return;
    if (text.find('&') == std::string_view::npos) {
        sink(context, text);
        return;
    }
    m_scratch.clear();
    decode(text, m_scratch, m_at);
    sink(context, m_scratch);
}

} // namespace swfxml
