// Sound and video tags: every form of each tag in one table checked in all directions, the
// elements only XML can produce, bodies that are cut short, and values too large for their
// fields.
#include "codec_vectors.h"
#include "libswf/exception.h"
#include "libswf/sound.h"

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

SwfSoundFormat format(std::uint8_t f, std::uint8_t rate, std::uint8_t size, std::uint8_t type) {
    SwfSoundFormat out;
    out.format = f, out.rate = rate, out.size = size, out.type = type;
    return out;
}

const CodecVector kSoundVectors[] = {
    {.name = "DefineSoundMp3",
     .version = 6,
     .make = build<SwfTagDefineSound>([](auto& t) {
         t.id = 1, t.format = format(SwfSoundFormat::MP3, 3, 1, 1), t.sampleCount = 44100;
         t.data = hex("de ad");
     }),
     .body = hex("01 00 2f 44 ac 00 00 de ad"),
     .xml = "<DefineSound SoundId=\"1\" SoundFormat=\"MP3\" SoundRate=\"44100Hz\" "
            "SoundSize=\"16Bit\" SoundType=\"Stereo\" SoundSampleCount=\"44100\">\n"
            "    <SoundData><![CDATA[\n            3q0=\n            ]]></SoundData>\n"
            "</DefineSound>\n"},
    {.name = "DefineSoundOfSevenBytesHasNoData",
     .version = 8,
     .make = build<SwfTagDefineSound>(
         [](auto& t) { t.id = 2, t.format = format(SwfSoundFormat::Nellymoser, 0, 1, 0); }),
     .body = hex("02 00 62 00 00 00 00"),
     .xml = "<DefineSound SoundId=\"2\" SoundFormat=\"Nellymoser\" SoundRate=\"5500Hz\" "
            "SoundSize=\"16Bit\" SoundType=\"Mono\" SoundSampleCount=\"0\">\n"
            "    <SoundData><![CDATA[\n            ]]></SoundData>\n</DefineSound>\n"},
    {.name = "DefineSoundFormatWithoutNameIsKeptAsNumber",
     .version = 10,
     .make = build<SwfTagDefineSound>(
         [](auto& t) { t.id = 3, t.format = format(15, 2, 0, 1), t.sampleCount = 0xffffffff; }),
     .body = hex("03 00 f9 ff ff ff ff"),
     .xml = "<DefineSound SoundId=\"3\" SoundFormat=\"15\" SoundRate=\"22050Hz\" "
            "SoundSize=\"8Bit\" SoundType=\"Stereo\" SoundSampleCount=\"4294967295\">\n"
            "    <SoundData><![CDATA[\n            ]]></SoundData>\n</DefineSound>\n"},
    {.name = "StartSoundWithoutEnvelopeSaysSoAndComesBackWithout",
     .version = 6,
     .make = build<SwfTagStartSound>(
         [](auto& t) { t.soundId = 3, t.info.flags = SwfSoundInfo::SyncStop; }),
     .body = hex("03 00 20"),
     .xml =
         "<StartSound SoundId=\"3\">\n    <SoundInfo>\n"
         "        <BitsField SyncStop=\"true\" SyncNoMultiple=\"false\" HasEnvelope=\"false\" />\n"
         "    </SoundInfo>\n</StartSound>\n"},
    {.name = "StartSoundEveryField",
     .version = 6,
     .make = build<SwfTagStartSound>([](auto& t) {
         t.soundId = 5, t.info.flags = 0x1f;
         t.info.inPoint = 100, t.info.outPoint = 70000, t.info.loopCount = 3;
         t.info.envelopes = {{0, 32768, 0}, {44100, 0, 32768}};
     }),
     .body = hex("05 00 1f 64 00 00 00 70 11 01 00 03 00 02"
                 "00 00 00 00 00 80 00 00 44 ac 00 00 00 00 00 80"),
     .xml = "<StartSound SoundId=\"5\">\n"
            "    <SoundInfo InPoint=\"100\" OutPoint=\"70000\" LoopCount=\"3\">\n"
            "        <BitsField SyncStop=\"false\" SyncNoMultiple=\"true\" />\n"
            "        <SoundEnvelope Pos44=\"0\" LeftLevel=\"32768\" RightLevel=\"0\" />\n"
            "        <SoundEnvelope Pos44=\"44100\" LeftLevel=\"0\" RightLevel=\"32768\" />\n"
            "    </SoundInfo>\n</StartSound>\n"},
    {.name = "StartSoundFlagsDecideTheFieldsAndBitsWithoutMeaningAreReserved",
     .version = 6,
     .make = build<SwfTagStartSound>([](auto& t) {
         t.soundId = 1, t.info.flags = 0xc0 | SwfSoundInfo::HasLoops;
         t.info.loopCount = 2, t.info.inPoint = 7, t.info.envelopes = {{1, 2, 3}};
     }),
     .body = hex("01 00 c4 02 00"),
     .xml = "<StartSound SoundId=\"1\">\n    <SoundInfo LoopCount=\"2\">\n"
            "        <BitsField SyncStop=\"false\" SyncNoMultiple=\"false\" HasEnvelope=\"false\" "
            "Reserved=\"3\" />\n"
            "    </SoundInfo>\n</StartSound>\n"},
    {.name = "StartSound2",
     .version = 9,
     .make = build<SwfTagStartSound2>([](auto& t) {
         t.soundClassName.text = "snd.Beep", t.info.flags = SwfSoundInfo::HasEnvelope;
     }),
     .body = hex("73 6e 64 2e 42 65 65 70 00 08 00"),
     .xml = "<StartSound2 SoundClassName=\"snd.Beep\">\n    <SoundInfo>\n"
            "        <BitsField SyncStop=\"false\" SyncNoMultiple=\"false\" />\n"
            "    </SoundInfo>\n</StartSound2>\n"},
    {.name = "SoundStreamHead2AdpcmHasNoLatencySeek",
     .version = 6,
     .make = build<SwfTagSoundStreamHead2>([](auto& t) {
         t.playback = format(SwfSoundFormat::PCM, 2, 1, 1);
         t.stream = format(SwfSoundFormat::ADPCM, 2, 1, 1);
         t.sampleCount = 1837, t.latencySeek = 5;
     }),
     .body = hex("0b 1b 2d 07"),
     .xml = "<SoundStreamHead2 SampleCount=\"1837\">\n"
            "    <PlaybackInfo SoundFormat=\"PCM\" SoundRate=\"22050Hz\" SoundSize=\"16Bit\" "
            "SoundType=\"Stereo\" />\n"
            "    <StreamInfo SoundFormat=\"ADPCM\" SoundRate=\"22050Hz\" SoundSize=\"16Bit\" "
            "SoundType=\"Stereo\" />\n</SoundStreamHead2>\n"},
    {.name = "SoundStreamHead2Mp3HasALatencySeek",
     .version = 6,
     .make = build<SwfTagSoundStreamHead2>([](auto& t) {
         t.playback = format(SwfSoundFormat::PCM, 3, 1, 0);
         t.stream = format(SwfSoundFormat::MP3, 3, 1, 0);
         t.sampleCount = 1152, t.latencySeek = -1;
     }),
     .body = hex("0e 2e 80 04 ff ff"),
     .xml = "<SoundStreamHead2 SampleCount=\"1152\" LatencySeek=\"-1\">\n"
            "    <PlaybackInfo SoundFormat=\"PCM\" SoundRate=\"44100Hz\" SoundSize=\"16Bit\" "
            "SoundType=\"Mono\" />\n"
            "    <StreamInfo SoundFormat=\"MP3\" SoundRate=\"44100Hz\" SoundSize=\"16Bit\" "
            "SoundType=\"Mono\" />\n</SoundStreamHead2>\n"},
    {.name = "SoundStreamHeadReservedNibbleAndUnnamedFormatAreKept",
     .version = 6,
     .make = build<SwfTagSoundStreamHead>([](auto& t) {
         t.playback = format(5, 0, 0, 0);
         t.stream = format(4, 1, 1, 0);
     }),
     .body = hex("50 46 00 00"),
     .xml = "<SoundStreamHead SampleCount=\"0\">\n"
            "    <PlaybackInfo SoundFormat=\"5\" SoundRate=\"5500Hz\" SoundSize=\"8Bit\" "
            "SoundType=\"Mono\" />\n"
            "    <StreamInfo SoundFormat=\"4\" SoundRate=\"11025Hz\" SoundSize=\"16Bit\" "
            "SoundType=\"Mono\" />\n</SoundStreamHead>\n"},
    {.name = "SoundStreamBlock",
     .version = 6,
     .make = build<SwfTagSoundStreamBlock>([](auto& t) { t.data = iota(64); }),
     .body = iota(64),
     .xml = "<SoundStreamBlock>\n    <StreamSoundData><![CDATA[\n"
            "            "
            "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7\n"
            "            PD0+Pw==\n            ]]></StreamSoundData>\n</SoundStreamBlock>\n"},
    {.name = "DefineVideoStreamLevel4WithSmoothing",
     .version = 6,
     .make = build<SwfTagDefineVideoStream>([](auto& t) {
         t.id = 1, t.numFrames = 100, t.width = 320, t.height = 240;
         t.deblocking = 5, t.smoothing = true;
     }),
     .body = hex("01 00 64 00 40 01 f0 00 0b 02"),
     .xml = "<DefineVideoStream Id=\"1\" NumFrames=\"100\" Width=\"320\" Height=\"240\" "
            "Smoothing=\"true\" Deblocking=\"Level4\" CodecId=\"H263\" />\n"},
    {.name = "DefineVideoStreamReserved2AndUnnamedCodecSurvive",
     .version = 8,
     .make =
         build<SwfTagDefineVideoStream>([](auto& t) { t.id = 9, t.deblocking = 7, t.codecId = 7; }),
     .body = hex("09 00 00 00 00 00 00 00 0e 07"),
     .xml = "<DefineVideoStream Id=\"9\" NumFrames=\"0\" Width=\"0\" Height=\"0\" "
            "Smoothing=\"false\" Deblocking=\"Reserved2\" CodecId=\"7\" />\n",
     .readFrom = hex("09 00 00 00 00 00 00 00 fe 07")},
    {.name = "VideoFrame",
     .version = 6,
     .make = build<SwfTagVideoFrame>(
         [](auto& t) { t.streamId = 1, t.frameNum = 513, t.data = hex("00 01 02"); }),
     .body = hex("01 00 01 02 00 01 02"),
     .xml = "<VideoFrame StreamId=\"1\" FrameNum=\"513\">\n"
            "    <Data><![CDATA[\n            AAEC\n            ]]></Data>\n</VideoFrame>\n"},
};

class SoundCodecs : public CodecVectorTest {};
TEST_P(SoundCodecs, EveryDirection) {
    checkCodecVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Sound, SoundCodecs, testing::ValuesIn(kSoundVectors),
                         codecVectorName<CodecVector>);

const XmlInputVector kSoundXmlInputs[] = {
    {.name = "NamesInAnyCaseAndLatencySeekOnlyForMp3",
     .version = 8,
     .xml = "<SoundStreamHead LatencySeek=\"3\"><streaminfo soundrate=\"44100hz\" "
            "SOUNDFORMAT=\"mp3\" soundsize=\"16BIT\" soundtype=\"stereo\" /></SoundStreamHead>"
            "<SoundStreamHead2 LatencySeek=\"3\"><StreamInfo SoundFormat=\"ADPCM\" />"
            "</SoundStreamHead2>",
     .tags = concat({tag(18, hex("00 2f 00 00 03 00")), tag(45, hex("00 10 00 00"))})},
    {.name = "NumbersForNamedValuesAndUnknownNamesLeaveTheDefault",
     .version = 8,
     .xml = "<DefineVideoStream Id=\"2\" Deblocking=\"3\" CodecId=\"VP7\" />"
            "<DefineSound SoundId=\"1\" SoundFormat=\"Speex\" SoundRate=\"1\" SoundType=\"x\" />",
     .tags = concat(
         {tag(60, hex("02 00 00 00 00 00 00 00 06 02")), tag(14, hex("01 00 04 00 00 00 00"))})},
    {.name = "SoundStreamBlockAlwaysTakesTheLongHeader",
     .version = 6,
     .xml = "<SoundStreamBlock><StreamSoundData>AQID</StreamSoundData></SoundStreamBlock>"
            "<SoundStreamBlock />",
     .tags = concat({tag(19, hex("01 02 03"), true), tag(19, {}, true)})},
    // Written by hand, a record has an envelope unless it says otherwise; given points are
    // never dropped.
    {.name = "SoundInfoHasAnEnvelopeUnlessItSaysOtherwise",
     .version = 6,
     .xml = "<StartSound SoundId=\"3\"><SoundInfo><BitsField SyncStop=\"true\" /></SoundInfo>"
            "</StartSound><StartSound SoundId=\"3\"><SoundInfo><BitsField HasEnvelope=\"FALSE\" "
            "Reserved=\"6\" /></SoundInfo></StartSound><StartSound SoundId=\"3\"><SoundInfo>"
            "<BitsField HasEnvelope=\"false\" /><SoundEnvelope Pos44=\"1\" /></SoundInfo>"
            "</StartSound>",
     .tags = concat({tag(15, hex("03 00 28 00")), tag(15, hex("03 00 80")),
                     tag(15, hex("03 00 08 01 01 00 00 00 00 00 00 00"))})},
    {.name = "SoundInfoIsTheFirstChildWhateverItsName",
     .version = 6,
     .xml = "<StartSound SoundId=\"4\" /><StartSound SoundId=\"4\"><Info LoopCount=\"2\">"
            "<bitsfield syncstop=\"TRUE\" /><Note /><soundenvelope Pos44=\"1\" /></Info>"
            "</StartSound>",
     .tags = concat(
         {tag(15, hex("04 00 00")), tag(15, hex("04 00 2c 02 00 01 01 00 00 00 00 00 00 00"))})},
    {.name = "SoundFormatTooLargeForItsBitsFailsTheCompile",
     .version = 8,
     .xml = "<DefineSound SoundFormat=\"16\" />",
     .tags = {},
     .failure =
         "line 2, column 2: DefineSound: ValueOutOfRange: SoundFormat 16 does not fit its 4 bits"},
    {.name = "CodecIdTooLargeForItsByteFailsTheCompile",
     .version = 8,
     .xml = "<DefineVideoStream CodecId=\"99999999999999999999\" />",
     .tags = {},
     .failure = "line 2, column 2: DefineVideoStream: ValueOutOfRange: CodecId "
                "99999999999999999999 does not fit its 8 bits"},
};

class SoundXmlInputs : public XmlInputVectorTest {};
TEST_P(SoundXmlInputs, Compile) {
    checkXmlInputVector(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Sound, SoundXmlInputs, testing::ValuesIn(kSoundXmlInputs),
                         codecVectorName<XmlInputVector>);

} // namespace

TEST(SoundTags, BodiesCutShortFailTheRead) {
    // The single tag's header is at offset 21 and its body at 23.
    EXPECT_EQ(tagReadFailure(8, 18, hex("00 2e 80 04")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but none remain in the tag body (tag "
              "18 SoundStreamHead at offset 21, tag index 0; failed at offset 27)");
    // An envelope that announces more points than the body holds.
    EXPECT_EQ(tagReadFailure(8, 15, hex("01 00 08 ff 00 00 00 00 01 00 01 00")),
              "UnexpectedEnd: a 32-bit value needs 4 bytes but none remain in the tag body (tag "
              "15 StartSound at offset 21, tag index 0; failed at offset 35)");
    EXPECT_EQ(tagReadFailure(8, 14, hex("01 00 2f 44 ac 00")),
              "UnexpectedEnd: a 32-bit value needs 4 bytes but only 3 remain in the tag body (tag "
              "14 DefineSound at offset 21, tag index 0; failed at offset 26)");
    EXPECT_EQ(tagReadFailure(8, 60, hex("01 00 64 00 40 01 f0 00 0b")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 60 "
              "DefineVideoStream at offset 21, tag index 0; failed at offset 32)");
}

TEST(SoundTags, ValuesTooLargeForTheirFieldsFailTheWrite) {
    auto envelope = std::make_unique<SwfTagStartSound>();
    envelope->info.flags = SwfSoundInfo::HasEnvelope;
    envelope->info.envelopes.resize(256);
    EXPECT_EQ(tagWriteFailure(8, std::move(envelope)),
              "ValueOutOfRange: a sound envelope has 256 points, more than the 255 its count can "
              "hold (tag 15 StartSound, tag index 0)");

    auto head = std::make_unique<SwfTagSoundStreamHead>();
    head->stream.size = 2;
    EXPECT_EQ(tagWriteFailure(8, std::move(head)),
              "ValueOutOfRange: a sound size of 2 does not fit its 1 bit (tag 18 "
              "SoundStreamHead, tag index 0)");

    auto sound = std::make_unique<SwfTagDefineSound>();
    sound->format.rate = 4;
    EXPECT_EQ(tagWriteFailure(8, std::move(sound)),
              "ValueOutOfRange: a sound rate of 4 does not fit its 2 bits (tag 14 DefineSound, "
              "tag index 0)");

    auto video = std::make_unique<SwfTagDefineVideoStream>();
    video->deblocking = 8;
    EXPECT_EQ(tagWriteFailure(8, std::move(video)),
              "ValueOutOfRange: a video deblocking filter of 8 does not fit its 3 bits (tag 60 "
              "DefineVideoStream, tag index 0)");
}
