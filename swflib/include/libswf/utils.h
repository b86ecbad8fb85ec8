// Whole-file input and output, the only file access of the library.
#pragma once

#include "libswf/stream.h"
#include "libswf/vector.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace libswf {

// A whole file mapped read-only into memory: no copy is made, and the pages come straight
// from the file cache.
class SwfMappedFile {
public:
    // Throws SwfFileException OpenForReadFailed or ReadFailed.
    explicit SwfMappedFile(const std::string& path);
    ~SwfMappedFile();
    SwfMappedFile(const SwfMappedFile&) = delete;
    SwfMappedFile& operator=(const SwfMappedFile&) = delete;

    std::span<const std::uint8_t> span() const { return {m_data, m_size}; }
    // Unmaps early; the span is empty afterwards.
    void release();

private:
    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

// A whole file read into memory of its own, taken straight from the system. Unlike a mapping,
// it cannot lose its pages when another program cuts the file short meanwhile (which ends a
// process that touches them with SIGBUS); unlike a heap buffer, giving it back returns the
// memory at once and leaves the allocator's later choices as they were.
class SwfFileInMemory {
public:
    // Throws SwfFileException OpenForReadFailed or ReadFailed (also when the file shrinks
    // while it is read).
    explicit SwfFileInMemory(const std::string& path);
    ~SwfFileInMemory();
    SwfFileInMemory(const SwfFileInMemory&) = delete;
    SwfFileInMemory& operator=(const SwfFileInMemory&) = delete;

    std::span<const std::uint8_t> span() const { return {m_data, m_size}; }
    // Gives the memory back early; the span is empty afterwards.
    void release();
    // Gives back the whole pages below offset, which read as zeros from then on; the span
    // stays as it is. For a reader that never goes back.
    void releaseBefore(std::size_t offset);
    // The same for the whole pages inside [begin, end).
    void releaseRange(std::size_t begin, std::size_t end);
    // Reads the file again into the same memory, for a reader that needs what it gave back.
    // Throws SwfFileException ReadFailed when the file's size or time of change differ from
    // when it was first read.
    void restore();

private:
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_released = 0; // releaseBefore gave back the pages below this
    std::string m_path;
    std::int64_t m_modified = 0; // the file's time of change, in nanoseconds
};

// A file that replaces its target only when complete: the bytes go to a temporary file beside
// the target, and commit flushes it to disk and renames it over the target. Destroyed without
// commit, it removes the temporary and leaves the target as it was. A new file gets the usual
// permissions, a replaced one keeps its own.
class SwfAtomicFile : public SwfOutputSink {
public:
    // Throws SwfFileException OpenForWriteFailed.
    explicit SwfAtomicFile(std::string path);
    ~SwfAtomicFile() override;
    SwfAtomicFile(const SwfAtomicFile&) = delete;
    SwfAtomicFile& operator=(const SwfAtomicFile&) = delete;

    // Throws SwfFileException WriteFailed.
    void write(const std::uint8_t* data, std::size_t size) override;
    void commit();

private:
    [[noreturn]] void fail(const std::string& what);

    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
};

struct SwfUtils {
    // Reads a whole file. Throws SwfFileException OpenForReadFailed or ReadFailed.
    static SwfBuffer ReadFileToBuffer(const std::string& path);

    // Writes a whole file through SwfAtomicFile, so that the previous file at that path
    // survives every failure. Throws SwfFileException OpenForWriteFailed or WriteFailed; no
    // temporary file is left behind.
    static void WriteWholeFile(const std::string& path, std::size_t size, const std::uint8_t* data);
};

} // namespace libswf
