// Compression of SWF bodies: zlib streams for "CWS" movies, LZMA for reading "ZWS" ones.
#pragma once

#include "libswf/vector.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace libswf {

// Two implementations of the same zlib format. Both produce valid zlib streams and inflate
// the same streams; they differ in speed and output size, which the benchmarks compare.
enum class SwfZlibCodec { Zlib, Libdeflate };

// The codec the library uses for movies.
SwfZlibCodec swfDefaultCodec();

// Deflates the input at the highest standard level into a new buffer that starts with
// `headroom` bytes left for the caller (the movie header). Throws ZlibFailure.
SwfBuffer swfDeflate(std::span<const std::uint8_t> input, std::size_t headroom,
                     SwfZlibCodec codec = swfDefaultCodec());

// Inflates one zlib stream that must fill the output exactly. Throws UnexpectedEnd for damaged,
// truncated, short or long data, ZlibFailure for failures of the library itself.
void swfInflate(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                SwfZlibCodec codec = swfDefaultCodec());

// Inflates the LZMA body of a "ZWS" movie (from byte 8 of the file: compressed length u32,
// five property bytes, then the data), which must fill the output exactly. Throws
// UnexpectedEnd for damaged or truncated data.
void swfLzmaInflate(std::span<const std::uint8_t> body, std::span<std::uint8_t> output);

} // namespace libswf
