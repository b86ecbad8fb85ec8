// Writes the benchmark movies: for each requested size (default 10 and 100 MB) one movie of
// large raw tags, saved uncompressed (raw-<N>mb-fws.swf) and compressed (raw-<N>mb-cws.swf).
// Most of the bytes sit in tag bodies of a few KB to 64 KB, with a big tag of over 1 MB every
// 8 MB or so, ShowFrames between them and two sprites (one nesting another) of their own.
// Bodies mix pseudo-random bytes (like embedded images and sounds) with records, identifier
// strings and padding, so they deflate to about 60%, as the assets of real movies do. The
// same seed always gives the same files.
//
// With --xml it writes the movies of the XML benchmark instead, both uncompressed so that no
// codec sets the pace: payload-<N>mb.swf, whose bytes sit in DefineBinaryData, DoABC and raw
// tags of a code without class (250) from 2 KB to 4 MB, and tags-<N>mb.swf, made of small
// control tags (labels, placements with matrices, removals, tab indices, colours, small
// binary data) and sprites of such tags, some nesting another sprite.
#include "libswf/bitmaps.h"
#include "libswf/control.h"
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

using namespace libswf;

namespace {

// splitmix64: tiny, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n).
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
    // Log-uniform in [low, high], so that small bodies are as common as large ones.
    std::size_t logUniform(std::size_t low, std::size_t high) {
        const double unit = static_cast<double>(next() >> 11) / 9007199254740992.0;
        const double l = std::log(static_cast<double>(low));
        const double h = std::log(static_cast<double>(high));
        return static_cast<std::size_t>(std::exp(l + unit * (h - l)));
    }

private:
    std::uint64_t m_state;
};

constexpr std::array<std::string_view, 24> kWords = {
    "com",     "example", "ui",     "Button",    "Sprite", "events",    "Event",   "MouseEvent",
    "flash",   "display", "text",   "TextField", "net",    "URLLoader", "utils",   "ByteArray",
    "onClick", "render",  "update", "width",     "height", "alpha",     "visible", "children"};

class PayloadMaker {
public:
    explicit PayloadMaker(std::uint64_t seed) : m_random(seed) {}

    // n bytes made of chunks of 256 to 4 KB: 40% random, 35% records, 20% identifiers and
    // 5% zero padding.
    std::vector<std::uint8_t> make(std::size_t n) {
        std::vector<std::uint8_t> out;
        out.reserve(n);
        while (out.size() < n) {
            const std::size_t chunk =
                std::min<std::size_t>(n - out.size(), 256 + m_random.below(3841));
            const std::uint32_t kind = m_random.below(20);
            if (kind < 8)
                randomBytes(out, chunk);
            else if (kind < 15)
                records(out, chunk);
            else if (kind < 19)
                identifiers(out, chunk);
            else
                out.resize(out.size() + chunk, 0);
        }
        out.resize(n);
        return out;
    }

    Random& random() { return m_random; }

private:
    void randomBytes(std::vector<std::uint8_t>& out, std::size_t n) {
        for (std::size_t i = 0; i < n; i += 8) {
            const std::uint64_t v = m_random.next();
            for (std::size_t b = 0; b < 8 && i + b < n; ++b)
                out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        }
    }

    // 16-byte records: a running index, a kind from a short list, flags, and two coordinates
    // that wander slowly, as in the tables of levels, fonts and animation data.
    void records(std::vector<std::uint8_t>& out, std::size_t n) {
        const std::size_t end = out.size() + n;
        while (out.size() < end) {
            std::uint8_t record[16];
            const std::uint32_t index = m_recordIndex++;
            const std::uint16_t kind = static_cast<std::uint16_t>(m_random.below(6) * 17);
            const std::uint16_t flags = m_random.below(8) == 0 ? 0x8001 : 0x0001;
            m_x += static_cast<float>(m_random.below(9)) - 4.0f;
            m_y += static_cast<float>(m_random.below(5)) - 2.0f;
            std::memcpy(record, &index, 4);
            std::memcpy(record + 4, &kind, 2);
            std::memcpy(record + 6, &flags, 2);
            std::memcpy(record + 8, &m_x, 4);
            std::memcpy(record + 12, &m_y, 4);
            const std::size_t take = std::min<std::size_t>(16, end - out.size());
            out.insert(out.end(), record, record + take);
        }
    }

    // Zero-terminated dotted names, like the constant pool of compiled scripts.
    void identifiers(std::vector<std::uint8_t>& out, std::size_t n) {
        const std::size_t end = out.size() + n;
        while (out.size() < end) {
            std::string name;
            const std::uint32_t parts = 1 + m_random.below(4);
            for (std::uint32_t p = 0; p < parts; ++p) {
                if (p)
                    name += '.';
                name += kWords[m_random.below(static_cast<std::uint32_t>(kWords.size()))];
            }
            const std::size_t take = std::min(name.size() + 1, end - out.size());
            out.insert(out.end(), name.c_str(), name.c_str() + take);
        }
    }

    Random m_random;
    std::uint32_t m_recordIndex = 0;
    float m_x = 0.0f;
    float m_y = 0.0f;
};

std::unique_ptr<SwfTag> rawTag(std::uint16_t code, std::vector<std::uint8_t> body) {
    auto tag = std::make_unique<SwfTagUnknown>(code, false);
    tag->body = std::move(body);
    return tag;
}

// DefineBinaryData: the id, then 4 reserved bytes and the data (kept raw after the id).
std::unique_ptr<SwfTag> binaryData(std::uint16_t id, std::vector<std::uint8_t> data) {
    auto tag = std::make_unique<SwfTagUnknown>(87, true, id);
    tag->body.assign(4, 0);
    tag->body.insert(tag->body.end(), data.begin(), data.end());
    return tag;
}

// DoABC: flags, a name, then the bytecode with its 16.46 version in front.
std::unique_ptr<SwfTag> doAbc(unsigned number, std::vector<std::uint8_t> code) {
    std::vector<std::uint8_t> body = {1, 0, 0, 0};
    const std::string name = "script" + std::to_string(number);
    body.insert(body.end(), name.begin(), name.end());
    body.push_back(0);
    body.insert(body.end(), {16, 0, 46, 0});
    body.insert(body.end(), code.begin(), code.end());
    return rawTag(82, std::move(body));
}

class MovieMaker {
public:
    explicit MovieMaker(std::uint64_t seed) : m_payload(seed) {}

    SwfMovie make(std::uint64_t targetBytes) {
        SwfMovie movie(false, 10, 11000, 8000, 24.0f);
        movie.tags.append(rawTag(69, {0x08, 0, 0, 0}));   // FileAttributes
        movie.tags.append(rawTag(9, {0x20, 0x40, 0x80})); // SetBackgroundColor
        Random& random = m_payload.random();
        const std::uint64_t bigEvery = 8'000'000;
        std::uint64_t nextBig = bigEvery / 2;
        int spritesLeft = 2;
        unsigned count = 0;
        while (m_bytes < targetBytes) {
            if (spritesLeft > 0 && m_bytes >= targetBytes * (3 - spritesLeft) / 3) {
                movie.tags.append(sprite(spritesLeft == 1));
                --spritesLeft;
            } else if (m_bytes >= nextBig) {
                movie.tags.append(
                    binaryData(m_nextId++, body(random.logUniform(1'100'000, 2'500'000))));
                nextBig += bigEvery;
            } else {
                const std::size_t n = random.logUniform(2048, 65536);
                const std::uint32_t kind = random.below(4);
                if (kind < 2)
                    movie.tags.append(binaryData(m_nextId++, body(n)));
                else if (kind == 2)
                    movie.tags.append(doAbc(count, body(n)));
                else
                    movie.tags.append(rawTag(255, body(n)));
            }
            if (++count % 6 == 0)
                movie.tags.append(std::make_unique<SwfTagShowFrame>());
        }
        movie.tags.append(std::make_unique<SwfTagShowFrame>());
        return movie;
    }

private:
    std::vector<std::uint8_t> body(std::size_t n) {
        m_bytes += n;
        return m_payload.make(n);
    }

    // A clip with sound blocks, raw tags and frames; the second one nests another clip.
    std::unique_ptr<SwfTag> sprite(bool nest) {
        auto clip = std::make_unique<SwfTagDefineSprite>();
        clip->id = m_nextId++;
        Random& random = m_payload.random();
        for (int frame = 0; frame < 20; ++frame) {
            clip->tags.append(rawTag(19, body(random.logUniform(4096, 16384)))); // SoundStreamBlock
            if (frame % 5 == 0)
                clip->tags.append(rawTag(255, body(random.logUniform(2048, 32768))));
            if (nest && frame == 10)
                clip->tags.append(sprite(false));
            clip->tags.append(std::make_unique<SwfTagShowFrame>());
        }
        return clip;
    }

    PayloadMaker m_payload;
    std::uint64_t m_bytes = 0;
    std::uint16_t m_nextId = 1;
};

// The payload-heavy movie of the XML benchmark: the payloads are decoded tags where the
// dialect has an element for them, so that the document shows them as base64 in their own
// elements, and raw tags of code 250 in the Unknown form.
class PayloadMovieMaker {
public:
    explicit PayloadMovieMaker(std::uint64_t seed) : m_payload(seed) {}

    SwfMovie make(std::uint64_t targetBytes) {
        SwfMovie movie(false, 10, 11000, 8000, 24.0f);
        auto attributes = std::make_unique<SwfTagFileAttributes>();
        attributes->flags = SwfTagFileAttributes::ActionScript3;
        movie.tags.append(std::move(attributes));
        auto background = std::make_unique<SwfTagSetBackgroundColor>();
        background->color = SwfColor(0x20, 0x40, 0x80, 0xff);
        movie.tags.append(std::move(background));
        Random& random = m_payload.random();
        const std::uint64_t bigEvery = 8'000'000;
        std::uint64_t nextBig = bigEvery / 2;
        unsigned count = 0;
        while (m_bytes < targetBytes) {
            const std::size_t n = m_bytes >= nextBig ? random.logUniform(1'000'000, 4'000'000)
                                                     : random.logUniform(2048, 262'144);
            if (m_bytes >= nextBig)
                nextBig += bigEvery;
            const std::uint32_t kind = random.below(3);
            if (kind == 0) {
                auto tag = std::make_unique<SwfTagDefineBinaryData>();
                tag->id = m_nextId++;
                tag->data = body(n);
                movie.tags.append(std::move(tag));
            } else if (kind == 1) {
                auto tag = std::make_unique<SwfTagDoABC>();
                tag->flags = 1;
                tag->name.text = "script" + std::to_string(count);
                tag->byteCode = body(n);
                movie.tags.append(std::move(tag));
            } else {
                movie.tags.append(rawTag(250, body(n)));
            }
            if (++count % 4 == 0)
                movie.tags.append(std::make_unique<SwfTagShowFrame>());
        }
        movie.tags.append(std::make_unique<SwfTagShowFrame>());
        return movie;
    }

private:
    std::vector<std::uint8_t> body(std::size_t n) {
        m_bytes += n;
        return m_payload.make(n);
    }

    PayloadMaker m_payload;
    std::uint64_t m_bytes = 0;
    std::uint16_t m_nextId = 1;
};

// The bitmap-heavy movie of the XML benchmark: every bitmap tag kind in turn, each placed on
// its own frame. Image bytes are incompressible like real JPEG and deflated pixel data; the
// dialect shows them as base64 whatever they hold.
class BitmapMovieMaker {
public:
    explicit BitmapMovieMaker(std::uint64_t seed) : m_payload(seed) {}

    SwfMovie make(std::uint64_t targetBytes) {
        SwfMovie movie(false, 8, 11000, 8000, 24.0f);
        auto tables = std::make_unique<SwfTagJPEGTables>();
        tables->jpegData = body(600);
        movie.tags.append(std::move(tables));
        Random& random = m_payload.random();
        unsigned count = 0;
        while (m_bytes < targetBytes) {
            const std::size_t n = random.logUniform(16'384, 1'500'000);
            const std::uint16_t id = m_nextId++;
            switch (count++ % 7) {
            case 0: {
                auto tag = std::make_unique<SwfTagDefineBits>();
                tag->id = id;
                tag->jpegData = body(n);
                movie.tags.append(std::move(tag));
                break;
            }
            case 1: {
                auto tag = std::make_unique<SwfTagDefineBitsJPEG2>();
                tag->id = id;
                tag->jpegData = body(n);
                movie.tags.append(std::move(tag));
                break;
            }
            case 2: {
                auto tag = std::make_unique<SwfTagDefineBitsJPEG3>();
                tag->id = id;
                tag->jpegData = body(n);
                tag->alphaData = body(n / 4);
                movie.tags.append(std::move(tag));
                break;
            }
            case 3: {
                auto tag = std::make_unique<SwfTagDefineBitsJPEG4>();
                tag->id = id;
                tag->deblockParam = 0x0100;
                tag->jpegData = body(n);
                tag->alphaData = body(n / 4);
                movie.tags.append(std::move(tag));
                break;
            }
            case 4: {
                auto tag = std::make_unique<SwfTagDefineBitsLossless>();
                tag->id = id;
                tag->format = SwfTagDefineBitsLossless::Map8;
                tag->colorTableSize = 255;
                tag->width = 1024;
                tag->height = 768;
                tag->pixelData = body(n);
                movie.tags.append(std::move(tag));
                break;
            }
            default: {
                auto tag = count % 2 == 0 ? std::make_unique<SwfTagDefineBitsLossless>()
                                          : std::make_unique<SwfTagDefineBitsLossless2>();
                tag->id = id;
                tag->format = SwfTagDefineBitsLossless::RGB24;
                tag->width = 2048;
                tag->height = 1536;
                tag->pixelData = body(n);
                movie.tags.append(std::move(tag));
                break;
            }
            }
            auto place = std::make_unique<SwfTagPlaceObject>();
            place->characterId = id;
            place->depth = static_cast<std::uint16_t>(1 + count % 16);
            movie.tags.append(std::move(place));
            movie.tags.append(std::make_unique<SwfTagShowFrame>());
        }
        return movie;
    }

private:
    std::vector<std::uint8_t> body(std::size_t n) {
        m_bytes += n;
        std::vector<std::uint8_t> out(n);
        Random& random = m_payload.random();
        for (std::size_t i = 0; i < n; i += 8) {
            const std::uint64_t v = random.next();
            std::memcpy(out.data() + i, &v, std::min<std::size_t>(8, n - i));
        }
        return out;
    }

    PayloadMaker m_payload;
    std::uint64_t m_bytes = 0;
    std::uint16_t m_nextId = 1;
};

// The many-small-tags movie of the XML benchmark: frames of a few placements, removals and
// settings each, as timeline animation produces them. A movie counts at most 65535 frames,
// so most of the tags sit in a movie clip defined in each frame (a sprite of 60 to 100 frames
// of the same small tags); every fifth clip nests a short one.
class SmallTagsMovieMaker {
public:
    explicit SmallTagsMovieMaker(std::uint64_t seed) : m_random(seed) {}

    SwfMovie make(std::uint64_t targetBytes) {
        SwfMovie movie(false, 8, 11000, 8000, 24.0f);
        for (unsigned frame = 0; m_bytes < targetBytes; ++frame) {
            frameTags(movie.tags, frame);
            add(movie.tags, sprite(60 + m_random.below(41), frame % 5 == 4));
            add(movie.tags, std::make_unique<SwfTagShowFrame>());
        }
        return movie;
    }

private:
    void add(SwfTags& tags, std::unique_ptr<SwfTag> tag) {
        SwfSizeContext ctx(8);
        tag->prepare();
        m_bytes += tag->computeSize(ctx) + tag->headerSize();
        tags.append(std::move(tag));
    }

    // Ids run from 1 to 65535 and then start again, as the 16 bits allow.
    std::uint16_t nextId() {
        const std::uint16_t id = m_nextId;
        m_nextId = m_nextId == 65535 ? 1 : m_nextId + 1;
        return id;
    }

    std::uint16_t depth() { return static_cast<std::uint16_t>(1 + m_random.below(200)); }

    std::unique_ptr<SwfTag> place() {
        auto tag = std::make_unique<SwfTagPlaceObject>();
        tag->characterId = static_cast<std::uint16_t>(1 + m_random.below(500));
        tag->depth = depth();
        tag->matrix.translateX = static_cast<std::int32_t>(m_random.below(22000)) - 5000;
        tag->matrix.translateY = static_cast<std::int32_t>(m_random.below(16000)) - 4000;
        // Fixed-point terms that text and binary forms carry exactly.
        if (m_random.below(4) == 0) {
            tag->matrix.hasScale = true;
            tag->matrix.scaleX = static_cast<float>(16 + m_random.below(64)) / 32.0f;
            tag->matrix.scaleY = static_cast<float>(16 + m_random.below(64)) / 32.0f;
        }
        if (m_random.below(8) == 0) {
            tag->matrix.hasRotate = true;
            tag->matrix.rotateSkew0 = static_cast<float>(m_random.below(64)) / 64.0f;
            tag->matrix.rotateSkew1 = -tag->matrix.rotateSkew0;
        }
        if (m_random.below(8) == 0) {
            tag->hasColorTransform = true;
            tag->colorTransform.hasMult = true;
            tag->colorTransform.mulR = static_cast<std::int16_t>(m_random.below(256));
            tag->colorTransform.mulG = static_cast<std::int16_t>(m_random.below(256));
            tag->colorTransform.mulB = static_cast<std::int16_t>(m_random.below(256));
            tag->colorTransform.mulA = 256; // PlaceObject stores no alpha: the reader's value
        }
        return tag;
    }

    std::unique_ptr<SwfTag> remove() {
        auto tag = std::make_unique<SwfTagRemoveObject2>();
        tag->depth = depth();
        return tag;
    }

    std::unique_ptr<SwfTag> label(unsigned frame) {
        auto tag = std::make_unique<SwfTagFrameLabel>();
        tag->name.text = "frame" + std::to_string(frame);
        tag->isAnchor = frame % 1000 == 0;
        return tag;
    }

    // The frame's own tags, without its ShowFrame.
    void frameTags(SwfTags& tags, unsigned frame) {
        if (frame % 16 == 0)
            add(tags, label(frame));
        if (frame % 64 == 0) {
            auto tag = std::make_unique<SwfTagSetBackgroundColor>();
            const auto v = static_cast<std::uint32_t>(m_random.next());
            tag->color =
                SwfColor(static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                         static_cast<std::uint8_t>(v), 0xff);
            add(tags, std::move(tag));
        }
        for (std::uint32_t i = m_random.below(3); i > 0; --i)
            add(tags, remove());
        for (std::uint32_t i = 1 + m_random.below(3); i > 0; --i)
            add(tags, place());
        if (m_random.below(32) == 0) {
            auto tag = std::make_unique<SwfTagRemoveObject>();
            tag->characterId = static_cast<std::uint16_t>(1 + m_random.below(500));
            tag->depth = depth();
            add(tags, std::move(tag));
        }
        if (m_random.below(4) == 0) {
            auto tag = std::make_unique<SwfTagSetTabIndex>();
            tag->depth = depth();
            tag->tabIndex = static_cast<std::uint16_t>(m_random.below(100));
            add(tags, std::move(tag));
        }
        if (m_random.below(8) == 0) {
            auto tag = std::make_unique<SwfTagDefineBinaryData>();
            tag->id = nextId();
            tag->data.resize(8 + m_random.below(57));
            for (auto& byte : tag->data)
                byte = static_cast<std::uint8_t>(m_random.next());
            add(tags, std::move(tag));
        }
    }

    // A clip whose frames place one object each and often remove another.
    std::unique_ptr<SwfTag> sprite(unsigned frames, bool nest) {
        auto clip = std::make_unique<SwfTagDefineSprite>();
        clip->id = nextId();
        for (unsigned frame = 0; frame < frames; ++frame) {
            if (frame == 0)
                clip->tags.append(label(frame));
            if (nest && frame == frames / 2)
                clip->tags.append(sprite(10, false));
            if (m_random.below(2) == 0)
                clip->tags.append(remove());
            clip->tags.append(place());
            if (m_random.below(8) == 0) {
                auto tag = std::make_unique<SwfTagSetTabIndex>();
                tag->depth = depth();
                tag->tabIndex = static_cast<std::uint16_t>(m_random.below(100));
                clip->tags.append(std::move(tag));
            }
            clip->tags.append(std::make_unique<SwfTagShowFrame>());
        }
        return clip;
    }

    Random m_random;
    std::uint64_t m_bytes = 0;
    std::uint16_t m_nextId = 1;
};

void save(SwfMovie& movie, bool compressed, const std::string& path) {
    movie.compressed = compressed;
    const SwfBuffer bytes = movie.write();
    SwfUtils::WriteWholeFile(path, bytes.size(), bytes.data());
    std::printf("  %-40s %9.2f MB\n", path.c_str(), static_cast<double>(bytes.size()) / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: make_movies [--xml] OUTDIR [MB...]   (default sizes: 10 100)\n";
        return 2;
    }
    const bool xml = std::string_view(argv[1]) == "--xml";
    const int first = xml ? 2 : 1;
    if (argc <= first) {
        std::cerr << "make_movies: no output folder\n";
        return 2;
    }
    const std::string dir = argv[first];
    std::vector<unsigned> sizes;
    for (int i = first + 1; i < argc; ++i)
        sizes.push_back(static_cast<unsigned>(std::stoul(argv[i])));
    if (sizes.empty())
        sizes = {10, 100};
    try {
        for (unsigned size : sizes) {
            const std::uint64_t bytes = std::uint64_t{size} * 1'000'000;
            if (xml) {
                SwfMovie payload = PayloadMovieMaker(0x5EED1000u + size).make(bytes);
                save(payload, false, dir + "/payload-" + std::to_string(size) + "mb.swf");
                payload.tags.clear();
                SwfMovie bitmaps = BitmapMovieMaker(0x5EED3000u + size).make(bytes);
                save(bitmaps, false, dir + "/bitmaps-" + std::to_string(size) + "mb.swf");
                bitmaps.tags.clear();
                SwfMovie tags = SmallTagsMovieMaker(0x5EED2000u + size).make(bytes);
                save(tags, false, dir + "/tags-" + std::to_string(size) + "mb.swf");
                continue;
            }
            SwfMovie movie = MovieMaker(0x5EED0000u + size).make(std::uint64_t{size} * 1'000'000);
            const std::string stem = dir + "/raw-" + std::to_string(size) + "mb";
            save(movie, false, stem + "-fws.swf");
            save(movie, true, stem + "-cws.swf");
        }
    } catch (const std::exception& e) {
        std::cerr << "make_movies: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
