#include "libswf/bitmaps.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <limits>
#include <string>

namespace libswf {

namespace {

SwfVector<std::uint8_t> readBytes(SwfIStream& is, std::size_t n) {
    const std::span<const std::uint8_t> bytes = is.readSpan(n);
    return {bytes.begin(), bytes.end()};
}

// The JPEG data of JPEG3 and JPEG4, whose length the alpha offset gives. An offset beyond the
// body leaves no length for the alpha plane at all: the tag is cut off or corrupt.
SwfVector<std::uint8_t> readJpegBeforeAlpha(SwfIStream& is, std::uint32_t alphaOffset) {
    if (alphaOffset > is.remaining()) {
        SwfException e(SwfException::UnexpectedEnd,
                       "an AlphaDataOffset of " + std::to_string(alphaOffset) +
                           " bytes runs past the end of the tag body, where " +
                           std::to_string(is.remaining()) + " bytes remain");
        e.setOffset(is.position());
        throw e;
    }
    return readBytes(is, alphaOffset);
}

bool knownLosslessFormat(std::uint8_t format) {
    return format == SwfTagDefineBitsLossless::Map8 || format == SwfTagDefineBitsLossless::RGB15 ||
           format == SwfTagDefineBitsLossless::RGB24;
}

} // namespace

// ---- JPEG -----------------------------------------------------------------------------------

SwfTagJPEGTables::SwfTagJPEGTables(SwfIStream& is) : SwfTag(8) {
    jpegData = readBytes(is, is.remaining());
}

std::uint32_t SwfTagJPEGTables::bodySize(SwfSizeContext&) {
    return checkedLength(jpegData.size(), "a JPEGTables body");
}

void SwfTagJPEGTables::writeBody(SwfOStream& os) const {
    os.writeBytes(jpegData.data(), jpegData.size());
}

SwfTagDefineBits::SwfTagDefineBits(SwfIStream& is) : SwfTagDefineBits(6, is) {}

SwfTagDefineBits::SwfTagDefineBits(std::uint16_t code, SwfIStream& is) : SwfDefinitionTag(code, 0) {
    id = is.readU16();
    jpegData = readBytes(is, is.remaining());
}

std::uint32_t SwfTagDefineBits::bodySize(SwfSizeContext&) {
    return checkedLength(std::uint64_t{2} + jpegData.size(), "a JPEG bitmap body");
}

void SwfTagDefineBits::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeBytes(jpegData.data(), jpegData.size());
}

SwfTagDefineBitsJPEG3::SwfTagDefineBitsJPEG3(SwfIStream& is) : SwfDefinitionTag(35, 0) {
    id = is.readU16();
    const std::uint32_t alphaOffset = is.readU32();
    jpegData = readJpegBeforeAlpha(is, alphaOffset);
    alphaData = readBytes(is, is.remaining());
}

std::uint32_t SwfTagDefineBitsJPEG3::bodySize(SwfSizeContext&) {
    // The alpha offset is the JPEG length, so a body that fits 32 bits has an offset that does.
    return checkedLength(std::uint64_t{6} + jpegData.size() + alphaData.size(),
                         "a DefineBitsJPEG3 body");
}

void SwfTagDefineBitsJPEG3::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU32(static_cast<std::uint32_t>(jpegData.size()));
    os.writeBytes(jpegData.data(), jpegData.size());
    os.writeBytes(alphaData.data(), alphaData.size());
}

// The registry's row for code 90 does not mark a leading id, but the body starts with one all
// the same; this class reads and writes it like every other bitmap.
SwfTagDefineBitsJPEG4::SwfTagDefineBitsJPEG4(SwfIStream& is) : SwfDefinitionTag(90, 0) {
    id = is.readU16();
    const std::uint32_t alphaOffset = is.readU32();
    deblockParam = is.readU16();
    jpegData = readJpegBeforeAlpha(is, alphaOffset);
    alphaData = readBytes(is, is.remaining());
}

std::uint32_t SwfTagDefineBitsJPEG4::bodySize(SwfSizeContext&) {
    return checkedLength(std::uint64_t{8} + jpegData.size() + alphaData.size(),
                         "a DefineBitsJPEG4 body");
}

void SwfTagDefineBitsJPEG4::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU32(static_cast<std::uint32_t>(jpegData.size()));
    os.writeU16(deblockParam);
    os.writeBytes(jpegData.data(), jpegData.size());
    os.writeBytes(alphaData.data(), alphaData.size());
}

// ---- lossless -------------------------------------------------------------------------------

SwfTagDefineBitsLossless::SwfTagDefineBitsLossless(SwfIStream& is)
    : SwfTagDefineBitsLossless(20, is) {}

SwfTagDefineBitsLossless::SwfTagDefineBitsLossless(std::uint16_t code, SwfIStream& is)
    : SwfDefinitionTag(code, 0) {
    setLongHeader(true);
    id = is.readU16();
    const std::size_t formatAt = is.position();
    format = is.readU8();
    if (!knownLosslessFormat(format)) {
        SwfException e(SwfException::UnexpectedEnd,
                       "a lossless bitmap format of " + std::to_string(format) +
                           " is none of 3 (Map8), 4 (RGB15) and 5 (RGB24)");
        e.setOffset(formatAt);
        throw e;
    }
    width = is.readU16();
    height = is.readU16();
    if (format == Map8)
        colorTableSize = is.readU8();
    pixelData = readBytes(is, is.remaining());
}

std::uint32_t SwfTagDefineBitsLossless::bodySize(SwfSizeContext&) {
    // Either would give a tag that no reader, this one included, can make sense of.
    if (!knownLosslessFormat(format))
        throw SwfException(SwfException::ValueOutOfRange,
                           "a lossless bitmap format of " + std::to_string(format) +
                               " is none of 3 (Map8), 4 (RGB15) and 5 (RGB24)");
    if (format == Map8 && (colorTableSize < 0 || colorTableSize > 255))
        throw SwfException(SwfException::ValueOutOfRange,
                           "a BitmapColorTableSize of " + std::to_string(colorTableSize) +
                               " does not fit its byte (0 to 255, the number of colours minus "
                               "one)");
    return checkedLength((format == Map8 ? 8 : 7) + std::uint64_t{pixelData.size()},
                         "a lossless bitmap body");
}

void SwfTagDefineBitsLossless::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU8(format);
    os.writeU16(width);
    os.writeU16(height);
    if (format == Map8)
        os.writeU8(static_cast<std::uint8_t>(colorTableSize));
    os.writeBytes(pixelData.data(), pixelData.size());
}

} // namespace libswf
