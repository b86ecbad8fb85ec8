// The parser reads what pugixml reads: for text both take, the same elements, attributes and
// character data; text pugixml refuses, the parser refuses too. It reads forward only, and
// refuses a handle used after its parent moved on.
#include "swfxml/parser.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace swfxml;

namespace {

constexpr unsigned kParseFlags =
    pugi::parse_default & ~pugi::parse_wconv_attribute & ~pugi::parse_eol;

std::string visible(std::string_view text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c < 32 || c > 126) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// One line per element in document order: its name, its attributes and its character data
// (text and CDATA directly inside, as readers take it).
void describe(const pugi::xml_node& parent, std::vector<std::string>& out) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        std::string line = c.name();
        for (pugi::xml_attribute a = c.first_attribute(); a; a = a.next_attribute())
            line += std::string(" ") + a.name() + "=" + visible(a.value());
        std::string text;
        for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
            if (t.type() == pugi::node_pcdata || t.type() == pugi::node_cdata)
                text += t.value();
        out.push_back(line + " [" + visible(text) + "]");
        describe(c, out);
    }
}

// The same through the parser. Reading forward only, an element's text is taken from a
// second parser that stops at it, since reading its text reads past its children.
void describe(std::string_view text, const SwfXmlIn& parent, std::vector<std::string>& out,
              std::size_t& index) {
    for (SwfXmlIn c = parent.nextChild(); c; c = parent.nextChild()) {
        std::string line(c.name());
        for (const SwfXmlAttribute& a : c.attributes())
            line += " " + std::string(a.name) + "=" + visible(a.value);
        SwfXmlParser again(text, 0, text.size());
        std::vector<SwfXmlIn> open{again.root()};
        std::string own;
        for (std::size_t seen = 0;;) {
            const SwfXmlIn next = open.back().nextChild();
            if (!next) {
                open.pop_back();
                continue;
            }
            if (seen++ == index) {
                own = next.text();
                break;
            }
            open.push_back(next);
        }
        out.push_back(line + " [" + visible(own) + "]");
        ++index;
        describe(text, c, out, index);
    }
}

// The elements of a fragment as pugixml reads them, or "refused".
std::vector<std::string> throughPugixml(std::string_view text) {
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), kParseFlags | pugi::parse_fragment,
                              pugi::encoding_utf8))
        return {"refused"};
    std::vector<std::string> out;
    describe(document, out);
    return out;
}

// The same through the parser, or "not taken" for text it leaves to pugixml.
std::vector<std::string> throughParser(std::string_view text) {
    try {
        SwfXmlParser parser(text, 0, text.size());
        std::vector<std::string> out;
        std::size_t index = 0;
        describe(text, parser.root(), out, index);
        return out;
    } catch (const SwfXmlSyntaxError&) {
        return {"not taken"};
    }
}

} // namespace

TEST(Parser, ReadsWhatPugixmlReads) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> elements;
    };
    const Row rows[] = {
        {"References",
         "<a v=\"&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&#X43;&foo;&#;\"/>",
         {"a v=<>&\"'AB&#X43;&foo;&#; []"}},
        {"WideAndWrappedReferences",
         "<a v=\"&#xE9;&#x1F600;&#4294967361;\"/>",
         {"a v=\\xc3\\xa9\\xf0\\x9f\\x98\\x80A []"}},
        {"RawBytesAndLineEndsKept",
         "<a v='x\"\r\n\t\xff' w=\"<>\"/>",
         {"a v=x\"\\x0d\\x0a\\x09\\xff w=<> []"}},
        {"TextCdataCommentsAndInstructions",
         "<a>  <![CDATA[x]]>  y &lt; <!-- c --> z <?pi x?> <b/>w</a>",
         {"a [x  y <  z w]", "b []"}},
        {"BlankTextDropped", "<a>\n  <b> </b>\n</a>", {"a []", "b []"}},
        {"BlanksAroundEqualsAndInEndTags", "<a b = '1' ></a\n>", {"a b=1 []"}},
        {"MissingBlankBetweenAttributes", "<a b=\"1\"c=\"2\"/>", {"refused"}},
        {"EndTagMismatch", "<a><b></a></b>", {"refused"}},
        {"UnclosedElement", "<a><b/>", {"refused"}},
        {"ProcessingInstructionWithoutTarget", "<a><?1?></a>", {"refused"}},
        {"CommentNotClosed", "<a><!---></a>", {"refused"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(throughPugixml(row.text), row.elements) << row.name;
        EXPECT_EQ(throughParser(row.text), row.elements == std::vector<std::string>{"refused"}
                                               ? std::vector<std::string>{"not taken"}
                                               : row.elements)
            << row.name;
    }
    // Forms the dialect never uses are left to pugixml, which takes them, and a zero byte,
    // which ends pugixml's text.
    for (const std::string& text :
         {std::string("<!DOCTYPE a><a/>"), std::string("<a v=\"&#0;\"/>")}) {
        EXPECT_EQ(throughParser(text), std::vector<std::string>{"not taken"}) << visible(text);
        EXPECT_NE(throughPugixml(text), std::vector<std::string>{"refused"}) << visible(text);
    }
    const std::string zero("<a>x\0y</a>", 10);
    EXPECT_EQ(throughParser(zero), std::vector<std::string>{"not taken"});
    EXPECT_EQ(throughPugixml(zero), std::vector<std::string>{"refused"});
}

// Random fragments made of the pieces markup is made of: whatever the parser takes, pugixml
// takes and reads the same; whatever pugixml refuses, the parser refuses.
TEST(Parser, AgreesWithPugixmlOnRandomFragments) {
    const char* pieces[] = {
        "<a",        "<b",        "</a>",        "</b>",       ">",    "/>",    " ",     "\n",
        "x",         "=",         "\"",          "'",          "&",    "&amp;", "&#65;", "&#x41;",
        "&#0;",      "<![CDATA[", "]]>",         "<!--",       "-->",  "<?",    "?>",    "pi",
        "<!DOCTYPE", "1",         "-",           ":",          "\x80", "<",     "/",     "&lt;",
        "&#",        ";",         "<a x=\"1\">", "<b y='2'/>", "\r"};
    std::mt19937 random(15);
    int taken = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text =
            random() % 2 ? "<a x=\"1\"><b y='v&amp;'>t</b><![CDATA[c]]></a>" : std::string();
        const auto count = random() % 12;
        for (unsigned i = 0; i < count; ++i)
            text.insert(text.empty() ? 0 : random() % (text.size() + 1),
                        pieces[random() % std::size(pieces)]);
        const std::vector<std::string> mine = throughParser(text);
        const std::vector<std::string> theirs = throughPugixml(text);
        if (mine == std::vector<std::string>{"not taken"}) {
            continue;
        }
        ++taken;
        ASSERT_EQ(mine, theirs) << visible(text);
    }
    EXPECT_GT(taken, 2000);
}

TEST(Parser, ReadsForwardAndKeepsAttributesUntilTheParentMovesOn) {
    const std::string text = "<a n='1'><b/>t<c>u</c></a><d/>";
    SwfXmlParser parser(text, 0, text.size());
    const SwfXmlIn root = parser.root();
    const SwfXmlIn a = root.nextChild();
    EXPECT_EQ(a.name(), "a");
    EXPECT_EQ(a.offset(), 1u);
    const SwfXmlIn b = a.nextChild();
    EXPECT_EQ(b.name(), "b");
    EXPECT_FALSE(b.nextChild());
    // Read to its end, an element keeps its name and attributes for its parent.
    EXPECT_EQ(a.text(), "t");
    EXPECT_FALSE(a.nextChild());
    ASSERT_EQ(a.attributes().size(), 1u);
    EXPECT_EQ(a.firstAttribute()->value, "1");
    // Once the root reads on, its earlier children are gone.
    EXPECT_EQ(root.nextChild().name(), "d");
    EXPECT_THROW(a.name(), std::logic_error);
    EXPECT_THROW(b.nextChild(), std::logic_error);
    EXPECT_FALSE(root.nextChild());
    EXPECT_FALSE(SwfXmlIn().nextChild());
    EXPECT_EQ(SwfXmlIn().text(), "");
}
