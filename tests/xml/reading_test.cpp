// Reading a document straight through and through pugixml's tree give the same movie, and a
// failure the same reason and place; a movie printed to a sink gives the text printed to a
// string, and the callers' callbacks let them free what the conversion is done with.
#include "libswf/movie.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace libswf;
using namespace vorn::test;

namespace {

const std::string kRoot =
    "<Movie SwfVersion=\"8\" Width=\"10\" Height=\"10\" FrameRate=\"12\" IsCompressed=\"false\">";

// The movie compiled from the text, or the failure as users see it.
std::string compile(const std::string& text) {
    swfxml::SwfXmlReader reader;
    SwfBuffer swf;
    if (!swfxml::convertXmlToSwfBytes(reader, text, swf, false))
        return "failed: " + reader.failure.describe();
    return toHex(toBytes(swf));
}

struct Collect : SwfOutputSink {
    std::string text;
    void write(const std::uint8_t* data, std::size_t size) override {
        text.append(reinterpret_cast<const char*>(data), size);
    }
};

} // namespace

// Documents in forms that only pugixml's reader takes compile as their plain equivalents.
TEST(XmlReading, FormsTheStraightReadingLeavesToPugixmlCompileAlike) {
    struct Row {
        const char* name;
        std::string text;
        std::string plain;
    };
    const Row rows[] = {
        {"Latin1Declaration",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + kRoot +
             "<FrameLabel Name=\"\xe9\" /></Movie>",
         kRoot + "<FrameLabel Name=\"\xc3\xa9\" /></Movie>"},
        {"DocumentType", "<!DOCTYPE Movie>\n" + kRoot + "<ShowFrame /></Movie>",
         kRoot + "<ShowFrame /></Movie>"},
        {"ReferenceToCharacterZeroEndsTheValue", kRoot + "<FrameLabel Name=\"ab&#0;cd\" /></Movie>",
         kRoot + "<FrameLabel Name=\"ab\" /></Movie>"},
        {"CommentAfterTheRoot", kRoot + "<ShowFrame /></Movie>\n<!-- done -->",
         kRoot + "<ShowFrame /></Movie>"},
        {"TextInTheRootAndMarkupInValues",
         kRoot + "text<FrameLabel Name=\"a&lt;b&amp;&quot;\" />\n<ShowFrame/>more</Movie>",
         kRoot + "<FrameLabel Name='a&lt;b&amp;\"' /><ShowFrame /></Movie>"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(compile(row.text), compile(row.plain)) << row.name;
        EXPECT_EQ(compile(row.text).rfind("failed", 0), std::string::npos) << row.name;
    }
}

TEST(XmlReading, FailuresKeepTheirReasonAndPlace) {
    const std::string failing =
        "\n  <SoundStreamHead>\n<PlaybackInfo SoundRate=\"9\"/></SoundStreamHead>";
    struct Row {
        const char* name;
        std::string text;
        std::string failure;
    };
    const Row rows[] = {
        // An element that fails while read, also in a form only pugixml's reader takes.
        {"ValueInATag", kRoot + failing + "</Movie>",
         "failed: line 2, column 4: SoundStreamHead: ValueOutOfRange: SoundRate 9 does not fit "
         "its 2 bits"},
        {"ValueInATagOfADocumentWithADocumentType",
         "<!DOCTYPE Movie>\n" + kRoot + failing + "</Movie>",
         "failed: line 3, column 4: SoundStreamHead: ValueOutOfRange: SoundRate 9 does not fit "
         "its 2 bits"},
        // Found when the movie is written: the tag's element, without its name.
        {"TagCodeOfALatin1Document",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + kRoot +
             "\n<ShowFrame/>\n   <Unknown TagType=\"2000\"/></Movie>",
         "failed: line 4, column 5: ValueOutOfRange: tag code 2000 does not fit the 10 bits of "
         "a tag header (tag 2000, tag index 1)"},
        // Markup in error anywhere comes first, as the whole-document reader finds it.
        {"MarkupAfterAFailingTag", kRoot + failing + "\n<ShowFrame>\n</Movie>",
         "failed: line 5, column 3: Start-end tags mismatch"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(compile(row.text), row.failure) << row.name;
}

TEST(XmlReading, ASinkGetsTheTextAStringGetsAndTheMovieIsLetGo) {
    // Enough tags to pass several steps of the reading.
    Bytes tags;
    for (int i = 0; i < 3000; ++i)
        tags = concat({tags, tag(250, Bytes(100, static_cast<std::uint8_t>(i)))});
    SwfMovie read;
    read.read(movie(8, 0, concat({tags, u16(0)})));
    const Bytes swf = toBytes(read.write());

    swfxml::SwfXmlWriter toString;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(toString, swf, text));
    swfxml::SwfXmlWriter toSink;
    int released = 0;
    toSink.releaseInput = [&] { ++released; };
    Collect sink;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(toSink, swf, sink));
    EXPECT_EQ(sink.text, text);
    EXPECT_EQ(released, 1);
    EXPECT_TRUE(toSink.movie.tags.empty());

    swfxml::SwfXmlReader reader;
    SwfBuffer back;
    ASSERT_TRUE(swfxml::convertXmlToSwfBytes(reader, text, back, false));
    EXPECT_EQ(toBytes(back), swf);
}

// A string grows early to the size its text is expected to reach; the movie's size is what
// was read, never a length field the reader did not go by (an uncompressed movie's).
TEST(XmlReading, TheTextGrowsByTheMovieReadNotByItsLengthField) {
    Bytes swf = movie(8, 1, concat({tag(1, {}), u16(0)}));
    ASSERT_EQ(swf[0], 'F');
    for (int i = 4; i < 8; ++i)
        swf[i] = 0x93; // declares about 2.5 GB
    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, text)) << writer.failure.describe();
    EXPECT_LT(text.capacity(), std::size_t{1} << 20);

    // A compressed movie's bytes are let go once inflated, before its first tag is printed:
    // here they are overwritten then, the length field declaring 4 GiB from that moment.
    SwfMovie compressed(true, 8, 11000, 8000, 12.0f);
    compressed.tags.append(std::make_unique<SwfTagShowFrame>());
    Bytes cws = toBytes(compressed.write());
    ASSERT_EQ(cws[0], 'C');
    swfxml::SwfXmlWriter releasing;
    releasing.releaseInput = [&cws] { std::fill(cws.begin(), cws.end(), 0xff); };
    text.clear();
    text.shrink_to_fit();
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(releasing, cws, text)) << releasing.failure.describe();
    EXPECT_LT(text.capacity(), std::size_t{1} << 20);
}

// A caller may free the text once it is read (vorn-convert does): the movie and every failure,
// those found while writing the movie included, come out as for a caller that keeps it.
TEST(XmlReading, TextLetGoOnceReadGivesTheSameMovieAndFailures) {
    const std::string sprite = "<DefineSprite SpriteId=\"1\" FrameCount=\"1\">\n";
    struct Row {
        const char* name;
        std::string text;
        int released; // times the text is let go
        std::string failure;
    };
    const Row rows[] = {
        {"Compiles", kRoot + "\n<ShowFrame/>\n</Movie>", 1, ""},
        {"TagCodeFoundWhileWriting",
         kRoot + "\n<ShowFrame/>\n\n     <Unknown TagType=\"2000\"/>\n<ShowFrame/></Movie>", 1,
         "line 4, column 7: ValueOutOfRange: tag code 2000 does not fit the 10 bits of a tag "
         "header (tag 2000, tag index 1)"},
        {"TagCodeInASpriteAfterOneInTheRoot",
         kRoot + "<Unknown TagType=\"300\"/>\n" + sprite + "  <ShowFrame/>\r\n\t<Unknown " +
             "TagType=\"2000\"/>\n</DefineSprite></Movie>",
         1,
         "line 4, column 3: ValueOutOfRange: tag code 2000 does not fit the 10 bits of a tag "
         "header (tag 2000, tag index 1)"},
        {"FrameRateOfTheHeader", "<Movie SwfVersion=\"8\" FrameRate=\"300\">\n<ShowFrame/></Movie>",
         1, "ValueOutOfRange: a frame rate of 300.000000 does not fit the header's 0 to 255.996"},
        // Failures found while the text is read keep it.
        {"ValueInATag",
         kRoot + "\n  <SoundStreamHead>\n<PlaybackInfo SoundRate=\"9\"/></SoundStreamHead></Movie>",
         0,
         "line 2, column 4: SoundStreamHead: ValueOutOfRange: SoundRate 9 does not fit its 2 "
         "bits"},
        {"Markup", kRoot + "\n<ShowFrame>\n</Movie>", 0,
         "line 3, column 3: Start-end tags mismatch"},
        // Read through pugixml's tree: the text is kept.
        {"DocumentType", "<!DOCTYPE Movie>\n" + kRoot + "\n  <Unknown TagType=\"2000\"/></Movie>",
         0,
         "line 3, column 4: ValueOutOfRange: tag code 2000 does not fit the 10 bits of a tag "
         "header (tag 2000, tag index 0)"},
    };
    for (const Row& row : rows) {
        std::string copy = row.text;
        swfxml::SwfXmlReader reader;
        int released = 0;
        reader.releaseInput = [&] {
            ++released;
            std::fill(copy.begin(), copy.end(), '<');
        };
        SwfBuffer swf;
        const bool ok = swfxml::convertXmlToSwfBytes(reader, copy, swf, false);
        EXPECT_EQ(released, row.released) << row.name;
        const std::string kept = compile(row.text);
        if (row.failure.empty()) {
            ASSERT_TRUE(ok) << row.name << ": " << reader.failure.describe();
            EXPECT_EQ(toHex(toBytes(swf)), kept) << row.name;
        } else {
            EXPECT_FALSE(ok) << row.name;
            EXPECT_EQ(reader.failure.describe(), row.failure) << row.name;
            EXPECT_EQ("failed: " + row.failure, kept) << row.name;
        }
    }
}
