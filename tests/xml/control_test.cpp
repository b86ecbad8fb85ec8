// Control and metadata tags: every form of each tag in one table checked in all directions,
// the elements only XML can produce, truncated bodies, and the stream state these tags must
// neither depend on nor leave behind.
#include "codec_vectors.h"
#include "libswf/control.h"
#include "libswf/exception.h"
#include "swfxml/values.h"

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

// The bytes of a string with its terminating zero.
Bytes str(std::string_view text) {
    Bytes out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::unique_ptr<SwfAsset> asset(std::uint16_t id, std::string name) {
    return std::make_unique<SwfAsset>(id, std::move(name));
}

// A matrix translated by (100, -20) twips and scaled by one half, then a colour transform
// with both groups whose largest term needs 10 bits, without alpha terms.
const Bytes kPlacedMatrix = hex("c5 00 00 80 00 21 93 b0");
const Bytes kPlacedTransform = hex("e9 00 20 00 0f d8 00 3f c0");

const CodecVector kControlVectors[] = {
    {.name = "SetBackgroundColorIsRgbWithAlphaShownAsZero",
     .version = 8,
     .make = build<SwfTagSetBackgroundColor>([](auto& t) { t.color = SwfColor(0xff, 0, 0x80); }),
     .body = hex("ff 00 80"),
     .xml = "<SetBackgroundColor Color=\"ff008000\" />\n"},
    {.name = "FrameLabelPlain",
     .version = 8,
     .make = build<SwfTagFrameLabel>([](auto& t) { t.name.text = "intro"; }),
     .body = hex("69 6e 74 72 6f 00"),
     .xml = "<FrameLabel Name=\"intro\" IsAnchor=\"false\" />\n"},
    {.name = "FrameLabelAnyByteAfterTheNameIsAnAnchor",
     .version = 8,
     .make = build<SwfTagFrameLabel>([](auto& t) { t.name.text = "abc", t.isAnchor = true; }),
     .body = hex("61 62 63 00 01"),
     .xml = "<FrameLabel Name=\"abc\" IsAnchor=\"true\" />\n",
     .readFrom = hex("61 62 63 00 00")},
    {.name = "FrameLabelBytesAndMarkupPassUntouched",
     .version = 5,
     .make = build<SwfTagFrameLabel>([](auto& t) { t.name.text = "<a&\"caf\xe9"; }),
     .body = hex("3c 61 26 22 63 61 66 e9 00"),
     .xml = "<FrameLabel Name=\"&lt;a&amp;&quot;caf\xe9\" IsAnchor=\"false\" />\n"},
    {.name = "ProtectKeepsTheHashFromVersion6",
     .version = 6,
     .make =
         build<SwfTagProtect>([](auto& t) { t.password.text = "$1$Vo$rn3nO1ptPgS0gWk0kCmeb/"; }),
     .body = concat({hex("00 00"), str("$1$Vo$rn3nO1ptPgS0gWk0kCmeb/")}),
     .xml = "<Protect Password=\"$1$Vo$rn3nO1ptPgS0gWk0kCmeb/\" />\n"},
    {.name = "ProtectWithoutPasswordIsEmpty",
     .version = 8,
     .make = build<SwfTagProtect>([](auto&) {}),
     .body = {},
     .xml = "<Protect />\n",
     .readFrom = hex("00 00 00")},
    {.name = "ProtectBodyOfVersion5IsDropped",
     .version = 5,
     .make = build<SwfTagProtect>([](auto&) {}),
     .body = {},
     .xml = "<Protect />\n",
     .readFrom = hex("00 00 24 31 24 00")},
    {.name = "EnableDebuggerEmptyPasswordIsTheZeroAlone",
     .version = 5,
     .make = build<SwfTagEnableDebugger>([](auto&) {}),
     .body = hex("00"),
     .xml = "<EnableDebugger Password=\"\" />\n"},
    {.name = "EnableDebugger2",
     .version = 6,
     .make = build<SwfTagEnableDebugger2>([](auto& t) { t.password.text = "$1$x"; }),
     .body = hex("00 00 24 31 24 78 00"),
     .xml = "<EnableDebugger2 Password=\"$1$x\" />\n"},
    {.name = "EnableDebugger2KeepsItsReservedWord",
     .version = 6,
     .make = build<SwfTagEnableDebugger2>([](auto& t) { t.reserved = 0x1234; }),
     .body = hex("34 12 00"),
     .xml = "<EnableDebugger2 Password=\"\" Reserved=\"4660\" />\n"},
    {.name = "ScriptLimits",
     .version = 7,
     .make = build<SwfTagScriptLimits>(
         [](auto& t) { t.maxRecursionDepth = 1000, t.scriptTimeoutSeconds = 60; }),
     .body = hex("e8 03 3c 00"),
     .xml = "<ScriptLimits MaxRecursionDepth=\"1000\" ScriptTimeoutSeconds=\"60\" />\n"},
    {.name = "SetTabIndex",
     .version = 7,
     .make = build<SwfTagSetTabIndex>([](auto& t) { t.depth = 3, t.tabIndex = 65535; }),
     .body = hex("03 00 ff ff"),
     .xml = "<SetTabIndex Depth=\"3\" TabIndex=\"65535\" />\n"},
    {.name = "FileAttributesNamedFlags",
     .version = 9,
     .make = build<SwfTagFileAttributes>([](auto& t) { t.flags = 0x19; }),
     .body = hex("19 00 00 00"),
     .xml = "<FileAttributes UseNetwork=\"true\" ActionScript3=\"true\" HasMetadata=\"true\" "
            "UseGPU=\"false\" UseDirectBlit=\"false\" />\n"},
    {.name = "FileAttributesOtherBitsAreKeptAsReserved",
     .version = 10,
     .make = build<SwfTagFileAttributes>([](auto& t) { t.flags = 0x01000080 | 0x60; }),
     .body = hex("e0 00 00 01"),
     .xml = "<FileAttributes UseNetwork=\"false\" ActionScript3=\"false\" HasMetadata=\"false\" "
            "UseGPU=\"true\" UseDirectBlit=\"true\" Reserved=\"16777344\" />\n"},
    {.name = "MetadataTextStaysTextEvenWithACdataEnd",
     .version = 9,
     .make = build<SwfTagMetadata>([](auto& t) { t.text.text = "<rdf a='1'>\n]]>\n</rdf>"; }),
     .body = str("<rdf a='1'>\n]]>\n</rdf>"),
     .xml = "<Metadata>\n    <Data><![CDATA[<rdf a='1'>\n]]]]><![CDATA[>\n</rdf>]]></Data>\n"
            "</Metadata>\n"},
    {.name = "ExportAssets",
     .version = 6,
     .make = build<SwfTagExportAssets>([](auto& t) {
         t.assets.push_back(asset(1, "Hero"));
         t.assets.push_back(asset(65535, ""));
     }),
     .body = hex("02 00 01 00 48 65 72 6f 00 ff ff 00"),
     .xml = "<ExportAssets>\n    <Asset Id=\"1\" Name=\"Hero\" />\n"
            "    <Asset Id=\"65535\" Name=\"\" />\n</ExportAssets>\n"},
    {.name = "ExportAssetsEmpty",
     .version = 6,
     .make = build<SwfTagExportAssets>([](auto&) {}),
     .body = hex("00 00"),
     .xml = "<ExportAssets />\n"},
    {.name = "ImportAssets",
     .version = 6,
     .make = build<SwfTagImportAssets>([](auto& t) {
         t.url.text = "lib.swf";
         t.assets.push_back(asset(7, "Btn"));
     }),
     .body = hex("6c 69 62 2e 73 77 66 00 01 00 07 00 42 74 6e 00"),
     .xml = "<ImportAssets URL=\"lib.swf\">\n    <Asset Id=\"7\" Name=\"Btn\" />\n"
            "</ImportAssets>\n"},
    {.name = "ImportAssets2UsualReservedBytesAreNotShown",
     .version = 8,
     .make = build<SwfTagImportAssets2>([](auto& t) {
         t.url.text = "a";
         t.assets.push_back(asset(3, "B"));
     }),
     .body = hex("61 00 01 00 01 00 03 00 42 00"),
     .xml = "<ImportAssets2 URL=\"a\">\n    <Asset Tag=\"3\" Name=\"B\" />\n</ImportAssets2>\n"},
    {.name = "ImportAssets2UnusualReservedBytesSurvive",
     .version = 8,
     .make = build<SwfTagImportAssets2>([](auto& t) { t.reserved1 = 0, t.reserved0 = 255; }),
     .body = hex("00 00 ff 00 00"),
     .xml = "<ImportAssets2 URL=\"\" Reserved1=\"0\" Reserved0=\"255\" />\n"},
    {.name = "SymbolClass",
     .version = 9,
     .make = build<SwfTagSymbolClass>([](auto& t) {
         t.tags = {0, 5};
         t.names.push_back(std::make_unique<SwfString>("Main"));
         t.names.push_back(std::make_unique<SwfString>("p.Hero"));
     }),
     .body = hex("02 00 00 00 4d 61 69 6e 00 05 00 70 2e 48 65 72 6f 00"),
     .xml = "<SymbolClass>\n    <Symbol Tag=\"0\" Name=\"Main\" />\n"
            "    <Symbol Tag=\"5\" Name=\"p.Hero\" />\n</SymbolClass>\n"},
    {.name = "SceneAndFrameLabelData",
     .version = 9,
     .make = build<SwfTagDefineSceneAndFrameLabelData>([](auto& t) {
         t.scenes.push_back({0, SwfString("S")});
         t.frameLabels.push_back({5, SwfString("L")});
     }),
     .body = hex("01 00 53 00 01 05 4c 00"),
     .xml =
         "<DefineSceneAndFrameLabelData>\n    <Scene Offset=\"0\" Name=\"S\" />\n"
         "    <FrameLabel FrameNum=\"5\" FrameLabel=\"L\" />\n</DefineSceneAndFrameLabelData>\n"},
    {.name = "SceneAndFrameLabelDataWideNumbers",
     .version = 9,
     .make = build<SwfTagDefineSceneAndFrameLabelData>([](auto& t) {
         t.scenes.push_back({4294967295u, SwfString("M")});
         t.frameLabels.push_back({200, SwfString("x")});
     }),
     .body = hex("01 ff ff ff ff 0f 4d 00 01 c8 01 78 00"),
     .xml = "<DefineSceneAndFrameLabelData>\n    <Scene Offset=\"4294967295\" Name=\"M\" />\n"
            "    <FrameLabel FrameNum=\"200\" FrameLabel=\"x\" />\n"
            "</DefineSceneAndFrameLabelData>\n"},
    {.name = "DoABC",
     .version = 9,
     .make = build<SwfTagDoABC>([](auto& t) {
         t.flags = 1, t.name.text = "frame1", t.byteCode = {0x10, 0x00, 0x2e};
     }),
     .body = hex("01 00 00 00 66 72 61 6d 65 31 00 10 00 2e"),
     .xml = "<DoABC Flags=\"1\" Name=\"frame1\">\n    <DoABCData><![CDATA[\n            EAAu\n"
            "            ]]></DoABCData>\n</DoABC>\n"},
    {.name = "DoABCLongByteCodeTakesTwoLinesAndTheLongHeader",
     .version = 9,
     .make = build<SwfTagDoABC>([](auto& t) { t.flags = 0x80000000, t.byteCode = iota(90); }),
     .body = concat({hex("00 00 00 80 00"), iota(90)}),
     .xml = "<DoABC Flags=\"2147483648\" Name=\"\">\n    <DoABCData><![CDATA[\n"
            "            "
            "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7\n"
            "            PD0+P0BBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZ\n"
            "            ]]></DoABCData>\n</DoABC>\n"},
    {.name = "DoABCEmptyByteCodeStillHasItsElement",
     .version = 9,
     .make = build<SwfTagDoABC>([](auto&) {}),
     .body = hex("00 00 00 00 00"),
     .xml = "<DoABC Flags=\"0\" Name=\"\">\n    <DoABCData><![CDATA[\n            ]]></DoABCData>\n"
            "</DoABC>\n"},
    {.name = "DefineBinaryData",
     .version = 9,
     .make = build<SwfTagDefineBinaryData>([](auto& t) { t.id = 7, t.data = hex("de ad be ef"); }),
     .body = hex("07 00 00 00 00 00 de ad be ef"),
     .xml = "<DefineBinaryData CharacterId=\"7\">\n    <Data><![CDATA[\n            3q2+7w==\n"
            "            ]]></Data>\n</DefineBinaryData>\n"},
    {.name = "DefineBinaryDataReservedSurvivesWhole",
     .version = 9,
     .make = build<SwfTagDefineBinaryData>([](auto& t) { t.id = 1, t.reserved = 300; }),
     .body = hex("01 00 2c 01 00 00"),
     .xml = "<DefineBinaryData CharacterId=\"1\" Reserved=\"300\">\n    <Data><![CDATA[\n"
            "            ]]></Data>\n</DefineBinaryData>\n"},
    {.name = "DefineScalingGrid",
     .version = 8,
     .make = build<SwfTagDefineScalingGrid>(
         [](auto& t) { t.id = 4, t.splitter = SwfRect(20, 40, 200, 400); }),
     .body = hex("04 00 50 28 64 05 0c 80"),
     .xml =
         "<DefineScalingGrid CharacterId=\"4\">\n"
         "    <Rect MaxX=\"200\" MaxY=\"400\" MinX=\"20\" MinY=\"40\" />\n</DefineScalingGrid>\n"},
    {.name = "RemoveObject",
     .version = 3,
     .make = build<SwfTagRemoveObject>([](auto& t) { t.characterId = 3, t.depth = 1; }),
     .body = hex("03 00 01 00"),
     .xml = "<RemoveObject Id=\"3\" Depth=\"1\" />\n"},
    {.name = "RemoveObject2",
     .version = 3,
     .make = build<SwfTagRemoveObject2>([](auto& t) { t.depth = 513; }),
     .body = hex("01 02"),
     .xml = "<RemoveObject2 Depth=\"513\" />\n"},
    {.name = "PlaceObjectEndingAfterTheMatrix",
     .version = 3,
     .make = build<SwfTagPlaceObject>([](auto& t) { t.characterId = 1, t.depth = 1; }),
     .body = hex("01 00 01 00 00"),
     .xml = "<PlaceObject CharacterId=\"1\" Depth=\"1\">\n    <Matrix>\n"
            "        <Translate TranslateX=\"0\" TranslateY=\"0\" />\n    </Matrix>\n"
            "</PlaceObject>\n"},
    {.name = "PlaceObjectWithColorTransform",
     .version = 3,
     .make = build<SwfTagPlaceObject>([](auto& t) {
         t.characterId = 2, t.depth = 5;
         t.matrix.hasScale = true, t.matrix.scaleX = t.matrix.scaleY = 0.5f;
         t.matrix.translateX = 100, t.matrix.translateY = -20;
         t.hasColorTransform = t.colorTransform.hasMult = t.colorTransform.hasAdd = true;
         t.colorTransform.mulR = 256, t.colorTransform.mulG = 128;
         t.colorTransform.addR = -10, t.colorTransform.addB = 255;
     }),
     .body = concat({hex("02 00 05 00"), kPlacedMatrix, kPlacedTransform}),
     .xml = "<PlaceObject CharacterId=\"2\" Depth=\"5\">\n    <Matrix>\n"
            "        <Translate TranslateX=\"100\" TranslateY=\"-20\" />\n"
            "        <Scale ScaleX=\"0.5\" ScaleY=\"0.5\" />\n    </Matrix>\n"
            "    <ColorTransform MulR=\"256\" MulG=\"128\" MulB=\"0\" MulA=\"0\" AddR=\"-10\" "
            "AddG=\"0\" AddB=\"255\" AddA=\"0\" />\n</PlaceObject>\n"},
};

class ControlCodecs : public CodecVectorTest {};
TEST_P(ControlCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Control, ControlCodecs, testing::ValuesIn(kControlVectors),
                         codecVectorName<CodecVector>);

const XmlInputVector kControlXmlInputs[] = {
    {.name = "NamesInAnyCaseAndColoursWithHash",
     .version = 8,
     .xml = "<setbackgroundcolor COLOR=\"#FF0000FF\" /><FRAMELABEL name=\"a\" isanchor=\"TRUE\" />",
     .tags = concat({tag(9, hex("ff 00 00")), tag(43, hex("61 00 01"))})},
    {.name = "StringsNeverGivenAreEmptyStrings",
     .version = 8,
     .xml = "<EnableDebugger /><Metadata /><ImportAssets /><FrameLabel Name=\"\" />",
     .tags = concat(
         {tag(58, hex("00")), tag(77, hex("00")), tag(57, hex("00 00 00")), tag(43, hex("00"))})},
    {.name = "ProtectPasswordNeedsVersion6",
     .version = 5,
     .xml = "<Protect Password=\"x\" />",
     .tags = tag(24, {})},
    {.name = "NumbersOutsideTheirFieldOrNotNumbersGiveZero",
     .version = 8,
     .xml =
         "<SetTabIndex Depth=\"65536\" TabIndex=\"-1\" /><ScriptLimits MaxRecursionDepth=\"12a\" "
         "ScriptTimeoutSeconds=\" 5\" /><DefineBinaryData Reserved=\"4294967296\" />",
     .tags = concat({tag(66, hex("00 00 00 00")), tag(65, hex("00 00 00 00")),
                     tag(87, hex("00 00 00 00 00 00"))})},
    {.name = "ImportAssets2ReservedBytesAndForeignChildren",
     .version = 8,
     .xml = "<ImportAssets2 URL=\"u\"><Note /><asset tag=\"2\" /></ImportAssets2>"
            "<ImportAssets2 Reserved1=\"7\" Reserved0=\"256\" />",
     .tags = concat({tag(71, hex("75 00 01 00 01 00 02 00 00")), tag(71, hex("00 07 00 00 00"))})},
    {.name = "SymbolWithoutNameFailsTheCompile",
     .version = 9,
     .xml = "<SymbolClass><Symbol Tag=\"1\" Name=\"A\" /><Symbol Tag=\"2\" /></SymbolClass>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: SymbolClass has 2 tag ids but 1 class names; "
                "every symbol needs "
                "both (tag 76 SymbolClass, tag index 0)"},
    {.name = "SceneEntriesWithMissingFieldsAndOtherChildren",
     .version = 9,
     .xml = "<DefineSceneAndFrameLabelData><Scene Name=\"A\" /><x /><framelabel FrameNum=\"3\" />"
            "</DefineSceneAndFrameLabelData>",
     .tags = tag(86, hex("01 00 41 00 01 03 00"))},
    {.name = "ScalingGridRectangleByPositionWithMissingSides",
     .version = 8,
     .xml = "<DefineScalingGrid CharacterId=\"9\"><Bounds MaxX=\"8\" MaxY=\"4\" "
            "/></DefineScalingGrid>",
     .tags = tag(78, hex("09 00 28 10 02 00"))},
    {.name = "BinaryDataDecodesUpToAForeignCharacter",
     .version = 9,
     .xml =
         "<DefineBinaryData CharacterId=\"2\"><Anything>3q2+\t7w==</Anything></DefineBinaryData>",
     .tags = tag(87, hex("02 00 00 00 00 00 de ad be"))},
    {.name = "PlaceObjectPartialTransformAndNoMatrix",
     .version = 3,
     .xml =
         "<PlaceObject CharacterId=\"1\" Depth=\"2\"><ColorTransform AddG=\"-1\" /></PlaceObject>"
         "<PlaceObject><colortransform /></PlaceObject>",
     .tags = concat({tag(4, hex("01 00 02 00 00 88 c0")), tag(4, hex("00 00 00 00 00 00"))})},
};

class ControlXmlInputs : public XmlInputVectorTest {};
TEST_P(ControlXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Control, ControlXmlInputs, testing::ValuesIn(kControlXmlInputs),
                         codecVectorName<XmlInputVector>);

} // namespace

TEST(ControlTags, BodiesShorterThanTheirFixedPartsFailTheRead) {
    // The single tag's header is at offset 21 and its body at 23.
    EXPECT_EQ(tagReadFailure(8, 9, hex("ff 00")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 9 "
              "SetBackgroundColor at offset 21, tag index 0; failed at offset 25)");
    EXPECT_EQ(tagReadFailure(9, 69, hex("19 00 00")),
              "UnexpectedEnd: a 32-bit value needs 4 bytes but only 3 remain in the tag body (tag "
              "69 FileAttributes at offset 21, tag index 0; failed at offset 23)");
    EXPECT_EQ(tagReadFailure(9, 76, hex("02 00 01 00 41 00")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag 76 "
              "SymbolClass at offset 21, tag index 0; failed at offset 29)");
    EXPECT_EQ(tagReadFailure(9, 82, hex("00 00 00 00 61")),
              "UnexpectedEnd: a string without its terminating zero needs 2 bytes but only 1 "
              "remain in the tag body (tag 82 DoABC at offset 21, tag index 0; failed at offset "
              "27)");
    EXPECT_EQ(tagReadFailure(6, 24, hex("00")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but only 1 remain in the tag body (tag "
              "24 Protect at offset 21, tag index 0; failed at offset 23)");
    EXPECT_EQ(tagReadFailure(5, 24, hex("00")), "");
}

TEST(ControlTags, ColoursIgnoreAnAlphaFlagLeftOnAndLeaveItOn) {
    // As a DefineShape3 before them would leave the stream.
    const Bytes body = concat({hex("02 00 05 00"), kPlacedMatrix, kPlacedTransform});
    SwfIStream is(body);
    is.alpha = true;
    is.tagLength = static_cast<std::uint32_t>(body.size());
    SwfTagPlaceObject place(is);
    EXPECT_TRUE(is.alpha);
    EXPECT_EQ(is.remaining(), 0u);
    EXPECT_EQ(place.colorTransform.addB, 255);

    SwfSizeContext ctx(3);
    ctx.alpha = true;
    EXPECT_EQ(place.computeSize(ctx), body.size());
    SwfOStream os(64);
    os.alpha = true;
    place.write(os);
    EXPECT_TRUE(ctx.alpha && os.alpha);
    EXPECT_EQ(toHex(Bytes(os.data(), os.data() + os.size())), toHex(tag(4, body)));

    const Bytes rgb = hex("01 02 03 04");
    SwfIStream colour(rgb);
    colour.alpha = true;
    EXPECT_EQ(swfxml::formatColor(SwfTagSetBackgroundColor(colour).color), "1020300");
}

TEST(ControlTags, DefinitionIdsFromXmlAndTheDictionary) {
    // Missing ids: the scaling grid takes the conversion's first number, binary data gets 0;
    // the scene tag never writes one.
    const std::uint16_t next = 1;
    Bytes swf;
    std::string failure;
    ASSERT_TRUE(
        compileXml(documentWith(9, "<DefineScalingGrid /><DefineBinaryData />"), swf, failure));
    EXPECT_EQ(toHex(swf), toHex(movieOfTags(9, concat({tag(78, concat({u16(next), hex("10 00")})),
                                                       tag(87, hex("00 00 00 00 00 00"))}))));

    // The grid and the scene table name no character of their own, so the dictionary keeps
    // the definition that owns the id.
    SwfMovie m;
    m.read(movieOfTags(9, concat({tag(87, hex("05 00 00 00 00 00")), tag(78, hex("05 00 10 00")),
                                  tag(86, hex("00 00"))})));
    ASSERT_EQ(m.tags.dictionary.size(), 1u);
    EXPECT_EQ(m.tags.dictionary.at(5), &m.tags[0]);
}

TEST(ControlTags, TablesBeyondTheirCountFailTheWrite) {
    auto exports = std::make_unique<SwfTagExportAssets>();
    for (int i = 0; i < 65536; ++i)
        exports->assets.push_back(asset(1, ""));
    SwfMovie m(false, 8, 0, 0, 12.0f);
    m.tags.append(std::move(exports));
    try {
        m.write();
        FAIL() << "65536 assets were written";
    } catch (const SwfException& e) {
        EXPECT_STREQ(e.what(), "ValueOutOfRange: an asset table has 65536 entries, more than the "
                               "65535 its count can hold (tag 56 ExportAssets, tag index 0)");
    }
}
