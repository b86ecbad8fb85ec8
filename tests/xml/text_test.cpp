// Text tags: every form of static text, edit fields and anti-aliasing settings in one table
// checked in all directions, the elements only XML can produce, what cannot be read or
// written, and a movie of every tag through both conversions.
#include "bit_strings.h"
#include "codec_vectors.h"
#include "libswf/exception.h"
#include "libswf/text.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

// A rectangle of zeros (2 bits per value) and the identity matrix.
const Bytes kNoBounds = hex("10 00");
const Bytes kIdentity = hex("00");
const std::string kNoBoundsXml = "    <Bounds MaxX=\"0\" MaxY=\"0\" MinX=\"0\" MinY=\"0\" />\n";
const std::string kIdentityXml =
    "    <Matrix>\n        <Translate TranslateX=\"0\" TranslateY=\"0\" />\n    </Matrix>\n";

// Bounds from (20, 40) to (200, 400); a matrix scaled by one half and moved by (100, -20).
const Bytes kBounds = hex("50 28 64 05 0c 80");
const Bytes kMatrix = hex("c5 00 00 80 00 21 93 b0");
const std::string kBoundsXml = "    <Bounds MaxX=\"200\" MaxY=\"400\" MinX=\"20\" MinY=\"40\" />\n";

std::unique_ptr<SwfTextRecord> record(std::uint8_t flags, std::vector<SwfGlyphEntry> glyphs = {}) {
    auto r = std::make_unique<SwfTextRecord>();
    r->flags = flags;
    r->glyphs = std::move(glyphs);
    return r;
}

std::string editFlagsXml(bool on) {
    const std::string v = on ? "\"true\"" : "\"false\"";
    return "    <BitsField ReadOnly=" + v + " Password=" + v + " Multiline=" + v +
           " WordWrap=" + v + " UseOutlines=" + v + " HTML=" + v + " WasStatic=" + v +
           " Border=" + v + " NoSelect=" + v + " AutoSize=" + v + " />\n";
}

const CodecVector kTextVectors[] = {
    {.name = "ZeroGlyphsAndAdvancesTakeOneAndTwoBits",
     .version = 8,
     .make = build<SwfTagDefineText>([](auto& t) {
         t.id = 1;
         auto r = record(0x88, {{0, 0}, {0, 0}});
         r->fontId = 2, r->textHeight = 240;
         t.records.push_back(std::move(r));
     }),
     .body = concat({hex("01 00"), kNoBounds, kIdentity, hex("01 02 88 02 00 f0 00 02 00 00")}),
     .xml = "<DefineText Id=\"1\">\n" + kNoBoundsXml + kIdentityXml +
            "    <TextRecords>\n"
            "        <TextRecord FontId=\"2\" Height=\"240\" Type=\"true\">\n"
            "            <GlyphEntries>\n"
            "                <GlyphEntry Index=\"0\" Advance=\"0\" />\n"
            "                <GlyphEntry Index=\"0\" Advance=\"0\" />\n"
            "            </GlyphEntries>\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText>\n"},
    {.name = "AdvanceOfMinusEightTakesFiveBits",
     .version = 8,
     .make = build<SwfTagDefineText>([](auto& t) {
         t.id = 3;
         t.records.push_back(record(0x80, {{5, -8}, {1, 7}}));
     }),
     // 101 11000 | 001 00111
     .body = concat({hex("03 00"), kNoBounds, kIdentity, hex("03 05 80 02 b8 27 00")}),
     .xml = "<DefineText Id=\"3\">\n" + kNoBoundsXml + kIdentityXml +
            "    <TextRecords>\n        <TextRecord Type=\"true\">\n"
            "            <GlyphEntries>\n"
            "                <GlyphEntry Index=\"5\" Advance=\"4294967288\" />\n"
            "                <GlyphEntry Index=\"1\" Advance=\"7\" />\n"
            "            </GlyphEntries>\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText>\n"},
    {.name = "RecordWithoutTypeBitAndGlyphsIsWrittenWithIt",
     .version = 8,
     .make = build<SwfTagDefineText>([](auto& t) {
         t.id = 4;
         auto r = record(0x0c);
         r->fontId = 1, r->color = SwfColor(0xff, 0, 0), r->textHeight = 20;
         t.records.push_back(std::move(r));
     }),
     .body =
         concat({hex("04 00"), kNoBounds, kIdentity, hex("01 02 8c 01 00 ff 00 00 14 00 00 00")}),
     .xml = "<DefineText Id=\"4\">\n" + kNoBoundsXml + kIdentityXml +
            "    <TextRecords>\n"
            "        <TextRecord Color=\"ff000000\" FontId=\"1\" Height=\"20\" Type=\"false\">\n"
            "            <GlyphEntries />\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText>\n",
     .readFrom =
         concat({hex("04 00"), kNoBounds, kIdentity, hex("01 02 0c 01 00 ff 00 00 14 00 00 00")})},
    {.name = "DefineText2ColoursAreRgba",
     .version = 8,
     .make = build<SwfTagDefineText2>([](auto& t) {
         t.id = 5, t.bounds = SwfRect(20, 40, 200, 400);
         t.matrix.hasScale = true, t.matrix.scaleX = t.matrix.scaleY = 0.5;
         t.matrix.translateX = 100, t.matrix.translateY = -20;
         auto r = record(0x87, {{1, 100}});
         r->color = SwfColor(0x11, 0x22, 0x33, 0x80), r->xOffset = -20, r->yOffset = 300;
         t.records.push_back(std::move(r));
     }),
     // 1 01100100, padded
     .body = concat(
         {hex("05 00"), kBounds, kMatrix, hex("01 08 87 11 22 33 80 ec ff 2c 01 01 b2 00 00")}),
     .xml = "<DefineText2 Id=\"5\">\n" + kBoundsXml +
            "    <Matrix>\n        <Translate TranslateX=\"100\" TranslateY=\"-20\" />\n"
            "        <Scale ScaleX=\"0.5\" ScaleY=\"0.5\" />\n    </Matrix>\n"
            "    <TextRecords>\n"
            "        <TextRecord XOffset=\"-20\" YOffset=\"300\" Color=\"11223380\" "
            "Type=\"true\">\n"
            "            <GlyphEntries>\n"
            "                <GlyphEntry Index=\"1\" Advance=\"100\" />\n"
            "            </GlyphEntries>\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText2>\n"},
    {.name = "WidestFieldsAndReservedRecordBits",
     .version = 8,
     .make = build<SwfTagDefineText>([](auto& t) {
         t.id = 6;
         t.records.push_back(record(0xd0, {{0xffffffff, INT32_MIN}}));
     }),
     // 32 + 32 bits, the most negative advance in 32
     .body = concat(
         {hex("06 00"), kNoBounds, kIdentity, hex("20 20 d0 01 ff ff ff ff 80 00 00 00 00")}),
     .xml = "<DefineText Id=\"6\">\n" + kNoBoundsXml + kIdentityXml +
            "    <TextRecords>\n        <TextRecord Type=\"true\" Reserved=\"5\">\n"
            "            <GlyphEntries>\n"
            "                <GlyphEntry Index=\"4294967295\" Advance=\"2147483648\" />\n"
            "            </GlyphEntries>\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText>\n"},
    {.name = "RecordListWithoutItsEndByteIsClosed",
     .version = 8,
     .make = build<SwfTagDefineText>([](auto& t) {
         t.id = 7;
         t.records.push_back(record(0x80));
     }),
     .body = concat({hex("07 00"), kNoBounds, kIdentity, hex("01 02 80 00 00")}),
     .xml = "<DefineText Id=\"7\">\n" + kNoBoundsXml + kIdentityXml +
            "    <TextRecords>\n        <TextRecord Type=\"true\">\n"
            "            <GlyphEntries />\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText>\n",
     .readFrom = concat({hex("07 00"), kNoBounds, kIdentity, hex("01 02 80 00")})},
    // Other tools write wider fields than the entries need; they come back as they were.
    {.name = "GlyphWidthsTheMovieGaveAreKept",
     .version = 8,
     .make = build<SwfTagDefineText>([](auto& t) {
         t.id = 7, t.givenGlyphBits = 4, t.givenAdvanceBits = 9;
         t.records.push_back(record(0x80, {{5, -8}}));
     }),
     .body = concat({hex("07 00"), kNoBounds, kIdentity, hex("04 09 80 01"),
                     bits("0101 111111000 000"), hex("00")}),
     .xml = "<DefineText Id=\"7\" GlyphBits=\"4\" AdvanceBits=\"9\">\n" + kNoBoundsXml +
            kIdentityXml +
            "    <TextRecords>\n        <TextRecord Type=\"true\">\n"
            "            <GlyphEntries>\n"
            "                <GlyphEntry Index=\"5\" Advance=\"4294967288\" />\n"
            "            </GlyphEntries>\n        </TextRecord>\n    </TextRecords>\n"
            "</DefineText>\n"},
    {.name = "NoRecordsAtAll",
     .version = 8,
     .make = build<SwfTagDefineText2>([](auto& t) { t.id = 8; }),
     .body = concat({hex("08 00"), kNoBounds, kIdentity, hex("01 02 00")}),
     .xml = "<DefineText2 Id=\"8\">\n" + kNoBoundsXml + kIdentityXml +
            "    <TextRecords />\n</DefineText2>\n"},
    {.name = "EditTextEveryField",
     .version = 10,
     .make = build<SwfTagDefineEditText>([](auto& t) {
         t.id = 9, t.bounds = SwfRect(20, 40, 200, 400);
         t.hasText = t.wordWrap = t.multiline = t.password = t.readOnly = t.hasTextColor =
             t.hasMaxLength = t.hasFont = true;
         t.hasFontClass = t.autoSize = t.hasLayout = t.noSelect = t.border = t.wasStatic = t.html =
             t.useOutlines = true;
         t.fontId = 2, t.fontClass.text = "F", t.fontHeight = 240;
         t.textColor = SwfColor(1, 2, 3, 4), t.maxLength = 50;
         t.align = SwfTagDefineEditText::AlignJustify;
         t.leftMargin = 10, t.rightMargin = 20, t.indent = 5, t.leading = -2;
         t.variableName.text = "v", t.initialText.text = "<b>hi</b>";
     }),
     .body = concat({hex("09 00"), kBounds,
                     hex("ff ff 02 00 46 00 f0 00 01 02 03 04 32 00 03 0a 00 14 00 05 00 fe ff "
                         "76 00 3c 62 3e 68 69 3c 2f 62 3e 00")}),
     .xml = "<DefineEditText Id=\"9\" FontId=\"2\" FontHeight=\"240\" FontClass=\"F\" "
            "MaxLength=\"50\" Color=\"1020304\" Align=\"Justify\" LeftMargin=\"10\" "
            "RightMargin=\"20\" Indent=\"5\" Leading=\"-2\" VarName=\"v\">\n" +
            kBoundsXml + editFlagsXml(true) +
            "    <InitialText><![CDATA[<b>hi</b>]]></InitialText>\n</DefineEditText>\n"},
    {.name = "EditTextWithoutOptionalFields",
     .version = 6,
     .make = build<SwfTagDefineEditText>([](auto& t) { t.id = 1; }),
     .body = concat({hex("01 00"), kNoBounds, hex("00 00 00")}),
     .xml = "<DefineEditText Id=\"1\" VarName=\"\">\n" + kNoBoundsXml + editFlagsXml(false) +
            "</DefineEditText>\n"},
    {.name = "EditTextAlignWithoutANameIsShownAsANumber",
     .version = 6,
     .make = build<SwfTagDefineEditText>([](auto& t) {
         t.id = 2, t.hasLayout = true, t.align = 7, t.leading = 3;
         t.variableName.text = "x";
     }),
     .body = concat({hex("02 00"), kNoBounds, hex("00 20 07 00 00 00 00 00 00 03 00 78 00")}),
     .xml = "<DefineEditText Id=\"2\" Align=\"7\" LeftMargin=\"0\" RightMargin=\"0\" "
            "Indent=\"0\" Leading=\"3\" VarName=\"x\">\n" +
            kNoBoundsXml + editFlagsXml(false) + "</DefineEditText>\n"},
    {.name = "EditTextEmptyInitialText",
     .version = 6,
     .make = build<SwfTagDefineEditText>([](auto& t) { t.id = 3, t.hasText = true; }),
     .body = concat({hex("03 00"), kNoBounds, hex("80 00 00 00")}),
     .xml = "<DefineEditText Id=\"3\" VarName=\"\">\n" + kNoBoundsXml + editFlagsXml(false) +
            "    <InitialText><![CDATA[]]></InitialText>\n</DefineEditText>\n"},
    {.name = "CSMTextSettingsRawFloatBits",
     .version = 8,
     .make = build<SwfTagCSMTextSettings>([](auto& t) {
         t.textId = 3, t.flags = 0x50, t.thickness = 0x3f800000, t.sharpness = 0xbf800000;
     }),
     .body = hex("03 00 50 00 00 80 3f 00 00 80 bf 00"),
     .xml = "<CSMTextSettings TextId=\"3\" Thickness=\"1065353216\" Sharpness=\"3212836864\">\n"
            "    <BitsField GridFit=\"2\" UseFlashType=\"1\" />\n</CSMTextSettings>\n"},
    {.name = "CSMTextSettingsReservedBitsAndByteSurvive",
     .version = 8,
     .make = build<SwfTagCSMTextSettings>([](auto& t) { t.flags = 0xc7, t.reserved = 42; }),
     .body = hex("00 00 c7 00 00 00 00 00 00 00 00 2a"),
     .xml = "<CSMTextSettings TextId=\"0\" Thickness=\"0\" Sharpness=\"0\" Reserved=\"42\">\n"
            "    <BitsField GridFit=\"0\" UseFlashType=\"3\" Reserved=\"7\" />\n"
            "</CSMTextSettings>\n"},
};

class TextCodecs : public CodecVectorTest {};
TEST_P(TextCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Text, TextCodecs, testing::ValuesIn(kTextVectors),
                         codecVectorName<CodecVector>);

std::string manyGlyphs(int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += "<GlyphEntry Index=\"1\" Advance=\"1\" />";
    return out;
}

const XmlInputVector kTextXmlInputs[] = {
    {.name = "RecordFlagsFollowTheAttributesAndTheFirstChildHoldsTheGlyphs",
     .version = 8,
     .xml = "<definetext ID=\"2\"><TEXTRECORDS><TextRecord Height=\"10\" Type=\"false\">"
            "<Anything><glyphentry index=\"3\" advance=\"-1\" /><x /></Anything><GlyphEntries />"
            "</TextRecord><Other /><TextRecord XOffset=\"65535\" /></TEXTRECORDS></definetext>",
     // 11 11, padded
     .tags = tag(11, concat({hex("02 00"), kNoBounds, kIdentity,
                             hex("02 02 88 00 00 0a 00 01 f0 81 ff ff 00 00")}))},
    // An edit can leave a width given too narrow: the smallest width that holds the entries
    // is written, and a width beyond 32 bits is not taken.
    {.name = "GlyphWidthsThatNoLongerHoldTheEntriesGiveWay",
     .version = 8,
     .xml = "<DefineText Id=\"2\" GlyphBits=\"2\" AdvanceBits=\"40\"><Bounds /><Matrix />"
            "<TextRecords><TextRecord><GlyphEntries><GlyphEntry Index=\"5\" Advance=\"1\" />"
            "</GlyphEntries></TextRecord></TextRecords></DefineText>",
     .tags = tag(11, concat({hex("02 00"), kNoBounds, kIdentity, hex("03 02 80 01"),
                             bits("101 01 000"), hex("00")}))},
    {.name = "EditTextAlignAloneMakesNoLayoutBlock",
     .version = 6,
     .xml = "<DefineEditText Id=\"4\" Align=\"center\" VarName=\"a\" />",
     .tags = tag(37, concat({hex("04 00"), kNoBounds, hex("00 00 61 00")}))},
    {.name = "EditTextHeightAloneMakesAFontAndLeadingTakesBothForms",
     .version = 6,
     .xml = "<DefineEditText Id=\"4\" FontHeight=\"12\" Leading=\"65534\" Indent=\"x\" />"
            "<DefineEditText Id=\"5\" Align=\"2\" Leading=\"-32768\" />",
     .tags = concat(
         {tag(37, concat({hex("04 00"), kNoBounds,
                          hex("01 20 00 00 0c 00 00 00 00 00 00 00 00 fe ff 00")})),
          tag(37, concat({hex("05 00"), kNoBounds, hex("00 20 02 00 00 00 00 00 00 00 80 00")}))})},
    {.name = "MoreThan255GlyphEntriesFailTheCompile",
     .version = 8,
     .xml = "<DefineText2><TextRecords><TextRecord><GlyphEntries>" + manyGlyphs(256) +
            "</GlyphEntries></TextRecord></TextRecords></DefineText2>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: a text record has 256 glyph entries, more "
                "than the 255 its count can hold (tag 33 DefineText2, tag index 0)"},
    {.name = "RecordReservedBeyondThreeBitsFails",
     .version = 8,
     .xml = "<DefineText><TextRecords><TextRecord Reserved=\"8\" /></TextRecords></DefineText>",
     .tags = {},
     .failure = "line 2, column 2: DefineText: ValueOutOfRange: Reserved 8 does not fit its 3 "
                "bits"},
    {.name = "GridFitBeyondThreeBitsFails",
     .version = 8,
     .xml = "<CSMTextSettings><BitsField GridFit=\"8\" /></CSMTextSettings>",
     .tags = {},
     .failure = "line 2, column 2: CSMTextSettings: ValueOutOfRange: GridFit 8 does not fit its "
                "3 bits"},
    {.name = "AlignBeyondItsByteFails",
     .version = 8,
     .xml = "<DefineEditText Align=\"256\" />",
     .tags = {},
     .failure = "line 2, column 2: DefineEditText: ValueOutOfRange: Align 256 does not fit its 8 "
                "bits"},
};

class TextXmlInputs : public XmlInputVectorTest {};
TEST_P(TextXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Text, TextXmlInputs, testing::ValuesIn(kTextXmlInputs),
                         codecVectorName<XmlInputVector>);

} // namespace

TEST(TextTags, CutBodiesAndImpossibleWidthsFailTheRead) {
    // The single tag's header is at offset 21 and its body at 23.
    const Bytes head = concat({hex("01 00"), kNoBounds, kIdentity});
    EXPECT_EQ(tagReadFailure(8, 11, concat({head, hex("01 02 88 02 00")})),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag "
              "11 DefineText at offset 21, tag index 0; failed at offset 33)");
    EXPECT_EQ(tagReadFailure(8, 11, concat({head, hex("21 02 80 01 ff ff ff ff ff")})),
              "ValueOutOfRange: a bit field of 33 bits is wider than 32 (tag 11 DefineText at "
              "offset 21, tag index 0)");
    // Widths that no glyph uses are never read with.
    EXPECT_EQ(tagReadFailure(8, 11, concat({head, hex("ff ff 80 00 00")})), "");
    EXPECT_EQ(tagReadFailure(8, 37, concat({hex("01 00"), kNoBounds, hex("80 00 00")})),
              "UnexpectedEnd: a string without its terminating zero needs 1 byte but none remain "
              "in the tag body (tag 37 DefineEditText at offset 21, tag index 0; failed at offset "
              "30)");
    EXPECT_EQ(tagReadFailure(8, 74, hex("01 00 00 00 00 00 00 00 00 00 00")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 74 "
              "CSMTextSettings at offset 21, tag index 0; failed at offset 34)");
}

TEST(TextTags, GlyphCountBeyondItsByteFailsTheWrite) {
    auto text = std::make_unique<SwfTagDefineText>();
    text->records.push_back(record(0x80, std::vector<SwfGlyphEntry>(300)));
    EXPECT_EQ(tagWriteFailure(8, std::move(text)),
              "ValueOutOfRange: a text record has 300 glyph entries, more than the 255 its count "
              "can hold (tag 11 DefineText, tag index 0)");
}

TEST(TextTags, MovieOfEveryTagSurvivesBothConversions) {
    SwfMovie m(false, 10, 11000, 8000, 24.0f);
    for (const CodecVector& v : kTextVectors)
        m.tags.append(v.make());
    // A static text inside a sprite, after a DefineText2 left its alpha flag behind.
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->id = 100;
    sprite->tags.append(kTextVectors[3].make());
    sprite->tags.append(kTextVectors[2].make());
    sprite->tags.append(std::make_unique<SwfTagShowFrame>());
    m.tags.append(std::move(sprite));
    m.tags.append(std::make_unique<SwfTagShowFrame>());
    const Bytes swf = toBytes(m.write());

    swfxml::SwfXmlWriter writer;
    std::string xml;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, xml)) << writer.failure.describe();
    EXPECT_EQ(xml.find("<Unknown"), std::string::npos);
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(xml, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(swf)) << "binary -> XML -> binary";

    swfxml::SwfXmlWriter again;
    std::string xmlAgain;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, xmlAgain));
    EXPECT_EQ(xmlAgain, xml) << "XML -> binary -> XML";
}
