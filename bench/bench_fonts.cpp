// Times both conversions of the XML dialect on a generated font-heavy movie and measures the
// peak memory of a process doing each one.
//
//   bench_fonts [--glyphs N] [--runs N] [--keep DIR]
//
// The movie holds about N glyph outlines (default 200,000) in DefineFont3 and DefineFont2 tags
// of a few hundred glyphs each, every glyph a closed outline of straight and curved edges, with
// the full layout (advances, bounds, kerning), alignment zones and a font name for every font.
// Each measurement runs in a forked process of its own, so that its peak resident set is the
// conversion's alone; the movie compiled from the XML must equal the original byte for byte.
//
// Targets: >= 100,000 glyphs per second each way; peak memory <= 2.5x the XML text.
#include "bench_convert.h"

#include "libswf/fonts.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

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
    std::int32_t between(std::int32_t low, std::int32_t high) {
        return low + static_cast<std::int32_t>(next() % static_cast<std::uint64_t>(high - low + 1));
    }

private:
    std::uint64_t m_state;
};

std::unique_ptr<SwfShapeRecords> makeGlyph(Random& random) {
    auto glyph = std::make_unique<SwfShapeRecords>();
    auto start = std::make_unique<SwfStyleChange>();
    start->move = true, start->moveDX = random.between(0, 400),
    start->moveDY = -random.between(0, 700);
    start->setFill1 = true, start->fill1 = 1;
    glyph->push_back(std::move(start));
    const int edges = random.between(6, 24);
    for (int i = 0; i < edges; ++i) {
        if (random.between(0, 1))
            glyph->push_back(
                std::make_unique<SwfLine>(random.between(-300, 300), random.between(-300, 300)));
        else
            glyph->push_back(
                std::make_unique<SwfCurve>(random.between(-200, 200), random.between(-200, 200),
                                           random.between(-200, 200), random.between(-200, 200)));
    }
    return glyph;
}

// The whole movie, uncompressed; counts the glyphs it holds.
SwfBuffer makeMovie(std::size_t wanted, std::size_t& glyphs) {
    Random random(20240611);
    SwfMovie movie(false, 10, 11000, 8000, 24.0f);
    glyphs = 0;
    for (std::uint16_t id = 1; glyphs < wanted; ++id) {
        std::unique_ptr<SwfTagDefineFont2Base> font;
        if (id % 4 == 0)
            font = std::make_unique<SwfTagDefineFont2>();
        else
            font = std::make_unique<SwfTagDefineFont3>();
        font->id = id;
        font->fontName.name.text = "Font " + std::to_string(id);
        font->fontName.terminated = true;
        font->ascent = 820, font->descent = 205, font->leading = 40;
        const std::size_t count = std::min<std::size_t>(wanted - glyphs, 200 + id % 200);
        auto zones = std::make_unique<SwfTagDefineFontAlignZones>();
        zones->fontId = id, zones->csm = 0x40;
        for (std::size_t i = 0; i < count; ++i) {
            font->glyphs.push_back(makeGlyph(random));
            font->codeTable.push_back(static_cast<std::uint16_t>(32 + i));
            font->advanceTable.push_back(static_cast<std::int16_t>(random.between(200, 900)));
            font->boundsTable.push_back(std::make_unique<SwfRect>(
                0, -random.between(0, 800), random.between(100, 900), random.between(0, 200)));
            SwfZoneRecord& record = zones->zoneTable.emplace_back();
            record.mask = SwfZoneRecord::MaskX | SwfZoneRecord::MaskY;
            record.zoneData.push_back({0x3c00, static_cast<std::uint16_t>(random.next())});
            record.zoneData.push_back({0x1234, static_cast<std::uint16_t>(random.next())});
        }
        for (int k = 0; k < 50; ++k)
            font->kerningTable.push_back(std::make_unique<SwfKerningRecord>(
                static_cast<std::uint16_t>(random.between(32, 300)),
                static_cast<std::uint16_t>(random.between(32, 300)),
                static_cast<std::int16_t>(random.between(-100, 100))));
        glyphs += count;
        const bool aligned = font->code() == 75;
        movie.tags.append(std::move(font));
        if (aligned)
            movie.tags.append(std::move(zones));
        auto name = std::make_unique<SwfTagDefineFontName>();
        name->id = id, name->name.text = "Font " + std::to_string(id);
        name->copyright.text = "generated";
        movie.tags.append(std::move(name));
    }
    movie.tags.append(std::make_unique<SwfTagShowFrame>());
    return movie.write();
}

int run(std::size_t wanted, int runs, const std::filesystem::path& folder) {
    const std::string swfPath = (folder / "fonts.bench.swf").string();
    const std::string xmlPath = (folder / "fonts.bench.xml").string();
    const Values made = inChild([&] {
        std::size_t glyphs = 0;
        const SwfBuffer swf = makeMovie(wanted, glyphs);
        SwfUtils::WriteWholeFile(swfPath, swf.size(), swf.data());
        return Values{{"glyphs", static_cast<double>(glyphs)},
                      {"bytes", static_cast<double>(swf.size())}};
    });
    const auto [toXml, toSwf] = bench::bestConversions(runs, swfPath, xmlPath);
    const bench::ConversionReport report{"font movie", "glyphs", "glyphs/s",
                                         "#fonts",     "glyphs", 1e5};
    return bench::reportConversions(report, made.at("glyphs"), made.at("bytes"), toXml, toSwf, runs)
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t glyphs = 200000;
    int runs = 3;
    std::filesystem::path keep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--glyphs" && i + 1 < argc) {
            glyphs = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_fonts [--glyphs N] [--runs N] [--keep DIR]\n");
            return 2;
        }
    }
    try {
        return bench::inScratchFolder(
            "bench_fonts", keep,
            [&](const std::filesystem::path& folder) { return run(glyphs, runs, folder); });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_fonts: %s\n", e.what());
        return 1;
    }
}
