#include "files/xml_file.h"

#include "files/code_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace vorn {

namespace {

constexpr std::string_view kNewline = "\r\n";
constexpr std::string_view kIndent = "    ";

// What the parse keeps: values exactly as written (no folding of blanks or line ends, so
// that strings of any byte survive) and every kind of node that a user may have written.
constexpr unsigned kParseFlags = (pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                  pugi::parse_declaration | pugi::parse_doctype) &
                                 ~pugi::parse_wconv_attribute & ~pugi::parse_eol;

enum Context { Attribute, Text };

// Which bytes need a reference in each context: the markup characters of the context and
// the control characters that would not read back as themselves (in attribute values every
// control character, since the parser folds blanks there; in text all but tab and line ends).
constexpr std::array<std::array<bool, 256>, 2> specialTable() {
    std::array<std::array<bool, 256>, 2> table{};
    // Zero ends every value.
    for (int c = 0; c < 32; ++c) {
        table[Attribute][c] = true;
        table[Text][c] = c == 0 || (c != '\t' && c != '\n' && c != '\r');
    }
    for (char c : {'&', '<', '"'})
        table[Attribute][static_cast<unsigned char>(c)] = true;
    for (char c : {'&', '<', '>'})
        table[Text][static_cast<unsigned char>(c)] = true;
    return table;
}
constexpr auto kSpecial = specialTable();

class Printer {
public:
    explicit Printer(const XmlSink& out) : m_out(out) {}
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Prints the node and hands the rest of the buffer over.
    void print(const pugi::xml_node& root) {
        printTree(root);
        flush();
    }

private:
    enum : unsigned { Newline = 1, Indent = 2 };

    // The text goes through a buffer of its own, so that the many short pieces of a document
    // cost a copy each, and the receiver gets pieces large enough to work on.
    void write(const char* text, std::size_t size) {
        if (size > kBuffer - m_used) {
            flush();
            if (size > kBuffer) {
                m_out(std::string_view(text, size));
                return;
            }
        }
        std::memcpy(m_buffer + m_used, text, size);
        m_used += size;
    }
    void write(std::string_view text) { write(text.data(), text.size()); }
    // A name as the parser keeps it, ended by a zero byte: copied as it is scanned.
    void name(const char* text) {
        for (; *text; ++text) {
            if (m_used == kBuffer)
                flush();
            m_buffer[m_used++] = *text;
        }
    }
    void flush() {
        if (m_used)
            m_out(std::string_view(m_buffer, m_used));
        m_used = 0;
    }
    void printTree(const pugi::xml_node& root);
    void indent(unsigned depth) {
        for (unsigned i = 0; i < depth; ++i)
            write(kIndent);
    }
    void escaped(const char* text, Context context);
    void cdata(const char* text);
    void attributes(const pugi::xml_node& node);
    bool startTag(const pugi::xml_node& node);
    void simple(const pugi::xml_node& node);

    static constexpr std::size_t kBuffer = 1 << 16;
    const XmlSink& m_out;
    char m_buffer[kBuffer];
    std::size_t m_used = 0;
};

void Printer::escaped(const char* text, Context context) {
    const auto& special = kSpecial[context];
    for (const char* p = text;; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!special[c]) {
            if (m_used == kBuffer)
                flush();
            m_buffer[m_used++] = static_cast<char>(c);
            continue;
        }
        switch (c) {
        case 0:
            return;
        case '&':
            write("&amp;");
            break;
        case '<':
            write("&lt;");
            break;
        case '>':
            write("&gt;");
            break;
        case '"':
            write("&quot;");
            break;
        default: {
            const char reference[] = {'&', '#', static_cast<char>('0' + c / 10),
                                      static_cast<char>('0' + c % 10), ';'};
            write(reference, sizeof reference);
        }
        }
    }
}

// A CDATA section cannot hold "]]>", so a value holding it is split between two sections.
void Printer::cdata(const char* text) {
    std::string_view rest(text);
    for (;;) {
        write("<![CDATA[");
        const std::size_t end = rest.find("]]>");
        if (end == std::string_view::npos) {
            write(rest);
            write("]]>");
            return;
        }
        write(rest.substr(0, end + 2));
        write("]]>");
        rest.remove_prefix(end + 2);
    }
}

void Printer::attributes(const pugi::xml_node& node) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        write(" ");
        name(a.name());
        write("=\"");
        escaped(a.value(), Attribute);
        write("\"");
    }
}

// The start tag; true when the element has children to print, false when it was printed
// whole as an empty element.
bool Printer::startTag(const pugi::xml_node& node) {
    write("<");
    name(node.name());
    attributes(node);
    if (!node.first_child()) {
        write(" />");
        return false;
    }
    write(">");
    return true;
}

void Printer::simple(const pugi::xml_node& node) {
    switch (node.type()) {
    case pugi::node_pcdata:
        escaped(node.value(), Text);
        break;
    case pugi::node_cdata:
        cdata(node.value());
        break;
    case pugi::node_comment:
        write("<!--");
        write(node.value());
        write("-->");
        break;
    case pugi::node_pi:
        write("<?");
        write(node.name());
        if (*node.value()) {
            write(" ");
            write(node.value());
        }
        write("?>");
        break;
    case pugi::node_declaration:
        write("<?");
        write(node.name());
        attributes(node);
        write(" ?>");
        break;
    case pugi::node_doctype:
        write("<!DOCTYPE");
        if (*node.value()) {
            write(" ");
            write(node.value());
        }
        write(">");
        break;
    default:
        break;
    }
}

// Walks the tree without recursion, so that any depth the parser accepted prints. Character
// data stays on the line of what comes before and after it: a line break there would be
// content.
void Printer::printTree(const pugi::xml_node& root) {
    unsigned flags = Indent;
    unsigned depth = 0;
    pugi::xml_node node = root;
    do {
        const pugi::xml_node_type type = node.type();
        if (type == pugi::node_pcdata || type == pugi::node_cdata) {
            simple(node);
            flags = 0;
        } else {
            if (flags & Newline)
                write(kNewline);
            if (flags & Indent)
                indent(depth);
            if (type == pugi::node_element) {
                flags = Newline | Indent;
                if (startTag(node)) {
                    node = node.first_child();
                    ++depth;
                    continue;
                }
            } else if (type == pugi::node_document) {
                flags = Indent;
                if (node.first_child()) {
                    node = node.first_child();
                    continue;
                }
            } else {
                simple(node);
                flags = Newline | Indent;
            }
        }
        while (node != root) {
            if (node.next_sibling()) {
                node = node.next_sibling();
                break;
            }
            node = node.parent();
            if (node.type() == pugi::node_element) {
                --depth;
                if (flags & Newline)
                    write(kNewline);
                if (flags & Indent)
                    indent(depth);
                write("</");
                name(node.name());
                write(">");
                flags = Newline | Indent;
            }
        }
    } while (node != root);
    if (flags & Newline)
        write(kNewline);
}

} // namespace

std::string printXmlDocument(const pugi::xml_document& document) {
    std::string out;
    const XmlSink sink = [&out](std::string_view piece) { out.append(piece); };
    std::make_unique<Printer>(sink)->print(document);
    return out;
}

bool printXmlFile(std::string_view bytes, const XmlSink& out, std::string& reason) {
    // The parser would take a zero byte for the end of the text and drop what follows.
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) {
        reason = describePlace(placeOfOffset(bytes, zero)) +
                 ": a zero byte, which an XML document cannot hold";
        return false;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_utf8);
    if (!parsed) {
        const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0));
        reason = describePlace(placeOfOffset(bytes, offset)) + ": " + parsed.description();
        return false;
    }
    std::make_unique<Printer>(out)->print(document);
    return true;
}

PrintedXml printXmlFile(std::string_view bytes) {
    PrintedXml result;
    // The layout adds little beyond the indentation the text usually has already.
    result.bytes.reserve(bytes.size() + bytes.size() / 8 + 64);
    const XmlSink sink = [&result](std::string_view piece) { result.bytes.append(piece); };
    result.ok = printXmlFile(bytes, sink, result.reason);
    if (!result.ok)
        result.bytes.clear();
    return result;
}

} // namespace vorn
