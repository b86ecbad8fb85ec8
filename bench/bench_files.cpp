// Times the editor's file layer against the work it cannot avoid. Every measurement runs in a
// process of its own, forked while this one is still small, so that each pays for fresh memory
// pages as the editor would and its peak memory is its own. Times are the processor time of
// that process (the fastest of the runs), which a machine busy with other work disturbs less
// than the clock; the clock is shown beside it. MB means 10^6 bytes.
//
//   bench_files [--runs N] open MOVIE.swf...
//       Opening a movie as document text (LoadDocumentText) against vorn-convert's SWF -> XML
//       job (the movie mapped and converted into XML text, then the text written to its file)
//       and against that conversion alone. Target: the open takes at most 1.1x vorn-convert's
//       job; the ratio to the conversion alone shows what the decoding of legacy text adds.
//   bench_files [--runs N] project MOVIE.swf
//       Saving the movie's document text as a .vorn project (SaveDocumentText: the text parsed
//       and printed again, deflated at level 9 into the archive, written beside the target and
//       renamed) against deflating the text at level 9 alone. Target: at most 1.2x.
//   bench_files legacy OUT.swf MB
//       Writes a version-5 movie of about MB megabytes whose frame labels hold windows-1252
//       text, so that opening it decodes the legacy code page.
//
// The last line of each movie's report starts with "#files" and holds its numbers.
#include "bench_util.h"

#include "files/document_files.h"
#include "files/text_encoding.h"
#include "libswf/control.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;
using bench::inChild;
using bench::timeOnce;
using bench::Values;

namespace {

double peak() {
    return static_cast<double>(bench::peakRssBytes());
}

// Runs f, giving its wall-clock seconds as "seconds" and its processor seconds as "cpu".
template <class F>
Values timed(F&& f) {
    const double cpu = bench::cpuSeconds();
    const double seconds = timeOnce(f);
    return {{"seconds", seconds}, {"cpu", bench::cpuSeconds() - cpu}};
}

std::string scratchFolder() {
    std::string name = (fs::temp_directory_path() / "vorn-bench-files-XXXXXX").string();
    if (!::mkdtemp(name.data()))
        throw std::runtime_error("no scratch folder");
    return name;
}

// Keeps the measurement of least processor time.
void keepFastest(Values& fastest, const Values& v) {
    if (fastest.empty() || v.at("cpu") < fastest.at("cpu"))
        fastest = v;
}

Values convertOnly(const std::string& movie) {
    std::string text;
    Values v = timed([&] {
        const libswf::SwfMappedFile file(movie);
        swfxml::SwfXmlWriter ctx;
        if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
            throw std::runtime_error(ctx.failure.describe());
    });
    v["peak"] = peak();
    v["bytes"] = static_cast<double>(text.size());
    return v;
}

// The decoding step of an open alone: the movie's text, converted untimed, decoded by its
// version (nothing to do from version 6 on).
Values decodeOnly(const std::string& movie) {
    std::string text;
    int version = 0;
    {
        const libswf::SwfMappedFile file(movie);
        swfxml::SwfXmlWriter ctx;
        if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
            throw std::runtime_error(ctx.failure.describe());
        version = ctx.movie.version;
    }
    vorn::DecodedText decoded;
    Values v = timed([&] { decoded = vorn::DecodeBytes(std::move(text), version); });
    if (!decoded.ok)
        throw std::runtime_error(decoded.reason);
    return v;
}

Values convertJob(const std::string& movie, const std::string& output) {
    Values v = timed([&] {
        std::string text;
        {
            const libswf::SwfMappedFile file(movie);
            swfxml::SwfXmlWriter ctx;
            if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
                throw std::runtime_error(ctx.failure.describe());
        }
        libswf::SwfUtils::WriteWholeFile(output, text.size(),
                                         reinterpret_cast<const std::uint8_t*>(text.data()));
    });
    v["peak"] = peak();
    return v;
}

Values openDocument(const std::string& movie) {
    vorn::DecodedText text;
    Values v = timed([&] { text = vorn::LoadDocumentText(movie); });
    if (!text.ok)
        throw std::runtime_error(text.reason);
    v["peak"] = peak();
    v["bytes"] = static_cast<double>(text.text.size());
    return v;
}

void line(const char* what, const Values& v, double bytes) {
    std::printf("  %-22s %7.3f s cpu %7.3f s wall %8.1f MB/s", what, v.at("cpu"), v.at("seconds"),
                bench::mbPerSecond(static_cast<std::uint64_t>(bytes), v.at("cpu")));
    if (v.count("peak"))
        std::printf(", peak %.1f MB", v.at("peak") / 1e6);
    std::printf("\n");
}

int open(int runs, const std::vector<std::string>& movies) {
    int failed = 0;
    const std::string folder = scratchFolder();
    for (const std::string& movie : movies) {
        // Taken in turns, so that a spell of load on the machine falls on all three alike.
        Values conversion, job, opened, decoding;
        for (int i = 0; i < runs; ++i) {
            keepFastest(conversion, inChild([&] { return convertOnly(movie); }));
            keepFastest(opened, inChild([&] { return openDocument(movie); }));
            keepFastest(job, inChild([&] { return convertJob(movie, folder + "/out.xml"); }));
            keepFastest(decoding, inChild([&] { return decodeOnly(movie); }));
        }
        const double text = opened.at("bytes");
        const double ratio = opened.at("cpu") / conversion.at("cpu");
        const double jobRatio = opened.at("cpu") / job.at("cpu");
        const bool met = jobRatio <= 1.1;
        failed |= !met;
        std::printf("%s: %.2f MB movie, %.2f MB of text (MB/s of text)\n", movie.c_str(),
                    static_cast<double>(fs::file_size(movie)) / 1e6, text / 1e6);
        line("conversion alone", conversion, text);
        line("vorn-convert's job", job, text);
        line("open as document text", opened, text);
        line("its decoding alone", decoding, text);
        std::printf("  open / vorn-convert's job %.3f: target <= 1.1 %s; open / conversion alone "
                    "%.3f\n",
                    jobRatio, met ? "met" : "MISSED", ratio);
        std::printf("#files open movie=%s text_mb=%.2f open_s=%.4f convert_s=%.4f job_s=%.4f "
                    "ratio=%.3f job_ratio=%.3f peak_mb=%.1f\n",
                    fs::path(movie).filename().c_str(), text / 1e6, opened.at("cpu"),
                    conversion.at("cpu"), job.at("cpu"), ratio, jobRatio, opened.at("peak") / 1e6);
    }
    fs::remove_all(folder);
    return failed;
}

// The document text of a movie, as the editor would hold it.
std::string documentText(const std::string& movie) {
    vorn::DecodedText text = vorn::LoadDocumentText(movie);
    if (!text.ok)
        throw std::runtime_error(text.reason);
    return std::move(text.text);
}

Values deflateAlone(const std::string& movie) {
    const std::string text = documentText(movie);
    z_stream stream{};
    // Raw deflate with the zip entry's settings: level 9, default window and memory.
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::vector<unsigned char> out(deflateBound(&stream, text.size()));
    Values v = timed([&] {
        std::size_t done = 0;
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size(), 1u << 30));
        for (int status = Z_OK; status != Z_STREAM_END;) {
            const std::size_t slice = std::min<std::size_t>(text.size() - done, 1u << 24);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + done));
            stream.avail_in = static_cast<uInt>(slice);
            done += slice;
            status = deflate(&stream, done == text.size() ? Z_FINISH : Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                throw std::runtime_error("deflate failed");
        }
    });
    v["packed"] = static_cast<double>(stream.total_out);
    v["bytes"] = static_cast<double>(text.size());
    deflateEnd(&stream);
    return v;
}

Values saveProject(const std::string& movie, const std::string& folder) {
    std::string text = documentText(movie);
    const double size = static_cast<double>(text.size());
    vorn::SavedFile saved;
    // The text is handed over as the application hands over the text it takes from its view.
    Values v = timed([&] {
        vorn::EncodedText bytes = vorn::EncodeText(std::move(text));
        if (!bytes.ok)
            throw std::runtime_error(bytes.describe());
        saved =
            vorn::SaveDocumentText(vorn::SaveKind::Project, folder + "/project.vorn", bytes.bytes);
    });
    if (!saved.ok)
        throw std::runtime_error(saved.reason);
    v["peak"] = peak();
    v["bytes"] = size;
    v["file"] = static_cast<double>(fs::file_size(saved.path));
    return v;
}

int project(int runs, const std::string& movie) {
    const std::string folder = scratchFolder();
    Values alone, saved;
    for (int i = 0; i < runs; ++i) {
        keepFastest(alone, inChild([&] { return deflateAlone(movie); }));
        keepFastest(saved, inChild([&] { return saveProject(movie, folder); }));
    }
    fs::remove_all(folder);
    const double text = saved.at("bytes");
    const double ratio = saved.at("cpu") / alone.at("cpu");
    const bool met = ratio <= 1.2;
    std::printf("%s: %.2f MB of document text, %.2f MB deflated, %.2f MB project\n", movie.c_str(),
                text / 1e6, alone.at("packed") / 1e6, saved.at("file") / 1e6);
    line("deflate level 9 alone", alone, text);
    line(".vorn save", saved, text);
    std::printf("  save / deflate alone %.3f: target <= 1.2 %s\n", ratio, met ? "met" : "MISSED");
    std::printf("#files project movie=%s text_mb=%.2f save_s=%.4f deflate_s=%.4f ratio=%.3f "
                "peak_mb=%.1f\n",
                fs::path(movie).filename().c_str(), text / 1e6, saved.at("cpu"), alone.at("cpu"),
                ratio, saved.at("peak") / 1e6);
    return met ? 0 : 1;
}

// A version-5 movie of labels in windows-1252, each with a raw tag of a few bytes.
int legacy(const std::string& output, double megabytes) {
    const char* words[] = {"caf\xE9",
                           "na\xEFve",
                           "\xC5ngstr\xF6m",
                           "fa\xE7"
                           "ade",
                           "\x80uro",
                           "r\xE9sum\xE9",
                           "smart \x93quotes\x94",
                           "plain"};
    libswf::SwfMovie movie(false, 5, 11000, 8000, 12.0f);
    const auto target = static_cast<std::uint64_t>(megabytes * 1e6);
    std::uint64_t size = 0;
    for (std::uint64_t i = 0; size < target; ++i) {
        auto label = std::make_unique<libswf::SwfTagFrameLabel>();
        label->name.text =
            std::string(words[i % 8]) + " " + std::to_string(i) + " " + words[(i * 5 + 3) % 8];
        size += label->name.text.size() + 3;
        movie.tags.append(std::move(label));
        auto raw = std::make_unique<libswf::SwfTagUnknown>(250, false);
        raw->body = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 0xE9, 0x80};
        size += 6;
        movie.tags.append(std::move(raw));
        // Frame counts are 16-bit: a frame every 16 labels keeps 100 MB within them.
        if (i % 16 == 15) {
            movie.tags.append(std::make_unique<libswf::SwfTagShowFrame>());
            size += 2;
        }
    }
    movie.tags.append(std::make_unique<libswf::SwfTagShowFrame>());
    const libswf::SwfBuffer bytes = movie.write();
    libswf::SwfUtils::WriteWholeFile(output, bytes.size(), bytes.data());
    std::printf("%s: %.2f MB, version 5\n", output.c_str(),
                static_cast<double>(bytes.size()) / 1e6);
    return 0;
}

int usage() {
    std::cerr << "usage: bench_files [--runs N] open MOVIE.swf...\n"
                 "       bench_files [--runs N] project MOVIE.swf\n"
                 "       bench_files legacy OUT.swf MB\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int runs = 3;
    if (args.size() >= 2 && args[0] == "--runs") {
        runs = std::max(1, std::atoi(args[1].c_str()));
        args.erase(args.begin(), args.begin() + 2);
    }
    try {
        if (args.size() >= 2 && args[0] == "open")
            return open(runs, {args.begin() + 1, args.end()});
        if (args.size() == 2 && args[0] == "project")
            return project(runs, args[1]);
        if (args.size() == 3 && args[0] == "legacy")
            return legacy(args[1], std::atof(args[2].c_str()));
    } catch (const std::exception& e) {
        std::cerr << "bench_files: " << e.what() << '\n';
        return 1;
    }
    return usage();
}
