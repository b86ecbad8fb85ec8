// The real-movie benchmark: every movie below a folder (the corpus of movies made by other
// tools), converted in this one process on one thread, SWF to XML and back, as vorn-convert
// converts one file (the input mapped, the output written through WriteWholeFile, which
// flushes it to disk). It prints:
//
//   - the totals each way in MB of SWF per second, XML to SWF both as the documents say
//     (compressed where IsCompressed is true) and with every output uncompressed;
//   - the references measured in the same run: inflating each body, base64-encoding its
//     payloads and writing a file of the XML's size (for SWF to XML); base64-decoding the
//     payloads and deflating the body at level 9 with libdeflate and with zlib (for
//     compressed output), what the target for compressed output leaves beside deflating,
//     and the floors of any reading of the text: the files read into memory, and every
//     element and attribute walked with the conversion's parser, building nothing;
//   - the time split by tag family and by the conversion's other phases;
//   - the ten slowest movies each way;
//   - the peak memory of a fresh process converting each movie, against its XML text;
//   - the same movies as batches through vorn-convert (-j 1 and -j 2, both ways);
//   - the start-up time of vorn-convert --help over many runs.
//
// Each movie's time is the fastest of --runs passes; a total is the sum of those. Processor
// time is reported beside the clock: on a machine busy with other work it says more.
//
//   bench_corpus [--runs N] [--startup N] [--no-batch] [--no-peak] [--convert PATH] [--keep DIR]
//   CORPUS
//
// The last line starts with "#corpus" and holds the numbers for scripts.
#include "bench_convert.h"
#include "bench_payloads.h"
#include "bench_util.h"

#include "libswf/bitmaps.h"
#include "libswf/control.h"
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"
#include "swfxml/parser.h"
#include "swfxml/values.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <iostream>
#include <malloc.h>
#include <map>
#include <numeric>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace libswf;
namespace fs = std::filesystem;
using bench::Clock;
using bench::collectPayloads;
using bench::mb;
using bench::secondsSince;

namespace {

// The current ("VmRSS") or the largest ("VmHWM") resident set of this process's memory, in
// bytes. Unlike getrusage's maximum, which a process started by posix_spawn inherits from
// its parent, these belong to the program's own memory alone.
double residentBytes(const char* key = "VmRSS:") {
    double kb = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, key, std::strlen(key)) == 0)
                kb = std::atof(line + std::strlen(key));
        std::fclose(f);
    }
    return kb * 1024;
}

void writeFile(const std::string& path, const void* data, std::size_t size) {
    SwfUtils::WriteWholeFile(path, size, static_cast<const std::uint8_t*>(data));
}

struct Movie {
    std::string name; // below the corpus folder
    fs::path path;
    double swfBytes = 0;
    bool compressed = false;
    bool ok = false; // converted to XML
    std::string failure;
    double xmlBytes = 0;
    double bodyBytes = 0; // the uncompressed movie
    // Fastest of the runs, in seconds.
    double toXml = 1e30, toXmlWrite = 0;
    double toSwf = 1e30, toSwfWrite = 0; // as the document says
    double toFws = 1e30;                 // every output uncompressed (convert + write)
    double toFwsConvert = 0;             // of which the conversion
    double refEncode = 1e30;             // inflate + encode payloads + write a file of XML size
    double refDecode = 1e30;             // decode payloads
    double refLibdeflate = 1e30, refZlib = 1e30; // deflate the body at level 9
    double floorRead = 1e30; // read the XML file into memory, as a conversion does
    double floorWalk = 1e30; // walk every element and attribute of the XML, building nothing
    double toXmlPeak = 0, toSwfPeak = 0;       // memory a conversion needs, bytes
    double toXmlProcess = 0, toSwfProcess = 0; // peak of a fresh process, bytes
    bool sameFile = false;                     // XML -> SWF gave back the file itself
};

// ---- one conversion, as vorn-convert does it ---------------------------------------------

// Seconds of the conversion, the text going to the file as it is printed, and of finishing
// the file (flushed to disk and renamed into place), as vorn-convert does (cli/jobs.cpp).
std::pair<double, double> swfToXml(const Movie& m, const std::string& output,
                                   swfxml::SwfXmlTimes* times) {
    const Clock::time_point start = Clock::now();
    SwfFileInMemory file(m.path.string());
    SwfAtomicFile out(output);
    swfxml::SwfXmlWriter ctx;
    ctx.times = times;
    swfxml::givesBackAsRead(ctx, file);
    if (!swfxml::convertSwfBytesToXml(ctx, file.span(), out))
        throw std::runtime_error(ctx.failure.describe());
    const double convert = secondsSince(start);
    const Clock::time_point written = Clock::now();
    out.commit();
    return {convert, secondsSince(written)};
}

std::pair<double, double> xmlToSwf(const std::string& input, const std::string& output,
                                   swfxml::SwfXmlTimes* times) {
    SwfBuffer swf;
    const Clock::time_point start = Clock::now();
    {
        SwfFileInMemory file(input);
        const std::string_view text(reinterpret_cast<const char*>(file.span().data()),
                                    file.span().size());
        swfxml::SwfXmlReader ctx;
        swfxml::givesBackAsRead(ctx, file);
        ctx.times = times;
        if (!swfxml::convertXmlToSwfBytes(ctx, text, swf, false))
            throw std::runtime_error(ctx.failure.describe());
    }
    const double convert = secondsSince(start);
    const Clock::time_point written = Clock::now();
    writeFile(output, swf.data(), swf.size());
    return {convert, secondsSince(written)};
}

// ---- floors of XML to SWF ----------------------------------------------------------------

// Elements and attributes below an element, the element included.
std::size_t walkElement(const swfxml::SwfXmlIn& element) {
    std::size_t count = 1 + element.attributes().size();
    for (swfxml::SwfXmlIn c = element.nextChild(); c; c = element.nextChild())
        count += walkElement(c);
    return count;
}

// Reads the document's text into memory and walks every element and attribute of its root
// with the streaming parser the conversion reads with, building nothing: what any reading of
// the text costs before a single record is made. The seconds of each.
std::pair<double, double> readAndWalk(const std::string& path) {
    const Clock::time_point start = Clock::now();
    { const SwfFileInMemory file(path); }
    const double read = secondsSince(start);
    const SwfFileInMemory file(path);
    const std::string_view text(reinterpret_cast<const char*>(file.span().data()),
                                file.span().size());
    const Clock::time_point walked = Clock::now();
    const std::size_t open = text.find("<Movie");
    const std::size_t begin = open == std::string_view::npos ? open : text.find('>', open);
    const std::size_t end = text.rfind("</Movie>");
    if (begin == std::string_view::npos || end == std::string_view::npos || end <= begin)
        throw std::runtime_error(path + ": no Movie element to walk");
    swfxml::SwfXmlParser parser(text, begin + 1, end, "Movie");
    if (walkElement(parser.root()) == 0)
        throw std::logic_error("an element counts itself");
    return {read, secondsSince(walked)};
}

// ---- child processes ---------------------------------------------------------------------

// Runs the program with its arguments, its output to /dev/null when quiet; the wall seconds
// it took and its exit status.
std::pair<double, int> runProgram(const std::vector<std::string>& args, bool quiet = true) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(error));
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = secondsSince(start);
    return {seconds, WIFEXITED(status) ? WEXITSTATUS(status) : 128};
}

// The peak resident set of a fresh process converting one file, and the growth of its
// resident set converting it again (see peakMode): this program started in its --peak mode.
std::pair<double, double> peakOfFreshProcess(const std::string& self, const std::string& way,
                                             const std::string& input, const std::string& output) {
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<std::string> args = {self, "--peak", way, input, output};
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        throw std::runtime_error("cannot start " + self);
    }
    std::string report;
    char chunk[256];
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;)
        report.append(chunk, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the measuring process failed on " + input + ": " + report);
    std::size_t used = 0;
    const double process = std::stod(report, &used);
    return {process, std::stod(report.substr(used))};
}

// --peak: converts one file in this fresh process, twice, and prints two numbers: the peak
// resident set of the whole process during the first conversion, and the growth of the
// resident set during the second. The first conversion also reads in the code and sets up
// the libraries; what is freed after it is given back, and the peak is reset, so that the
// growth is the memory the conversion itself needs.
int peakMode(const std::string& way, const std::string& input, const std::string& output) {
    const auto convert = [&] {
        if (way == "xml") {
            Movie m;
            m.path = input;
            swfToXml(m, output, nullptr);
        } else {
            xmlToSwf(input, output, nullptr);
        }
    };
    convert();
    const double process = residentBytes("VmHWM:");
    ::malloc_trim(0);
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    const double before = residentBytes();
    convert();
    std::printf("%.0f %.0f\n", process, residentBytes("VmHWM:") - before);
    return 0;
}

// ---- report helpers ----------------------------------------------------------------------

struct Totals {
    double seconds = 0, cpu = 0;
    swfxml::SwfXmlTimes times;
};

std::string load() {
    std::string text;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        char buffer[64] = {};
        if (std::fgets(buffer, sizeof buffer, f))
            text = buffer;
        std::fclose(f);
    }
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

void printSlowest(const std::vector<Movie*>& movies, const char* title,
                  const std::function<double(const Movie&)>& seconds) {
    std::vector<Movie*> sorted = movies;
    std::sort(sorted.begin(), sorted.end(),
              [&](const Movie* a, const Movie* b) { return seconds(*a) > seconds(*b); });
    std::printf("\n== the ten slowest movies, %s\n", title);
    std::printf("  %8s %8s %8s %9s  %s\n", "ms", "SWF MB", "XML MB", "SWF MB/s", "movie");
    for (std::size_t i = 0; i < std::min<std::size_t>(10, sorted.size()); ++i) {
        const Movie& m = *sorted[i];
        const double s = seconds(m);
        std::printf("  %8.2f %8.3f %8.3f %9.1f  %s\n", s * 1e3, mb(m.swfBytes), mb(m.xmlBytes),
                    mb(m.swfBytes) / s, m.name.c_str());
    }
}

int run(const fs::path& corpus, int runs, int startupRuns, bool batch, bool peaks,
        const std::string& convert, const fs::path& scratch, const std::string& self) {
    // ---- the movies
    std::vector<Movie> movies;
    for (const auto& entry : fs::recursive_directory_iterator(corpus))
        if (entry.is_regular_file() && entry.path().extension() == ".swf") {
            Movie m;
            m.path = entry.path();
            m.name = fs::relative(entry.path(), corpus).generic_string();
            m.swfBytes = static_cast<double>(entry.file_size());
            movies.push_back(std::move(m));
        }
    std::sort(movies.begin(), movies.end(),
              [](const Movie& a, const Movie& b) { return a.path < b.path; });
    // Every pass writes into folders of its own: a file replaced by the next run would leave
    // its inode recently deleted, and the file system's search for a free inode then slows
    // down every file created after it, which is not the cost of a conversion.
    for (const char* folder : {"xml", "fws", "swf", "batch-in"})
        fs::create_directories(scratch / folder);
    const auto xmlOf = [&](std::size_t i) {
        return (scratch / "xml" / (std::to_string(i) + ".xml")).string();
    };
    const auto fwsOf = [&](std::size_t i) {
        return (scratch / "fws" / (std::to_string(i) + ".xml")).string();
    };
    const auto swfOf = [&](std::size_t i) {
        return (scratch / "swf" / (std::to_string(i) + ".swf")).string();
    };
    const auto outOf = [&](const std::string& pass, int r, std::size_t i, const char* ext) {
        const fs::path folder = scratch / (pass + "-" + std::to_string(r));
        fs::create_directories(folder);
        return (folder / (std::to_string(i) + ext)).string();
    };

    // A first pass finds the well-formed movies, writes their XML and warms the file cache.
    for (std::size_t i = 0; i < movies.size(); ++i) {
        Movie& m = movies[i];
        try {
            swfToXml(m, xmlOf(i), nullptr);
            m.ok = true;
            m.xmlBytes = static_cast<double>(fs::file_size(xmlOf(i)));
            const SwfBuffer file = SwfUtils::ReadFileToBuffer(m.path.string());
            const bench::MovieHeader header = bench::readHeader(file, m.path.string());
            m.compressed = header.signature != 'F';
            m.bodyBytes = static_cast<double>(header.movieBytes);
            // The same document with uncompressed output.
            const SwfBuffer xml = SwfUtils::ReadFileToBuffer(xmlOf(i));
            std::string text(reinterpret_cast<const char*>(xml.data()), xml.size());
            const std::size_t rootEnd = text.find('>', text.find("<Movie"));
            const std::size_t flag = text.find("IsCompressed=\"true\"");
            if (flag != std::string::npos && flag < rootEnd)
                text.replace(flag, 19, "IsCompressed=\"false\"");
            writeFile(fwsOf(i), text.data(), text.size());
        } catch (const std::exception& e) {
            m.failure = e.what();
        }
    }
    std::vector<Movie*> good;
    for (Movie& m : movies)
        if (m.ok)
            good.push_back(&m);
    const auto sum = [&](const std::function<double(const Movie&)>& f,
                         bool onlyCompressed = false) {
        double total = 0;
        for (const Movie* m : good)
            if (!onlyCompressed || m->compressed)
                total += f(*m);
        return total;
    };
    const double swfTotal = sum([](const Movie& m) { return m.swfBytes; });
    const double xmlTotal = sum([](const Movie& m) { return m.xmlBytes; });
    const double bodyTotal = sum([](const Movie& m) { return m.bodyBytes; });
    std::size_t compressedCount = 0;
    for (const Movie* m : good)
        compressedCount += m->compressed;
    std::printf("%zu movies below %s: %zu well-formed (%zu compressed), %zu refused\n",
                movies.size(), corpus.c_str(), good.size(), compressedCount,
                movies.size() - good.size());
    for (const Movie& m : movies)
        if (!m.ok)
            std::printf("  refused: %s: %s\n", m.name.c_str(), m.failure.c_str());
    std::printf("SWF %.2f MB (%.2f MB uncompressed), XML %.2f MB; each movie the fastest of %d "
                "runs, one process, one thread; %ld cores, load %s\n",
                mb(swfTotal), mb(bodyTotal), mb(xmlTotal), runs, ::sysconf(_SC_NPROCESSORS_ONLN),
                load().c_str());

    // ---- the timed passes, each movie the fastest of the runs
    Totals toXml, toSwf, toFws;
    for (int r = 0; r < runs; ++r) {
        Totals x, s, f;
        // One pass over every movie: convert(i, times) gives the seconds of converting and
        // of writing the file; keep(m, convert, write) records the movie's best.
        const auto pass = [&](Totals& totals, const auto& convert, const auto& keep) {
            const double cpu = bench::cpuSeconds();
            for (std::size_t i = 0; i < movies.size(); ++i) {
                Movie& m = movies[i];
                if (!m.ok)
                    continue;
                const auto [seconds, write] = convert(i, &totals.times);
                totals.seconds += seconds + write;
                keep(m, seconds, write);
            }
            totals.cpu = bench::cpuSeconds() - cpu;
        };
        pass(
            x,
            [&](std::size_t i, swfxml::SwfXmlTimes* times) {
                return swfToXml(movies[i], outOf("to-xml", r, i, ".xml"), times);
            },
            [](Movie& m, double convert, double write) {
                if (convert + write < m.toXml) {
                    m.toXml = convert + write;
                    m.toXmlWrite = write;
                }
            });
        pass(
            s,
            [&](std::size_t i, swfxml::SwfXmlTimes* times) {
                return xmlToSwf(xmlOf(i), outOf("to-swf", r, i, ".swf"), times);
            },
            [](Movie& m, double convert, double write) {
                if (convert + write < m.toSwf) {
                    m.toSwf = convert + write;
                    m.toSwfWrite = write;
                }
            });
        pass(
            f,
            [&](std::size_t i, swfxml::SwfXmlTimes* times) {
                return xmlToSwf(fwsOf(i), outOf("to-fws", r, i, ".swf"), times);
            },
            [](Movie& m, double convert, double write) {
                if (convert + write < m.toFws) {
                    m.toFws = convert + write;
                    m.toFwsConvert = convert;
                }
            });
        if (r == 0 || x.seconds < toXml.seconds)
            toXml = x;
        if (r == 0 || s.seconds < toSwf.seconds)
            toSwf = s;
        if (r == 0 || f.seconds < toFws.seconds)
            toFws = f;
    }
    // The compiled movies as the documents say them, against the files they came from: the
    // same file, or the same movie once both are uncompressed (compressors differ).
    std::size_t sameFiles = 0, sameMovies = 0;
    for (std::size_t i = 0; i < movies.size(); ++i) {
        Movie& m = movies[i];
        if (!m.ok)
            continue;
        xmlToSwf(xmlOf(i), swfOf(i), nullptr);
        const SwfMappedFile a(m.path.string()), b(swfOf(i));
        m.sameFile = bench::sameBytes(a.span(), b.span());
        sameFiles += m.sameFile;
        const bench::MovieHeader ha = bench::readHeader(a.span(), m.name);
        const bench::MovieHeader hb = bench::readHeader(b.span(), m.name);
        sameMovies += std::memcmp(a.span().data() + 1, b.span().data() + 1, 7) == 0 &&
                      bench::sameBytes(bench::uncompressedBody(a.span(), ha).span(),
                                       bench::uncompressedBody(b.span(), hb).span());
    }

    // ---- the references, in the same run
    for (std::size_t i = 0; i < movies.size(); ++i) {
        Movie* m = &movies[i];
        if (!m->ok)
            continue;
        const SwfBuffer file = SwfUtils::ReadFileToBuffer(m->path.string());
        SwfMovie model;
        model.read(file.span());
        std::vector<std::span<const std::uint8_t>> payloads;
        collectPayloads(model.tags, payloads);
        std::vector<std::string> encoded;
        for (const auto& p : payloads)
            encoded.push_back(swfxml::base64Encode(p));
        const bench::MovieHeader header = bench::readHeader(file, m->path.string());
        const SwfBuffer body = bench::uncompressedBody(file, header);
        for (int r = 0; r < runs; ++r) {
            const std::size_t xmlBytes = static_cast<std::size_t>(m->xmlBytes);
            m->refEncode =
                std::min(m->refEncode, bench::timeOnce([&] {
                             const SwfMappedFile mapped(m->path.string());
                             const SwfBuffer inflated =
                                 bench::uncompressedBody(mapped.span(), header);
                             SwfBuffer out(xmlBytes);
                             std::size_t at = 0;
                             for (const auto& p : payloads) {
                                 const std::string text = swfxml::base64Encode(p);
                                 const std::size_t n = std::min(text.size(), out.size() - at);
                                 std::memcpy(out.data() + at, text.data(), n);
                                 at += n;
                             }
                             writeFile(outOf("ref", r, i, ".bin"), out.data(), out.size());
                         }));
            m->refDecode =
                std::min(m->refDecode, bench::timeOnce([&] {
                             SwfBuffer out(static_cast<std::size_t>(m->bodyBytes));
                             std::size_t at = 0;
                             for (const std::string& text : encoded) {
                                 const std::vector<std::uint8_t> bytes = swfxml::base64Decode(text);
                                 const std::size_t n = std::min(bytes.size(), out.size() - at);
                                 std::memcpy(out.data() + at, bytes.data(), n);
                                 at += n;
                             }
                         }));
            m->refLibdeflate = std::min(m->refLibdeflate, bench::timeOnce([&] {
                                            swfDeflate(body.span(), 8, SwfZlibCodec::Libdeflate);
                                        }));
            m->refZlib =
                std::min(m->refZlib,
                         bench::timeOnce([&] { swfDeflate(body.span(), 8, SwfZlibCodec::Zlib); }));
            if (m->compressed) {
                const auto [read, walk] = readAndWalk(xmlOf(i));
                m->floorRead = std::min(m->floorRead, read);
                m->floorWalk = std::min(m->floorWalk, walk);
            }
        }
    }

    // ---- peak memory of fresh processes
    for (std::size_t i = 0; peaks && i < movies.size(); ++i) {
        Movie& m = movies[i];
        if (!m.ok)
            continue;
        std::tie(m.toXmlProcess, m.toXmlPeak) =
            peakOfFreshProcess(self, "xml", m.path.string(), outOf("peak", 0, i, ".xml"));
        std::tie(m.toSwfProcess, m.toSwfPeak) =
            peakOfFreshProcess(self, "swf", xmlOf(i), outOf("peak", 0, i, ".swf"));
    }

    // ---- totals and targets
    const double xmlSeconds = sum([](const Movie& m) { return m.toXml; });
    const double xmlWrite = sum([](const Movie& m) { return m.toXmlWrite; });
    const double swfSeconds = sum([](const Movie& m) { return m.toSwf; });
    const double swfWrite = sum([](const Movie& m) { return m.toSwfWrite; });
    const double fwsSeconds = sum([](const Movie& m) { return m.toFws; });
    const double cwsSeconds = sum([](const Movie& m) { return m.toSwf - m.toSwfWrite; }, true);
    const double refEncode = sum([](const Movie& m) { return m.refEncode; });
    const double refDecode = sum([](const Movie& m) { return m.refDecode; }, true);
    const double refLibdeflate = sum([](const Movie& m) { return m.refLibdeflate; }, true);
    const double refZlib = sum([](const Movie& m) { return m.refZlib; }, true);
    const double refDeflate = std::min(refLibdeflate, refZlib);
    const double refCompressed = refDecode + refDeflate;

    const double toXmlRate = mb(swfTotal) / xmlSeconds;
    const double toFwsRate = mb(swfTotal) / fwsSeconds;
    const double toXmlRatio = xmlSeconds / refEncode;
    const double cwsRatio = cwsSeconds / refCompressed;

    std::printf("\n== totals (the fastest run of each movie, summed)\n");
    std::printf("  %-34s %9s %9s %9s %9s\n", "", "seconds", "SWF MB/s", "XML MB/s", "cpu s");
    const auto row = [&](const char* what, double seconds, double cpu) {
        std::printf("  %-34s %9.3f %9.1f %9.1f %9.3f\n", what, seconds, mb(swfTotal) / seconds,
                    mb(xmlTotal) / seconds, cpu);
    };
    row("SWF>XML (convert + write file)", xmlSeconds, toXml.cpu);
    row("XML>SWF as the documents say", swfSeconds, toSwf.cpu);
    row("XML>SWF every output uncompressed", fwsSeconds, toFws.cpu);
    std::printf("  whole passes, fastest: SWF>XML %.3f s, XML>SWF %.3f s, uncompressed %.3f s\n",
                toXml.seconds, toSwf.seconds, toFws.seconds);
    std::printf("  of which writing out the files: SWF>XML %.3f s (flushing and renaming; the "
                "text goes to the file as it is printed), XML>SWF %.3f s\n",
                xmlWrite, swfWrite);
    std::printf("  after XML>SWF, movies identical to the original: %zu of %zu uncompressed, "
                "%zu as files\n",
                sameMovies, good.size(), sameFiles);

    std::printf("\n== references, same run\n");
    std::printf("  inflate + base64-encode payloads + write a file of the XML's size: %.3f s\n",
                refEncode);
    std::printf("  the %zu compressed movies: base64-decode payloads %.3f s, deflate-9 of "
                "%.2f MB: libdeflate %.3f s, zlib %.3f s\n",
                compressedCount, refDecode,
                mb(sum([](const Movie& m) { return m.bodyBytes; }, true)), refLibdeflate, refZlib);
    std::printf("  their XML>SWF, without writing the file: %.3f s\n", cwsSeconds);
    // What the target leaves for everything but deflating, against what the same movies take
    // without it and against the floors of any reading of their text.
    const double fwsOfCompressed = sum([](const Movie& m) { return m.toFwsConvert; }, true);
    std::printf("  the same with uncompressed output: %.3f s; the 1.3x target leaves %.3f s "
                "beside deflating\n",
                fwsOfCompressed, 1.3 * refCompressed - refDeflate);
    std::printf("  floors: reading their XML files into memory %.3f s, walking every element "
                "and attribute %.3f s\n",
                sum([](const Movie& m) { return m.floorRead; }, true),
                sum([](const Movie& m) { return m.floorWalk; }, true));

    // ---- split by family and phase
    std::map<std::string, std::pair<double, double>> families;
    for (std::uint16_t code = 0; code < 1024; ++code) {
        const double x = toXml.times.byTag[code], s = toSwf.times.byTag[code];
        if (x > 0 || s > 0) {
            auto& f = families[swfxml::swfXmlFamilyName(code)];
            f.first += x;
            f.second += s;
        }
    }
    const double xmlTags =
        std::accumulate(families.begin(), families.end(), 0.0,
                        [](double a, const auto& f) { return a + f.second.first; });
    const double swfTags =
        std::accumulate(families.begin(), families.end(), 0.0,
                        [](double a, const auto& f) { return a + f.second.second; });
    std::printf("\n== where the time goes (the fastest whole pass; seconds and share)\n");
    std::printf("  %-28s %9s %6s %9s %6s\n", "", "SWF>XML", "", "XML>SWF", "");
    const auto split = [&](const std::string& what, double x, double s) {
        std::printf("  %-28s %9.3f %5.1f%% %9.3f %5.1f%%\n", what.c_str(), x,
                    100 * x / toXml.seconds, s, 100 * s / toSwf.seconds);
    };
    for (const auto& [name, f] : families)
        split("tags: " + name, f.first, f.second);
    split("the movie between tags", toXml.times.readMovie - xmlTags, 0);
    split("the text between tags", 0, toSwf.times.parse - swfTags);
    split("writing the movie (XML>SWF)", 0, toSwf.times.writeMovie);
    split("the rest (files, set-up)", toXml.seconds - toXml.times.readMovie,
          toSwf.seconds - toSwf.times.parse - toSwf.times.writeMovie);

    printSlowest(good, "SWF>XML", [](const Movie& m) { return m.toXml; });
    printSlowest(good, "XML>SWF as the documents say", [](const Movie& m) { return m.toSwf; });

    // ---- memory
    std::vector<Movie*> bySize = good;
    std::sort(bySize.begin(), bySize.end(),
              [](const Movie* a, const Movie* b) { return a->xmlBytes > b->xmlBytes; });
    double worstXml = 0, worstSwf = 0;
    std::string worstXmlName, worstSwfName;
    std::size_t large = 0;
    for (const Movie* m : good)
        if (m->xmlBytes >= 1e6) {
            ++large;
            if (m->toXmlPeak / m->xmlBytes > worstXml) {
                worstXml = m->toXmlPeak / m->xmlBytes;
                worstXmlName = m->name;
            }
            if (m->toSwfPeak / m->xmlBytes > worstSwf) {
                worstSwf = m->toSwfPeak / m->xmlBytes;
                worstSwfName = m->name;
            }
        }
    // Peaks are shown and judged only when they were measured (not with --no-peak).
    if (peaks) {
        std::printf("\n== peak memory against the XML text: the growth of the resident set while a "
                    "warmed-up process converts one movie (need), and the peak of a fresh process "
                    "converting it once (process)\n");
        std::printf("  %8s %18s %18s %18s %18s  %s\n", "XML MB", "SWF>XML need", "XML>SWF need",
                    "SWF>XML process", "XML>SWF process", "movie (the ten largest)");
        const auto cell = [](double bytes, double xml) {
            char text[32];
            std::snprintf(text, sizeof text, "%7.2f MB %5.2fx", mb(bytes), bytes / xml);
            return std::string(text);
        };
        for (std::size_t i = 0; i < std::min<std::size_t>(10, bySize.size()); ++i) {
            const Movie& m = *bySize[i];
            std::printf("  %8.2f %18s %18s %18s %18s  %s\n", mb(m.xmlBytes),
                        cell(m.toXmlPeak, m.xmlBytes).c_str(),
                        cell(m.toSwfPeak, m.xmlBytes).c_str(),
                        cell(m.toXmlProcess, m.xmlBytes).c_str(),
                        cell(m.toSwfProcess, m.xmlBytes).c_str(), m.name.c_str());
        }
        std::printf(
            "  worst of the %zu movies of at least 1 MB of XML: SWF>XML %.2fx (%s), XML>SWF "
            "%.2fx (%s)\n",
            large, worstXml, worstXmlName.c_str(), worstSwf, worstSwfName.c_str());
    }

    // ---- vorn-convert batches and start-up
    double batch1Xml = 0, batch1Swf = 0, batch2Xml = 0, batch2Swf = 0, startup = 0, floor = 0;
    if (batch && fs::exists(convert)) {
        // The inputs under unique names, so that the batch runs whatever the folders.
        std::vector<std::string> inputs, xmls;
        for (std::size_t i = 0; i < good.size(); ++i) {
            const std::string stem = std::to_string(i) + "-" + good[i]->path.stem().string();
            const fs::path link = scratch / "batch-in" / (stem + ".swf");
            fs::remove(link);
            fs::create_symlink(fs::absolute(good[i]->path), link);
            inputs.push_back(link.string());
            xmls.push_back((scratch / "batch-xml-j1-0" / (stem + ".xml")).string());
        }
        const auto timeBatch = [&](const std::vector<std::string>& files, const std::string& pass,
                                   int jobs) {
            double best = 1e30;
            for (int r = 0; r < runs; ++r) {
                const fs::path out =
                    scratch / (pass + "-j" + std::to_string(jobs) + "-" + std::to_string(r));
                fs::create_directories(out);
                std::vector<std::string> args = {convert, "-j", std::to_string(jobs), "-o",
                                                 out.string()};
                args.insert(args.end(), files.begin(), files.end());
                const auto [seconds, status] = runProgram(args);
                if (status != 0)
                    throw std::runtime_error("vorn-convert failed in a batch, status " +
                                             std::to_string(status));
                best = std::min(best, seconds);
            }
            return best;
        };
        batch1Xml = timeBatch(inputs, "batch-xml", 1);
        batch1Swf = timeBatch(xmls, "batch-swf", 1);
        batch2Xml = timeBatch(inputs, "batch-xml", 2);
        batch2Swf = timeBatch(xmls, "batch-swf", 2);
        std::printf("\n== the %zu movies as batches through %s (wall clock, fastest of %d)\n",
                    good.size(), convert.c_str(), runs);
        std::printf("  %-10s %9s %9s %9s %9s\n", "", "SWF>XML s", "SWF MB/s", "XML>SWF s",
                    "SWF MB/s");
        std::printf("  %-10s %9.3f %9.1f %9.3f %9.1f\n", "-j 1", batch1Xml,
                    mb(swfTotal) / batch1Xml, batch1Swf, mb(swfTotal) / batch1Swf);
        std::printf("  %-10s %9.3f %9.1f %9.3f %9.1f\n", "-j 2", batch2Xml,
                    mb(swfTotal) / batch2Xml, batch2Swf, mb(swfTotal) / batch2Swf);

        double total = 0;
        floor = 1e30;
        startup = 1e30;
        for (int r = 0; r < startupRuns; ++r) {
            const double s = runProgram({convert, "--help"}).first;
            total += s;
            startup = std::min(startup, s);
            floor = std::min(floor, runProgram({"/bin/true"}).first);
        }
        std::printf("\n== start-up: %s --help, %d runs: mean %.2f ms, fastest %.2f ms (/bin/true "
                    "fastest %.2f ms)\n",
                    convert.c_str(), startupRuns, total / startupRuns * 1e3, startup * 1e3,
                    floor * 1e3);
        startup = total / startupRuns;
    }

    std::printf("\n== targets\n");
    const auto target = [](const char* what, bool met) {
        std::printf("  %-64s %s\n", what, met ? "met" : "MISSED");
    };
    char line[160];
    std::snprintf(line, sizeof line, "SWF>XML >= 50 MB of SWF/s (%.1f)", toXmlRate);
    target(line, toXmlRate >= 50);
    std::snprintf(line, sizeof line, "XML>SWF uncompressed >= 35 MB of SWF/s (%.1f)", toFwsRate);
    target(line, toFwsRate >= 35);
    std::snprintf(line, sizeof line, "XML>SWF compressed <= 1.3x decode + deflate-9 (%.2fx)",
                  cwsRatio);
    target(line, cwsRatio <= 1.3);
    std::snprintf(line, sizeof line, "SWF>XML <= 3x inflate + encode + write (%.2fx)", toXmlRatio);
    target(line, toXmlRatio <= 3);
    if (peaks) {
        std::snprintf(line, sizeof line, "peak SWF>XML <= 1.5x the XML (worst %.2fx)", worstXml);
        target(line, worstXml <= 1.5);
        std::snprintf(line, sizeof line, "peak XML>SWF <= 2x the XML (worst %.2fx)", worstSwf);
        target(line, worstSwf <= 2);
    }
    if (startup > 0) {
        std::snprintf(line, sizeof line, "vorn-convert --help under 2 ms (mean %.2f ms)",
                      startup * 1e3);
        target(line, startup < 0.002);
    }
    std::printf("#corpus movies=%zu swf_mb=%.2f xml_mb=%.2f to_xml_s=%.3f to_swf_s=%.3f "
                "to_fws_s=%.3f to_xml_rate=%.1f to_fws_rate=%.1f to_xml_ratio=%.2f "
                "cws_ratio=%.2f peak_xml=%.2f peak_swf=%.2f batch_j2_xml=%.3f batch_j2_swf=%.3f "
                "startup_ms=%.2f same_movies=%zu load=%s\n",
                good.size(), mb(swfTotal), mb(xmlTotal), xmlSeconds, swfSeconds, fwsSeconds,
                toXmlRate, toFwsRate, toXmlRatio, cwsRatio, worstXml, worstSwf, batch2Xml,
                batch2Swf, startup * 1e3, sameMovies, load().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    int startupRuns = 200;
    bool batch = true;
    bool peaks = true;
    bool usage = false;
    std::string corpus, convert, keep;
    const std::string self = fs::canonical("/proc/self/exe").string();
    if (argc == 5 && std::string(argv[1]) == "--peak") {
        try {
            return peakMode(argv[2], argv[3], argv[4]);
        } catch (const std::exception& e) {
            std::printf("%s\n", e.what());
            return 1;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--startup" && i + 1 < argc)
            startupRuns = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--no-batch")
            batch = false;
        else if (arg == "--no-peak")
            peaks = false;
        else if (arg == "--convert" && i + 1 < argc)
            convert = argv[++i];
        else if (arg == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else if (corpus.empty() && arg[0] != '-')
            corpus = arg;
        else
            usage = true;
    }
    if (usage || corpus.empty()) {
        std::cerr << "usage: bench_corpus [--runs N] [--startup N] [--no-batch] [--no-peak] "
                     "[--convert PATH] "
                     "[--keep DIR] CORPUS\n";
        return 2;
    }
    if (convert.empty())
        convert = (fs::path(self).parent_path().parent_path() / "cli" / "vorn-convert").string();
    try {
        return bench::inScratchFolder("vorn-corpus", keep, [&](const fs::path& scratch) {
            return run(corpus, runs, startupRuns, batch, peaks, convert, scratch, self);
        });
    } catch (const std::exception& e) {
        std::cerr << "bench_corpus: " << e.what() << '\n';
        return 1;
    }
}
