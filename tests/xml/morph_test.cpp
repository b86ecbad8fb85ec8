// Morph shapes in XML: both tags with every morph fill kind, both line style kinds and edges
// in one table checked in all directions; the elements only XML can produce; and what the
// compile refuses.
#include "bit_strings.h"
#include "codec_vectors.h"
#include "libswf/exception.h"
#include "libswf/morph.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

const std::string kZeroRect = "MaxX=\"0\" MaxY=\"0\" MinX=\"0\" MinY=\"0\" />\n";
const std::string kIdentityMatrix = "<Translate TranslateX=\"0\" TranslateY=\"0\" />\n";

std::string matrixElement(const char* name, const std::string& inside) {
    return std::string("            <") + name + ">\n                " + inside + "            </" +
           name + ">\n";
}

SwfMorphGradientRecord record(std::uint8_t startRatio, SwfColor start, std::uint8_t endRatio,
                              SwfColor end) {
    SwfMorphGradientRecord r;
    r.startRatio = startRatio, r.startColor = start, r.endRatio = endRatio, r.endColor = end;
    return r;
}

std::unique_ptr<SwfMorphGradientFillStyle>
gradient(std::uint8_t type, std::initializer_list<SwfMorphGradientRecord> records) {
    auto fill = std::make_unique<SwfMorphGradientFillStyle>();
    fill->type = type;
    for (const SwfMorphGradientRecord& r : records)
        fill->gradient.push_back(std::make_unique<SwfMorphGradientRecord>(r));
    fill->gradient.prepare();
    return fill;
}

template <class R, class... A>
void add(SwfShapeRecords& records, A... args) {
    records.push_back(std::make_unique<R>(args...));
}

SwfStyleChange& addChange(SwfShapeRecords& records) {
    auto change = std::make_unique<SwfStyleChange>();
    SwfStyleChange& ref = *change;
    records.push_back(std::move(change));
    return ref;
}

const Bytes kStartEdges = bits("0001 0001  0 01011 00101 01010 01010 1 1  "
                               "11 0110 0 0 01100100  000000");
const Bytes kEndEdgesTail = bits("0 00001 00110 010100 010100  11 0110 0 1 01100100  000000");

const CodecVector kMorphVectors[] = {
    {.name = "SolidFillPlainLineAndBothEdgeLists",
     .version = 3,
     .make = build<SwfTagDefineMorphShape>([](auto& t) {
         t.id = 1;
         auto fill = std::make_unique<SwfMorphSolidFillStyle>();
         fill->startColor = SwfColor(0xff, 0, 0, 0xff), fill->endColor = SwfColor(0, 0xff, 0, 0x80);
         t.fillStyles.push_back(std::move(fill));
         auto line = std::make_unique<SwfMorphLineStyle>();
         line->startWidth = 20, line->endWidth = 40;
         line->startColor = SwfColor(0, 0, 0, 0xff),
         line->endColor = SwfColor(0xff, 0xff, 0xff, 0xff);
         t.lineStyles.push_back(std::move(line));
         SwfStyleChange& start = addChange(t.startEdges);
         start.move = start.setFill0 = start.setLine = true;
         start.moveDX = start.moveDY = 10, start.fill0 = start.line = 1;
         add<SwfLine>(t.startEdges, 100, 0);
         SwfStyleChange& end = addChange(t.endEdges);
         end.move = true, end.moveDX = end.moveDY = 20;
         add<SwfLine>(t.endEdges, 0, 100);
     }),
     // The end edges carry on with the widths in force: 1 and 1.
     .body = concat({hex("01 00 10 00 10 00 1e 00 00 00 01 00 ff 00 00 ff 00 ff 00 80 "
                         "01 14 00 28 00 00 00 00 ff ff ff ff ff"),
                     kStartEdges, hex("11"), kEndEdgesTail}),
     .xml = "<DefineMorphShape ShapeId=\"1\">\n    <StartBounds " + kZeroRect + "    <EndBounds " +
            kZeroRect +
            "    <MorphFillStyles>\n"
            "        <MorphSolidFillStyle StartColor=\"ff0000ff\" EndColor=\"ff0080\" />\n"
            "    </MorphFillStyles>\n    <MorphLineStyles>\n"
            "        <MorphLineStyle StartWidth=\"20\" EndWidth=\"40\" StartColor=\"ff\" "
            "EndColor=\"ffffffff\" />\n    </MorphLineStyles>\n"
            "    <StartEdges>\n        <StyleChange>\n            <Move DX=\"10\" DY=\"10\" />\n"
            "            <SetFill0 Index=\"1\" />\n            <SetLine Index=\"1\" />\n"
            "        </StyleChange>\n        <Line DX=\"100\" DY=\"0\" />\n    </StartEdges>\n"
            "    <EndEdges>\n        <StyleChange>\n            <Move DX=\"20\" DY=\"20\" />\n"
            "        </StyleChange>\n        <Line DX=\"0\" DY=\"100\" />\n    </EndEdges>\n"
            "</DefineMorphShape>\n"},
    // As authoring tools write them, with end edges that start with widths of 0, which come
    // back as they were.
    {.name = "EndEdgesWithTheWidthsOfAuthoringTools",
     .version = 3,
     .make = build<SwfTagDefineMorphShape>([](auto& t) {
         t.id = 1;
         t.fillStyles.push_back(std::make_unique<SwfMorphSolidFillStyle>());
         SwfStyleChange& start = addChange(t.startEdges);
         start.move = start.setFill0 = true;
         start.moveDX = start.moveDY = 10, start.fill0 = 1;
         t.endEdges.givenWidths = {0, 0};
         SwfStyleChange& end = addChange(t.endEdges);
         end.move = true, end.moveDX = end.moveDY = 20;
     }),
     .body = concat({hex("01 00 10 00 10 00 10 00 00 00 01 00 00 00 00 00 00 00 00 00 00"),
                     bits("0001 0001  0 00011 00101 01010 01010 1  000000"),
                     bits("0000 0000  0 00001 00110 010100 010100  000000")}),
     .xml = "<DefineMorphShape ShapeId=\"1\">\n    <StartBounds " + kZeroRect + "    <EndBounds " +
            kZeroRect +
            "    <MorphFillStyles>\n"
            "        <MorphSolidFillStyle StartColor=\"0\" EndColor=\"0\" />\n"
            "    </MorphFillStyles>\n    <MorphLineStyles />\n"
            "    <StartEdges>\n        <StyleChange>\n            <Move DX=\"10\" DY=\"10\" />\n"
            "            <SetFill0 Index=\"1\" />\n        </StyleChange>\n    </StartEdges>\n"
            "    <EndEdges FillBits=\"0\" LineBits=\"0\">\n        <StyleChange>\n"
            "            <Move DX=\"20\" DY=\"20\" />\n        </StyleChange>\n    </EndEdges>\n"
            "</DefineMorphShape>\n"},
    {.name = "GradientsWithTheirModesAndBitmapFill",
     .version = 5,
     .make = build<SwfTagDefineMorphShape>([](auto& t) {
         t.id = 2;
         auto linear = gradient(
             SwfFillStyle::LinearGradient,
             {record(0, SwfColor(0xff, 0, 0, 0xff), 0, SwfColor(0, 0xff, 0, 0xff)),
              record(128, SwfColor(0, 0, 0xff, 0xff), 64, SwfColor(0xff, 0xff, 0xff, 0xff)),
              record(255, SwfColor(0, 0, 0, 0xff), 255, SwfColor(0, 0, 0, 0))});
         linear->endMatrix.hasScale = true, linear->endMatrix.scaleX = 0.5f;
         linear->endMatrix.scaleY = 0.5f, linear->endMatrix.translateX = 100;
         linear->endMatrix.translateY = -20;
         t.fillStyles.push_back(std::move(linear));
         auto radial = gradient(SwfFillStyle::RadialGradient,
                                {record(1, SwfColor(1, 2, 3, 4), 2, SwfColor(5, 6, 7, 8))});
         radial->gradient.set(SwfGradientBits::SpreadMode, 1);
         radial->gradient.set(SwfGradientBits::InterpolationMode, 1);
         t.fillStyles.push_back(std::move(radial));
         auto bitmap = std::make_unique<SwfMorphBitmapFillStyle>();
         bitmap->type = SwfFillStyle::NonSmoothedRepeatingBitmap, bitmap->bitmapId = 4;
         t.fillStyles.push_back(std::move(bitmap));
     }),
     // A gradient of three records takes 31 bytes.
     .body = hex("02 00 10 00 10 00 40 00 00 00 03  10 00 c5 00 00 80 00 21 93 b0  03 "
                 "00 ff 00 00 ff 00 00 ff 00 ff  80 00 00 ff ff 40 ff ff ff ff  "
                 "ff 00 00 00 ff ff 00 00 00 00  12 00 00 51 01 01 02 03 04 02 05 06 07 08  "
                 "42 04 00 00 00  00  21 00  21 00"),
     .xml = "<DefineMorphShape ShapeId=\"2\">\n    <StartBounds " + kZeroRect + "    <EndBounds " +
            kZeroRect + "    <MorphFillStyles>\n" +
            "        <MorphGradientFillStyle Type=\"Linear\">\n" +
            matrixElement("StartMatrix", kIdentityMatrix) +
            "            <EndMatrix>\n"
            "                <Translate TranslateX=\"100\" TranslateY=\"-20\" />\n"
            "                <Scale ScaleX=\"0.5\" ScaleY=\"0.5\" />\n            </EndMatrix>\n"
            "            <MorphGradientRecords>\n"
            "                <MorphGradientRecord StartRatio=\"0\" EndRatio=\"0\" "
            "StartColor=\"ff0000ff\" EndColor=\"ff00ff\" />\n"
            "                <MorphGradientRecord StartRatio=\"128\" EndRatio=\"64\" "
            "StartColor=\"ffff\" EndColor=\"ffffffff\" />\n"
            "                <MorphGradientRecord StartRatio=\"255\" EndRatio=\"255\" "
            "StartColor=\"ff\" EndColor=\"0\" />\n"
            "            </MorphGradientRecords>\n        </MorphGradientFillStyle>\n"
            "        <MorphGradientFillStyle Type=\"Radial\">\n" +
            matrixElement("StartMatrix", kIdentityMatrix) +
            matrixElement("EndMatrix", kIdentityMatrix) +
            "            <MorphGradientRecords InterpolationMode=\"1\" SpreadMode=\"1\">\n"
            "                <MorphGradientRecord StartRatio=\"1\" EndRatio=\"2\" "
            "StartColor=\"1020304\" EndColor=\"5060708\" />\n"
            "            </MorphGradientRecords>\n        </MorphGradientFillStyle>\n"
            "        <BitmapFillStyle Type=\"NonSmoothedTiled\" BitmapId=\"4\">\n" +
            matrixElement("StartMatrix", kIdentityMatrix) +
            matrixElement("EndMatrix", kIdentityMatrix) +
            "        </BitmapFillStyle>\n    </MorphFillStyles>\n    <MorphLineStyles />\n"
            "    <StartEdges />\n    <EndEdges />\n</DefineMorphShape>\n"},
    {.name = "Shape2FocalGradientExtendedLinesAndStrokeFlags",
     .version = 8,
     .make = build<SwfTagDefineMorphShape2>([](auto& t) {
         t.id = 3;
         t.flags[0] = 0x05;
         t.offset = 63;
         auto focal =
             gradient(SwfFillStyle::FocalRadialGradient,
                      {record(0, SwfColor(0xff, 0, 0, 0xff), 10, SwfColor(0xff, 0, 0, 0xff)),
                       record(255, SwfColor(0, 0, 0xff, 0xff), 245, SwfColor(0, 0, 0xff, 0x80))});
         focal->startFocalPoint = {0x80, 0x00};
         focal->endFocalPoint = {0x40, 0x00};
         t.fillStyles.push_back(std::move(focal));
         auto miter = std::make_unique<SwfMorphLineStyle2>();
         miter->startWidth = 20, miter->endWidth = 30, miter->flags = {0xa0, 0x05};
         miter->miterLimitFactor = {0x00, 0x02};
         miter->startColor = SwfColor(0xff, 0, 0, 0xff),
         miter->endColor = SwfColor(0, 0xff, 0, 0xff);
         t.lineStyles.push_back(std::move(miter));
         auto filled = std::make_unique<SwfMorphLineStyle2>();
         filled->startWidth = filled->endWidth = 10, filled->flags = {0x08, 0x00};
         auto fill = std::make_shared<SwfMorphSolidFillStyle>();
         fill->startColor = SwfColor(0x11, 0x22, 0x33, 0x44);
         fill->endColor = SwfColor(0x55, 0x66, 0x77, 0x88);
         filled->fill = fill;
         t.lineStyles.push_back(std::move(filled));
     }),
     .body = hex("03 00 10 00 10 00 10 00 10 00 05 3f 00 00 00 01  13 00 00 02 "
                 "00 ff 00 00 ff 0a ff 00 00 ff  ff 00 00 ff ff f5 00 00 ff 80  80 00 40 00  02 "
                 "14 00 1e 00 a0 05 00 02 ff 00 00 ff 00 ff 00 ff  "
                 "0a 00 0a 00 08 00 00 11 22 33 44 55 66 77 88  12 00  12 00"),
     .xml =
         "<DefineMorphShape2 ShapeId=\"3\" Offset=\"63\" UseScalingStrokes=\"1\" "
         "UseNonScalingStrokes=\"0\">\n    <StartBounds " +
         kZeroRect + "    <EndBounds " + kZeroRect + "    <StartEdgeBounds " + kZeroRect +
         "    <EndEdgeBounds " + kZeroRect + "    <MorphFillStyles>\n" +
         "        <MorphGradientFillStyle Type=\"FocalRadialGradient\">\n" +
         matrixElement("StartMatrix", kIdentityMatrix) +
         matrixElement("EndMatrix", kIdentityMatrix) +
         "            <MorphGradientRecords>\n"
         "                <MorphGradientRecord StartRatio=\"0\" EndRatio=\"10\" "
         "StartColor=\"ff0000ff\" EndColor=\"ff0000ff\" />\n"
         "                <MorphGradientRecord StartRatio=\"255\" EndRatio=\"245\" "
         "StartColor=\"ffff\" EndColor=\"ff80\" />\n"
         "            </MorphGradientRecords>\n"
         "            <StartFocalPoint High=\"128\" Low=\"0\" />\n"
         "            <EndFocalPoint High=\"64\" Low=\"0\" />\n"
         "        </MorphGradientFillStyle>\n    </MorphFillStyles>\n"
         "    <MorphLineStyles2>\n        <MorphLineStyle2>\n"
         "            <BitsField EndCapstyle=\"1\" NoClose=\"1\" PixelHinting=\"0\" "
         "NoVScale=\"0\" NoHScale=\"0\" HasFill=\"0\" JoinStyle=\"2\" StartCapStyle=\"2\" />\n"
         "            <StartWidth Value=\"20\" />\n            <EndWidth Value=\"30\" />\n"
         "            <MitterLimitFactor High=\"0\" Low=\"2\" />\n"
         "            <StartColor Value=\"ff0000ff\" />\n"
         "            <EndColor Value=\"ff00ff\" />\n        </MorphLineStyle2>\n"
         "        <MorphLineStyle2>\n"
         "            <BitsField EndCapstyle=\"0\" NoClose=\"0\" PixelHinting=\"0\" "
         "NoVScale=\"0\" NoHScale=\"0\" HasFill=\"1\" JoinStyle=\"0\" StartCapStyle=\"0\" />\n"
         "            <StartWidth Value=\"10\" />\n            <EndWidth Value=\"10\" />\n"
         "            <MorphFillStyle>\n"
         "                <MorphSolidFillStyle StartColor=\"11223344\" EndColor=\"55667788\" />\n"
         "            </MorphFillStyle>\n        </MorphLineStyle2>\n    </MorphLineStyles2>\n"
         "    <StartEdges />\n    <EndEdges />\n</DefineMorphShape2>\n",
     .fromXml = hex("03 00 10 00 10 00 10 00 10 00 01 3f 00 00 00 01  13 00 00 02 "
                    "00 ff 00 00 ff 0a ff 00 00 ff  ff 00 00 ff ff f5 00 00 ff 80  80 00 40 00  02 "
                    "14 00 1e 00 a0 05 00 02 ff 00 00 ff 00 ff 00 ff  "
                    "0a 00 0a 00 08 00 00 11 22 33 44 55 66 77 88  12 00  12 00")},
};

class MorphCodecs : public CodecVectorTest {};
TEST_P(MorphCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Morph, MorphCodecs, testing::ValuesIn(kMorphVectors),
                         codecVectorName<CodecVector>);

std::string sixteenRecords() {
    std::string out;
    for (int i = 0; i < 16; ++i)
        out += "<MorphGradientRecord />";
    return out;
}

const XmlInputVector kMorphXmlInputs[] = {
    {.name = "Shape2OffsetIsRecomputedWhateverTheElementSays",
     .version = 8,
     .xml = "<DefineMorphShape2 ShapeId=\"7\" Offset=\"999\" />",
     .tags = tag(84, hex("07 00 10 00 10 00 10 00 10 00 00 04 00 00 00 00 00 11 00 11 00"))},
    {.name = "PartsByNameInAnyOrderAndKindsThatFallBack",
     .version = 8,
     .xml = "<DefineMorphShape ShapeId=\"8\"><EndEdges><Line DX=\"1\" /></EndEdges>"
            "<MorphFillStyles><MorphGradientFillStyle Type=\"Conic\" /><BitmapFillStyle "
            "Type=\"Mosaic\" BitmapId=\"2\" /><Other /><MorphSolidFillStyle /></MorphFillStyles>"
            "<MorphLineStyles><MorphLineStyle StartWidth=\"3\" /><Stranger StartWidth=\"4\" />"
            "</MorphLineStyles></DefineMorphShape>",
     .tags = tag(46, concat({hex("08 00 10 00 10 00 22 00 00 00  03 10 00 00 00  41 02 00 00 00  "
                                 "00 00 00 00 00 00 00 00 00  01 03 00 00 00 00 00 00 00 00 00 00 "
                                 "00  21 00"),
                             bits("0010 0001  11 0000 0 0 01  000000")}))},
    {.name = "ExtendedMorphLineValuesTakeTheFirstAttribute",
     .version = 8,
     .xml = "<DefineMorphShape2 ShapeId=\"9\"><MorphLineStyles2><Any><EndWidth v=\"5\" />"
            "<StartWidth x=\"4\" /><EndColor x=\"ff\" /><MitterLimitFactor High=\"1\" Low=\"2\" />"
            "<BitsField JoinStyle=\"2\" ENDCAPSTYLE=\"3\" /></Any></MorphLineStyles2>"
            "</DefineMorphShape2>",
     .tags = tag(84, hex("09 00 10 00 10 00 10 00 10 00 00 14 00 00 00 00 01 04 00 05 00 20 03 "
                         "01 02 00 00 00 00 00 00 00 ff 11 00 11 00"))},
    {.name = "AMorphGradientOf16RecordsFailsTheCompile",
     .version = 8,
     .xml = "<DefineMorphShape ShapeId=\"1\"><MorphFillStyles><MorphGradientFillStyle "
            "Type=\"Radial\"><MorphGradientRecords>" +
            sixteenRecords() +
            "</MorphGradientRecords></MorphGradientFillStyle></MorphFillStyles>"
            "</DefineMorphShape>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: morph fill style 1: a morph gradient of 16 "
                "records is more than the 15 its NumGradients can count (tag 46 "
                "DefineMorphShape, tag index 0)"},
    {.name = "HasFillWithoutAMorphFillFailsTheCompile",
     .version = 8,
     .xml = "<DefineMorphShape2><MorphLineStyles2><MorphLineStyle2><BitsField HasFill=\"1\" />"
            "<MorphFillStyle><Nothing /></MorphFillStyle></MorphLineStyle2></MorphLineStyles2>"
            "</DefineMorphShape2>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: morph line style 1: an extended morph line "
                "style has HasFill set but no fill style (tag 84 DefineMorphShape2, tag index 0)"},
};

class MorphXmlInputs : public XmlInputVectorTest {};
TEST_P(MorphXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Morph, MorphXmlInputs, testing::ValuesIn(kMorphXmlInputs),
                         codecVectorName<XmlInputVector>);

} // namespace

TEST(MorphRoundTrips, AMovieOfEveryFormComesBackFromEveryDirection) {
    SwfMovie m(false, 8, 11000, 8000, 12.0f);
    for (const CodecVector& v : kMorphVectors) {
        std::unique_ptr<SwfTag> tag = v.make();
        if (auto* shape2 = dynamic_cast<SwfTagDefineMorphShape2*>(tag.get()))
            shape2->set(SwfTagDefineMorphShape2::Reserved, 0);
        m.tags.append(std::move(tag));
        m.tags.append(std::make_unique<SwfTagShowFrame>());
    }
    const Bytes original = toBytes(m.write());

    SwfMovie read;
    read.read(original);
    EXPECT_EQ(toHex(toBytes(read.write())), toHex(original)) << "binary -> model -> binary";

    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, original, text)) << writer.failure.describe();
    EXPECT_EQ(text.find("<Unknown"), std::string::npos) << "a morph shape was kept raw";
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(text, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(original)) << "binary -> XML -> binary";

    swfxml::SwfXmlWriter again;
    std::string text2;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, text2));
    EXPECT_EQ(text2, text) << "XML -> binary -> XML";
}

TEST(MorphRoundTrips, OffsetsFollowEditsOfTheStartEdges) {
    // The first vector's movie, with one more straight edge in its start edges: its 10 bits
    // take the start edges from 53 bits (7 bytes) to 63 (8 bytes).
    SwfMovie m;
    m.read(movieOfTags(3, tag(46, kMorphVectors[0].body)));
    auto& morph = static_cast<SwfTagDefineMorphShape&>(m.tags[0]);
    morph.startEdges.push_back(std::make_unique<SwfLine>(1, 0));
    const Bytes written = toBytes(m.write());
    // movie header 21, tag header 2, id 2, two bounds 4
    EXPECT_EQ(toHex(Bytes(written.begin() + 29, written.begin() + 33)), "1f 00 00 00");

    SwfMovie m2;
    m2.read(movieOfTags(8, tag(84, kMorphVectors[3].body)));
    auto& morph2 = static_cast<SwfTagDefineMorphShape2&>(m2.tags[0]);
    EXPECT_EQ(morph2.offset, 63u);
    morph2.startEdges.push_back(std::make_unique<SwfLine>(1, 0));
    const Bytes written2 = toBytes(m2.write());
    EXPECT_EQ(morph2.offset, 64u) << "the empty start edges grow from 2 bytes to 3";
    // movie header 21, long tag header 6, id 2, four bounds 8, flags 1
    EXPECT_EQ(toHex(Bytes(written2.begin() + 38, written2.begin() + 42)), "40 00 00 00");
}

TEST(MorphRoundTrips, MorphBodiesThatLieFailTheReadCleanly) {
    std::string failure;
    try {
        SwfMovie m;
        m.read(movieOfTags(8, tag(46, hex("01 00 10 00 10 00 00 00 00 00 01 07"))));
    } catch (const SwfException& e) {
        failure = e.what();
    }
    EXPECT_EQ(failure, "UnexpectedEnd: a morph fill style of type 0x07, which names no kind of "
                       "morph fill (tag 46 DefineMorphShape at offset 21, tag index 0; failed at "
                       "offset 34)");

    // Line styles of the other tag's kind would be misread, so they are refused.
    auto morph = std::make_unique<SwfTagDefineMorphShape>();
    morph->lineStyles.push_back(std::make_unique<SwfMorphLineStyle2>());
    SwfMovie m(false, 8, 0, 0, 12.0f);
    m.tags.append(std::move(morph));
    try {
        m.write();
        failure.clear();
    } catch (const SwfException& e) {
        failure = e.what();
    }
    EXPECT_EQ(failure, "ValueOutOfRange: morph line style 1 is an extended morph line style, "
                       "which only DefineMorphShape2 can hold (tag 46 DefineMorphShape, tag index "
                       "0)");
}
