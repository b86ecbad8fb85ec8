#include "libswf/stream.h"

#include "libswf/exception.h"
#include "libswf/records.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace libswf {

// ---- reading ----------------------------------------------------------------------------

SwfIStream::SwfIStream(std::span<const std::uint8_t> data)
    : m_data(data.data()), m_size(data.size()), m_limit(data.size()) {}

void SwfIStream::adopt(SwfBuffer buffer) {
    m_owned = std::move(buffer);
    m_data = m_owned.data();
    m_size = m_owned.size();
    m_limit = m_size;
    m_pos = std::min(m_pos, m_size);
    m_bitsLeft = 0;
}

void SwfIStream::setPosition(std::size_t position) {
    m_pos = std::min(position, m_limit);
    m_bitsLeft = 0;
}

SwfIStream::Bound::Bound(SwfIStream& stream, std::size_t end)
    : m_stream(stream), m_saved(stream.m_limit) {
    m_stream.m_limit = std::clamp(end, m_stream.m_pos, m_saved);
}

void SwfIStream::throwEnd(std::size_t wanted, const char* what) const {
    const std::size_t left = m_limit - m_pos;
    std::string reason = std::string(what) + " needs " + std::to_string(wanted) + " byte" +
                         (wanted == 1 ? "" : "s") + " but ";
    reason += left == 0 ? "none remain" : "only " + std::to_string(left) + " remain";
    if (m_limit < m_size)
        reason += " in the tag body";
    SwfException e(SwfException::UnexpectedEnd, reason);
    e.setOffset(m_pos);
    throw e;
}

std::uint8_t SwfIStream::readU8() {
    need(1, "a byte");
    return m_data[m_pos++];
}

std::uint16_t SwfIStream::readU16() {
    need(2, "a 16-bit value");
    const std::uint16_t v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

std::uint32_t SwfIStream::readU32() {
    need(4, "a 32-bit value");
    const std::uint8_t* p = m_data + m_pos;
    const std::uint32_t v =
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    m_pos += 4;
    return v;
}

void SwfIStream::readBytes(void* target, std::size_t n) {
    need(n, "a block");
    if (target && n)
        std::memcpy(target, m_data + m_pos, n);
    m_pos += n;
}

void SwfIStream::readBytes16(std::uint16_t* target, std::size_t n) {
    if (n > (m_limit - m_pos) / 2)
        throwEnd(n * 2, "a block of 16-bit values");
    if (target) {
        for (std::size_t i = 0; i < n; ++i)
            target[i] = static_cast<std::uint16_t>(m_data[m_pos + 2 * i] |
                                                   (m_data[m_pos + 2 * i + 1] << 8));
    }
    m_pos += 2 * n;
}

std::span<const std::uint8_t> SwfIStream::readSpan(std::size_t n) {
    need(n, "a block");
    std::span<const std::uint8_t> view(m_data + m_pos, n);
    m_pos += n;
    return view;
}

std::uint32_t SwfIStream::readBits(unsigned n) {
    if (n > 32)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a bit field of " + std::to_string(n) + " bits is wider than 32");
    // Edges and matrices are read field after field; when the bytes a field spans are all
    // there, they are taken at once.
    if (n <= m_bitsLeft) {
        m_bitsLeft = static_cast<std::uint8_t>(m_bitsLeft - n);
        return static_cast<std::uint32_t>(m_bitByte >> m_bitsLeft) & ((1u << n) - 1);
    }
    const unsigned fromBytes = n - m_bitsLeft;
    const unsigned bytes = (fromBytes + 7) / 8;
    if (m_limit - m_pos >= bytes) {
        std::uint64_t result = m_bitByte & ((1u << m_bitsLeft) - 1);
        for (unsigned i = 0; i < bytes; ++i)
            result = result << 8 | m_data[m_pos++];
        m_bitByte = m_data[m_pos - 1];
        m_bitsLeft = static_cast<std::uint8_t>(bytes * 8 - fromBytes);
        return static_cast<std::uint32_t>(result >> m_bitsLeft);
    }
    std::uint64_t result = 0;
    while (n > 0) {
        if (m_bitsLeft == 0) {
            need(1, "a bit field");
            m_bitByte = m_data[m_pos++];
            m_bitsLeft = 8;
        }
        const unsigned take = std::min<unsigned>(n, m_bitsLeft);
        const unsigned shift = m_bitsLeft - take;
        result = (result << take) | ((m_bitByte >> shift) & ((1u << take) - 1));
        m_bitsLeft = static_cast<std::uint8_t>(m_bitsLeft - take);
        n -= take;
    }
    return static_cast<std::uint32_t>(result);
}

std::int32_t SwfIStream::readSignedBits(unsigned n) {
    if (n == 0)
        return 0;
    std::uint32_t v = readBits(n);
    if (n < 32 && ((v >> (n - 1)) & 1u))
        v |= ~0u << n;
    return static_cast<std::int32_t>(v);
}

std::uint32_t SwfIStream::readEncodedU32() {
    std::uint32_t result = 0;
    for (unsigned i = 0; i < 5; ++i) {
        const std::uint8_t byte = readU8();
        result |= static_cast<std::uint32_t>(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80))
            break;
    }
    return result;
}

void SwfIStream::readString(SwfString& target) {
    const std::uint8_t* start = m_data + m_pos;
    const void* zero = std::memchr(start, 0, m_limit - m_pos);
    if (!zero)
        throwEnd(m_limit - m_pos + 1, "a string without its terminating zero");
    const std::size_t n = static_cast<const std::uint8_t*>(zero) - start;
    target.text.assign(reinterpret_cast<const char*>(start), n);
    m_pos += n + 1;
}

// ---- writing ----------------------------------------------------------------------------

SwfOStream::SwfOStream(std::size_t capacity) : m_buffer(capacity), m_data(m_buffer.data()) {}

SwfOStream::SwfOStream(std::size_t bufferSize, SwfOutputSink& sink)
    : m_buffer(bufferSize), m_data(m_buffer.data()), m_sink(&sink) {}

void SwfOStream::flush() {
    if (m_sink && m_pos) {
        m_sink->write(m_data, m_pos);
        m_flushed += m_pos;
        m_pos = 0;
    }
}

void SwfOStream::grow(std::size_t n) {
    if (m_sink) {
        flush();
        if (m_buffer.size() >= n)
            return;
    }
    SwfBuffer bigger(m_buffer.size() * 3 + n);
    if (m_pos)
        std::memcpy(bigger.data(), m_buffer.data(), m_pos);
    m_buffer = std::move(bigger);
    m_data = m_buffer.data();
}

void SwfOStream::writeU16(std::uint16_t value) {
    reserveMore(2);
    m_data[m_pos] = static_cast<std::uint8_t>(value);
    m_data[m_pos + 1] = static_cast<std::uint8_t>(value >> 8);
    m_pos += 2;
}

void SwfOStream::writeU32(std::uint32_t value) {
    reserveMore(4);
    for (int i = 0; i < 4; ++i)
        m_data[m_pos + i] = static_cast<std::uint8_t>(value >> (8 * i));
    m_pos += 4;
}

void SwfOStream::writeBytes(const void* data, std::size_t n) {
    if (n == 0)
        return;
    if (m_sink && n > m_buffer.size() - m_pos) {
        flush();
        if (n >= m_buffer.size()) { // large blocks go to the sink without a copy
            m_sink->write(static_cast<const std::uint8_t*>(data), n);
            m_flushed += n;
            return;
        }
    }
    reserveMore(n);
    std::memcpy(m_data + m_pos, data, n);
    m_pos += n;
}

void SwfOStream::writeBits(unsigned n, std::uint32_t value) {
    if (n > 32)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a bit field of " + std::to_string(n) + " bits is wider than 32");
    // The field's low n bits join the pending ones; every whole byte goes out.
    const std::uint64_t field = value & ((std::uint64_t{1} << n) - 1);
    std::uint64_t pending = std::uint64_t{m_pendingBits} << n | field;
    unsigned count = m_pendingCount + n;
    while (count >= 8) {
        count -= 8;
        writeU8(static_cast<std::uint8_t>(pending >> count));
    }
    m_pendingBits = static_cast<std::uint32_t>(pending & ((1u << count) - 1));
    m_pendingCount = static_cast<std::uint8_t>(count);
}

void SwfOStream::flushBits() {
    if (m_pendingCount == 0)
        return;
    writeU8(static_cast<std::uint8_t>(m_pendingBits << (8 - m_pendingCount)));
    m_pendingBits = 0;
    m_pendingCount = 0;
}

void SwfOStream::writeEncodedU32(std::uint32_t value) {
    while (value >= 0x80) {
        writeU8(static_cast<std::uint8_t>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    writeU8(static_cast<std::uint8_t>(value));
}

void SwfOStream::writeString(const SwfString& value) {
    writeBytes(value.text.data(), value.text.size());
    writeU8(0);
}

SwfBuffer SwfOStream::take() {
    if (m_sink)
        throw std::logic_error("a stream with a sink has no buffer to hand over");
    m_buffer.truncate(m_pos);
    SwfBuffer out = std::move(m_buffer);
    m_buffer = SwfBuffer();
    m_data = nullptr;
    m_pos = 0;
    return out;
}

// ---- bit counts -------------------------------------------------------------------------

unsigned unsignedBitCount(std::uint32_t value) {
    return static_cast<unsigned>(std::bit_width(value));
}

bool fitsSignedBits(std::int32_t value, unsigned bits) {
    if (bits == 0)
        return value == 0;
    if (bits >= 32)
        return true;
    const std::int64_t half = std::int64_t{1} << (bits - 1);
    return value >= -half && value < half;
}

unsigned givenOrRuleBits(std::uint8_t given, unsigned least, unsigned most,
                         std::span<const std::int32_t> values, unsigned rule) {
    if (given == NotGivenBits || given < least || given > most)
        return rule;
    for (const std::int32_t v : values)
        if (!fitsSignedBits(v, given))
            return rule;
    return given;
}

std::uint8_t keptBits(unsigned read, unsigned rule) {
    return read == rule ? NotGivenBits : static_cast<std::uint8_t>(read);
}

unsigned signedBitCount(std::span<const std::int32_t> values) {
    std::uint32_t largest = 0;
    for (std::int32_t v : values) {
        const std::uint32_t magnitude =
            v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
        largest = std::max(largest, magnitude);
    }
    return std::max(unsignedBitCount(largest), 1u) + 1;
}

unsigned pairBitCount(std::int32_t a, std::int32_t b) {
    if (a == 0 && b == 0)
        return 0;
    const std::int32_t pair[2] = {a, b};
    return signedBitCount(pair);
}

} // namespace libswf
