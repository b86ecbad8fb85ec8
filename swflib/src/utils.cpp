#include "libswf/utils.h"

#include "libswf/exception.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace libswf {

namespace {

std::string errnoText(int error) {
    return std::strerror(error);
}

// Closes the descriptor on every path out of a function.
struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int fd) : fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

// Opens a new temporary file beside `path`, named with the editor's "~!" prefix; created
// with 0666 so that the process's umask decides the permissions of a new file.
FileDescriptor createTemporaryBeside(const std::filesystem::path& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    // Seeded once per thread: starting a random device costs more than writing a small file
    // (on a virtual machine each of its processor queries traps), and a batch writes many.
    thread_local std::minstd_rand random{std::random_device{}()};
    const std::filesystem::path dir = path.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "~!" + path.filename().string() + "." +
                                 std::to_string(::getpid()) + "." + std::to_string(counter++) +
                                 "." + std::to_string(random() % 1000000);
        tempPath = (dir / name).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return FileDescriptor(fd);
        if (errno != EEXIST)
            throw SwfFileException(SwfFileException::OpenForWriteFailed, path.string(),
                                   "cannot create a temporary file in " +
                                       (dir.empty() ? std::string(".") : dir.string()) + ": " +
                                       errnoText(errno));
    }
    throw SwfFileException(SwfFileException::OpenForWriteFailed, path.string(),
                           "cannot find a free temporary file name");
}

// Opens a regular file for reading and learns its size.
FileDescriptor openForReading(const std::string& path, std::size_t& size,
                              std::int64_t* modified = nullptr) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0)
        throw SwfFileException(SwfFileException::OpenForReadFailed, path,
                               "cannot open for reading: " + errnoText(errno));
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        throw SwfFileException(SwfFileException::ReadFailed, path,
                               "cannot learn the size: " + errnoText(errno));
    if (!S_ISREG(info.st_mode))
        throw SwfFileException(SwfFileException::ReadFailed, path, "not a regular file");
    size = static_cast<std::size_t>(info.st_size);
    if (modified)
        *modified =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return file;
}

// Reads exactly `size` bytes of the open file into target and closes it.
void readWhole(FileDescriptor& file, std::uint8_t* target, std::size_t size,
               const std::string& path) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(file.fd, target + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw SwfFileException(SwfFileException::ReadFailed, path,
                                   "read failed: " + errnoText(errno));
        if (n == 0)
            throw SwfFileException(SwfFileException::ReadFailed, path,
                                   "the file became shorter while it was read");
        done += static_cast<std::size_t>(n);
    }
    if (::close(file.release()) != 0)
        throw SwfFileException(SwfFileException::ReadFailed, path,
                               "close failed: " + errnoText(errno));
}

} // namespace

SwfBuffer SwfUtils::ReadFileToBuffer(const std::string& path) {
    std::size_t size = 0;
    FileDescriptor file = openForReading(path, size);
    SwfBuffer buffer(size);
    readWhole(file, buffer.data(), size, path);
    return buffer;
}

SwfFileInMemory::SwfFileInMemory(const std::string& path) : m_path(path) {
    std::size_t size = 0;
    FileDescriptor file = openForReading(path, size, &m_modified);
    if (size == 0)
        return;
    // Populated at once: the read fills every page, and faulting them in one by one as it
    // goes costs a tenth of reading the text.
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED)
        throw SwfFileException(SwfFileException::ReadFailed, path,
                               "no memory for the file: " + errnoText(errno));
    m_data = static_cast<std::uint8_t*>(p);
    m_size = size;
    try {
        readWhole(file, m_data, size, path);
    } catch (...) {
        release();
        throw;
    }
}

SwfFileInMemory::~SwfFileInMemory() {
    release();
}

void SwfFileInMemory::release() {
    if (m_data)
        ::munmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
    m_released = 0;
}

namespace {

std::size_t pageSize() {
    static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return page;
}

} // namespace

void SwfFileInMemory::releaseBefore(std::size_t offset) {
    const std::size_t end = std::min(offset, m_size) / pageSize() * pageSize();
    if (!m_data || end <= m_released)
        return;
    // Advice only: should the kernel decline, the pages simply stay.
    ::madvise(m_data + m_released, end - m_released, MADV_DONTNEED);
    m_released = end;
}

void SwfFileInMemory::releaseRange(std::size_t begin, std::size_t end) {
    const std::size_t page = pageSize();
    // Whole pages only: the bytes on either side of the stretch are still read.
    const std::size_t first = (std::min(begin, m_size) + page - 1) / page * page;
    const std::size_t last = std::min(end, m_size) / page * page;
    if (!m_data || last <= first)
        return;
    // Advice only: should the kernel decline, the pages simply stay.
    ::madvise(m_data + first, last - first, MADV_DONTNEED);
}

void SwfFileInMemory::restore() {
    if (!m_data)
        return;
    std::size_t size = 0;
    std::int64_t modified = 0;
    FileDescriptor file = openForReading(m_path, size, &modified);
    if (size != m_size || modified != m_modified)
        throw SwfFileException(SwfFileException::ReadFailed, m_path,
                               "the file changed while it was converted");
    readWhole(file, m_data, size, m_path);
    m_released = 0;
}

SwfMappedFile::SwfMappedFile(const std::string& path) {
    FileDescriptor file = openForReading(path, m_size);
    if (m_size == 0)
        return;
    void* p = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
    if (p == MAP_FAILED) {
        m_size = 0;
        throw SwfFileException(SwfFileException::ReadFailed, path,
                               "cannot map the file: " + errnoText(errno));
    }
    m_data = static_cast<const std::uint8_t*>(p);
}

SwfMappedFile::~SwfMappedFile() {
    release();
}

void SwfMappedFile::release() {
    if (m_data)
        ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
}

SwfAtomicFile::SwfAtomicFile(std::string path) : m_path(std::move(path)) {
    FileDescriptor file = createTemporaryBeside(m_path, m_tempPath);
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(m_path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(file.fd, existing.st_mode & 07777);
    m_fd = file.release();
}

SwfAtomicFile::~SwfAtomicFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_tempPath.c_str());
    }
}

void SwfAtomicFile::fail(const std::string& what) {
    const int error = errno;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ::unlink(m_tempPath.c_str());
    throw SwfFileException(SwfFileException::WriteFailed, m_path, what + ": " + errnoText(error));
}

void SwfAtomicFile::write(const std::uint8_t* data, std::size_t size) {
    if (m_fd < 0)
        throw SwfFileException(SwfFileException::WriteFailed, m_path, "the file is closed");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail("write failed");
        done += static_cast<std::size_t>(n);
    }
}

void SwfAtomicFile::commit() {
    if (m_fd < 0)
        throw SwfFileException(SwfFileException::WriteFailed, m_path, "the file is closed");
    // The bytes must be on disk before the rename makes them the file: otherwise a crash
    // could leave an empty file where the user's movie was.
    if (::fsync(m_fd) != 0)
        fail("flush to disk failed");
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_tempPath.c_str());
        throw SwfFileException(SwfFileException::WriteFailed, m_path,
                               "close failed: " + errnoText(error));
    }
    if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        ::unlink(m_tempPath.c_str());
        throw SwfFileException(SwfFileException::WriteFailed, m_path,
                               "cannot replace the file: " + errnoText(error));
    }
}

void SwfUtils::WriteWholeFile(const std::string& path, std::size_t size, const std::uint8_t* data) {
    SwfAtomicFile file(path);
    file.write(data, size);
    file.commit();
}

} // namespace libswf
