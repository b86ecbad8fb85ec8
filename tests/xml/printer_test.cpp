// The printer writes exactly what pugixml's printer writes for the same elements (the printed
// form the dialect was defined with), to a string or to a sink in blocks, and refuses an
// element used after it was finished.
#include "swfxml/printer.h"
#include "swfxml/values.h"

#include <cstring>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <vector>

using namespace swfxml;

namespace {

// pugixml's print of a document tree, as the dialect was printed before.
std::string pugiPrint(const pugi::xml_node& node) {
    struct Writer : pugi::xml_writer {
        std::string text;
        void write(const void* data, std::size_t size) override {
            text.append(static_cast<const char*>(data), size);
        }
    } writer;
    node.print(writer, "    ", pugi::format_indent, pugi::encoding_utf8);
    return writer.text;
}

std::string allBytes(int from) {
    std::string text;
    for (int c = from; c < 256; ++c)
        text += static_cast<char>(c);
    return text;
}

struct Collect : libswf::SwfOutputSink {
    std::string text;
    std::size_t blocks = 0;
    void write(const std::uint8_t* data, std::size_t size) override {
        text.append(reinterpret_cast<const char*>(data), size);
        ++blocks;
    }
};

} // namespace

TEST(Printer, EscapesAndLayoutAreThoseOfPugixml) {
    // Every byte but zero, in an attribute value and as text; "]]>" inside CDATA; empty and
    // nested elements, a lone text child, a lone CDATA child.
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Root");
    root.append_attribute("All").set_value(allBytes(1).c_str());
    root.append_attribute("Quote").set_value("'\"<>&");
    pugi::xml_node text = root.append_child("Text");
    text.append_child(pugi::node_pcdata).set_value(allBytes(1).c_str());
    pugi::xml_node cdata = root.append_child("Cdata");
    cdata.append_child(pugi::node_cdata).set_value("a]]>b]]]]>c");
    pugi::xml_node nested = root.append_child("Nested");
    nested.append_child("Empty").append_attribute("A").set_value("1");
    nested.append_child("EmptyCdata").append_child(pugi::node_cdata).set_value("");

    std::string printed;
    SwfXmlPrinter printer(printed);
    SwfXmlOut out = printer.open("Root");
    out.attribute("All", allBytes(1));
    out.attribute("Quote", "'\"<>&");
    out.child("Text").text(allBytes(1));
    out.child("Cdata").cdata("a]]>b]]]]>c");
    SwfXmlOut outNested = out.child("Nested");
    outNested.child("Empty").plainAttribute("A", "1");
    outNested.child("EmptyCdata").cdata("");
    printer.finish();
    EXPECT_EQ(printed, pugiPrint(root));
}

TEST(Printer, ExactTextOfTheLayoutRules) {
    struct Row {
        const char* name;
        void (*print)(SwfXmlPrinter&);
        const char* text;
    };
    const Row rows[] = {
        {"EmptyElement", [](SwfXmlPrinter& p) { p.open("A"); }, "<A />\n"},
        {"ValueCutAtAZeroByte",
         [](SwfXmlPrinter& p) { p.open("A").attribute("V", std::string_view("x\0y", 3)); },
         "<A V=\"x\" />\n"},
        {"LastAttributeFollowsTheOthers",
         [](SwfXmlPrinter& p) {
             SwfXmlOut a = p.open("A");
             a.lastAttribute("Last", "true");
             a.plainAttribute("First", "1");
             a.child("B");
         },
         "<A First=\"1\" Last=\"true\">\n    <B />\n</A>\n"},
        {"ASiblingFinishesTheChildBeforeIt",
         [](SwfXmlPrinter& p) {
             SwfXmlOut a = p.open("A", 1);
             SwfXmlOut b = a.child("B");
             b.child("C");
             a.child("D").text("t");
         },
         "    <A>\n        <B>\n            <C />\n        </B>\n        <D>t</D>\n    </A>\n"},
        {"DepthsBelowZeroAreNotIndented",
         [](SwfXmlPrinter& p) { p.open("A", -1).child("B").child("C"); },
         "<A>\n<B>\n    <C />\n</B>\n</A>\n"},
        {"CdataWrittenInParts",
         [](SwfXmlPrinter& p) {
             SwfXmlOut a = p.open("A");
             a.beginCdata();
             for (const char* part : {"ab", "", "cd"}) {
                 const std::size_t n = std::strlen(part);
                 std::memcpy(a.reserve(n), part, n);
                 a.commit(n);
             }
             a.endCdata();
         },
         "<A><![CDATA[abcd]]></A>\n"},
    };
    for (const Row& row : rows) {
        std::string text;
        SwfXmlPrinter printer(text);
        row.print(printer);
        printer.finish();
        EXPECT_EQ(text, row.text) << row.name;
    }
}

TEST(Printer, ASinkReceivesTheSameTextInBlocks) {
    // A payload of 300 KB takes several blocks.
    const std::vector<std::uint8_t> payload(300000, 0x5a);
    const auto print = [&](SwfXmlPrinter& printer) {
        SwfXmlOut root = printer.open("Movie");
        setNumber(root, "N", -12);
        appendBase64(root, "Data", payload, 1);
        root.child("End");
        printer.finish();
    };
    std::string text;
    SwfXmlPrinter toString(text);
    print(toString);
    Collect sink;
    SwfXmlPrinter toSink(sink);
    print(toSink);
    EXPECT_EQ(sink.text, text);
    EXPECT_GT(sink.blocks, 3u);
    EXPECT_EQ(toSink.printed(), text.size());
    EXPECT_EQ(text.substr(0, 52), "<Movie N=\"-12\">\n    <Data><![CDATA[\n        WlpaWlpa");
}

TEST(Printer, AnElementUsedAfterItWasFinishedIsRefused) {
    std::string text;
    SwfXmlPrinter printer(text);
    SwfXmlOut root = printer.open("Root");
    SwfXmlOut first = root.child("First");
    root.child("Second");
    EXPECT_THROW(first.attribute("A", "1"), std::logic_error);
    EXPECT_THROW(first.child("C"), std::logic_error);
    // Attributes once a child is printed, content twice.
    EXPECT_THROW(root.attribute("Late", "1"), std::logic_error);
    SwfXmlOut third = root.child("Third");
    third.text("x");
    EXPECT_THROW(third.cdata("y"), std::logic_error);
    EXPECT_THROW(SwfXmlOut().child("A"), std::logic_error);
}
