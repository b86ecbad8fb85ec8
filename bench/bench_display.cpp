// Times the binary rewrite and both conversions of the XML dialect on a generated movie of
// placements and measures the peak memory of a process doing each conversion.
//
//   bench_display [--places N] [--runs N]
//
// The movie holds N placements (default 100,000): PlaceObject2 tags with matrices, colour
// transforms and names, every tenth with clip actions, and after every fifth a PlaceObject3
// with a class name, a blend mode and a filter list of one to three filters. Each measurement
// runs in a forked process of its own, so that its peak resident set is the conversion's
// alone; the movie compiled from the XML must equal the original byte for byte.
#include "bench_convert.h"

#include "libswf/display.h"
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

std::shared_ptr<SwfFilter> makeFilter(std::uint32_t n) {
    const auto id = static_cast<std::uint8_t>(n % 8);
    auto filter = SwfFilter::create(id);
    if (auto* gradient = dynamic_cast<SwfGradientFilter*>(filter.get()))
        gradient->colors = {0xff0000ff, 0x80ffffff, 0xff00ff00}, gradient->ratios = {0, 128, 255};
    if (auto* convolution = dynamic_cast<SwfConvolutionFilter*>(filter.get()))
        convolution->matrixX = convolution->matrixY = 3, convolution->matrix.assign(9, 0.5f);
    if (auto* blur = dynamic_cast<SwfBlurFilter*>(filter.get()))
        blur->blurX = blur->blurY = 0x40000 + n % 1000, blur->flags = 0x08;
    return std::make_shared<SwfFilter>(id, filter);
}

SwfBuffer makeMovie(std::uint32_t places) {
    SwfMovie movie(false, 10, 11000, 8000, 24.0f);
    for (std::uint32_t n = 0; n < places; ++n) {
        auto place = std::make_unique<SwfTagPlaceObject2>();
        place->depth = static_cast<std::uint16_t>(1 + n % 1000);
        place->move = n % 3 != 0;
        place->hasCharacter = !place->move;
        place->characterId = static_cast<std::uint16_t>(1 + n % 500);
        place->hasMatrix = true;
        place->matrix.translateX = static_cast<std::int32_t>(n % 11000);
        place->matrix.translateY = -static_cast<std::int32_t>(n % 8000);
        place->matrix.hasScale = n % 2 == 0;
        place->matrix.scaleX = place->matrix.scaleY = 1.5;
        place->hasColorTransform = n % 4 == 0;
        place->colorTransform.hasMult = true;
        place->colorTransform.mulA = 128;
        place->hasName = n % 6 == 0;
        place->name.text = "instance" + std::to_string(n % 100);
        if (n % 10 == 0) {
            place->hasClipActions = true;
            for (std::uint32_t events : {0x1u, 0x20040u}) {
                auto action = std::make_unique<SwfClipAction>();
                action->events = events;
                action->keyCode = 13;
                for (std::uint8_t code : {0x06, 0x07, 0x04, 0x00})
                    action->actions.push_back(std::make_unique<SwfAction>(code));
                place->clipActions.push_back(std::move(action));
            }
        }
        movie.tags.append(std::move(place));
        if (n % 5 == 0) {
            auto place3 = std::make_unique<SwfTagPlaceObject3>();
            place3->flags = SwfTagPlaceObject3::HasCharacter | SwfTagPlaceObject3::HasMatrix;
            place3->extendedFlags = SwfTagPlaceObject3::HasFilterList |
                                    SwfTagPlaceObject3::HasBlendMode |
                                    SwfTagPlaceObject3::HasClassName;
            place3->depth = static_cast<std::uint16_t>(1001 + n % 1000);
            place3->characterId = static_cast<std::uint16_t>(1 + n % 500);
            place3->className.text = "game.Sprite" + std::to_string(n % 50);
            place3->blendMode = static_cast<std::uint8_t>(n % 14);
            for (std::uint32_t i = 0; i < 1 + n % 3; ++i)
                place3->filters.filters.push_back(makeFilter(n / 5 + i));
            movie.tags.append(std::move(place3));
        }
        if (n % 100 == 0)
            movie.tags.append(std::make_unique<SwfTagShowFrame>());
    }
    return movie.write();
}

int run(std::uint32_t places, int runs) {
    const SwfBuffer swf = makeMovie(places);
    // The movie and its text go through files, so that no measuring process inherits them.
    const std::string stem = "/tmp/bench_display." + std::to_string(::getpid());
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
    std::printf(
        "placement movie: %u placements, SWF %.2f MB, XML %.2f MB; best of %d runs, each in a "
        "fresh process (MB/s of the SWF)\n",
        places, bench::mb(swf.size()), bench::mb(static_cast<std::uint64_t>(written.at("bytes"))),
        runs);
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
    std::uint32_t places = 100000;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--places" && i + 1 < argc) {
            places = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_display [--places N] [--runs N]\n");
            return 2;
        }
    }
    try {
        return run(places, runs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_display: %s\n", e.what());
        return 1;
    }
}
