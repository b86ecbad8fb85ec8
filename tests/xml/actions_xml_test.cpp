// Script in XML: every action class and push value in one table checked in all directions,
// the elements only XML can produce, and whole scripts nested several levels deep through
// both conversions.
#include "codec_vectors.h"
#include "libswf/actions.h"
#include "libswf/exception.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

SwfActionPtr plain(std::uint8_t code) {
    return std::make_unique<SwfAction>(code);
}

template <class T, class Fill>
SwfActionPtr make(Fill fill) {
    auto action = std::make_unique<T>();
    fill(*action);
    return action;
}

template <class T, class Fill>
std::unique_ptr<SwfValue> value(Fill fill) {
    auto v = std::make_unique<T>();
    fill(*v);
    return v;
}

SwfActionPtr unknown(std::uint8_t code, std::vector<std::uint8_t> payload) {
    auto action = std::make_unique<SwfActionUnknown>(code);
    action->payload = std::move(payload);
    return action;
}

std::unique_ptr<SwfString> str(std::string text) {
    return std::make_unique<SwfString>(std::move(text));
}

// A DoAction of the actions that fill adds, closed by End as a movie has it.
template <class Fill>
TagFactory script(Fill fill) {
    return build<SwfTagDoAction>([fill](SwfTagDoAction& t) {
        fill(t.actions);
        t.actions.push_back(plain(0));
    });
}

// The element of such a DoAction; the lines come indented as children of Actions.
std::string scriptXml(const std::string& lines) {
    return "<DoAction>\n    <Actions>\n" + lines + "        <End />\n    </Actions>\n</DoAction>\n";
}

// Inside a document: the lines of a DoAction's list element.
std::string doAction(const std::string& inner) {
    return "<DoAction><Actions>" + inner + "</Actions></DoAction>";
}

const CodecVector kActionVectors[] = {
    {.name = "PlainActionsAndCallWithItsEmptyLength",
     .version = 5,
     .make = script([](SwfActions& a) {
         for (std::uint8_t code : {0x06, 0x07, 0x47, 0x66, 0x9e})
             a.push_back(plain(code));
     }),
     .body = hex("06 07 47 66 9e 00 00 00"),
     .xml = scriptXml("        <Play />\n        <Stop />\n        <Add2 />\n"
                      "        <StrictEquals />\n        <Call />\n")},
    {.name = "GetURL",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionGetURL>([](auto& g) {
             g.url.text = "a.htm";
             g.target.text = "_blank";
         }));
     }),
     .body = hex("83 0d 00 61 2e 68 74 6d 00 5f 62 6c 61 6e 6b 00 00"),
     .xml = scriptXml("        <GetURL URL=\"a.htm\" Target=\"_blank\" />\n")},
    {.name = "FrameAndRegisterNumbers",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionGotoFrame>([](auto& g) { g.frame = 513; }));
         a.push_back(make<SwfActionStoreRegister>([](auto& s) { s.number = 3; }));
         a.push_back(make<SwfActionWaitForFrame>([](auto& w) { w.frame = 10, w.skipCount = 2; }));
         a.push_back(make<SwfActionWaitForFrame2>([](auto& w) { w.skipCount = 255; }));
     }),
     .body = hex("81 02 00 01 02 87 01 00 03 8a 03 00 0a 00 02 8d 01 00 ff 00"),
     .xml =
         scriptXml("        <GoToFrame Frame=\"513\" />\n        <StoreRegister Number=\"3\" />\n"
                   "        <WaitForFrame Frame=\"10\" SkipCount=\"2\" />\n"
                   "        <WaitForFrame2 SkipCount=\"255\" />\n")},
    {.name = "ConstantPoolWithAndWithoutStrings",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionConstantPool>([](auto& c) {
             c.constants.push_back(str("x"));
             c.constants.push_back(str("yz"));
         }));
         a.push_back(make<SwfActionConstantPool>([](auto&) {}));
     }),
     .body = hex("88 07 00 02 00 78 00 79 7a 00 88 02 00 00 00 00"),
     .xml = scriptXml("        <ConstantPool>\n            <Constant Name=\"x\" />\n"
                      "            <Constant Name=\"yz\" />\n        </ConstantPool>\n"
                      "        <ConstantPool />\n")},
    {.name = "SetTargetAndGoToLabel",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionSetTarget>([](auto& s) { s.target.text = "/clip"; }));
         a.push_back(make<SwfActionGoToLabel>([](auto& g) { g.label.text = "go"; }));
     }),
     .body = hex("8b 06 00 2f 63 6c 69 70 00 8c 03 00 67 6f 00 00"),
     .xml =
         scriptXml("        <SetTarget Name=\"/clip\" />\n        <GoToLabel Label=\"go\" />\n")},
    {.name = "DefineFunction2WithRegistersFlagsAndBody",
     .version = 7,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionDefineFunction2>([](auto& f) {
             f.name.text = "f";
             f.registerCount = 3;
             f.flags = SwfActionDefineFunction2::PreloadThis |
                       SwfActionDefineFunction2::SuppressArguments |
                       SwfActionDefineFunction2::PreloadGlobal;
             f.parameters.push_back({1, SwfString("a")});
             f.parameters.push_back({0, SwfString("b")});
             f.body.push_back(make<SwfActionPush>([](auto& p) {
                 p.values.push_back(value<SwfValueRegister>([](auto& r) { r.number = 1; }));
             }));
             f.body.push_back(plain(0x3e));
         }));
     }),
     .body = hex("8e 0f 00 66 00 02 00 03 09 01 01 61 00 00 62 00 06 00 96 02 00 04 01 3e 00"),
     .xml =
         scriptXml("        <DefineFunction2 Name=\"f\" RegisterCount=\"3\">\n"
                   "            <BitsField PreloadThis=\"true\" SupressThis=\"false\" "
                   "PreloadArguments=\"false\" SupressArguments=\"true\" PreloadSuper=\"false\" "
                   "SupressSuper=\"false\" PreloadRoot=\"false\" PreloadParent=\"false\" "
                   "PreloadGlobal=\"true\" />\n"
                   "            <RegisterParams>\n"
                   "                <RegisterParam Register=\"1\" Name=\"a\" />\n"
                   "                <RegisterParam Register=\"0\" Name=\"b\" />\n"
                   "            </RegisterParams>\n"
                   "            <Actions>\n                <Push>\n                    <Register "
                   "Value=\"1\" />\n"
                   "                </Push>\n                <Return />\n            </Actions>\n"
                   "        </DefineFunction2>\n")},
    {.name = "DefineFunction2FlagsWithoutNameSurviveOnlyBinary",
     .version = 7,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionDefineFunction2>([](auto& f) { f.flags = 0x8240; }));
     }),
     .body = hex("8e 08 00 00 00 00 00 40 82 00 00 00"),
     .xml = scriptXml("        <DefineFunction2 Name=\"\" RegisterCount=\"0\">\n"
                      "            <BitsField PreloadThis=\"false\" SupressThis=\"false\" "
                      "PreloadArguments=\"false\" SupressArguments=\"false\" "
                      "PreloadSuper=\"false\" SupressSuper=\"false\" PreloadRoot=\"true\" "
                      "PreloadParent=\"false\" PreloadGlobal=\"false\" />\n"
                      "            <RegisterParams />\n            <Actions />\n"
                      "        </DefineFunction2>\n"),
     .fromXml = hex("8e 08 00 00 00 00 00 40 00 00 00 00")},
    {.name = "TryWithNamedCatchAndFinallyBodiesAfterTheRecord",
     .version = 7,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionTry>([](auto& t) {
             t.flags = SwfActionTry::HasCatchBlock | SwfActionTry::HasFinallyBlock;
             t.catchName.text = "e";
             t.tryBody.push_back(plain(0x2a));
             t.catchBody.push_back(plain(0x17));
             t.finallyBody.push_back(plain(0x07));
         }));
     }),
     .body = hex("8f 09 00 03 01 00 01 00 01 00 65 00 2a 17 07 00"),
     .xml = scriptXml("        <Try VarName=\"e\">\n"
                      "            <TryActions>\n                <Throw />\n"
                      "            </TryActions>\n"
                      "            <CatchActions>\n                <Pop />\n"
                      "            </CatchActions>\n"
                      "            <FinallyActions>\n                <Stop />\n"
                      "            </FinallyActions>\n        </Try>\n")},
    {.name = "TryInRegisterWithFinallyOnlyKeepsReservedBitsInBinary",
     .version = 7,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionTry>([](auto& t) {
             t.flags = 0x86;
             t.catchInRegister = true;
             t.catchRegister = 2;
             t.tryBody.push_back(plain(0x07));
             t.finallyBody.push_back(plain(0x06));
         }));
     }),
     .body = hex("8f 08 00 86 01 00 00 00 01 00 02 07 06 00"),
     .xml = scriptXml("        <Try CatchInRegister=\"2\">\n"
                      "            <TryActions>\n                <Stop />\n"
                      "            </TryActions>\n"
                      "            <FinallyActions>\n                <Play />\n"
                      "            </FinallyActions>\n        </Try>\n"),
     // A catch size without a catch block is not kept.
     .readFrom = hex("8f 08 00 86 01 00 05 00 01 00 02 07 06 00"),
     .fromXml = hex("8f 08 00 06 01 00 00 00 01 00 02 07 06 00")},
    {.name = "TryWithAnnouncedEmptyCatch",
     .version = 7,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionTry>([](auto& t) { t.flags = SwfActionTry::HasCatchBlock; }));
     }),
     .body = hex("8f 08 00 01 00 00 00 00 00 00 00 00"),
     .xml = scriptXml("        <Try VarName=\"\">\n            <TryActions />\n"
                      "            <CatchActions />\n        </Try>\n")},
    {.name = "With",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionWith>([](auto& w) { w.body.push_back(plain(0x06)); }));
     }),
     .body = hex("94 02 00 01 00 06 00"),
     .xml = scriptXml("        <With>\n            <Actions>\n                <Play />\n"
                      "            </Actions>\n        </With>\n")},
    {.name = "PushEveryValueTypeWithTheDoubleHighWordFirst",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionPush>([](auto& p) {
             p.values.push_back(std::make_unique<SwfValueString>("hi"));
             p.values.push_back(value<SwfValueFloat>([](auto& v) { v.bits = 0x3fc00000; }));
             p.values.push_back(std::make_unique<SwfValue>(SwfValue::Null));
             p.values.push_back(std::make_unique<SwfValue>(SwfValue::Undefined));
             p.values.push_back(value<SwfValueRegister>([](auto& v) { v.number = 4; }));
             p.values.push_back(value<SwfValueBoolean>([](auto& v) { v.value = 2; }));
             p.values.push_back(value<SwfValueDouble>([](auto& v) { v.value = 0.1; }));
             p.values.push_back(value<SwfValueInteger>([](auto& v) { v.value = -1; }));
             p.values.push_back(value<SwfValueConstant8>([](auto& v) { v.index = 7; }));
             p.values.push_back(value<SwfValueConstant16>([](auto& v) { v.index = 258; }));
         }));
     }),
     .body = hex("96 22 00 00 68 69 00 01 00 00 c0 3f 02 03 04 04 05 02 "
                 "06 99 99 b9 3f 9a 99 99 99 07 ff ff ff ff 08 07 09 02 01 00"),
     .xml = scriptXml("        <Push>\n            <String Name=\"hi\" />\n"
                      "            <Float Value=\"1069547520\" />\n            <Null />\n"
                      "            <Undefined />\n            <Register Value=\"4\" />\n"
                      "            <Boolean Value=\"2\" />\n"
                      "            <Double Value=\"0.10000000000000001\" />\n"
                      "            <Integer Value=\"4294967295\" />\n"
                      "            <Constant8 Value=\"7\" />\n"
                      "            <Constant16 Value=\"258\" />\n        </Push>\n")},
    {.name = "PushDoublesOfNegativeZeroAndInfinity",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionPush>([](auto& p) {
             p.values.push_back(value<SwfValueDouble>([](auto& v) { v.value = -0.0; }));
             p.values.push_back(value<SwfValueDouble>(
                 [](auto& v) { v.value = std::numeric_limits<double>::infinity(); }));
         }));
     }),
     .body = hex("96 12 00 06 00 00 00 80 00 00 00 00 06 00 00 f0 7f 00 00 00 00 00"),
     .xml = scriptXml("        <Push>\n            <Double Value=\"-0\" />\n"
                      "            <Double Value=\"inf\" />\n        </Push>\n")},
    {.name = "JumpAndIfOffsetsAsHeld",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionJump>([](auto& j) { j.offset = -5; }));
         a.push_back(make<SwfActionIf>([](auto& i) { i.offset = 300; }));
     }),
     .body = hex("99 02 00 fb ff 9d 02 00 2c 01 00"),
     .xml = scriptXml("        <Jump Offset=\"-5\" />\n        <If Offset=\"300\" />\n")},
    {.name = "GetURL2EveryMethodIncludingTheUnnamedThird",
     .version = 5,
     .make = script([](SwfActions& a) {
         for (std::uint8_t flags : {0x00, 0x41, 0x82, 0xc3})
             a.push_back(make<SwfActionGetURL2>([flags](auto& g) { g.flags = flags; }));
     }),
     .body = hex("9a 01 00 00 9a 01 00 41 9a 01 00 82 9a 01 00 c3 00"),
     .xml = scriptXml("        <GetURL2 LoadVariables=\"false\" LoadTarget=\"false\" "
                      "SendVarsMethod=\"None\" />\n"
                      "        <GetURL2 LoadVariables=\"true\" LoadTarget=\"false\" "
                      "SendVarsMethod=\"GET\" />\n"
                      "        <GetURL2 LoadVariables=\"false\" LoadTarget=\"true\" "
                      "SendVarsMethod=\"POST\" />\n"
                      "        <GetURL2 LoadVariables=\"true\" LoadTarget=\"true\" "
                      "SendVarsMethod=\"\" />\n")},
    {.name = "GetURL2BitsWithoutNameSurviveOnlyBinary",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionGetURL2>([](auto& g) { g.flags = 0x3d; }));
     }),
     .body = hex("9a 01 00 3d 00"),
     .xml = scriptXml("        <GetURL2 LoadVariables=\"true\" LoadTarget=\"false\" "
                      "SendVarsMethod=\"None\" />\n"),
     .fromXml = hex("9a 01 00 01 00")},
    {.name = "DefineFunction",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionDefineFunction>([](auto& f) {
             f.name.text = "g";
             f.parameters.push_back(str("x"));
             f.parameters.push_back(str("y"));
             f.body.push_back(plain(0x3e));
         }));
     }),
     .body = hex("9b 0a 00 67 00 02 00 78 00 79 00 01 00 3e 00"),
     .xml = scriptXml("        <DefineFunction Name=\"g\">\n            <Params>\n"
                      "                <Param Value=\"x\" />\n"
                      "                <Param Value=\"y\" />\n            </Params>\n"
                      "            <Actions>\n                <Return />\n"
                      "            </Actions>\n        </DefineFunction>\n")},
    {.name = "GoToFrame2WithSceneBias",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionGotoFrame2>([](auto& g) { g.play = true, g.sceneBias = 2; }));
     }),
     .body = hex("9f 03 00 03 02 00 00"),
     .xml = scriptXml("        <GoToFrame2 Play=\"true\" SceneBias=\"2\" />\n")},
    {.name = "GoToFrame2SceneBiasOfZeroIsNeverWritten",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionGotoFrame2>([](auto& g) { g.play = true; }));
     }),
     .body = hex("9f 01 00 01 00"),
     .xml = scriptXml("        <GoToFrame2 Play=\"true\" />\n"),
     .readFrom = hex("9f 03 00 03 00 00 00")},
    {.name = "UnknownCodesAboveAndBelow128",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(unknown(0xa0, {1, 2, 3}));
         a.push_back(plain(0x01));
         a.push_back(plain(0x80));
     }),
     .body = hex("a0 03 00 01 02 03 01 80 00 00 00"),
     .xml = scriptXml("        <UnknownAction Type=\"160\">\n            <Data><![CDATA[\n"
                      "                    AQID\n                    ]]></Data>\n"
                      "        </UnknownAction>\n        <UnknownAction Type=\"1\" />\n"
                      "        <UnknownAction Type=\"128\" />\n")},
    // Records whose fields do not fill the length they declare keep their bytes, and the
    // actions after them stay actions of their own.
    {.name = "GoToFrameDeclaringMoreThanItsFrameIsKeptRaw",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(unknown(0x81, {0x05, 0x00, 0x07, 0x07}));
     }),
     .body = hex("81 04 00 05 00 07 07 00"),
     .xml = scriptXml("        <UnknownAction Type=\"129\">\n            <Data><![CDATA[\n"
                      "                    BQAHBw==\n                    ]]></Data>\n"
                      "        </UnknownAction>\n")},
    {.name = "DefineFunctionWithASpareByteIsKeptRawAndItsBodyFollows",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(unknown(0x9b, {0x66, 0x00, 0x00, 0x00, 0x01, 0x00, 0xaa}));
         a.push_back(plain(0x07));
     }),
     .body = hex("9b 07 00 66 00 00 00 01 00 aa 07 00"),
     .xml = scriptXml("        <UnknownAction Type=\"155\">\n            <Data><![CDATA[\n"
                      "                    ZgAAAAEAqg==\n                    ]]></Data>\n"
                      "        </UnknownAction>\n        <Stop />\n")},
    {.name = "CallWithAPayloadIsKeptRaw",
     .version = 5,
     .make = script([](SwfActions& a) {
         a.push_back(unknown(0x9e, {0xaa, 0xbb}));
     }),
     .body = hex("9e 02 00 aa bb 00"),
     .xml = scriptXml("        <UnknownAction Type=\"158\">\n            <Data><![CDATA[\n"
                      "                    qrs=\n                    ]]></Data>\n"
                      "        </UnknownAction>\n")},
    {.name = "NestedBodiesThreeDeepWithRecomputedSizes",
     .version = 7,
     .make = script([](SwfActions& a) {
         a.push_back(make<SwfActionDefineFunction>([](auto& f) {
             f.body.push_back(make<SwfActionWith>([](auto& w) {
                 w.body.push_back(
                     make<SwfActionTry>([](auto& t) { t.tryBody.push_back(plain(0x07)); }));
             }));
         }));
     }),
     .body = hex("9b 05 00 00 00 00 11 00 94 02 00 0c 00 8f 08 00 00 01 00 00 00 00 00 00 07 00"),
     .xml = scriptXml("        <DefineFunction Name=\"\">\n            <Params />\n"
                      "            <Actions>\n                <With>\n"
                      "                    <Actions>\n"
                      "                        <Try VarName=\"\">\n"
                      "                            <TryActions>\n"
                      "                                <Stop />\n"
                      "                            </TryActions>\n"
                      "                        </Try>\n                    </Actions>\n"
                      "                </With>\n            </Actions>\n"
                      "        </DefineFunction>\n")},
    {.name = "DoInitAction",
     .version = 6,
     .make = build<SwfTagDoInitAction>([](auto& t) {
         t.spriteId = 7;
         t.actions.push_back(plain(0x07));
         t.actions.push_back(plain(0x00));
     }),
     .body = hex("07 00 07 00"),
     .xml = "<DoInitAction SpriteId=\"7\">\n    <Actions>\n        <Stop />\n        <End />\n"
            "    </Actions>\n</DoInitAction>\n"},
    // Without a list element the reader adds no End, so an empty body stays empty.
    {.name = "DoActionWithoutAnyActionHasNoListAndStaysEmpty",
     .version = 5,
     .make = build<SwfTagDoAction>([](auto&) {}),
     .body = {},
     .xml = "<DoAction />\n"},
};

class ActionCodecs : public CodecVectorTest {};
TEST_P(ActionCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Actions, ActionCodecs, testing::ValuesIn(kActionVectors),
                         codecVectorName<CodecVector>);

// Bodies nested `depth` levels deep, each a With holding the next.
std::string nestedWiths(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<With><Actions>";
        close += "</Actions></With>";
    }
    return doAction(open + close);
}

const XmlInputVector kActionXmlInputs[] = {
    {.name = "NamesInAnyCaseUnknownNamesAndTextSkippedEndDropped",
     .version = 5,
     .xml = doAction("Play<stop /><STOP /><Stopp /><End /><mbasciitochar /><CASTOP />"
                     "<enumerate2 /><call /><End />"),
     .tags = tag(12, hex("07 07 37 2b 55 9e 00 00 00"))},
    {.name = "AnEmptyListElementGetsItsEnd",
     .version = 5,
     .xml = "<DoAction><Actions /></DoAction><DoInitAction SpriteId=\"2\" />",
     .tags = concat({tag(12, hex("00")), tag(59, hex("02 00"))})},
    {.name = "FirstAttributeReadersTakeAnyName",
     .version = 5,
     .xml = doAction("<Jump Offset=\"-5\" /><Jump Distance=\"-5\" /><If /><GoToFrame Number=\"3\" "
                     "Frame=\"9\" /><SetTarget Path=\"/a\" /><GoToLabel L=\"x\" />"
                     "<WaitForFrame2 n=\"4\" />"),
     .tags = tag(12, hex("99 02 00 fb ff 99 02 00 fb ff 9d 02 00 00 00 81 02 00 03 00 "
                         "8b 03 00 2f 61 00 8c 02 00 78 00 8d 01 00 04 00"))},
    {.name = "StringsNeverGivenAreEmptyStrings",
     .version = 7,
     .xml = doAction("<SetTarget /><GoToLabel /><GetURL /><GetURL Target=\"_top\" />"
                     "<Push><String /></Push><DefineFunction2><RegisterParams><RegisterParam />"
                     "</RegisterParams></DefineFunction2>"),
     .tags = tag(12, hex("8b 01 00 00 8c 01 00 00 83 02 00 00 00 83 06 00 00 5f 74 6f 70 00 "
                         "96 02 00 00 00 8e 0a 00 00 01 00 00 00 00 00 00 00 00 00"))},
    {.name = "PushValuesInAnyCaseByFirstAttributeOthersSkipped",
     .version = 5,
     .xml = doAction("<Push><string x=\"a\" /><FLOAT v=\"1069547520\" /><Bogus Value=\"1\" />"
                     "<integer Value=\"-1\" /><double Value=\"1.5\" /><boolean />"
                     "<constant16 Value=\"65536\" /></Push>"),
     .tags = tag(12, hex("96 1b 00 00 61 00 01 00 00 c0 3f 07 00 00 00 00 "
                         "06 00 00 f8 3f 00 00 00 00 05 00 09 00 00 00"))},
    {.name = "FlagWordsAndMethodNames",
     .version = 7,
     .xml = doAction("<GoToFrame2 Play=\"TRUE\" /><GoToFrame2 Play=\"yes\" SceneBias=\"x\" />"
                     "<GetURL2 SendVarsMethod=\"post\" LoadVariables=\"TRUE\" />"
                     "<GetURL2 SendVarsMethod=\"PUT\" /><GetURL2 SendVarsMethod=\"\" />"
                     "<DefineFunction2><BitsField PreloadThis=\"true\" Other=\"true\" "
                     "supresssuper=\"TRUE\" PreloadRoot=\"1\" /></DefineFunction2>"),
     .tags = tag(12, hex("9f 01 00 01 9f 01 00 00 9a 01 00 81 9a 01 00 00 9a 01 00 c0 "
                         "8e 08 00 00 00 00 00 21 00 00 00 00"))},
    {.name = "UnknownActionTypeTakesTheLowByte",
     .version = 5,
     .xml = doAction("<UnknownAction Type=\"300\" /><unknownaction type=\"170\"><Note />"
                     "<data>\n  qr\ns=</data></unknownaction>"),
     .tags = tag(12, hex("2c aa 02 00 aa bb 00"))},
    {.name = "TryBlocksFollowTheElementsAndTheLaterCatchAttribute",
     .version = 7,
     .xml = doAction("<Try VarName=\"e\"><TryActions><Stop /></TryActions></Try>"
                     "<Try VarName=\"e\" CatchInRegister=\"3\"><CatchActions /></Try>"
                     "<Try CatchInRegister=\"3\" VarName=\"e\"><finallyactions><Play />"
                     "</finallyactions></Try>"),
     .tags = tag(12, hex("8f 09 00 00 01 00 00 00 00 00 65 00 07 8f 08 00 05 00 00 00 00 00 00 "
                         "03 8f 09 00 02 00 00 00 00 01 00 65 00 06 00"))},
    {.name = "BodiesKeepTheirEndsAndGainNone",
     .version = 5,
     .xml = doAction("<With><Body><Stop /><End /><Play /></Body></With><With><Stop /></With>"
                     "<DefineFunction Name=\"f\"><Params><Param Value=\"a\" /><Param />"
                     "<P x=\"b\" /></Params><Actions><End /></Actions></DefineFunction>"),
     .tags = tag(12, hex("94 02 00 03 00 07 00 06 94 02 00 00 00 "
                         "9b 0a 00 66 00 02 00 61 00 62 00 01 00 00 00"))},
    {.name = "TagsWithoutAListHaveNoActions",
     .version = 6,
     .xml = "<DoAction /><DoInitAction SpriteId=\"9\" /><DoAction><Anything><Play /></Anything>"
            "</DoAction>",
     .tags = concat({tag(12, {}), tag(59, hex("09 00")), tag(12, hex("06 00"))})},
    {.name = "UnknownActionBelow128CannotCarryAPayload",
     .version = 5,
     .xml = doAction("<UnknownAction Type=\"1\"><Data>AQID</Data></UnknownAction>"),
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: action 1 has 3 payload bytes, but actions "
                "below 128 have no length to carry them (tag 12 DoAction, tag index 0)"},
    {.name = "BodiesNestedDeeperThanSixtyFourFail",
     .version = 5,
     .xml = nestedWiths(65),
     .tags = {},
     .failure = "line 2, column 2: DoAction: action bodies are nested more than 64 levels deep"},
};

class ActionXmlInputs : public XmlInputVectorTest {};
TEST_P(ActionXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Actions, ActionXmlInputs, testing::ValuesIn(kActionXmlInputs),
                         codecVectorName<XmlInputVector>);

// A script that uses every action class and push value, with bodies nested four deep.
void fillEverything(SwfActions& a) {
    a.push_back(make<SwfActionConstantPool>([](auto& c) {
        c.constants.push_back(str("onLoad"));
        c.constants.push_back(str("caf\xc3\xa9 <&>\""));
    }));
    a.push_back(make<SwfActionPush>([](auto& p) {
        p.values.push_back(std::make_unique<SwfValueString>("s"));
        p.values.push_back(value<SwfValueFloat>([](auto& v) { v.bits = 0xffc00001; }));
        p.values.push_back(std::make_unique<SwfValue>(SwfValue::Null));
        p.values.push_back(std::make_unique<SwfValue>(SwfValue::Undefined));
        p.values.push_back(value<SwfValueRegister>([](auto& v) { v.number = 255; }));
        p.values.push_back(value<SwfValueBoolean>([](auto& v) { v.value = 1; }));
        p.values.push_back(value<SwfValueDouble>([](auto& v) { v.value = -1.0 / 3; }));
        p.values.push_back(value<SwfValueInteger>([](auto& v) { v.value = INT32_MIN; }));
        p.values.push_back(value<SwfValueConstant8>([](auto& v) { v.index = 1; }));
        p.values.push_back(value<SwfValueConstant16>([](auto& v) { v.index = 65535; }));
    }));
    a.push_back(make<SwfActionDefineFunction2>([](auto& f) {
        f.name.text = "outer";
        f.registerCount = 4;
        f.flags = 0x01ff;
        f.parameters.push_back({3, SwfString("p")});
        f.body.push_back(make<SwfActionWith>([](auto& w) {
            w.body.push_back(make<SwfActionTry>([](auto& t) {
                t.flags = SwfActionTry::HasCatchBlock | SwfActionTry::HasFinallyBlock;
                t.catchName.text = "err";
                t.tryBody.push_back(make<SwfActionDefineFunction>([](auto& g) {
                    g.name.text = "inner";
                    g.parameters.push_back(str("q"));
                    g.body.push_back(make<SwfActionGetURL>([](auto& u) {
                        u.url.text = "http://x/";
                        u.target.text = "_self";
                    }));
                    g.body.push_back(make<SwfActionIf>([](auto& i) { i.offset = 1; }));
                    g.body.push_back(plain(0x3e));
                }));
                t.tryBody.push_back(make<SwfActionJump>([](auto& j) { j.offset = -32768; }));
                t.catchBody.push_back(
                    make<SwfActionSetTarget>([](auto& s) { s.target.text = ""; }));
                t.catchBody.push_back(
                    make<SwfActionGoToLabel>([](auto& g) { g.label.text = "l"; }));
                t.finallyBody.push_back(
                    make<SwfActionWaitForFrame>([](auto& w) { w.frame = 65535, w.skipCount = 1; }));
                t.finallyBody.push_back(
                    make<SwfActionWaitForFrame2>([](auto& w) { w.skipCount = 3; }));
            }));
            w.body.push_back(make<SwfActionTry>([](auto& t) {
                t.flags = SwfActionTry::CatchInRegisterFlag | SwfActionTry::HasCatchBlock;
                t.catchInRegister = true;
                t.catchRegister = 1;
                t.catchBody.push_back(plain(0x2a));
            }));
        }));
        f.body.push_back(plain(0x00)); // an End inside a body stays where it is
    }));
    a.push_back(make<SwfActionGetURL2>([](auto& g) { g.flags = 0xc2; }));
    a.push_back(make<SwfActionGotoFrame>([](auto& g) { g.frame = 1; }));
    a.push_back(make<SwfActionGotoFrame2>([](auto& g) { g.sceneBias = 9; }));
    a.push_back(make<SwfActionStoreRegister>([](auto& s) { s.number = 0; }));
    a.push_back(unknown(0xc8, std::vector<std::uint8_t>(61, 7)));
    a.push_back(plain(0x01));
    a.push_back(plain(0x9e));
    for (const SwfActionInfo& info : swfActionTable())
        if (!info.hasFields && info.code != 0)
            a.push_back(plain(info.code));
    a.push_back(plain(0x00));
}

Bytes everythingMovie() {
    SwfMovie m(false, 8, 11000, 8000, 12.0f);
    auto action = std::make_unique<SwfTagDoAction>();
    fillEverything(action->actions);
    m.tags.append(std::move(action));
    auto init = std::make_unique<SwfTagDoInitAction>();
    init->spriteId = 2;
    fillEverything(init->actions);
    m.tags.append(std::move(init));
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->id = 2;
    auto nested = std::make_unique<SwfTagDoAction>();
    fillEverything(nested->actions);
    sprite->tags.append(std::move(nested));
    m.tags.append(std::move(sprite));
    return toBytes(m.write());
}

} // namespace

TEST(ActionsXml, EveryClassNestedFourDeepSurvivesBothConversions) {
    const Bytes swf = everythingMovie();
    swfxml::SwfXmlWriter writer;
    std::string text;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, text)) << writer.failure.describe();

    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(text, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(swf)) << "binary -> XML -> binary";

    swfxml::SwfXmlWriter again;
    std::string text2;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, text2));
    EXPECT_EQ(text2, text) << "XML -> binary -> XML";

    // The deepest body sits four lists below the tag's own.
    EXPECT_NE(text.find("\n" + std::string(44, ' ') +
                        "<GetURL URL=\"http://x/\" "
                        "Target=\"_self\" />\n"),
              std::string::npos);
    EXPECT_NE(text.find("<Constant Name=\"caf\xc3\xa9 &lt;&amp;>&quot;\" />"), std::string::npos);
}
