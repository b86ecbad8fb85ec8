// Round trips on movies built here: writing what was read is a fixed point, and a movie we
// wrote comes back byte for byte (its body, when compressed).
#include "libswf/compress.h"
#include "libswf/movie.h"
#include "swf_bytes.h"

#include <gtest/gtest.h>
#include <random>

using namespace libswf;
using namespace vorn::test;

namespace {

Bytes readWrite(const Bytes& in) {
    SwfMovie movie;
    keepAllRaw(movie);
    movie.read(in);
    return toBytes(movie.write());
}

// The uncompressed form of a movie file: inflated body under an "FWS" header.
Bytes plainBody(const Bytes& file) {
    if (file[0] != 'C')
        return file;
    const std::size_t length = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
    Bytes out(length);
    std::copy(file.begin(), file.begin() + 8, out.begin());
    swfInflate(std::span(file).subspan(8), std::span(out).subspan(8));
    out[0] = 'F';
    return out;
}

void expectFixedPoint(const Bytes& x, const std::string& what) {
    const Bytes once = readWrite(x);
    const Bytes twice = readWrite(once);
    EXPECT_EQ(twice, once) << what;
    EXPECT_EQ(plainBody(once), plainBody(x)) << what << ": not what we wrote";
}

std::unique_ptr<SwfTagUnknown> raw(std::uint16_t code, bool hasId, std::uint16_t id, Bytes body) {
    auto tag = std::make_unique<SwfTagUnknown>(code, hasId, id);
    tag->body = std::move(body);
    return tag;
}

// A random tag list: raw tags with and without ids, empty tags, ShowFrames, long headers,
// bodies around the 62/63 header boundary and sprites nested up to `depth` levels.
void fill(SwfTags& tags, std::mt19937& random, int depth) {
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
        switch (random() % 6) {
        case 0:
            tags.append(std::make_unique<SwfTagShowFrame>());
            break;
        case 1: {
            auto sprite = std::make_unique<SwfTagDefineSprite>();
            sprite->id = static_cast<std::uint16_t>(random());
            if (depth > 0)
                fill(sprite->tags, random, depth - 1);
            tags.append(std::move(sprite));
            break;
        }
        case 2:
            tags.append(std::make_unique<SwfTag>(static_cast<std::uint16_t>(200 + random() % 50)));
            break;
        default: {
            static const std::uint16_t codes[] = {2, 9, 12, 43, 87, 255, 1000};
            const std::uint16_t code = codes[random() % 7];
            const bool hasId = findSwfTag(code) && findSwfTag(code)->startsWithId;
            const std::size_t sizes[] = {0, 1, 60, 61, 62, 63, 64, 300, 70000};
            Bytes body(sizes[random() % 9]);
            for (auto& b : body)
                b = static_cast<std::uint8_t>(random());
            auto tag = raw(code, hasId, static_cast<std::uint16_t>(random()), std::move(body));
            tag->setLongHeader(random() % 4 == 0);
            tags.append(std::move(tag));
        }
        }
    }
}

} // namespace

TEST(RoundTrip, HandBuiltMoviesAreFixedPoints) {
    const Bytes sprite3 = tag(39, concat({u16(3), u16(1), tag(1, {}), u16(0)}));
    const Bytes sprite2 = tag(39, concat({u16(2), u16(1), sprite3, tag(1, {}), u16(0)}), true);
    const Bytes sprite1 =
        tag(39, concat({u16(1), u16(0), sprite2, tag(255, Bytes(100, 7)), u16(0)}));
    const struct {
        const char* what;
        Bytes movie;
    } cases[] = {
        {"empty", movie(8, 0, u16(0))},
        {"nested sprites", movie(8, 1, concat({sprite1, tag(1, {}), u16(0)}))},
        {"long header on short tags",
         movie(8, 0, concat({tag(255, hex("01"), true), tag(9, {}, true), u16(0)}))},
        {"empty tags of every kind",
         movie(8, 1, concat({tag(255, {}), tag(2, {}), tag(1, {}), u16(0)}))},
        {"headers at the boundary",
         movie(8, 0, concat({tag(87, Bytes(62, 1)), tag(87, Bytes(63, 2)), u16(0)}))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readWrite(c.movie), c.movie) << c.what;
        expectFixedPoint(c.movie, c.what);
    }
}

TEST(RoundTrip, RandomMoviesAreFixedPointsCompressedOrNot) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 60; ++round) {
        SwfMovie movie(round % 2 == 0, static_cast<std::uint8_t>(1 + round % 40),
                       static_cast<std::int32_t>(random() % 100000),
                       static_cast<std::int32_t>(random() % 100000),
                       static_cast<float>(random() % 25600) / 100.0f);
        fill(movie.tags, random, 3);
        const Bytes x = toBytes(movie.write());
        expectFixedPoint(x, "round " + std::to_string(round));
    }
}

namespace {

struct CollectingSink : SwfOutputSink {
    Bytes bytes;
    std::size_t calls = 0;
    void write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        ++calls;
    }
};

} // namespace

TEST(RoundTrip, StreamingToASinkWritesTheSameBytes) {
    std::mt19937 random(7);
    SwfMovie movie(false, 10, 11000, 8000, 24.0f);
    fill(movie.tags, random, 2);
    movie.tags.append(raw(87, true, 9, Bytes(3 << 20, 0x5a))); // larger than the stream's buffer
    fill(movie.tags, random, 2);
    const Bytes whole = toBytes(movie.writeUncompressed());
    CollectingSink sink;
    movie.writeUncompressed(sink);
    EXPECT_EQ(sink.bytes, whole);
    EXPECT_GT(sink.calls, 1u);
}

TEST(RoundTrip, CompressedInputIsReleasedOnceInflated) {
    SwfMovie built(true, 10, 11000, 8000, 24.0f);
    built.tags.append(raw(255, false, 0, Bytes(1000, 1)));
    const Bytes packed = toBytes(built.write());
    int released = 0;
    SwfMovie fromPacked;
    fromPacked.read(packed, [&] { ++released; });
    EXPECT_EQ(released, 1);
    const Bytes plain = movie(10, 0, concat({tag(255, Bytes(1000, 1)), u16(0)}));
    SwfMovie uncompressed;
    uncompressed.read(plain, [&] { ++released; });
    EXPECT_EQ(released, 1); // an uncompressed movie's tags are read from the file itself
}
