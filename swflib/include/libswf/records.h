// The small records that many tags embed: rectangle, matrix, colour, colour transform and
// string, with their binary forms and sizes.
#pragma once

#include "libswf/stream.h"
#include "libswf/vector.h"

#include <cstdint>
#include <string>

namespace libswf {

// The records below are written with the fewest bits that hold their values, except where a
// file gave a width of its own: authoring tools often write other widths (a rectangle of
// zeros in 0 bits, a zero translation in 1-bit fields, an empty colour transform with a width
// of 1). Reading keeps such a width only when it differs from the fewest bits, and writing
// uses it again while it still holds every value of its field, so that those records come
// back byte for byte and an edited value never makes a record unreadable. A record built in
// code has no given width.

// A rectangle in twips.
class SwfRect : public SwfStruct {
public:
    SwfRect() = default;
    SwfRect(std::int32_t xmin, std::int32_t ymin, std::int32_t xmax, std::int32_t ymax)
        : xmin(xmin), ymin(ymin), xmax(xmax), ymax(ymax) {}

    std::int32_t xmin = 0;
    std::int32_t ymin = 0;
    std::int32_t xmax = 0;
    std::int32_t ymax = 0;
    std::uint8_t givenBits = NotGivenBits; // the width the file gave, 0 to 31

    void read(SwfIStream& is);
    // Throws ValueOutOfRange when a value needs more than 31 bits.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;

    // The values only: a rectangle is the same whatever width it was stored in.
    bool operator==(const SwfRect& other) const {
        return xmin == other.xmin && ymin == other.ymin && xmax == other.xmax && ymax == other.ymax;
    }

private:
    unsigned bitCount() const;
};

using SwfRects = SwfPtrVector<SwfRect>;

// A 2x3 affine matrix: scale and rotate/skew terms in 16.16 fixed point, translations in
// twips. The third row of the 3x3 form is implied. The terms are held as doubles and the
// translations as integers, so that every value a movie can hold survives reading and
// writing exactly (a float keeps only 24 significant bits).
class SwfMatrix : public SwfStruct {
public:
    double scaleX = 1.0;
    double rotateSkew1 = 0.0;
    std::int32_t translateX = 0;
    double rotateSkew0 = 0.0;
    double scaleY = 1.0;
    std::int32_t translateY = 0;
    bool hasScale = false;
    bool hasRotate = false;
    // The widths the file gave for each pair, 0 to 31; those of scale and rotation count only
    // while their pair is present.
    std::uint8_t givenScaleBits = NotGivenBits;
    std::uint8_t givenRotateBits = NotGivenBits;
    std::uint8_t givenTranslateBits = NotGivenBits;

    void read(SwfIStream& is);
    // Throws ValueOutOfRange when a term does not fit its fixed-point field.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;

private:
    struct Fields {
        std::int32_t scale[2], rotate[2], translate[2];
        unsigned scaleBits, rotateBits, translateBits;
    };
    Fields fields() const;
};

// A colour; whether alpha takes part in the binary form is the stream's alpha flag.
struct SwfColor : public SwfStruct {
    SwfColor() = default;
    SwfColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 0)
        : r(r), g(g), b(b), a(a) {}

    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;

    void read(SwfIStream& is);
    std::uint32_t computeSize(const SwfStream& ctx) const { return ctx.alpha ? 4 : 3; }
    void write(SwfOStream& os) const;
};

// Multiplication terms (8.8 fixed point) and addition terms; the alpha terms take part in
// the binary form only under the stream's alpha flag.
class SwfColorTransform : public SwfStruct {
public:
    bool hasAdd = false;
    bool hasMult = false;
    std::int16_t mulR = 0, mulG = 0, mulB = 0, mulA = 0;
    std::int16_t addR = 0, addG = 0, addB = 0, addA = 0;
    // The width the file gave for the terms, 0 to 15; it must hold the alpha terms too
    // wherever they take part.
    std::uint8_t givenBits = NotGivenBits;

    void read(SwfIStream& is);
    // Throws ValueOutOfRange when a term needs more than the 15 bits a 4-bit width allows.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;

private:
    unsigned bitCount(const SwfStream& ctx) const;
};

// A zero-terminated byte string. The text holds the bytes before the terminator and is
// never transcoded; the binary form is always the text plus one zero byte, so a string
// that was never given is written as an empty string rather than as nothing.
class SwfString : public SwfStruct {
public:
    SwfString() = default;
    explicit SwfString(std::string text) : text(std::move(text)) {}

    std::string text;

    void read(SwfIStream& is) { is.readString(*this); }
    // Throws ValueOutOfRange when the text holds a zero byte, which would end it early.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const { os.writeString(*this); }
};

using SwfStrings = SwfPtrVector<SwfString>;

} // namespace libswf
