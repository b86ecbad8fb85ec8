// Reads arbitrary bytes as a movie. Whatever the reader accepts, the writer must turn into a
// file that reads back and writes to the very same bytes again: write(read(write(read(x))))
// equals write(read(x)). The first write may differ from the input (a missing End is added,
// a frame count is recounted), but after that nothing may move any more.
#include "libswf/exception.h"
#include "libswf/movie.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <span>
#include <stdexcept>
#include <vector>

using libswf::SwfBuffer;
using libswf::SwfException;
using libswf::SwfMovie;
using libswf::SwfTags;

namespace {

[[noreturn]] void fail(const char* what, const char* detail = nullptr) {
    std::fprintf(stderr, "read_movie_fuzzer: %s%s%s\n", what, detail ? ": " : "",
                 detail ? detail : "");
    std::fflush(stderr);
    __builtin_trap();
}

// A list, or a sprite anywhere inside it, with more ShowFrame tags than the 16-bit frame
// count of its header can hold. A small compressed file inflates to such a list, which reads
// fine; its write must refuse it with ValueOutOfRange rather than write a wrong count.
bool tooManyFrames(const SwfTags& tags) {
    if (tags.countFrames() > 0xFFFF)
        return true;
    for (const auto& tag : tags)
        if (const auto* sprite = dynamic_cast<const libswf::SwfTagDefineSprite*>(tag.get()))
            if (tooManyFrames(sprite->tags))
                return true;
    return false;
}

SwfBuffer writeOrFail(SwfMovie& movie, const char* what) {
    try {
        return movie.write();
    } catch (const SwfException& e) {
        fail(what, e.what());
    }
}

void readOrFail(SwfMovie& movie, const SwfBuffer& file, const char* what) {
    try {
        movie.read(file.span());
    } catch (const SwfException& e) {
        fail(what, e.what());
    }
}

void expectSame(std::span<const std::uint8_t> expected, std::span<const std::uint8_t> actual,
                const char* what) {
    const std::size_t n = std::min(expected.size(), actual.size());
    const auto mismatch = std::mismatch(expected.begin(), expected.begin() + n, actual.begin());
    if (expected.size() == actual.size() && mismatch.first == expected.begin() + n)
        return;
    const std::size_t at = static_cast<std::size_t>(mismatch.first - expected.begin());
    std::fprintf(stderr, "read_movie_fuzzer: %zu bytes, then %zu bytes; first difference at %zu\n",
                 expected.size(), actual.size(), at);
    fail(what);
}

// Collects what the streaming writer passes on.
class Collector : public libswf::SwfOutputSink {
public:
    std::vector<std::uint8_t> bytes;
    void write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
    }
};

void check(std::span<const std::uint8_t> input) {
    SwfMovie movie;
    try {
        movie.read(input);
    } catch (const SwfException&) {
        return; // refusing damaged input is the reader's job
    }
    const bool compressedInput = movie.compressed;

    // The comparison runs on uncompressed files: deflating every input would cost most of
    // the time for no extra coverage of the model.
    movie.compressed = false;
    SwfBuffer first;
    try {
        first = movie.write();
    } catch (const SwfException& e) {
        // Nothing else that was read can be out of range: every field keeps the width it was
        // read with.
        if (e.code() == SwfException::ValueOutOfRange && tooManyFrames(movie.tags))
            return;
        fail("a movie that was read cannot be written", e.what());
    }
    if (first.size() < 8 || first.data()[0] != 'F' || first.data()[3] != input[3])
        fail("the written header lost the signature or the version");

    // Writing to a file streams through a sink instead of one buffer; both must agree.
    Collector streamed;
    try {
        movie.writeUncompressed(streamed);
    } catch (const SwfException& e) {
        fail("the streaming write failed where the buffered one did not", e.what());
    }
    expectSame(first.span(), streamed.bytes, "the streaming write differs from the buffered one");

    SwfMovie again;
    readOrFail(again, first, "the written movie does not read back");
    if (again.compressed)
        fail("an uncompressed movie reads back as compressed");
    const SwfBuffer second = writeOrFail(again, "the written movie cannot be written again");
    expectSame(first.span(), second.span(), "writing what was written changed the bytes");

    if (compressedInput) {
        // The deflated form must carry the same movie.
        movie.compressed = true;
        const SwfBuffer packed = writeOrFail(movie, "the compressed write failed");
        if (packed.size() < 8 || packed.data()[0] != 'C')
            fail("a compressed movie was written without the compressed signature");
        SwfMovie unpacked;
        readOrFail(unpacked, packed, "the compressed movie does not read back");
        if (!unpacked.compressed)
            fail("a compressed movie reads back as uncompressed");
        unpacked.compressed = false;
        const SwfBuffer third = writeOrFail(unpacked, "the inflated movie cannot be written");
        expectSame(first.span(), third.span(), "the compressed write carries a different movie");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        check({data, size});
    } catch (const std::logic_error& e) {
        // The library's own check that a size pass and its write agree.
        fail("size and write disagree", e.what());
    } catch (const std::exception& e) {
        fail("unexpected exception", e.what());
    }
    return 0;
}
