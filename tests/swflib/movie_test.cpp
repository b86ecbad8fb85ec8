// The movie container: header forms, tag headers, raw tags, sprites, compression and the
// failures of malformed input, all with exact bytes and exact messages.
#include "libswf/compress.h"
#include "libswf/exception.h"
#include "libswf/fonts.h"
#include "libswf/movie.h"
#include "swf_bytes.h"

#include <gtest/gtest.h>
#include <lzma.h>

using namespace libswf;
using namespace vorn::test;

namespace {

SwfMovie readMovie(const Bytes& bytes) {
    SwfMovie movie;
    keepAllRaw(movie);
    movie.read(bytes);
    return movie;
}

Bytes rewrite(const Bytes& bytes) {
    SwfMovie movie = readMovie(bytes);
    return toBytes(movie.write());
}

// The failure of reading the bytes, as "code: message", or "" when reading succeeds.
std::string readFailure(const Bytes& bytes) {
    try {
        readMovie(bytes);
    } catch (const SwfException& e) {
        return e.what();
    }
    return "";
}

std::string writeFailure(SwfMovie& movie) {
    try {
        movie.write();
    } catch (const SwfException& e) {
        return e.what();
    }
    return "";
}

std::unique_ptr<SwfTagUnknown> raw(std::uint16_t code, Bytes body) {
    auto tag = std::make_unique<SwfTagUnknown>(code, false);
    tag->body = std::move(body);
    return tag;
}

Bytes zeros(std::size_t n) {
    return Bytes(n, 0);
}

// The tag codes of a list, sprites' nested lists in brackets.
std::string codes(const SwfTags& tags) {
    std::string out;
    for (const auto& tag : tags) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(tag->code());
        if (auto* sprite = dynamic_cast<const SwfTagDefineSprite*>(tag.get()))
            out += "[" + codes(sprite->tags) + "]";
    }
    return out;
}

Bytes lzmaMovie(const Bytes& plain) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::uint8_t props[5];
    EXPECT_EQ(lzma_properties_encode(&filters[0], props), LZMA_OK);
    lzma_stream z = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_raw_encoder(&z, filters), LZMA_OK);
    Bytes packed(plain.size() + 1024);
    z.next_in = plain.data() + 8;
    z.avail_in = plain.size() - 8;
    z.next_out = packed.data();
    z.avail_out = packed.size();
    EXPECT_EQ(lzma_code(&z, LZMA_FINISH), LZMA_STREAM_END);
    packed.resize(packed.size() - z.avail_out);
    lzma_end(&z);
    Bytes out(plain.begin(), plain.begin() + 8);
    out[0] = 'Z';
    const std::uint32_t n = static_cast<std::uint32_t>(packed.size());
    const Bytes sizeBytes = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                             static_cast<std::uint8_t>(n >> 16),
                             static_cast<std::uint8_t>(n >> 24)};
    return concat({out, sizeBytes, Bytes(props, props + 5), packed});
}

const Bytes kEnd = u16(0);
const Bytes kShowFrame = tag(1, {});

} // namespace

// ---- header -----------------------------------------------------------------------------

TEST(MovieHeader, EmptyMovieIsFrameSizeRateCountAndEnd) {
    SwfMovie movie(false, 6, 200, 100, 24.0f);
    const Bytes bytes = toBytes(movie.write());
    // "FWS", version 6, length 20, rect (0, 200, 0, 100) twips in 9-bit fields, 24.0 fps,
    // 0 frames, End.
    EXPECT_EQ(toHex(bytes), "46 57 53 06 14 00 00 00 48 01 90 00 32 00 00 18 00 00 00 00");
    EXPECT_EQ(bytes[4], bytes.size());
}

TEST(MovieHeader, DefaultsAreACompressed550By400MovieAt12Fps) {
    SwfMovie m;
    m.compressed = false;
    EXPECT_EQ(toBytes(m.write()), movie(7, 0, kEnd));
}

TEST(MovieHeader, FrameRateIsEightDotEightTruncated) {
    SwfMovie movie(false, 8, 0, 0, 29.97f);
    const Bytes bytes = toBytes(movie.write());
    EXPECT_EQ(toHex(bytes.data() + 10, 2), "f8 1d"); // 7672
    EXPECT_FLOAT_EQ(readMovie(bytes).frameRate, 29.96875f);

    movie.frameRate = 256.0f;
    EXPECT_EQ(writeFailure(movie),
              "ValueOutOfRange: a frame rate of 256.000000 does not fit the header's 0 to 255.996");
    movie.frameRate = -1.0f;
    EXPECT_NE(writeFailure(movie), "");
    movie.frameRate = 255.99f;
    EXPECT_EQ(writeFailure(movie), "");
}

TEST(MovieHeader, OnlyTheThreeSignaturesAreMovies) {
    // "FWS" is plain, "CWS" zlib and "ZWS" LZMA (both below); anything else is no movie and
    // is refused before its other bytes are taken for a header.
    Bytes plain = movie(9, 1, concat({kShowFrame, kEnd}));
    SwfMovie m = readMovie(plain);
    EXPECT_FALSE(m.compressed);
    EXPECT_EQ(m.version, 9);
    EXPECT_EQ(codes(m.tags), "1");
    EXPECT_EQ(toBytes(m.write()), plain);

    const struct {
        Bytes file;
        const char* failure;
    } rows[] = {
        {concat({hex("47 57 53"), Bytes(plain.begin() + 3, plain.end())}),
         "UnexpectedEnd: not a SWF movie (signature \"GWS\")"},
        {concat({hex("66 77 73"), Bytes(plain.begin() + 3, plain.end())}),
         "UnexpectedEnd: not a SWF movie (signature \"fws\")"},
        {hex("89 50 4e 47 0d 0a 1a 0a 00 00 00 0d 49 48 44 52"),
         "UnexpectedEnd: not a SWF movie (signature \"\\x89PN\")"},
        {Bytes{'<', '?', 'x', 'm', 'l', ' ', 'v', 'e', 'r', 's', 'i', 'o', 'n'},
         "UnexpectedEnd: not a SWF movie (signature \"<?x\")"},
        {Bytes{'h', 'i'}, "UnexpectedEnd: not a SWF movie (signature \"hi\")"},
        {hex("43 57 00 0a 10 00 00 00 78 da"),
         "UnexpectedEnd: not a SWF movie (signature \"CW\\x00\")"},
        // A start that is still a signature is cut off, not foreign.
        {Bytes{'C', 'W'}, "UnexpectedEnd: a movie needs 8 header bytes but the file has 2"},
        {Bytes{}, "UnexpectedEnd: a movie needs 8 header bytes but the file has 0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(readFailure(row.file), row.failure) << toHex(row.file);
}

TEST(MovieHeader, TooShortFilesFail) {
    EXPECT_EQ(readFailure(hex("46 57 53 06 08 00 00")),
              "UnexpectedEnd: a movie needs 8 header bytes but the file has 7");
    EXPECT_EQ(readFailure(hex("46 57 53 06 08 00 00 00")),
              "UnexpectedEnd: a bit field needs 1 byte but none remain (at offset 8)");
    // Frame size read, frame rate cut off.
    EXPECT_EQ(readFailure(hex("46 57 53 06 0b 00 00 00 10 00 00")),
              "UnexpectedEnd: a 16-bit value needs 2 bytes but only 1 remain (at offset 10)");
}

TEST(MovieHeader, FrameCountsAreRecountedFromShowFrames) {
    const Bytes sprite =
        tag(39, concat({u16(5), u16(77), kShowFrame, kShowFrame, kShowFrame, kEnd}));
    const Bytes in = movie(8, 99, concat({sprite, kShowFrame, kShowFrame, kEnd}));
    const Bytes out = rewrite(in);
    EXPECT_EQ(
        out,
        movie(8, 2,
              concat({tag(39, concat({u16(5), u16(3), kShowFrame, kShowFrame, kShowFrame, kEnd})),
                      kShowFrame, kShowFrame, kEnd})));
    SwfMovie m = readMovie(out);
    EXPECT_EQ(m.frameCount, 2);
    EXPECT_EQ(codes(m.tags), "39[1 1 1] 1 1");
}

TEST(MovieHeader, MoreThan65535FramesFailTheWrite) {
    SwfMovie movie(false, 8, 0, 0, 12.0f);
    for (int i = 0; i < 65536; ++i)
        movie.tags.append(std::make_unique<SwfTagShowFrame>());
    EXPECT_EQ(writeFailure(movie), "ValueOutOfRange: the movie has 65536 frames, more than the "
                                   "65535 a frame count can hold");
    movie.tags.list.pop_back();
    EXPECT_EQ(writeFailure(movie), "");
}

// ---- tag headers ------------------------------------------------------------------------

TEST(TagHeader, ShortUpTo62LongFrom63) {
    SwfMovie movie(false, 8, 0, 0, 12.0f);
    movie.tags.append(raw(255, zeros(62)));
    movie.tags.append(raw(255, zeros(63)));
    const Bytes bytes = toBytes(movie.write());
    const std::size_t first = 8 + 2 + 4;                // rect of zeros, rate, count
    EXPECT_EQ(toHex(bytes.data() + first, 2), "fe 3f"); // 255 << 6 | 62
    EXPECT_EQ(toHex(bytes.data() + first + 64, 6), "ff 3f 3f 00 00 00");
    EXPECT_EQ(bytes.size(), first + 64 + 69 + 2);
}

TEST(TagHeader, LongFormOfAShortTagIsKeptFromFilesButNotFromCode) {
    const Bytes in =
        movie(8, 0, concat({tag(255, hex("01 02 03 04 05 06 07 08 09 0a"), true), kEnd}));
    EXPECT_EQ(rewrite(in), in);
    SwfMovie m = readMovie(in);
    EXPECT_TRUE(m.tags[0].longHeader());

    SwfMovie built(false, 8, 11000, 8000, 12.0f);
    built.tags.append(raw(255, hex("01 02 03 04 05 06 07 08 09 0a")));
    EXPECT_EQ(toBytes(built.write()),
              movie(8, 0, concat({tag(255, hex("01 02 03 04 05 06 07 08 09 0a")), kEnd})));
}

TEST(TagHeader, AShrunkenTagKeepsTheHeaderFormItWasReadWith) {
    // Whatever length a tag was read with, a long header stays long when its body shrinks,
    // and a short one stays short.
    const struct {
        std::size_t length;
        bool longForm;
    } rows[] = {{10, true}, {62, false}, {62, true}, {63, true}, {64, true}, {300, true}};
    for (const auto& row : rows) {
        SwfMovie m =
            readMovie(movie(8, 0, concat({tag(255, zeros(row.length), row.longForm), kEnd})));
        EXPECT_EQ(m.tags[0].longHeader(), row.longForm) << row.length;
        static_cast<SwfTagUnknown&>(m.tags[0]).body = hex("01 02 03");
        EXPECT_EQ(toBytes(m.write()),
                  movie(8, 0, concat({tag(255, hex("01 02 03"), row.longForm), kEnd})))
            << row.length;
    }
}

namespace {

// A tag that claims a body of `length` bytes and writes none: sizes near 4 GiB without the
// memory they would take.
class ClaimedBody : public SwfTag {
public:
    explicit ClaimedBody(std::uint32_t length) : SwfTag(255), m_length(length) {}

protected:
    std::uint32_t bodySize(SwfSizeContext&) override { return m_length; }

private:
    std::uint32_t m_length;
};

} // namespace

TEST(TagHeader, BodiesNear4GiBFailWithTheLengthMessage) {
    // The header's 6 bytes on top of a body that fits 32 bits must not wrap the sum (the
    // stage of zeros takes 2 bytes, the rest of the header 12, the closing End 2).
    for (const std::uint32_t length : {0xFFFFFFFFu, 0xFFFFFFFAu}) {
        SwfMovie top(false, 8, 0, 0, 12.0f);
        top.tags.append(std::make_unique<ClaimedBody>(length));
        EXPECT_EQ(writeFailure(top), "ValueOutOfRange: the movie of " +
                                         std::to_string(std::uint64_t{length} + 6 + 2 + 14) +
                                         " bytes does not fit a 32-bit length");
        SwfMovie nested(false, 8, 0, 0, 12.0f);
        auto sprite = std::make_unique<SwfTagDefineSprite>();
        sprite->tags.append(std::make_unique<ClaimedBody>(length));
        nested.tags.append(std::move(sprite));
        EXPECT_EQ(writeFailure(nested), "ValueOutOfRange: a sprite body of " +
                                            std::to_string(std::uint64_t{length} + 6 + 2 + 4) +
                                            " bytes does not fit a 32-bit length (tag 39 "
                                            "DefineSprite, tag index 0)");
    }
}

TEST(TagHeader, CodesBeyondTenBitsFailTheWrite) {
    SwfMovie movie(false, 8, 0, 0, 12.0f);
    movie.tags.append(std::make_unique<SwfTagShowFrame>());
    movie.tags.append(raw(1024, {}));
    EXPECT_EQ(writeFailure(movie), "ValueOutOfRange: tag code 1024 does not fit the 10 bits of a "
                                   "tag header (tag 1024, tag index 1)");
}

// ---- raw tags ---------------------------------------------------------------------------

TEST(RawTags, UnknownCodesKeepTheirBytes) {
    const Bytes in = movie(8, 1, concat({tag(255, hex("01 02 03 04 05")), kShowFrame, kEnd}));
    SwfMovie m = readMovie(in);
    ASSERT_EQ(m.tags.size(), 2u);
    ASSERT_TRUE(m.tags[0].isUnknown());
    const auto& unknown = static_cast<const SwfTagUnknown&>(m.tags[0]);
    EXPECT_FALSE(unknown.hasId);
    EXPECT_EQ(toHex(unknown.body), "01 02 03 04 05");
    EXPECT_EQ(toBytes(m.write()), in);
}

TEST(RawTags, EmptyTagsAreUnknownOnlyWhenKeptRaw) {
    const Bytes in = movie(8, 0, concat({tag(255, {}), tag(254, {}), kEnd}));
    SwfMovie plain;
    plain.read(in);
    EXPECT_FALSE(plain.tags[0].isUnknown());
    EXPECT_EQ(plain.tags[0].code(), 255);
    EXPECT_EQ(toBytes(plain.write()), in);

    SwfMovie kept;
    kept.keepRaw[255] = true;
    kept.read(in);
    EXPECT_TRUE(kept.tags[0].isUnknown());
    EXPECT_FALSE(kept.tags[1].isUnknown());
    EXPECT_TRUE(static_cast<const SwfTagUnknown&>(kept.tags[0]).body.empty());
    EXPECT_EQ(toBytes(kept.write()), in);
}

TEST(RawTags, CharacterIdsAreSplitOffAndEnterTheDictionary) {
    const Bytes in = movie(8, 0,
                           concat({tag(87, hex("07 00 aa bb cc dd")), tag(2, hex("07 00 ee")),
                                   tag(2, hex("09")), kEnd}));
    SwfMovie m = readMovie(in);
    const auto& binary = static_cast<const SwfTagUnknown&>(m.tags[0]);
    EXPECT_TRUE(binary.hasId);
    EXPECT_EQ(binary.id, 7);
    EXPECT_EQ(toHex(binary.body), "aa bb cc dd");
    // A later definition with the same id replaces the earlier entry.
    EXPECT_EQ(m.tags.dictionary.at(7), &m.tags[1]);
    // A body too short for an id is kept whole.
    const auto& shortBody = static_cast<const SwfTagUnknown&>(m.tags[2]);
    EXPECT_FALSE(shortBody.hasId);
    EXPECT_EQ(toHex(shortBody.body), "09");
    EXPECT_EQ(m.tags.dictionary.size(), 1u);
    EXPECT_EQ(toBytes(m.write()), in);
}

TEST(RawTags, KeepRawOverridesAClass) {
    const Bytes in =
        movie(8, 0, concat({tag(39, concat({u16(3), u16(1), kShowFrame, kEnd})), kEnd}));
    SwfMovie m;
    m.keepRaw[39] = true;
    m.read(in);
    ASSERT_TRUE(m.tags[0].isUnknown());
    EXPECT_EQ(static_cast<const SwfTagUnknown&>(m.tags[0]).id, 3);
    EXPECT_EQ(toBytes(m.write()), in);
}

TEST(Definitions, TagsBuiltWithoutAnIdTakeSuccessiveCounterValues) {
    const SwfTagDefineSprite a, b;
    EXPECT_EQ(static_cast<std::uint16_t>(a.id + 1), b.id);
    // Around the whole range and past its end: 0 names no character and is never given.
    std::uint16_t last = b.id;
    for (int i = 0; i < 65536; ++i) {
        const SwfTagDefineSprite next;
        ASSERT_NE(next.id, 0) << "after " << last;
        last = next.id;
    }
    // A numbering of its own starts at 1 and hands the counter back when it ends.
    {
        const SwfDefinitionNumbering numbering;
        EXPECT_EQ(SwfTagDefineSprite().id, 1);
        {
            const SwfDefinitionNumbering inner;
            EXPECT_EQ(SwfTagDefineSprite().id, 1);
        }
        EXPECT_EQ(SwfTagDefineSprite().id, 2);
    }
    EXPECT_EQ(SwfTagDefineSprite().id, last == 0xFFFF ? 1 : last + 1);
}

// ---- sprites ----------------------------------------------------------------------------

TEST(Sprites, NestedListEndsAtItsEnd) {
    const Bytes sprite =
        tag(39, concat({u16(4), u16(2), tag(255, hex("11")), kShowFrame, kShowFrame, kEnd}));
    const Bytes in = movie(8, 1, concat({sprite, kShowFrame, kEnd}));
    SwfMovie m = readMovie(in);
    EXPECT_EQ(codes(m.tags), "39[255 1 1] 1");
    const auto& s = static_cast<const SwfTagDefineSprite&>(m.tags[0]);
    EXPECT_EQ(s.id, 4);
    EXPECT_EQ(m.tags.dictionary.at(4), &m.tags[0]);
    EXPECT_EQ(toBytes(m.write()), in);
}

TEST(Sprites, ListWithoutEndStopsAtTheSpriteBody) {
    // The following top-level tags must not be pulled into the sprite.
    const Bytes sprite = tag(39, concat({u16(4), u16(1), kShowFrame}));
    const Bytes in =
        movie(8, 2, concat({sprite, tag(255, hex("22")), kShowFrame, kShowFrame, kEnd}));
    SwfMovie m = readMovie(in);
    EXPECT_EQ(codes(m.tags), "39[1] 255 1 1");
    // Written back with the End the sprite lacked.
    const Bytes fixed = movie(8, 2,
                              concat({tag(39, concat({u16(4), u16(1), kShowFrame, kEnd})),
                                      tag(255, hex("22")), kShowFrame, kShowFrame, kEnd}));
    EXPECT_EQ(toBytes(m.write()), fixed);
}

TEST(Sprites, ALongHeaderCutByTheSpriteBodyEndsItsListQuietly) {
    const Bytes sprite = tag(39, concat({u16(4), u16(0), kShowFrame, hex("ff 3f 01")}));
    const Bytes in = movie(8, 0, concat({sprite, kEnd}));
    EXPECT_EQ(codes(readMovie(in).tags), "39[1]");
}

TEST(Sprites, NestedTagRunningPastTheSpriteFails) {
    // The nested header (255 << 6 | 5) claims 5 bytes; the sprite body holds 1 more.
    const Bytes sprite = tag(39, concat({u16(4), u16(0), hex("c5 3f 01")}));
    const Bytes in = movie(8, 0, concat({sprite, tag(255, hex("aa bb cc")), kEnd}));
    EXPECT_EQ(readFailure(in),
              "UnexpectedEnd: a tag body of 5 bytes runs past the end of its sprite, where 1 "
              "bytes remain (tag 255 at offset 27, tag index 0)");
}

TEST(Sprites, DeepNestingIsRefused) {
    Bytes inner = concat({kShowFrame, kEnd});
    for (int depth = 0; depth < 40; ++depth)
        inner = concat({tag(39, concat({u16(1), u16(0), inner})), kEnd});
    const std::string failure = readFailure(movie(8, 0, inner));
    EXPECT_NE(failure.find("sprites are nested more than 32 levels deep"), std::string::npos)
        << failure;
}

// ---- truncation -------------------------------------------------------------------------

TEST(Truncation, TagBodyPastTheEndNamesTheTag) {
    Bytes in = movie(8, 1, concat({kShowFrame, tag(12, hex("01 02 03 04 05 06"))}));
    in.resize(in.size() - 2);
    EXPECT_EQ(readFailure(in),
              "UnexpectedEnd: a tag body of 6 bytes runs past the end of the movie, where 4 "
              "bytes remain (tag 12 DoAction at offset 23, tag index 1)");
}

TEST(Truncation, LongHeaderCutOffAtTheTopLevelFails) {
    const Bytes in = movie(8, 0, hex("ff 3f 01 00"));
    EXPECT_EQ(readFailure(in),
              "UnexpectedEnd: a long tag header is cut off (tag 255 at offset 21, tag index 0)");
}

TEST(Truncation, MissingEndAndTrailingBytesAreTolerated) {
    // Without End the list ends with the data; a single stray byte is no tag.
    const Bytes noEnd = movie(8, 1, concat({kShowFrame, hex("7f")}));
    SwfMovie m = readMovie(noEnd);
    EXPECT_EQ(codes(m.tags), "1");
    EXPECT_EQ(toBytes(m.write()), movie(8, 1, concat({kShowFrame, kEnd})));
    // Bytes after End are not part of the movie.
    const Bytes trailing = movie(8, 1, concat({kShowFrame, kEnd, tag(255, hex("01"))}));
    EXPECT_EQ(codes(readMovie(trailing).tags), "1");
}

// ---- compression ------------------------------------------------------------------------

TEST(Compression, CompressedMoviesRoundTrip) {
    const Bytes plain = movie(10, 1, concat({tag(255, Bytes(5000, 0x41)), kShowFrame, kEnd}));
    SwfMovie m = readMovie(plain);
    m.compressed = true;
    const Bytes packed = toBytes(m.write());
    EXPECT_EQ(toHex(packed.data(), 8), toHex(plain.data(), 8).replace(0, 2, "43"));
    EXPECT_LT(packed.size(), 200u);
    SwfMovie back = readMovie(packed);
    EXPECT_TRUE(back.compressed);
    back.compressed = false;
    EXPECT_EQ(toBytes(back.write()), plain);
}

TEST(Compression, BothCodecsWriteStreamsTheOtherReads) {
    Bytes body(100000);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>((i * 7919) % 251 < 40 ? i : i / 64);
    for (auto writer : {SwfZlibCodec::Zlib, SwfZlibCodec::Libdeflate}) {
        const SwfBuffer packed = swfDeflate(body, 3, writer);
        for (auto reader : {SwfZlibCodec::Zlib, SwfZlibCodec::Libdeflate}) {
            Bytes out(body.size());
            swfInflate(packed.span().subspan(3), out, reader);
            EXPECT_EQ(out, body);
        }
    }
}

TEST(Compression, BodiesThatDoNotInflateToTheDeclaredLengthFail) {
    const Bytes plain = movie(10, 1, concat({tag(255, Bytes(300, 0x41)), kShowFrame, kEnd}));
    SwfMovie m = readMovie(plain);
    m.compressed = true;
    const Bytes packed = toBytes(m.write());
    auto withLength = [&](std::uint32_t length) {
        Bytes b = packed;
        for (int i = 0; i < 4; ++i)
            b[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        return b;
    };
    const std::uint32_t n = static_cast<std::uint32_t>(plain.size());
    EXPECT_EQ(readFailure(withLength(n + 1)),
              "UnexpectedEnd: the compressed body inflates to " + std::to_string(n - 8) +
                  " bytes where the header declares " + std::to_string(n - 7));
    EXPECT_EQ(readFailure(withLength(n - 1)),
              "UnexpectedEnd: the compressed body inflates to more than the " +
                  std::to_string(n - 9) + " bytes the header declares");
    Bytes cut = packed;
    cut.resize(cut.size() - 10);
    EXPECT_EQ(readFailure(cut), "UnexpectedEnd: the compressed body is damaged or truncated");
    Bytes damaged = packed;
    damaged[12] ^= 0x55;
    EXPECT_EQ(readFailure(damaged).rfind("UnexpectedEnd: ", 0), 0u);
}

TEST(Compression, AbsurdDeclaredLengthsAreRefusedBeforeAllocating) {
    Bytes b = hex("43 57 53 0a ff ff ff 7f 78 da 03 00 00 00 00 01");
    EXPECT_EQ(readFailure(b), "UnexpectedEnd: the header declares a movie of 2147483647 bytes, "
                              "which 8 compressed bytes cannot hold");
    // LZMA packs more densely than zlib (some 7100 to 1 at best), but is bounded all the same.
    b = hex("5a 57 53 0a 00 e1 f5 05 0a 00 00 00 5d 00 00 10 00 00 00 00 00 00");
    EXPECT_EQ(readFailure(b), "UnexpectedEnd: the header declares a movie of 100000000 bytes, "
                              "which 14 compressed bytes cannot hold");
    b = hex("43 57 53 0a 05 00 00 00 78 da");
    EXPECT_EQ(readFailure(b), "UnexpectedEnd: the header declares a movie of 5 bytes, shorter "
                              "than its own header");
}

TEST(Compression, LzmaMoviesAreReadAndWrittenBackWithZlib) {
    const Bytes plain = movie(13, 1, concat({tag(255, Bytes(3000, 0x42)), kShowFrame, kEnd}));
    const Bytes zws = lzmaMovie(plain);
    SwfMovie m = readMovie(zws);
    EXPECT_TRUE(m.compressed);
    EXPECT_EQ(codes(m.tags), "255 1");
    const Bytes out = toBytes(m.write());
    EXPECT_EQ(out[0], 'C');
    SwfMovie back = readMovie(out);
    back.compressed = false;
    EXPECT_EQ(toBytes(back.write()), plain);

    Bytes cut = zws;
    cut.resize(cut.size() - 20);
    EXPECT_EQ(readFailure(cut).rfind("UnexpectedEnd: the LZMA body", 0), 0u) << readFailure(cut);
    EXPECT_EQ(readFailure(Bytes(zws.begin(), zws.begin() + 14)),
              "UnexpectedEnd: the LZMA header is cut off");
    // A 4 GiB dictionary declared by an 18-byte file is not allocated.
    EXPECT_EQ(readFailure(hex("5a 57 53 0a 20 00 00 00 00 00 00 00 5d ff ff ff ff 00")),
              "UnexpectedEnd: the LZMA body inflates to 0 bytes where the header declares 24");
}

// ---- reading tag by tag -----------------------------------------------------------------

// A visitor sees each top-level tag as soon as it is read; the movie lets go of the tags it
// is done with but keeps the fonts later tags read, and every failure reads as without it.
TEST(Visitor, TagsAreLetGoExceptFontsAndFailuresStayTheSame) {
    const Bytes binary = tag(87, hex("02 00 00 00 00 00 07"));
    const Bytes font = tag(75, hex("01 00 04 00 00 01 00 04 00 06 00 10 00 41 00"));
    // Zones of two records: a reader that knows the font's one glyph takes one.
    const auto zonesFor = [](std::uint8_t id) {
        return tag(73, concat({Bytes{id, 0}, hex("40 01 00 3c 00 00 03 00 03")}));
    };
    const Bytes whole =
        movie(8, 2, concat({kShowFrame, binary, font, zonesFor(1), kShowFrame, kEnd}));
    SwfMovie m;
    std::vector<std::uint16_t> seen;
    std::size_t records = 0;
    m.read(whole, {}, [&](const SwfTag& tag) {
        seen.push_back(tag.code());
        if (const auto* zones = dynamic_cast<const SwfTagDefineFontAlignZones*>(&tag))
            records = zones->zoneTable.size();
        return true;
    });
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{1, 87, 75, 73, 1}));
    EXPECT_EQ(records, 1u);
    ASSERT_EQ(m.tags.size(), 1u);
    EXPECT_EQ(m.tags[0].code(), 75);
    EXPECT_EQ(m.tags.dictionary.at(1), &m.tags[0]);
    EXPECT_EQ(m.tags.dictionary.at(2)->code(), 87); // a bare tag standing for it

    const auto failure = [](const Bytes& bytes, bool visit) {
        try {
            SwfMovie movie;
            movie.read(bytes, {},
                       visit ? SwfTagVisitor([](const SwfTag&) { return true; }) : SwfTagVisitor());
        } catch (const SwfException& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    Bytes cut = movie(8, 1, concat({kShowFrame, binary, tag(12, hex("01 02 03 04 05 06"))}));
    cut.resize(cut.size() - 2);
    const Bytes namesBinary = movie(8, 0, concat({binary, zonesFor(2), kEnd}));
    const Bytes namesRaw = movie(8, 0, concat({tag(6, hex("03 00 ff d8")), zonesFor(3), kEnd}));
    EXPECT_EQ(failure(cut, true),
              "UnexpectedEnd: a tag body of 6 bytes runs past the end of the movie, where 4 "
              "bytes remain (tag 12 DoAction at offset 32, tag index 2)");
    for (const Bytes& bytes : {cut, namesBinary, namesRaw})
        EXPECT_EQ(failure(bytes, true), failure(bytes, false));
}
