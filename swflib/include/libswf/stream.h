// Byte and bit cursors over SWF data, and the state that records and tags consult while
// they are read, sized or written.
#pragma once

#include "libswf/vector.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace libswf {

class SwfTags;
class SwfTag;
class SwfAction;
class SwfString;
class SwfDefinitionScope;

// State shared by reading, sizing and writing. Tags set the fields they own before they
// read, size or write the records that depend on them.
class SwfStream : public SwfObject {
public:
    std::uint8_t version = 0;    // SWF version of the movie (header byte 3)
    std::uint16_t tagCode = 0;   // code of the tag whose body is being processed
    std::uint32_t tagLength = 0; // that tag's body length
    bool longHeader = false;     // read with the 6-byte header although shorter than 63
    bool alpha = false;          // colours are RGBA and colour transforms carry alpha terms
    // Shape records: extended style counts, whether NewStyles may appear, line style kind.
    bool shapeExtendedCounts = false;
    bool shapeNewStyles = false;
    bool shapeLineStyle2 = false;
    std::uint8_t numFillBits = 0;
    std::uint8_t numLineBits = 0;
    // Text records.
    std::uint8_t glyphBits = 0;
    std::uint8_t advanceBits = 0;
    // The definitions met so far by the tag lists being read or sized, innermost first.
    const SwfDefinitionScope* definitions = nullptr;
};

// The state of a size pass: the same as a stream's, without a buffer.
class SwfSizeContext : public SwfStream {
public:
    explicit SwfSizeContext(std::uint8_t swfVersion) { version = swfVersion; }
};

// Read cursor over a byte buffer. Every read checks its bytes and throws
// SwfException(UnexpectedEnd) without moving when they are not there. Reads are confined
// to a limit, which the tag reader narrows to the body of the tag being decoded, so that a
// tag can never consume its neighbours' bytes.
class SwfIStream : public SwfStream {
public:
    explicit SwfIStream(std::span<const std::uint8_t> data);

    // Replaces the data with an owned buffer (the inflated movie), keeping the position.
    void adopt(SwfBuffer buffer);

    const std::array<bool, 1024>* keepRaw = nullptr;
    const std::array<bool, 256>* keepRawActions = nullptr;
    SwfTags* tags = nullptr; // top-level list: definitions read so far, by character id
    // Told, after each top-level tag, the offset below which the data is not read again.
    const std::function<void(std::size_t)>* passed = nullptr;
    // Takes the actions of a top-level script tag as they are read (SwfMovieReading).
    const std::function<void(const SwfTag&, std::unique_ptr<SwfAction>)>* scriptActions = nullptr;

    std::size_t position() const { return m_pos; }
    void setPosition(std::size_t position);
    std::size_t size() const { return m_size; }
    std::size_t limit() const { return m_limit; }
    std::size_t remaining() const { return m_limit - m_pos; }
    const std::uint8_t* data() const { return m_data; }

    // Narrows the limit for the lifetime of the object and restores it afterwards.
    class Bound {
    public:
        Bound(SwfIStream& stream, std::size_t end);
        ~Bound() { m_stream.m_limit = m_saved; }
        Bound(const Bound&) = delete;
        Bound& operator=(const Bound&) = delete;

    private:
        SwfIStream& m_stream;
        std::size_t m_saved;
    };

    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();
    // Copies n bytes into target, or skips them when target is null.
    void readBytes(void* target, std::size_t n);
    // Copies n little-endian 16-bit units into target, or skips them when target is null.
    void readBytes16(std::uint16_t* target, std::size_t n);
    // The next n bytes as a view into the stream's data, which the caller copies if it keeps.
    std::span<const std::uint8_t> readSpan(std::size_t n);

    std::uint32_t readBits(unsigned n);
    std::int32_t readSignedBits(unsigned n);
    void alignBits() { m_bitsLeft = 0; }

    std::uint32_t readEncodedU32();
    // Reads up to and including the first zero byte.
    void readString(SwfString& target);

private:
    [[noreturn]] void throwEnd(std::size_t wanted, const char* what) const;
    void need(std::size_t n, const char* what) const {
        if (m_limit - m_pos < n)
            throwEnd(n, what);
    }

    SwfBuffer m_owned;
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_limit;
    std::size_t m_pos = 0;
    std::uint8_t m_bitByte = 0;
    std::uint8_t m_bitsLeft = 0; // unread bits of m_bitByte, 0 when no bit byte is open
};

// Receives the bytes of a stream that writes straight to a file.
class SwfOutputSink {
public:
    virtual ~SwfOutputSink() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

// Write cursor. The movie writer reserves the exact total from its size pass; should a
// size operation ever under-report, the buffer grows instead of overflowing and the
// tag writer's check reports the disagreement. A stream with a sink instead passes its
// bytes on whenever its buffer fills, so a movie can be written without holding it whole.
class SwfOStream : public SwfStream {
public:
    explicit SwfOStream(std::size_t capacity);
    SwfOStream(std::size_t bufferSize, SwfOutputSink& sink);

    SwfTags* tags = nullptr;

    void writeU8(std::uint8_t value) {
        reserveMore(1);
        m_data[m_pos++] = value;
    }
    void writeU16(std::uint16_t value);
    void writeU32(std::uint32_t value);
    void writeBytes(const void* data, std::size_t n);
    void writeBits(unsigned n, std::uint32_t value);
    void flushBits();
    void writeEncodedU32(std::uint32_t value);
    void writeString(const SwfString& value);

    // Bytes written so far, including those already passed to the sink.
    std::size_t size() const { return m_flushed + m_pos; }
    const std::uint8_t* data() const { return m_buffer.data(); }
    // Hands the written bytes to the caller; the stream is empty afterwards. Not for
    // streams with a sink.
    SwfBuffer take();
    // Passes the buffered bytes to the sink.
    void flush();

private:
    void reserveMore(std::size_t n) {
        if (m_buffer.size() - m_pos < n)
            grow(n);
    }
    void grow(std::size_t n);

    SwfBuffer m_buffer;
    std::uint8_t* m_data;
    std::size_t m_pos = 0;
    SwfOutputSink* m_sink = nullptr;
    std::size_t m_flushed = 0;
    std::uint32_t m_pendingBits = 0;
    std::uint8_t m_pendingCount = 0; // bits in m_pendingBits, 0 to 7 between calls
};

// Bit widths of signed fields: the largest magnitude decides (negatives count as their one's
// complement), with at least one value bit plus the sign; a list of zeros needs 2 bits.
unsigned signedBitCount(std::span<const std::int32_t> values);
// The same for the value pairs of a matrix, except that a pair of zeros needs no bits.
unsigned pairBitCount(std::int32_t a, std::int32_t b);
// Bits needed for an unsigned value (0 for 0).
unsigned unsignedBitCount(std::uint32_t value);

// Field widths as a movie gave them. Other tools often write wider fields than the values
// need; records keep such a width and write it again while it still holds their values, so
// that real movies come back byte for byte. This marks a width that was not given.
inline constexpr std::uint8_t NotGivenBits = 0xFF;
// Whether a signed field of `bits` bits holds the value (0 bits hold only 0).
bool fitsSignedBits(std::int32_t value, unsigned bits);
// The given width while it lies within [least, most] and holds every value, else `rule`.
unsigned givenOrRuleBits(std::uint8_t given, unsigned least, unsigned most,
                         std::span<const std::int32_t> values, unsigned rule);
// A width read from a movie, kept only where it differs from the one `rule` gives.
std::uint8_t keptBits(unsigned read, unsigned rule);

} // namespace libswf
