// Times the binary rewrite and both conversions of the XML dialect on a generated movie of
// buttons and measures the peak memory of a process doing each conversion.
//
//   bench_buttons [--buttons N] [--runs N]
//
// The movie holds N buttons (default 100,000): DefineButton2 tags of a few records, some with
// filters and blend modes, and condition actions keyed to transitions and keys, with a
// DefineButton, its colour transform and its sounds after every tenth. Each measurement runs
// in a forked process of its own, so that its peak resident set is the conversion's alone; the
// movie compiled from the XML must equal the original byte for byte.
#include "bench_convert.h"

#include "libswf/buttons.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>

using namespace libswf;

namespace {

using bench::inChild;
using bench::Values;

std::unique_ptr<SwfButtonRecord> makeRecord(std::uint32_t n) {
    auto record = std::make_unique<SwfButtonRecord>();
    record->stateUp = n % 2 == 0;
    record->stateOver = record->stateDown = true;
    record->hitTest = n % 3 == 0;
    record->characterId = static_cast<std::uint16_t>(1 + n % 500);
    record->depth = static_cast<std::uint16_t>(1 + n % 4);
    record->matrix.translateX = static_cast<std::int32_t>(n % 4000);
    record->matrix.translateY = -static_cast<std::int32_t>(n % 300);
    record->colorTransform.hasMult = n % 2 == 1;
    record->colorTransform.mulA = 128;
    if (n % 7 == 0) {
        record->hasBlendMode = true;
        record->blendMode = static_cast<std::uint8_t>(n % 14);
    }
    if (n % 11 == 0) {
        record->hasFilterList = true;
        auto blur = std::make_shared<SwfBlurFilter>();
        blur->blurX = blur->blurY = 0x40000;
        blur->flags = 0x08;
        record->filters.filters.push_back(std::make_shared<SwfFilter>(SwfFilter::Blur, blur));
    }
    return record;
}

SwfBuffer makeMovie(std::uint32_t buttons) {
    SwfMovie movie(false, 9, 11000, 8000, 24.0f);
    for (std::uint32_t n = 0; n < buttons; ++n) {
        const auto id = static_cast<std::uint16_t>(1 + n % 60000);
        auto button = std::make_unique<SwfTagDefineButton2>();
        button->id = id;
        button->trackAsMenu = n % 5 == 0;
        for (std::uint32_t i = 0; i < 2 + n % 3; ++i)
            button->records.push_back(makeRecord(n + i));
        for (std::uint16_t i = 0; i < 1 + n % 3; ++i) {
            auto action = std::make_unique<SwfButtonAction>();
            action->conditions = static_cast<std::uint16_t>(1u << ((n + i) % 9));
            action->keyCode = static_cast<std::uint16_t>(i == 2 ? 13 + n % 60 : 0);
            for (std::uint8_t code : {0x06, 0x07, 0x04, 0x00})
                action->actions.push_back(std::make_unique<SwfAction>(code));
            button->conditionActions.push_back(std::move(action));
        }
        movie.tags.append(std::move(button));
        if (n % 10 == 0) {
            auto first = std::make_unique<SwfTagDefineButton>();
            first->id = id;
            first->records.push_back(makeRecord(n));
            for (std::uint8_t code : {0x06, 0x00})
                first->actions.push_back(std::make_unique<SwfAction>(code));
            movie.tags.append(std::move(first));
            auto cxform = std::make_unique<SwfTagDefineButtonCxform>();
            cxform->buttonId = id;
            cxform->colorTransform.hasAdd = true;
            cxform->colorTransform.addR = static_cast<std::int16_t>(n % 255);
            movie.tags.append(std::move(cxform));
            auto sound = std::make_unique<SwfTagDefineButtonSound>();
            sound->buttonId = id;
            sound->soundIds = {0, 2, 3, 0};
            for (SwfSoundInfo& info : sound->soundInfos)
                info.flags = SwfSoundInfo::HasEnvelope | SwfSoundInfo::SyncNoMultiple;
            movie.tags.append(std::move(sound));
        }
        if (n % 100 == 0)
            movie.tags.append(std::make_unique<SwfTagShowFrame>());
    }
    return movie.write();
}

int run(std::uint32_t buttons, int runs) {
    const SwfBuffer swf = makeMovie(buttons);
    // The movie and its text go through files, so that no measuring process inherits them.
    const std::string stem = "/tmp/bench_buttons." + std::to_string(::getpid());
    const std::string swfPath = stem + ".swf";
    const std::string xmlPath = stem + ".xml";
    struct Scratch {
        std::string swf, xml;
        ~Scratch() {
            std::remove(swf.c_str());
            std::remove(xml.c_str());
        }
    } scratch{swfPath, xmlPath};
    SwfUtils::WriteWholeFile(swfPath, swf.size(), swf.data());
    Values rewrite;
    for (int i = 0; i < runs; ++i) {
        const Values r = inChild([&] {
            double seconds = bench::timeOnce([&] {
                SwfMovie movie;
                movie.read(swf.span());
                movie.write();
            });
            return Values{{"seconds", seconds}};
        });
        if (i == 0 || r.at("seconds") < rewrite.at("seconds"))
            rewrite = r;
    }
    const auto [toXml, toSwf] = bench::bestConversions(runs, swfPath, xmlPath);
    const Values& written = toXml;
    const bool same = toSwf.at("same") != 0;
    std::printf("button movie: %u buttons, SWF %.2f MB, XML %.2f MB; best of %d runs, each in a "
                "fresh process (MB/s of the SWF)\n",
                buttons, bench::mb(swf.size()),
                bench::mb(static_cast<std::uint64_t>(written.at("bytes"))), runs);
    std::printf("  %-8s %9s %9s %10s\n", "", "time", "MB/s", "peak MB");
    std::printf("  %-8s %7.0fms %9.1f %10s\n", "rewrite", rewrite.at("seconds") * 1e3,
                bench::mbPerSecond(swf.size(), rewrite.at("seconds")), "-");
    std::printf("  %-8s %7.0fms %9.1f %10.1f\n", "SWF>XML", toXml.at("seconds") * 1e3,
                bench::mbPerSecond(swf.size(), toXml.at("seconds")),
                bench::mb(static_cast<std::uint64_t>(toXml.at("peak_rss"))));
    std::printf("  %-8s %7.0fms %9.1f %10.1f\n", "XML>SWF", toSwf.at("seconds") * 1e3,
                bench::mbPerSecond(swf.size(), toSwf.at("seconds")),
                bench::mb(static_cast<std::uint64_t>(toSwf.at("peak_rss"))));
    std::printf("  round trip: %s\n", same ? "same bytes" : "DIFFERENT BYTES");
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::uint32_t buttons = 100000;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--buttons" && i + 1 < argc) {
            buttons = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_buttons [--buttons N] [--runs N]\n");
            return 2;
        }
    }
    try {
        return run(buttons, runs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_buttons: %s\n", e.what());
        return 1;
    }
}
