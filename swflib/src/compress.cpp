#include "libswf/compress.h"

#include "libswf/exception.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <libdeflate.h>
#include <lzma.h>
#include <memory>
#include <string>
#include <zlib.h>

namespace libswf {

namespace {

[[noreturn]] void fail(std::uint32_t code, const std::string& reason) {
    throw SwfException(code, reason);
}

std::string sizes(std::size_t got, std::size_t wanted) {
    return std::to_string(got) + " bytes where the header declares " + std::to_string(wanted);
}

SwfBuffer zlibDeflate(std::span<const std::uint8_t> input, std::size_t headroom) {
    if (input.size() > UINT_MAX / 2)
        fail(SwfException::ZlibFailure, "the body is too large for one zlib call");
    const uLong bound = compressBound(static_cast<uLong>(input.size()));
    SwfBuffer out(headroom + bound);
    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK)
        fail(SwfException::ZlibFailure, "zlib could not start compressing");
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = out.data() + headroom;
    z.avail_out = static_cast<uInt>(bound);
    const int result = deflate(&z, Z_FINISH);
    const uLong produced = z.total_out;
    if (deflateEnd(&z) != Z_OK || result != Z_STREAM_END)
        fail(SwfException::ZlibFailure, "zlib could not compress the body");
    out.truncate(headroom + produced);
    return out;
}

SwfBuffer libdeflateDeflate(std::span<const std::uint8_t> input, std::size_t headroom) {
    // One compressor per call: conversions run in parallel threads.
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(9), &libdeflate_free_compressor);
    if (!compressor)
        fail(SwfException::ZlibFailure, "could not start compressing");
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), input.size());
    SwfBuffer out(headroom + bound);
    const std::size_t produced = libdeflate_zlib_compress(
        compressor.get(), input.data(), input.size(), out.data() + headroom, bound);
    if (produced == 0)
        fail(SwfException::ZlibFailure, "could not compress the body");
    out.truncate(headroom + produced);
    return out;
}

void zlibInflate(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    if (output.size() > UINT_MAX || input.size() > UINT_MAX)
        fail(SwfException::UnexpectedEnd, "the compressed body is too large");
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        fail(SwfException::ZlibFailure, "zlib could not start decompressing");
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = output.data();
    z.avail_out = static_cast<uInt>(output.size());
    const int result = inflate(&z, Z_FINISH);
    const std::size_t produced = z.total_out;
    const bool inputLeft = z.avail_in > 0;
    const bool outputFull = z.avail_out == 0;
    const std::string message = z.msg ? z.msg : "";
    inflateEnd(&z);
    switch (result) {
    case Z_STREAM_END:
        if (produced != output.size())
            fail(SwfException::UnexpectedEnd,
                 "the compressed body inflates to " + sizes(produced, output.size()));
        return;
    case Z_BUF_ERROR:
        if (outputFull && inputLeft)
            fail(SwfException::UnexpectedEnd, "the compressed body inflates to more than the " +
                                                  std::to_string(output.size()) +
                                                  " bytes the header declares");
        fail(SwfException::UnexpectedEnd, "the compressed body ends early, after " +
                                              std::to_string(produced) + " of " +
                                              std::to_string(output.size()) + " bytes");
    case Z_DATA_ERROR:
    case Z_NEED_DICT:
        fail(SwfException::UnexpectedEnd,
             "the compressed body is damaged" + (message.empty() ? "" : ": " + message));
    default:
        fail(SwfException::ZlibFailure,
             "zlib failed while decompressing" + (message.empty() ? "" : ": " + message));
    }
}

void libdeflateInflate(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> decompressor(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    if (!decompressor)
        fail(SwfException::ZlibFailure, "could not start decompressing");
    std::size_t produced = 0;
    const libdeflate_result result = libdeflate_zlib_decompress(
        decompressor.get(), input.data(), input.size(), output.data(), output.size(), &produced);
    switch (result) {
    case LIBDEFLATE_SUCCESS:
        if (produced != output.size())
            fail(SwfException::UnexpectedEnd,
                 "the compressed body inflates to " + sizes(produced, output.size()));
        return;
    case LIBDEFLATE_INSUFFICIENT_SPACE:
        fail(SwfException::UnexpectedEnd, "the compressed body inflates to more than the " +
                                              std::to_string(output.size()) +
                                              " bytes the header declares");
    default:
        fail(SwfException::UnexpectedEnd, "the compressed body is damaged or truncated");
    }
}

} // namespace

SwfZlibCodec swfDefaultCodec() {
    return SwfZlibCodec::Libdeflate;
}

SwfBuffer swfDeflate(std::span<const std::uint8_t> input, std::size_t headroom,
                     SwfZlibCodec codec) {
    return codec == SwfZlibCodec::Zlib ? zlibDeflate(input, headroom)
                                       : libdeflateDeflate(input, headroom);
}

void swfInflate(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                SwfZlibCodec codec) {
    if (codec == SwfZlibCodec::Zlib)
        zlibInflate(input, output);
    else
        libdeflateInflate(input, output);
}

void swfLzmaInflate(std::span<const std::uint8_t> body, std::span<std::uint8_t> output) {
    // Compressed length (u32, not needed: the data runs to the end of the file), then the
    // five LZMA property bytes.
    if (body.size() < 9)
        fail(SwfException::UnexpectedEnd, "the LZMA header is cut off");
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, body.data() + 4, 5) != LZMA_OK)
        fail(SwfException::UnexpectedEnd, "the LZMA properties are invalid");
    std::unique_ptr<void, decltype(&std::free)> options(filters[0].options, &std::free);
    // The dictionary size comes from the file; a decoder never needs more than the output it
    // fills, and an 18-byte file must not make it allocate gigabytes.
    auto* lzma = static_cast<lzma_options_lzma*>(filters[0].options);
    lzma->dict_size = std::clamp<std::uint32_t>(
        lzma->dict_size, LZMA_DICT_SIZE_MIN,
        static_cast<std::uint32_t>(std::max<std::size_t>(output.size(), LZMA_DICT_SIZE_MIN)));
    lzma_stream z = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&z, filters) != LZMA_OK)
        fail(SwfException::ZlibFailure, "could not start LZMA decompression");
    z.next_in = body.data() + 9;
    z.avail_in = body.size() - 9;
    z.next_out = output.data();
    z.avail_out = output.size();
    lzma_ret result = LZMA_OK;
    for (;;) {
        const std::size_t inBefore = z.avail_in;
        const std::size_t outBefore = z.avail_out;
        result = lzma_code(&z, z.avail_in ? LZMA_RUN : LZMA_FINISH);
        if (result != LZMA_OK || z.avail_out == 0)
            break;
        if (z.avail_in == inBefore && z.avail_out == outBefore)
            break; // the data ended before the output was complete
    }
    const std::size_t produced = output.size() - z.avail_out;
    lzma_end(&z);
    if (result != LZMA_OK && result != LZMA_STREAM_END)
        fail(SwfException::UnexpectedEnd, "the LZMA body is damaged");
    if (produced != output.size())
        fail(SwfException::UnexpectedEnd,
             "the LZMA body inflates to " + sizes(produced, output.size()));
}

} // namespace libswf
