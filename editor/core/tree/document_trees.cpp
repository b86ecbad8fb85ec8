// Building the trees: a scanner for the well-formed documents the editor sees, and the XML
// parser for everything the scanner does not take, so that the verdict and the error
// message are always the parser's.
#include "tree/document_trees.h"

#include "documents/document_rules.h"
#include "files/code_page.h"
#include "swfxml/convert.h"
#include "swfxml/values.h"
#include "templates/templates.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <pugixml.hpp>
#include <set>

namespace vorn {

namespace {

// ---- the scanner ------------------------------------------------------------------------
//
// The scanner accepts a subset of what the parser accepts: elements with attributes in quotes,
// text, comments, CDATA sections and processing instructions (the declaration among them),
// checked as the parser checks them. Anything else (a document type, a zero byte, a stray
// '<', an unclosed element, a mismatched end tag) makes it give up, and the parser reads the
// text instead: it says why a broken text is broken, and builds the trees of the rare valid
// text the scanner does not know.

enum : std::uint8_t { kStartSymbol = 1, kSymbol = 2, kSpace = 4 };

// The parser's classes: a name starts with a letter, '_', ':' or any byte above 127, and goes
// on with those, digits, '-' and '.'.
constexpr std::array<std::uint8_t, 256> kClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80)
            classes[c] = kStartSymbol | kSymbol;
        else if ((c >= '0' && c <= '9') || c == '-' || c == '.')
            classes[c] = kSymbol;
    }
    classes[' '] = classes['\t'] = classes['\r'] = classes['\n'] = kSpace;
    return classes;
}();

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : m_text(text), m_bytes(reinterpret_cast<const unsigned char*>(text.data())),
          m_end(text.size()) {}

    // Fills the builder with one item per element; false where the parser has to decide.
    bool scan(ItemTreeBuilder& builder);

private:
    struct Open {
        ItemTree::Index item;
        std::size_t nameStart;
        std::size_t nameSize;
    };

    std::uint8_t classAt(std::size_t at) const { return at < m_end ? kClasses[m_bytes[at]] : 0; }
    char at(std::size_t i) const { return i < m_end ? m_text[i] : '\0'; }
    std::size_t skipSpace(std::size_t i) const {
        while (classAt(i) & kSpace)
            ++i;
        return i;
    }
    std::size_t skipSymbols(std::size_t i) const {
        while (classAt(i) & kSymbol)
            ++i;
        return i;
    }
    // Just past the first `what` at or after `from`, or npos.
    std::size_t past(std::string_view what, std::size_t from) const {
        const std::size_t found = m_text.find(what, from);
        return found == std::string_view::npos ? found : found + what.size();
    }
    // The 1-based line of a byte, counting line feeds from the last byte asked about.
    std::uint32_t lineAt(std::size_t offset) {
        m_line += static_cast<std::uint32_t>(
            std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_lineOffset),
                       m_text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
        m_lineOffset = offset;
        return m_line;
    }

    // The parts after '<'; each returns the position after the part, or npos.
    std::size_t startTag(std::size_t lt, ItemTreeBuilder& builder);
    std::size_t endTag(std::size_t lt);
    std::size_t instruction(std::size_t lt) const;
    std::size_t exclamation(std::size_t lt) const;

    std::string_view m_text;
    const unsigned char* m_bytes;
    std::size_t m_end;
    std::vector<Open> m_open;
    std::uint32_t m_line = 1;
    std::size_t m_lineOffset = 0;
    // The last element name met, so that a name repeated at once is not looked up again.
    std::string_view m_lastName;
    std::uint32_t m_lastNameIndex = 0;
};

constexpr std::size_t npos = std::string_view::npos;

bool Scanner::scan(ItemTreeBuilder& builder) {
    // The parser ends its text at a zero byte.
    if (m_end == 0 || std::memchr(m_text.data(), 0, m_end))
        return false;
    std::size_t i = m_text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    bool anyElement = false;
    for (;;) {
        // Text, inside elements or around the root, is taken as it is.
        const void* found = std::memchr(m_bytes + i, '<', m_end - i);
        if (!found)
            break;
        const std::size_t lt =
            static_cast<std::size_t>(static_cast<const unsigned char*>(found) - m_bytes);
        const std::uint8_t next = classAt(lt + 1);
        if (next & kStartSymbol) {
            i = startTag(lt, builder);
            anyElement = true;
        } else if (at(lt + 1) == '/') {
            i = endTag(lt);
        } else if (at(lt + 1) == '?') {
            i = instruction(lt);
        } else if (at(lt + 1) == '!') {
            i = exclamation(lt);
        } else {
            return false;
        }
        if (i == npos)
            return false;
    }
    return anyElement && m_open.empty();
}

std::size_t Scanner::startTag(std::size_t lt, ItemTreeBuilder& builder) {
    const std::size_t nameStart = lt + 1;
    const std::size_t nameEnd = skipSymbols(nameStart);
    const std::string_view name = m_text.substr(nameStart, nameEnd - nameStart);
    if (name != m_lastName) {
        m_lastName = name;
        m_lastNameIndex = builder.nameIndex(name);
    }
    const ItemTree::Index parent = m_open.empty() ? ItemTree::kRoot : m_open.back().item;
    const ItemTree::Index item = builder.addNamed(parent, m_lastNameIndex, lineAt(lt));
    std::size_t i = nameEnd;
    if (classAt(i) & kSpace) {
        for (;;) {
            i = skipSpace(i);
            if (!(classAt(i) & kStartSymbol))
                break;
            i = skipSpace(skipSymbols(i));
            if (at(i) != '=')
                return npos;
            i = skipSpace(i + 1);
            const char quote = at(i);
            if (quote != '"' && quote != '\'')
                return npos;
            const void* close = std::memchr(m_bytes + i + 1, quote, m_end - i - 1);
            if (!close)
                return npos;
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(close) - m_bytes) + 1;
            // The parser wants a blank, '/' or '>' between attributes.
            if (classAt(i) & kStartSymbol)
                return npos;
        }
    }
    if (at(i) == '>') {
        m_open.push_back({item, nameStart, name.size()});
        return i + 1;
    }
    if (at(i) == '/' && at(i + 1) == '>')
        return i + 2;
    return npos;
}

std::size_t Scanner::endTag(std::size_t lt) {
    if (m_open.empty())
        return npos;
    const Open& open = m_open.back();
    const std::size_t nameStart = lt + 2;
    const std::size_t nameEnd = skipSymbols(nameStart);
    if (nameEnd - nameStart != open.nameSize ||
        std::memcmp(m_bytes + nameStart, m_bytes + open.nameStart, open.nameSize) != 0)
        return npos;
    const std::size_t i = skipSpace(nameEnd);
    if (at(i) != '>')
        return npos;
    m_open.pop_back();
    return i + 1;
}

// "<?target ... ?>": the declaration and other processing instructions, skipped.
std::size_t Scanner::instruction(std::size_t lt) const {
    if (!(classAt(lt + 2) & kStartSymbol))
        return npos;
    return past("?>", skipSymbols(lt + 2));
}

// Comments and CDATA sections; a document type or anything else is left to the parser.
std::size_t Scanner::exclamation(std::size_t lt) const {
    const std::string_view rest = m_text.substr(lt);
    if (rest.starts_with("<!--"))
        return past("-->", lt + 4);
    if (rest.starts_with("<![CDATA["))
        return past("]]>", lt + 9);
    return npos;
}

// ---- the parser -------------------------------------------------------------------------

// Parsing keeps values as they are: the checks and the element lines do not depend on them.
constexpr unsigned kParseFlags =
    pugi::parse_default & ~pugi::parse_wconv_attribute & ~pugi::parse_eol & ~pugi::parse_escapes;

// Reads the text with the parser: its error, or the Tags tree from its document.
bool parseTree(std::string_view text, ItemTreeBuilder& builder, XmlParseError& error) {
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_utf8);
    if (!result) {
        const TextPlace where = placeOfOffset(
            text, static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0)));
        error = {result.description(), where.line, where.column};
        return false;
    }
    // Depth first in document order, without recursion: documents may nest deeply. Only
    // elements hold elements, so only they are walked into.
    std::uint32_t line = 1;
    std::ptrdiff_t lineOffset = 0;
    std::vector<ItemTree::Index> parents{ItemTree::kRoot};
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element) {
            const std::ptrdiff_t offset = node.offset_debug();
            if (offset >= lineOffset) {
                line += static_cast<std::uint32_t>(
                    std::count(text.begin() + lineOffset, text.begin() + offset, '\n'));
                lineOffset = offset;
            }
            const ItemTree::Index item = builder.add(parents.back(), node.name(), line);
            if (node.first_child()) {
                parents.push_back(item);
                node = node.first_child();
                continue;
            }
        }
        while (!node.next_sibling() && node.parent() != document) {
            node = node.parent();
            parents.pop_back();
        }
        node = node.next_sibling();
    }
    return true;
}

// ---- categories -------------------------------------------------------------------------

constexpr std::string_view kCategoryNames[] = {
    "Shapes",  "Bitmaps", "Shape Morphing", "Font and text", "Sounds",
    "Buttons", "Sprites", "Video",          "Binary data",
};

constexpr struct {
    std::string_view name;
    int category;
} kCategories[] = {
    {"DefineShape", 0},          {"DefineShape2", 0},     {"DefineShape3", 0},
    {"DefineShape4", 0},         {"DefineBits", 1},       {"JPEGTables", 1},
    {"DefineBitsJPEG2", 1},      {"DefineBitsJPEG3", 1},  {"DefineBitsLossless", 1},
    {"DefineBitsLossless2", 1},  {"DefineBitsJPEG4", 1},  {"DefineMorphShape", 2},
    {"DefineMorphShape2", 2},    {"DefineFont", 3},       {"DefineFontInfo", 3},
    {"DefineFontInfo2", 3},      {"DefineFont2", 3},      {"DefineFont3", 3},
    {"DefineFontAlignZones", 3}, {"DefineFontName", 3},   {"DefineText", 3},
    {"DefineEditText", 3},       {"CSMTextSettings", 3},  {"DefineFont4", 3},
    {"DefineSound", 4},          {"StartSound", 4},       {"StartSound2", 4},
    {"SoundStreamHead", 4},      {"SoundStreamHead2", 4}, {"SoundStreamBlock", 4},
    {"DefineButton", 5},         {"DefineButton2", 5},    {"DefineButtonCxform", 5},
    {"DefineButtonSound", 5},    {"DefineSprite", 6},     {"DefineVideoStream", 7},
    {"VideoFrame", 7},           {"DefineBinaryData", 8},
};

// The Resources tree from the Tags tree: the children of the first element of the top level.
ItemTree resourcesOf(const ItemTree& tags) {
    ItemTreeBuilder builder;
    if (tags.childCount(ItemTree::kRoot) == 0)
        return builder.finish();
    const ItemTree::Index root = tags.child(ItemTree::kRoot, 0);
    // The category of each distinct name, found once.
    std::vector<int> categories;
    for (const std::string& name : tags.names())
        categories.push_back(resourceCategory(name));
    std::array<ItemTree::Index, kNoCategory> categoryItems;
    categoryItems.fill(ItemTree::kNone);
    for (ItemTree::Index row = 0; row < tags.childCount(root); ++row) {
        const ItemTree::Index element = tags.child(root, row);
        const int category = categories[tags.nameIndex(element)];
        if (category == kNoCategory)
            continue;
        ItemTree::Index& categoryItem = categoryItems[static_cast<std::size_t>(category)];
        if (categoryItem == ItemTree::kNone)
            categoryItem =
                builder.add(ItemTree::kRoot, kCategoryNames[static_cast<std::size_t>(category)], 0);
        builder.add(categoryItem, tags.name(element), tags.line(element));
    }
    return builder.finish();
}

} // namespace

std::string XmlParseError::message() const {
    return xmlErrorBox(description, row, column).text;
}

bool scanTagsTree(std::string_view text, ItemTree& tags) {
    ItemTreeBuilder builder;
    // One item per start tag at most; room that is never written costs no memory.
    builder.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '<')) + 1);
    if (!Scanner(text).scan(builder))
        return false;
    tags = builder.finish();
    return true;
}

bool parseTagsTree(std::string_view text, ItemTree& tags, XmlParseError& error) {
    ItemTreeBuilder builder;
    if (!parseTree(text, builder, error))
        return false;
    tags = builder.finish();
    return true;
}

DocumentTrees buildDocumentTrees(std::string_view text) {
    DocumentTrees trees;
    if (!scanTagsTree(text, trees.tags) && !parseTagsTree(text, trees.tags, trees.error))
        return trees;
    trees.parsed = true;
    trees.resources = resourcesOf(trees.tags);
    return trees;
}

int resourceCategory(std::string_view name) {
    for (const auto& entry : kCategories)
        if (entry.name == name)
            return entry.category;
    return kNoCategory;
}

std::string_view categoryName(int category) {
    return category >= 0 && category < kNoCategory
               ? kCategoryNames[static_cast<std::size_t>(category)]
               : std::string_view();
}

std::vector<std::string> viewTagNames(const ItemTree& tags) {
    std::set<std::string, swfxml::SwfNameLess> set;
    for (const std::string& name : tags.names())
        if (isTagName(name))
            set.insert(name);
    return {set.begin(), set.end()};
}

std::string viewTagsText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text.append(name).append("\r\n");
    return text;
}

} // namespace vorn
