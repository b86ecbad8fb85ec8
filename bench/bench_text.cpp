// Times both conversions of the XML dialect on a generated text-heavy movie and measures the
// peak memory of a process doing each one.
//
//   bench_text [--glyphs N] [--runs N] [--keep DIR]
//
// The movie holds about N glyph entries (default 2,000,000) in DefineText and DefineText2 tags
// of a few dozen records each, every record changing some of font, colour and offsets, with an
// edit field and its anti-aliasing settings after every tenth text. Each measurement runs in a
// forked process of its own, so that its peak resident set is the conversion's alone; the
// movie compiled from the XML must equal the original byte for byte.
//
// Targets: >= 2,000,000 glyph entries per second each way; peak memory <= 2.5x the XML text.
#include "bench_convert.h"

#include "libswf/movie.h"
#include "libswf/text.h"
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

private:
    std::uint64_t m_state;
};

std::unique_ptr<SwfTextRecord> makeRecord(Random& random, std::size_t count) {
    auto record = std::make_unique<SwfTextRecord>();
    record->flags = static_cast<std::uint8_t>(SwfTextRecord::TextRecordType | random.below(16));
    record->fontId = static_cast<std::uint16_t>(1 + random.below(4));
    record->textHeight = static_cast<std::uint16_t>(200 + random.below(400));
    const auto c = static_cast<std::uint32_t>(random.next());
    record->color = SwfColor(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                             static_cast<std::uint8_t>(c >> 16), 0xff);
    record->xOffset = static_cast<std::int16_t>(random.below(4000)) - 2000;
    record->yOffset = static_cast<std::int16_t>(random.below(4000));
    for (std::size_t i = 0; i < count; ++i)
        record->glyphs.push_back(
            {random.below(300), static_cast<std::int32_t>(random.below(600)) - 40});
    return record;
}

// The whole movie, uncompressed; counts the glyph entries it holds.
SwfBuffer makeMovie(std::size_t wanted, std::size_t& glyphs) {
    Random random(20240608);
    SwfMovie movie(false, 10, 11000, 8000, 24.0f);
    glyphs = 0;
    std::uint16_t id = 1;
    for (unsigned n = 0; glyphs < wanted; ++n) {
        std::unique_ptr<SwfTagDefineTextBase> text;
        if (random.below(2))
            text = std::make_unique<SwfTagDefineText2>();
        else
            text = std::make_unique<SwfTagDefineText>();
        text->id = id++;
        text->bounds = SwfRect(-200, -400, 20000, 4000);
        text->matrix.translateX = static_cast<std::int32_t>(random.below(10000));
        const std::size_t records = 10 + random.below(40);
        for (std::size_t i = 0; i < records && glyphs < wanted; ++i) {
            const std::size_t count = std::min<std::size_t>(wanted - glyphs, 1 + random.below(60));
            text->records.push_back(makeRecord(random, count));
            glyphs += count;
        }
        movie.tags.append(std::move(text));
        if (n % 10 == 0) {
            auto edit = std::make_unique<SwfTagDefineEditText>();
            edit->id = id++;
            edit->bounds = SwfRect(0, 0, 4000, 800);
            edit->hasFont = edit->hasTextColor = edit->hasLayout = edit->hasText = true;
            edit->fontId = 1, edit->fontHeight = 240, edit->leading = -2;
            edit->variableName.text = "field" + std::to_string(n);
            edit->initialText.text = "<p align=\"left\">Some text of a field</p>";
            movie.tags.append(std::move(edit));
            auto settings = std::make_unique<SwfTagCSMTextSettings>();
            settings->textId = static_cast<std::uint16_t>(id - 1);
            settings->flags = 0x48;
            settings->thickness = 0x3f800000;
            movie.tags.append(std::move(settings));
        }
        movie.tags.append(std::make_unique<SwfTagShowFrame>());
    }
    return movie.write();
}

int run(std::size_t wanted, int runs, const std::filesystem::path& folder) {
    const std::string swfPath = (folder / "text.bench.swf").string();
    const std::string xmlPath = (folder / "text.bench.xml").string();
    const Values made = inChild([&] {
        std::size_t glyphs = 0;
        const SwfBuffer swf = makeMovie(wanted, glyphs);
        SwfUtils::WriteWholeFile(swfPath, swf.size(), swf.data());
        return Values{{"glyphs", static_cast<double>(glyphs)},
                      {"bytes", static_cast<double>(swf.size())}};
    });
    const auto [toXml, toSwf] = bench::bestConversions(runs, swfPath, xmlPath);
    const bench::ConversionReport report{"text movie", "glyph entries", "glyphs/s",
                                         "#text",      "glyphs",        2e6};
    return bench::reportConversions(report, made.at("glyphs"), made.at("bytes"), toXml, toSwf, runs)
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t glyphs = 2000000;
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
            std::fprintf(stderr, "usage: bench_text [--glyphs N] [--runs N] [--keep DIR]\n");
            return 2;
        }
    }
    try {
        return bench::inScratchFolder("bench_text", keep, [&](const std::filesystem::path& folder) {
            return run(glyphs, runs, folder);
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_text: %s\n", e.what());
        return 1;
    }
}
