// The bitmap filters of a placement or a button record: the filter list and its eight filter
// kinds. Colours, fixed-point values and flag bytes are kept as the words the file holds, so
// that every bit a movie sets comes back as it was read.
#pragma once

#include "libswf/stream.h"
#include "libswf/vector.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace libswf {

// The body of one filter, without its id byte.
class SwfGenericFilter : public SwfStruct {
public:
    // The body's byte count. Throws ValueOutOfRange when the body cannot be written.
    virtual std::uint32_t computeSize(const SwfStream& ctx) const = 0;
    virtual void read(SwfIStream& is) = 0;
    virtual void write(SwfOStream& os) const = 0;
};

// Colours are 32-bit words with red in the low byte and alpha in the high byte; BlurX, BlurY,
// Angle and Distance are 16.16 fixed words and Strength an 8.8 fixed word.
class SwfDropShadowFilter : public SwfGenericFilter {
public:
    std::uint32_t color = 0;
    std::uint32_t blurX = 0;
    std::uint32_t blurY = 0;
    std::uint32_t angle = 0;
    std::uint32_t distance = 0;
    std::uint16_t strength = 0;
    std::uint8_t flags = 0; // passes 0..4, inner shadow 5, knockout 6, composite source 7

    std::uint32_t computeSize(const SwfStream&) const override { return 23; }
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;
};

class SwfBlurFilter : public SwfGenericFilter {
public:
    std::uint32_t blurX = 0;
    std::uint32_t blurY = 0;
    std::uint8_t flags = 0; // passes 3..7, bits 0..2 reserved

    std::uint32_t computeSize(const SwfStream&) const override { return 9; }
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;
};

class SwfGlowFilter : public SwfGenericFilter {
public:
    std::uint32_t color = 0;
    std::uint32_t blurX = 0;
    std::uint32_t blurY = 0;
    std::uint16_t strength = 0;
    std::uint8_t flags = 0; // as the drop shadow's

    std::uint32_t computeSize(const SwfStream&) const override { return 15; }
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;
};

class SwfBevelFilter : public SwfGenericFilter {
public:
    std::uint32_t shadowColor = 0;
    std::uint32_t highlightColor = 0;
    std::uint32_t blurX = 0;
    std::uint32_t blurY = 0;
    std::uint32_t angle = 0;
    std::uint32_t distance = 0;
    std::uint16_t strength = 0;
    std::uint8_t flags = 0; // passes 0..3, inner shadow 4, knockout 5, composite 6, on top 7

    std::uint32_t computeSize(const SwfStream&) const override { return 27; }
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;
};

// The gradient glow and gradient bevel, which share one layout. The count byte of the file
// is not kept: it is written from the lists, which must be of equal length, 1 to 255.
class SwfGradientFilter : public SwfGenericFilter {
public:
    SwfVector<std::uint32_t> colors;
    SwfVector<std::uint8_t> ratios;
    std::uint32_t blurX = 0;
    std::uint32_t blurY = 0;
    std::uint32_t angle = 0;
    std::uint32_t distance = 0;
    std::uint16_t strength = 0;
    std::uint8_t flags = 0; // as the bevel's

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;

protected:
    virtual const char* name() const = 0;
};

class SwfGradientGlowFilter : public SwfGradientFilter {
protected:
    const char* name() const override { return "GradientGlow"; }
};

class SwfGradientBevelFilter : public SwfGradientFilter {
protected:
    const char* name() const override { return "GradientBevelFilter"; }
};

// The value count follows from the matrix dimensions; the list must hold exactly
// matrixX x matrixY values to be written.
class SwfConvolutionFilter : public SwfGenericFilter {
public:
    static constexpr std::uint8_t PreserveAlpha = 0x01;
    static constexpr std::uint8_t Clamp = 0x02;

    std::uint8_t matrixX = 0;
    std::uint8_t matrixY = 0;
    float divisor = 0.0f;
    float bias = 0.0f;
    SwfVector<float> matrix;
    std::uint32_t defaultColor = 0;
    std::uint8_t flags = 0;

    std::uint32_t computeSize(const SwfStream& ctx) const override;
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;
};

class SwfColorMatrixFilter : public SwfGenericFilter {
public:
    std::array<float, 20> matrix{};

    std::uint32_t computeSize(const SwfStream&) const override { return 80; }
    void read(SwfIStream& is) override;
    void write(SwfOStream& os) const override;
};

// One entry of a filter list: the id that selects the kind, and the filter itself.
class SwfFilter : public SwfStruct {
public:
    static constexpr std::uint8_t DropShadow = 0;
    static constexpr std::uint8_t Blur = 1;
    static constexpr std::uint8_t Glow = 2;
    static constexpr std::uint8_t Bevel = 3;
    static constexpr std::uint8_t GradientGlow = 4;
    static constexpr std::uint8_t Convolution = 5;
    static constexpr std::uint8_t ColorMatrix = 6;
    static constexpr std::uint8_t GradientBevel = 7;

    SwfFilter() = default;
    SwfFilter(std::uint8_t id, std::shared_ptr<SwfGenericFilter> filter)
        : id(id), filter(std::move(filter)) {}

    std::uint8_t id = 0;
    std::shared_ptr<SwfGenericFilter> filter;

    // A new, default filter of the kind an id selects, or null for ids above 7.
    static std::shared_ptr<SwfGenericFilter> create(std::uint8_t id);

    // Throws UnexpectedEnd for an id above 7.
    void read(SwfIStream& is);
    // Throws ValueOutOfRange when the filter is missing, does not match its id or cannot be
    // written.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// The filters of one placement in order, behind a count byte.
class SwfFilterList : public SwfStruct {
public:
    SwfVector<std::shared_ptr<SwfFilter>> filters;

    void read(SwfIStream& is);
    // Throws ValueOutOfRange for 256 filters or more, or for a filter that cannot be written.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

} // namespace libswf
