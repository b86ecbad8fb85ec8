// What the benchmarks of XML conversions compare against: the payloads a movie's XML shows as
// base64, whose encoding and decoding alone bound the speed of a conversion.
#pragma once

#include "libswf/bitmaps.h"
#include "libswf/control.h"
#include "libswf/movie.h"

#include <cstdint>
#include <span>
#include <vector>

namespace bench {

// The payloads the dialect shows as base64, in the order of the movie.
inline void collectPayloads(const libswf::SwfTags& tags,
                            std::vector<std::span<const std::uint8_t>>& out) {
    for (const auto& tag : tags) {
        if (const auto* binary = dynamic_cast<const libswf::SwfTagDefineBinaryData*>(tag.get()))
            out.emplace_back(binary->data);
        else if (const auto* abc = dynamic_cast<const libswf::SwfTagDoABC*>(tag.get()))
            out.emplace_back(abc->byteCode);
        else if (const auto* tables = dynamic_cast<const libswf::SwfTagJPEGTables*>(tag.get()))
            out.emplace_back(tables->jpegData);
        else if (const auto* jpeg = dynamic_cast<const libswf::SwfTagDefineBits*>(tag.get()))
            out.emplace_back(jpeg->jpegData);
        else if (const auto* jpeg3 =
                     dynamic_cast<const libswf::SwfTagDefineBitsJPEG3*>(tag.get())) {
            out.emplace_back(jpeg3->jpegData);
            out.emplace_back(jpeg3->alphaData);
        } else if (const auto* jpeg4 =
                       dynamic_cast<const libswf::SwfTagDefineBitsJPEG4*>(tag.get())) {
            out.emplace_back(jpeg4->jpegData);
            out.emplace_back(jpeg4->alphaData);
        } else if (const auto* lossless =
                       dynamic_cast<const libswf::SwfTagDefineBitsLossless*>(tag.get()))
            out.emplace_back(lossless->pixelData);
        else if (const auto* raw = dynamic_cast<const libswf::SwfTagUnknown*>(tag.get()))
            out.emplace_back(raw->body);
        else if (const auto* sprite = dynamic_cast<const libswf::SwfTagDefineSprite*>(tag.get()))
            collectPayloads(sprite->tags, out);
    }
}

} // namespace bench
