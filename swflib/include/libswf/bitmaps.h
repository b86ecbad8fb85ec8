// Bitmap tags. Image data is never decoded: JPEG streams, alpha planes and the deflated
// pixels of the lossless tags travel as the exact bytes the movie holds. Only the character
// id, the lossless header and the JPEG4 deblocking value are fields; the alpha offset of
// JPEG3 and JPEG4 is the length of the JPEG data and is derived on every write.
#pragma once

#include "libswf/movie.h"
#include "libswf/vector.h"

#include <cstdint>

namespace libswf {

// The encoding tables that every DefineBits of the movie shares.
class SwfTagJPEGTables : public SwfTag {
public:
    SwfTagJPEGTables() : SwfTag(8) {}
    explicit SwfTagJPEGTables(SwfIStream& is);

    SwfVector<std::uint8_t> jpegData;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// A JPEG image whose encoding tables are those of the movie's JPEGTables.
class SwfTagDefineBits : public SwfDefinitionTag {
public:
    SwfTagDefineBits() : SwfDefinitionTag(6) {}
    explicit SwfTagDefineBits(SwfIStream& is);

    SwfVector<std::uint8_t> jpegData;

protected:
    // DefineBitsJPEG2 has the same layout under its own code.
    explicit SwfTagDefineBits(std::uint16_t code) : SwfDefinitionTag(code) {}
    SwfTagDefineBits(std::uint16_t code, SwfIStream& is);

    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// A complete JPEG stream with its own tables (or a PNG or GIF file from version 8 on).
class SwfTagDefineBitsJPEG2 : public SwfTagDefineBits {
public:
    SwfTagDefineBitsJPEG2() : SwfTagDefineBits(21) {}
    explicit SwfTagDefineBitsJPEG2(SwfIStream& is) : SwfTagDefineBits(21, is) {}
};

// A JPEG image with a deflated alpha plane after it.
class SwfTagDefineBitsJPEG3 : public SwfDefinitionTag {
public:
    SwfTagDefineBitsJPEG3() : SwfDefinitionTag(35) {}
    explicit SwfTagDefineBitsJPEG3(SwfIStream& is);

    SwfVector<std::uint8_t> jpegData;
    SwfVector<std::uint8_t> alphaData;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// DefineBitsJPEG3 with a deblocking filter strength (8.8 fixed point, kept as the raw number).
class SwfTagDefineBitsJPEG4 : public SwfDefinitionTag {
public:
    SwfTagDefineBitsJPEG4() : SwfDefinitionTag(90) {}
    explicit SwfTagDefineBitsJPEG4(SwfIStream& is);

    std::uint16_t deblockParam = 0;
    SwfVector<std::uint8_t> jpegData;
    SwfVector<std::uint8_t> alphaData;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// A bitmap of deflated pixels: colour-mapped (with a colour table inside the deflated data)
// or direct colour. These tags always take the 6-byte header, whatever their length: authoring
// tools write them so, and players and tools that read them may rely on it.
class SwfTagDefineBitsLossless : public SwfDefinitionTag {
public:
    static constexpr std::uint8_t Map8 = 3;
    static constexpr std::uint8_t RGB15 = 4;
    static constexpr std::uint8_t RGB24 = 5;

    SwfTagDefineBitsLossless() : SwfTagDefineBitsLossless(std::uint16_t{20}) {}
    explicit SwfTagDefineBitsLossless(SwfIStream& is);

    std::uint8_t format = Map8;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    // The number of colours minus one; stored in the file for Map8 only. Wider than its byte
    // so that a value typed into the XML that the byte cannot hold fails the write instead of
    // silently naming another table size.
    std::int32_t colorTableSize = 0;
    SwfVector<std::uint8_t> pixelData; // deflated, as the file holds it

protected:
    // DefineBitsLossless2 has the same layout under its own code.
    explicit SwfTagDefineBitsLossless(std::uint16_t code) : SwfDefinitionTag(code) {
        setLongHeader(true);
    }
    SwfTagDefineBitsLossless(std::uint16_t code, SwfIStream& is);

    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The same with alpha in every pixel (and in every entry of the colour table).
class SwfTagDefineBitsLossless2 : public SwfTagDefineBitsLossless {
public:
    SwfTagDefineBitsLossless2() : SwfTagDefineBitsLossless(std::uint16_t{36}) {}
    explicit SwfTagDefineBitsLossless2(SwfIStream& is) : SwfTagDefineBitsLossless(36, is) {}
};

} // namespace libswf
