// Shapes in XML: every fill kind, both line style kinds, every record kind, new styles and the
// DefineShape4 flags in one table checked in all directions; the elements only XML can
// produce, read by position or by name; and what the compile refuses.
#include "bit_strings.h"
#include "codec_vectors.h"
#include "libswf/exception.h"
#include "libswf/shapes.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

// Scaled by one half, translated by (100, -20).
const Bytes kHalfMatrix = hex("c5 00 00 80 00 21 93 b0");
const char* const kHalfMatrixXml = "<Translate TranslateX=\"100\" TranslateY=\"-20\" />\n"
                                   "<Scale ScaleX=\"0.5\" ScaleY=\"0.5\" />\n";

SwfMatrix halfMatrix() {
    SwfMatrix m;
    m.hasScale = true, m.scaleX = m.scaleY = 0.5f, m.translateX = 100, m.translateY = -20;
    return m;
}

// Indents every line of a block by `levels` steps of four spaces.
std::string indent(int levels, std::string_view block) {
    std::string out;
    bool lineStart = true;
    for (char c : block) {
        if (lineStart)
            out.append(static_cast<std::size_t>(levels) * 4, ' ');
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

const std::string kZeroRect = "MaxX=\"0\" MaxY=\"0\" MinX=\"0\" MinY=\"0\" />\n";
const std::string kIdentity = "<Translate TranslateX=\"0\" TranslateY=\"0\" />\n";

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

std::unique_ptr<SwfSolidFillStyle> solid(SwfColor color) {
    return std::make_unique<SwfSolidFillStyle>(color);
}

std::unique_ptr<SwfGradientFillStyle> gradient(std::uint8_t type, SwfMatrix matrix, unsigned spread,
                                               unsigned interpolation) {
    auto fill = std::make_unique<SwfGradientFillStyle>();
    fill->type = type;
    fill->matrix = matrix;
    fill->gradient.set(SwfGradientBits::SpreadMode, spread);
    fill->gradient.set(SwfGradientBits::InterpolationMode, interpolation);
    return fill;
}

std::unique_ptr<SwfBitmapFillStyle> bitmap(std::uint8_t type, std::uint16_t id) {
    auto fill = std::make_unique<SwfBitmapFillStyle>();
    fill->type = type;
    fill->bitmapId = id;
    return fill;
}

const std::string kBitsAllZero =
    "<BitsField EndCapStyle=\"0\" NoClose=\"0\" PixelHinting=\"0\" NoVScale=\"0\" NoHScale=\"0\" "
    "HasFill=\"0\" JoinStyle=\"0\" StartCapStyle=\"0\" />\n";
const std::string kBitsHasFill =
    "<BitsField EndCapStyle=\"0\" NoClose=\"0\" PixelHinting=\"0\" NoVScale=\"0\" NoHScale=\"0\" "
    "HasFill=\"1\" JoinStyle=\"0\" StartCapStyle=\"0\" />\n";

const CodecVector kShapeVectors[] = {
    {.name = "EmptyShapeStillWritesOneBitWidths",
     .version = 1,
     .make = build<SwfTagDefineShape>([](auto& t) { t.id = 1; }),
     .body = hex("01 00 10 00 00 00 11 00"),
     .xml = "<DefineShape ShapeId=\"1\">\n    <Bounds " + kZeroRect +
            "    <FillStyles />\n    <LineStyles />\n    <Edges />\n</DefineShape>\n"},
    // Other tools write 0 for the width of an empty array; the list keeps the width it read.
    {.name = "WidthsTheFileGaveComeBackAsAttributes",
     .version = 1,
     .make = build<SwfTagDefineShape>([](auto& t) {
         t.id = 1;
         t.records.givenWidths = {0, 0};
         add<SwfLine>(t.records, 4, 0);
     }),
     .body = concat({hex("01 00 10 00 00 00"), bits("0000 0000  11 0010 0 0 0100  000000")}),
     .xml = "<DefineShape ShapeId=\"1\">\n    <Bounds " + kZeroRect +
            "    <FillStyles />\n    <LineStyles />\n"
            "    <Edges FillBits=\"0\" LineBits=\"0\">\n        <Line DX=\"4\" DY=\"0\" />\n"
            "    </Edges>\n</DefineShape>\n"},
    // Wider than the arrays need, at the start and after new styles.
    {.name = "WiderWidthsTheFileGaveAreKeptForTheirStretchOfTheEdges",
     .version = 3,
     .make = build<SwfTagDefineShape2>([](auto& t) {
         t.id = 2;
         t.fillStyles.push_back(solid(SwfColor(0xff, 0, 0)));
         t.records.givenWidths = {3, SwfIndexWidths::NotGiven};
         SwfStyleChange& change = addChange(t.records);
         change.newStyles = change.setFill0 = true, change.fill0 = 1;
         change.fillStyles.push_back(solid(SwfColor(1, 0, 0)));
         change.givenWidths = {SwfIndexWidths::NotGiven, 2};
         SwfStyleChange& next = addChange(t.records);
         next.setFill1 = next.setLine = true, next.fill1 = 1, next.line = 0;
     }),
     .body = concat({hex("02 00 10 00 01 00 ff 00 00 00"), bits("0011 0001  0 10010 001"),
                     hex("01 00 01 00 00 00"), bits("0001 0010  0 01100 1 00  000000")}),
     .xml = "<DefineShape2 ShapeId=\"2\">\n    <Bounds " + kZeroRect +
            "    <FillStyles>\n        <SolidFillStyle Color=\"ff000000\" />\n"
            "    </FillStyles>\n    <LineStyles />\n    <Edges FillBits=\"3\">\n"
            "        <StyleChange>\n            <SetFill0 Index=\"1\" />\n"
            "            <NewStyles LineBits=\"2\">\n                <FillStyles>\n"
            "                    <SolidFillStyle Color=\"1000000\" />\n"
            "                </FillStyles>\n                <LineStyles />\n"
            "            </NewStyles>\n        </StyleChange>\n"
            "        <StyleChange>\n            <SetFill1 Index=\"1\" />\n"
            "            <SetLine Index=\"0\" />\n        </StyleChange>\n"
            "    </Edges>\n</DefineShape2>\n"},
    // Wider fields than the values need come back as they were: -4 in 4 bits rather than 3.
    {.name = "EdgeAndMoveWidthsTheFileGaveAreKept",
     .version = 1,
     .make = build<SwfTagDefineShape>([](auto& t) {
         t.id = 3;
         SwfStyleChange& move = addChange(t.records);
         move.move = true, move.moveDX = 1, move.moveDY = -1, move.givenMoveBits = 4;
         add<SwfLine>(t.records, -4, 0);
         static_cast<SwfLine&>(*t.records.back()).givenBits = 4;
         add<SwfCurve>(t.records, 1, 1, -1, -1);
         static_cast<SwfCurve&>(*t.records.back()).givenBits = 5;
     }),
     .body = concat(
         {hex("03 00 10 00 00 00"), bits("0001 0001  0 00001 00100 0001 1111  11 0010 0 0 1100  "
                                         "10 0011 00001 00001 11111 11111  000000")}),
     .xml = "<DefineShape ShapeId=\"3\">\n    <Bounds " + kZeroRect +
            "    <FillStyles />\n    <LineStyles />\n    <Edges>\n        <StyleChange>\n"
            "            <Move DX=\"1\" DY=\"-1\" MoveBits=\"4\" />\n        </StyleChange>\n"
            "        <Line DX=\"-4\" DY=\"0\" NumBits=\"4\" />\n"
            "        <Curve CDX=\"1\" CDY=\"1\" ADX=\"-1\" ADY=\"-1\" NumBits=\"5\" />\n"
            "    </Edges>\n</DefineShape>\n"},
    {.name = "EveryRecordKind",
     .version = 1,
     .make = build<SwfTagDefineShape>([](auto& t) {
         t.id = 7;
         t.bounds = SwfRect(20, 40, 200, 400);
         t.fillStyles.push_back(solid(SwfColor(0xff, 0, 0x80)));
         t.lineStyles.push_back(std::make_unique<SwfLineStyle>(20, SwfColor(0, 0, 0xff)));
         SwfStyleChange& first = addChange(t.records);
         first.move = first.setFill1 = first.setLine = true;
         first.moveDX = 100, first.moveDY = -50, first.fill1 = 1, first.line = 1;
         add<SwfLine>(t.records, 30, 0);
         add<SwfLine>(t.records, 0, -20);
         add<SwfLine>(t.records, -5, 7);
         add<SwfCurve>(t.records, 10, 10, -10, -9);
         addChange(t.records).setFill0 = true;
     }),
     .body = concat({hex("07 00 50 28 64 05 0c 80 01 00 ff 00 80 01 14 00 00 00 ff"),
                     bits("0001 0001  0 01101 01000 01100100 11001110 1 1  11 0100 0 0 011110  "
                          "11 0100 0 1 101100  11 0010 1 1011 0111  "
                          "10 0011 01010 01010 10110 10111  0 00010 0  000000")}),
     .xml = "<DefineShape ShapeId=\"7\">\n"
            "    <Bounds MaxX=\"200\" MaxY=\"400\" MinX=\"20\" MinY=\"40\" />\n"
            "    <FillStyles>\n        <SolidFillStyle Color=\"ff008000\" />\n    </FillStyles>\n"
            "    <LineStyles>\n        <LineStyle Width=\"20\" Color=\"ff00\" />\n"
            "    </LineStyles>\n"
            "    <Edges>\n"
            "        <StyleChange>\n"
            "            <Move DX=\"100\" DY=\"-50\" />\n"
            "            <SetFill1 Index=\"1\" />\n"
            "            <SetLine Index=\"1\" />\n"
            "        </StyleChange>\n"
            "        <Line DX=\"30\" DY=\"0\" />\n"
            "        <Line DX=\"0\" DY=\"-20\" />\n"
            "        <Line DX=\"-5\" DY=\"7\" />\n"
            "        <Curve CDX=\"10\" CDY=\"10\" ADX=\"-10\" ADY=\"-9\" />\n"
            "        <StyleChange>\n"
            "            <SetFill0 Index=\"0\" />\n"
            "        </StyleChange>\n"
            "    </Edges>\n"
            "</DefineShape>\n"},
    {.name = "NewStylesPadToAByteAndWidenTheIndices",
     .version = 3,
     .make = build<SwfTagDefineShape2>([](auto& t) {
         t.id = 2;
         t.fillStyles.push_back(solid(SwfColor(0xff, 0, 0)));
         SwfStyleChange& change = addChange(t.records);
         change.newStyles = change.setFill0 = true, change.fill0 = 1;
         for (std::uint8_t r = 1; r <= 3; ++r)
             change.fillStyles.push_back(solid(SwfColor(r, 0, 0)));
         change.lineStyles.push_back(std::make_unique<SwfLineStyle>(40, SwfColor(0, 0xff, 0)));
         SwfStyleChange& next = addChange(t.records);
         next.setFill1 = next.setLine = true, next.fill1 = 3, next.line = 1;
         add<SwfLine>(t.records, 1, 0);
     }),
     .body = concat({hex("02 00 10 00 01 00 ff 00 00 00"), bits("0001 0001  0 10010 1"),
                     hex("03 00 01 00 00 00 02 00 00 00 03 00 00 01 28 00 00 ff 00"),
                     bits("0010 0001  0 01100 11 1  11 0000 0 0 01  000000")}),
     .xml = "<DefineShape2 ShapeId=\"2\">\n    <Bounds " + kZeroRect +
            "    <FillStyles>\n        <SolidFillStyle Color=\"ff000000\" />\n"
            "    </FillStyles>\n    <LineStyles />\n    <Edges>\n        <StyleChange>\n"
            "            <SetFill0 Index=\"1\" />\n            <NewStyles>\n"
            "                <FillStyles>\n"
            "                    <SolidFillStyle Color=\"1000000\" />\n"
            "                    <SolidFillStyle Color=\"2000000\" />\n"
            "                    <SolidFillStyle Color=\"3000000\" />\n"
            "                </FillStyles>\n                <LineStyles>\n"
            "                    <LineStyle Width=\"40\" Color=\"ff0000\" />\n"
            "                </LineStyles>\n            </NewStyles>\n        </StyleChange>\n"
            "        <StyleChange>\n            <SetFill1 Index=\"3\" />\n"
            "            <SetLine Index=\"1\" />\n        </StyleChange>\n"
            "        <Line DX=\"1\" DY=\"0\" />\n    </Edges>\n</DefineShape2>\n"},
    {.name = "EveryFillKind",
     .version = 8,
     .make = build<SwfTagDefineShape3>([](auto& t) {
         t.id = 4;
         auto linear = gradient(SwfFillStyle::LinearGradient, halfMatrix(), 0, 0);
         linear->gradient.push_back(
             std::make_unique<SwfGradientRecord>(0, SwfColor(255, 0, 0, 255)));
         linear->gradient.push_back(
             std::make_unique<SwfGradientRecord>(255, SwfColor(0, 0, 255, 255)));
         linear->gradient.prepare();
         t.fillStyles.push_back(std::move(linear));
         auto radial = gradient(SwfFillStyle::RadialGradient, SwfMatrix(), 1, 1);
         radial->gradient.push_back(
             std::make_unique<SwfGradientRecord>(128, SwfColor(0x10, 0x20, 0x30, 0x40)));
         radial->gradient.prepare();
         t.fillStyles.push_back(std::move(radial));
         auto focal = gradient(SwfFillStyle::FocalRadialGradient, SwfMatrix(), 0, 0);
         focal->focalGradient.set(SwfGradientBits::SpreadMode, 2);
         focal->focalGradient.set(SwfGradientBits::NumGradients, 1);
         focal->focalGradient.records.push_back(
             std::make_shared<SwfGradientRecord>(0, SwfColor(0, 0, 0, 255)));
         focal->focalGradient.focalPoint = {0x40, 0x00};
         t.fillStyles.push_back(std::move(focal));
         for (std::uint8_t type = 0x40; type <= 0x43; ++type)
             t.fillStyles.push_back(bitmap(type, 3));
         SwfStyleChange& change = addChange(t.records);
         change.setFill0 = true, change.fill0 = 7;
     }),
     .body = concat({hex("04 00 10 00 07 10"), kHalfMatrix,
                     hex("02 00 ff 00 00 ff ff 00 00 ff ff  12 00 51 80 10 20 30 40  "
                         "13 00 81 00 00 00 00 ff 40 00  40 03 00 00  41 03 00 00  42 03 00 00  "
                         "43 03 00 00  00"),
                     bits("0011 0001  0 00010 111  000000")}),
     .xml =
         "<DefineShape3 ShapeId=\"4\">\n    <Bounds " + kZeroRect + "    <FillStyles>\n" +
         indent(2, "<GradientFillStyle Type=\"Linear\">\n    <Matrix>\n" +
                       indent(2, kHalfMatrixXml) +
                       "    </Matrix>\n"
                       "    <GradientRecords NumGradients=\"2\" InterpolationMode=\"0\" "
                       "SpreadMode=\"0\">\n"
                       "        <GradientRecord Ratio=\"0\" Color=\"ff0000ff\" />\n"
                       "        <GradientRecord Ratio=\"255\" Color=\"ffff\" />\n"
                       "    </GradientRecords>\n</GradientFillStyle>\n"
                       "<GradientFillStyle Type=\"Radial\">\n    <Matrix>\n" +
                       indent(2, kIdentity) +
                       "    </Matrix>\n"
                       "    <GradientRecords NumGradients=\"1\" InterpolationMode=\"1\" "
                       "SpreadMode=\"1\">\n"
                       "        <GradientRecord Ratio=\"128\" Color=\"10203040\" />\n"
                       "    </GradientRecords>\n</GradientFillStyle>\n"
                       "<GradientFillStyle Type=\"FocalRadialGradient\">\n    <Matrix>\n" +
                       indent(2, kIdentity) +
                       "    </Matrix>\n    <GradientRecords High=\"64\" Low=\"0\">\n"
                       "        <BitsField NumGradients=\"1\" InterpolationMode=\"0\" "
                       "SpreadMode=\"2\" />\n"
                       "        <GradientRecord Ratio=\"0\" Color=\"ff\" />\n"
                       "    </GradientRecords>\n</GradientFillStyle>\n") +
         [] {
             std::string out;
             for (const char* type : {"Tiled", "Clipped", "NonSmoothedTiled", "NonSmoothedClipped"})
                 out += indent(2, std::string("<BitmapFillStyle Type=\"") + type +
                                      "\" BitmapId=\"3\">\n    <Matrix>\n" + indent(2, kIdentity) +
                                      "    </Matrix>\n</BitmapFillStyle>\n");
             return out;
         }() +
         "    </FillStyles>\n    <LineStyles />\n    <Edges>\n        <StyleChange>\n"
         "            <SetFill0 Index=\"7\" />\n        </StyleChange>\n    </Edges>\n"
         "</DefineShape3>\n"},
    {.name = "ExtendedLineStylesAndStrokeFlagsWithTheirReservedBits",
     .version = 8,
     .make = build<SwfTagDefineShape4>([](auto& t) {
         t.id = 5;
         t.flags[0] = 0x06;
         auto first = std::make_unique<SwfLineStyle2>();
         first->width = 20, first->flags = {0x65, 0x0e}, first->miterLimitFactor = 0x0300;
         first->color = SwfColor(10, 20, 30, 40);
         t.lineStyles.push_back(std::move(first));
         auto second = std::make_unique<SwfLineStyle2>();
         second->width = 40, second->flags = {0x08, 0x00};
         second->fill = solid(SwfColor(0xff, 0xff, 0, 0xff));
         t.lineStyles.push_back(std::move(second));
         auto third = std::make_unique<SwfLineStyle2>();
         third->width = 60, third->flags = {0x08, 0x00}, third->fill = bitmap(0x41, 9);
         t.lineStyles.push_back(std::move(third));
         SwfStyleChange& change = addChange(t.records);
         change.setLine = true, change.line = 3;
         add<SwfLine>(t.records, 0, 5);
     }),
     .body = concat({hex("05 00 10 00 10 00 06 00 03  14 00 65 0e 00 03 0a 14 1e 28  "
                         "28 00 08 00 00 ff ff 00 ff  3c 00 08 00 41 09 00 00"),
                     bits("0001 0010  0 01000 11  11 0010 0 1 0101  000000")}),
     .xml = "<DefineShape4 ShapeId=\"5\" UseScalingStrokes=\"0\" UseNonScalingStrokes=\"1\" "
            "Reserved=\"1\">\n"
            "    <ShapeBounds " +
            kZeroRect + "    <EdgeBounds " + kZeroRect +
            "    <FillStyles />\n    <LineStyles2>\n"
            "        <LineStyle MitterLimitFactor=\"768\" Color=\"a141e28\" Width=\"20\">\n"
            "            <BitsField EndCapStyle=\"2\" NoClose=\"1\" PixelHinting=\"1\" "
            "NoVScale=\"0\" NoHScale=\"1\" HasFill=\"0\" JoinStyle=\"2\" StartCapStyle=\"1\" "
            "Reserved=\"1\" />\n"
            "        </LineStyle>\n        <LineStyle Width=\"40\">\n" +
            indent(3, kBitsHasFill) +
            "            <FillStyle>\n                <SolidFillStyle Color=\"ffff00ff\" />\n"
            "            </FillStyle>\n        </LineStyle>\n        <LineStyle Width=\"60\">\n" +
            indent(3, kBitsHasFill) +
            "            <FillStyle>\n"
            "                <BitmapFillStyle Type=\"Clipped\" BitmapId=\"9\">\n"
            "                    <Matrix>\n" +
            indent(6, kIdentity) +
            "                    </Matrix>\n                </BitmapFillStyle>\n"
            "            </FillStyle>\n        </LineStyle>\n    </LineStyles2>\n"
            "    <Shapes>\n        <StyleChange>\n            <SetLine Index=\"3\" />\n"
            "        </StyleChange>\n        <Line DX=\"0\" DY=\"5\" />\n    </Shapes>\n"
            "</DefineShape4>\n"},
    {.name = "NewStylesOfDefineShape4HoldExtendedLineStyles",
     .version = 8,
     .make = build<SwfTagDefineShape4>([](auto& t) {
         t.id = 6;
         SwfStyleChange& change = addChange(t.records);
         change.newStyles = true;
         auto line = std::make_unique<SwfLineStyle2>();
         line->width = 1;
         change.lineStyles.push_back(std::move(line));
     }),
     .body = concat({hex("06 00 10 00 10 00 00 00 00"), bits("0001 0001  0 10000"),
                     hex("00 01 01 00 00 00 00 00 00 00"), bits("0001 0001  000000")}),
     .xml = "<DefineShape4 ShapeId=\"6\" UseScalingStrokes=\"0\" UseNonScalingStrokes=\"0\">\n"
            "    <ShapeBounds " +
            kZeroRect + "    <EdgeBounds " + kZeroRect +
            "    <FillStyles />\n    <LineStyles2 />\n    <Shapes>\n        <StyleChange>\n"
            "            <NewStyles>\n                <FillStyles />\n"
            "                <LineStyles2>\n"
            "                    <LineStyle Color=\"0\" Width=\"1\">\n" +
            indent(6, kBitsAllZero) +
            "                    </LineStyle>\n                </LineStyles2>\n"
            "            </NewStyles>\n        </StyleChange>\n    </Shapes>\n"
            "</DefineShape4>\n"},
};

class ShapeCodecs : public CodecVectorTest {};
TEST_P(ShapeCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Shapes, ShapeCodecs, testing::ValuesIn(kShapeVectors),
                         codecVectorName<CodecVector>);

const XmlInputVector kShapeXmlInputs[] = {
    {.name = "DefineShapeTakesItsPartsByPlaceWhateverTheirNames",
     .version = 8,
     .xml = "<DefineShape3 Whatever=\"7\"><!-- the bounds --><A MaxX=\"20\" MaxY=\"20\" />"
            "<B><SolidFillStyle Color=\"ff0000ff\" /></B><!-- the lines --><C><X Width=\"20\" "
            "Color=\"ff\" /><!-- no style --><Y /></C><D><Line DY=\"5\" /></D><E><Line "
            "DX=\"1\" /></E></DefineShape3>",
     .tags = tag(32, concat({hex("07 00"), bits("00110 000000 010100 000000 010100"),
                             hex("01 00 ff 00 00 ff 02 14 00 00 00 00 ff 00 00 00 00 00 00"),
                             bits("0001 0010  11 0010 0 1 0101  000000")}))},
    {.name = "DefineShapePartsInAnotherOrderAreMisread",
     .version = 1,
     .xml = "<DefineShape ShapeId=\"1\"><Bounds /><LineStyles><LineStyle Width=\"20\" "
            "Color=\"ff\" /></LineStyles><FillStyles><SolidFillStyle Color=\"ff0000ff\" />"
            "</FillStyles><Edges /></DefineShape>",
     .tags = tag(2, hex("01 00 10 00 00 01 00 00 ff 00 00 11 00"))},
    {.name = "DefineShapeIdIsTheFirstAttributeOrZero",
     .version = 1,
     .xml = "<DefineShape Anything=\"9\" /><DefineShape />",
     .tags =
         concat({tag(2, hex("09 00 10 00 00 00 11 00")), tag(2, hex("00 00 10 00 00 00 11 00"))})},
    {.name = "StyleChangeChildrenInAnyOrderWithTheIndexInTheFirstAttribute",
     .version = 3,
     .xml = "<DefineShape2 ShapeId=\"1\"><Bounds /><FillStyles><SolidFillStyle /><SolidFillStyle />"
            "<SolidFillStyle /></FillStyles><LineStyles><LineStyle /></LineStyles><Edges>"
            "<StyleChange><SetLine i=\"1\" /><SetFill1 whatever=\"3\" /><Move DY=\"-1\" />"
            "<SetFill0 /><Other /></StyleChange></Edges></DefineShape2>",
     .tags = tag(22, concat({hex("01 00 10 00 03 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 "
                                 "00 00"),
                             bits("0010 0001  0 01111 00010 00 11  00 11 1  000000")}))},
    // An edit can leave a given width too narrow for an index: the arrays' width is written
    // instead, and a width beyond its 4 bits is not taken at all.
    {.name = "AGivenWidthThatNoLongerHoldsAnIndexGivesWayToTheArraysWidth",
     .version = 1,
     .xml = "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles><SolidFillStyle /><SolidFillStyle />"
            "</FillStyles><LineStyles /><Edges FillBits=\"1\" LineBits=\"16\"><StyleChange>"
            "<SetFill0 Index=\"2\" /></StyleChange></Edges></DefineShape>",
     .tags = tag(2, concat({hex("01 00 10 00 02 00 00 00 00 00 00 00 00 00"),
                            bits("0010 0001  0 00010 10  000000")}))},
    // Edited values that no longer fit the widths given are written in the fewest bits; a
    // width beyond its field is not taken.
    {.name = "EdgeWidthsThatNoLongerHoldTheirValuesGiveWay",
     .version = 1,
     .xml = "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles /><LineStyles /><Edges>"
            "<StyleChange><Move DX=\"8\" DY=\"0\" MoveBits=\"2\" /></StyleChange>"
            "<Line DX=\"8\" DY=\"0\" NumBits=\"3\" /><Line DX=\"1\" DY=\"0\" NumBits=\"18\" />"
            "</Edges></DefineShape>",
     .tags = tag(2, concat({hex("01 00 10 00 00 00"),
                            bits("0001 0001  0 00001 00101 01000 00000  11 0011 0 0 01000  "
                                 "11 0000 0 0 01  000000")}))},
    {.name = "AnEmptyStyleChangeDoesNotEndTheShapeAndALoneDYIsVertical",
     .version = 1,
     .xml = "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles /><LineStyles /><Edges>"
            "<Line DY=\"-3\" /><StyleChange /><!-- more --><Line DX=\"2\" /></Edges>"
            "</DefineShape>",
     .tags = tag(2, concat({hex("01 00 10 00 00 00"),
                            bits("0001 0001  11 0001 0 1 101  11 0001 0 0 010  000000")}))},
    {.name = "BitFieldsKeepOnlyTheLowBitsThatFit",
     .version = 8,
     .xml = "<DefineShape4 ShapeId=\"3\" UseScalingStrokes=\"3\" UseNonScalingStrokes=\"2\" "
            "Reserved=\"1\"><LineStyles2><LineStyle Width=\"1\" MitterLimitFactor=\"70000\">"
            "<BitsField JoinStyle=\"6\" EndCapStyle=\"7\" Reserved=\"33\" HasFill=\"2\" />"
            "</LineStyle></LineStyles2><FillStyles><GradientFillStyle Type=\"radial\"><M />"
            "<GradientRecords NumGradients=\"9\" SpreadMode=\"5\" InterpolationMode=\"-1\">"
            "<R Ratio=\"257\" Color=\"#FF\" /><S /></GradientRecords></GradientFillStyle>"
            "</FillStyles></DefineShape4>",
     .tags = tag(83, hex("03 00 10 00 10 00 05 01 12 00 72 01 00 00 00 ff 00 00 00 00 00 01 "
                         "01 00 20 0b 00 00 00 00 00 00 11 00"))},
    {.name = "HasFillComesFromTheBitsFieldAlone",
     .version = 8,
     .xml = "<DefineShape4 ShapeId=\"4\"><LineStyles2><LineStyle Width=\"2\" "
            "Color=\"11223344\"><FillStyle><SolidFillStyle Color=\"ff\" /></FillStyle>"
            "</LineStyle><a><BitsField HasFill=\"1\" /><FillStyle><BitmapFillStyle "
            "Type=\"tiled\" BitmapId=\"5\"><m /></BitmapFillStyle></FillStyle></a>"
            "</LineStyles2></DefineShape4>",
     .tags = tag(83, hex("04 00 10 00 10 00 00 00 02 02 00 00 00 11 22 33 44 00 00 08 00 40 05 "
                         "00 00 12 00"))},
    {.name = "AGradientOfNoKnownKindIsAnEmptyLinearOne",
     .version = 8,
     .xml = "<DefineShape3 ShapeId=\"1\"><Bounds /><FillStyles><GradientFillStyle Type=\"Conic\">"
            "<Matrix><Translate TranslateX=\"1\" /></Matrix><GradientRecords><GradientRecord "
            "Ratio=\"1\" /></GradientRecords></GradientFillStyle></FillStyles></DefineShape3>",
     .tags = tag(32, hex("01 00 10 00 01 10 04 80 00 00 11 00"))},
    {.name = "ABitmapFillOfNoKindFailsTheCompile",
     .version = 8,
     .xml = "<DefineShape3 ShapeId=\"1\"><Bounds /><FillStyles><BitmapFillStyle Type=\"Mosaic\" "
            "BitmapId=\"1\" /></FillStyles></DefineShape3>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: fill style 1: a BitmapFillStyle of type 0x00, "
                "which names no bitmap fill kind (Tiled, Clipped, NonSmoothedTiled, "
                "NonSmoothedClipped) (tag 32 DefineShape3, tag index 0)"},
    {.name = "HasFillWithoutAUsableFillFailsTheCompile",
     .version = 8,
     .xml = "<DefineShape4><LineStyles2><LineStyle><BitsField HasFill=\"1\" /><FillStyle>"
            "<SolidFillStyle /></FillStyle></LineStyle></LineStyles2></DefineShape4>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: line style 1: an extended line style has "
                "HasFill set but no fill style (tag 83 DefineShape4, tag index 0)"},
    {.name = "NewStylesInDefineShapeFailTheCompile",
     .version = 1,
     .xml = "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles /><LineStyles /><Edges>"
            "<StyleChange><NewStyles /></StyleChange></Edges></DefineShape>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: edge record 1: a style change with "
                "NewStyles, which only DefineShape2 and later can hold (tag 2 DefineShape, tag "
                "index 0)"},
    {.name = "AFocalGradientShortOfItsNumGradientsFailsTheCompile",
     .version = 8,
     .xml = "<DefineShape3 ShapeId=\"1\"><Bounds /><FillStyles><GradientFillStyle "
            "Type=\"FocalRadialGradient\"><Matrix /><GradientRecords><BitsField "
            "NumGradients=\"2\" /><GradientRecord /></GradientRecords></GradientFillStyle>"
            "</FillStyles></DefineShape3>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: fill style 1: a focal gradient names 2 "
                "records in its NumGradients but holds only 1 (tag 32 DefineShape3, tag index 0)"},
};

class ShapeXmlInputs : public XmlInputVectorTest {};
TEST_P(ShapeXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Shapes, ShapeXmlInputs, testing::ValuesIn(kShapeXmlInputs),
                         codecVectorName<XmlInputVector>);

// A movie of every shape form, at the top level and inside a sprite.
libswf::SwfBuffer everyShapeMovie() {
    SwfMovie m(false, 8, 11000, 8000, 12.0f);
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->id = 100;
    for (const CodecVector& v : kShapeVectors) {
        for (SwfTags* list : {&m.tags, &sprite->tags}) {
            list->append(v.make());
        }
        sprite->tags.append(std::make_unique<SwfTagShowFrame>());
    }
    m.tags.append(std::move(sprite));
    m.tags.append(std::make_unique<SwfTagShowFrame>());
    return m.write();
}

} // namespace

TEST(ShapeRoundTrips, AMovieOfEveryFormComesBackFromEveryDirection) {
    const Bytes original = toBytes(everyShapeMovie());

    SwfMovie read;
    read.read(original);
    EXPECT_EQ(toHex(toBytes(read.write())), toHex(original)) << "binary -> model -> binary";

    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, original, text)) << writer.failure.describe();
    EXPECT_EQ(text.find("<Unknown"), std::string::npos) << "a shape was kept raw";
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(text, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(original)) << "binary -> XML -> binary";

    swfxml::SwfXmlWriter again;
    std::string text2;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, text2));
    EXPECT_EQ(text2, text) << "XML -> binary -> XML";
}

TEST(ShapeRoundTrips, DefineShape4KeepsTheCountersIdUnlessShapeIdNamesOne) {
    // The positional readers take the first attribute; DefineShape4 looks for ShapeId by name,
    // and without one keeps the conversion's first number.
    const std::uint16_t next = 1;
    Bytes swf;
    std::string failure;
    ASSERT_TRUE(compileXml(
        documentWith(8, "<DefineShape4 Id=\"9\" /><DefineShape4 shapeid=\"9\" />"), swf, failure))
        << failure;
    EXPECT_EQ(toHex(swf), toHex(movieOfTags(8, concat({tag(83, concat({u16(next), hex("10 00 10 00 "
                                                                                      "00 00 00 11 "
                                                                                      "00")})),
                                                       tag(83, hex("09 00 10 00 10 00 00 00 00 "
                                                                   "11 00"))}))));
}
