// Field widths of the shared records that a file gave other than the fewest bits: shown as
// NBits, compiled back to the same bytes, and dropped where they no longer hold the values
// or do not fit their width field.
#include "codec_vectors.h"
#include "libswf/control.h"
#include "libswf/display.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

const CodecVector kRecordWidthVectors[] = {
    {.name = "ZeroRectangleInNoBits",
     .version = 8,
     .make = build<SwfTagDefineScalingGrid>([](auto& t) { t.id = 4, t.splitter.givenBits = 0; }),
     .body = hex("04 00 00"),
     .xml = "<DefineScalingGrid CharacterId=\"4\">\n"
            "    <Rect MaxX=\"0\" MaxY=\"0\" MinX=\"0\" MinY=\"0\" NBits=\"0\" />\n"
            "</DefineScalingGrid>\n"},
    // A zero translation in 1-bit fields and a colour transform without terms of width 1.
    {.name = "OneBitTranslationAndEmptyColorTransform",
     .version = 6,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.depth = 1;
         t.hasMatrix = t.hasColorTransform = true;
         t.matrix.givenTranslateBits = 1;
         t.colorTransform.givenBits = 1;
     }),
     .body = hex("0c 01 00 02 00 04"),
     .xml = "<PlaceObject2 Depth=\"1\" Move=\"false\">\n"
            "    <Matrix>\n"
            "        <Translate TranslateX=\"0\" TranslateY=\"0\" NBits=\"1\" />\n"
            "    </Matrix>\n"
            "    <ColorTransform NBits=\"1\" />\n"
            "</PlaceObject2>\n"},
    // Scale 1.0 in 20 bits, rotation zeros in 3, multiplication terms 256 in 12 (no alpha).
    {.name = "WideScaleRotationAndTerms",
     .version = 3,
     .make = build<SwfTagPlaceObject>([](auto& t) {
         t.characterId = 2, t.depth = 5;
         t.matrix.hasScale = t.matrix.hasRotate = true;
         t.matrix.givenScaleBits = 20, t.matrix.givenRotateBits = 3;
         t.hasColorTransform = t.colorTransform.hasMult = true;
         t.colorTransform.mulR = t.colorTransform.mulG = t.colorTransform.mulB = 256;
         t.colorTransform.givenBits = 12;
     }),
     .body = hex("02 00 05 00  d0 40 00 04 00 02 30 00  70 40 04 00 40 00"),
     .xml =
         "<PlaceObject CharacterId=\"2\" Depth=\"5\">\n"
         "    <Matrix>\n"
         "        <Translate TranslateX=\"0\" TranslateY=\"0\" />\n"
         "        <Scale ScaleX=\"1\" ScaleY=\"1\" NBits=\"20\" />\n"
         "        <Rotate RotateSkew0=\"0\" RotateSkew1=\"0\" NBits=\"3\" />\n"
         "    </Matrix>\n"
         "    <ColorTransform MulR=\"256\" MulG=\"256\" MulB=\"256\" MulA=\"0\" NBits=\"12\" />\n"
         "</PlaceObject>\n"},
};

class RecordWidthCodecs : public CodecVectorTest {};
TEST_P(RecordWidthCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(RecordWidths, RecordWidthCodecs, testing::ValuesIn(kRecordWidthVectors),
                         codecVectorName<CodecVector>);

std::string grid(const std::string& rectAttributes) {
    return "<DefineScalingGrid CharacterId=\"4\"><Rect " + rectAttributes +
           " /></DefineScalingGrid>";
}

std::string placed(const std::string& inner) {
    return "<PlaceObject2 Depth=\"1\">" + inner + "</PlaceObject2>";
}

const XmlInputVector kRecordWidthXmlInputs[] = {
    // Widths beyond the width field, or not wholly a number, leave the fewest bits.
    {.name = "RectangleWidthsOutOfRangeIgnored",
     .version = 8,
     .xml = grid("NBits=\"32\"") + grid("NBits=\"-1\"") + grid("NBits=\"x\"") + grid("NBits=\"\"") +
            grid("NBits=\"2 \""),
     .tags = concat({tag(78, hex("04 00 10 00")), tag(78, hex("04 00 10 00")),
                     tag(78, hex("04 00 10 00")), tag(78, hex("04 00 10 00")),
                     tag(78, hex("04 00 10 00"))})},
    {.name = "RectangleWidthsAtTheEdgesOfTheFieldTaken",
     .version = 8,
     .xml = grid("nbits=\"0\"") + grid("NBits=\"31\""),
     .tags = concat({tag(78, hex("04 00 00")),
                     tag(78, hex("04 00 f8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"))})},
    {.name = "ColorTransformWidthBeyondFourBitsIgnored",
     .version = 6,
     .xml = placed("<ColorTransform AddR=\"1\" NBits=\"16\" />") +
            placed("<ColorTransform AddR=\"1\" NBits=\"15\" />"),
     .tags = concat(
         {tag(26, hex("08 01 00 89 00")), tag(26, hex("08 01 00 bc 00 08 00 00 00 00 00 00"))})},
    // Values that no longer fit the width given are written in the fewest bits.
    {.name = "EditedValuesBeyondTheGivenWidth",
     .version = 6,
     .xml = grid("MaxX=\"1\" NBits=\"0\"") +
            placed("<Matrix><Translate TranslateX=\"5\" TranslateY=\"0\" NBits=\"1\" /></Matrix>"),
     .tags = concat({tag(78, hex("04 00 10 80")), tag(26, hex("04 01 00 08 a0"))})},
    // A width alone does not bring its pair in.
    {.name = "MatrixWidthWithoutItsPairIgnored",
     .version = 6,
     .xml = placed("<Matrix><Scale NBits=\"5\" /><Rotate NBits=\"5\" /></Matrix>"),
     .tags = tag(26, hex("04 01 00 00"))},
};

class RecordWidthXmlInputs : public XmlInputVectorTest {};
TEST_P(RecordWidthXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(RecordWidths, RecordWidthXmlInputs,
                         testing::ValuesIn(kRecordWidthXmlInputs), codecVectorName<XmlInputVector>);

} // namespace
