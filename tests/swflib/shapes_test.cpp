// Shape records and styles in binary: the bit layout of every record kind, style indices and
// new styles, the style array counts, gradients, the limits of each field, the stream state
// the shape tags set and restore, and bodies that lie.
#include "bit_strings.h"
#include "libswf/exception.h"
#include "libswf/shapes.h"
#include "swf_bytes.h"

#include <functional>

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

// A movie with the header of movie() holding this tag.
Bytes writeMovieOf(std::unique_ptr<SwfTag> tag) {
    SwfMovie m(false, 8, 11000, 8000, 12.0f);
    m.tags.append(std::move(tag));
    return toBytes(m.write());
}

Bytes movieOfTags(std::uint8_t version, const Bytes& tags) {
    return movie(version, 0, concat({tags, u16(0)}));
}

// Sizes and writes an edge list as a DefineShape would after arrays of these counts; the
// size pass must agree with the bytes.
Bytes writeRecords(const SwfShapeRecords& records, std::size_t fills, std::size_t lines) {
    SwfSizeContext ctx(8);
    ctx.numFillBits = static_cast<std::uint8_t>(styleIndexBits(fills));
    ctx.numLineBits = static_cast<std::uint8_t>(styleIndexBits(lines));
    SwfStyleCounts inForce{fills, lines};
    const std::uint32_t size = records.computeSize(ctx, inForce);
    SwfOStream os(16);
    os.numFillBits = static_cast<std::uint8_t>(styleIndexBits(fills));
    os.numLineBits = static_cast<std::uint8_t>(styleIndexBits(lines));
    records.write(os);
    const Bytes out(os.data(), os.data() + os.size());
    EXPECT_EQ(size, out.size()) << "the size pass disagrees with the bytes";
    return out;
}

SwfShapeRecords readRecords(const Bytes& bytes) {
    SwfIStream is(bytes);
    SwfShapeRecords records;
    records.read(is);
    EXPECT_EQ(is.remaining(), 0u) << "the list did not end where its padding does";
    return records;
}

template <class... R>
SwfShapeRecords list(R... records) {
    SwfShapeRecords out;
    (out.push_back(std::make_unique<R>(std::move(records))), ...);
    return out;
}

SwfStyleChange change(void (*fill)(SwfStyleChange&)) {
    SwfStyleChange c;
    fill(c);
    return c;
}

// The reason writing a movie of this one tag fails with, or "" when it is written.
std::string writeFailure(std::unique_ptr<SwfTag> tag) {
    try {
        writeMovieOf(std::move(tag));
    } catch (const SwfException& e) {
        return e.what();
    }
    return "";
}

std::unique_ptr<SwfTagDefineShape3> shape3(SwfShapeRecords records) {
    auto tag = std::make_unique<SwfTagDefineShape3>();
    tag->id = 1;
    tag->records = std::move(records);
    return tag;
}

std::unique_ptr<SwfSolidFillStyle> solid(std::uint8_t r) {
    return std::make_unique<SwfSolidFillStyle>(SwfColor(r, 0, 0, 0xff));
}

} // namespace

// ---- records ------------------------------------------------------------------------------

TEST(ShapeRecords, EveryKindTakesTheFewestBitsInItsOwnForm) {
    struct Case {
        const char* what;
        SwfShapeRecords records;
        const char* expected; // after the two width nibbles 0001 0001
    };
    Case cases[] = {
        {"an empty list is the end record alone", list(), "000000"},
        {"a zero edge is vertical with 2 bits", list(SwfLine(0, 0)), "11 0000 0 1 00  000000"},
        {"horizontal: DX only", list(SwfLine(30, 0)), "11 0100 0 0 011110  000000"},
        {"vertical: DY only", list(SwfLine(0, -20)), "11 0100 0 1 101100  000000"},
        {"general: both, in the wider one's bits", list(SwfLine(-5, 7)),
         "11 0010 1 1011 0111  000000"},
        {"the widest edge: 17 bits", list(SwfLine(65535, -65536)),
         "11 1111 1 01111111111111111 10000000000000000  000000"},
        {"a curve: four values in one width", list(SwfCurve(10, 10, -10, -9)),
         "10 0011 01010 01010 10110 10111  000000"},
        {"a move to the origin has no coordinate bits",
         list(change([](SwfStyleChange& c) { c.move = true; }), SwfLine(1, 0)),
         "0 00001 00000  11 0000 0 0 01  000000"},
        {"a move takes the pair's width",
         list(change([](SwfStyleChange& c) { c.move = true, c.moveDX = 100, c.moveDY = -50; })),
         "0 00001 01000 01100100 11001110  000000"},
        {"flags in their order; indices in the widths in force", list(change([](SwfStyleChange& c) {
             c.setLine = c.setFill1 = c.setFill0 = true, c.fill0 = 1, c.line = 1;
         })),
         "0 01110 1 0 1  000000"},
        {"a style change without flags is left out",
         list(SwfLine(1, 0), SwfStyleChange(), SwfLine(1, 0)),
         "11 0000 0 0 01  11 0000 0 0 01  000000"},
    };
    for (Case& c : cases) {
        const Bytes expected = bits(std::string("0001 0001 ") + c.expected);
        EXPECT_EQ(toHex(writeRecords(c.records, 1, 1)), toHex(expected)) << c.what;
        // Reading gives the same records back, without the flagless one.
        SwfShapeRecords again = readRecords(expected);
        EXPECT_EQ(toHex(writeRecords(again, 1, 1)), toHex(expected)) << c.what << " (read back)";
    }
}

TEST(ShapeRecords, GlyphOutlinesNameWhatTheirWidthsAddress) {
    // Fonts size glyphs with one fill bit and no line bits, without arrays.
    SwfShapeRecords glyph = list(change([](SwfStyleChange& c) { c.setFill1 = true, c.fill1 = 1; }));
    SwfSizeContext ctx(8);
    ctx.numFillBits = 1;
    ctx.numLineBits = 0;
    EXPECT_EQ(glyph.computeSize(ctx), 3u) << "widths, 6 + 1 bits, end record";
    static_cast<SwfStyleChange&>(*glyph[0]).fill1 = 2;
    try {
        glyph.computeSize(ctx);
        FAIL() << "index 2 was taken for one bit";
    } catch (const SwfException& e) {
        EXPECT_EQ(e.reason(), "edge record 1: SetFill1 index 2 names no style: the fill style "
                              "array in force has 1 entry");
    }
}

TEST(ShapeRecords, BodiesThatLieFailTheReadCleanly) {
    const std::pair<Bytes, std::string> cases[] = {
        {hex("01 00 10 00 01 07"),
         "UnexpectedEnd: a fill style of type 0x07, which names no kind of fill (tag 2 "
         "DefineShape at offset 21, tag index 0; failed at offset 28)"},
        // 65535 line styles announced, one byte there: nothing is reserved for the count.
        {hex("01 00 10 00 00 ff ff ff 14"),
         "UnexpectedEnd: a 16-bit value needs 2 bytes but only 1 remain in the tag body (tag 22 "
         "DefineShape2 at offset 21, tag index 0; failed at offset 31)"},
        // A general edge of 17-bit deltas whose second delta is cut off.
        {concat({hex("01 00 10 00 00 00"), bits("0001 0001 11 1111 1 01111111111111111")}),
         "UnexpectedEnd: a bit field needs 1 byte but none remain in the tag body (tag 22 "
         "DefineShape2 at offset 21, tag index 0; failed at offset 33)"},
    };
    std::uint16_t code = 2;
    for (const auto& [body, expected] : cases) {
        std::string failure;
        try {
            SwfMovie m;
            m.read(movieOfTags(8, tag(code, body)));
        } catch (const SwfException& e) {
            failure = e.what();
        }
        EXPECT_EQ(failure, expected);
        code = 22;
    }
}

TEST(ShapeRecords, ShapesThatCouldNotBeWrittenBackAreRefusedOnReading) {
    // What the reader takes in, the writer must be able to give back: a style index beyond
    // the arrays and new styles in DefineShape fail the read with the reason the write gives.
    const std::pair<Bytes, std::string> cases[] = {
        {tag(32, concat({hex("01 00 10 00 00 00"), bits("0001 0001  0 00010 1  000000")})),
         "ValueOutOfRange: edge record 1: SetFill0 index 1 names no style: the fill style array "
         "in force has 0 entries (tag 32 DefineShape3 at offset 21, tag index 0)"},
        {tag(2, concat({hex("01 00 10 00 00 00"), bits("0001 0001  0 10000"), hex("00 00"),
                        bits("0001 0001  000000")})),
         "ValueOutOfRange: edge record 1: a style change with NewStyles, which only DefineShape2 "
         "and later can hold (tag 2 DefineShape at offset 21, tag index 0)"},
    };
    for (const auto& [tagBytes, expected] : cases) {
        std::string failure;
        try {
            SwfMovie m;
            m.read(movieOfTags(8, tagBytes));
        } catch (const SwfException& e) {
            failure = e.what();
        }
        EXPECT_EQ(failure, expected);
    }
}

// ---- style arrays -------------------------------------------------------------------------

TEST(StyleArrays, CountsOf254And255AndMoreEntries) {
    auto withLines = [](auto tag, std::size_t n) {
        tag->id = 1;
        for (std::size_t i = 0; i < n; ++i)
            tag->lineStyles.push_back(std::make_unique<SwfLineStyle>(20, SwfColor(1, 2, 3)));
        return tag;
    };
    // 254 entries take one count byte; 255 take 0xFF and a 16-bit count.
    SwfSizeContext ctx(8);
    auto s2 = withLines(std::make_unique<SwfTagDefineShape2>(), 254);
    // id, bounds, fill count, line count, 254 styles, widths 0001 1000 and the end record
    EXPECT_EQ(s2->computeSize(ctx), 2u + 2 + 1 + 1 + 254 * 5 + 2);
    s2->lineStyles.push_back(std::make_unique<SwfLineStyle>(20, SwfColor(1, 2, 3)));
    const Bytes written = writeMovieOf(std::move(s2));
    // movie header 21 bytes, long tag header 6, id 2, bounds 2, fill count 1
    EXPECT_EQ(toHex(Bytes(written.begin() + 32, written.begin() + 35)), "ff ff 00");
    EXPECT_EQ(written[35 + 255 * 5], 0x18) << "255 line styles take 8 index bits";

    // DefineShape has no extended counts: 255 entries are the byte 0xFF alone, which reads
    // back as 255; more cannot be written.
    auto s1 = withLines(std::make_unique<SwfTagDefineShape>(), 255);
    const Bytes one = writeMovieOf(std::move(s1));
    EXPECT_EQ(toHex(Bytes(one.begin() + 31, one.begin() + 34)), "00 ff 14");
    EXPECT_EQ(writeFailure(withLines(std::make_unique<SwfTagDefineShape>(), 256)),
              "ValueOutOfRange: a line style array of 256 entries needs an extended count, "
              "which DefineShape cannot hold (at most 255 entries) (tag 2 DefineShape, tag "
              "index 0)");

    // Reading DefineShape, 0xFF is 255 entries and no 16-bit count follows.
    Bytes body = hex("01 00 10 00 00 ff");
    for (int i = 0; i < 255; ++i)
        body.insert(body.end(), {0x14, 0x00, 1, 2, 3});
    body.insert(body.end(), {0x18, 0x00});
    SwfMovie read;
    read.read(movieOfTags(1, tag(2, body)));
    EXPECT_EQ(static_cast<const SwfTagDefineShape&>(read.tags[0]).lineStyles.size(), 255u);
}

TEST(StyleArrays, ShapeTagsLeaveNoStreamStateBehind) {
    // A DefineShape4 with an extended line style, read from a stream whose state says
    // otherwise: the tag sets its own flags and gives the stream back as it was.
    const Bytes body = hex("01 00 10 00 10 00 00 00 01 14 00 00 00 01 02 03 04 11 00");
    SwfIStream is(body);
    is.tagLength = static_cast<std::uint32_t>(body.size());
    is.alpha = is.shapeExtendedCounts = false;
    is.shapeNewStyles = is.shapeLineStyle2 = false;
    is.numFillBits = 7;
    is.numLineBits = 9;
    SwfTagDefineShape4 shape(is);
    EXPECT_EQ(is.remaining(), 0u);
    EXPECT_FALSE(is.alpha || is.shapeExtendedCounts || is.shapeNewStyles || is.shapeLineStyle2);
    EXPECT_EQ(is.numFillBits, 7);
    EXPECT_EQ(is.numLineBits, 9);
    ASSERT_EQ(shape.lineStyles.size(), 1u);
    const auto& line = dynamic_cast<const SwfLineStyle2&>(*shape.lineStyles[0]);
    EXPECT_EQ(line.color.a, 4);

    SwfSizeContext ctx(8);
    EXPECT_EQ(shape.computeSize(ctx), body.size());
    EXPECT_FALSE(ctx.alpha || ctx.shapeExtendedCounts || ctx.shapeNewStyles);
}

// ---- gradients ----------------------------------------------------------------------------

TEST(Gradients, PlainGradientsCountTheirRecordsUpTo15) {
    // Linear, identity matrix, spread 1 and interpolation 1 with NumGradients 3 as read.
    const Bytes body = hex("01 00 10 00 01 10 00 53 00 01 02 03 80 04 05 06 ff 07 08 09 00 11 00");
    SwfMovie m;
    m.read(movieOfTags(1, tag(2, body)));
    auto& fill = static_cast<SwfGradientFillStyle&>(
        *static_cast<SwfTagDefineShape&>(m.tags[0]).fillStyles[0]);
    fill.gradient.push_back(std::make_unique<SwfGradientRecord>(0x90, SwfColor(1, 1, 1)));
    fill.gradient.push_back(std::make_unique<SwfGradientRecord>(0xa0, SwfColor(2, 2, 2)));
    const Bytes written = toBytes(m.write());
    EXPECT_EQ(written[23 + 7], 0x55) << "NumGradients becomes 5; the modes stay";
    EXPECT_EQ(fill.gradient.get(SwfGradientBits::NumGradients), 5u);

    for (int i = 0; i < 11; ++i)
        fill.gradient.push_back(std::make_unique<SwfGradientRecord>());
    try {
        m.write();
        FAIL() << "16 gradient records were written";
    } catch (const SwfException& e) {
        EXPECT_STREQ(e.what(), "ValueOutOfRange: fill style 1: a gradient of 16 records is more "
                               "than the 15 its NumGradients can count (tag 2 DefineShape, tag "
                               "index 0)");
    }
}

TEST(Gradients, FocalGradientsWriteTheirNumGradientsFromTheFront) {
    // DefineShape3: focal type, identity matrix, spread 2 and 2 records, focal point 0.5.
    const Bytes body = hex("01 00 10 00 01 13 00 82 00 ff 00 00 ff ff 00 00 ff 80 80 00 00 11 00");
    SwfMovie m;
    m.read(movieOfTags(8, tag(32, body)));
    auto& fill = static_cast<SwfGradientFillStyle&>(
        *static_cast<SwfTagDefineShape3&>(m.tags[0]).fillStyles[0]);
    ASSERT_TRUE(fill.isFocal());
    EXPECT_EQ(fill.focalGradient.get(SwfGradientBits::SpreadMode), 2u);
    EXPECT_EQ(fill.focalGradient.focalPoint[0], 0x80);
    EXPECT_EQ(toHex(toBytes(m.write())), toHex(movieOfTags(8, tag(32, body))));

    // A record beyond NumGradients stays out of the file; one missing fails the write.
    fill.focalGradient.records.push_back(std::make_shared<SwfGradientRecord>());
    EXPECT_EQ(toHex(toBytes(m.write())), toHex(movieOfTags(8, tag(32, body))));
    fill.focalGradient.set(SwfGradientBits::NumGradients, 4);
    try {
        m.write();
        FAIL() << "a focal gradient short of records was written";
    } catch (const SwfException& e) {
        EXPECT_STREQ(e.what(), "ValueOutOfRange: fill style 1: a focal gradient names 4 records "
                               "in its NumGradients but holds only 3 (tag 32 DefineShape3, tag "
                               "index 0)");
    }
}

// ---- limits -------------------------------------------------------------------------------

TEST(ShapeLimits, ValuesBeyondTheirFieldsFailTheWriteAndSayWhich) {
    struct Case {
        std::function<std::unique_ptr<SwfTag>()> make;
        const char* expected;
    };
    const auto onePlainFill = [](auto tag) {
        tag->id = 1;
        tag->fillStyles.push_back(solid(1));
        return tag;
    };
    const Case cases[] = {
        {[] { return shape3(list(SwfLine(1, 1), SwfLine(65536, 0))); },
         "edge record 2: a straight edge (65536, 0) needs 18 bits per value, more than the 17 an "
         "edge record holds (deltas from -65536 to 65535 twips) (tag 32 DefineShape3, tag index "
         "0)"},
        {[] { return shape3(list(SwfLine(0, -65537))); },
         "edge record 1: a straight edge (0, -65537) needs 18 bits per value, more than the 17 "
         "an edge record holds (deltas from -65536 to 65535 twips) (tag 32 DefineShape3, tag "
         "index 0)"},
        {[] { return shape3(list(SwfCurve(0, 0, 0, 70000))); },
         "edge record 1: a curved edge (0, 0, 0, 70000) needs 18 bits per value, more than the "
         "17 an edge record holds (deltas from -65536 to 65535 twips) (tag 32 DefineShape3, tag "
         "index 0)"},
        {[] {
             return shape3(list(change([](SwfStyleChange& c) {
                 c.move = true, c.moveDX = -(1 << 30), c.moveDY = 1 << 30;
             })));
         },
         "edge record 1: a move to (-1073741824, 1073741824) needs 32 bits per coordinate, more "
         "than the 31 a move holds (tag 32 DefineShape3, tag index 0)"},
        {[&] {
             auto tag = onePlainFill(std::make_unique<SwfTagDefineShape3>());
             tag->records = list(change([](SwfStyleChange& c) { c.setFill0 = true, c.fill0 = 2; }));
             return tag;
         },
         "edge record 1: SetFill0 index 2 names no style: the fill style array in force has 1 "
         "entry (tag 32 DefineShape3, tag index 0)"},
        {[] {
             return shape3(list(change([](SwfStyleChange& c) { c.setLine = true, c.line = 1; })));
         },
         "edge record 1: SetLine index 1 names no style: the line style array in force has 0 "
         "entries (tag 32 DefineShape3, tag index 0)"},
        {[] {
             auto tag = std::make_unique<SwfTagDefineShape>();
             tag->records = list(change([](SwfStyleChange& c) { c.newStyles = true; }));
             return tag;
         },
         "edge record 1: a style change with NewStyles, which only DefineShape2 and later can "
         "hold (tag 2 DefineShape, tag index 0)"},
        {[] {
             auto tag = std::make_unique<SwfTagDefineShape3>();
             auto bitmap = std::make_unique<SwfBitmapFillStyle>();
             bitmap->type = 0x44;
             tag->fillStyles.push_back(std::move(bitmap));
             return tag;
         },
         "fill style 1: a BitmapFillStyle of type 0x44, which names no bitmap fill kind (Tiled, "
         "Clipped, NonSmoothedTiled, NonSmoothedClipped) (tag 32 DefineShape3, tag index 0)"},
        {[] {
             auto tag = std::make_unique<SwfTagDefineShape4>();
             auto line = std::make_unique<SwfLineStyle2>();
             line->set(SwfLineFlags::HasFill, 1);
             tag->lineStyles.push_back(std::move(line));
             return tag;
         },
         "line style 1: an extended line style has HasFill set but no fill style (tag 83 "
         "DefineShape4, tag index 0)"},
        {[] {
             auto tag = std::make_unique<SwfTagDefineShape4>();
             tag->lineStyles.push_back(std::make_unique<SwfLineStyle>());
             return tag;
         },
         "line style 1 is a plain line style where DefineShape4 needs extended ones (tag 83 "
         "DefineShape4, tag index 0)"},
        {[] {
             auto tag = std::make_unique<SwfTagDefineShape3>();
             for (int i = 0; i < 32768; ++i)
                 tag->fillStyles.push_back(solid(0));
             return tag;
         },
         "style arrays of 32768 fill and 0 line styles need indices of more than the 15 bits a "
         "shape's edge records can hold (at most 32767 entries) (tag 32 DefineShape3, tag index "
         "0)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(writeFailure(c.make()), std::string("ValueOutOfRange: ") + c.expected);

    // The extremes that fit are written.
    EXPECT_EQ(writeFailure(shape3(list(SwfLine(65535, -65536), SwfCurve(-65536, 0, 0, 65535)))),
              "");
    EXPECT_EQ(writeFailure(shape3(list(change([](SwfStyleChange& c) {
                  c.move = true, c.moveDX = (1 << 30) - 1, c.moveDY = -(1 << 30);
              })))),
              "");
}
