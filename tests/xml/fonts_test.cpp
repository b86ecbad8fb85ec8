// Font tags: every form of each tag in one table checked in all directions, the elements only
// XML can produce, the derived flags and offsets at their limits, alignment zones and the font
// they depend on, and a movie of every font tag through both conversions.
#include "codec_vectors.h"
#include "libswf/exception.h"
#include "libswf/fonts.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

// A glyph that moves to (20, -20), fills with the glyph's one fill and draws 100 twips right.
const Bytes kGlyphA = hex("10 14 ca 59 d8 64 00");
const std::string kGlyphAXml = "            <StyleChange>\n"
                               "                <Move DX=\"20\" DY=\"-20\" />\n"
                               "                <SetFill1 Index=\"1\" />\n"
                               "            </StyleChange>\n"
                               "            <Line DX=\"100\" DY=\"0\" />\n";
// A glyph without edges: the widths and the end record.
const Bytes kEmptyGlyph = hex("10 00");

std::unique_ptr<SwfShapeRecords> glyphA() {
    auto glyph = std::make_unique<SwfShapeRecords>();
    auto change = std::make_unique<SwfStyleChange>();
    change->move = true, change->moveDX = 20, change->moveDY = -20;
    change->setFill1 = true, change->fill1 = 1;
    glyph->push_back(std::move(change));
    glyph->push_back(std::make_unique<SwfLine>(100, 0));
    return glyph;
}

std::unique_ptr<SwfShapeRecords> line(std::int32_t dx) {
    auto glyph = std::make_unique<SwfShapeRecords>();
    glyph->push_back(std::make_unique<SwfLine>(dx, 0));
    return glyph;
}

std::unique_ptr<SwfShapeRecords> emptyGlyph() {
    return std::make_unique<SwfShapeRecords>();
}

const std::string kFlagsNone = "Bold=\"false\" Italic=\"false\" WideCodes=\"false\" "
                               "WideOffsets=\"false\" ANSI=\"false\" SmallText=\"false\" "
                               "ShiftJIS=\"false\"";
const std::string kFlagsWide = "Bold=\"false\" Italic=\"false\" WideCodes=\"true\" "
                               "WideOffsets=\"false\" ANSI=\"false\" SmallText=\"false\" "
                               "ShiftJIS=\"false\"";

const CodecVector kFontVectors[] = {
    {.name = "DefineFontOffsetsCountFromTheTable",
     .version = 3,
     .make = build<SwfTagDefineFont>([](auto& t) {
         t.id = 1;
         t.glyphs.push_back(glyphA());
         t.glyphs.push_back(emptyGlyph());
     }),
     .body = concat({hex("01 00 04 00 0b 00"), kGlyphA, kEmptyGlyph}),
     .xml = "<DefineFont FontId=\"1\">\n    <GlyphShapeTable>\n        <Glyphs>\n" + kGlyphAXml +
            "        </Glyphs>\n        <Glyphs />\n    </GlyphShapeTable>\n</DefineFont>\n"},
    {.name = "DefineFontWithoutGlyphsIsItsIdAlone",
     .version = 3,
     .make = build<SwfTagDefineFont>([](auto& t) { t.id = 1; }),
     .body = hex("01 00"),
     .xml = "<DefineFont FontId=\"1\">\n    <GlyphShapeTable />\n</DefineFont>\n"},
    {.name = "DefineFontGlyphOfItsWidthByteAloneHasNoEdges",
     .version = 3,
     .make = build<SwfTagDefineFont>([](auto& t) {
         t.id = 9;
         t.glyphs.push_back(emptyGlyph());
         t.glyphs.push_back(emptyGlyph());
     }),
     .body = hex("09 00 04 00 06 00 10 00 10 00"),
     .xml = "<DefineFont FontId=\"9\">\n    <GlyphShapeTable>\n        <Glyphs />\n"
            "        <Glyphs />\n    </GlyphShapeTable>\n</DefineFont>\n",
     .readFrom = hex("09 00 04 00 05 00 00 10 00")},
    {.name = "DefineFontKeepsTheIndexWidthsAGlyphGives",
     .version = 3,
     .make = build<SwfTagDefineFont>([](auto& t) {
         t.id = 1;
         t.glyphs.push_back(emptyGlyph());
         t.glyphs.back()->givenWidths = {2, 1};
     }),
     .body = hex("01 00 02 00 21 00"),
     .xml = "<DefineFont FontId=\"1\">\n    <GlyphShapeTable>\n"
            "        <Glyphs FillBits=\"2\" LineBits=\"1\" />\n    </GlyphShapeTable>\n"
            "</DefineFont>\n"},
    {.name = "DefineFont2NarrowCodesBeforeVersion6",
     .version = 5,
     .make = build<SwfTagDefineFont2>([](auto& t) {
         t.id = 2, t.bold = true, t.languageCode = 1, t.fontName.name.text = "Ab";
         t.glyphs.push_back(glyphA());
         t.codeTable = {65};
     }),
     .body = concat({hex("02 00 01 01 02 41 62 01 00 04 00 0b 00"), kGlyphA, hex("41")}),
     .xml =
         "<DefineFont2 FontId=\"2\" LanguageCode=\"1\" FontName=\"Ab\">\n"
         "    <BitsField Bold=\"true\" Italic=\"false\" WideCodes=\"false\" WideOffsets=\"false\" "
         "ANSI=\"false\" SmallText=\"false\" ShiftJIS=\"false\" />\n"
         "    <Glyphs>\n        <Glyphs>\n" +
         kGlyphAXml +
         "        </Glyphs>\n    </Glyphs>\n"
         "    <CodesTable>\n        <Code>65</Code>\n    </CodesTable>\n</DefineFont2>\n"},
    {.name = "DefineFont2WideCodesFromVersion6",
     .version = 6,
     .make = build<SwfTagDefineFont2>([](auto& t) {
         t.id = 2, t.wideCodes = true, t.italic = t.ansi = t.smallText = t.shiftJIS = true;
         t.glyphs.push_back(emptyGlyph());
         t.codeTable = {65};
     }),
     .body = hex("02 00 76 00 00 01 00 04 00 06 00 10 00 41 00"),
     .xml =
         "<DefineFont2 FontId=\"2\" LanguageCode=\"0\" FontName=\"\">\n"
         "    <BitsField Bold=\"false\" Italic=\"true\" WideCodes=\"true\" WideOffsets=\"false\" "
         "ANSI=\"true\" SmallText=\"true\" ShiftJIS=\"true\" />\n"
         "    <Glyphs>\n        <Glyphs />\n    </Glyphs>\n"
         "    <CodesTable>\n        <Code>65</Code>\n    </CodesTable>\n</DefineFont2>\n"},
    {.name = "DefineFont3LayoutWithKerningBeforeVersion7AndATerminatedName",
     .version = 6,
     .make = build<SwfTagDefineFont3>([](auto& t) {
         t.id = 3, t.wideCodes = true;
         t.fontName.name.text = "F", t.fontName.terminated = true;
         t.glyphs.push_back(emptyGlyph());
         t.codeTable = {9786};
         t.ascent = 800, t.descent = 200, t.leading = 10;
         t.advanceTable = {512};
         t.boundsTable.push_back(std::make_unique<SwfRect>(0, -700, 500, 0));
         t.kerningTable.push_back(std::make_unique<SwfKerningRecord>(65, 9786, -30));
     }),
     .body = hex("03 00 84 00 02 46 00 01 00 04 00 06 00 10 00 3a 26 20 03 c8 00 0a 00 00 02 "
                 "58 00 3e 95 10 00 00 01 00 41 00 3a 26 e2 ff"),
     .xml =
         "<DefineFont3 FontId=\"3\" LanguageCode=\"0\" FontName=\"F\" Ascent=\"800\" "
         "Descent=\"200\" Leading=\"10\" FontNameTerminated=\"true\">\n"
         "    <BitsField " +
         kFlagsWide +
         " />\n"
         "    <Glyphs>\n        <Glyphs />\n    </Glyphs>\n"
         "    <CodesTable>\n        <Code>9786</Code>\n    </CodesTable>\n"
         "    <AdvanceTable>\n        <Code>512</Code>\n    </AdvanceTable>\n"
         "    <BoundsTable>\n        <Bound MaxX=\"500\" MaxY=\"0\" MinX=\"0\" MinY=\"-700\" />\n"
         "    </BoundsTable>\n    <KerningTable>\n"
         "        <KerningRecord KerningCode1=\"65\" KerningCode2=\"9786\" Adjustment=\"-30\" />\n"
         "    </KerningTable>\n</DefineFont3>\n"},
    {.name = "DefineFont2WithoutGlyphsNarrowKerning",
     .version = 5,
     .make = build<SwfTagDefineFont2>([](auto& t) {
         t.id = 4, t.ascent = 1;
         t.kerningTable.push_back(std::make_unique<SwfKerningRecord>(65, 66, 5));
     }),
     .body = hex("04 00 80 00 00 00 00 02 00 01 00 00 00 00 00 01 00 41 42 05 00"),
     .xml = "<DefineFont2 FontId=\"4\" LanguageCode=\"0\" FontName=\"\" Ascent=\"1\" Descent=\"0\" "
            "Leading=\"0\">\n    <BitsField " +
            kFlagsNone +
            " />\n    <Glyphs />\n    <CodesTable />\n    <AdvanceTable />\n    <BoundsTable />\n"
            "    <KerningTable>\n"
            "        <KerningRecord KerningCode1=\"65\" KerningCode2=\"66\" Adjustment=\"5\" />\n"
            "    </KerningTable>\n</DefineFont2>\n"},
    {.name = "DefineFont2WithoutGlyphsKeepsTheCodeTableOffset",
     .version = 8,
     .make = build<SwfTagDefineFont2>([](auto& t) { t.id = 6, t.wideCodes = true; }),
     .body = hex("06 00 04 00 00 00 00 02 00"),
     .xml = "<DefineFont2 FontId=\"6\" LanguageCode=\"0\" FontName=\"\">\n    <BitsField " +
            kFlagsWide + " />\n    <Glyphs />\n    <CodesTable />\n</DefineFont2>\n"},
    {.name = "DefineFont3WithoutGlyphsEndingAfterItsCount",
     .version = 8,
     .make = build<SwfTagDefineFont3>(
         [](auto& t) { t.id = 5, t.wideCodes = true, t.noOffsetTable = true; }),
     .body = hex("05 00 04 00 00 00 00"),
     .xml = "<DefineFont3 FontId=\"5\" LanguageCode=\"0\" FontName=\"\" NoOffsetTable=\"true\">\n"
            "    <BitsField " +
            kFlagsWide + " />\n    <Glyphs />\n    <CodesTable />\n</DefineFont3>\n"},
    {.name = "DefineFont2LayoutFlagFollowsTheData",
     .version = 5,
     .make = build<SwfTagDefineFont2>([](auto& t) { t.id = 7; }),
     .body = hex("07 00 00 00 00 00 00 02 00"),
     .xml = "<DefineFont2 FontId=\"7\" LanguageCode=\"0\" FontName=\"\">\n    <BitsField " +
            kFlagsNone + " />\n    <Glyphs />\n    <CodesTable />\n</DefineFont2>\n",
     .readFrom = hex("07 00 80 00 00 00 00 02 00 00 00 00 00 00 00 00 00")},
    {.name = "DefineFont2SetWideOffsetsAreKept",
     .version = 5,
     .make = build<SwfTagDefineFont2>([](auto& t) {
         t.id = 8, t.wideOffsets = true;
         t.glyphs.push_back(emptyGlyph());
         t.codeTable = {32};
     }),
     .body = hex("08 00 08 00 00 01 00 08 00 00 00 0a 00 00 00 10 00 20"),
     .xml =
         "<DefineFont2 FontId=\"8\" LanguageCode=\"0\" FontName=\"\">\n"
         "    <BitsField Bold=\"false\" Italic=\"false\" WideCodes=\"false\" WideOffsets=\"true\" "
         "ANSI=\"false\" SmallText=\"false\" ShiftJIS=\"false\" />\n"
         "    <Glyphs>\n        <Glyphs />\n    </Glyphs>\n"
         "    <CodesTable>\n        <Code>32</Code>\n    </CodesTable>\n</DefineFont2>\n"},
    {.name = "DefineFont4WithData",
     .version = 10,
     .make = build<SwfTagDefineFont4>([](auto& t) {
         t.id = 7, t.bold = t.italic = t.hasFontData = true, t.fontName.text = "Sans";
         t.fontData = hex("de ad be ef");
     }),
     .body = hex("07 00 07 53 61 6e 73 00 de ad be ef"),
     .xml = "<DefineFont4 FontId=\"7\" FontName=\"Sans\">\n"
            "    <BitsField Bold=\"true\" Italic=\"true\" />\n"
            "    <FontData><![CDATA[\n            3q2+7w==\n            ]]></FontData>\n"
            "</DefineFont4>\n"},
    {.name = "DefineFont4WithoutDataKeepsReservedBits",
     .version = 10,
     .make = build<SwfTagDefineFont4>([](auto& t) { t.id = 8, t.bold = true, t.reserved = 0x80; }),
     .body = hex("08 00 81 00"),
     .xml = "<DefineFont4 FontId=\"8\" FontName=\"\" Reserved=\"128\">\n"
            "    <BitsField Bold=\"true\" Italic=\"false\" />\n</DefineFont4>\n"},
    {.name = "DefineFontInfoNarrowCodes",
     .version = 5,
     .make = build<SwfTagDefineFontInfo>([](auto& t) {
         t.fontId = 1, t.fontName.name.text = "Arial", t.ansi = t.bold = true;
         t.codeTable = {65, 66};
     }),
     .body = hex("01 00 05 41 72 69 61 6c 0a 41 42"),
     .xml = "<DefineFontInfo FontId=\"1\" FontName=\"Arial\">\n"
            "    <BitsField SmallText=\"false\" ShiftJIS=\"false\" ANSI=\"true\" Italic=\"false\" "
            "Bold=\"true\" WideCodes=\"false\" />\n"
            "    <CodesTable>\n        <Code>65</Code>\n        <Code>66</Code>\n"
            "    </CodesTable>\n</DefineFontInfo>\n"},
    {.name = "DefineFontInfoWideCodesTerminatedNameAndReservedBits",
     .version = 5,
     .make = build<SwfTagDefineFontInfo>([](auto& t) {
         t.fontId = 2, t.fontName.name.text = "X", t.fontName.terminated = true;
         t.reserved = 0x40, t.wideCodes = t.smallText = t.shiftJIS = t.italic = true;
         t.codeTable = {300};
     }),
     .body = hex("02 00 02 58 00 75 2c 01"),
     .xml = "<DefineFontInfo FontId=\"2\" FontName=\"X\" FontNameTerminated=\"true\" "
            "Reserved=\"64\">\n"
            "    <BitsField SmallText=\"true\" ShiftJIS=\"true\" ANSI=\"false\" Italic=\"true\" "
            "Bold=\"false\" WideCodes=\"true\" />\n"
            "    <CodesTable>\n        <Code>300</Code>\n    </CodesTable>\n</DefineFontInfo>\n"},
    {.name = "DefineFontInfo2CodesAreAlwaysWide",
     .version = 6,
     .make = build<SwfTagDefineFontInfo2>([](auto& t) {
         t.fontId = 1, t.fontName.name.text = "Ming", t.smallText = t.italic = true;
         t.reserved = 0x10, t.languageCode = 2, t.codeTable = {0x4e00};
     }),
     .body = hex("01 00 04 4d 69 6e 67 35 02 00 4e"),
     .xml = "<DefineFontInfo2 FontId=\"1\" FontName=\"Ming\" LanguageCode=\"2\" Reserved=\"16\">\n"
            "    <BitsField SmallText=\"true\" Italic=\"true\" Bold=\"false\" />\n"
            "    <CodesTable>\n        <Code>19968</Code>\n    </CodesTable>\n"
            "</DefineFontInfo2>\n",
     .readFrom = hex("01 00 04 4d 69 6e 67 34 02 00 4e")},
    {.name = "DefineFontName",
     .version = 9,
     .make = build<SwfTagDefineFontName>(
         [](auto& t) { t.id = 1, t.name.text = "Vera", t.copyright.text = "(c) x"; }),
     .body = hex("01 00 56 65 72 61 00 28 63 29 20 78 00"),
     .xml = "<DefineFontName FontId=\"1\" Name=\"Vera\" Copyright=\"(c) x\" />\n"},
};

class FontCodecs : public CodecVectorTest {};
TEST_P(FontCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Font, FontCodecs, testing::ValuesIn(kFontVectors),
                         codecVectorName<CodecVector>);

const std::string kGlyphWithNewStyles =
    "<Glyphs><StyleChange><NewStyles><FillStyles /><LineStyles /></NewStyles></StyleChange>"
    "</Glyphs>";

const XmlInputVector kFontXmlInputs[] = {
    {.name = "WideCodesFlagIsSetFromVersion6",
     .version = 6,
     .xml = "<DefineFont2 FontId=\"2\" FontName=\"Ab\"><BitsField WideCodes=\"false\" />"
            "<Glyphs><Glyphs /></Glyphs><CodesTable><Code>65</Code></CodesTable></DefineFont2>",
     .tags = tag(48, hex("02 00 04 00 02 41 62 01 00 04 00 06 00 10 00 41 00"))},
    {.name = "WideCodesFlagIsSetByACodeBeyondAByte",
     .version = 5,
     .xml = "<DefineFont2 FontId=\"2\" FontName=\"Ab\"><Glyphs><Glyphs /></Glyphs>"
            "<CodesTable><Code>256</Code></CodesTable></DefineFont2>"
            "<DefineFontInfo FontId=\"2\"><CodesTable><Code>300</Code></CodesTable>"
            "</DefineFontInfo>",
     .tags = concat({tag(48, hex("02 00 04 00 02 41 62 01 00 04 00 06 00 10 00 00 01")),
                     tag(13, hex("02 00 00 01 2c 01"))})},
    {.name = "WideCodesFlagIsSetByAKerningCodeBeyondAByte",
     .version = 5,
     .xml = "<DefineFont2 FontId=\"4\"><KerningTable><KerningRecord KerningCode1=\"300\" "
            "KerningCode2=\"65\" Adjustment=\"-1\" /></KerningTable></DefineFont2>",
     .tags = tag(48, hex("04 00 84 00 00 00 00 02 00 00 00 00 00 00 00 01 00 2c 01 41 00 ff ff"))},
    {.name = "NamesInAnyCaseAndCodesFromAnyChildWithText",
     .version = 5,
     .xml = "<definefont2 fontid=\"2\" FONTNAME=\"a\" ascent=\"-1\"><bitsfield BOLD=\"TRUE\" "
            "italic=\"yes\" /><glyphs><GLYPHS /><other /><glyphs /></glyphs><codestable>"
            "<Code>65</Code><Code /><X>66</X></codestable><advancetable><a>-2</a><b>3</b>"
            "</advancetable><boundstable><Bounds MaxX=\"8\" /><B /></boundstable></definefont2>",
     .tags = tag(48, hex("02 00 81 00 01 61 02 00 06 00 08 00 0a 00 10 00 10 00 41 42 ff ff 00 00 "
                         "00 00 fe ff 03 00 28 10 00 00 10 00 00 00"))},
    {.name = "DefineFontTakesItsFirstChildAsTheGlyphList",
     .version = 3,
     .xml = "<DefineFont FontId=\"3\"><Outlines><Glyphs /><Line /><Glyphs><Line DX=\"1\" />"
            "</Glyphs></Outlines><GlyphShapeTable><Glyphs /></GlyphShapeTable></DefineFont>",
     .tags = tag(10, hex("03 00 04 00 06 00 10 00 10 c0 40"))},
    {.name = "DefineFont4DataOnlyWhenThereIsSome",
     .version = 10,
     .xml = "<DefineFont4 FontId=\"3\" FontName=\"a\"><BitsField Italic=\"true\" /><FontData>"
            "</FontData></DefineFont4><DefineFont4 FontId=\"4\"><FontData>AQI=</FontData>"
            "</DefineFont4>",
     .tags = concat({tag(91, hex("03 00 02 61 00")), tag(91, hex("04 00 04 00 01 02"))})},
    {.name = "AlignZonesMaskAndHintBitsAndZoneValues",
     .version = 8,
     .xml = "<DefineFontAlignZones FontId=\"3\" CSMTableHint=\"5\" Reserved=\"255\"><Zones>"
            "<ZoneRecord ZoneMaskX=\"false\" ZoneMaskY=\"true\" Reserved=\"3\"><ZoneData "
            "AlignmentCoordinate=\"65535\" Range=\"-1\" /><Other /></ZoneRecord><Other />"
            "</Zones></DefineFontAlignZones>",
     .tags = tag(73, hex("03 00 7f 01 ff ff 00 00 02"))},
    {.name = "GlyphsCannotBringStyleArrays",
     .version = 8,
     .xml = "<DefineFont FontId=\"1\"><GlyphShapeTable><Glyphs />" + kGlyphWithNewStyles +
            "</GlyphShapeTable></DefineFont>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: glyph 2: edge record 1 brings new style "
                "arrays, which a glyph outline cannot hold (tag 10 DefineFont, tag index 0)"},
    {.name = "GlyphsHaveOneFillAndNoLine",
     .version = 8,
     .xml = "<DefineFont3 FontId=\"1\"><Glyphs><Glyphs><StyleChange><SetFill0 Index=\"2\" />"
            "</StyleChange></Glyphs></Glyphs><CodesTable><Code>1</Code></CodesTable>"
            "</DefineFont3>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: glyph 1: edge record 1: SetFill0 index 2 "
                "names no style: the fill style array in force has 1 entry (tag 75 DefineFont3, "
                "tag index 0)"},
    {.name = "EveryGlyphNeedsACode",
     .version = 8,
     .xml = "<DefineFont2 FontId=\"1\"><Glyphs><Glyphs /><Glyphs /></Glyphs><CodesTable>"
            "<Code>1</Code></CodesTable></DefineFont2>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: DefineFont2 has 2 glyphs but 1 code; every "
                "glyph needs one (tag 48 DefineFont2, tag index 0)"},
    {.name = "WithLayoutEveryGlyphNeedsBounds",
     .version = 8,
     .xml = "<DefineFont3 FontId=\"1\"><Glyphs><Glyphs /></Glyphs><CodesTable><Code>1</Code>"
            "</CodesTable><AdvanceTable><Code>1</Code></AdvanceTable></DefineFont3>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: DefineFont3 has 1 glyph but 0 bounds "
                "rectangles; every glyph needs one (tag 75 DefineFont3, tag index 0)"},
    {.name = "FontNamesLongerThanTheirLengthByteFail",
     .version = 8,
     .xml = "<DefineFontInfo2 FontName=\"" + std::string(255, 'n') +
            "\" FontNameTerminated=\"true\" />",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: a font name of 256 bytes does not fit its "
                "length byte, which counts at most 255 (tag 62 DefineFontInfo2, tag index 0)"},
};

class FontXmlInputs : public XmlInputVectorTest {};
TEST_P(FontXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Font, FontXmlInputs, testing::ValuesIn(kFontXmlInputs),
                         codecVectorName<XmlInputVector>);

// A DefineFont2 of `empties` glyphs without edges and one glyph of a straight edge dx long,
// written in a version 5 movie; returns the tag's body.
Bytes writtenFont2(std::size_t empties, std::int32_t dx) {
    auto font = std::make_unique<SwfTagDefineFont2>();
    for (std::size_t i = 0; i < empties; ++i)
        font->glyphs.push_back(emptyGlyph());
    font->glyphs.push_back(line(dx));
    font->codeTable.assign(empties + 1, 32);
    const Bytes movie = writeMovieWith(5, std::move(font));
    // 21 bytes of movie header, a 6-byte tag header, and the End tag after the body.
    return Bytes(movie.begin() + 27, movie.end() - 2);
}

} // namespace

TEST(FontTags, OffsetsWidenOnlyBeyond65535) {
    // 16382 glyphs of 2 bytes and one of 3 (a 2-bit edge): the code table starts at
    // 2 x 16384 + 32767 = 65535, which 16-bit offsets still reach.
    const Bytes narrow = writtenFont2(16382, 1);
    EXPECT_EQ(narrow[2], 0x00) << "flags";
    EXPECT_EQ(toHex(Bytes(narrow.begin() + 7, narrow.begin() + 11)), "00 80 02 80");
    EXPECT_EQ(toHex(Bytes(narrow.begin() + 7 + 2 * 16383, narrow.begin() + 7 + 2 * 16384)),
              "ff ff");
    EXPECT_EQ(narrow.size(), 7u + 65535 + 16383);

    // One byte more (a 4-byte glyph) and every offset takes 32 bits.
    const Bytes wide = writtenFont2(16382, 100);
    EXPECT_EQ(wide[2], 0x08) << "flags";
    EXPECT_EQ(toHex(Bytes(wide.begin() + 7, wide.begin() + 15)), "00 00 01 00 02 00 01 00");
    EXPECT_EQ(toHex(Bytes(wide.begin() + 7 + 4 * 16383, wide.begin() + 7 + 4 * 16384)),
              "00 80 01 00");
    EXPECT_EQ(wide.size(), 7u + 4 * 16384 + 32768 + 16383);
}

TEST(FontTags, DefineFontOffsetsBeyond16BitsFailTheWrite) {
    auto font = std::make_unique<SwfTagDefineFont>();
    for (int i = 0; i < 11000; ++i)
        font->glyphs.push_back(line(100));
    EXPECT_EQ(tagWriteFailure(5, std::move(font)),
              "ValueOutOfRange: DefineFont glyph 10885 would start at offset 65536, beyond the "
              "65535 its 16-bit offsets reach; the outlines are too large for this tag (tag 10 "
              "DefineFont, tag index 0)");
}

TEST(FontTags, GlyphsIgnoreTheStreamStateOfOtherTagsAndLeaveItAlone) {
    SwfTagDefineFont2 font;
    font.id = 0;
    font.glyphs.push_back(glyphA());
    font.codeTable = {65};
    SwfSizeContext ctx(5);
    ctx.alpha = ctx.shapeExtendedCounts = ctx.shapeNewStyles = true;
    ctx.numFillBits = 4, ctx.numLineBits = 3;
    ASSERT_EQ(font.computeSize(ctx), 19u);
    SwfOStream os(64);
    os.alpha = os.shapeExtendedCounts = os.shapeNewStyles = true;
    os.numFillBits = 4, os.numLineBits = 3;
    font.write(os);
    EXPECT_EQ(toHex(Bytes(os.data() + 2, os.data() + os.size())),
              toHex(concat({hex("00 00 00 00 00 01 00 04 00 0b 00"), kGlyphA, hex("41")})));
    for (const SwfStream* s :
         {static_cast<const SwfStream*>(&ctx), static_cast<const SwfStream*>(&os)}) {
        EXPECT_TRUE(s->alpha && s->shapeExtendedCounts && s->shapeNewStyles);
        EXPECT_EQ(s->numFillBits, 4);
        EXPECT_EQ(s->numLineBits, 3);
    }
}

TEST(FontTags, BodiesThatLieFailTheReadCleanly) {
    // A glyph count far beyond the offsets the body holds.
    EXPECT_EQ(tagReadFailure(8, 75, hex("01 00 00 00 00 ff ff 04 00")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag "
              "75 DefineFont3 at offset 21, tag index 0; failed at offset 32)");
    // A glyph whose offset points past the body.
    EXPECT_EQ(tagReadFailure(3, 10, hex("01 00 02 00")),
              "UnexpectedEnd: a bit field needs 1 byte but none remain in the tag body (tag 10 "
              "DefineFont at offset 21, tag index 0; failed at offset 27)");
    // Offsets that run backwards leave the glyph no bytes rather than decoding some twice.
    EXPECT_EQ(tagReadFailure(3, 10, hex("01 00 04 00 02 00 10 00")),
              "UnexpectedEnd: a bit field needs 1 byte but none remain in the tag body (tag 10 "
              "DefineFont at offset 21, tag index 0; failed at offset 29)");
    // New style arrays inside a glyph outline.
    EXPECT_EQ(tagReadFailure(3, 10, hex("01 00 02 00 10 40 00 00 10 00")),
              "ValueOutOfRange: glyph 1: edge record 1 brings new style arrays, which a glyph "
              "outline cannot hold (tag 10 DefineFont at offset 21, tag index 0)");
}

namespace {

// The zone records of the first DefineFontAlignZones in the list or its sprites, or -1.
int zoneRecords(const SwfTags& tags) {
    for (const auto& tag : tags) {
        if (const auto* zones = dynamic_cast<const SwfTagDefineFontAlignZones*>(tag.get()))
            return static_cast<int>(zones->zoneTable.size());
        if (const auto* sprite = dynamic_cast<const SwfTagDefineSprite*>(tag.get()))
            if (const int n = zoneRecords(sprite->tags); n >= 0)
                return n;
    }
    return -1;
}

Bytes spriteOf(const Bytes& tags) {
    return tag(39, concat({hex("05 00 00 00"), tags, u16(0)}));
}

} // namespace

TEST(FontTags, AlignZonesTakeOneRecordPerGlyphOfAKnownFontElseRunToTheBodyEnd) {
    // Font 1 with one glyph, and zones for font 1 holding two records.
    const Bytes font =
        tag(75, concat({hex("01 00 04 00 00 01 00 04 00 06 00"), kEmptyGlyph, hex("41 00")}));
    const Bytes zones = tag(73, hex("01 00 40 01 00 3c 00 00 03 02 11 11 22 22 33 33 44 44 00"));
    const struct {
        const char* what;
        Bytes tags;
        int records;
    } rows[] = {
        {"font defined later", concat({zones, font}), 2},
        {"font 1 is a DefineFont4", concat({tag(91, hex("01 00 00 00")), zones}), 2},
        {"no font 1 at all", zones, 2},
        {"a font name between defines nothing", concat({font, tag(88, hex("01 00 00 00")), zones}),
         1},
        {"the sprite's own font", spriteOf(concat({font, zones})), 1},
        {"the movie's font seen from a sprite", concat({font, spriteOf(zones)}), 1},
        {"a sprite's font is not the movie's", concat({spriteOf(font), zones}), 2},
    };
    for (const auto& row : rows) {
        const Bytes original = movieOfTags(8, row.tags);
        SwfMovie m;
        try {
            m.read(original);
        } catch (const SwfException& e) {
            ADD_FAILURE() << row.what << ": " << e.what();
            continue;
        }
        EXPECT_EQ(zoneRecords(m.tags), row.records) << row.what;
        if (row.records == 2) {
            EXPECT_EQ(toHex(toBytes(m.write())), toHex(original)) << row.what;
        }
    }
    // Records that do not fill the body exactly still fail.
    EXPECT_EQ(tagReadFailure(8, 73, hex("01 00 40 01 00 3c 00 00 03 02 11 11")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag "
              "73 DefineFontAlignZones at offset 21, tag index 0; failed at offset 35)");
}

TEST(FontTags, AlignZonesAreWrittenOnlyAsTheReaderTakesThemBack) {
    // A font the reader meets before the zones decides their number: one record per glyph.
    const auto twoGlyphs = [] {
        auto font = std::make_unique<SwfTagDefineFont3>();
        font->id = 1;
        font->glyphs.push_back(emptyGlyph());
        font->glyphs.push_back(emptyGlyph());
        font->codeTable = {65, 66};
        return font;
    };
    const auto oneRecord = [] {
        auto zones = std::make_unique<SwfTagDefineFontAlignZones>();
        zones->fontId = 1;
        zones->zoneTable.emplace_back().mask = 3;
        return zones;
    };
    const auto failure = [](SwfMovie& m) {
        try {
            const Bytes written = toBytes(m.write());
            SwfMovie back;
            back.read(written);
            return zoneRecords(back.tags) == 1 ? std::string() : std::string("read back wrong");
        } catch (const SwfException& e) {
            return std::string(e.what());
        }
    };
    SwfMovie fontFirst(false, 8, 11000, 8000, 12.0f);
    fontFirst.tags.append(twoGlyphs());
    fontFirst.tags.append(oneRecord());
    EXPECT_EQ(failure(fontFirst),
              "ValueOutOfRange: DefineFontAlignZones has 1 zone record for font 1, which has 2 "
              "glyphs; a reader takes one record per glyph (tag 73 DefineFontAlignZones, tag "
              "index 1)");

    SwfMovie zonesFirst(false, 8, 11000, 8000, 12.0f);
    zonesFirst.tags.append(oneRecord());
    zonesFirst.tags.append(twoGlyphs());
    EXPECT_EQ(failure(zonesFirst), "");

    SwfMovie inSprite(false, 8, 11000, 8000, 12.0f);
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->tags.append(twoGlyphs());
    inSprite.tags.append(std::move(sprite));
    inSprite.tags.append(oneRecord());
    EXPECT_EQ(failure(inSprite), "");

    auto nested = std::make_unique<SwfTagDefineSprite>();
    nested->tags.append(oneRecord());
    SwfMovie outerFont(false, 8, 11000, 8000, 12.0f);
    outerFont.tags.append(twoGlyphs());
    outerFont.tags.append(std::move(nested));
    EXPECT_EQ(failure(outerFont),
              "ValueOutOfRange: DefineFontAlignZones has 1 zone record for font 1, which has 2 "
              "glyphs; a reader takes one record per glyph (tag 73 DefineFontAlignZones, tag "
              "index 0)");

    // The same through XML, where the failure names the element's line.
    Bytes compiled;
    std::string reason;
    EXPECT_FALSE(compileXml(documentWith(8, "<DefineFont3 FontId=\"1\"><Glyphs><Glyphs />"
                                            "<Glyphs /></Glyphs><CodesTable><Code>65</Code>"
                                            "<Code>66</Code></CodesTable></DefineFont3>\n"
                                            "<DefineFontAlignZones FontId=\"1\"><ZoneRecords>"
                                            "<ZoneRecord /></ZoneRecords></DefineFontAlignZones>"),
                            compiled, reason));
    EXPECT_EQ(reason, "line 3, column 2: ValueOutOfRange: DefineFontAlignZones has 1 zone record "
                      "for font 1, which has 2 glyphs; a reader takes one record per glyph (tag "
                      "73 DefineFontAlignZones, tag index 1)");
}

TEST(FontTags, AlignZonesInEveryDirection) {
    // Two glyphs: the first with two zones and both masks, the second with none and no mask.
    const Bytes font = tag(75, concat({hex("01 00 04 00 00 02 00 06 00 08 00 0a 00"), kEmptyGlyph,
                                       kEmptyGlyph, hex("41 00 42 00")}));
    const Bytes zones = tag(73, hex("01 00 80 02 00 3c 00 48 34 12 ff 7f 03 00 00"));
    const Bytes original = movieOfTags(8, concat({font, zones}));

    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, original, text)) << writer.failure.describe();
    const std::string element =
        "    <DefineFontAlignZones FontId=\"1\" CSMTableHint=\"2\">\n"
        "        <ZoneRecords>\n"
        "            <ZoneRecord ZoneMaskX=\"true\" ZoneMaskY=\"true\">\n"
        "                <ZoneData AlignmentCoordinate=\"15360\" Range=\"18432\" />\n"
        "                <ZoneData AlignmentCoordinate=\"4660\" Range=\"32767\" />\n"
        "            </ZoneRecord>\n"
        "            <ZoneRecord ZoneMaskX=\"false\" ZoneMaskY=\"false\" />\n"
        "        </ZoneRecords>\n"
        "    </DefineFontAlignZones>\n";
    EXPECT_NE(text.find(element), std::string::npos) << text;
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(text, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(original));

    auto wide = std::make_unique<SwfTagDefineFontAlignZones>();
    wide->zoneTable.emplace_back().zoneData.resize(255);
    wide->zoneTable.emplace_back().zoneData.resize(256);
    EXPECT_EQ(tagWriteFailure(8, std::move(wide)),
              "ValueOutOfRange: zone record 2 has 256 zones, more than the 255 its count can hold "
              "(tag 73 DefineFontAlignZones, tag index 0)");
}

TEST(FontRoundTrips, AMovieOfEveryFontTagComesBackFromEveryDirection) {
    SwfMovie m(false, 8, 11000, 8000, 12.0f);
    for (const CodecVector& v : kFontVectors) {
        std::unique_ptr<SwfTag> tag = v.make();
        // Codes are wide in this version; the font ids name distinct fonts.
        if (auto* font = dynamic_cast<SwfTagDefineFont2Base*>(tag.get()))
            font->wideCodes = true;
        if (auto* definition = dynamic_cast<SwfDefinitionTag*>(tag.get()))
            definition->id = static_cast<std::uint16_t>(100 + m.tags.size());
        m.tags.append(std::move(tag));
    }
    // Zones for the last DefineFont3 with its one glyph.
    auto zones = std::make_unique<SwfTagDefineFontAlignZones>();
    zones->fontId = 100 + 5, zones->csm = 0x41;
    SwfZoneRecord& record = zones->zoneTable.emplace_back();
    record.mask = 0x81;
    record.zoneData.push_back({1, 2});
    m.tags.append(std::move(zones));
    m.tags.append(std::make_unique<SwfTagShowFrame>());
    const Bytes original = toBytes(m.write());

    SwfMovie read;
    read.read(original);
    EXPECT_EQ(toHex(toBytes(read.write())), toHex(original)) << "binary -> model -> binary";

    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, original, text)) << writer.failure.describe();
    EXPECT_EQ(text.find("<Unknown"), std::string::npos) << "a font tag was kept raw";
    EXPECT_NE(text.find("<DefineFontAlignZones FontId=\"105\" CSMTableHint=\"1\" Reserved=\"1\">"),
              std::string::npos);
    EXPECT_NE(text.find("<ZoneRecord ZoneMaskX=\"true\" ZoneMaskY=\"false\" Reserved=\"128\">"),
              std::string::npos);
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(text, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(original)) << "binary -> XML -> binary";

    swfxml::SwfXmlWriter again;
    std::string text2;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, text2));
    EXPECT_EQ(text2, text) << "XML -> binary -> XML";
}
