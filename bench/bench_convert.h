// The two XML conversions as the tag-family benchmarks time them: the conversion alone,
// then the process's peak memory; XML to SWF also says whether it gave back the movie the
// text came from. Each measurement runs in a fresh process, forked while the caller is
// still small, so that its peak is its own.
#pragma once

#include "bench_util.h"

#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace bench {

// SWF file to XML file; "seconds" (the conversion), "peak_rss" and the text's "bytes".
inline Values timedSwfToXml(const std::string& swfPath, const std::string& xmlPath) {
    std::string text;
    double seconds = 0;
    {
        const libswf::SwfMappedFile file(swfPath);
        swfxml::SwfXmlWriter ctx;
        seconds = timeOnce([&] {
            if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
                throw std::runtime_error(ctx.failure.describe());
        });
    }
    const auto rss = static_cast<double>(peakRssBytes());
    libswf::SwfUtils::WriteWholeFile(xmlPath, text.size(),
                                     reinterpret_cast<const std::uint8_t*>(text.data()));
    return {{"seconds", seconds}, {"peak_rss", rss}, {"bytes", static_cast<double>(text.size())}};
}

// XML file to SWF in memory; "seconds", "peak_rss" and "same" (1 when the bytes equal those
// of the SWF file at swfPath).
inline Values timedXmlToSwf(const std::string& xmlPath, const std::string& swfPath) {
    libswf::SwfBuffer swf;
    double seconds = 0;
    {
        const libswf::SwfMappedFile file(xmlPath);
        const std::string_view text(reinterpret_cast<const char*>(file.span().data()),
                                    file.span().size());
        swfxml::SwfXmlReader ctx;
        seconds = timeOnce([&] {
            if (!swfxml::convertXmlToSwfBytes(ctx, text, swf, false))
                throw std::runtime_error(ctx.failure.describe());
        });
    }
    const auto rss = static_cast<double>(peakRssBytes());
    const libswf::SwfMappedFile original(swfPath);
    const bool same = sameBytes(original.span(), swf.span());
    return {{"seconds", seconds}, {"peak_rss", rss}, {"same", same ? 1.0 : 0.0}};
}

// Both conversions `runs` times, each in a fresh process: the fastest of each way.
inline std::pair<Values, Values> bestConversions(int runs, const std::string& swfPath,
                                                 const std::string& xmlPath) {
    Values toXml, toSwf;
    for (int i = 0; i < runs; ++i) {
        const Values x = inChild([&] { return timedSwfToXml(swfPath, xmlPath); });
        const Values s = inChild([&] { return timedXmlToSwf(xmlPath, swfPath); });
        if (i == 0 || x.at("seconds") < toXml.at("seconds"))
            toXml = x;
        if (i == 0 || s.at("seconds") < toSwf.at("seconds"))
            toSwf = s;
    }
    return {toXml, toSwf};
}

// What a tag-family benchmark calls its movie and its units, and the rate it aims for.
struct ConversionReport {
    const char* movie;    // "text movie"
    const char* units;    // "glyph entries"
    const char* rateName; // "glyphs/s"
    const char* tag;      // first word of the summary line, "#text"
    const char* countKey; // "glyphs"
    double minRate;       // units per second, each way
};

// Prints both conversions of a movie of `count` units (time, units/s, SWF MB/s, peak memory),
// the round trip, the targets (minRate each way, peak at most 2.5x the XML text) and a
// summary line for scripts; true when every target is met.
inline bool reportConversions(const ConversionReport& r, double count, double swfBytes,
                              const Values& toXml, const Values& toSwf, int runs) {
    const double xml = toXml.at("bytes");
    const double toXmlRate = count / toXml.at("seconds");
    const double toSwfRate = count / toSwf.at("seconds");
    const double toXmlPeak = toXml.at("peak_rss") / xml;
    const double toSwfPeak = toSwf.at("peak_rss") / xml;
    const bool same = toSwf.at("same") != 0;
    std::printf("%s: %.0f %s, SWF %.2f MB, XML %.2f MB; best of %d runs, each in a fresh "
                "process\n",
                r.movie, count, r.units, mb(static_cast<std::uint64_t>(swfBytes)),
                mb(static_cast<std::uint64_t>(xml)), runs);
    std::printf("  %-8s %9s %14s %10s %10s %12s\n", "", "convert", r.rateName, "SWF MB/s",
                "peak MB", "peak / XML");
    const auto row = [&](const char* way, const Values& v, double rate, double peakRatio) {
        std::printf("  %-8s %7.0fms %14.0f %10.1f %10.1f %11.2fx\n", way, v.at("seconds") * 1e3,
                    rate, mbPerSecond(static_cast<std::uint64_t>(swfBytes), v.at("seconds")),
                    mb(static_cast<std::uint64_t>(v.at("peak_rss"))), peakRatio);
    };
    row("SWF>XML", toXml, toXmlRate, toXmlPeak);
    row("XML>SWF", toSwf, toSwfRate, toSwfPeak);
    std::printf("  round trip: %s\n", same ? "same bytes" : "DIFFERENT BYTES");
    const bool rateMet = toXmlRate >= r.minRate && toSwfRate >= r.minRate;
    const bool memoryMet = toXmlPeak <= 2.5 && toSwfPeak <= 2.5;
    std::printf("  targets:\n  >= %.0f %s/s each way: %s\n  peak memory <= 2.5x the XML text: "
                "%s\n",
                r.minRate, r.units, rateMet ? "met" : "MISSED", memoryMet ? "met" : "MISSED");
    std::printf("%s %s=%.0f xml_bytes=%.0f to_xml_rate=%.0f to_swf_rate=%.0f to_xml_peak=%.2f "
                "to_swf_peak=%.2f roundtrip=%s\n",
                r.tag, r.countKey, count, xml, toXmlRate, toSwfRate, toXmlPeak, toSwfPeak,
                same ? "ok" : "FAILED");
    return same && rateMet && memoryMet;
}

// Runs body in `keep` when given, else in a scratch folder under /tmp that is removed
// afterwards; `name` names the folder.
inline int inScratchFolder(const std::string& name, const std::filesystem::path& keep,
                           const std::function<int(const std::filesystem::path&)>& body) {
    if (!keep.empty())
        return body(keep);
    std::string pattern = "/tmp/" + name + ".XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    struct Scratch {
        std::filesystem::path path;
        ~Scratch() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } scratch{pattern};
    return body(scratch.path);
}

} // namespace bench
