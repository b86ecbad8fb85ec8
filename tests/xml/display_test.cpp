// PlaceObject2 and PlaceObject3 with clip actions and filters: every form in one table checked
// in all directions, the elements only XML can produce, the refusals of the size pass, and a
// whole movie with every filter and every event through both conversions.
#include "codec_vectors.h"
#include "libswf/display.h"
#include "libswf/exception.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

constexpr const char* kEvents[] = {
    "EventLoad",     "EventEnterFrame", "EventUnload",         "EventMouseMove", "EventMouseDown",
    "EventMouseUp",  "EventKeyDown",    "EventKeyUp",          "EventData",      "EventInitialize",
    "EventPress",    "EventRelease",    "EventReleaseOutside", "EventRollOver",  "EventRollOut",
    "EventDragOver", "EventDragOut",    "EventKeyPress",       "EventConstruct",
};

// The nineteen event attributes of a ClipAction element for these event bits.
std::string eventAttributes(std::uint32_t events) {
    std::string out;
    for (unsigned bit = 0; bit < 19; ++bit)
        out += std::string(" ") + kEvents[bit] + "=\"" + ((events >> bit & 1) ? "true" : "false") +
               "\"";
    return out;
}

std::unique_ptr<SwfClipAction> clip(std::uint32_t events, std::initializer_list<int> codes,
                                    std::uint8_t keyCode = 0) {
    auto action = std::make_unique<SwfClipAction>();
    action->events = events;
    action->keyCode = keyCode;
    for (int code : codes)
        action->actions.push_back(std::make_unique<SwfAction>(static_cast<std::uint8_t>(code)));
    return action;
}

// A PlaceObject3 at depth 1 with only a filter list.
template <class T>
TagFactory withFilter(std::uint8_t id, void (*fill)(T&)) {
    return build<SwfTagPlaceObject3>([id, fill](auto& t) {
        t.extendedFlags = SwfTagPlaceObject3::HasFilterList;
        t.depth = 1;
        auto made = std::make_shared<T>();
        fill(*made);
        t.filters.filters.push_back(std::make_shared<SwfFilter>(id, made));
    });
}

Bytes filterBody(std::uint8_t id, const Bytes& body) {
    return concat({hex("00 01 01 00 01"), Bytes{id}, body});
}

std::string filterXml(const std::string& inner) {
    return "<PlaceObject3 PlaceObject2Value=\"0\" ExtendedValue=\"1\" Depth=\"1\">\n"
           "    <FilterList>\n" +
           inner + "    </FilterList>\n</PlaceObject3>\n";
}

const std::string kIdentity =
    "    <Matrix>\n        <Translate TranslateX=\"0\" TranslateY=\"0\" />\n    </Matrix>\n";

// A colour word with red 0x11, green 0x22, blue 0x33 and alpha 0x44.
constexpr std::uint32_t kColor = 0x44332211;
// 16.16 values: 5.0, 1.5, 0.785 and 4.0; the strength 1.0 in 8.8.
const Bytes kFixedBytes = hex("00 00 05 00  00 80 01 00  0f c9 00 00  00 00 04 00  00 01");
const std::string kFixedXml = "            <BlurX High=\"0\" Low=\"5\" />\n"
                              "            <BlurY High=\"32768\" Low=\"1\" />\n"
                              "            <Angle High=\"51471\" Low=\"0\" />\n"
                              "            <Distance High=\"0\" Low=\"4\" />\n"
                              "            <Strength High=\"0\" Low=\"1\" />\n";

template <class T>
void setFixed(T& f) {
    f.blurX = 0x00050000, f.blurY = 0x00018000, f.angle = 0x0000c90f, f.distance = 0x00040000;
    f.strength = 0x0100;
}

void setGradient(SwfGradientFilter& f) {
    f.colors = {0xff0000ff, 0x00ff0000};
    f.ratios = {0, 255};
    setFixed(f);
}

const Bytes kGradientLists = hex("02 ff 00 00 ff 00 00 ff 00 00 ff");
const std::string kGradientListsXml = "            <GradientColors>\n"
                                      "                <Color>4278190335</Color>\n"
                                      "                <Color>16711680</Color>\n"
                                      "            </GradientColors>\n"
                                      "            <GradientRation>\n"
                                      "                <Ratio>0</Ratio>\n"
                                      "                <Ratio>255</Ratio>\n"
                                      "            </GradientRation>\n";

const CodecVector kDisplayVectors[] = {
    // ---- PlaceObject2 ----------------------------------------------------------------------
    {.name = "PlaceObject2DepthOnly",
     .version = 6,
     .make = build<SwfTagPlaceObject2>([](auto& t) { t.depth = 0x0102; }),
     .body = hex("00 02 01"),
     .xml = "<PlaceObject2 Depth=\"258\" Move=\"false\" />\n"},
    {.name = "PlaceObject2EveryFieldButClipActionsInFileOrder",
     .version = 6,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.move = t.hasCharacter = t.hasMatrix = t.hasColorTransform = true;
         t.hasRatio = t.hasName = t.hasClipDepth = true;
         t.depth = 1, t.characterId = 5, t.ratio = 7, t.name.text = "a", t.clipDepth = 9;
         t.colorTransform.hasAdd = true;
         t.colorTransform.addR = 1, t.colorTransform.addG = 2, t.colorTransform.addB = 3;
         t.colorTransform.addA = 4;
     }),
     // The colour transform carries its alpha term: 4-bit terms 1, 2, 3 and 4.
     .body = hex("7f 01 00 05 00 00 90 48 d0 07 00 61 00 09 00"),
     .xml = "<PlaceObject2 Depth=\"1\" CharacterId=\"5\" Ratio=\"7\" Name=\"a\" ClipDepth=\"9\" "
            "Move=\"true\">\n" +
            kIdentity +
            "    <ColorTransform AddR=\"1\" AddG=\"2\" AddB=\"3\" AddA=\"4\" />\n"
            "</PlaceObject2>\n"},
    {.name = "PlaceObject2ClipActionsVersion6KeyCodeCountsInTheRecordSize",
     .version = 6,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.hasCharacter = t.hasClipActions = true;
         t.depth = 1, t.characterId = 5;
         t.clipActions.push_back(clip(SwfClipAction::Load | SwfClipAction::KeyPress, {7, 0}, 13));
     }),
     .body = hex("82 01 00 05 00  00 00  01 00 02 00  01 00 02 00 03 00 00 00 0d 07 00  "
                 "00 00 00 00"),
     .xml = "<PlaceObject2 Depth=\"1\" CharacterId=\"5\" Move=\"false\">\n    <ClipActions>\n"
            "        <ClipAction" +
            eventAttributes(0x20001) +
            " KeyCode=\"13\">\n            <Stop />\n            <End />\n"
            "        </ClipAction>\n    </ClipActions>\n</PlaceObject2>\n"},
    {.name = "PlaceObject2ClipActionsVersion5HaveSixteenBitWordsAndNoKeyCode",
     .version = 5,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.hasCharacter = t.hasClipActions = true;
         t.depth = 1, t.characterId = 5;
         t.clipActions.push_back(clip(SwfClipAction::Load | SwfClipAction::Press, {7, 0}));
     }),
     .body = hex("82 01 00 05 00  00 00  01 04  01 04 02 00 00 00 07 00  00 00"),
     .xml = "<PlaceObject2 Depth=\"1\" CharacterId=\"5\" Move=\"false\">\n    <ClipActions>\n"
            "        <ClipAction" +
            eventAttributes(0x401) +
            ">\n            <Stop />\n            <End />\n"
            "        </ClipAction>\n    </ClipActions>\n</PlaceObject2>\n"},
    {.name = "PlaceObject2BeforeVersion5KeepsTheFlagWithoutClipActionBytes",
     .version = 4,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.hasCharacter = t.hasClipActions = true;
         t.depth = 1, t.characterId = 5;
     }),
     .body = hex("82 01 00 05 00"),
     .xml = "<PlaceObject2 Depth=\"1\" CharacterId=\"5\" Move=\"false\">\n"
            "    <ClipActions />\n</PlaceObject2>\n"},
    {.name = "ClipActionsAllEventsWordIsTheOrOfTheRecords",
     .version = 6,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.hasClipActions = true;
         t.depth = 1;
         t.clipActions.push_back(clip(SwfClipAction::Load, {0}));
         t.clipActions.push_back(clip(SwfClipAction::EnterFrame | SwfClipAction::Construct, {0}));
     }),
     .body = hex("80 01 00  00 00  03 00 04 00  01 00 00 00 01 00 00 00 00  "
                 "02 00 04 00 01 00 00 00 00  00 00 00 00"),
     .xml = "<PlaceObject2 Depth=\"1\" Move=\"false\">\n    <ClipActions>\n"
            "        <ClipAction" +
            eventAttributes(1) + ">\n            <End />\n        </ClipAction>\n" +
            "        <ClipAction" + eventAttributes(0x40002) +
            ">\n            <End />\n        </ClipAction>\n    </ClipActions>\n"
            "</PlaceObject2>\n",
     .readFrom = hex("80 01 00  00 00  ff ff ff 7f  01 00 00 00 01 00 00 00 00  "
                     "02 00 04 00 01 00 00 00 00  00 00 00 00")},
    {.name = "ClipActionKeyPressRecordOfSizeZeroHasNoKeyCode",
     .version = 8,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.hasClipActions = true;
         t.depth = 1;
         auto action = clip(SwfClipAction::KeyPress, {});
         action->keyCodeOmitted = true;
         t.clipActions.push_back(std::move(action));
     }),
     .body = hex("80 01 00  00 00  00 00 02 00  00 00 02 00 00 00 00 00  00 00 00 00"),
     .xml = "<PlaceObject2 Depth=\"1\" Move=\"false\">\n    <ClipActions>\n"
            "        <ClipAction" +
            eventAttributes(0x20000) + " />\n    </ClipActions>\n</PlaceObject2>\n"},
    {.name = "ClipActionEventBitsAboveTheNamedOnesAreKeptAsReserved",
     .version = 7,
     .make = build<SwfTagPlaceObject2>([](auto& t) {
         t.hasClipActions = true;
         t.depth = 1;
         t.clipActions.push_back(clip(0x80080004, {0}));
     }),
     .body = hex("80 01 00  00 00  04 00 08 80  04 00 08 80 01 00 00 00 00  00 00 00 00"),
     .xml = "<PlaceObject2 Depth=\"1\" Move=\"false\">\n    <ClipActions>\n"
            "        <ClipAction" +
            eventAttributes(4) +
            " Reserved=\"2148007936\">\n            <End />\n        </ClipAction>\n"
            "    </ClipActions>\n</PlaceObject2>\n"},

    // ---- PlaceObject3 ----------------------------------------------------------------------
    {.name = "PlaceObject3ClassNameFirstAndBlendModeAfterTheFilterPlace",
     .version = 8,
     .make = build<SwfTagPlaceObject3>([](auto& t) {
         t.flags = SwfTagPlaceObject3::HasCharacter | SwfTagPlaceObject3::HasMatrix |
                   SwfTagPlaceObject3::HasName;
         t.extendedFlags = SwfTagPlaceObject3::HasBlendMode | SwfTagPlaceObject3::HasClassName;
         t.depth = 2, t.className.text = "C", t.characterId = 3, t.name.text = "n";
         t.blendMode = 5;
     }),
     .body = hex("26 0a 02 00 43 00 03 00 00 6e 00 05"),
     .xml = "<PlaceObject3 PlaceObject2Value=\"38\" ExtendedValue=\"10\" Depth=\"2\" "
            "ClassName=\"C\" CharacterId=\"3\" Name=\"n\" BlendMode=\"5\">\n" +
            kIdentity + "</PlaceObject3>\n"},
    {.name = "PlaceObject3FlagBitsWithoutFieldsAreKept",
     .version = 8,
     .make = build<SwfTagPlaceObject3>(
         [](auto& t) { t.flags = 0x01, t.extendedFlags = 0x90, t.depth = 7; }),
     .body = hex("01 90 07 00"),
     .xml = "<PlaceObject3 PlaceObject2Value=\"1\" ExtendedValue=\"144\" Depth=\"7\" />\n"},
    {.name = "PlaceObject3CacheFlagWithoutItsByte",
     .version = 8,
     .make = build<SwfTagPlaceObject3>(
         [](auto& t) { t.extendedFlags = SwfTagPlaceObject3::HasCacheAsBitmap, t.depth = 1; }),
     .body = hex("00 04 01 00"),
     .xml = "<PlaceObject3 PlaceObject2Value=\"0\" ExtendedValue=\"4\" Depth=\"1\" />\n"},
    {.name = "PlaceObject3CacheVisibleAndBackgroundBytes",
     .version = 10,
     .make = build<SwfTagPlaceObject3>([](auto& t) {
         t.extendedFlags = SwfTagPlaceObject3::HasBlendMode | SwfTagPlaceObject3::HasCacheAsBitmap |
                           SwfTagPlaceObject3::HasVisible | SwfTagPlaceObject3::HasOpaqueBackground;
         t.depth = 1, t.blendMode = 3;
         t.hasBitmapCache = t.hasVisible = t.hasBackgroundColor = true;
         t.bitmapCache = 1, t.visible = 0, t.backgroundColor = 0x800000ff;
     }),
     .body = hex("00 66 01 00 03 01 00 ff 00 00 80"),
     .xml = "<PlaceObject3 PlaceObject2Value=\"0\" ExtendedValue=\"102\" Depth=\"1\" "
            "BlendMode=\"3\" BitmapCache=\"1\" Visible=\"0\" BackgroundColor=\"2147483903\" />\n"},
    {.name = "PlaceObject3ClipActionsAfterTheCacheByte",
     .version = 8,
     .make = build<SwfTagPlaceObject3>([](auto& t) {
         t.flags = SwfTagPlaceObject3::HasClipActions;
         t.extendedFlags = SwfTagPlaceObject3::HasCacheAsBitmap;
         t.depth = 1, t.hasBitmapCache = true, t.bitmapCache = 1;
         t.clipActions.push_back(clip(SwfClipAction::Unload, {0}));
     }),
     .body = hex("80 04 01 00 01  00 00  04 00 00 00  04 00 00 00 01 00 00 00 00  00 00 00 00"),
     .xml = "<PlaceObject3 PlaceObject2Value=\"128\" ExtendedValue=\"4\" Depth=\"1\" "
            "BitmapCache=\"1\">\n    <ClipActions>\n        <ClipAction" +
            eventAttributes(4) +
            ">\n            <End />\n        </ClipAction>\n    </ClipActions>\n"
            "</PlaceObject3>\n"},

    // ---- filters, one per row, inside a PlaceObject3 -----------------------------------------
    {.name = "DropShadowFilter",
     .version = 8,
     .make = withFilter<SwfDropShadowFilter>(0,
                                             [](SwfDropShadowFilter& f) {
                                                 f.color = kColor;
                                                 setFixed(f);
                                                 f.flags = 0xa1;
                                             }),
     .body = filterBody(0, concat({hex("11 22 33 44"), kFixedBytes, hex("a1")})),
     .xml = filterXml("        <DropShadowFilter DropShadowColor=\"1144201745\">\n" + kFixedXml +
                      "            <BitsField Passes=\"1\" InnerShadow=\"1\" Knockout=\"0\" "
                      "CompositeSource=\"1\" />\n        </DropShadowFilter>\n")},
    {.name = "BlurFilter",
     .version = 8,
     .make = withFilter<SwfBlurFilter>(1,
                                       [](SwfBlurFilter& f) {
                                           f.blurX = f.blurY = 0x00020000;
                                           f.flags = 3 << 3;
                                       }),
     .body = filterBody(1, hex("00 00 02 00 00 00 02 00 18")),
     .xml = filterXml("        <BlurFilter>\n            <BlurX High=\"0\" Low=\"2\" />\n"
                      "            <BlurY High=\"0\" Low=\"2\" />\n"
                      "            <BitsField Passes=\"3\" />\n        </BlurFilter>\n")},
    {.name = "BlurFilterReservedBits",
     .version = 8,
     .make = withFilter<SwfBlurFilter>(1, [](SwfBlurFilter& f) { f.flags = 0xfd; }),
     .body = filterBody(1, hex("00 00 00 00 00 00 00 00 fd")),
     .xml = filterXml("        <BlurFilter>\n            <BlurX High=\"0\" Low=\"0\" />\n"
                      "            <BlurY High=\"0\" Low=\"0\" />\n"
                      "            <BitsField Passes=\"31\" Reserved=\"5\" />\n"
                      "        </BlurFilter>\n")},
    {.name = "GlowFilter",
     .version = 8,
     .make = withFilter<SwfGlowFilter>(2,
                                       [](SwfGlowFilter& f) {
                                           f.color = 0xff0000ff;
                                           f.blurX = f.blurY = 0x00060000;
                                           f.strength = 0x0280;
                                           f.flags = 0x41;
                                       }),
     .body = filterBody(2, hex("ff 00 00 ff 00 00 06 00 00 00 06 00 80 02 41")),
     .xml = filterXml("        <GlowFilter RGBA=\"4278190335\">\n"
                      "            <BlurX High=\"0\" Low=\"6\" />\n"
                      "            <BlurY High=\"0\" Low=\"6\" />\n"
                      "            <Strength High=\"128\" Low=\"2\" />\n"
                      "            <BitsField Passes=\"1\" InnerShadow=\"0\" Knockout=\"1\" "
                      "CompositeSource=\"0\" />\n        </GlowFilter>\n")},
    {.name = "BevelFilter",
     .version = 8,
     .make = withFilter<SwfBevelFilter>(3,
                                        [](SwfBevelFilter& f) {
                                            f.shadowColor = 0xff000000;
                                            f.highlightColor = 0xffffffff;
                                            setFixed(f);
                                            f.flags = 0x91;
                                        }),
     .body = filterBody(3, concat({hex("00 00 00 ff ff ff ff ff"), kFixedBytes, hex("91")})),
     .xml = filterXml("        <BevelFilter ShadowColor=\"4278190080\" "
                      "HighlightColor=\"4294967295\">\n" +
                      kFixedXml +
                      "            <BitsField Passes=\"1\" InnerShadow=\"1\" Knockout=\"0\" "
                      "CompositeSource=\"0\" OnTop=\"1\" />\n        </BevelFilter>\n")},
    {.name = "GradientGlowListsComeFirst",
     .version = 8,
     .make = withFilter<SwfGradientGlowFilter>(4,
                                               [](SwfGradientGlowFilter& f) {
                                                   setGradient(f);
                                                   f.flags = 0x51;
                                               }),
     .body = filterBody(4, concat({kGradientLists, kFixedBytes, hex("51")})),
     .xml = filterXml("        <GradientGlow NumColors=\"2\">\n" + kGradientListsXml + kFixedXml +
                      "            <BitsField Passes=\"1\" InnerShadow=\"1\" Knockout=\"0\" "
                      "CompositeSource=\"1\" OnTop=\"0\" />\n        </GradientGlow>\n")},
    {.name = "GradientBevelListsComeLast",
     .version = 8,
     .make = withFilter<SwfGradientBevelFilter>(7,
                                                [](SwfGradientBevelFilter& f) {
                                                    setGradient(f);
                                                    f.flags = 0xd2;
                                                }),
     .body = filterBody(7, concat({kGradientLists, kFixedBytes, hex("d2")})),
     .xml = filterXml("        <GradientBevelFilter NumColors=\"2\">\n" + kFixedXml +
                      "            <BitsField Passes=\"2\" InnerShadow=\"1\" Knockout=\"0\" "
                      "CompositeSource=\"1\" OnTop=\"1\" />\n" +
                      kGradientListsXml + "        </GradientBevelFilter>\n")},
    {.name = "ConvolutionFilterThreeByThreeIs51Bytes",
     .version = 8,
     .make = withFilter<SwfConvolutionFilter>(5,
                                              [](SwfConvolutionFilter& f) {
                                                  f.matrixX = f.matrixY = 3;
                                                  f.divisor = 1.0f;
                                                  f.matrix = {0, 1, 0, 1, -4, 1, 0, 1, 0};
                                                  f.defaultColor = 0xff000000;
                                                  f.flags = 0x03;
                                              }),
     .body = filterBody(5, hex("03 03 00 00 80 3f 00 00 00 00"
                               "  00 00 00 00 00 00 80 3f 00 00 00 00"
                               "  00 00 80 3f 00 00 80 c0 00 00 80 3f"
                               "  00 00 00 00 00 00 80 3f 00 00 00 00"
                               "  00 00 00 ff 03")),
     .xml = filterXml("        <ConvolutionFilter MatrixX=\"3\" MatrixY=\"3\" Divisor=\"1\" "
                      "Bias=\"0\" DefaultColor=\"4278190080\">\n"
                      "            <BitsField Clamp=\"1\" Reserved=\"1\" />\n"
                      "            <Matrix>\n"
                      "                <Code>0</Code>\n                <Code>1</Code>\n"
                      "                <Code>0</Code>\n                <Code>1</Code>\n"
                      "                <Code>-4</Code>\n                <Code>1</Code>\n"
                      "                <Code>0</Code>\n                <Code>1</Code>\n"
                      "                <Code>0</Code>\n            </Matrix>\n"
                      "        </ConvolutionFilter>\n")},
    {.name = "ConvolutionFilterReservedBitsAroundClamp",
     .version = 8,
     .make = withFilter<SwfConvolutionFilter>(5,
                                              [](SwfConvolutionFilter& f) {
                                                  f.bias = 0.5f;
                                                  f.flags = 0xfc;
                                              }),
     .body = filterBody(5, hex("00 00 00 00 00 00 00 00 00 3f 00 00 00 00 fc")),
     .xml = filterXml("        <ConvolutionFilter MatrixX=\"0\" MatrixY=\"0\" Divisor=\"0\" "
                      "Bias=\"0.5\" DefaultColor=\"0\">\n"
                      "            <BitsField Clamp=\"0\" Reserved=\"252\" />\n"
                      "            <Matrix />\n        </ConvolutionFilter>\n")},
    {.name = "ColorMatrixFilterTwentyFloats",
     .version = 8,
     .make = withFilter<SwfColorMatrixFilter>(6,
                                              [](SwfColorMatrixFilter& f) {
                                                  f.matrix[0] = 1.0f;
                                                  f.matrix[6] = 0.1f;
                                                  f.matrix[19] = -255.0f;
                                              }),
     .body = filterBody(6, concat({hex("00 00 80 3f"), Bytes(20, 0), hex("cd cc cc 3d"),
                                   Bytes(48, 0), hex("00 00 7f c3")})),
     .xml = filterXml([] {
         std::string values;
         for (int i = 0; i < 20; ++i)
             values += std::string("                <Value>") +
                       (i == 0    ? "1"
                        : i == 6  ? "0.100000001"
                        : i == 19 ? "-255"
                                  : "0") +
                       "</Value>\n";
         return "        <ColorMatrixFilter>\n            <Matrix>\n" + values +
                "            </Matrix>\n        </ColorMatrixFilter>\n";
     }())},
};

class DisplayCodecs : public CodecVectorTest {};
TEST_P(DisplayCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Display, DisplayCodecs, testing::ValuesIn(kDisplayVectors),
                         codecVectorName<CodecVector>);

const std::string kSizeFailure = "line 2, column 2: ValueOutOfRange: ";

const XmlInputVector kDisplayXmlInputs[] = {
    {.name = "PlaceObject2FieldsSetTheirFlags",
     .version = 6,
     .xml = "<placeobject2 depth=\"3\" NAME=\"\" Move=\"TRUE\"><matrix /><Other /></placeobject2>"
            "<PlaceObject2 Move=\"yes\" Ratio=\"x\" />",
     .tags = concat({tag(26, hex("25 03 00 00 00")), tag(26, hex("10 00 00 00 00"))})},
    {.name = "PlaceObject3AnnouncedNamesWithoutTextAreEmptyStrings",
     .version = 8,
     .xml = "<PlaceObject3 PlaceObject2Value=\"32\" ExtendedValue=\"8\" Depth=\"1\" />",
     .tags = tag(70, hex("20 08 01 00 00 00"))},
    {.name = "PlaceObject3AnnouncedMatrixWithoutElementIsTheIdentity",
     .version = 8,
     .xml = "<PlaceObject3 PlaceObject2Value=\"4\" Depth=\"1\" />",
     .tags = tag(70, hex("04 00 01 00 00"))},
    {.name = "PlaceObject3AttributesAndChildrenSetTheirBits",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\" BlendMode=\"2\" BitmapCache=\"0\" ClassName=\"\">"
            "<FilterList /></PlaceObject3>",
     .tags = tag(70, hex("00 0f 01 00 00 00 02 00"))},
    {.name = "PlaceObject3VisibleAloneWritesTheAnnouncedCacheByteBeforeIt",
     .version = 8,
     .xml = "<PlaceObject3 ExtendedValue=\"4\" Depth=\"1\" Visible=\"1\" "
            "BackgroundColor=\"0xff\" />",
     .tags = tag(70, hex("00 64 01 00 00 01 ff 00 00 00"))},
    {.name = "EventAttributeSetsOnlyItsBitAndKeyCodeNeedsKeyPress",
     .version = 6,
     .xml = "<PlaceObject2><ClipActions><ClipAction EventUnload=\"TRUE\" EventLoad=\"1\" "
            "KeyCode=\"9\" /><Whatever EventKeyPress=\"true\" KeyCode=\"65\"><Stop />"
            "</Whatever></ClipActions></PlaceObject2>",
     .tags = tag(26, hex("80 00 00  00 00  04 00 02 00  04 00 00 00 00 00 00 00  "
                         "00 00 02 00 03 00 00 00 41 07 00  00 00 00 00"))},
    {.name = "KeyPressWithActionsAndNoKeyCodeWritesKeyCodeZero",
     .version = 6,
     .xml = "<PlaceObject2><ClipActions><ClipAction EventKeyPress=\"true\"><End /></ClipAction>"
            "</ClipActions></PlaceObject2>",
     .tags = tag(26, hex("80 00 00  00 00  00 00 02 00  00 00 02 00 02 00 00 00 00 00  "
                         "00 00 00 00"))},
    {.name = "ColourWordsInDecimalHexadecimalAndOctal",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList><DropShadowFilter DropShadowColor=\"0xff\" />"
            "<GlowFilter RGBA=\"0377\" /><Unknown /><gradientglow><GradientColors>"
            "<Color>0x10</Color><Color /></GradientColors><GradientRation><Ratio>256</Ratio>"
            "</GradientRation></gradientglow></FilterList></PlaceObject3>",
     .tags =
         tag(70, concat({hex("00 01 01 00 03  00 ff 00 00 00"), Bytes(19, 0), hex("02 ff 00 00 00"),
                         Bytes(11, 0), hex("04 01 10 00 00 00 00"), Bytes(19, 0)}))},
    {.name = "BitsFieldFlagsTakeBitZeroAndPassesTheirWidth",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList>"
            "<BlurFilter><BitsField Passes=\"33\" Reserved=\"15\" /></BlurFilter>"
            "<ConvolutionFilter><BitsField Clamp=\"3\" Reserved=\"255\" /></ConvolutionFilter>"
            "<BevelFilter><BitsField Passes=\"17\" OnTop=\"2\" Knockout=\"3\" /></BevelFilter>"
            "</FilterList></PlaceObject3>",
     .tags = tag(70, concat({hex("00 01 01 00 03  01"), Bytes(8, 0), hex("0f  05"), Bytes(14, 0),
                             hex("ff  03"), Bytes(26, 0), hex("21")}))},
    {.name = "BlurXHighIsTheFractionWord",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList><BlurFilter><BlurX High=\"0\" Low=\"5\" />"
            "<BlurY High=\"1\" Low=\"65536\" /></BlurFilter></FilterList></PlaceObject3>",
     .tags = tag(70, hex("00 01 01 00 01 01  00 00 05 00  01 00 00 00  00"))},
    {.name = "ColorMatrixTakesTheFirstTwentyValuesOfItsFirstChild",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList><ColorMatrixFilter><Values><V>2</V><V />"
            "<V>-1</V></Values><Matrix><V>5</V></Matrix></ColorMatrixFilter></FilterList>"
            "</PlaceObject3>",
     .tags = tag(70, concat({hex("00 01 01 00 01 06  00 00 00 40  00 00 80 bf"), Bytes(72, 0)}))},
    {.name = "GradientWithoutColoursFailsTheCompile",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList><GradientGlow NumColors=\"1\" /></FilterList>"
            "</PlaceObject3>",
     .tags = {},
     .failure = kSizeFailure + "a GradientGlow filter has no colours; a gradient needs one "
                               "(tag 70 PlaceObject3, tag index 0)"},
    {.name = "GradientColoursWithoutTheirRatiosFailTheCompile",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList><GradientBevelFilter><GradientColors>"
            "<Color>1</Color></GradientColors></GradientBevelFilter></FilterList>"
            "</PlaceObject3>",
     .tags = {},
     .failure = kSizeFailure + "a GradientBevelFilter filter has 1 colours but 0 ratios; every "
                               "colour needs its ratio (tag 70 PlaceObject3, tag index 0)"},
    {.name = "ConvolutionValuesNotMatchingTheDimensionsFailTheCompile",
     .version = 8,
     .xml = "<PlaceObject3 Depth=\"1\"><FilterList><ConvolutionFilter MatrixX=\"3\" "
            "MatrixY=\"3\"><Matrix><Code>1</Code></Matrix></ConvolutionFilter></FilterList>"
            "</PlaceObject3>",
     .tags = {},
     .failure = kSizeFailure + "a ConvolutionFilter of 3 x 3 needs 9 values, not 1 (tag 70 "
                               "PlaceObject3, tag index 0)"},
    {.name = "ClipActionWithoutEventsFailsTheCompile",
     .version = 6,
     .xml = "<PlaceObject2><ClipActions><ClipAction EventLoad=\"false\"><Stop /></ClipAction>"
            "</ClipActions></PlaceObject2>",
     .tags = {},
     .failure = kSizeFailure + "a clip action has no events; its event word of 0 would end the "
                               "list (tag 26 PlaceObject2, tag index 0)"},
    {.name = "KeyPressInAVersion5ClipActionFailsTheCompile",
     .version = 5,
     .xml = "<PlaceObject2><ClipActions><ClipAction EventKeyPress=\"true\" EventLoad=\"true\" "
            "/></ClipActions></PlaceObject2>",
     .tags = {},
     .failure = kSizeFailure + "a clip action has events 0x20000 that the 16-bit event word of "
                               "version 5 cannot hold; DragOut, KeyPress and Construct need "
                               "version 6 (tag 26 PlaceObject2, tag index 0)"},
};

class DisplayXmlInputs : public XmlInputVectorTest {};
TEST_P(DisplayXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Display, DisplayXmlInputs, testing::ValuesIn(kDisplayXmlInputs),
                         codecVectorName<XmlInputVector>);

} // namespace

TEST(DisplayTags, ClipActionsBeforeVersion5AreNeitherReadNorWritten) {
    // Bytes after the depth are not clip actions in a version-4 movie.
    SwfMovie m;
    m.read(movieOfTags(4, tag(26, hex("80 00 00 ff ff"))));
    const auto& read = static_cast<const SwfTagPlaceObject2&>(m.tags[0]);
    EXPECT_TRUE(read.hasClipActions);
    EXPECT_TRUE(read.clipActions.empty());

    // Records there cannot be written, and are refused rather than dropped.
    auto place = std::make_unique<SwfTagPlaceObject2>();
    place->hasClipActions = true;
    place->clipActions.push_back(clip(SwfClipAction::Load, {7, 0}));
    EXPECT_EQ(tagWriteFailure(4, std::move(place)),
              "ValueOutOfRange: PlaceObject2 has 1 clip actions, but movies before version 5 "
              "cannot hold them (this is version 4) (tag 26 PlaceObject2, tag index 0)");
}

TEST(DisplayTags, FilterListsRefuseUnknownIdsAndTooManyFilters) {
    EXPECT_EQ(tagReadFailure(8, 70, hex("00 01 01 00 01 08")),
              "UnexpectedEnd: filter id 8 names no filter (0 to 7) (tag 70 PlaceObject3 at "
              "offset 21, tag index 0)");
    EXPECT_EQ(tagReadFailure(8, 70, hex("00 01 01 00 02 01 00 00 00 00 00 00 00 00 01")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 70 "
              "PlaceObject3 at offset 21, tag index 0; failed at offset 38)");
    // A gradient without colours could not be written back, so it is not read either.
    EXPECT_EQ(tagReadFailure(8, 70, hex("00 01 01 00 01 04 00")),
              "ValueOutOfRange: a GradientGlow filter has no colours; a gradient needs one (tag "
              "70 PlaceObject3 at offset 21, tag index 0)");

    auto place = std::make_unique<SwfTagPlaceObject3>();
    place->extendedFlags = SwfTagPlaceObject3::HasFilterList;
    for (int i = 0; i < 256; ++i)
        place->filters.filters.push_back(
            std::make_shared<SwfFilter>(SwfFilter::Blur, SwfFilter::create(SwfFilter::Blur)));
    EXPECT_EQ(tagWriteFailure(8, std::move(place)),
              "ValueOutOfRange: a filter list has 256 filters, more than the 255 its count can "
              "hold (tag 70 PlaceObject3, tag index 0)");

    auto mismatched = std::make_unique<SwfTagPlaceObject3>();
    mismatched->extendedFlags = SwfTagPlaceObject3::HasFilterList;
    mismatched->filters.filters.push_back(
        std::make_shared<SwfFilter>(SwfFilter::GradientGlow, SwfFilter::create(SwfFilter::Blur)));
    EXPECT_EQ(tagWriteFailure(8, std::move(mismatched)),
              "ValueOutOfRange: filter id 4 does not match the filter it holds (tag 70 "
              "PlaceObject3, tag index 0)");
}

TEST(DisplayTags, ColourTransformsHaveAlphaWhateverTheTagsAroundThem) {
    // PlaceObject (without alpha) between two PlaceObject2 tags: each keeps its own form.
    SwfMovie m;
    const Bytes tags =
        concat({tag(26, hex("08 01 00 90 48 d0")), tag(4, hex("01 00 01 00 00 88 c0")),
                tag(26, hex("08 01 00 90 48 d0"))});
    m.read(movieOfTags(8, tags));
    ASSERT_EQ(m.tags.size(), 3u);
    EXPECT_EQ(static_cast<const SwfTagPlaceObject2&>(m.tags[2]).colorTransform.addA, 4);
    m.compressed = false;
    EXPECT_EQ(toHex(toBytes(m.write())), toHex(movieOfTags(8, tags)));
}

namespace {

// A movie with a PlaceObject2 whose clip action answers every event, a PlaceObject3 with
// every field and every filter, and the same inside a sprite.
void appendEveryFilterAndEvent(SwfTags& tags) {
    auto place2 = std::make_unique<SwfTagPlaceObject2>();
    place2->hasCharacter = place2->hasClipActions = place2->hasName = true;
    place2->depth = 1, place2->characterId = 1, place2->name.text = "clip";
    place2->clipActions.push_back(clip(SwfClipAction::NamedEvents, {7, 6, 0}, 32));
    place2->clipActions.push_back(clip(SwfClipAction::Data, {0}));
    tags.append(std::move(place2));

    auto place3 = std::make_unique<SwfTagPlaceObject3>();
    place3->flags = 0xff;
    place3->extendedFlags = 0x7f;
    place3->depth = 2, place3->characterId = 2, place3->ratio = 3, place3->clipDepth = 4;
    place3->className.text = "a.B", place3->name.text = "n";
    place3->matrix.hasRotate = true, place3->matrix.rotateSkew0 = 0.25;
    place3->colorTransform.hasMult = true, place3->colorTransform.mulA = 128;
    place3->blendMode = 14, place3->hasBitmapCache = true, place3->bitmapCache = 1;
    place3->hasVisible = true, place3->hasBackgroundColor = true;
    place3->backgroundColor = 0x12345678;
    for (std::uint8_t id = 0; id < 8; ++id) {
        auto made = SwfFilter::create(id);
        if (auto* g = dynamic_cast<SwfGradientFilter*>(made.get()))
            setGradient(*g), g->flags = 0xff;
        if (auto* c = dynamic_cast<SwfConvolutionFilter*>(made.get()))
            c->matrixX = 2, c->matrixY = 1, c->matrix = {0.5f, -1.0f}, c->flags = 0xff;
        if (auto* b = dynamic_cast<SwfBlurFilter*>(made.get()))
            b->flags = 0xff;
        place3->filters.filters.push_back(std::make_shared<SwfFilter>(id, made));
    }
    place3->clipActions.push_back(clip(0xfff80000 | SwfClipAction::KeyPress, {0}, 65));
    tags.append(std::move(place3));
}

// A movie with a PlaceObject2 whose clip action answers every event and a PlaceObject3 with
// every field and every filter, then the same inside a sprite.
Bytes everyFilterAndEventMovie() {
    SwfMovie m(false, 10, 11000, 8000, 12.0f);
    appendEveryFilterAndEvent(m.tags);
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->id = 3;
    appendEveryFilterAndEvent(sprite->tags);
    m.tags.append(std::move(sprite));
    return toBytes(m.write());
}

} // namespace

TEST(DisplayTags, EveryFilterAndEventSurvivesBothConversions) {
    const Bytes swf = everyFilterAndEventMovie();
    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, text)) << writer.failure.describe();
    for (const char* name : {"DropShadowFilter", "BlurFilter", "GlowFilter", "BevelFilter",
                             "GradientGlow", "ConvolutionFilter", "ColorMatrixFilter",
                             "GradientBevelFilter", "Reserved=\"4294443008\"", "KeyCode=\"65\""})
        EXPECT_NE(text.find(name), std::string::npos) << name;

    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(text, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(swf)) << "binary -> XML -> binary";

    swfxml::SwfXmlWriter again;
    std::string text2;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, text2));
    EXPECT_EQ(text2, text) << "XML -> binary -> XML";
}
