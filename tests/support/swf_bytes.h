// Helpers for tests that build SWF bytes by hand.
#pragma once

#include "libswf/movie.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::test {

using Bytes = std::vector<std::uint8_t>;

// "43 57 53" -> {0x43, 0x57, 0x53}; blanks are ignored.
inline Bytes hex(std::string_view text) {
    Bytes out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    return out;
}

inline std::string toHex(const std::uint8_t* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        if (i)
            out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}
inline std::string toHex(const Bytes& bytes) {
    return toHex(bytes.data(), bytes.size());
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A tag with its header: the short form unless the length needs the long one or longForm.
inline Bytes tag(std::uint16_t code, const Bytes& body, bool longForm = false) {
    Bytes out;
    const std::uint32_t n = static_cast<std::uint32_t>(body.size());
    if (longForm || n >= 63) {
        const std::uint16_t h = static_cast<std::uint16_t>(code << 6 | 63);
        out = {static_cast<std::uint8_t>(h),       static_cast<std::uint8_t>(h >> 8),
               static_cast<std::uint8_t>(n),       static_cast<std::uint8_t>(n >> 8),
               static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
    } else {
        const std::uint16_t h = static_cast<std::uint16_t>(code << 6 | n);
        out = {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(h >> 8)};
    }
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes u16(std::uint16_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

// An uncompressed movie: "FWS", version, length, a 550 x 400 pixel frame, 12 fps, the
// given frame count and tag bytes (the caller adds the End tag when it wants one).
inline Bytes movie(std::uint8_t version, std::uint16_t frames, const Bytes& tags) {
    // 550 x 400 px = 11000 x 8000 twips: 15 bits each, 5 + 60 bits = 9 bytes.
    const Bytes rect = hex("78 00 05 5f 00 00 0f a0 00");
    Bytes out = {'F', 'W', 'S', version, 0, 0, 0, 0};
    out.insert(out.end(), rect.begin(), rect.end());
    const Bytes rest = concat({u16(12 << 8), u16(frames), tags});
    out.insert(out.end(), rest.begin(), rest.end());
    const std::uint32_t n = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(n >> (8 * i));
    return out;
}

inline Bytes toBytes(const libswf::SwfBuffer& buffer) {
    return buffer.toVector();
}

// Keeps every tag raw except the container's own (End, ShowFrame, DefineSprite), so that
// tests of the container do not depend on which tag families are decoded.
inline void keepAllRaw(libswf::SwfMovie& movie) {
    movie.keepRaw.fill(true);
    movie.keepRaw[0] = movie.keepRaw[1] = movie.keepRaw[39] = false;
}

} // namespace vorn::test
