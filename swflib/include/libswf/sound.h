// Sound and video tags: event sounds and their playback settings, streamed sound, and
// embedded video streams. Sound and video payloads are never decoded; they travel as bytes.
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"

#include <cstdint>
#include <vector>

namespace libswf {

// How sound samples are stored: four small fields packed into one byte as
// format << 4 | rate << 2 | size << 1 | type. Formats without a name of their own (4 and 5
// are Nellymoser variants, 7 to 15 later codecs) are kept as numbers.
struct SwfSoundFormat {
    static constexpr std::uint8_t PCM = 0;
    static constexpr std::uint8_t ADPCM = 1;
    static constexpr std::uint8_t MP3 = 2;
    static constexpr std::uint8_t NativePCM = 3;
    static constexpr std::uint8_t Nellymoser = 6;

    std::uint8_t format = PCM; // 4 bits
    std::uint8_t rate = 0;     // 2 bits: 5.5, 11, 22 or 44 kHz
    std::uint8_t size = 0;     // 1 bit: 8 or 16 bits per sample
    std::uint8_t type = 0;     // 1 bit: mono or stereo

    void read(SwfIStream& is);
    // Throws ValueOutOfRange when a field does not fit its bits.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;

    bool operator==(const SwfSoundFormat&) const = default;
};

// One point of a volume envelope: a position in 44 kHz samples and the two channel levels.
struct SwfSoundEnvelope {
    std::uint32_t pos44 = 0;
    std::uint16_t leftLevel = 0;
    std::uint16_t rightLevel = 0;

    bool operator==(const SwfSoundEnvelope&) const = default;
};

using SwfSoundEnvelopes = SwfVector<SwfSoundEnvelope>;

// How an event sound plays: StartSound, StartSound2 and the button states of
// DefineButtonSound. The flags byte is kept whole and decides which fields are written, so
// that the bits without meaning survive and a field set without its flag stays out.
class SwfSoundInfo : public SwfStruct {
public:
    static constexpr std::uint8_t HasInPoint = 0x01;
    static constexpr std::uint8_t HasOutPoint = 0x02;
    static constexpr std::uint8_t HasLoops = 0x04;
    static constexpr std::uint8_t HasEnvelope = 0x08;
    static constexpr std::uint8_t SyncNoMultiple = 0x10;
    static constexpr std::uint8_t SyncStop = 0x20;

    std::uint8_t flags = 0;
    std::uint32_t inPoint = 0;
    std::uint32_t outPoint = 0;
    std::uint16_t loopCount = 0;
    SwfSoundEnvelopes envelopes;

    void read(SwfIStream& is);
    // Throws ValueOutOfRange for an envelope of more than the 255 points its count holds.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

class SwfTagDefineSound : public SwfDefinitionTag {
public:
    SwfTagDefineSound() : SwfDefinitionTag(14) {}
    explicit SwfTagDefineSound(SwfIStream& is);

    SwfSoundFormat format;
    std::uint32_t sampleCount = 0;
    SwfVector<std::uint8_t> data;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagStartSound : public SwfTag {
public:
    SwfTagStartSound() : SwfTag(15) {}
    explicit SwfTagStartSound(SwfIStream& is);

    std::uint16_t soundId = 0;
    SwfSoundInfo info;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// StartSound for ActionScript 3 movies: the sound is named by its class instead of its id.
class SwfTagStartSound2 : public SwfTag {
public:
    SwfTagStartSound2() : SwfTag(89) {}
    explicit SwfTagStartSound2(SwfIStream& is);

    SwfString soundClassName;
    SwfSoundInfo info;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The format of the sound streamed in the SoundStreamBlock tags of the frames that follow.
// The latency seek is part of the body only for MP3 streams.
class SwfTagSoundStreamHead : public SwfTag {
public:
    SwfTagSoundStreamHead() : SwfTag(18) {}
    explicit SwfTagSoundStreamHead(SwfIStream& is);

    SwfSoundFormat playback; // its format nibble is reserved, normally PCM
    SwfSoundFormat stream;
    std::uint16_t sampleCount = 0;
    std::int16_t latencySeek = 0;

protected:
    explicit SwfTagSoundStreamHead(std::uint16_t code) : SwfTag(code) {}
    SwfTagSoundStreamHead(std::uint16_t code, SwfIStream& is);

    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The same body as SoundStreamHead; this code admits every stream format.
class SwfTagSoundStreamHead2 : public SwfTagSoundStreamHead {
public:
    SwfTagSoundStreamHead2() : SwfTagSoundStreamHead(45) {}
    explicit SwfTagSoundStreamHead2(SwfIStream& is) : SwfTagSoundStreamHead(45, is) {}
};

// One frame's share of the streamed sound: the whole body.
class SwfTagSoundStreamBlock : public SwfTag {
public:
    SwfTagSoundStreamBlock() : SwfTag(19) {}
    explicit SwfTagSoundStreamBlock(SwfIStream& is);

    SwfVector<std::uint8_t> data;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// A video character whose frames follow in VideoFrame tags. The flags byte holds the
// smoothing bit and the 3-bit deblocking filter; codec ids without a name are kept.
class SwfTagDefineVideoStream : public SwfDefinitionTag {
public:
    SwfTagDefineVideoStream() : SwfDefinitionTag(60) {}
    explicit SwfTagDefineVideoStream(SwfIStream& is);

    std::uint16_t numFrames = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t deblocking = 0; // 3 bits
    bool smoothing = false;
    std::uint8_t codecId = 2; // H.263

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagVideoFrame : public SwfTag {
public:
    SwfTagVideoFrame() : SwfTag(61) {}
    explicit SwfTagVideoFrame(SwfIStream& is);

    std::uint16_t streamId = 0;
    std::uint16_t frameNum = 0;
    SwfVector<std::uint8_t> data;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
