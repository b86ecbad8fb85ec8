// Byte and bit streams: exact bytes of every writer, the readers' inverse, and truncation.
#include "libswf/exception.h"
#include "libswf/records.h"
#include "libswf/stream.h"
#include "swf_bytes.h"

#include <gtest/gtest.h>

using namespace libswf;
using vorn::test::Bytes;
using vorn::test::hex;
using vorn::test::toHex;

namespace {

template <class F>
std::string written(F&& write) {
    SwfOStream os(0); // starts empty: every write must grow the buffer correctly
    write(os);
    const SwfBuffer buffer = os.take();
    return toHex(buffer.data(), buffer.size());
}

template <class F>
std::uint32_t errorCode(F&& f) {
    try {
        f();
    } catch (const SwfException& e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST(BitWriter, PacksMostSignificantBitFirstAndPadsWithZeros) {
    EXPECT_EQ(written([](SwfOStream& os) {
                  os.writeBits(3, static_cast<std::uint32_t>(-1));
                  os.flushBits();
              }),
              "e0"); // 111 then padding
    EXPECT_EQ(written([](SwfOStream& os) {
                  os.writeBits(5, 2);
                  os.flushBits();
              }),
              "10"); // 00010
    EXPECT_EQ(written([](SwfOStream& os) {
                  os.writeBits(8, 0xA5);
                  os.flushBits();
              }),
              "a5"); // exactly one byte, no padding byte
    EXPECT_EQ(written([](SwfOStream& os) { os.flushBits(); }), "");
    EXPECT_EQ(written([](SwfOStream& os) {
                  os.writeBits(0, 0xFFFFFFFF);
                  os.flushBits();
              }),
              "");
    // Fields straddle byte boundaries; only the low n bits of the value count.
    EXPECT_EQ(written([](SwfOStream& os) {
                  os.writeBits(1, 1);
                  os.writeBits(12, 0xFABC);
                  os.writeBits(32, 0x80000001);
                  os.flushBits();
                  os.writeU8(0x42);
              }),
              "d5 e4 00 00 00 08 42");
}

TEST(BitReader, ReadsUnsignedAndSignExtendedFields) {
    const Bytes data = hex("d5 e4 00 00 00 08 42");
    SwfIStream is(data);
    EXPECT_EQ(is.readBits(1), 1u);
    EXPECT_EQ(is.readBits(12), 0xABCu);
    EXPECT_EQ(is.readBits(32), 0x80000001u);
    is.alignBits();
    EXPECT_EQ(is.readU8(), 0x42);

    const Bytes signs = hex("80 ff c0 00 00 00 00");
    SwfIStream s(signs);
    EXPECT_EQ(s.readSignedBits(8), -128); // 1 then zeros: -2^(n-1)
    EXPECT_EQ(s.readSignedBits(8), -1);   // all ones
    EXPECT_EQ(s.readSignedBits(1), -1);   // a 1-bit field is 0 or -1
    EXPECT_EQ(s.readSignedBits(1), -1);
    EXPECT_EQ(s.readSignedBits(1), 0);
    EXPECT_EQ(s.readSignedBits(0), 0); // consumes nothing
    s.alignBits();
    EXPECT_EQ(s.readSignedBits(32), 0);
}

TEST(BitReader, FieldPastTheEndThrowsUnexpectedEnd) {
    const Bytes data = hex("ff");
    SwfIStream is(data);
    EXPECT_EQ(is.readBits(7), 0x7Fu);
    EXPECT_EQ(errorCode([&] { is.readBits(2); }), SwfException::UnexpectedEnd);
}

TEST(EncodedU32, WritesOneToFiveBytesAndReadsThemBack) {
    const struct {
        std::uint32_t value;
        const char* bytes;
    } cases[] = {
        {0, "00"},
        {127, "7f"},
        {128, "80 01"},
        {16383, "ff 7f"},
        {16384, "80 80 01"},
        {0x0FFFFFFF, "ff ff ff 7f"},
        {0xFFFFFFFF, "ff ff ff ff 0f"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(written([&](SwfOStream& os) { os.writeEncodedU32(c.value); }), c.bytes);
        Bytes data = hex(c.bytes);
        data.push_back(0x99); // must not be consumed
        SwfIStream is(data);
        EXPECT_EQ(is.readEncodedU32(), c.value) << c.bytes;
        EXPECT_EQ(is.position(), data.size() - 1) << c.bytes;
    }
}

TEST(EncodedU32, FifthByteEndsTheValueEvenWithItsHighBitSet) {
    const Bytes data = hex("ff ff ff ff ff 01");
    SwfIStream is(data);
    EXPECT_EQ(is.readEncodedU32(), 0xFFFFFFFFu);
    EXPECT_EQ(is.position(), 5u);
    const Bytes cut = hex("80 80");
    SwfIStream truncated(cut);
    EXPECT_EQ(errorCode([&] { truncated.readEncodedU32(); }), SwfException::UnexpectedEnd);
}

TEST(ByteReader, ReadsLittleEndianAndRefusesWithoutMoving) {
    const Bytes data = hex("01 02 03 04 05 06 07");
    SwfIStream is(data);
    EXPECT_EQ(is.readU8(), 0x01);
    EXPECT_EQ(is.readU16(), 0x0302);
    EXPECT_EQ(is.readU32(), 0x07060504u);
    EXPECT_EQ(errorCode([&] { is.readU8(); }), SwfException::UnexpectedEnd);

    SwfIStream one(std::span<const std::uint8_t>(data).first(1));
    EXPECT_EQ(errorCode([&] { one.readU16(); }), SwfException::UnexpectedEnd);
    EXPECT_EQ(one.position(), 0u);
    EXPECT_EQ(errorCode([&] { one.readU32(); }), SwfException::UnexpectedEnd);
    EXPECT_EQ(one.position(), 0u);

    SwfIStream blocks(data);
    std::uint16_t units[2];
    blocks.readBytes16(units, 2);
    EXPECT_EQ(units[0], 0x0201);
    EXPECT_EQ(units[1], 0x0403);
    blocks.readBytes(nullptr, 2); // skip
    EXPECT_EQ(blocks.readU8(), 0x07);
    EXPECT_EQ(errorCode([&] { blocks.readBytes(nullptr, 1); }), SwfException::UnexpectedEnd);
}

TEST(ByteWriter, WritesLittleEndian) {
    EXPECT_EQ(written([](SwfOStream& os) {
                  os.writeU8(0xAB);
                  os.writeU16(0x1234);
                  os.writeU32(0xDEADBEEF);
                  os.writeBytes("xy", 2);
              }),
              "ab 34 12 ef be ad de 78 79");
}

TEST(Strings, ReadUpToTheZeroAndWriteWithIt) {
    const Bytes data = hex("61 62 00 00 63");
    SwfIStream is(data);
    SwfString a, empty, unterminated;
    is.readString(a);
    EXPECT_EQ(a.text, "ab");
    EXPECT_EQ(a.computeSize(is), 3u);
    is.readString(empty); // a lone zero byte is an empty string of size 1
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.computeSize(is), 1u);
    EXPECT_EQ(errorCode([&] { is.readString(unterminated); }), SwfException::UnexpectedEnd);
    EXPECT_EQ(is.position(), 4u);

    // A string that was never given is still written as a terminated empty string.
    EXPECT_EQ(written([](SwfOStream& os) { os.writeString(SwfString()); }), "00");
    EXPECT_EQ(written([](SwfOStream& os) { os.writeString(SwfString("\x01\xff<")); }),
              "01 ff 3c 00");
    // A zero byte inside the text would cut the string short: refused by the size pass.
    SwfString inner(std::string("a\0b", 3));
    EXPECT_EQ(errorCode([&] { inner.computeSize(SwfSizeContext(8)); }),
              SwfException::ValueOutOfRange);
}

TEST(Bounds, ReadsStopAtTheLimitAndTheLimitIsRestored) {
    const Bytes data = hex("01 02 03 04 00");
    SwfIStream is(data);
    {
        SwfIStream::Bound bound(is, 2);
        EXPECT_EQ(is.remaining(), 2u);
        EXPECT_EQ(is.readU16(), 0x0201);
        EXPECT_EQ(errorCode([&] { is.readU8(); }), SwfException::UnexpectedEnd);
        SwfString s;
        EXPECT_EQ(errorCode([&] { is.readString(s); }), SwfException::UnexpectedEnd);
    }
    EXPECT_EQ(is.limit(), data.size());
    EXPECT_EQ(is.readU8(), 0x03);
}

TEST(BitCounts, SignedWidthsCountSignAndMagnitude) {
    const std::int32_t zeros[] = {0, 0, 0, 0};
    EXPECT_EQ(signedBitCount(zeros), 2u);
    const std::int32_t one[] = {1};
    EXPECT_EQ(signedBitCount(one), 2u);
    const std::int32_t two[] = {2};
    EXPECT_EQ(signedBitCount(two), 3u);
    const std::int32_t minusThree[] = {-3};
    EXPECT_EQ(signedBitCount(minusThree), 3u);
    const std::int32_t minusOne[] = {-1};
    EXPECT_EQ(signedBitCount(minusOne), 2u);
    const std::int32_t mixed[] = {5, -300, 17};
    EXPECT_EQ(signedBitCount(mixed), 10u);
    const std::int32_t extreme[] = {INT32_MIN};
    EXPECT_EQ(signedBitCount(extreme), 32u);

    EXPECT_EQ(pairBitCount(0, 0), 0u);
    EXPECT_EQ(pairBitCount(0, -1), 2u);
    EXPECT_EQ(pairBitCount(65536, 65536), 18u);
    EXPECT_EQ(unsignedBitCount(0), 0u);
    EXPECT_EQ(unsignedBitCount(255), 8u);
    EXPECT_EQ(unsignedBitCount(256), 9u);
}
