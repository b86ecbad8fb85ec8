#include "swfxml/printer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>

namespace swfxml {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kMostReserved = 4096;

// The bytes written as references: in attribute values every byte below 32, & < and ";
// in text & < > and the bytes below 32 but tab, line feed and carriage return.
constexpr std::array<bool, 256> kAttributeSpecial = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 32; ++c)
        t[c] = true;
    t['&'] = t['<'] = t['"'] = true;
    return t;
}();

constexpr std::array<bool, 256> kTextSpecial = [] {
    std::array<bool, 256> t = kAttributeSpecial;
    t['\t'] = t['\n'] = t['\r'] = t['"'] = false;
    t['>'] = true;
    return t;
}();

constexpr char kSpaces[] = "                                                                "
                           "                                                                ";

// Text as a C string would hold it: up to the first zero byte.
std::string_view cString(std::string_view text) {
    const std::size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

[[noreturn]] void outOfOrder() {
    throw std::logic_error("an XML element was printed after it was finished");
}

} // namespace

// ---- the element handle -------------------------------------------------------------------

SwfXmlOut SwfXmlOut::child(std::string_view name) {
    if (!m_printer)
        outOfOrder();
    SwfXmlPrinter& p = *m_printer;
    p.check(*this, false);
    p.closeAbove(m_level);
    SwfXmlPrinter::Open& open = p.m_open[m_level];
    if (open.startTagOpen) {
        p.endStartTag(open);
        std::memcpy(p.room(2), ">\n", 2);
        p.m_at += 2;
    }
    return p.push(name, open.depth + 1);
}

void SwfXmlOut::attribute(std::string_view name, std::string_view value) {
    if (!m_printer)
        outOfOrder();
    SwfXmlPrinter& p = *m_printer;
    p.check(*this, true);
    char* out = p.room(name.size() + 3);
    *out++ = ' ';
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '=';
    *out++ = '"';
    p.m_at = out;
    p.putEscaped(cString(value), kAttributeSpecial.data());
    *p.room(1) = '"';
    ++p.m_at;
}

void SwfXmlOut::plainAttribute(std::string_view name, std::string_view value) {
    if (!m_printer)
        outOfOrder();
    SwfXmlPrinter& p = *m_printer;
    p.check(*this, true);
    if (name.size() + value.size() + 4 > kMostReserved) {
        attribute(name, value);
        return;
    }
    char* out = p.room(name.size() + value.size() + 4);
    *out++ = ' ';
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '=';
    *out++ = '"';
    std::memcpy(out, value.data(), value.size());
    out += value.size();
    *out++ = '"';
    p.m_at = out;
}

void SwfXmlOut::lastAttribute(const char* name, const char* value) {
    if (!m_printer)
        outOfOrder();
    m_printer->check(*this, true);
    SwfXmlPrinter::Open& open = m_printer->m_open.back();
    open.lastName = name;
    open.lastValue = value;
}

void SwfXmlOut::text(std::string_view text) {
    if (!m_printer)
        outOfOrder();
    SwfXmlPrinter& p = *m_printer;
    p.check(*this, true);
    p.endStartTag(p.m_open.back());
    p.put(">");
    p.putEscaped(cString(text), kTextSpecial.data());
    p.afterContent();
}

void SwfXmlOut::cdata(std::string_view text) {
    beginCdata();
    // A "]]>" would end the section: it is split between two sections, as "]]" and ">".
    text = cString(text);
    for (;;) {
        const std::size_t end = text.find("]]>");
        const std::string_view part = text.substr(0, end == std::string_view::npos ? end : end + 2);
        m_printer->put(part);
        if (end == std::string_view::npos)
            break;
        m_printer->put("]]><![CDATA[");
        text.remove_prefix(end + 2);
    }
    endCdata();
}

void SwfXmlOut::beginCdata() {
    if (!m_printer)
        outOfOrder();
    SwfXmlPrinter& p = *m_printer;
    p.check(*this, true);
    p.endStartTag(p.m_open.back());
    p.put("><![CDATA[");
}

char* SwfXmlOut::reserve(std::size_t size) {
    if (size > kMostReserved)
        throw std::logic_error("too much room asked of the XML printer at once");
    return m_printer->room(size);
}

void SwfXmlOut::commit(std::size_t size) {
    m_printer->m_at += size;
}

void SwfXmlOut::endCdata() {
    m_printer->put("]]>");
    m_printer->afterContent();
}

// ---- the printer --------------------------------------------------------------------------

SwfXmlPrinter::SwfXmlPrinter(std::string& out)
    : m_string(&out), m_buffer(std::make_unique_for_overwrite<char[]>(kBlock)),
      m_at(m_buffer.get()), m_end(m_buffer.get() + kBlock) {}

SwfXmlPrinter::SwfXmlPrinter(libswf::SwfOutputSink& sink)
    : m_sink(&sink), m_buffer(std::make_unique_for_overwrite<char[]>(kBlock)), m_at(m_buffer.get()),
      m_end(m_buffer.get() + kBlock) {}

SwfXmlPrinter::~SwfXmlPrinter() = default;

void SwfXmlPrinter::raw(std::string_view text) {
    closeAbove(0);
    if (!m_open.empty())
        closeTop();
    put(text);
}

SwfXmlOut SwfXmlPrinter::open(std::string_view name, int depth) {
    closeAbove(0);
    if (!m_open.empty())
        closeTop();
    return push(name, depth);
}

void SwfXmlPrinter::finish() {
    while (!m_open.empty())
        closeTop();
    flush();
}

void SwfXmlPrinter::expect(std::size_t size) {
    if (!m_string || size <= m_string->capacity())
        return;
    try {
        m_string->reserve(size);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

void SwfXmlPrinter::check(const SwfXmlOut& element, bool needStartTag) const {
    if (element.m_printer != this || element.m_level >= m_open.size() ||
        m_open[element.m_level].serial != element.m_serial)
        outOfOrder();
    if (needStartTag &&
        (element.m_level + 1 != m_open.size() || !m_open[element.m_level].startTagOpen))
        outOfOrder();
}

void SwfXmlPrinter::closeAbove(std::uint32_t level) {
    while (m_open.size() > level + 1)
        closeTop();
}

void SwfXmlPrinter::closeTop() {
    Open& open = m_open.back();
    if (open.startTagOpen) {
        endStartTag(open);
        std::memcpy(room(4), " />\n", 4);
        m_at += 4;
    } else {
        const std::size_t indent = open.depth > 0 ? static_cast<std::size_t>(open.depth) * 4 : 0;
        const std::size_t size = indent + open.nameSize + 4;
        if (indent < sizeof kSpaces && size <= kMostReserved) {
            char* out = room(size);
            std::memcpy(out, kSpaces, indent);
            out += indent;
            out[0] = '<';
            out[1] = '/';
            std::memcpy(out + 2, m_names.data() + open.nameStart, open.nameSize);
            out += 2 + open.nameSize;
            out[0] = '>';
            out[1] = '\n';
            m_at = out + 2;
        } else {
            putIndent(open.depth);
            put("</");
            put(std::string_view(m_names).substr(open.nameStart, open.nameSize));
            put(">\n");
        }
    }
    m_names.resize(open.nameStart);
    m_open.pop_back();
}

void SwfXmlPrinter::endStartTag(Open& open) {
    if (open.lastName) {
        const char* name = open.lastName;
        open.lastName = nullptr;
        SwfXmlOut(this, static_cast<std::uint32_t>(m_open.size() - 1), open.serial)
            .attribute(name, open.lastValue);
    }
    open.startTagOpen = false;
}

// The element's content is complete: its end tag follows on the same line.
void SwfXmlPrinter::afterContent() {
    const Open& open = m_open.back();
    put("</");
    put(std::string_view(m_names).substr(open.nameStart, open.nameSize));
    put(">\n");
    m_names.resize(open.nameStart);
    m_open.pop_back();
}

SwfXmlOut SwfXmlPrinter::push(std::string_view name, int depth) {
    const std::size_t indent = depth > 0 ? static_cast<std::size_t>(depth) * 4 : 0;
    const std::size_t size = indent + 1 + name.size();
    if (indent < sizeof kSpaces && size <= kMostReserved) {
        char* out = room(size);
        std::memcpy(out, kSpaces, indent);
        out[indent] = '<';
        std::memcpy(out + indent + 1, name.data(), name.size());
        m_at = out + size;
    } else {
        putIndent(depth);
        put("<");
        put(name);
    }
    const auto nameStart = static_cast<std::uint32_t>(m_names.size());
    m_names.append(name);
    const std::uint32_t serial = ++m_serial;
    m_open.push_back({serial, nameStart, static_cast<std::uint32_t>(name.size()), depth, true,
                      nullptr, nullptr});
    return SwfXmlOut(this, static_cast<std::uint32_t>(m_open.size() - 1), serial);
}

void SwfXmlPrinter::put(std::string_view text) {
    while (!text.empty()) {
        if (m_at == m_end)
            flush();
        const std::size_t n = std::min<std::size_t>(text.size(), m_end - m_at);
        std::memcpy(m_at, text.data(), n);
        m_at += n;
        text.remove_prefix(n);
    }
}

void SwfXmlPrinter::putIndent(int depth) {
    std::size_t n = depth > 0 ? static_cast<std::size_t>(depth) * 4 : 0;
    while (n > 0) {
        const std::size_t part = std::min(n, sizeof kSpaces - 1);
        put(std::string_view(kSpaces, part));
        n -= part;
    }
}

void SwfXmlPrinter::putEscaped(std::string_view text, const bool* special) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* start = p;
        while (p < end && !special[static_cast<unsigned char>(*p)])
            ++p;
        put(std::string_view(start, static_cast<std::size_t>(p - start)));
        if (p == end)
            break;
        const auto c = static_cast<unsigned char>(*p++);
        switch (c) {
        case '&':
            put("&amp;");
            break;
        case '<':
            put("&lt;");
            break;
        case '>':
            put("&gt;");
            break;
        case '"':
            put("&quot;");
            break;
        default: {
            const char reference[5] = {'&', '#', static_cast<char>('0' + c / 10),
                                       static_cast<char>('0' + c % 10), ';'};
            put(std::string_view(reference, 5));
        }
        }
    }
}

char* SwfXmlPrinter::room(std::size_t size) {
    if (static_cast<std::size_t>(m_end - m_at) < size)
        flush();
    return m_at;
}

void SwfXmlPrinter::flush() {
    const std::size_t size = static_cast<std::size_t>(m_at - m_buffer.get());
    if (size == 0)
        return;
    if (m_string) {
        // Growing by copying holds the old and the new text at once; a string grown early
        // to its expected size (see expect) is copied at most once more, by half again.
        std::string& out = *m_string;
        if (out.size() + size > out.capacity())
            out.reserve(std::max(out.size() + size, out.size() / 2 * 3));
        out.append(m_buffer.get(), size);
    } else {
        m_sink->write(reinterpret_cast<const std::uint8_t*>(m_buffer.get()), size);
    }
    m_flushed += size;
    m_at = m_buffer.get();
}

} // namespace swfxml
