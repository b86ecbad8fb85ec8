// Round trips on movies built here: a movie is written as the format lays it out, writing
// what was read is a fixed point, and a movie we wrote comes back byte for byte (its body,
// when compressed).
#include "bit_strings.h"
#include "libswf/compress.h"
#include "libswf/movie.h"
#include "swf_bytes.h"

#include <algorithm>
#include <bit>
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
// bodies around the 62/63 header boundary and sprites nested up to `depth` levels. Appends to
// `expected` the bytes the list must be written as, laid out here from the format rather than
// by the writer, so that a fault the reader and the writer share cannot hide; returns the
// ShowFrame tags directly in the list.
std::uint16_t fill(SwfTags& tags, Bytes& expected, std::mt19937& random, int depth) {
    std::uint16_t frames = 0;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
        switch (random() % 6) {
        case 0:
            tags.append(std::make_unique<SwfTagShowFrame>());
            expected = concat({expected, tag(1, {})});
            ++frames;
            break;
        case 1: {
            auto sprite = std::make_unique<SwfTagDefineSprite>();
            sprite->id = static_cast<std::uint16_t>(random());
            Bytes inner;
            const std::uint16_t innerFrames =
                depth > 0 ? fill(sprite->tags, inner, random, depth - 1) : 0;
            expected = concat(
                {expected, tag(39, concat({u16(sprite->id), u16(innerFrames), inner, u16(0)}))});
            tags.append(std::move(sprite));
            break;
        }
        case 2: {
            const auto code = static_cast<std::uint16_t>(200 + random() % 50);
            tags.append(std::make_unique<SwfTag>(code));
            expected = concat({expected, tag(code, {})});
            break;
        }
        default: {
            static const std::uint16_t codes[] = {2, 9, 12, 43, 87, 255, 1000};
            const std::uint16_t code = codes[random() % 7];
            const bool hasId = findSwfTag(code) && findSwfTag(code)->startsWithId;
            const std::size_t sizes[] = {0, 1, 60, 61, 62, 63, 64, 300, 70000};
            Bytes body(sizes[random() % 9]);
            for (auto& b : body)
                b = static_cast<std::uint8_t>(random());
            const auto id = static_cast<std::uint16_t>(random());
            const bool longHeader = random() % 4 == 0;
            expected =
                concat({expected, tag(code, hasId ? concat({u16(id), body}) : body, longHeader)});
            auto t = raw(code, hasId, id, std::move(body));
            t->setLongHeader(longHeader);
            tags.append(std::move(t));
        }
        }
    }
    return frames;
}

std::string binary(std::uint32_t value, unsigned n) {
    std::string out;
    for (unsigned i = n; i-- > 0;)
        out += (value >> i) & 1 ? '1' : '0';
    return out + ' ';
}

// An uncompressed movie as the format lays it out: the stage from the origin in the fewest
// bits its values need with their sign, the frame rate as 8.8 fixed point.
Bytes expectedMovie(std::uint8_t version, std::int32_t xmax, std::int32_t ymax,
                    std::uint16_t rate256, std::uint16_t frames, const Bytes& tags) {
    const unsigned n =
        static_cast<unsigned>(std::bit_width(static_cast<std::uint32_t>(std::max(xmax, ymax)))) + 1;
    const Bytes stage =
        bits(binary(n, 5) + binary(0, n) + binary(static_cast<std::uint32_t>(xmax), n) +
             binary(0, n) + binary(static_cast<std::uint32_t>(ymax), n));
    const Bytes rest = concat({stage, u16(rate256), u16(frames), tags, u16(0)});
    const auto length = static_cast<std::uint32_t>(8 + rest.size());
    return concat(
        {Bytes{'F', 'W', 'S', version, static_cast<std::uint8_t>(length),
               static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length >> 16),
               static_cast<std::uint8_t>(length >> 24)},
         rest});
}

// Where two byte strings first differ, or "" when they are equal.
std::string firstDifference(const Bytes& a, const Bytes& b) {
    if (a == b)
        return "";
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    const auto i = static_cast<std::size_t>(at.first - a.begin());
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at byte " + std::to_string(i);
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

TEST(RoundTrip, RandomMoviesAreWhatTheFormatSaysAndFixedPoints) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 60; ++round) {
        const auto version = static_cast<std::uint8_t>(1 + round % 40);
        const auto xmax = static_cast<std::int32_t>(1 + random() % 100000);
        const auto ymax = static_cast<std::int32_t>(1 + random() % 100000);
        const auto rate256 = static_cast<std::uint16_t>(random());
        SwfMovie movie(round % 2 == 0, version, xmax, ymax, static_cast<float>(rate256) / 256.0f);
        Bytes tags;
        const std::uint16_t frames = fill(movie.tags, tags, random, 3);
        const Bytes x = toBytes(movie.write());
        const std::string what = "round " + std::to_string(round);
        EXPECT_EQ(firstDifference(plainBody(x),
                                  expectedMovie(version, xmax, ymax, rate256, frames, tags)),
                  "")
            << what;
        expectFixedPoint(x, what);
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
    Bytes unused;
    fill(movie.tags, unused, random, 2);
    movie.tags.append(raw(87, true, 9, Bytes(3 << 20, 0x5a))); // larger than the stream's buffer
    fill(movie.tags, unused, random, 2);
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
