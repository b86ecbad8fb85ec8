// Sound and video tags in XML.
#include "sound_xml.h"

#include "family.h"
#include "libswf/exception.h"

#include <iterator>
#include <string>

namespace swfxml {

using namespace libswf;

namespace {

// Base64 children hang one level below the tag element.
constexpr int kDataDepth = 2;

// The names of a small bit field's values; values without a name are shown as numbers.
struct NamedField {
    const char* attribute;
    unsigned bits;
    const char* names[8]; // by value; null for values without a name
};

const NamedField kSoundFormat{
    "SoundFormat", 4, {"PCM", "ADPCM", "MP3", "NativePCM", nullptr, nullptr, "Nellymoser"}};
const NamedField kSoundRate{"SoundRate", 2, {"5500Hz", "11025Hz", "22050Hz", "44100Hz"}};
const NamedField kSoundSize{"SoundSize", 1, {"8Bit", "16Bit"}};
const NamedField kSoundType{"SoundType", 1, {"Mono", "Stereo"}};
const NamedField kDeblocking{
    "Deblocking",
    3,
    {"UseVideo", "Off", "Level1", "Level2", "Level3", "Level4", "Reserved1", "Reserved2"}};
const NamedField kCodecId{
    "CodecId", 8, {"Unknown0", "Unknown1", "H263", "ScreenVideo", "VP6", "VP6Alpha"}};

void setNamed(SwfXmlOut& node, const NamedField& field, unsigned value) {
    if (value < std::size(field.names))
        if (const char* name = field.names[value]) {
            node.attribute(field.attribute, name);
            return;
        }
    setNumber(node, field.attribute, value);
}

bool allDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A name of the field in any case, or a number that fits its bits; other text leaves the
// target alone. A number too large for the field fails the compile rather than being cut.
void readNamed(const SwfXmlIn& node, const NamedField& field, std::uint8_t& target) {
    const SwfXmlAttribute* attribute = findAttribute(node, field.attribute);
    if (!attribute)
        return;
    const std::string_view text = attribute->value;
    unsigned value = 0;
    for (const char* name : field.names) {
        if (name && namesEqual(text, name)) {
            target = static_cast<std::uint8_t>(value);
            return;
        }
        ++value;
    }
    if (!allDigits(text))
        return;
    const std::uint64_t number = parseNumber<std::uint64_t>(text);
    if (text.size() > 19 || number >= (1u << field.bits))
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(field.attribute) + " " + std::string(text) +
                               " does not fit its " + std::to_string(field.bits) + " bits");
    target = static_cast<std::uint8_t>(number);
}

void setFormat(SwfXmlOut& node, const SwfSoundFormat& format) {
    setNamed(node, kSoundFormat, format.format);
    setNamed(node, kSoundRate, format.rate);
    setNamed(node, kSoundSize, format.size);
    setNamed(node, kSoundType, format.type);
}

void readFormat(const SwfXmlIn& node, SwfSoundFormat& format) {
    readNamed(node, kSoundFormat, format.format);
    readNamed(node, kSoundRate, format.rate);
    readNamed(node, kSoundSize, format.size);
    readNamed(node, kSoundType, format.type);
}

// ---- event sounds -----------------------------------------------------------------------

void writeDefineSound(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& sound = static_cast<const SwfTagDefineSound&>(tag);
    setNumber(element, "SoundId", sound.id);
    setFormat(element, sound.format);
    setNumber(element, "SoundSampleCount", sound.sampleCount);
    appendBase64(element, "SoundData", sound.data, kDataDepth);
}

std::unique_ptr<SwfTag> readDefineSound(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineSound>();
    readNumber(element, "SoundId", tag->id);
    readFormat(element, tag->format);
    readNumber(element, "SoundSampleCount", tag->sampleCount);
    tag->data = base64DecodeElement(findChild(element, "SoundData"));
    return tag;
}

void writeStartSound(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& start = static_cast<const SwfTagStartSound&>(tag);
    setNumber(element, "SoundId", start.soundId);
    appendSoundInfo(element, "SoundInfo", start.info);
}

std::unique_ptr<SwfTag> readStartSound(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagStartSound>();
    readNumber(element, "SoundId", tag->soundId);
    readSoundInfo(element.nextChild(), tag->info);
    return tag;
}

void writeStartSound2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& start = static_cast<const SwfTagStartSound2&>(tag);
    setString(element, "SoundClassName", start.soundClassName);
    appendSoundInfo(element, "SoundInfo", start.info);
}

std::unique_ptr<SwfTag> readStartSound2(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagStartSound2>();
    readString(element, "SoundClassName", tag->soundClassName);
    readSoundInfo(element.nextChild(), tag->info);
    return tag;
}

// ---- streamed sound ---------------------------------------------------------------------

void writeSoundStreamHead(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& head = static_cast<const SwfTagSoundStreamHead&>(tag);
    setNumber(element, "SampleCount", head.sampleCount);
    if (head.stream.format == SwfSoundFormat::MP3)
        setNumber(element, "LatencySeek", head.latencySeek);
    SwfXmlOut playback = element.child("PlaybackInfo");
    setFormat(playback, head.playback);
    SwfXmlOut stream = element.child("StreamInfo");
    setFormat(stream, head.stream);
}

template <class T>
std::unique_ptr<SwfTag> readSoundStreamHead(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<T>();
    readNumber(element, "SampleCount", tag->sampleCount);
    readNumber(element, "LatencySeek", tag->latencySeek);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "PlaybackInfo"))
            readFormat(child, tag->playback);
        else if (first.is(child, 1, "StreamInfo"))
            readFormat(child, tag->stream);
    }
    return tag;
}

void writeSoundStreamBlock(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    appendBase64(element, "StreamSoundData", static_cast<const SwfTagSoundStreamBlock&>(tag).data,
                 kDataDepth);
}

std::unique_ptr<SwfTag> readSoundStreamBlock(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagSoundStreamBlock>();
    tag->data = base64DecodeElement(findChild(element, "StreamSoundData"));
    // Authoring tools write stream blocks with the 6-byte header whatever their length; a
    // compiled block does the same, so that editing its data never changes its header form.
    tag->setLongHeader(true);
    return tag;
}

// ---- video ------------------------------------------------------------------------------

void writeDefineVideoStream(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& video = static_cast<const SwfTagDefineVideoStream&>(tag);
    setNumber(element, "Id", video.id);
    setNumber(element, "NumFrames", video.numFrames);
    setNumber(element, "Width", video.width);
    setNumber(element, "Height", video.height);
    setBool(element, "Smoothing", video.smoothing);
    setNamed(element, kDeblocking, video.deblocking);
    setNamed(element, kCodecId, video.codecId);
}

std::unique_ptr<SwfTag> readDefineVideoStream(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineVideoStream>();
    readNumber(element, "Id", tag->id);
    readNumber(element, "NumFrames", tag->numFrames);
    readNumber(element, "Width", tag->width);
    readNumber(element, "Height", tag->height);
    readBool(element, "Smoothing", tag->smoothing);
    readNamed(element, kDeblocking, tag->deblocking);
    readNamed(element, kCodecId, tag->codecId);
    return tag;
}

void writeVideoFrame(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& frame = static_cast<const SwfTagVideoFrame&>(tag);
    setNumber(element, "StreamId", frame.streamId);
    setNumber(element, "FrameNum", frame.frameNum);
    appendBase64(element, "Data", frame.data, kDataDepth);
}

std::unique_ptr<SwfTag> readVideoFrame(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagVideoFrame>();
    readNumber(element, "StreamId", tag->streamId);
    readNumber(element, "FrameNum", tag->frameNum);
    tag->data = base64DecodeElement(findChild(element, "Data"));
    return tag;
}

constexpr SwfXmlTagCodec kSoundCodecs[] = {
    {14, &writeDefineSound, &readDefineSound},
    {15, &writeStartSound, &readStartSound},
    {18, &writeSoundStreamHead, &readSoundStreamHead<SwfTagSoundStreamHead>},
    {19, &writeSoundStreamBlock, &readSoundStreamBlock},
    {45, &writeSoundStreamHead, &readSoundStreamHead<SwfTagSoundStreamHead2>},
    {60, &writeDefineVideoStream, &readDefineVideoStream},
    {61, &writeVideoFrame, &readVideoFrame},
    {89, &writeStartSound2, &readStartSound2},
};

} // namespace

// The two top bits of the flags byte have no meaning; movies that set them keep them.
constexpr std::uint8_t kReservedFlags = 0xc0;

SwfXmlOut appendSoundInfo(SwfXmlOut& parent, const char* name, const SwfSoundInfo& info) {
    SwfXmlOut element = parent.child(name);
    if (info.flags & SwfSoundInfo::HasInPoint)
        setNumber(element, "InPoint", info.inPoint);
    if (info.flags & SwfSoundInfo::HasOutPoint)
        setNumber(element, "OutPoint", info.outPoint);
    if (info.flags & SwfSoundInfo::HasLoops)
        setNumber(element, "LoopCount", info.loopCount);
    SwfXmlOut bits = element.child("BitsField");
    setBool(bits, "SyncStop", (info.flags & SwfSoundInfo::SyncStop) != 0);
    setBool(bits, "SyncNoMultiple", (info.flags & SwfSoundInfo::SyncNoMultiple) != 0);
    // The reader gives every record an envelope; a record that had none says so, so that
    // it comes back without the point count.
    if (!(info.flags & SwfSoundInfo::HasEnvelope))
        setBool(bits, "HasEnvelope", false);
    if (info.flags & kReservedFlags)
        setNumber(bits, "Reserved", info.flags >> 6);
    if (info.flags & SwfSoundInfo::HasEnvelope)
        for (const SwfSoundEnvelope& point : info.envelopes) {
            SwfXmlOut child = element.child("SoundEnvelope");
            setNumber(child, "Pos44", point.pos44);
            setNumber(child, "LeftLevel", point.leftLevel);
            setNumber(child, "RightLevel", point.rightLevel);
        }
    return element;
}

void readSoundInfo(const SwfXmlIn& element, SwfSoundInfo& info) {
    if (!element)
        return;
    info = SwfSoundInfo();
    if (readNumber(element, "InPoint", info.inPoint))
        info.flags |= SwfSoundInfo::HasInPoint;
    if (readNumber(element, "OutPoint", info.outPoint))
        info.flags |= SwfSoundInfo::HasOutPoint;
    if (readNumber(element, "LoopCount", info.loopCount))
        info.flags |= SwfSoundInfo::HasLoops;
    info.flags |= SwfSoundInfo::HasEnvelope;
    bool points = false;
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "BitsField")) {
            bool on = false;
            if (readBool(child, "SyncStop", on) && on)
                info.flags |= SwfSoundInfo::SyncStop;
            on = false;
            if (readBool(child, "SyncNoMultiple", on) && on)
                info.flags |= SwfSoundInfo::SyncNoMultiple;
            unsigned reserved = 0;
            if (readNumber(child, "Reserved", reserved))
                info.flags |= static_cast<std::uint8_t>((reserved & 3) << 6);
            on = true;
            if (readBool(child, "HasEnvelope", on) && !on)
                info.flags &= static_cast<std::uint8_t>(~SwfSoundInfo::HasEnvelope);
        } else if (namesEqual(child.name(), "SoundEnvelope")) {
            points = true;
            SwfSoundEnvelope& point = info.envelopes.emplace_back();
            readNumber(child, "Pos44", point.pos44);
            readNumber(child, "LeftLevel", point.leftLevel);
            readNumber(child, "RightLevel", point.rightLevel);
        }
    }
    if (points)
        info.flags |= SwfSoundInfo::HasEnvelope; // points are never dropped
}

std::span<const SwfXmlTagCodec> soundCodecs() {
    return kSoundCodecs;
}

} // namespace swfxml
