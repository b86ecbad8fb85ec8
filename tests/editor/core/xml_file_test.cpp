// The printed form of a saved .xml file: exact bytes, CR LF only where the printer breaks lines.
#include "files/xml_file.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace std::string_literals;

TEST(XmlFile, PrintsFourSpacesAndCrLfAndKeepsContentAsWritten) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- note -->\n"
        "<Movie SwfVersion=\"8\" Width=\"1\"><DefineEditText Text=\"a&#10;b &amp; &lt;c&gt; "
        "&quot;'\t\x01\"/>\n\n   <Metadata><![CDATA[line1\nline2 ]]]]><![CDATA[>]]></Metadata>"
        "<Label>x\ny &lt;\x02</Label><Empty></Empty><Blank>  </Blank><Mixed>t<A/>u</Mixed>"
        "<?pi x?><Deep><Deeper><Deepest a=\"\xE9\"/></Deeper></Deep></Movie>";
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
        "<!-- note -->\r\n"
        "<Movie SwfVersion=\"8\" Width=\"1\">\r\n"
        "    <DefineEditText Text=\"a&#10;b &amp; &lt;c> &quot;'&#09;&#01;\" />\r\n"
        "    <Metadata><![CDATA[line1\nline2 ]]]]><![CDATA[>]]></Metadata>\r\n"
        "    <Label>x\ny &lt;&#02;</Label>\r\n"
        "    <Empty />\r\n"
        "    <Blank />\r\n"
        "    <Mixed>t<A />u</Mixed>\r\n"
        "    <?pi x?>\r\n"
        "    <Deep>\r\n"
        "        <Deeper>\r\n"
        "            <Deepest a=\"\xE9\" />\r\n"
        "        </Deeper>\r\n"
        "    </Deep>\r\n"
        "</Movie>\r\n";
    const vorn::PrintedXml printed = vorn::printXmlFile(text);
    ASSERT_TRUE(printed.ok) << printed.reason;
    EXPECT_EQ(printed.bytes, expected);
    // Printing is stable: a saved file prints to itself.
    EXPECT_EQ(vorn::printXmlFile(printed.bytes).bytes, expected);
}

TEST(XmlFile, SplitsACdataSectionAroundItsEndMarker) {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Movie");
    root.append_child("Metadata").append_child(pugi::node_cdata).set_value("a]]>b]]>");
    root.append_child("Text").append_child(pugi::node_pcdata).set_value("x>y&z");
    EXPECT_EQ(vorn::printXmlDocument(document),
              "<Movie>\r\n"
              "    <Metadata><![CDATA[a]]]]><![CDATA[>b]]]]><![CDATA[>]]></Metadata>\r\n"
              "    <Text>x&gt;y&amp;z</Text>\r\n"
              "</Movie>\r\n");
}

// Wherever content holds no line break, the layout is the dialect printer's with CR LF.
TEST(XmlFile, LayoutIsTheDialectsWithCrLf) {
    std::string text = "<?xml version=\"1.0\" ?>\n<Movie SwfVersion=\"4\">";
    for (int i = 0; i < 50; ++i)
        text += "<Tag" + std::to_string(i % 7) + " A=\"" + std::to_string(i) +
                "\"><Child B=\"&lt;&amp;\"><![CDATA[data]]></Child><Other/>text</Tag" +
                std::to_string(i % 7) + ">";
    text += "</Movie>";
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(text.c_str()));
    std::ostringstream dialect;
    dialect << "<?xml version=\"1.0\" ?>\n";
    document.first_child().print(dialect, "    ", pugi::format_indent);

    std::string printed = vorn::printXmlFile(text).bytes;
    std::string withoutCr;
    for (char c : printed)
        if (c != '\r')
            withoutCr += c;
    EXPECT_EQ(withoutCr, dialect.str());
}

TEST(XmlFile, RefusesTextThatIsNotWellFormed) {
    const std::pair<std::string, std::string> rows[] = {
        {"<Movie>\n  <A></B>\n</Movie>", "line 2, column 8: Start-end tags mismatch"},
        {"", "line 1, column 1: No document element found"},
        {"<Movie a=\"1\">", "line 1, column 13: Start-end tags mismatch"},
        {"<Movie/>\0<Hidden/>"s,
         "line 1, column 9: a zero byte, which an XML document cannot hold"},
        // Columns count characters, not bytes.
        {"<M\u00E9>\n\u00E9\u00E9<", "line 2, column 3: Start-end tags mismatch"},
    };
    for (const auto& [text, reason] : rows) {
        const vorn::PrintedXml printed = vorn::printXmlFile(text);
        EXPECT_FALSE(printed.ok) << text;
        EXPECT_EQ(printed.reason, reason) << text;
    }
}

} // namespace
