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

    // The bytes of the tags read are given back as the text is printed: spoilt here, the
    // text stays the same, and every tag's end is told, in order, the last one's at the End.
    Bytes spoilt = swf;
    std::vector<std::size_t> passed;
    swfxml::SwfXmlWriter giving;
    giving.releaseInputBefore = [&](std::size_t offset) {
        std::fill(spoilt.begin() + static_cast<std::ptrdiff_t>(passed.empty() ? 0 : passed.back()),
                  spoilt.begin() + static_cast<std::ptrdiff_t>(offset), 0xff);
        passed.push_back(offset);
    };
    Collect given;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(giving, spoilt, given));
    EXPECT_EQ(given.text, text);
    ASSERT_EQ(passed.size(), 3000u);
    EXPECT_EQ(passed[0], 21u + 6 + 100);
    EXPECT_EQ(passed[1] - passed[0], 106u);
    EXPECT_EQ(passed.back(), swf.size() - 2);

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

// Given back while it is read, the text yields the same movie, and every failure the same
// reason and place, the text being read again first; nothing reads a stretch once given back
// (here it is overwritten), except the start tags of the elements still open, which a sprite
// with a long body and LongHeader, read after its children, and actions deep inside a
// function show.
TEST(XmlReading, TextGivenBackWhileReadGivesTheSameMovieAndFailures) {
    std::string frames;
    for (int i = 0; i < 20000; ++i)
        frames += "  <ShowFrame/>\n";
    std::string pushes;
    for (int i = 0; i < 12000; ++i)
        pushes += "<Push><String Value=\"v" + std::to_string(i) + "\"/></Push><Pop/>\n";
    const std::string script =
        "<DoAction><Actions><DefineFunction2 Name=\"f\" RegisterCount=\"2\"><Body>" + pushes +
        "</Body></DefineFunction2></Actions></DoAction>\n";
    const std::string sprite =
        "<DefineSprite SpriteId=\"1\" FrameCount=\"1\" LongHeader=\"true\">\n" + frames;
    const std::string head = kRoot + "\n" + frames + script + sprite + "</DefineSprite>\n";
    struct Row {
        const char* name;
        std::string text;
        std::string failure; // where the text says, found by a reading that keeps it
    };
    const Row rows[] = {
        {"Compiles", head + "</Movie>", ""},
        {"TagCodeFoundWhileWriting", head + "\n  <Unknown TagType=\"2000\"/></Movie>",
         "line 52006, column 4: ValueOutOfRange: tag code 2000 does not fit the 10 bits of a "
         "tag header (tag 2000, tag index 20002)"},
        {"ValueInASprite",
         head + sprite + "<SoundStreamHead><PlaybackInfo SoundRate=\"9\"/></SoundStreamHead>" +
             "</DefineSprite></Movie>",
         "line 72006, column 2: SoundStreamHead: ValueOutOfRange: SoundRate 9 does not fit its "
         "2 bits"},
        {"MarkupInAFunction",
         kRoot + frames + "<DoAction><Actions><DefineFunction2><Body>" + pushes + "<Pop>" + pushes +
             "</Body></DefineFunction2></Actions></DoAction></Movie>",
         "line 44001, column 3: Start-end tags mismatch"},
    };
    for (const std::size_t step : {std::size_t{1} << 18, std::size_t{1}})
        for (const Row& row : rows) {
            const std::string kept = compile(row.text);
            ASSERT_EQ(kept, row.failure.empty() ? kept : "failed: " + row.failure) << row.name;
            std::string copy = row.text;
            swfxml::SwfXmlReader reader;
            reader.releaseInputStep = step;
            std::size_t given = 0, restored = 0, through = 0;
            reader.releaseInputRange = [&](std::size_t begin, std::size_t end) {
                ASSERT_LE(through, begin) << row.name;
                ASSERT_LT(begin, end) << row.name;
                std::fill(copy.begin() + static_cast<std::ptrdiff_t>(begin),
                          copy.begin() + static_cast<std::ptrdiff_t>(end), '\0');
                given += end - begin;
                through = end;
            };
            reader.restoreInput = [&] {
                ++restored;
                copy = row.text;
            };
            SwfBuffer swf;
            const bool ok = swfxml::convertXmlToSwfBytes(reader, copy, swf, false);
            EXPECT_GT(given, row.failure.empty() ? row.text.size() / 2 : 0) << row.name;
            EXPECT_EQ(restored, row.failure.empty() ? 0u : 1u) << row.name;
            EXPECT_EQ(ok ? toHex(toBytes(swf)) : "failed: " + reader.failure.describe(), kept)
                << row.name;
        }

    // A text that cannot be put back ends the conversion with the reason.
    std::string copy = rows[1].text;
    swfxml::SwfXmlReader reader;
    reader.releaseInputRange = [&](std::size_t begin, std::size_t end) {
        std::fill(copy.begin() + static_cast<std::ptrdiff_t>(begin),
                  copy.begin() + static_cast<std::ptrdiff_t>(end), '\0');
    };
    reader.restoreInput = [] { throw std::runtime_error("the file changed while it was read"); };
    SwfBuffer swf;
    EXPECT_FALSE(swfxml::convertXmlToSwfBytes(reader, copy, swf, false));
    EXPECT_EQ(reader.failure.describe(), "the file changed while it was read");
}

// Scripts print the same whether a movie is printed straight through, each top-level script
// as it is read, or a tag at a time from the model: the element's fields and header, empty
// scripts, scripts in sprites, and a script cut off, which fails naming its tag and offsets.
TEST(XmlReading, ScriptsPrintTheSameStraightThrough) {
    const Bytes push = hex("96 09 00 00 68 69 00 07 03 00 00 00"); // Push "hi", 3
    const Bytes tags = concat({
        tag(12, concat({push, hex("17 00")})), // Push, Pop, End
        tag(12, hex("06 00"), true),           // Play, End; long header
        tag(12, {}),                           // no actions at all
        tag(59, hex("01 00 07 00")),           // DoInitAction: Stop, End
        tag(39, concat({hex("01 00 01 00"), tag(12, hex("06 00")), tag(1, {}), u16(0)})),
        tag(1, {}),
    });
    const Bytes swf = movie(8, 1, concat({tags, u16(0)}));
    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, text)) << writer.failure.describe();
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                    "<Movie SwfVersion=\"8\" Width=\"550\" Height=\"400\" FrameRate=\"12\" "
                    "IsCompressed=\"false\">\n"
                    "    <DoAction>\n"
                    "        <Actions>\n"
                    "            <Push>\n"
                    "                <String Name=\"hi\" />\n"
                    "                <Integer Value=\"3\" />\n"
                    "            </Push>\n"
                    "            <Pop />\n"
                    "            <End />\n"
                    "        </Actions>\n"
                    "    </DoAction>\n"
                    "    <DoAction LongHeader=\"true\">\n"
                    "        <Actions>\n"
                    "            <Play />\n"
                    "            <End />\n"
                    "        </Actions>\n"
                    "    </DoAction>\n"
                    "    <DoAction />\n"
                    "    <DoInitAction SpriteId=\"1\">\n"
                    "        <Actions>\n"
                    "            <Stop />\n"
                    "            <End />\n"
                    "        </Actions>\n"
                    "    </DoInitAction>\n"
                    "    <DefineSprite Id=\"1\" FrameCount=\"1\">\n"
                    "        <DoAction>\n"
                    "            <Actions>\n"
                    "                <Play />\n"
                    "                <End />\n"
                    "            </Actions>\n"
                    "        </DoAction>\n"
                    "        <ShowFrame />\n"
                    "    </DefineSprite>\n"
                    "    <ShowFrame />\n"
                    "    <End />\n"
                    "</Movie>\n");

    const Bytes cut =
        movie(8, 1, concat({tag(1, {}), tag(12, concat({push, hex("07 96")})), u16(0)}));
    swfxml::SwfXmlWriter failing;
    text.clear();
    EXPECT_FALSE(swfxml::convertSwfBytesToXml(failing, cut, text));
    EXPECT_EQ(failing.failure.describe(),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag 12 "
              "DoAction at offset 23, tag index 1; failed at offset 39)");
    EXPECT_EQ(text, "");
}
