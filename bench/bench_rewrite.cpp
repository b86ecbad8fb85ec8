// Times what `vorn-convert --rewrite` does to one movie, phase by phase, for the first run
// (what a fresh converter process pays, new memory pages included) and the best of N runs:
// file input, decode (with the inflate alone timed on the same body), size pass, size pass +
// write, freeing the input and the model, compression and file output (which fsyncs).
// Throughput is given in MB of the uncompressed movie per second, whatever the file holds.
// For a compressed movie it also times inflate + level-9 deflate alone with both codecs and
// prints how much the rewrite costs on top of them. Finally it checks that the output holds
// the same movie as the input.
//
//   bench_rewrite [--runs N] FILE   the timings above; the last line starts with "#summary"
//   bench_rewrite --memory FILE     one rewrite, exactly as the converter does it, then the
//                                   process's peak memory on a line starting with "#memory"
#include "bench_util.h"

#include "libswf/compress.h"
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

using namespace libswf;
using bench::timeOnce;

namespace {

// The phases of the converter's rewrite, in seconds.
struct Phases {
    double read = 0;     // mapping the file
    double decode = 0;   // SwfMovie::read, inflate included
    double write = 0;    // SwfMovie::writeUncompressed: size pass + write
    double release = 0;  // freeing the input file and then the model
    double compress = 0; // compressBody
    double output = 0;   // to disk: the whole file, or the flush and rename
    // Measured on the side, not part of the converter's work:
    double inflate = 0;  // the library's inflate alone on the same body
    double sizePass = 0; // SwfTags::computeSize alone

    double inMemory() const { return decode + write + release + compress; }
    double total() const { return read + inMemory() + output; }

    void keepBest(const Phases& p) {
        auto best = [](double& a, double b) { a = a == 0 ? b : std::min(a, b); };
        best(read, p.read);
        best(decode, p.decode);
        best(write, p.write);
        best(release, p.release);
        best(compress, p.compress);
        best(output, p.output);
        best(inflate, p.inflate);
        best(sizePass, p.sizePass);
    }
};

void inflateBody(std::span<const std::uint8_t> file, const bench::MovieHeader& header) {
    SwfBuffer body(header.movieBytes - 8);
    const std::span<std::uint8_t> out(body.data(), body.size());
    if (header.signature == 'C')
        swfInflate(file.subspan(8), out);
    else
        swfLzmaInflate(file.subspan(8), out);
}

// One rewrite as the converter does it, with the side measurements in between. Input is
// mapped; an uncompressed movie is written straight into the output file (so "size pass +
// write" includes handing the bytes to the kernel, and "file output" is the flush to disk
// and the rename); a compressed one is written to memory, compressed and written whole.
Phases timedRewrite(const std::string& input, const std::string& output) {
    Phases p;
    SwfMovie movie;
    std::unique_ptr<SwfMappedFile> file;
    p.read = timeOnce([&] { file = std::make_unique<SwfMappedFile>(input); });
    const bench::MovieHeader header = bench::readHeader(file->span(), input);
    if (header.signature != 'F')
        p.inflate = timeOnce([&] { inflateBody(file->span(), header); });
    p.decode = timeOnce([&] { movie.read(file->span()); });
    p.release = timeOnce([&] { file.reset(); });
    p.sizePass = timeOnce([&] {
        SwfSizeContext ctx(movie.version);
        movie.frameSize.computeSize(ctx);
        movie.tags.computeSize(ctx);
    });
    if (!movie.compressed) {
        SwfAtomicFile out(output);
        p.write = timeOnce([&] { movie.writeUncompressed(out); });
        p.output = timeOnce([&] { out.commit(); });
        p.release += timeOnce([&] { movie.tags.clear(); });
        return p;
    }
    SwfBuffer bytes;
    p.write = timeOnce([&] { bytes = movie.writeUncompressed(); });
    p.release += timeOnce([&] { movie.tags.clear(); });
    p.compress = timeOnce([&] { bytes = compressBody(bytes); });
    p.output = timeOnce([&] { SwfUtils::WriteWholeFile(output, bytes.size(), bytes.data()); });
    return p;
}

// The converter's rewrite and nothing else, so that the peak memory is its own.
void plainRewrite(const std::string& input, const std::string& output) {
    SwfMovie movie;
    {
        SwfMappedFile file(input);
        movie.read(file.span(), [&file] { file.release(); });
    }
    if (!movie.compressed) {
        SwfAtomicFile out(output);
        movie.writeUncompressed(out);
        out.commit();
        return;
    }
    SwfBuffer bytes = movie.writeUncompressed();
    movie.tags.clear();
    bytes = compressBody(bytes);
    SwfUtils::WriteWholeFile(output, bytes.size(), bytes.data());
}

// Whether the output holds the input's movie: the same header fields and, once inflated, the
// same body. A compressed input comes back compressed, so only its signature may differ
// (LZMA movies come back as zlib ones).
std::string checkRoundTrip(const std::string& input, const std::string& output) {
    const SwfBuffer in = SwfUtils::ReadFileToBuffer(input);
    const SwfBuffer out = SwfUtils::ReadFileToBuffer(output);
    const bench::MovieHeader inHeader = bench::readHeader(in, input);
    const bench::MovieHeader outHeader = bench::readHeader(out, output);
    if ((inHeader.signature == 'F') != (outHeader.signature == 'F'))
        return "compression changed";
    if (!bench::sameBytes(in.span().subspan(1, 7), out.span().subspan(1, 7)))
        return "header differs";
    const SwfBuffer inBody = bench::uncompressedBody(in, inHeader);
    const SwfBuffer outBody = bench::uncompressedBody(out, outHeader);
    if (!bench::sameBytes(inBody.span(), outBody.span()))
        return "body differs";
    return "ok";
}

struct CodecAlone {
    double inflate;
    double deflate;
};

CodecAlone timeCodecAlone(const SwfBuffer& file, std::uint64_t movieBytes, SwfZlibCodec codec,
                          int runs) {
    SwfBuffer body(movieBytes - 8);
    const std::span<std::uint8_t> out(body.data(), body.size());
    CodecAlone result{};
    result.inflate = bench::timeBest(runs, [&] { swfInflate(file.span().subspan(8), out, codec); });
    result.deflate = bench::timeBest(runs, [&] { swfDeflate(body.span(), 8, codec); });
    return result;
}

// One row: the first run (what a fresh converter process pays, new heap pages included),
// the best run and the best run's throughput.
void printPhase(const char* name, double first, double best, std::uint64_t movieBytes,
                const char* note = "") {
    std::printf("  %-22s %9.1f %9.1f %10.1f  %s\n", name, first * 1e3, best * 1e3,
                bench::mbPerSecond(movieBytes, best), note);
}

int run(const std::string& input, int runs) {
    const std::string output = input + ".rewritten";
    const SwfBuffer file = SwfUtils::ReadFileToBuffer(input);
    const bench::MovieHeader header = bench::readHeader(file, input);
    const std::uint64_t movieBytes = header.movieBytes;

    Phases first;
    Phases best;
    double bestTotal = 0;
    double bestInMemory = 0;
    for (int i = 0; i < runs; ++i) {
        const Phases p = timedRewrite(input, output);
        if (i == 0)
            first = p;
        best.keepBest(p);
        bestTotal = i == 0 ? p.total() : std::min(bestTotal, p.total());
        bestInMemory = i == 0 ? p.inMemory() : std::min(bestInMemory, p.inMemory());
    }
    const std::string roundTrip = checkRoundTrip(input, output);
    std::filesystem::remove(output);

    const bool compressed = header.signature != 'F';
    std::printf("%s: %cWS, movie %.2f MB, file %.2f MB, best of %d runs\n",
                std::filesystem::path(input).filename().c_str(), header.signature,
                bench::mb(movieBytes), bench::mb(file.size()), runs);
    std::printf("  %-22s %9s %9s %10s\n", "phase", "first ms", "best ms", "best MB/s");
    printPhase("file input", first.read, best.read, movieBytes);
    printPhase("decode", first.decode, best.decode, movieBytes);
    if (compressed)
        printPhase("  inflate alone", first.inflate, best.inflate, movieBytes,
                   "(same body, library codec)");
    printPhase("size pass alone", first.sizePass, best.sizePass, movieBytes);
    printPhase("size pass + write", first.write, best.write, movieBytes);
    printPhase("free input + model", first.release, best.release, movieBytes);
    if (compressed)
        printPhase("compression", first.compress, best.compress, movieBytes);
    printPhase("file output + fsync", first.output, best.output, movieBytes);
    // The throughput target holds for uncompressed movies, where no codec sets the pace.
    auto target = [&](double seconds) {
        return compressed                                       ? ""
               : bench::mbPerSecond(movieBytes, seconds) >= 500 ? "(target >= 500 MB/s: met)"
                                                                : "(target >= 500 MB/s: MISSED)";
    };
    printPhase("rewrite in memory", first.inMemory(), bestInMemory, movieBytes,
               compressed ? "(decode to compression)" : target(bestInMemory));
    const double totalRate = bench::mbPerSecond(movieBytes, bestTotal);
    printPhase("whole rewrite", first.total(), bestTotal, movieBytes, target(bestTotal));

    double ratioLibdeflate = 0;
    double ratioZlib = 0;
    if (header.signature == 'C') {
        std::printf("  codecs alone, inflate + level-9 deflate of the same body:\n");
        const struct {
            const char* name;
            SwfZlibCodec codec;
            double* ratio;
        } codecs[] = {{"libdeflate", SwfZlibCodec::Libdeflate, &ratioLibdeflate},
                      {"zlib", SwfZlibCodec::Zlib, &ratioZlib}};
        for (const auto& c : codecs) {
            const CodecAlone alone = timeCodecAlone(file, movieBytes, c.codec, runs);
            const double sum = alone.inflate + alone.deflate;
            *c.ratio = bestInMemory / sum;
            std::printf("    %-11s %7.1f + %7.1f = %7.1f ms; rewrite in memory / that = %.2f, "
                        "whole rewrite / that = %.2f%s\n",
                        c.name, alone.inflate * 1e3, alone.deflate * 1e3, sum * 1e3, *c.ratio,
                        bestTotal / sum,
                        c.codec != swfDefaultCodec() ? ""
                        : *c.ratio <= 1.25           ? " (target <= 1.25: met)"
                                                     : " (target <= 1.25: MISSED)");
        }
    }
    std::printf("  round trip: %s\n", roundTrip == "ok" ? "same movie" : roundTrip.c_str());
    std::printf("#summary kind=%c movie_bytes=%llu file_bytes=%zu rewrite_mbps=%.1f "
                "first_mbps=%.1f memory_mbps=%.1f ratio_libdeflate=%.2f ratio_zlib=%.2f "
                "roundtrip=%s\n",
                header.signature, static_cast<unsigned long long>(movieBytes), file.size(),
                totalRate, bench::mbPerSecond(movieBytes, first.total()),
                bench::mbPerSecond(movieBytes, bestInMemory), ratioLibdeflate, ratioZlib,
                roundTrip == "ok" ? "ok" : "FAILED");
    return roundTrip == "ok" ? 0 : 1;
}

int runMemory(const std::string& input) {
    const std::uint64_t start = bench::peakRssBytes();
    const std::string output = input + ".rewritten";
    plainRewrite(input, output);
    const std::uint64_t peak = bench::peakRssBytes();
    std::filesystem::remove(output);
    const SwfBuffer file = SwfUtils::ReadFileToBuffer(input);
    const std::uint64_t movieBytes = bench::readHeader(file, input).movieBytes;
    const double movie = static_cast<double>(movieBytes);
    std::printf("%s: peak memory %.1f MB = %.2f x the movie; %.1f MB at start, %.2f x above it\n",
                std::filesystem::path(input).filename().c_str(), bench::mb(peak),
                static_cast<double>(peak) / movie, bench::mb(start),
                static_cast<double>(peak - start) / movie);
    std::printf("#memory movie_bytes=%llu start_bytes=%llu peak_bytes=%llu\n",
                static_cast<unsigned long long>(movieBytes), static_cast<unsigned long long>(start),
                static_cast<unsigned long long>(peak));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool memory = false;
    bool usage = false;
    std::string input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--memory")
            memory = true;
        else if (input.empty() && arg[0] != '-')
            input = arg;
        else
            usage = true;
    }
    if (usage || input.empty()) {
        std::cerr << "usage: bench_rewrite [--runs N] FILE\n"
                     "       bench_rewrite --memory FILE\n";
        return 2;
    }
    try {
        return memory ? runMemory(input) : run(input, runs);
    } catch (const std::exception& e) {
        std::cerr << "bench_rewrite: " << input << ": " << e.what() << '\n';
        return 1;
    }
}
