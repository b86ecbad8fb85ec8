// One object's XML text on its own: the exact text of tags, actions and records with values
// set, nested children indented as among a movie's tags, and records that their family
// writes only inside a container taken out of it whole.
#include "libswf/exception.h"
#include "swfxml/fragment.h"

#include <functional>
#include <gtest/gtest.h>

using namespace libswf;
using swfxml::fragmentXml;

namespace {

struct Row {
    const char* name;
    std::function<std::string()> make;
    const char* text;
};

template <class T, class Set>
std::function<std::string()> with(Set set) {
    return [set] {
        T object;
        set(object);
        return fragmentXml(object);
    };
}

const Row kRows[] = {
    {"TagWithChildren", with<SwfTagDefineScalingGrid>([](auto& t) {
         t.id = 3;
         t.splitter = SwfRect(-20, 0, 40, 60);
     }),
     "<DefineScalingGrid CharacterId=\"3\">\n"
     "        <Rect MaxX=\"40\" MaxY=\"60\" MinX=\"-20\" MinY=\"0\" />\n"
     "    </DefineScalingGrid>"},
    {"EmptyTag", with<SwfTagShowFrame>([](auto&) {}), "<ShowFrame />"},
    {"RawTagTakesTheUnknownForm",
     [] {
         SwfTagUnknown raw(200, false);
         raw.body = {1, 2, 3};
         return fragmentXml(raw);
     },
     "<Unknown TagType=\"200\">\n"
     "        <Data><![CDATA[\n"
     "            AQID\n"
     "            ]]></Data>\n"
     "    </Unknown>"},
    {"ActionWithBodyTwoLevelsDeep", with<SwfActionDefineFunction>([](auto& a) {
         a.name.text = "f";
         a.parameters.push_back(std::make_unique<SwfString>("x"));
         a.body.push_back(std::make_unique<SwfAction>(0x06));
     }),
     "<DefineFunction Name=\"f\">\n"
     "        <Params>\n"
     "            <Param Value=\"x\" />\n"
     "        </Params>\n"
     "        <Actions>\n"
     "            <Play />\n"
     "        </Actions>\n"
     "    </DefineFunction>"},
    {"PlainAction", [] { return fragmentXml(SwfAction(0x9E)); }, "<Call />"},
    {"PushValue", with<SwfValueString>([](auto& v) { v.text.text = "a<b"; }),
     "<String Name=\"a&lt;b\" />"},
    {"NullValue", [] { return fragmentXml(SwfValue(SwfValue::Null)); }, "<Null />"},
    {"Rect", [] { return fragmentXml(SwfRect(1, 2, 3, 4)); },
     "<Rect MaxX=\"3\" MaxY=\"4\" MinX=\"1\" MinY=\"2\" />"},
    {"MatrixWithScale", with<SwfMatrix>([](auto& m) {
         m.hasScale = true;
         m.scaleX = 2;
         m.translateX = 20;
     }),
     "<Matrix>\n"
     "        <Translate TranslateX=\"20\" TranslateY=\"0\" />\n"
     "        <Scale ScaleX=\"2\" ScaleY=\"1\" />\n"
     "    </Matrix>"},
    {"ColorTransform", with<SwfColorTransform>([](auto& c) {
         c.hasAdd = true;
         c.addR = -5;
     }),
     "<ColorTransform AddR=\"-5\" AddG=\"0\" AddB=\"0\" AddA=\"0\" />"},
    {"Line", [] { return fragmentXml(SwfLine(10, -10)); }, "<Line DX=\"10\" DY=\"-10\" />"},
    {"Curve", [] { return fragmentXml(SwfCurve(1, 2, 3, 4)); },
     "<Curve CDX=\"1\" CDY=\"2\" ADX=\"3\" ADY=\"4\" />"},
    {"GradientFill", with<SwfGradientFillStyle>([](auto& f) {
         f.type = SwfFillStyle::RadialGradient;
         f.gradient.push_back(std::make_unique<SwfGradientRecord>(255, SwfColor(1, 2, 3, 4)));
     }),
     "<GradientFillStyle Type=\"Radial\">\n"
     "        <Matrix>\n"
     "            <Translate TranslateX=\"0\" TranslateY=\"0\" />\n"
     "        </Matrix>\n"
     "        <GradientRecords NumGradients=\"0\" InterpolationMode=\"0\" SpreadMode=\"0\">\n"
     "            <GradientRecord Ratio=\"255\" Color=\"1020304\" />\n"
     "        </GradientRecords>\n"
     "    </GradientFillStyle>"},
    {"GradientRecord", [] { return fragmentXml(SwfGradientRecord(7, SwfColor(255, 0, 0, 255))); },
     "<GradientRecord Ratio=\"7\" Color=\"ff0000ff\" />"},
    {"MorphGradientRecord", with<SwfMorphGradientRecord>([](auto& r) {
         r.startRatio = 1;
         r.endRatio = 2;
         r.endColor = SwfColor(0, 0, 255, 0);
     }),
     "<MorphGradientRecord StartRatio=\"1\" EndRatio=\"2\" StartColor=\"0\" EndColor=\"ff00\" />"},
    {"Filter",
     [] {
         auto blur = std::make_shared<SwfBlurFilter>();
         blur->blurX = 0x00020000;
         blur->flags = 1 << 3;
         return fragmentXml(SwfFilter(SwfFilter::Blur, blur));
     },
     "<BlurFilter>\n"
     "        <BlurX High=\"0\" Low=\"2\" />\n"
     "        <BlurY High=\"0\" Low=\"0\" />\n"
     "        <BitsField Passes=\"1\" />\n"
     "    </BlurFilter>"},
    {"Asset", [] { return fragmentXml(SwfAsset(5, "a&b")); },
     "<Asset Id=\"5\" Name=\"a&amp;b\" />"},
    {"RegisterParam",
     [] {
         return fragmentXml(SwfRegisterParam{3, SwfString("p")});
     },
     "<RegisterParam Register=\"3\" Name=\"p\" />"},
    {"ZoneData",
     [] {
         return fragmentXml(SwfZoneData{1, 2});
     },
     "<ZoneData AlignmentCoordinate=\"1\" Range=\"2\" />"},
    {"SoundEnvelope",
     [] {
         return fragmentXml(SwfSoundEnvelope{44100, 1, 2});
     },
     "<SoundEnvelope Pos44=\"44100\" LeftLevel=\"1\" RightLevel=\"2\" />"},
};

TEST(Fragment, ExactTextOfTagsActionsAndRecords) {
    for (const Row& row : kRows)
        EXPECT_EQ(row.make(), row.text) << row.name;
}

} // namespace
