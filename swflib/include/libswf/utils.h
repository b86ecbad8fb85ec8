// Whole-file input and output, the only file access of the library.
#pragma once

#include "libswf/vector.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace libswf {

struct SwfUtils {
    // Reads a whole file. Throws SwfFileException OpenForReadFailed or ReadFailed.
    static SwfBuffer ReadFileToBuffer(const std::string& path);

    // Writes a whole file so that the previous file at that path survives every failure: the
    // bytes go to a temporary file beside the target, which is then renamed over it. A new
    // file gets the usual permissions, a replaced one keeps its own. Throws SwfFileException
    // OpenForWriteFailed or WriteFailed; no temporary file is left behind.
    static void WriteWholeFile(const std::string& path, std::size_t size, const std::uint8_t* data);
};

} // namespace libswf
