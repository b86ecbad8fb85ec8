// Basic records: each row is a record built in code and its exact bytes, checked both ways
// (write gives the bytes, reading the bytes gives the record back and consumes them all).
#include "libswf/control.h"
#include "libswf/exception.h"
#include "libswf/records.h"
#include "swf_bytes.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace libswf;
using vorn::test::Bytes;
using vorn::test::hex;
using vorn::test::toHex;

namespace {

// Writes a record with the size pass first, checking that both agree.
template <class R>
std::string encode(const R& record, bool alpha) {
    SwfSizeContext ctx(8);
    ctx.alpha = alpha;
    const std::uint32_t size = record.computeSize(ctx);
    SwfOStream os(size);
    os.alpha = alpha;
    record.write(os);
    EXPECT_EQ(os.size(), size) << "size pass and write disagree";
    const SwfBuffer out = os.take();
    return toHex(out.data(), out.size());
}

template <class R>
R decode(const std::string& bytes, bool alpha) {
    const Bytes data = hex(bytes);
    SwfIStream is(data);
    is.alpha = alpha;
    R record;
    record.read(is);
    EXPECT_EQ(is.position(), data.size()) << "reading " << bytes << " left bytes unread";
    return record;
}

template <class R>
std::uint32_t sizeError(const R& record, bool alpha = false) {
    SwfSizeContext ctx(8);
    ctx.alpha = alpha;
    try {
        record.computeSize(ctx);
    } catch (const SwfException& e) {
        return e.code();
    }
    return 0;
}

SwfMatrix matrix(std::function<void(SwfMatrix&)> set) {
    SwfMatrix m;
    set(m);
    return m;
}

SwfColorTransform cxform(std::function<void(SwfColorTransform&)> set) {
    SwfColorTransform c;
    set(c);
    return c;
}

bool sameMatrix(const SwfMatrix& a, const SwfMatrix& b) {
    return a.hasScale == b.hasScale && a.hasRotate == b.hasRotate && a.scaleX == b.scaleX &&
           a.scaleY == b.scaleY && a.rotateSkew0 == b.rotateSkew0 &&
           a.rotateSkew1 == b.rotateSkew1 && a.translateX == b.translateX &&
           a.translateY == b.translateY;
}

bool sameCxform(const SwfColorTransform& a, const SwfColorTransform& b, bool alpha) {
    return a.hasAdd == b.hasAdd && a.hasMult == b.hasMult && a.mulR == b.mulR && a.mulG == b.mulG &&
           a.mulB == b.mulB && a.addR == b.addR && a.addG == b.addG && a.addB == b.addB &&
           (!alpha || (a.mulA == b.mulA && a.addA == b.addA));
}

} // namespace

TEST(Rect, VectorsBothWays) {
    const struct {
        SwfRect rect;
        const char* bytes;
    } rows[] = {
        {{0, 0, 0, 0}, "10 00"}, // all zero still takes n = 2
        {{0, 0, 11000, 8000}, "78 00 05 5f 00 00 0f a0 00"},
        {{-1, -20, 1000, 20}, "5f ff 7d 1f b0 0a 00"},
        {{0, 0, 1, 0}, "10 80"}, // written in the order Xmin, Xmax, Ymin, Ymax
    };
    for (const auto& row : rows) {
        EXPECT_EQ(encode(row.rect, false), row.bytes);
        EXPECT_TRUE(decode<SwfRect>(row.bytes, false) == row.rect) << row.bytes;
    }
}

TEST(Rect, ValuesBeyond31BitsAreRefused) {
    EXPECT_EQ(sizeError(SwfRect(std::numeric_limits<std::int32_t>::min(), 0, 0, 0)),
              SwfException::ValueOutOfRange);
    EXPECT_EQ(sizeError(SwfRect(0, 0, (1 << 30) - 1, 0)), 0u); // 31 bits still fit
}

// Widths other than the fewest bits, as authoring tools write them, come back byte for byte;
// one that no longer holds an edited value gives way to the fewest bits.
TEST(Rect, KeepsTheWidthAFileGaveWhileItHoldsTheValues) {
    const struct {
        const char* bytes;
        std::uint8_t given;
    } rows[] = {
        {"00", 0},               // zeros in no bits at all
        {"28 00 00 00", 5},      // zeros in 5 bits
        {"0d 00", 1},            // -1 and 0 fit one bit
        {"10 00", NotGivenBits}, // the fewest bits: nothing to keep
    };
    for (const auto& row : rows) {
        const SwfRect rect = decode<SwfRect>(row.bytes, false);
        EXPECT_EQ(rect.givenBits, row.given) << row.bytes;
        EXPECT_EQ(encode(rect, false), row.bytes);
    }
    SwfRect edited = decode<SwfRect>("0d 00", false);
    EXPECT_TRUE(edited == SwfRect(-1, -1, 0, 0)); // the width takes no part in equality
    edited.xmax = 1;                              // beyond one bit
    EXPECT_EQ(encode(edited, false), "16 e0");
    edited = decode<SwfRect>("00", false);
    edited.xmax = 1;
    EXPECT_EQ(encode(edited, false), "10 80");
    SwfRect tooWide;
    tooWide.givenBits = 32; // more than the 5-bit width field holds
    EXPECT_EQ(encode(tooWide, false), "10 00");
}

TEST(Matrix, VectorsBothWays) {
    const struct {
        SwfMatrix matrix;
        const char* bytes;
    } rows[] = {
        {SwfMatrix(), "00"}, // identity: no scale, no rotate, translate width 0
        {matrix([](SwfMatrix& m) { m.hasScale = true; }), "c9 00 00 40 00 00"},
        {matrix([](SwfMatrix& m) {
             m.hasScale = true;
             m.scaleX = 1.5f;
             m.scaleY = -1.0f;
             m.hasRotate = true;
             m.rotateSkew0 = -0.25f;
             m.rotateSkew1 = 0.5f;
             m.translateX = -1000;
             m.translateY = 1500;
         }),
         "c9 80 00 c0 00 31 e0 00 20 00 19 83 0b b8"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(encode(row.matrix, false), row.bytes);
        EXPECT_TRUE(sameMatrix(decode<SwfMatrix>(row.bytes, false), row.matrix)) << row.bytes;
    }
}

TEST(Matrix, KeepsEveryValueExactlyAndRefusesWhatDoesNotFit) {
    // Values beyond a float's 24 significant bits survive reading and writing exactly.
    const SwfMatrix fine = matrix([](SwfMatrix& m) {
        m.hasRotate = true;
        m.rotateSkew0 = 1073741823 / 65536.0;
        m.rotateSkew1 = -1073741824 / 65536.0;
        m.translateX = 16777217;
        m.translateY = -1073741821;
    });
    const std::string bytes = encode(fine, false);
    EXPECT_TRUE(sameMatrix(decode<SwfMatrix>(bytes, false), fine));
    EXPECT_EQ(sizeError(matrix([](SwfMatrix& m) {
                  m.hasScale = true;
                  m.scaleX = 40000.0f; // 40000 * 65536 passes 2^31
              })),
              SwfException::ValueOutOfRange);
    EXPECT_EQ(sizeError(matrix([](SwfMatrix& m) {
                  m.hasScale = true;
                  m.scaleY = std::numeric_limits<double>::quiet_NaN();
              })),
              SwfException::ValueOutOfRange);
    EXPECT_EQ(sizeError(matrix([](SwfMatrix& m) {
                  m.hasRotate = true;
                  m.rotateSkew0 = -std::numeric_limits<double>::infinity();
              })),
              SwfException::ValueOutOfRange);
}

// Each pair keeps its own width; a pair that is absent has none to keep.
TEST(Matrix, KeepsTheWidthsAFileGaveForEachPair) {
    const struct {
        const char* bytes;
        std::uint8_t scale, rotate, translate;
    } rows[] = {
        {"02 00", NotGivenBits, NotGivenBits, 1}, // a zero translation in 1-bit fields
        {"03 00", NotGivenBits, NotGivenBits, 1}, // -1 and 0 in 1-bit fields
        // Scale 1.0 in 20 bits rather than 18, rotation zeros in 3 bits rather than none.
        {"d0 40 00 04 00 02 30 00", 20, 3, NotGivenBits},
        {"c9 00 00 40 00 00", NotGivenBits, NotGivenBits, NotGivenBits},
    };
    for (const auto& row : rows) {
        const SwfMatrix m = decode<SwfMatrix>(row.bytes, false);
        EXPECT_EQ(m.givenScaleBits, row.scale) << row.bytes;
        EXPECT_EQ(m.givenRotateBits, row.rotate) << row.bytes;
        EXPECT_EQ(m.givenTranslateBits, row.translate) << row.bytes;
        EXPECT_EQ(encode(m, false), row.bytes);
    }
    SwfMatrix edited = decode<SwfMatrix>("d0 40 00 04 00 02 30 00", false);
    edited.scaleX = 16.0; // 2^20 in 16.16 needs 22 bits; the rotation keeps its 3
    EXPECT_EQ(encode(edited, false), "d9 00 00 00 40 00 23 00 00");
    edited = decode<SwfMatrix>("d0 40 00 04 00 02 30 00", false);
    edited.rotateSkew0 = 0.5; // needs 17 bits; the scale keeps its 20
    EXPECT_EQ(encode(edited, false), "d0 40 00 04 00 03 14 00 00 00 00 00");
    edited = decode<SwfMatrix>("03 00", false);
    edited.translateY = 1;
    EXPECT_EQ(encode(edited, false), "05 a0");
    const SwfMatrix absent = matrix([](SwfMatrix& m) { m.givenScaleBits = m.givenRotateBits = 5; });
    EXPECT_EQ(encode(absent, false), "00");
}

TEST(Color, AlphaFlagDecidesTheFourthByte) {
    const SwfColor c(0x12, 0x34, 0x56, 0x78);
    EXPECT_EQ(encode(c, false), "12 34 56");
    EXPECT_EQ(encode(c, true), "12 34 56 78");
    const SwfColor rgb = decode<SwfColor>("ff 00 80", false);
    EXPECT_EQ(rgb.r, 0xFF);
    EXPECT_EQ(rgb.b, 0x80);
    EXPECT_EQ(rgb.a, 0); // an RGB colour carries no alpha
    EXPECT_EQ(decode<SwfColor>("01 02 03 04", true).a, 4);
}

TEST(ColorTransform, VectorsBothWays) {
    const struct {
        SwfColorTransform cxform;
        bool alpha;
        const char* bytes;
    } rows[] = {
        {SwfColorTransform(), false, "00"}, // neither group: width 0, one byte
        {SwfColorTransform(), true, "00"},
        // The largest term decides the width: 300 needs 10 bits with its sign.
        {cxform([](SwfColorTransform& c) {
             c.hasAdd = true;
             c.addR = 1;
             c.addG = 300;
         }),
         true, "a8 01 4b 00 00 00"},
        // Without the alpha flag the alpha terms are neither counted nor written.
        {cxform([](SwfColorTransform& c) {
             c.hasAdd = c.hasMult = true;
             c.mulR = 256;
             c.mulG = 128;
             c.mulB = -256;
             c.mulA = 16000;
             c.addR = -1;
             c.addB = 255;
             c.addA = -16000;
         }),
         false, "e9 00 20 30 0f fc 00 3f c0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(encode(row.cxform, row.alpha), row.bytes);
        EXPECT_TRUE(
            sameCxform(decode<SwfColorTransform>(row.bytes, row.alpha), row.cxform, row.alpha))
            << row.bytes;
    }
}

TEST(ColorTransform, KeepsTheWidthAFileGaveWhileItHoldsTheTermsWritten) {
    for (const bool alpha : {false, true}) {
        const SwfColorTransform empty = decode<SwfColorTransform>("04", alpha); // no terms, width 1
        EXPECT_EQ(empty.givenBits, 1) << alpha;
        EXPECT_EQ(encode(empty, alpha), "04") << alpha;
    }
    const SwfColorTransform wide = decode<SwfColorTransform>("70 40 04 00 40 00", false);
    EXPECT_EQ(wide.givenBits, 12); // 256 in 12 bits rather than 10
    EXPECT_EQ(encode(wide, false), "70 40 04 00 40 00");
    EXPECT_EQ(decode<SwfColorTransform>("89 00", true).givenBits, NotGivenBits);

    // The alpha term counts only where it is written.
    const auto alphaTerm = cxform([](SwfColorTransform& c) {
        c.hasAdd = true;
        c.addR = 1;
        c.addA = 200;
        c.givenBits = 3;
    });
    EXPECT_EQ(encode(alphaTerm, false), "8c 80");
    EXPECT_EQ(encode(alphaTerm, true), "a4 02 00 00 32 00");

    SwfColorTransform edited = decode<SwfColorTransform>("04", false);
    edited.hasMult = true;
    edited.mulR = 256;
    EXPECT_EQ(encode(edited, false), "69 00 00 00 00");
    SwfColorTransform tooWide;
    tooWide.givenBits = 16; // more than the 4-bit width field holds
    EXPECT_EQ(encode(tooWide, false), "00");
}

TEST(ColorTransform, TermsBeyondFifteenBitsAreRefused) {
    const auto big = cxform([](SwfColorTransform& c) {
        c.hasMult = true;
        c.mulA = 16384;
    });
    EXPECT_EQ(sizeError(big, true), SwfException::ValueOutOfRange);
    EXPECT_EQ(sizeError(big, false), 0u); // the alpha term is not written without alpha
    EXPECT_EQ(sizeError(cxform([](SwfColorTransform& c) {
                  c.hasAdd = true;
                  c.addG = -16384;
              })),
              0u);
}

TEST(Records, TruncatedRecordsThrowUnexpectedEnd) {
    const char* cut[] = {"78 00 05", "c9 00", "e9 00 20"};
    for (const char* bytes : cut) {
        const Bytes data = hex(bytes);
        SwfIStream is(data);
        SwfRect r;
        SwfMatrix m;
        SwfColorTransform c;
        try {
            if (bytes[0] == '7')
                r.read(is);
            else if (bytes[0] == 'c')
                m.read(is);
            else
                c.read(is);
            ADD_FAILURE() << bytes << " was read";
        } catch (const SwfException& e) {
            EXPECT_EQ(e.code(), SwfException::UnexpectedEnd) << bytes;
        }
    }
}

namespace {

// What the system can still give without swapping, from /proc/meminfo.
std::uint64_t availableMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (in >> key >> kib >> unit)
        if (key == "MemAvailable:")
            return kib * 1024;
    return 0;
}

std::string sizeFailure(const std::function<void()>& size) {
    try {
        size();
    } catch (const SwfException& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Records, StringsNear4GiBFailWithTheLengthMessage) {
    // Sizes are counted in 32 bits in the file; a string of 4 GiB must not wrap to a small
    // size that the writer then overruns.
    if (availableMemory() < (std::uint64_t{10} << 30))
        GTEST_SKIP() << "needs about 4 GiB of free memory for the string";
    SwfSizeContext ctx(8);
    SwfString text(std::string(0xFFFFFFFFull, 'a'));
    EXPECT_EQ(sizeFailure([&] { text.computeSize(ctx); }),
              "ValueOutOfRange: a string of 4294967296 bytes does not fit a 32-bit tag length");
    // One byte less fits alone, but not with the byte of a named anchor after it.
    text.text.pop_back();
    SwfTagFrameLabel label;
    label.name = std::move(text);
    label.isAnchor = true;
    EXPECT_EQ(sizeFailure([&] { label.computeSize(ctx); }),
              "ValueOutOfRange: a FrameLabel body of 4294967296 bytes does not fit a 32-bit tag "
              "length");
}
