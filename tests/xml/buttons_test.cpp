// Buttons: every form of the four button tags in one table checked in all directions, the
// elements only XML can produce, the limits of the offset and size fields, truncated bodies,
// and whole movies through both conversions.
#include "codec_vectors.h"
#include "libswf/buttons.h"
#include "libswf/exception.h"
#include "libswf/filters.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

void addActions(SwfActions& list, std::initializer_list<std::uint8_t> codes) {
    for (std::uint8_t code : codes)
        list.push_back(std::make_unique<SwfAction>(code));
}

std::unique_ptr<SwfButtonRecord> record(std::uint8_t flags, std::uint16_t character,
                                        std::uint16_t depth) {
    auto r = std::make_unique<SwfButtonRecord>();
    r->stateUp = flags & SwfButtonRecord::StateUp;
    r->stateOver = flags & SwfButtonRecord::StateOver;
    r->stateDown = flags & SwfButtonRecord::StateDown;
    r->hitTest = flags & SwfButtonRecord::HitTest;
    r->hasFilterList = flags & SwfButtonRecord::HasFilterList;
    r->hasBlendMode = flags & SwfButtonRecord::HasBlendMode;
    r->reserved = flags & SwfButtonRecord::ReservedBits;
    r->characterId = character;
    r->depth = depth;
    return r;
}

std::unique_ptr<SwfButtonAction> condition(std::uint16_t conditions, std::uint16_t key,
                                           std::initializer_list<std::uint8_t> codes) {
    auto a = std::make_unique<SwfButtonAction>();
    a->conditions = conditions;
    a->keyCode = key;
    addActions(a->actions, codes);
    return a;
}

std::shared_ptr<SwfFilter> blur(std::uint32_t x, std::uint32_t y, std::uint8_t flags) {
    auto filter = std::make_shared<SwfBlurFilter>();
    filter->blurX = x, filter->blurY = y, filter->flags = flags;
    return std::make_shared<SwfFilter>(SwfFilter::Blur, filter);
}

// Translated by (20, 40) twips.
const Bytes kMatrix = hex("0e 51 40");
// Multiplication terms only, with alpha: 256, 256, 256, 128 in 10 bits.
const Bytes kHalfAlpha = hex("69 00 40 10 02 00");
// Both groups without alpha: multiplication 256, 128, 0 and addition -10, 0, 255 in 10 bits.
const Bytes kRgbTransform = hex("e9 00 20 00 0f d8 00 3f c0");

const std::string kMatrixXml = "            <Matrix>\n"
                               "                <Translate TranslateX=\"20\" TranslateY=\"40\" />\n"
                               "            </Matrix>\n";
const std::string kIdentityXml = "            <Matrix>\n"
                                 "                <Translate TranslateX=\"0\" TranslateY=\"0\" />\n"
                                 "            </Matrix>\n";

// The attributes of these names, in order, true where `values` holds a '1'.
std::string booleans(std::initializer_list<const char*> names, std::string_view values) {
    std::string out;
    std::size_t i = 0;
    for (const char* name : names)
        out += std::string(" ") + name + "=\"" + (values[i++] == '1' ? "true" : "false") + "\"";
    return out;
}

// A record's BitsField: the six flags by `values`, then `more`.
std::string bits(std::string_view values, const std::string& more = "") {
    return "            <BitsField" +
           booleans(
               {"StateUp", "StateOver", "StateDown", "HitTest", "HasFilterList", "HasBlendMode"},
               values) +
           more + " />\n";
}

// A condition action's nine conditions by `values`, then its key.
std::string conditions(std::string_view values, const std::string& key = "") {
    return booleans({"RollOver", "RollOut", "Press", "Release", "PushDragOut", "PushDragOver",
                     "PushReleaseOutside", "MenuDragOver", "MenuDragOut"},
                    values) +
           (key.empty() ? "" : " KeyCode=\"" + key + "\"");
}

const CodecVector kButtonVectors[] = {
    {.name = "DefineButtonWithScript",
     .version = 4,
     .make = build<SwfTagDefineButton>([](auto& t) {
         t.id = 1;
         t.records.push_back(record(0x09, 2, 1));
         t.records.back()->matrix.translateX = 20, t.records.back()->matrix.translateY = 40;
         addActions(t.actions, {0x06, 0x00});
     }),
     .body = concat({hex("01 00 09 02 00 01 00"), kMatrix, hex("00 06 00")}),
     .xml = "<DefineButton ButtonId=\"1\">\n    <ButtonRecords>\n"
            "        <ButtonRecord CharacterId=\"2\" Depth=\"1\">\n" +
            bits("100100") + kMatrixXml +
            "        </ButtonRecord>\n    </ButtonRecords>\n"
            "    <Actions>\n        <Play />\n        <End />\n    </Actions>\n</DefineButton>\n"},
    {.name = "DefineButtonEndingWithItsRecordsHasNoActionsElement",
     .version = 4,
     .make = build<SwfTagDefineButton>([](auto& t) { t.id = 3; }),
     .body = hex("03 00 00"),
     .xml = "<DefineButton ButtonId=\"3\">\n    <ButtonRecords />\n</DefineButton>\n"},
    {.name = "DefineButtonKeepsEveryFlagBitButWritesNoExtendedFields",
     .version = 4,
     .make = build<SwfTagDefineButton>([](auto& t) {
         t.id = 1;
         t.records.push_back(record(0xf2, 5, 1));
         t.records.back()->hasBlendMode = true, t.records.back()->blendMode = 3;
     }),
     .body = hex("01 00 f2 05 00 01 00 00 00"),
     .xml = "<DefineButton ButtonId=\"1\">\n    <ButtonRecords>\n"
            "        <ButtonRecord CharacterId=\"5\" Depth=\"1\">\n" +
            bits("010011", " Reserved=\"192\"") + kIdentityXml +
            "        </ButtonRecord>\n    </ButtonRecords>\n</DefineButton>\n"},
    {.name = "DefineButton2WithoutConditionActionsHasOffsetZero",
     .version = 8,
     .make = build<SwfTagDefineButton2>([](auto& t) {
         t.id = 5, t.trackAsMenu = true;
         t.records.push_back(record(0x04, 3, 2));
         t.records.back()->matrix.translateX = 20, t.records.back()->matrix.translateY = 40;
     }),
     .body = concat({hex("05 00 01 00 00 04 03 00 02 00"), kMatrix, hex("00 00")}),
     .xml = "<DefineButton2 ButtonId=\"5\" TrackAsMenu=\"true\">\n    <ButtonRecords>\n"
            "        <ButtonRecord CharacterId=\"3\" Depth=\"2\">\n" +
            bits("001000") + kMatrixXml +
            "            <ColorTransform />\n        </ButtonRecord>\n    </ButtonRecords>\n"
            "    <ButtonCondactions />\n</DefineButton2>\n"},
    {.name = "DefineButton2OffsetPassesTheRecordsAndTheLastSizeIsZero",
     .version = 8,
     .make = build<SwfTagDefineButton2>([](auto& t) {
         t.id = 1;
         t.records.push_back(record(0x01, 1, 1));
         auto& cx = t.records.back()->colorTransform;
         cx.hasMult = true, cx.mulR = cx.mulG = cx.mulB = 256, cx.mulA = 128;
         t.conditionActions.push_back(
             condition(SwfButtonAction::RollOver | SwfButtonAction::Release, 0, {0x07, 0x00}));
         t.conditionActions.push_back(condition(SwfButtonAction::Press, 13, {0x00}));
     }),
     .body = concat({hex("01 00 00 0f 00 01 01 00 01 00 00"), kHalfAlpha,
                     hex("00 06 00 09 00 07 00 00 00 04 1a 00")}),
     .xml = "<DefineButton2 ButtonId=\"1\" TrackAsMenu=\"false\">\n    <ButtonRecords>\n"
            "        <ButtonRecord CharacterId=\"1\" Depth=\"1\">\n" +
            bits("100000") + kIdentityXml +
            "            <ColorTransform MulR=\"256\" MulG=\"256\" MulB=\"256\" MulA=\"128\" />\n"
            "        </ButtonRecord>\n    </ButtonRecords>\n    <ButtonCondactions>\n"
            "        <ButtonCondaction" +
            conditions("100100000") +
            ">\n            <Actions>\n                <Stop />\n                <End />\n"
            "            </Actions>\n        </ButtonCondaction>\n        <ButtonCondaction" +
            conditions("001000000", "Enter") +
            ">\n            <Actions>\n                <End />\n            </Actions>\n"
            "        </ButtonCondaction>\n    </ButtonCondactions>\n</DefineButton2>\n"},
    {.name = "DefineButton2UnnamedKeyAndReservedFlagBitsSurvive",
     .version = 8,
     .make = build<SwfTagDefineButton2>([](auto& t) {
         t.id = 2, t.trackAsMenu = true, t.reserved = 0x82;
         t.conditionActions.push_back(condition(0x1ff, 65, {0x00}));
     }),
     .body = hex("02 00 83 03 00 00 00 00 ff 83 00"),
     .xml = "<DefineButton2 ButtonId=\"2\" TrackAsMenu=\"true\" Reserved=\"130\">\n"
            "    <ButtonRecords />\n    <ButtonCondactions>\n        <ButtonCondaction" +
            conditions("111111111", "65") +
            ">\n            <Actions>\n                <End />\n            </Actions>\n"
            "        </ButtonCondaction>\n    </ButtonCondactions>\n</DefineButton2>\n"},
    {.name = "DefineButton2RecordWithFiltersAndBlendMode",
     .version = 8,
     .make = build<SwfTagDefineButton2>([](auto& t) {
         t.id = 9;
         t.records.push_back(record(0x31, 4, 3));
         t.records.back()->blendMode = 3;
         t.records.back()->filters.filters.push_back(blur(0x50000, 0x20000, 0x08));
     }),
     .body = hex("09 00 00 00 00 31 04 00 03 00 00 00 01 01 00 00 05 00 00 00 02 00 08 03 00"),
     .xml = "<DefineButton2 ButtonId=\"9\" TrackAsMenu=\"false\">\n    <ButtonRecords>\n"
            "        <ButtonRecord CharacterId=\"4\" Depth=\"3\" BlendMode=\"3\">\n" +
            bits("100011") + kIdentityXml +
            "            <ColorTransform />\n            <FilterList>\n"
            "                <BlurFilter>\n"
            "                    <BlurX High=\"0\" Low=\"5\" />\n"
            "                    <BlurY High=\"0\" Low=\"2\" />\n"
            "                    <BitsField Passes=\"1\" />\n"
            "                </BlurFilter>\n"
            "            </FilterList>\n        </ButtonRecord>\n    </ButtonRecords>\n"
            "    <ButtonCondactions />\n</DefineButton2>\n"},
    {.name = "DefineButtonCxformNeverHasAlphaAndDropsBytesAfterTheTransform",
     .version = 4,
     .make = build<SwfTagDefineButtonCxform>([](auto& t) {
         t.buttonId = 3;
         auto& cx = t.colorTransform;
         cx.hasMult = cx.hasAdd = true;
         cx.mulR = 256, cx.mulG = 128, cx.addR = -10, cx.addB = 255;
     }),
     .body = concat({hex("03 00"), kRgbTransform}),
     .xml = "<DefineButtonCxform ButtonId=\"3\">\n"
            "    <ColorTransform MulR=\"256\" MulG=\"128\" MulB=\"0\" MulA=\"0\" AddR=\"-10\" "
            "AddG=\"0\" AddB=\"255\" AddA=\"0\" />\n</DefineButtonCxform>\n",
     .readFrom = concat({hex("03 00"), kRgbTransform, hex("00 40 00 00")})},
    {.name = "DefineButtonSoundOnlyPress",
     .version = 4,
     .make = build<SwfTagDefineButtonSound>([](auto& t) {
         t.buttonId = 4;
         t.soundIds[SwfTagDefineButtonSound::Press] = 9;
         SwfSoundInfo& info = t.soundInfos[SwfTagDefineButtonSound::Press];
         info.flags = SwfSoundInfo::SyncStop | SwfSoundInfo::HasLoops | SwfSoundInfo::HasEnvelope;
         info.loopCount = 2;
         info.envelopes.push_back({44100, 32768, 0});
     }),
     .body = hex("04 00 00 00 00 00 09 00 2c 02 00 01 44 ac 00 00 00 80 00 00 00 00"),
     .xml = "<DefineButtonSound ButtonId=\"4\" SoundIdRollOut=\"0\" SoundIdRollOver=\"0\" "
            "SoundIdPress=\"9\" SoundIdRelease=\"0\">\n"
            "    <SoundInfoPress LoopCount=\"2\">\n"
            "        <BitsField SyncStop=\"true\" SyncNoMultiple=\"false\" />\n"
            "        <SoundEnvelope Pos44=\"44100\" LeftLevel=\"32768\" RightLevel=\"0\" />\n"
            "    </SoundInfoPress>\n</DefineButtonSound>\n"},
    {.name = "DefineButtonSoundInfoWithoutFlagsComesBackWithoutEnvelope",
     .version = 4,
     .make = build<SwfTagDefineButtonSound>([](auto& t) {
         t.buttonId = 2;
         t.soundIds = {0, 7, 0, 8};
     }),
     .body = hex("02 00 00 00 07 00 00 00 00 08 00 00"),
     .xml =
         "<DefineButtonSound ButtonId=\"2\" SoundIdRollOut=\"0\" SoundIdRollOver=\"7\" "
         "SoundIdPress=\"0\" SoundIdRelease=\"8\">\n"
         "    <SoundInfoRollOver>\n"
         "        <BitsField SyncStop=\"false\" SyncNoMultiple=\"false\" HasEnvelope=\"false\" />\n"
         "    </SoundInfoRollOver>\n    <SoundInfoRelease>\n"
         "        <BitsField SyncStop=\"false\" SyncNoMultiple=\"false\" HasEnvelope=\"false\" />\n"
         "    </SoundInfoRelease>\n</DefineButtonSound>\n"},
};

class ButtonCodecs : public CodecVectorTest {};
TEST_P(ButtonCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Buttons, ButtonCodecs, testing::ValuesIn(kButtonVectors),
                         codecVectorName<CodecVector>);

const XmlInputVector kButtonXmlInputs[] = {
    {.name = "RecordsShownInNoStateAreShownInAll",
     .version = 8,
     .xml = "<DefineButton2 ButtonId=\"1\"><ButtonRecords><ButtonRecord CharacterId=\"2\" "
            "Depth=\"1\"><BitsField HasBlendMode=\"true\" StateUp=\"false\" /></ButtonRecord>"
            "<Other /><buttonrecord /></ButtonRecords></DefineButton2>",
     .tags = tag(34, hex("01 00 00 00 00 2f 02 00 01 00 00 00 00 0f 00 00 00 00 00 00 00"))},
    {.name = "FilterListAndBlendModeWithoutTheirFlagsAreNotWritten",
     .version = 8,
     .xml = "<DefineButton2 ButtonId=\"1\"><ButtonRecords><ButtonRecord BlendMode=\"5\">"
            "<BitsField StateUp=\"true\" /><FilterList><BlurFilter /></FilterList>"
            "</ButtonRecord></ButtonRecords></DefineButton2>",
     .tags = tag(34, hex("01 00 00 00 00 01 00 00 00 00 00 00 00"))},
    {.name = "KeyCodeNamesInAnyCaseNumbersAndTheFirstChildAsScript",
     .version = 8,
     .xml = "<DefineButton2 ButtonId=\"1\"><ButtonCondactions>"
            "<ButtonCondaction Press=\"TRUE\" KeyCode=\"enter\"><Script><Stop /><End /><Play />"
            "</Script><Actions><Stop /></Actions></ButtonCondaction>"
            "<buttoncondaction keycode=\"ESCAPE\">text only</buttoncondaction>"
            "<ButtonCondaction KeyCode=\"65\"><Actions /></ButtonCondaction>"
            "<ButtonCondaction KeyCode=\"A\" MenuDragOut=\"true\" /></ButtonCondactions>"
            "</DefineButton2>",
     .tags = tag(34, hex("01 00 00 03 00 00 07 00 04 1a 07 06 00 05 00 00 26 00 05 00 00 82 00 "
                         "00 00 00 01 00"))},
    {.name = "ReservedBitsStayOutOfTheNamedFlags",
     .version = 8,
     .xml = "<DefineButton2 ButtonId=\"1\" TrackAsMenu=\"false\" Reserved=\"255\"><ButtonRecords>"
            "<ButtonRecord><BitsField StateUp=\"true\" Reserved=\"255\" /></ButtonRecord>"
            "</ButtonRecords></DefineButton2>",
     .tags = tag(34, hex("01 00 fe 00 00 c1 00 00 00 00 00 00 00"))},
    {.name = "SoundInfoOfATransitionWithoutSoundIsNotWritten",
     .version = 8,
     .xml =
         "<DefineButtonSound ButtonId=\"1\" SoundIdPress=\"2\"><SoundInfoRollOut LoopCount=\"3\" "
         "/><soundinfopress /></DefineButtonSound>",
     .tags = tag(17, hex("01 00 00 00 00 00 02 00 08 00 00 00"))},
    {.name = "EmptyActionsElementGivesAnEndAndMissingPartsAreEmpty",
     .version = 8,
     .xml = "<DefineButton ButtonId=\"1\"><Actions /></DefineButton>"
            "<DefineButtonCxform ButtonId=\"2\" />",
     .tags = concat({tag(7, hex("01 00 00 00")), tag(23, hex("02 00 00"))})},
    {.name = "KeyCodeBeyondSevenBitsFailsTheCompile",
     .version = 8,
     .xml = "<DefineButton2 ButtonId=\"1\"><ButtonCondactions><ButtonCondaction KeyCode=\"128\" />"
            "</ButtonCondactions></DefineButton2>",
     .tags = {},
     .failure = "line 2, column 2: ValueOutOfRange: a condition action's key code 128 does not "
                "fit its 7 bits (0 to 127) (tag 34 DefineButton2, tag index 0)"},
};

class ButtonXmlInputs : public XmlInputVectorTest {};
TEST_P(ButtonXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Buttons, ButtonXmlInputs, testing::ValuesIn(kButtonXmlInputs),
                         codecVectorName<XmlInputVector>);

// A DefineButton2 whose records take `bytes` bytes with the end byte, at least 8.
std::unique_ptr<SwfTagDefineButton2> buttonWithRecordBytes(std::size_t bytes) {
    auto button = std::make_unique<SwfTagDefineButton2>();
    button->id = 1;
    // Records of 7 bytes, and of 8 with a blend mode to reach any count.
    std::size_t rest = bytes - 1;
    while (rest % 7 != 0) {
        button->records.push_back(record(0x21, 0, 0));
        rest -= 8;
    }
    for (; rest > 0; rest -= 7)
        button->records.push_back(record(0x01, 0, 0));
    return button;
}

} // namespace

TEST(ButtonTags, TheActionOffsetReachesAt65535) {
    auto fits = buttonWithRecordBytes(65533);
    fits->conditionActions.push_back(condition(0, 0, {0x00}));
    const Bytes swf = writeMovieWith(8, std::move(fits));
    // After the 21 bytes of the movie header, the 6-byte tag header, the id and the flags.
    EXPECT_EQ(toHex(Bytes(swf.begin() + 30, swf.begin() + 32)), "ff ff");

    auto over = buttonWithRecordBytes(65534);
    over->conditionActions.push_back(condition(0, 0, {0x00}));
    EXPECT_EQ(tagWriteFailure(8, std::move(over)),
              "ValueOutOfRange: DefineButton2 has 65534 bytes of button records before its "
              "condition actions, more than the 65533 its action offset can pass (tag 34 "
              "DefineButton2, tag index 0)");
    // Without condition actions the offset is 0 whatever the records take.
    EXPECT_EQ(tagWriteFailure(8, buttonWithRecordBytes(70000)), "");
}

TEST(ButtonTags, OnlyTheLastConditionActionMayPassItsSizeField) {
    auto script = [](std::size_t plays) {
        auto action = condition(0, 0, {});
        for (std::size_t i = 0; i < plays; ++i)
            addActions(action->actions, {0x06});
        addActions(action->actions, {0x00});
        return action;
    };
    auto fits = std::make_unique<SwfTagDefineButton2>();
    fits->conditionActions.push_back(script(65530)); // 4 + 65531 bytes
    fits->conditionActions.push_back(script(70000));
    const Bytes swf = writeMovieWith(8, std::move(fits));
    EXPECT_EQ(toHex(Bytes(swf.begin() + 33, swf.begin() + 35)), "ff ff");

    auto over = std::make_unique<SwfTagDefineButton2>();
    over->conditionActions.push_back(script(65531));
    over->conditionActions.push_back(script(0));
    EXPECT_EQ(tagWriteFailure(8, std::move(over)),
              "ValueOutOfRange: condition action 0 takes 65536 bytes, more than the 65535 its "
              "size field can hold (tag 34 DefineButton2, tag index 0)");

    auto conditions = std::make_unique<SwfTagDefineButton2>();
    conditions->conditionActions.push_back(condition(0x200, 0, {0x00}));
    EXPECT_EQ(tagWriteFailure(8, std::move(conditions)),
              "ValueOutOfRange: a condition action's conditions 512 set bits beyond the nine "
              "transitions (at most 511) (tag 34 DefineButton2, tag index 0)");
}

TEST(ButtonTags, TruncatedBodiesFailTheRead) {
    // The single tag's header is at offset 21 and its body at 23.
    EXPECT_EQ(tagReadFailure(4, 7, hex("01 00 0f 02 00")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag 7 "
              "DefineButton at offset 21, tag index 0; failed at offset 28)");
    EXPECT_EQ(tagReadFailure(4, 7, hex("01 00")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 7 "
              "DefineButton at offset 21, tag index 0; failed at offset 25)");
    // A condition action list must end with an entry whose size is 0.
    EXPECT_EQ(tagReadFailure(8, 34, hex("01 00 00 03 00 00 05 00 00 00 00")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag "
              "34 DefineButton2 at offset 21, tag index 0; failed at offset 34)");
    // With offset 0 the bytes after the records are not read.
    EXPECT_EQ(tagReadFailure(8, 34, hex("01 00 00 00 00 00 05 00")), "");
    EXPECT_EQ(tagReadFailure(4, 17, hex("01 00 00 00 05 00")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 17 "
              "DefineButtonSound at offset 21, tag index 0; failed at offset 29)");
}

// A movie with every button tag and form, between tags that leave the alpha flag on and off.
SwfMovie everyButtonMovie() {
    SwfMovie m(false, 8, 11000, 8000, 12.0f);
    auto first = std::make_unique<SwfTagDefineButton>();
    first->id = 1;
    first->records.push_back(record(0x0f, 7, 1));
    first->records.back()->matrix.hasScale = true, first->records.back()->matrix.scaleX = 2.5;
    addActions(first->actions, {0x06, 0x07, 0x00});
    m.tags.append(std::move(first));

    auto cxform = std::make_unique<SwfTagDefineButtonCxform>();
    cxform->buttonId = 1;
    cxform->colorTransform.hasAdd = true, cxform->colorTransform.addG = -255;
    m.tags.append(std::move(cxform));

    auto sound = std::make_unique<SwfTagDefineButtonSound>();
    sound->buttonId = 1;
    sound->soundIds = {3, 4, 5, 6};
    for (SwfSoundInfo& info : sound->soundInfos)
        info.flags = SwfSoundInfo::HasEnvelope;
    sound->soundInfos[0].flags |= SwfSoundInfo::HasInPoint | SwfSoundInfo::HasOutPoint;
    sound->soundInfos[0].inPoint = 10, sound->soundInfos[0].outPoint = 4000000000u;
    sound->soundInfos[3].flags |= SwfSoundInfo::SyncNoMultiple;
    m.tags.append(std::move(sound));

    auto second = std::make_unique<SwfTagDefineButton2>();
    second->id = 2, second->trackAsMenu = true, second->reserved = 0x40;
    second->records.push_back(record(0xff, 1, 2));
    second->records.back()->blendMode = 14;
    second->records.back()->filters.filters.push_back(blur(1, 2, 0xf8));
    second->records.back()->colorTransform.hasAdd = true;
    second->records.back()->colorTransform.addA = -128;
    second->records.push_back(record(0x02, 1, 3));
    second->records.back()->matrix.hasRotate = true;
    second->records.back()->matrix.rotateSkew0 = -0.25;
    second->conditionActions.push_back(condition(SwfButtonAction::MenuDragOver, 127, {0x00}));
    second->conditionActions.push_back(condition(SwfButtonAction::RollOut, 6, {0x07, 0x00}));
    m.tags.append(std::move(second));

    auto again = std::make_unique<SwfTagDefineButtonCxform>();
    again->buttonId = 2;
    again->colorTransform.hasMult = true, again->colorTransform.mulB = 1;
    m.tags.append(std::move(again));
    m.tags.append(std::make_unique<SwfTagShowFrame>());
    return m;
}

TEST(ButtonTags, MoviesComeBackWholeThroughXml) {
    SwfMovie made = everyButtonMovie();
    const Bytes swf = toBytes(made.write());

    swfxml::SwfXmlWriter writer;
    std::string document;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, document)) << writer.failure.describe();
    EXPECT_EQ(document.find("Unknown"), std::string::npos) << document;
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(document, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(swf));

    swfxml::SwfXmlWriter again;
    std::string second;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(again, compiled, second));
    EXPECT_EQ(second, document);
}
