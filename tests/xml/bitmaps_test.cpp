// Bitmap tags: every form of each tag in one table checked in all directions, the elements
// only XML can produce, bodies that cannot be read, and the header form of the lossless tags.
#include "codec_vectors.h"
#include "libswf/bitmaps.h"
#include "libswf/exception.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

Bytes iota(std::size_t n) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(i);
    return out;
}

// A JPEG start and end marker, an alpha plane and pixels as deflate would leave them.
const Bytes kJpeg = hex("ff d8 ff d9");
const Bytes kAlpha = hex("78 da 63 00 00");
const Bytes kPixels = hex("78 9c 63 60 00 00 00 02 00 01");

const CodecVector kJpegVectors[] = {
    {.name = "JPEGTables",
     .version = 8,
     .make = build<SwfTagJPEGTables>([](auto& t) { t.jpegData = kJpeg; }),
     .body = kJpeg,
     .xml = "<JPEGTables>\n    <JPEGData><![CDATA[\n            /9j/2Q==\n"
            "            ]]></JPEGData>\n</JPEGTables>\n"},
    {.name = "DefineBits",
     .version = 5,
     .make = build<SwfTagDefineBits>([](auto& t) { t.id = 1, t.jpegData = hex("ff d8 ff e0"); }),
     .body = hex("01 00 ff d8 ff e0"),
     .xml = "<DefineBits CharacterId=\"1\">\n    <JPEGData><![CDATA[\n            /9j/4A==\n"
            "            ]]></JPEGData>\n</DefineBits>\n"},
    {.name = "DefineBitsJPEG2OfTwoLinesTakesTheLongHeader",
     .version = 8,
     .make = build<SwfTagDefineBitsJPEG2>([](auto& t) { t.id = 65535, t.jpegData = iota(61); }),
     .body = concat({hex("ff ff"), iota(61)}),
     .xml = "<DefineBitsJPEG2 CharacterId=\"65535\">\n    <JPEGData><![CDATA[\n"
            "            "
            "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7\n"
            "            PA==\n            ]]></JPEGData>\n</DefineBitsJPEG2>\n"},
    {.name = "DefineBitsJPEG3AlphaOffsetIsTheJpegLength",
     .version = 8,
     .make = build<SwfTagDefineBitsJPEG3>(
         [](auto& t) { t.id = 2, t.jpegData = kJpeg, t.alphaData = kAlpha; }),
     .body = concat({hex("02 00 04 00 00 00"), kJpeg, kAlpha}),
     .xml = "<DefineBitsJPEG3 CharacterId=\"2\">\n    <JPEGData><![CDATA[\n            /9j/2Q==\n"
            "            ]]></JPEGData>\n    <BitmapAlphaData><![CDATA[\n            eNpjAAA=\n"
            "            ]]></BitmapAlphaData>\n</DefineBitsJPEG3>\n"},
    {.name = "DefineBitsJPEG3OffsetAtTheEndLeavesNoAlpha",
     .version = 8,
     .make = build<SwfTagDefineBitsJPEG3>([](auto& t) { t.id = 3, t.jpegData = iota(5); }),
     .body = hex("03 00 05 00 00 00 00 01 02 03 04"),
     .xml = "<DefineBitsJPEG3 CharacterId=\"3\">\n    <JPEGData><![CDATA[\n            AAECAwQ=\n"
            "            ]]></JPEGData>\n    <BitmapAlphaData><![CDATA[\n"
            "            ]]></BitmapAlphaData>\n</DefineBitsJPEG3>\n"},
    {.name = "DefineBitsJPEG3AllAlpha",
     .version = 8,
     .make = build<SwfTagDefineBitsJPEG3>([](auto& t) { t.id = 4, t.alphaData = hex("01 02"); }),
     .body = hex("04 00 00 00 00 00 01 02"),
     .xml = "<DefineBitsJPEG3 CharacterId=\"4\">\n    <JPEGData><![CDATA[\n"
            "            ]]></JPEGData>\n    <BitmapAlphaData><![CDATA[\n            AQI=\n"
            "            ]]></BitmapAlphaData>\n</DefineBitsJPEG3>\n"},
    {.name = "DefineBitsJPEG4IdOffsetThenDeblocking",
     .version = 10,
     .make = build<SwfTagDefineBitsJPEG4>([](auto& t) {
         t.id = 0x1234, t.deblockParam = 256, t.jpegData = kJpeg, t.alphaData = hex("01 02");
     }),
     .body = concat({hex("34 12 04 00 00 00 00 01"), kJpeg, hex("01 02")}),
     .xml = "<DefineBitsJPEG4 CharacterId=\"4660\" DeblockParam=\"256\">\n"
            "    <JPEGData><![CDATA[\n            /9j/2Q==\n            ]]></JPEGData>\n"
            "    <BitmapAlphaData><![CDATA[\n            AQI=\n"
            "            ]]></BitmapAlphaData>\n</DefineBitsJPEG4>\n"},
    {.name = "DefineBitsJPEG4WithoutAlpha",
     .version = 10,
     .make = build<SwfTagDefineBitsJPEG4>(
         [](auto& t) { t.id = 6, t.deblockParam = 65535, t.jpegData = hex("61 62 63 64"); }),
     .body = hex("06 00 04 00 00 00 ff ff 61 62 63 64"),
     .xml = "<DefineBitsJPEG4 CharacterId=\"6\" DeblockParam=\"65535\">\n"
            "    <JPEGData><![CDATA[\n            YWJjZA==\n            ]]></JPEGData>\n"
            "    <BitmapAlphaData><![CDATA[\n            ]]></BitmapAlphaData>\n"
            "</DefineBitsJPEG4>\n"},
};

class JpegCodecs : public CodecVectorTest {};
TEST_P(JpegCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Bitmaps, JpegCodecs, testing::ValuesIn(kJpegVectors),
                         codecVectorName<CodecVector>);

// The lossless tags: the same checks, with the 6-byte header that these tags always take.
const CodecVector kLosslessVectors[] = {
    {.name = "LosslessMap8HasItsTableSize",
     .version = 8,
     .make = build<SwfTagDefineBitsLossless>([](auto& t) {
         t.id = 7, t.format = SwfTagDefineBitsLossless::Map8, t.width = 2, t.height = 1;
         t.colorTableSize = 1, t.pixelData = kPixels;
     }),
     .body = concat({hex("07 00 03 02 00 01 00 01"), kPixels}),
     .xml = "<DefineBitsLossless CharacterId=\"7\" BitmapFormat=\"Map8\" BitmapWidth=\"2\" "
            "BitmapHeight=\"1\" BitmapColorTableSize=\"1\">\n    <PngData><![CDATA[\n"
            "            eJxjYAAAAAIAAQ==\n            ]]></PngData>\n</DefineBitsLossless>\n"},
    {.name = "LosslessRGB24KeepsATableSizeOutOfTheFile",
     .version = 8,
     .make = build<SwfTagDefineBitsLossless>([](auto& t) {
         t.id = 8, t.format = SwfTagDefineBitsLossless::RGB24, t.width = 1, t.height = 1;
         t.colorTableSize = 9, t.pixelData = hex("78 9c cb c8 ff 0f 00 05 fd 02 ff");
     }),
     .body = hex("08 00 05 01 00 01 00 78 9c cb c8 ff 0f 00 05 fd 02 ff"),
     .xml = "<DefineBitsLossless CharacterId=\"8\" BitmapFormat=\"RGB24\" BitmapWidth=\"1\" "
            "BitmapHeight=\"1\">\n    <PngData><![CDATA[\n            eJzLyP8PAAX9Av8=\n"
            "            ]]></PngData>\n</DefineBitsLossless>\n"},
    {.name = "Lossless2RGB15",
     .version = 8,
     .make = build<SwfTagDefineBitsLossless2>([](auto& t) {
         t.id = 9, t.format = SwfTagDefineBitsLossless::RGB15, t.width = 300, t.height = 2;
         t.pixelData = hex("00 01 02");
     }),
     .body = hex("09 00 04 2c 01 02 00 00 01 02"),
     .xml = "<DefineBitsLossless2 CharacterId=\"9\" BitmapFormat=\"RGB15\" BitmapWidth=\"300\" "
            "BitmapHeight=\"2\">\n    <PngData><![CDATA[\n            AAEC\n"
            "            ]]></PngData>\n</DefineBitsLossless2>\n"},
};

// checkCodecVector for tags that are written with the 6-byte header at any length.
void checkLongHeaderVector(const CodecVector& v) {
    const std::unique_ptr<SwfTag> made = v.make();
    const std::uint16_t code = made->code();
    const Bytes expected = movieOfTags(v.version, tag(code, v.body, true));

    EXPECT_EQ(toHex(writeMovieWith(v.version, v.make())), toHex(expected)) << "object -> bytes";
    EXPECT_EQ(xmlOf(*made), v.xml) << "object -> XML";

    SwfMovie read;
    read.read(expected);
    ASSERT_EQ(read.tags.size(), 1u) << "bytes -> object";
    const SwfTag& decoded = read.tags[0];
    const SwfTag& built = *made;
    EXPECT_EQ(typeid(decoded), typeid(built)) << "bytes -> object gives another class";
    EXPECT_EQ(xmlOf(decoded), v.xml) << "bytes -> object -> XML";
    EXPECT_EQ(toHex(toBytes(read.write())), toHex(expected)) << "bytes -> object -> bytes";

    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(documentWith(v.version, v.xml), compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(expected)) << "XML -> bytes";

    swfxml::SwfXmlWriter writer;
    std::string document;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, expected, document))
        << writer.failure.describe();
    ASSERT_TRUE(compileXml(document, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(expected)) << "bytes -> XML document -> bytes";
}

class LosslessCodecs : public CodecVectorTest {};
TEST_P(LosslessCodecs, EveryDirection) {
    checkLongHeaderVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Bitmaps, LosslessCodecs, testing::ValuesIn(kLosslessVectors),
                         codecVectorName<CodecVector>);

const XmlInputVector kBitmapXmlInputs[] = {
    {.name = "AlphaOffsetFollowsEditedJpegData",
     .version = 10,
     .xml = "<DefineBitsJPEG3 CharacterId=\"2\"><JPEGData>AAECAwQ=</JPEGData>"
            "<BitmapAlphaData>AQI=</BitmapAlphaData></DefineBitsJPEG3>"
            "<DefineBitsJPEG4 CharacterId=\"3\"><BitmapAlphaData>AQI=</BitmapAlphaData>"
            "<JPEGData>AAEC</JPEGData></DefineBitsJPEG4>",
     .tags = concat({tag(35, hex("02 00 05 00 00 00 00 01 02 03 04 01 02")),
                     tag(90, hex("03 00 03 00 00 00 00 00 00 01 02 01 02"))})},
    {.name = "DataChildrenInAnyCaseTheLastWinsOthersIgnored",
     .version = 8,
     .xml = "<DefineBits CharacterId=\"1\"><jpegdata>AAEC</jpegdata><Note>AQI=</Note>"
            "<JPEGDATA>YWJjZA==</JPEGDATA></DefineBits>"
            "<DefineBitsJPEG2 CharacterId=\"2\"><JPEGData>AAEC</JPEGData><JPEGData /></"
            "DefineBitsJPEG2>"
            "<JPEGTables><JPEGData>AAEC\tAQI=</JPEGData><PngData>AQI=</PngData></JPEGTables>",
     .tags = concat(
         {tag(6, hex("01 00 61 62 63 64")), tag(21, hex("02 00")), tag(8, hex("00 01 02"))})},
    {.name = "LosslessFormatNamesInAnyCaseOthersGiveMap8",
     .version = 8,
     .xml = "<DefineBitsLossless CharacterId=\"1\" BitmapFormat=\"rgb24\" BitmapWidth=\"4\" "
            "BitmapHeight=\"4\" BitmapColorTableSize=\"7\" />"
            "<DefineBitsLossless2 CharacterId=\"2\" BitmapFormat=\"5\" BitmapColorTableSize=\"15\" "
            "/><DefineBitsLossless CharacterId=\"3\" />",
     .tags = concat({tag(20, hex("01 00 05 04 00 04 00"), true),
                     tag(36, hex("02 00 03 00 00 00 00 0f"), true),
                     tag(20, hex("03 00 03 00 00 00 00 00"), true)})},
    {.name = "ColorTableSizeBeyondItsByteFailsTheCompile",
     .version = 8,
     .xml = "<DefineBitsLossless CharacterId=\"1\" BitmapColorTableSize=\"256\" />",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: a BitmapColorTableSize of 256 does not fit "
                "its byte (0 to 255, the number of colours minus one) (tag 20 "
                "DefineBitsLossless, tag index 0)"},
    {.name = "NegativeColorTableSizeFailsTheCompile",
     .version = 8,
     .xml = "<DefineBitsLossless2 BitmapFormat=\"Map8\" BitmapColorTableSize=\"-1\" />",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: a BitmapColorTableSize of -1 does not fit "
                "its byte (0 to 255, the number of colours minus one) (tag 36 "
                "DefineBitsLossless2, tag index 0)"},
};

class BitmapXmlInputs : public XmlInputVectorTest {};
TEST_P(BitmapXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Bitmaps, BitmapXmlInputs, testing::ValuesIn(kBitmapXmlInputs),
                         codecVectorName<XmlInputVector>);

} // namespace

TEST(BitmapTags, BodiesThatCannotHoldTheirFieldsFailTheRead) {
    // The single tag's header is at offset 21 and its body at 23.
    EXPECT_EQ(tagReadFailure(10, 35, hex("01 00 05 00 00 00 ff d8 ff d9")),
              "UnexpectedEnd: an AlphaDataOffset of 5 bytes runs past the end of the tag body, "
              "where 4 bytes remain (tag 35 DefineBitsJPEG3 at offset 21, tag index 0; failed at "
              "offset 29)");
    EXPECT_EQ(tagReadFailure(10, 90, hex("01 00 ff ff ff ff 00 00")),
              "UnexpectedEnd: an AlphaDataOffset of 4294967295 bytes runs past the end of the tag "
              "body, where 0 bytes remain (tag 90 DefineBitsJPEG4 at offset 21, tag index 0; "
              "failed at offset 31)");
    EXPECT_EQ(tagReadFailure(10, 20, hex("01 00 06 01 00 01 00")),
              "UnexpectedEnd: a lossless bitmap format of 6 is none of 3 (Map8), 4 (RGB15) and 5 "
              "(RGB24) (tag 20 DefineBitsLossless at offset 21, tag index 0; failed at offset 25)");
    EXPECT_EQ(tagReadFailure(10, 36, hex("01 00 03 01 00 01 00")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 36 "
              "DefineBitsLossless2 at offset 21, tag index 0; failed at offset 30)");
}

TEST(BitmapTags, LosslessTagsTakeTheLongHeaderJpegTagsKeepTheirs) {
    // Read with the short header, a lossless tag is written back with the long one; a JPEG
    // tag keeps the form it came with.
    const Bytes lossless = hex("01 00 05 01 00 01 00 aa");
    const Bytes jpeg = hex("02 00 ff d8 ff d9");
    SwfMovie m;
    m.read(movieOfTags(8, concat({tag(20, lossless), tag(21, jpeg), tag(6, jpeg, true)})));
    EXPECT_EQ(toHex(toBytes(m.write())),
              toHex(movieOfTags(
                  8, concat({tag(20, lossless, true), tag(21, jpeg), tag(6, jpeg, true)}))));
}

TEST(BitmapTags, JPEG4IdNamesItsCharacter) {
    SwfMovie m;
    m.read(movieOfTags(10, tag(90, hex("34 12 00 00 00 00 00 00"))));
    ASSERT_EQ(m.tags.dictionary.size(), 1u);
    EXPECT_EQ(m.tags.dictionary.at(0x1234), &m.tags[0]);
}

TEST(BitmapTags, FormatsNoReaderKnowsFailTheWrite) {
    auto bits = std::make_unique<SwfTagDefineBitsLossless>();
    bits->format = 7;
    SwfMovie m(false, 8, 0, 0, 12.0f);
    m.tags.append(std::move(bits));
    try {
        m.write();
        FAIL() << "format 7 was written";
    } catch (const SwfException& e) {
        EXPECT_STREQ(e.what(), "ValueOutOfRange: a lossless bitmap format of 7 is none of 3 "
                               "(Map8), 4 (RGB15) and 5 (RGB24) (tag 20 DefineBitsLossless, tag "
                               "index 0)");
    }
}
