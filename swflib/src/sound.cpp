#include "libswf/sound.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <limits>
#include <string>

namespace libswf {

namespace {

void checkBits(unsigned value, unsigned bits, const char* what) {
    if (value >= 1u << bits)
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " of " + std::to_string(value) +
                               " does not fit its " + std::to_string(bits) +
                               (bits == 1 ? " bit" : " bits"));
}

SwfVector<std::uint8_t> readRest(SwfIStream& is) {
    const std::span<const std::uint8_t> bytes = is.readSpan(is.remaining());
    return {bytes.begin(), bytes.end()};
}

} // namespace

// ---- records --------------------------------------------------------------------------------

void SwfSoundFormat::read(SwfIStream& is) {
    const std::uint8_t packed = is.readU8();
    format = packed >> 4;
    rate = packed >> 2 & 3;
    size = packed >> 1 & 1;
    type = packed & 1;
}

std::uint32_t SwfSoundFormat::computeSize(const SwfStream&) const {
    checkBits(format, 4, "a sound format");
    checkBits(rate, 2, "a sound rate");
    checkBits(size, 1, "a sound size");
    checkBits(type, 1, "a sound type");
    return 1;
}

void SwfSoundFormat::write(SwfOStream& os) const {
    os.writeU8(static_cast<std::uint8_t>(format << 4 | rate << 2 | size << 1 | type));
}

void SwfSoundInfo::read(SwfIStream& is) {
    flags = is.readU8();
    if (flags & HasInPoint)
        inPoint = is.readU32();
    if (flags & HasOutPoint)
        outPoint = is.readU32();
    if (flags & HasLoops)
        loopCount = is.readU16();
    if (flags & HasEnvelope) {
        // At most 255 points of 8 bytes: a lying count ends at the body's end, never in a
        // large allocation.
        const std::uint8_t count = is.readU8();
        envelopes.reserve(count);
        for (unsigned i = 0; i < count; ++i) {
            SwfSoundEnvelope& point = envelopes.emplace_back();
            point.pos44 = is.readU32();
            point.leftLevel = is.readU16();
            point.rightLevel = is.readU16();
        }
    }
}

std::uint32_t SwfSoundInfo::computeSize(const SwfStream&) const {
    std::uint32_t size = 1;
    if (flags & HasInPoint)
        size += 4;
    if (flags & HasOutPoint)
        size += 4;
    if (flags & HasLoops)
        size += 2;
    if (flags & HasEnvelope) {
        if (envelopes.size() > 255)
            throw SwfException(SwfException::ValueOutOfRange,
                               "a sound envelope has " + std::to_string(envelopes.size()) +
                                   " points, more than the 255 its count can hold");
        size += 1 + 8 * static_cast<std::uint32_t>(envelopes.size());
    }
    return size;
}

void SwfSoundInfo::write(SwfOStream& os) const {
    os.writeU8(flags);
    if (flags & HasInPoint)
        os.writeU32(inPoint);
    if (flags & HasOutPoint)
        os.writeU32(outPoint);
    if (flags & HasLoops)
        os.writeU16(loopCount);
    if (flags & HasEnvelope) {
        os.writeU8(static_cast<std::uint8_t>(envelopes.size()));
        for (const SwfSoundEnvelope& point : envelopes) {
            os.writeU32(point.pos44);
            os.writeU16(point.leftLevel);
            os.writeU16(point.rightLevel);
        }
    }
}

// ---- event sounds ---------------------------------------------------------------------------

SwfTagDefineSound::SwfTagDefineSound(SwfIStream& is) : SwfDefinitionTag(14, 0) {
    id = is.readU16();
    format.read(is);
    sampleCount = is.readU32();
    data = readRest(is);
}

std::uint32_t SwfTagDefineSound::bodySize(SwfSizeContext& ctx) {
    return checkedLength(2 + format.computeSize(ctx) + 4 + std::uint64_t{data.size()}, "a sound");
}

void SwfTagDefineSound::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    format.write(os);
    os.writeU32(sampleCount);
    os.writeBytes(data.data(), data.size());
}

SwfTagStartSound::SwfTagStartSound(SwfIStream& is) : SwfTag(15) {
    soundId = is.readU16();
    info.read(is);
}

std::uint32_t SwfTagStartSound::bodySize(SwfSizeContext& ctx) {
    return 2 + info.computeSize(ctx);
}

void SwfTagStartSound::writeBody(SwfOStream& os) const {
    os.writeU16(soundId);
    info.write(os);
}

SwfTagStartSound2::SwfTagStartSound2(SwfIStream& is) : SwfTag(89) {
    soundClassName.read(is);
    info.read(is);
}

std::uint32_t SwfTagStartSound2::bodySize(SwfSizeContext& ctx) {
    return checkedLength(std::uint64_t{soundClassName.computeSize(ctx)} + info.computeSize(ctx),
                         "a StartSound2 body");
}

void SwfTagStartSound2::writeBody(SwfOStream& os) const {
    soundClassName.write(os);
    info.write(os);
}

// ---- streamed sound -------------------------------------------------------------------------

SwfTagSoundStreamHead::SwfTagSoundStreamHead(SwfIStream& is) : SwfTagSoundStreamHead(18, is) {}

SwfTagSoundStreamHead::SwfTagSoundStreamHead(std::uint16_t code, SwfIStream& is) : SwfTag(code) {
    playback.read(is);
    stream.read(is);
    sampleCount = is.readU16();
    if (stream.format == SwfSoundFormat::MP3)
        latencySeek = static_cast<std::int16_t>(is.readU16());
}

std::uint32_t SwfTagSoundStreamHead::bodySize(SwfSizeContext& ctx) {
    return playback.computeSize(ctx) + stream.computeSize(ctx) + 2 +
           (stream.format == SwfSoundFormat::MP3 ? 2 : 0);
}

void SwfTagSoundStreamHead::writeBody(SwfOStream& os) const {
    playback.write(os);
    stream.write(os);
    os.writeU16(sampleCount);
    if (stream.format == SwfSoundFormat::MP3)
        os.writeU16(static_cast<std::uint16_t>(latencySeek));
}

SwfTagSoundStreamBlock::SwfTagSoundStreamBlock(SwfIStream& is) : SwfTag(19), data(readRest(is)) {}

std::uint32_t SwfTagSoundStreamBlock::bodySize(SwfSizeContext&) {
    return checkedLength(data.size(), "a sound stream block");
}

void SwfTagSoundStreamBlock::writeBody(SwfOStream& os) const {
    os.writeBytes(data.data(), data.size());
}

// ---- video ----------------------------------------------------------------------------------

SwfTagDefineVideoStream::SwfTagDefineVideoStream(SwfIStream& is) : SwfDefinitionTag(60, 0) {
    id = is.readU16();
    numFrames = is.readU16();
    width = is.readU16();
    height = is.readU16();
    const std::uint8_t flags = is.readU8();
    smoothing = (flags & 1) != 0;
    deblocking = flags >> 1 & 7;
    codecId = is.readU8();
}

std::uint32_t SwfTagDefineVideoStream::bodySize(SwfSizeContext&) {
    checkBits(deblocking, 3, "a video deblocking filter");
    return 10;
}

void SwfTagDefineVideoStream::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU16(numFrames);
    os.writeU16(width);
    os.writeU16(height);
    os.writeU8(static_cast<std::uint8_t>(deblocking << 1 | (smoothing ? 1 : 0)));
    os.writeU8(codecId);
}

SwfTagVideoFrame::SwfTagVideoFrame(SwfIStream& is) : SwfTag(61) {
    streamId = is.readU16();
    frameNum = is.readU16();
    data = readRest(is);
}

std::uint32_t SwfTagVideoFrame::bodySize(SwfSizeContext&) {
    return checkedLength(4 + std::uint64_t{data.size()}, "a video frame");
}

void SwfTagVideoFrame::writeBody(SwfOStream& os) const {
    os.writeU16(streamId);
    os.writeU16(frameNum);
    os.writeBytes(data.data(), data.size());
}

} // namespace libswf
