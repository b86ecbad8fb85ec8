// Times both conversions of the XML dialect on a generated shape-heavy movie and measures the
// peak memory of a process doing each one.
//
//   bench_shapes [--records N] [--runs N] [--keep DIR]
//
// The movie holds about N edge records (default 1,000,000) in DefineShape3, DefineShape4 and
// DefineMorphShape tags of a few hundred to a few thousand records each: straight edges of
// every form, curves, moves and style changes, some bringing new styles. Each measurement runs
// in a forked process of its own, started while this one is still small, so that its peak
// resident set is the conversion's alone: the SWF to XML process maps the movie and converts
// it into text; the XML to SWF process maps the text and compiles it into a movie, which must
// equal the original byte for byte.
//
// Targets: >= 2,000,000 edge records per second each way; peak memory <= 2.5x the XML text.
#include "bench_convert.h"

#include "libswf/exception.h"
#include "libswf/morph.h"
#include "libswf/movie.h"
#include "libswf/shapes.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace libswf;

namespace {

using bench::inChild;
using bench::Values;

// splitmix64: the same movie on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
    // A delta of up to `bits` significant bits, either sign.
    std::int32_t delta(unsigned bits) {
        const auto magnitude = static_cast<std::int32_t>(below(1u << bits));
        return below(2) ? magnitude : -magnitude;
    }

private:
    std::uint64_t m_state;
};

std::unique_ptr<SwfSolidFillStyle> solid(Random& random) {
    const auto c = static_cast<std::uint32_t>(random.next());
    return std::make_unique<SwfSolidFillStyle>(SwfColor(static_cast<std::uint8_t>(c),
                                                        static_cast<std::uint8_t>(c >> 8),
                                                        static_cast<std::uint8_t>(c >> 16), 0xff));
}

// `count` records drawing with `fills` fill and `lines` line styles in force.
void addEdges(SwfShapeRecords& records, Random& random, std::size_t count, std::size_t fills,
              std::size_t lines, bool lineStyles2) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t kind = random.below(100);
        if (kind < 30) {
            records.push_back(std::make_unique<SwfLine>(random.delta(10), random.delta(10)));
        } else if (kind < 45) {
            records.push_back(std::make_unique<SwfLine>(random.delta(12), 0));
        } else if (kind < 60) {
            records.push_back(std::make_unique<SwfLine>(0, random.delta(8)));
        } else if (kind < 90) {
            records.push_back(std::make_unique<SwfCurve>(random.delta(9), random.delta(9),
                                                         random.delta(9), random.delta(9)));
        } else {
            auto change = std::make_unique<SwfStyleChange>();
            change->move = true;
            change->moveDX = random.delta(14), change->moveDY = random.delta(14);
            change->setFill0 = random.below(2) != 0;
            change->fill0 =
                static_cast<std::uint16_t>(random.below(static_cast<std::uint32_t>(fills) + 1));
            change->setLine = lines > 0;
            change->line =
                static_cast<std::uint16_t>(random.below(static_cast<std::uint32_t>(lines) + 1));
            // Now and then a change brings a new palette of its own.
            if (kind == 99) {
                change->newStyles = true;
                change->fillStyles.push_back(solid(random));
                change->fillStyles.push_back(solid(random));
                if (lineStyles2) {
                    auto line = std::make_unique<SwfLineStyle2>();
                    line->width = 20;
                    change->lineStyles.push_back(std::move(line));
                } else {
                    change->lineStyles.push_back(
                        std::make_unique<SwfLineStyle>(20, SwfColor(0, 0, 0, 0xff)));
                }
                change->fill0 = std::min<std::uint16_t>(change->fill0, 1);
                change->line = std::min<std::uint16_t>(change->line, 1);
                fills = 2, lines = 1;
            }
            records.push_back(std::move(change));
        }
    }
}

// The whole movie, uncompressed; counts the edge records it holds.
SwfBuffer makeMovie(std::size_t wanted, std::size_t& edges) {
    Random random(20240607);
    SwfMovie movie(false, 10, 11000, 8000, 24.0f);
    edges = 0;
    std::uint16_t id = 1;
    while (edges < wanted) {
        const std::size_t count = std::min<std::size_t>(wanted - edges, 200 + random.below(3000));
        const std::uint32_t kind = random.below(10);
        if (kind < 7) {
            auto shape = std::make_unique<SwfTagDefineShape3>();
            shape->id = id++;
            shape->bounds = SwfRect(-20000, -20000, 20000, 20000);
            for (int i = 0; i < 3; ++i)
                shape->fillStyles.push_back(solid(random));
            shape->lineStyles.push_back(
                std::make_unique<SwfLineStyle>(40, SwfColor(0, 0, 0, 0xff)));
            addEdges(shape->records, random, count, 3, 1, false);
            movie.tags.append(std::move(shape));
        } else if (kind < 9) {
            auto shape = std::make_unique<SwfTagDefineShape4>();
            shape->id = id++;
            shape->shapeBounds = shape->edgeBounds = SwfRect(-20000, -20000, 20000, 20000);
            shape->fillStyles.push_back(solid(random));
            auto line = std::make_unique<SwfLineStyle2>();
            line->width = 60;
            line->set(SwfLineFlags::JoinStyle, SwfLineFlags::MiterJoin);
            line->miterLimitFactor = 0x0300;
            shape->lineStyles.push_back(std::move(line));
            addEdges(shape->records, random, count, 1, 1, true);
            movie.tags.append(std::move(shape));
        } else {
            auto morph = std::make_unique<SwfTagDefineMorphShape>();
            morph->id = id++;
            auto fill = std::make_unique<SwfMorphSolidFillStyle>();
            fill->startColor = SwfColor(0xff, 0, 0, 0xff),
            fill->endColor = SwfColor(0, 0, 0xff, 0x80);
            morph->fillStyles.push_back(std::move(fill));
            // Start and end edges of a tween are drawn alike, with moves and no style changes.
            for (std::size_t i = 0; i < count / 2; ++i) {
                morph->startEdges.push_back(
                    std::make_unique<SwfLine>(random.delta(10), random.delta(10)));
                morph->endEdges.push_back(std::make_unique<SwfCurve>(
                    random.delta(9), random.delta(9), random.delta(9), random.delta(9)));
            }
            edges += 2 * (count / 2);
            movie.tags.append(std::move(morph));
            movie.tags.append(std::make_unique<SwfTagShowFrame>());
            continue;
        }
        edges += count;
        movie.tags.append(std::make_unique<SwfTagShowFrame>());
    }
    return movie.write();
}

int run(std::size_t wanted, int runs, const std::filesystem::path& folder) {
    const std::string swfPath = (folder / "shapes.bench.swf").string();
    const std::string xmlPath = (folder / "shapes.bench.xml").string();
    const Values made = inChild([&] {
        std::size_t edges = 0;
        const SwfBuffer swf = makeMovie(wanted, edges);
        SwfUtils::WriteWholeFile(swfPath, swf.size(), swf.data());
        return Values{{"edges", static_cast<double>(edges)},
                      {"bytes", static_cast<double>(swf.size())}};
    });
    const auto [toXml, toSwf] = bench::bestConversions(runs, swfPath, xmlPath);
    const bench::ConversionReport report{"shape movie", "edge records", "records/s",
                                         "#shapes",     "edges",        2e6};
    return bench::reportConversions(report, made.at("edges"), made.at("bytes"), toXml, toSwf, runs)
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t records = 1000000;
    int runs = 3;
    std::filesystem::path keep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--records" && i + 1 < argc) {
            records = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_shapes [--records N] [--runs N] [--keep DIR]\n");
            return 2;
        }
    }
    try {
        return bench::inScratchFolder(
            "bench_shapes", keep,
            [&](const std::filesystem::path& folder) { return run(records, runs, folder); });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_shapes: %s\n", e.what());
        return 1;
    }
}
