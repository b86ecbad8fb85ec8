// Compares the two zlib codecs on the uncompressed bodies (everything after byte 8) of the
// given movies: level-9 deflate and inflate speed in MB of body per second, compressed size,
// and whether each codec's stream inflates with the other to the same body.
//
//   bench_codecs [--runs N] FILE...
#include "bench_util.h"

#include "libswf/compress.h"
#include "libswf/exception.h"
#include "libswf/utils.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

using namespace libswf;

namespace {

struct Result {
    const char* name;
    SwfZlibCodec codec;
    double deflate = 0;
    double inflate = 0;
    SwfBuffer stream; // with 8 bytes of headroom in front, as a movie would have
};

// The stream without the headroom in front.
std::span<const std::uint8_t> streamOf(const Result& r) {
    return r.stream.span().subspan(8);
}

// Whether `stream` inflates with `codec` to exactly `body`.
bool inflatesTo(std::span<const std::uint8_t> stream, const SwfBuffer& body, SwfZlibCodec codec) {
    SwfBuffer out(body.size());
    try {
        swfInflate(stream, {out.data(), out.size()}, codec);
    } catch (const SwfException&) {
        return false;
    }
    return bench::sameBytes(out.span(), body.span());
}

bool compare(const std::string& path, int runs) {
    const SwfBuffer file = SwfUtils::ReadFileToBuffer(path);
    const SwfBuffer body = bench::uncompressedBody(file, bench::readHeader(file, path));
    const std::uint64_t n = body.size();

    Result results[] = {{"zlib", SwfZlibCodec::Zlib, 0, 0, {}},
                        {"libdeflate", SwfZlibCodec::Libdeflate, 0, 0, {}}};
    SwfBuffer out(n);
    for (Result& r : results) {
        r.deflate = bench::timeBest(runs, [&] { r.stream = swfDeflate(body.span(), 8, r.codec); });
        r.inflate = bench::timeBest(runs, [&] {
            swfInflate(streamOf(r), {out.data(), n}, r.codec);
        });
    }
    const Result& zlib = results[0];
    const Result& libdeflate = results[1];
    const bool zlibOk = inflatesTo(streamOf(zlib), body, SwfZlibCodec::Zlib) &&
                        inflatesTo(streamOf(zlib), body, SwfZlibCodec::Libdeflate);
    const bool libdeflateOk = inflatesTo(streamOf(libdeflate), body, SwfZlibCodec::Libdeflate) &&
                              inflatesTo(streamOf(libdeflate), body, SwfZlibCodec::Zlib);

    std::printf("%s: body %.2f MB, best of %d runs\n",
                std::filesystem::path(path).filename().c_str(), bench::mb(n), runs);
    std::printf("  %-11s %14s %14s %14s %8s  %s\n", "codec", "deflate MB/s", "inflate MB/s",
                "size MB", "ratio", "inflates with both codecs");
    for (const Result& r : results) {
        const std::size_t size = streamOf(r).size();
        std::printf("  %-11s %14.1f %14.1f %14.3f %8.4f  %s\n", r.name,
                    bench::mbPerSecond(n, r.deflate), bench::mbPerSecond(n, r.inflate),
                    bench::mb(size), static_cast<double>(size) / static_cast<double>(n),
                    (&r == &zlib ? zlibOk : libdeflateOk) ? "yes" : "NO");
    }
    const std::size_t zSize = streamOf(zlib).size();
    const std::size_t ldSize = streamOf(libdeflate).size();
    const bool smaller = ldSize <= zSize;
    const bool faster = libdeflate.deflate < zlib.deflate && libdeflate.inflate < zlib.inflate;
    std::printf("  libdeflate no larger than zlib: %s (%+.2f%%); faster: %s (deflate %.2fx, "
                "inflate %.2fx)\n",
                smaller ? "yes" : "NO",
                100.0 * (static_cast<double>(ldSize) / static_cast<double>(zSize) - 1.0),
                faster ? "yes" : "NO", zlib.deflate / libdeflate.deflate,
                zlib.inflate / libdeflate.inflate);
    std::printf("#codecs body_bytes=%llu zlib_bytes=%zu libdeflate_bytes=%zu "
                "zlib_deflate_mbps=%.1f libdeflate_deflate_mbps=%.1f zlib_inflate_mbps=%.1f "
                "libdeflate_inflate_mbps=%.1f smaller=%s faster=%s valid=%s\n",
                static_cast<unsigned long long>(n), zSize, ldSize,
                bench::mbPerSecond(n, zlib.deflate), bench::mbPerSecond(n, libdeflate.deflate),
                bench::mbPerSecond(n, zlib.inflate), bench::mbPerSecond(n, libdeflate.inflate),
                smaller ? "yes" : "no", faster ? "yes" : "no",
                zlibOk && libdeflateOk ? "yes" : "no");
    return zlibOk && libdeflateOk;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::cerr << "usage: bench_codecs [--runs N] FILE...\n";
        return 2;
    }
    int status = 0;
    for (const std::string& path : files) {
        try {
            if (!compare(path, runs))
                status = 1;
        } catch (const std::exception& e) {
            std::cerr << "bench_codecs: " << path << ": " << e.what() << '\n';
            status = 1;
        }
    }
    return status;
}
