// Stream state of the shape family: the flags each shape or morph tag sets for its body, the
// style array counts and the widths of style indices. Private to the library.
#pragma once

#include "libswf/exception.h"
#include "libswf/stream.h"

#include <cstdint>
#include <string>

namespace libswf {

// The flags of the version table that a tag sets for its body.
struct SwfShapeFlags {
    bool alpha;
    bool extendedCounts;
    bool newStyles;
    bool lineStyle2;
};

// Sets a tag's shape flags on a stream for the lifetime of the object and restores every
// piece of shape state afterwards, so that no tag depends on or leaves behind another's.
class SwfShapeStateScope {
public:
    SwfShapeStateScope(SwfStream& stream, SwfShapeFlags flags)
        : m_stream(stream), m_alpha(stream.alpha), m_extended(stream.shapeExtendedCounts),
          m_newStyles(stream.shapeNewStyles), m_lineStyle2(stream.shapeLineStyle2),
          m_fillBits(stream.numFillBits), m_lineBits(stream.numLineBits) {
        stream.alpha = flags.alpha;
        stream.shapeExtendedCounts = flags.extendedCounts;
        stream.shapeNewStyles = flags.newStyles;
        stream.shapeLineStyle2 = flags.lineStyle2;
    }
    ~SwfShapeStateScope() {
        m_stream.alpha = m_alpha;
        m_stream.shapeExtendedCounts = m_extended;
        m_stream.shapeNewStyles = m_newStyles;
        m_stream.shapeLineStyle2 = m_lineStyle2;
        m_stream.numFillBits = m_fillBits;
        m_stream.numLineBits = m_lineBits;
    }
    SwfShapeStateScope(const SwfShapeStateScope&) = delete;
    SwfShapeStateScope& operator=(const SwfShapeStateScope&) = delete;

private:
    SwfStream& m_stream;
    bool m_alpha, m_extended, m_newStyles, m_lineStyle2;
    std::uint8_t m_fillBits, m_lineBits;
};

[[noreturn]] inline void throwOutOfRange(const std::string& reason) {
    throw SwfException(SwfException::ValueOutOfRange, reason);
}

// A byte count that must fit a 32-bit length.
std::uint32_t checkedShapeLength(std::uint64_t value, const char* what);

// Style array counts: one byte, or 0xFF and a 16-bit count under the extended-count flag
// (without it, 0xFF itself means 255 entries).
std::uint32_t readStyleCount(SwfIStream& is);
// The bytes of the count. Throws ValueOutOfRange for more than 255 entries without extended
// counts and for more than 65535; `what` names the array ("a fill style array").
std::uint32_t styleCountSize(std::size_t count, const SwfStream& ctx, const char* what);
void writeStyleCount(SwfOStream& os, std::size_t count);

// Sets the stream's NumFillBits and NumLineBits for arrays of these sizes. Throws
// ValueOutOfRange when an index would need more than the 15 bits a width nibble holds.
void setStyleIndexBits(SwfStream& stream, std::size_t fills, std::size_t lines);
// The same without the check, before reading an edge list: the list keeps the widths the file
// gives where they differ from these.
void presetStyleIndexBits(SwfStream& stream, std::size_t fills, std::size_t lines);

} // namespace libswf
