// The two XML conversions as the tag-family benchmarks time them: the conversion alone,
// then the process's peak memory; XML to SWF also says whether it gave back the movie the
// text came from. Each measurement runs in a fresh process, forked while the caller is
// still small, so that its peak is its own.
#pragma once

#include "bench_util.h"

#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <stdexcept>
#include <string>
#include <string_view>
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

} // namespace bench
