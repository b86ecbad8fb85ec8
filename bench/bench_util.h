// Helpers shared by the benchmark programs: a stopwatch, best-of-N timing, peak memory and
// access to the uncompressed body of a movie file. MB means 10^6 bytes throughout.
#pragma once

#include "libswf/compress.h"
#include "libswf/exception.h"
#include "libswf/vector.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds of processor time this process has used, in user and kernel mode: on a machine busy
// with other work it says more about the work measured than the clock does.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds one call of f takes.
template <class F>
double timeOnce(F&& f) {
    const Clock::time_point start = Clock::now();
    f();
    return secondsSince(start);
}

// The fastest of `runs` calls: the other runs only add noise from the rest of the machine.
template <class F>
double timeBest(int runs, F&& f) {
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i)
        best = std::min(best, timeOnce(f));
    return best;
}

inline double mb(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}
inline double mbPerSecond(std::uint64_t bytes, double seconds) {
    return seconds > 0 ? mb(bytes) / seconds : 0.0;
}

// The largest resident set of this process so far, in bytes.
inline std::uint64_t peakRssBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

inline std::uint32_t readLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// What a movie file's 8 header bytes say about it.
struct MovieHeader {
    char signature;           // 'F', 'C' or 'Z'
    std::uint64_t movieBytes; // the uncompressed movie, header included
};

inline MovieHeader readHeader(std::span<const std::uint8_t> file, const std::string& path) {
    if (file.size() < 8 || file.data()[1] != 'W' || file.data()[2] != 'S' ||
        !std::strchr("FCZ", file.data()[0]))
        throw libswf::SwfException(libswf::SwfException::UnexpectedEnd, path + " is not a movie");
    const char signature = static_cast<char>(file.data()[0]);
    // An uncompressed movie's length field can lie; its real size is the file's.
    const std::uint64_t movieBytes = signature == 'F' ? file.size() : readLe32(file.data() + 4);
    if (movieBytes < 8)
        throw libswf::SwfException(libswf::SwfException::UnexpectedEnd,
                                   path + " declares a movie shorter than its header");
    return {signature, movieBytes};
}

// The movie after its 8 header bytes, inflated when the file is compressed.
inline MovieHeader readHeader(const libswf::SwfBuffer& file, const std::string& path) {
    return readHeader(file.span(), path);
}

inline libswf::SwfBuffer uncompressedBody(std::span<const std::uint8_t> file,
                                          const MovieHeader& header) {
    libswf::SwfBuffer body(header.movieBytes - 8);
    const std::span<const std::uint8_t> packed = file.subspan(8);
    const std::span<std::uint8_t> out(body.data(), body.size());
    if (header.signature == 'F')
        std::memcpy(body.data(), packed.data(), body.size());
    else if (header.signature == 'C')
        libswf::swfInflate(packed, out);
    else
        libswf::swfLzmaInflate(packed, out);
    return body;
}

inline libswf::SwfBuffer uncompressedBody(const libswf::SwfBuffer& file,
                                          const MovieHeader& header) {
    return uncompressedBody(file.span(), header);
}

inline bool sameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// Numbers a measurement reports by name.
using Values = std::map<std::string, double>;

// Runs f in a forked child and returns the numbers it reports. The child leaves with _exit,
// so nothing of this process is flushed or destroyed twice.
template <class F>
inline Values inChild(F&& f) {
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(fds[0]);
        std::string report;
        int status = 0;
        try {
            for (const auto& [key, value] : f())
                report += key + " " + std::to_string(value) + "\n";
        } catch (const std::exception& e) {
            report = std::string("error ") + e.what() + "\n";
            status = 1;
        }
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(status);
    }
    ::close(fds[1]);
    std::string report;
    char chunk[4096];
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;)
        report.append(chunk, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (report.rfind("error ", 0) == 0)
        throw std::runtime_error(report.substr(6, report.size() - 7));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a measuring process failed");
    Values values;
    for (std::size_t at = 0; at < report.size();) {
        const std::size_t end = report.find('\n', at);
        const std::size_t blank = report.find(' ', at);
        values[report.substr(at, blank - at)] =
            std::stod(report.substr(blank + 1, end - blank - 1));
        at = end + 1;
    }
    return values;
}

} // namespace bench
