#include "libswf/records.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <cmath>
#include <cstring>

namespace libswf {

namespace {

std::uint32_t bitsToBytes(std::uint32_t bits) {
    return ((bits - 1) >> 3) + 1;
}

// Truncates a float toward zero into a 32-bit fixed-point field, refusing what does not fit
// rather than writing an arbitrary value.
std::int32_t toFixed(double value, const char* what) {
    const double scaled = std::trunc(value * 65536.0);
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0))
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " " + std::to_string(value) +
                               " does not fit its fixed-point field");
    return static_cast<std::int32_t>(scaled);
}

void checkWidth(unsigned bits, unsigned maxBits, const char* what) {
    if (bits > maxBits)
        throw SwfException(SwfException::ValueOutOfRange, std::string(what) + " needs " +
                                                              std::to_string(bits) +
                                                              " bits per value, more than its " +
                                                              std::to_string(maxBits) + " allowed");
}

} // namespace

// ---- rectangle ------------------------------------------------------------------------------

unsigned SwfRect::bitCount() const {
    const std::int32_t values[4] = {xmin, xmax, ymin, ymax};
    const unsigned n = givenOrRuleBits(givenBits, 0, 31, values, signedBitCount(values));
    checkWidth(n, 31, "a rectangle");
    return n;
}

void SwfRect::read(SwfIStream& is) {
    const unsigned n = is.readBits(5);
    xmin = is.readSignedBits(n);
    xmax = is.readSignedBits(n);
    ymin = is.readSignedBits(n);
    ymax = is.readSignedBits(n);
    is.alignBits();
    const std::int32_t values[4] = {xmin, xmax, ymin, ymax};
    givenBits = keptBits(n, signedBitCount(values));
}

std::uint32_t SwfRect::computeSize(const SwfStream&) const {
    return ((4 * bitCount() + 5) >> 3) + 1;
}

void SwfRect::write(SwfOStream& os) const {
    const unsigned n = bitCount();
    os.writeBits(5, n);
    os.writeBits(n, static_cast<std::uint32_t>(xmin));
    os.writeBits(n, static_cast<std::uint32_t>(xmax));
    os.writeBits(n, static_cast<std::uint32_t>(ymin));
    os.writeBits(n, static_cast<std::uint32_t>(ymax));
    os.flushBits();
}

// ---- matrix ---------------------------------------------------------------------------------

SwfMatrix::Fields SwfMatrix::fields() const {
    Fields f{};
    if (hasScale) {
        f.scale[0] = toFixed(scaleX, "a matrix scale");
        f.scale[1] = toFixed(scaleY, "a matrix scale");
        f.scaleBits =
            givenOrRuleBits(givenScaleBits, 0, 31, f.scale, pairBitCount(f.scale[0], f.scale[1]));
        checkWidth(f.scaleBits, 31, "a matrix scale");
    }
    if (hasRotate) {
        f.rotate[0] = toFixed(rotateSkew0, "a matrix rotation");
        f.rotate[1] = toFixed(rotateSkew1, "a matrix rotation");
        f.rotateBits = givenOrRuleBits(givenRotateBits, 0, 31, f.rotate,
                                       pairBitCount(f.rotate[0], f.rotate[1]));
        checkWidth(f.rotateBits, 31, "a matrix rotation");
    }
    f.translate[0] = translateX;
    f.translate[1] = translateY;
    f.translateBits = givenOrRuleBits(givenTranslateBits, 0, 31, f.translate,
                                      pairBitCount(f.translate[0], f.translate[1]));
    checkWidth(f.translateBits, 31, "a matrix translation");
    return f;
}

void SwfMatrix::read(SwfIStream& is) {
    // Reads a pair and the width it was given in.
    auto pair = [&is](std::int32_t& a, std::int32_t& b) {
        const unsigned n = is.readBits(5);
        a = is.readSignedBits(n);
        b = is.readSignedBits(n);
        return keptBits(n, pairBitCount(a, b));
    };
    std::int32_t first = 0, second = 0;
    givenScaleBits = givenRotateBits = NotGivenBits;
    hasScale = is.readBits(1) != 0;
    if (hasScale) {
        givenScaleBits = pair(first, second);
        scaleX = first / 65536.0;
        scaleY = second / 65536.0;
    }
    hasRotate = is.readBits(1) != 0;
    if (hasRotate) {
        givenRotateBits = pair(first, second);
        rotateSkew0 = first / 65536.0;
        rotateSkew1 = second / 65536.0;
    }
    givenTranslateBits = pair(translateX, translateY);
    is.alignBits();
}

std::uint32_t SwfMatrix::computeSize(const SwfStream&) const {
    const Fields f = fields();
    std::uint32_t bits = 7 + 2 * f.translateBits;
    if (hasScale)
        bits += 5 + 2 * f.scaleBits;
    if (hasRotate)
        bits += 5 + 2 * f.rotateBits;
    return bitsToBytes(bits);
}

void SwfMatrix::write(SwfOStream& os) const {
    const Fields f = fields();
    auto pair = [&os](unsigned n, const std::int32_t values[2]) {
        os.writeBits(5, n);
        os.writeBits(n, static_cast<std::uint32_t>(values[0]));
        os.writeBits(n, static_cast<std::uint32_t>(values[1]));
    };
    os.writeBits(1, hasScale);
    if (hasScale)
        pair(f.scaleBits, f.scale);
    os.writeBits(1, hasRotate);
    if (hasRotate)
        pair(f.rotateBits, f.rotate);
    pair(f.translateBits, f.translate);
    os.flushBits();
}

// ---- colour ---------------------------------------------------------------------------------

void SwfColor::read(SwfIStream& is) {
    r = is.readU8();
    g = is.readU8();
    b = is.readU8();
    if (is.alpha)
        a = is.readU8();
}

void SwfColor::write(SwfOStream& os) const {
    os.writeU8(r);
    os.writeU8(g);
    os.writeU8(b);
    if (os.alpha)
        os.writeU8(a);
}

// ---- colour transform -----------------------------------------------------------------------

namespace {

// The terms written under the stream's alpha flag, in their order; returns their count.
std::size_t writtenTerms(const SwfColorTransform& t, bool alpha, std::int32_t (&terms)[8]) {
    std::size_t count = 0;
    if (t.hasMult) {
        terms[count++] = t.mulR;
        terms[count++] = t.mulG;
        terms[count++] = t.mulB;
        if (alpha)
            terms[count++] = t.mulA;
    }
    if (t.hasAdd) {
        terms[count++] = t.addR;
        terms[count++] = t.addG;
        terms[count++] = t.addB;
        if (alpha)
            terms[count++] = t.addA;
    }
    return count;
}

// The fewest bits the terms need: none without terms.
unsigned termBits(std::span<const std::int32_t> terms) {
    return terms.empty() ? 0 : signedBitCount(terms);
}

} // namespace

unsigned SwfColorTransform::bitCount(const SwfStream& ctx) const {
    std::int32_t terms[8];
    const std::span<const std::int32_t> written(terms, writtenTerms(*this, ctx.alpha, terms));
    const unsigned n = givenOrRuleBits(givenBits, 0, 15, written, termBits(written));
    checkWidth(n, 15, "a colour transform");
    return n;
}

void SwfColorTransform::read(SwfIStream& is) {
    hasAdd = is.readBits(1) != 0;
    hasMult = is.readBits(1) != 0;
    const unsigned n = is.readBits(4);
    auto term = [&is, n] { return static_cast<std::int16_t>(is.readSignedBits(n)); };
    if (hasMult) {
        mulR = term();
        mulG = term();
        mulB = term();
        if (is.alpha)
            mulA = term();
    }
    if (hasAdd) {
        addR = term();
        addG = term();
        addB = term();
        if (is.alpha)
            addA = term();
    }
    is.alignBits();
    std::int32_t terms[8];
    givenBits = keptBits(n, termBits({terms, writtenTerms(*this, is.alpha, terms)}));
}

std::uint32_t SwfColorTransform::computeSize(const SwfStream& ctx) const {
    const unsigned n = bitCount(ctx);
    const unsigned group = (ctx.alpha ? 4 : 3) * n;
    return bitsToBytes(6 + (hasMult ? group : 0) + (hasAdd ? group : 0));
}

void SwfColorTransform::write(SwfOStream& os) const {
    const unsigned n = bitCount(os);
    os.writeBits(1, hasAdd);
    os.writeBits(1, hasMult);
    os.writeBits(4, n);
    auto group = [&os, n](std::int16_t r, std::int16_t g, std::int16_t b, std::int16_t a) {
        os.writeBits(n, static_cast<std::uint32_t>(r));
        os.writeBits(n, static_cast<std::uint32_t>(g));
        os.writeBits(n, static_cast<std::uint32_t>(b));
        if (os.alpha)
            os.writeBits(n, static_cast<std::uint32_t>(a));
    };
    if (hasMult)
        group(mulR, mulG, mulB, mulA);
    if (hasAdd)
        group(addR, addG, addB, addA);
    os.flushBits();
}

// ---- string ---------------------------------------------------------------------------------

std::uint32_t SwfString::computeSize(const SwfStream&) const {
    const std::uint32_t size = checkedLength(std::uint64_t{text.size()} + 1, "a string");
    if (std::memchr(text.data(), 0, text.size()))
        throw SwfException(SwfException::ValueOutOfRange,
                           "a string holds a zero byte, which would end it early");
    return size;
}

} // namespace libswf
