// Times the two conversions of the XML dialect on one movie, each exactly as vorn-convert does
// it (SWF to XML: the mapped movie into text, then the text to its file; XML to SWF: the
// mapped text into a movie, then the movie to its file; every file written through
// WriteWholeFile, which flushes it to disk), and the process's peak memory for each.
// Every measurement runs in a process of its own, forked while this one is still small, so
// that each pays for fresh memory pages as the converter does and its peak is its own.
//
// The references are the least a conversion of the movie's payloads could cost: base64-
// encoding every payload (DefineBinaryData data, DoABC bytecode, image and alpha data of the
// bitmap tags, raw tag bodies) into a buffer
// of the XML's size and writing that; base64-decoding the payloads' plain encodings into a
// buffer of the SWF's size and writing that.
//
//   bench_xml [--runs N] [--payload | --bitmaps | --tags] FILE.swf
//
// --payload and --bitmaps check the targets of a payload-heavy or bitmap-heavy movie (each
// conversion <= 2.5x its reference), --tags those of a movie of many small tags (>= 1,000,000 tags
// per second each way, counting nested tags and ShowFrames); both check peak memory <= 2.5x the XML
// text. The last line starts with "#xml" and holds the numbers for bench/run_xml.
#include "bench_payloads.h"
#include "bench_util.h"

#include "libswf/bitmaps.h"
#include "libswf/control.h"
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"
#include "swfxml/values.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace libswf;
using bench::timeOnce;

namespace {

using bench::collectPayloads;
using bench::inChild;
using bench::Values;

double peak() {
    return static_cast<double>(bench::peakRssBytes());
}

std::size_t countTags(const SwfTags& tags) {
    std::size_t n = tags.size();
    for (const auto& tag : tags)
        if (const auto* sprite = dynamic_cast<const SwfTagDefineSprite*>(tag.get()))
            n += countTags(sprite->tags);
    return n;
}

// Every tag family the library decodes has its elements in the dialect, so a plain read
// yields the tags the conversion shows.
SwfMovie readMovie(const std::string& path) {
    SwfMovie movie;
    const SwfMappedFile file(path);
    movie.read(file.span());
    return movie;
}

Values movieFacts(const std::string& swfPath) {
    const SwfMovie movie = readMovie(swfPath);
    std::vector<std::span<const std::uint8_t>> payloads;
    collectPayloads(movie.tags, payloads);
    double bytes = 0;
    for (const auto& p : payloads)
        bytes += static_cast<double>(p.size());
    return {{"tags", static_cast<double>(countTags(movie.tags))},
            {"payloads", static_cast<double>(payloads.size())},
            {"payload_bytes", bytes}};
}

// What cli/jobs.cpp swfToXml does.
Values swfToXml(const std::string& input, const std::string& output) {
    const double start = peak();
    const double cpu = bench::cpuSeconds();
    std::string text;
    const double convert = timeOnce([&] {
        swfxml::SwfXmlWriter ctx;
        const SwfMappedFile file(input);
        if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
            throw std::runtime_error(ctx.failure.describe());
    });
    const double write = timeOnce([&] {
        SwfUtils::WriteWholeFile(output, text.size(),
                                 reinterpret_cast<const std::uint8_t*>(text.data()));
    });
    return {{"convert", convert},
            {"write", write},
            {"total", convert + write},
            {"cpu", bench::cpuSeconds() - cpu},
            {"start_rss", start},
            {"peak_rss", peak()},
            {"bytes", static_cast<double>(text.size())}};
}

// What cli/jobs.cpp xmlToSwf does.
Values xmlToSwf(const std::string& input, const std::string& output) {
    const double start = peak();
    const double cpu = bench::cpuSeconds();
    SwfBuffer swf;
    const double convert = timeOnce([&] {
        const SwfMappedFile file(input);
        const std::string_view text(reinterpret_cast<const char*>(file.span().data()),
                                    file.span().size());
        swfxml::SwfXmlReader ctx;
        if (!swfxml::convertXmlToSwfBytes(ctx, text, swf, false))
            throw std::runtime_error(ctx.failure.describe());
    });
    const double write =
        timeOnce([&] { SwfUtils::WriteWholeFile(output, swf.size(), swf.data()); });
    return {{"convert", convert},
            {"write", write},
            {"total", convert + write},
            {"cpu", bench::cpuSeconds() - cpu},
            {"start_rss", start},
            {"peak_rss", peak()},
            {"bytes", static_cast<double>(swf.size())}};
}

Values encodeReference(const std::string& swfPath, std::size_t xmlBytes,
                       const std::string& output) {
    const SwfMovie movie = readMovie(swfPath);
    std::vector<std::span<const std::uint8_t>> payloads;
    collectPayloads(movie.tags, payloads);
    const double total = timeOnce([&] {
        SwfBuffer out(xmlBytes);
        std::size_t at = 0;
        for (const auto& payload : payloads) {
            const std::string encoded = swfxml::base64Encode(payload);
            const std::size_t n = std::min(encoded.size(), out.size() - at);
            std::memcpy(out.data() + at, encoded.data(), n);
            at += n;
        }
        SwfUtils::WriteWholeFile(output, out.size(), out.data());
    });
    return {{"total", total}};
}

Values decodeReference(const std::string& swfPath, std::size_t swfBytes,
                       const std::string& output) {
    std::vector<std::string> texts;
    {
        const SwfMovie movie = readMovie(swfPath);
        std::vector<std::span<const std::uint8_t>> payloads;
        collectPayloads(movie.tags, payloads);
        for (const auto& payload : payloads)
            texts.push_back(swfxml::base64Encode(payload));
    }
    const double total = timeOnce([&] {
        SwfBuffer out(swfBytes);
        std::size_t at = 0;
        for (const auto& text : texts) {
            const std::vector<std::uint8_t> decoded = swfxml::base64Decode(text);
            const std::size_t n = std::min(decoded.size(), out.size() - at);
            std::memcpy(out.data() + at, decoded.data(), n);
            at += n;
        }
        SwfUtils::WriteWholeFile(output, out.size(), out.data());
    });
    return {{"total", total}};
}

Values sameFiles(const std::string& a, const std::string& b) {
    const SwfMappedFile x(a);
    const SwfMappedFile y(b);
    return {{"same", bench::sameBytes(x.span(), y.span()) ? 1.0 : 0.0}};
}

// The numbers of the fastest run, with the largest peak of all runs.
Values bestOf(int runs, const std::function<Values()>& measure) {
    Values best;
    double peakRss = 0;
    for (int i = 0; i < runs; ++i) {
        const Values v = measure();
        if (const auto it = v.find("peak_rss"); it != v.end())
            peakRss = std::max(peakRss, it->second);
        if (i == 0 || v.at("total") < best.at("total"))
            best = v;
    }
    if (best.count("peak_rss"))
        best["peak_rss"] = peakRss;
    return best;
}

std::string verdict(bool met) {
    return met ? "met" : "MISSED";
}

int run(const std::string& input, int runs, char kind) {
    const std::string xmlPath = input + ".bench.xml";
    const std::string swfPath = input + ".bench.swf";
    const std::string refPath = input + ".bench.ref";
    const double swfBytes = static_cast<double>(std::filesystem::file_size(input));
    const Values facts = inChild([&] { return movieFacts(input); });
    const Values toXml =
        bestOf(runs, [&] { return inChild([&] { return swfToXml(input, xmlPath); }); });
    const Values toSwf =
        bestOf(runs, [&] { return inChild([&] { return xmlToSwf(xmlPath, swfPath); }); });
    const bool same = inChild([&] { return sameFiles(input, swfPath); }).at("same") != 0;
    const auto xmlBytes = static_cast<std::size_t>(toXml.at("bytes"));
    const Values encode = bestOf(
        runs, [&] { return inChild([&] { return encodeReference(input, xmlBytes, refPath); }); });
    const Values decode = bestOf(runs, [&] {
        return inChild(
            [&] { return decodeReference(input, static_cast<std::size_t>(swfBytes), refPath); });
    });
    for (const std::string& path : {xmlPath, swfPath, refPath})
        std::filesystem::remove(path);

    const double xml = static_cast<double>(xmlBytes);
    const double tags = facts.at("tags");
    const double toXmlRatio = toXml.at("total") / encode.at("total");
    const double toSwfRatio = toSwf.at("total") / decode.at("total");
    const double toXmlTagRate = tags / toXml.at("total");
    const double toSwfTagRate = tags / toSwf.at("total");
    const double toXmlMemory = toXml.at("peak_rss") / xml;
    const double toSwfMemory = toSwf.at("peak_rss") / xml;

    std::printf("%s: SWF %.2f MB, XML %.2f MB, %.0f tags, %.0f payloads of %.2f MB; best of %d "
                "runs, each in a fresh process\n",
                std::filesystem::path(input).filename().c_str(), bench::mb(swfBytes),
                bench::mb(xmlBytes), tags, facts.at("payloads"),
                bench::mb(facts.at("payload_bytes")), runs);
    std::printf("  %-8s %9s %9s %9s %9s %9s %9s %11s %6s %7s\n", "", "convert", "write", "total",
                "cpu", "SWF MB/s", "XML MB/s", "tags/s", "/ref", "peak");
    const auto row = [&](const char* name, const Values& v, double ratio, double memory) {
        std::printf(
            "  %-8s %7.0fms %7.0fms %7.0fms %7.0fms %9.1f %9.1f %11.0f %6.2f %6.2fx\n", name,
            v.at("convert") * 1e3, v.at("write") * 1e3, v.at("total") * 1e3, v.at("cpu") * 1e3,
            bench::mbPerSecond(static_cast<std::uint64_t>(swfBytes), v.at("total")),
            bench::mbPerSecond(xmlBytes, v.at("total")), tags / v.at("total"), ratio, memory);
    };
    row("SWF>XML", toXml, toXmlRatio, toXmlMemory);
    row("XML>SWF", toSwf, toSwfRatio, toSwfMemory);
    std::printf("  the fastest run; total = convert + write; cpu = its processor time\n");
    std::printf("  references: encode + write %.0f ms, decode + write %.0f ms; peak = peak RSS "
                "/ XML text (%.1f and %.1f MB; %.1f MB at start)\n",
                encode.at("total") * 1e3, decode.at("total") * 1e3, bench::mb(toXml.at("peak_rss")),
                bench::mb(toSwf.at("peak_rss")), bench::mb(toXml.at("start_rss")));
    std::printf("  round trip: %s\n", same ? "same bytes" : "DIFFERENT BYTES");

    bool met = same;
    std::string targets;
    const auto check = [&](const std::string& what, bool ok) {
        targets += "  " + what + ": " + verdict(ok) + "\n";
        met = met && ok;
    };
    if (kind == 'p') {
        check("SWF>XML <= 2.5x its reference", toXmlRatio <= 2.5);
        check("XML>SWF <= 2.5x its reference", toSwfRatio <= 2.5);
    } else if (kind == 't') {
        check("SWF>XML >= 1,000,000 tags/s", toXmlTagRate >= 1e6);
        check("XML>SWF >= 1,000,000 tags/s", toSwfTagRate >= 1e6);
    }
    check("peak memory <= 2.5x the XML text", toXmlMemory <= 2.5 && toSwfMemory <= 2.5);
    std::printf("  targets:\n%s", targets.c_str());
    std::printf("#xml swf_bytes=%.0f xml_bytes=%.0f tags=%.0f to_xml_s=%.4f to_swf_s=%.4f "
                "to_xml_cpu=%.4f to_swf_cpu=%.4f to_xml_ratio=%.2f to_swf_ratio=%.2f "
                "to_xml_peak=%.2f to_swf_peak=%.2f roundtrip=%s met=%s\n",
                swfBytes, xml, tags, toXml.at("total"), toSwf.at("total"), toXml.at("cpu"),
                toSwf.at("cpu"), toXmlRatio, toSwfRatio, toXmlMemory, toSwfMemory,
                same ? "ok" : "FAILED", met ? "yes" : "no");
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    char kind = 0;
    bool usage = false;
    std::string input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--payload")
            kind = 'p';
        else if (arg == "--bitmaps")
            kind = 'p';
        else if (arg == "--tags")
            kind = 't';
        else if (input.empty() && arg[0] != '-')
            input = arg;
        else
            usage = true;
    }
    if (usage || input.empty()) {
        std::cerr << "usage: bench_xml [--runs N] [--payload | --bitmaps | --tags] FILE.swf\n";
        return 2;
    }
    try {
        return run(input, runs, kind);
    } catch (const std::exception& e) {
        std::cerr << "bench_xml: " << input << ": " << e.what() << '\n';
        return 1;
    }
}
