// Times the editor's work on large documents: colouring the text and building the side
// panel's trees, with the peak memory of the tree build. The document is dialect text made by
// the XML conversion from a generated movie of shapes, placements, scripts, sprites and
// bitmaps, so it holds what real documents hold: many small elements and a few long payloads.
// Every measurement runs in a process of its own that reads the document from its file.
//
//   bench_editor [--runs N] [--mb SIZE] DIR
//
// Writes DIR/editor-<SIZE>mb.xml (SIZE 100 by default) when it is missing, then measures:
// - colouring the whole text, a screen of about 64 KB at a time from a line start, in MB/s
//   (target >= 200 MB/s);
// - building both trees, in seconds (target < 1 s) and in peak memory beyond the text, as a
//   multiple of the text (target < 3);
// - for reference, the XML parser reading the same text into a document model.
#include "bench_util.h"

#include "highlight/colouring.h"
#include "libswf/actions.h"
#include "libswf/bitmaps.h"
#include "libswf/display.h"
#include "libswf/movie.h"
#include "libswf/shapes.h"
#include "swfxml/convert.h"
#include "tree/document_trees.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

using namespace libswf;

namespace {

// splitmix64: the same document on every machine.
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

std::unique_ptr<SwfTag> shape(Random& random, std::uint16_t id) {
    auto tag = std::make_unique<SwfTagDefineShape3>();
    tag->id = id;
    tag->bounds = SwfRect(0, 0, 2000, 2000);
    tag->fillStyles.push_back(std::make_unique<SwfSolidFillStyle>(
        SwfColor(static_cast<std::uint8_t>(random.next()), 10, 20, 255)));
    auto line = std::make_unique<SwfLineStyle>();
    line->width = 20;
    tag->lineStyles.push_back(std::move(line));
    auto start = std::make_unique<SwfStyleChange>();
    start->move = start->setFill1 = start->setLine = true;
    start->moveDX = random.between(0, 1000);
    start->moveDY = random.between(0, 1000);
    start->fill1 = start->line = 1;
    tag->records.push_back(std::move(start));
    const int edges = random.between(20, 120);
    for (int i = 0; i < edges; ++i) {
        if (random.next() % 3 == 0)
            tag->records.push_back(
                std::make_unique<SwfCurve>(random.between(-400, 400), random.between(-400, 400),
                                           random.between(-400, 400), random.between(-400, 400)));
        else
            tag->records.push_back(
                std::make_unique<SwfLine>(random.between(-900, 900), random.between(-900, 900)));
    }
    return tag;
}

std::unique_ptr<SwfTagPlaceObject2> placement(Random& random, std::uint16_t id,
                                              std::uint16_t depth) {
    auto tag = std::make_unique<SwfTagPlaceObject2>();
    tag->hasCharacter = tag->hasMatrix = true;
    tag->characterId = id;
    tag->depth = depth;
    tag->matrix.translateX = random.between(0, 11000);
    tag->matrix.translateY = random.between(0, 8000);
    if (random.next() % 2) {
        tag->matrix.hasScale = true;
        tag->matrix.scaleX = tag->matrix.scaleY = 0.5;
    }
    if (random.next() % 4 == 0) {
        tag->hasColorTransform = tag->colorTransform.hasMult = true;
        tag->colorTransform.mulR = tag->colorTransform.mulG = tag->colorTransform.mulB = 128;
        tag->colorTransform.mulA = 256;
    }
    return tag;
}

std::unique_ptr<SwfTag> script(Random& random) {
    auto tag = std::make_unique<SwfTagDoAction>();
    const int statements = random.between(3, 30);
    for (int i = 0; i < statements; ++i) {
        auto push = std::make_unique<SwfActionPush>();
        push->values.push_back(std::make_unique<SwfValueString>("counter" + std::to_string(i)));
        auto number = std::make_unique<SwfValueInteger>();
        number->value = random.between(0, 100000);
        push->values.push_back(std::move(number));
        tag->actions.push_back(std::move(push));
        tag->actions.push_back(std::make_unique<SwfAction>(0x1D)); // SetVariable
        if (random.next() % 5 == 0) {
            auto go = std::make_unique<SwfActionGotoFrame>();
            go->frame = static_cast<std::uint16_t>(random.between(0, 100));
            tag->actions.push_back(std::move(go));
        }
    }
    tag->actions.push_back(std::make_unique<SwfAction>(0x07)); // Stop
    tag->actions.push_back(std::make_unique<SwfAction>(0x00));
    return tag;
}

// One frame: shapes, a bitmap now and then, placements, a script, and a sprite of its own.
void appendFrame(SwfMovie& movie, Random& random, std::uint16_t& nextId) {
    std::vector<std::uint16_t> ids;
    for (int i = 0; i < 4; ++i) {
        ids.push_back(nextId);
        movie.tags.append(shape(random, nextId++));
    }
    if (random.next() % 8 == 0) {
        auto bitmap = std::make_unique<SwfTagDefineBitsJPEG2>();
        bitmap->id = nextId++;
        bitmap->jpegData.resize(static_cast<std::size_t>(random.between(1000, 20000)));
        for (std::uint8_t& byte : bitmap->jpegData)
            byte = static_cast<std::uint8_t>(random.next());
        movie.tags.append(std::move(bitmap));
    }
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->id = nextId++;
    for (int i = 0; i < 3; ++i) {
        sprite->tags.append(
            placement(random, ids[static_cast<std::size_t>(i)], static_cast<std::uint16_t>(i + 1)));
        sprite->tags.append(std::make_unique<SwfTagShowFrame>());
    }
    sprite->tags.append(std::make_unique<SwfTagEnd>());
    ids.push_back(sprite->id);
    movie.tags.append(std::move(sprite));
    for (std::size_t i = 0; i < ids.size(); ++i)
        movie.tags.append(placement(random, ids[i], static_cast<std::uint16_t>(i + 1)));
    movie.tags.append(script(random));
    movie.tags.append(std::make_unique<SwfTagShowFrame>());
}

std::string documentOf(int frames) {
    SwfMovie movie(false, 8, 11000, 8000, 24.0f);
    Random random(42);
    std::uint16_t nextId = 1;
    for (int i = 0; i < frames; ++i)
        appendFrame(movie, random, nextId);
    const SwfBuffer swf = movie.write();
    movie.tags.clear();
    swfxml::SwfXmlWriter writer;
    std::string text;
    if (!swfxml::convertSwfBytesToXml(writer, swf.span(), text))
        throw std::runtime_error("the generated movie does not convert: " + writer.failure.reason);
    return text;
}

void writeDocument(const std::string& path, double megabytes) {
    const std::size_t sample = documentOf(200).size();
    const int frames = static_cast<int>(megabytes * 1e6 / static_cast<double>(sample) * 200);
    const std::string text = documentOf(frames);
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readDocument(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(std::filesystem::file_size(path), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return text;
}

// Colours the text a screen at a time, each screen starting at a line start, as the view does.
bench::Values colouring(const std::string& path, int runs) {
    const std::string text = readDocument(path);
    std::vector<vorn::ColourSpan> spans;
    std::size_t tokens = 0;
    const double seconds = bench::timeBest(runs, [&] {
        tokens = 0;
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find('\n', std::min(start + 65536, text.size()));
            end = end == std::string::npos ? text.size() : end + 1;
            spans.clear();
            vorn::colourText(text, start, end, spans);
            tokens += spans.size();
            start = end;
        }
    });
    return {{"seconds", seconds}, {"tokens", static_cast<double>(tokens)}};
}

bench::Values trees(const std::string& path) {
    const std::string text = readDocument(path);
    const double before = static_cast<double>(bench::peakRssBytes());
    vorn::DocumentTrees built;
    const double seconds = bench::timeOnce([&] { built = vorn::buildDocumentTrees(text); });
    if (!built.parsed)
        throw std::runtime_error("the document does not parse: " + built.error.message());
    return {{"seconds", seconds},
            {"elements", static_cast<double>(built.tags.size() - 1)},
            {"resources", static_cast<double>(built.resources.size() - 1)},
            {"before", before},
            {"peak", static_cast<double>(bench::peakRssBytes())},
            {"text", static_cast<double>(text.size())}};
}

bench::Values parser(const std::string& path) {
    const std::string text = readDocument(path);
    vorn::ItemTree tags;
    vorn::XmlParseError error;
    const double seconds = bench::timeOnce([&] { vorn::parseTagsTree(text, tags, error); });
    return {{"seconds", seconds}, {"peak", static_cast<double>(bench::peakRssBytes())}};
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    double megabytes = 100;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::stoi(argv[++i]);
        else if (arg == "--mb" && i + 1 < argc)
            megabytes = std::stod(argv[++i]);
        else
            dir = arg;
    }
    if (dir.empty()) {
        std::cerr << "usage: bench_editor [--runs N] [--mb SIZE] DIR\n";
        return 2;
    }
    try {
        std::filesystem::create_directories(dir);
        char name[64];
        std::snprintf(name, sizeof name, "editor-%gmb.xml", megabytes);
        const std::string path = (std::filesystem::path(dir) / name).string();
        if (!std::filesystem::exists(path)) {
            std::cout << "== writing " << path << "\n";
            bench::inChild([&] {
                writeDocument(path, megabytes);
                return bench::Values{};
            });
        }
        const double bytes = static_cast<double>(std::filesystem::file_size(path));
        std::printf("== %s: %.1f MB of dialect text\n", path.c_str(), bytes / 1e6);

        bool met = true;
        const bench::Values c = bench::inChild([&] { return colouring(path, runs); });
        const double rate = bench::mbPerSecond(static_cast<std::uint64_t>(bytes), c.at("seconds"));
        met = met && rate >= 200;
        std::printf(
            "colouring    %8.3f s %8.1f MB/s  %.0f tokens          target >= 200 MB/s: %s\n",
            c.at("seconds"), rate, c.at("tokens"), rate >= 200 ? "met" : "MISSED");

        double best = 1e300;
        bench::Values t;
        for (int i = 0; i < runs; ++i) {
            const bench::Values v = bench::inChild([&] { return trees(path); });
            if (v.at("seconds") < best) {
                best = v.at("seconds");
                t = v;
            }
        }
        const double beyond = (t.at("peak") - t.at("text")) / t.at("text");
        const bool treesMet = best < 1.0 && beyond < 3.0;
        met = met && treesMet;
        std::printf("trees        %8.3f s %8.1f MB/s  %.0f elements, %.0f resources\n", best,
                    bench::mbPerSecond(static_cast<std::uint64_t>(bytes), best), t.at("elements"),
                    t.at("resources"));
        std::printf("  peak memory %.1f MB, %.1f MB with the text read; beyond the text %.2fx "
                    "the text      target < 1 s and < 3x: %s\n",
                    t.at("peak") / 1e6, t.at("before") / 1e6, beyond, treesMet ? "met" : "MISSED");

        const bench::Values p = bench::inChild([&] { return parser(path); });
        std::printf("reference: the parser's document model %.3f s, peak beyond the text %.2fx\n",
                    p.at("seconds"), (p.at("peak") - bytes) / bytes);
        return met ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "bench_editor: " << e.what() << "\n";
        return 1;
    }
}
