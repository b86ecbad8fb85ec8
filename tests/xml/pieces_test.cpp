// Large documents are read a piece at a time; whatever the cuts between pieces meet, the
// result must be what reading the whole document gives.
#include "libswf/control.h"
#include "libswf/movie.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

// Blocks that look like cut points inside CDATA, comments and values, repeated until the
// document spans many pieces.
std::string trickyDocument(int blocks) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                       "<Movie SwfVersion=\"10\" Width=\"10\" Height=\"10\" FrameRate=\"12\" "
                       "IsCompressed=\"false\">\n";
    for (int i = 0; i < blocks; ++i) {
        const std::string n = std::to_string(i);
        text += "    <Metadata>\n        <Data><![CDATA[block " + n +
                "\n    <ShowFrame />\n    <End />\n]]></Data>\n    </Metadata>\n";
        text += "    <!-- a comment\n    <ShowFrame />\n    -->\n";
        text += "    <FrameLabel Name=\"line&#10;    &lt;ShowFrame /&gt;" + n +
                "\" IsAnchor=\"false\" />\n";
        text += "    <ShowFrame />\n";
    }
    return text + "    <End />\n</Movie>\n";
}

} // namespace

TEST(XmlPieces, CutsNeverSplitWhatLooksLikeATag) {
    const int blocks = 6000; // about 1.2 MB: several pieces
    const std::string text = trickyDocument(blocks);
    ASSERT_GT(text.size(), 1u << 20);
    swfxml::SwfXmlReader reader;
    SwfBuffer swf;
    ASSERT_TRUE(swfxml::convertXmlToSwfBytes(reader, text, swf, false))
        << reader.failure.describe();
    // Read a piece at a time, not whole after the pieces gave up: a cut that split what looks
    // like a tag would have sent it back to the whole document.
    EXPECT_GE(reader.pieces, text.size() >> 18);
    SwfMovie movie;
    movie.read(swf.span());
    ASSERT_EQ(movie.tags.size(), static_cast<std::size_t>(3 * blocks));
    EXPECT_EQ(movie.frameCount, blocks);
    for (int i = 0; i < blocks; i += 997) {
        const auto& metadata = dynamic_cast<const SwfTagMetadata&>(movie.tags[3 * i]);
        EXPECT_EQ(metadata.text.text,
                  "block " + std::to_string(i) + "\n    <ShowFrame />\n    <End />\n");
        const auto& label = dynamic_cast<const SwfTagFrameLabel&>(movie.tags[3 * i + 1]);
        EXPECT_EQ(label.name.text, "line\n    <ShowFrame />" + std::to_string(i));
        EXPECT_EQ(movie.tags[3 * i + 2].code(), 1);
    }
}

TEST(XmlPieces, FailuresDeepInsideAreLocatedInTheWholeDocument) {
    std::string text = trickyDocument(3000);
    const std::size_t at = text.rfind("    <ShowFrame />\n");
    text.insert(at, "    <Unknown TagType=\"5000\" />\n");
    const std::size_t line =
        1 + static_cast<std::size_t>(
                std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    swfxml::SwfXmlReader reader;
    SwfBuffer swf;
    ASSERT_FALSE(swfxml::convertXmlToSwfBytes(reader, text, swf, false));
    EXPECT_EQ(reader.failure.line, line);
    EXPECT_EQ(reader.failure.reason.rfind("ValueOutOfRange: tag code 5000", 0), 0u)
        << reader.failure.reason;
    EXPECT_EQ(reader.pieces, 0u) << "the failure was not located in the whole document";

    // An element left open in the middle: the pieces around it cannot read it, the whole
    // document reports it.
    std::string broken = trickyDocument(3000);
    broken.insert(broken.find("    <FrameLabel", broken.size() / 2), "    <Oops>\n");
    ASSERT_FALSE(swfxml::convertXmlToSwfBytes(reader, broken, swf, false));
    EXPECT_EQ(reader.failure.reason, "Start-end tags mismatch");
    EXPECT_EQ(reader.pieces, 0u);
}

TEST(XmlPieces, OnlyWhatPiecesCannotReadGoesToTheWholeDocument) {
    // The same tags, small and large, read in pieces; with a document type, or with a root
    // that holds text of its own, the whole document is read instead.
    const std::string small = "<Movie SwfVersion=\"8\"><ShowFrame/></Movie>";
    const std::string typed = "<!DOCTYPE Movie>\n" + small;
    const std::string large = trickyDocument(3000);
    const struct {
        const std::string* text;
        bool inPieces;
    } rows[] = {{&small, true}, {&typed, false}, {&large, true}};
    for (const auto& row : rows) {
        swfxml::SwfXmlReader reader;
        SwfBuffer swf;
        ASSERT_TRUE(swfxml::convertXmlToSwfBytes(reader, *row.text, swf, false))
            << reader.failure.describe();
        EXPECT_EQ(reader.pieces > 0, row.inPieces) << row.text->substr(0, 40);
    }
}
