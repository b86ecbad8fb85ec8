// The side panel's trees: the Tags and Resources trees of a movie, element lines, the parser's
// errors in the Check XML message, the scanner held to the parser on valid and broken texts,
// deep nesting, and the View Tags names.
#include "tree/document_trees.h"

#include <gtest/gtest.h>
#include <random>

using namespace std::literals;
using vorn::ItemTree;

namespace {

// One line per item, "name@line", indented by depth; checks on the way that every item is
// the child its parent and row say it is.
std::string dump(const ItemTree& tree, ItemTree::Index item = ItemTree::kRoot, int depth = -1) {
    std::string out;
    if (item != ItemTree::kRoot) {
        EXPECT_EQ(tree.child(tree.parent(item), tree.row(item)), item);
        out.append(static_cast<std::size_t>(depth) * 2, ' ')
            .append(tree.name(item))
            .append("@" + std::to_string(tree.line(item)) + "\n");
    }
    for (ItemTree::Index row = 0; row < tree.childCount(item); ++row)
        out += dump(tree, tree.child(item, row), depth + 1);
    return out;
}

const char* const kMovie = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                           "<Movie SwfVersion=\"7\" Width=\"550\">\n"
                           "    <FileAttributes HasMetadata=\"false\" />\n"
                           "    <DefineSound SoundId=\"1\">\n"
                           "        <SoundData><![CDATA[\n"
                           "            AAAA<not a tag>\n"
                           "            ]]></SoundData>\n"
                           "    </DefineSound>\n"
                           "    <!-- <DefineShape> in a comment is no element -->\n"
                           "    <DefineShape ShapeId='2'><Bounds MaxX=\"1>2\" /></DefineShape>\n"
                           "    <DefineSprite Id=\"3\" FrameCount=\"1\">\n"
                           "        <PlaceObject2 Depth=\"1\" />\n"
                           "        <PlaceObject2 Depth=\"2\" />\n"
                           "        <ShowFrame />\n"
                           "        <End />\n"
                           "    </DefineSprite>\n"
                           "    <DefineShape2 ShapeId=\"4\" />\n"
                           "    <ShowFrame />\n"
                           "    <End />\n"
                           "</Movie>\n";

TEST(Trees, TagsAndResourcesOfAMovie) {
    const vorn::DocumentTrees trees = vorn::buildDocumentTrees(kMovie);
    ASSERT_TRUE(trees.parsed) << trees.error.message();
    EXPECT_EQ(dump(trees.tags), "Movie@2\n"
                                "  FileAttributes@3\n"
                                "  DefineSound@4\n"
                                "    SoundData@5\n"
                                "  DefineShape@10\n"
                                "    Bounds@10\n"
                                "  DefineSprite@11\n"
                                "    PlaceObject2@12\n"
                                "    PlaceObject2@13\n"
                                "    ShowFrame@14\n"
                                "    End@15\n"
                                "  DefineShape2@17\n"
                                "  ShowFrame@18\n"
                                "  End@19\n");
    // Categories in the order of their first member; nested tags are not resources.
    EXPECT_EQ(dump(trees.resources), "Sounds@0\n"
                                     "  DefineSound@4\n"
                                     "Shapes@0\n"
                                     "  DefineShape@10\n"
                                     "  DefineShape2@17\n"
                                     "Sprites@0\n"
                                     "  DefineSprite@11\n");
}

TEST(Trees, NoDefinitionsNoResources) {
    const vorn::DocumentTrees trees =
        vorn::buildDocumentTrees("<Movie><ShowFrame/><PlaceObject2 Depth=\"1\"/><End/></Movie>");
    ASSERT_TRUE(trees.parsed);
    EXPECT_EQ(trees.resources.size(), 1u);
    EXPECT_EQ(trees.resources.childCount(ItemTree::kRoot), 0u);
    EXPECT_EQ(trees.tags.childCount(ItemTree::kRoot), 1u);
}

TEST(Trees, ElementLines) {
    const struct {
        const char* text;
        const char* tree;
    } rows[] = {
        {"<A>\r\n<B/>\r\n\r\n<C></C></A>", "A@1\n  B@2\n  C@4\n"},
        {"<!-- one\ntwo\n--><A><![CDATA[\n\n]]><B\n/></A>", "A@3\n  B@5\n"},
        {"<?xml version=\"1.0\"\n?>\n<A x=\"1\n2\"\n y='3'><B/></A>", "A@3\n  B@5\n"},
        {"\xEF\xBB\xBF<A/>", "A@1\n"},
        // Several roots: the parser takes them, and so does the tree.
        {"<A/>\n<B/>", "A@1\nB@2\n"},
    };
    for (const auto& row : rows) {
        const vorn::DocumentTrees trees = vorn::buildDocumentTrees(row.text);
        ASSERT_TRUE(trees.parsed) << row.text << trees.error.message();
        EXPECT_EQ(dump(trees.tags), row.tree) << row.text;
    }
}

TEST(Trees, ParseErrorsAsCheckXmlShowsThem) {
    const struct {
        std::string_view text;
        const char* message;
    } rows[] = {
        {"<Movie>\n    <End>\n</Movie>",
         "Error description: Start-end tags mismatch\nRow: 3\nCol: 3"},
        {"<Movie>\n  <End />\n", "Error description: Start-end tags mismatch\nRow: 2\nCol: 10"},
        {"", "Error description: No document element found\nRow: 1\nCol: 1"},
        {"just text", "Error description: No document element found\nRow: 1\nCol: 10"},
        {"<Movie>\n  < End/>\n</Movie>",
         "Error description: Could not determine tag type\nRow: 2\nCol: 4"},
        {"<Movie a=1/>", "Error description: Error parsing element attribute\nRow: 1\nCol: 10"},
        {"<Movie a=\"1\"b=\"2\"/>",
         "Error description: Error parsing element attribute\nRow: 1\nCol: 13"},
        {"<Movie>\n<!-- open", "Error description: Error parsing comment\nRow: 2\nCol: 9"},
        {"<Movie><![CDATA[ open</Movie>",
         "Error description: Error parsing CDATA section\nRow: 1\nCol: 29"},
        // The parser ends its text at a zero byte.
        {"<Movie>\n<x>\0</x></Movie>"sv,
         "Error description: Start-end tags mismatch\nRow: 2\nCol: 4"},
    };
    for (const auto& row : rows) {
        const vorn::DocumentTrees trees = vorn::buildDocumentTrees(row.text);
        EXPECT_FALSE(trees.parsed) << row.text;
        EXPECT_EQ(trees.error.message(), row.message) << row.text;
        EXPECT_EQ(trees.tags.size(), 1u);
    }
}

// Whatever the scanner takes, the parser takes, with the same tree.
void expectScannerAgrees(std::string_view text) {
    ItemTree scanned;
    if (!vorn::scanTagsTree(text, scanned))
        return;
    ItemTree parsed;
    vorn::XmlParseError error;
    ASSERT_TRUE(vorn::parseTagsTree(text, parsed, error))
        << "the scanner took what the parser refuses: " << error.message() << "\n"
        << text;
    ASSERT_EQ(dump(scanned), dump(parsed)) << text;
}

TEST(Trees, ScannerTakesWhatTheParserTakes) {
    const struct {
        std::string_view text;
        bool scanned;
    } rows[] = {
        {kMovie, true},
        {"<a:b.c-d _x='1'\t\r\ny = \"2\" ><\xC3\xA9/></a:b.c-d >", true},
        {"<A><?pi <B/> ?><!----><![CDATA[<B>]]></A>", true},
        {"text<A/>text", true},
        // A document type is the parser's to read; the tree comes out the same.
        {"<!DOCTYPE Movie>\n<Movie>\n<End/>\n</Movie>", false},
        // Broken texts: the scanner gives up and the parser says why.
        {"<A>", false},
        {"<A></B>", false},
        {"</A>", false},
        {"<A/></A>", false},
        {"<A x='1'y='2'/>", false},
        {"<A x=1/>", false},
        {"<A x/>", false},
        {"<A / >", false},
        {"<A><!-- x --</A>", false},
        {"<A><![CDATA[ ]]</A>", false},
        {"<A><? x ?></A>", false},
        {"<A>\0</A>"sv, false},
        {"<A>", false},
        {"<", false},
        {"", false},
    };
    for (const auto& row : rows) {
        ItemTree scanned;
        EXPECT_EQ(vorn::scanTagsTree(row.text, scanned), row.scanned) << row.text;
        expectScannerAgrees(row.text);
        const vorn::DocumentTrees trees = vorn::buildDocumentTrees(row.text);
        ItemTree parsed;
        vorn::XmlParseError error;
        EXPECT_EQ(trees.parsed, vorn::parseTagsTree(row.text, parsed, error)) << row.text;
        if (trees.parsed) {
            EXPECT_EQ(dump(trees.tags), dump(parsed)) << row.text;
        }
    }
}

// Random damage to a movie: cut, doubled and stray bytes of markup.
TEST(Trees, ScannerAgreesWithTheParserOnDamagedTexts) {
    const std::string movie = kMovie;
    const std::string_view pieces[] = {"<",   ">",   "/",         "=", "\"",  "'", " ",
                                       "\n",  "!",   "?",         "-", "[",   "]", "<!--",
                                       "-->", "]]>", "<![CDATA[", "a", "\0"sv};
    std::mt19937 random(20240611);
    for (int round = 0; round < 4000; ++round) {
        std::string text = movie;
        const int edits = 1 + static_cast<int>(random() % 3);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 3) {
            case 0:
                text.erase(at, 1 + random() % 8);
                break;
            case 1:
                text.insert(at, pieces[random() % std::size(pieces)]);
                break;
            default:
                text.insert(at, text.substr(random() % text.size(), random() % 40));
                break;
            }
        }
        expectScannerAgrees(text);
        if (HasFatalFailure())
            return;
    }
}

// Nesting far beyond any movie costs neither reader its stack.
TEST(Trees, DeepNesting) {
    constexpr int kDepth = 200000;
    std::string open, close;
    for (int i = 0; i < kDepth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    for (const std::string& text : {open + close, "<!DOCTYPE a>" + open + close}) {
        const vorn::DocumentTrees trees = vorn::buildDocumentTrees(text);
        ASSERT_TRUE(trees.parsed);
        ASSERT_EQ(trees.tags.size(), kDepth + 1u);
        ItemTree::Index item = ItemTree::kRoot;
        for (int i = 0; i < kDepth; ++i) {
            ASSERT_EQ(trees.tags.childCount(item), 1u);
            item = trees.tags.child(item, 0);
        }
        EXPECT_EQ(trees.tags.childCount(item), 0u);
    }
}

TEST(Trees, ViewTagsNames) {
    const vorn::DocumentTrees trees = vorn::buildDocumentTrees(
        "<Movie><placeobject2 Depth=\"1\"><Matrix/></placeobject2>"
        "<PlaceObject2 Depth=\"2\"/><PlaceObject2 Depth=\"3\"/><DefineSprite>"
        "<ShowFrame/><Unknown TagType=\"200\"/><ShowFrame/></DefineSprite><String>DoAction</String>"
        "<ShowFrame/><End/><movie/></Movie>");
    ASSERT_TRUE(trees.parsed);
    const std::vector<std::string> names = vorn::viewTagNames(trees.tags);
    EXPECT_EQ(names,
              (std::vector<std::string>{"DefineSprite", "End", "placeobject2", "ShowFrame"}));
    EXPECT_EQ(vorn::viewTagsText(names), "DefineSprite\r\nEnd\r\nplaceobject2\r\nShowFrame\r\n");
}

} // namespace
