#include "libswf/utils.h"

#include "libswf/exception.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
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
    std::random_device random;
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

} // namespace

SwfBuffer SwfUtils::ReadFileToBuffer(const std::string& path) {
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
    SwfBuffer buffer(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::read(file.fd, buffer.data() + done, buffer.size() - done);
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
    return buffer;
}

void SwfUtils::WriteWholeFile(const std::string& path, std::size_t size, const std::uint8_t* data) {
    std::string tempPath;
    FileDescriptor file = createTemporaryBeside(path, tempPath);
    auto fail = [&](std::uint32_t code, const std::string& what) {
        const int error = errno;
        if (file.fd >= 0)
            ::close(file.release());
        ::unlink(tempPath.c_str());
        throw SwfFileException(code, path, what + ": " + errnoText(error));
    };

    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(file.fd, existing.st_mode & 07777);

    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(file.fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(SwfFileException::WriteFailed, "write failed");
        done += static_cast<std::size_t>(n);
    }
    // The bytes must be on disk before the rename makes them the file: otherwise a crash
    // could leave an empty file where the user's movie was.
    if (::fsync(file.fd) != 0)
        fail(SwfFileException::WriteFailed, "flush to disk failed");
    if (::close(file.release()) != 0)
        fail(SwfFileException::WriteFailed, "close failed");
    if (::rename(tempPath.c_str(), path.c_str()) != 0)
        fail(SwfFileException::WriteFailed, "cannot replace the file");
}

} // namespace libswf
