#include "files/document_files.h"

#include "files/movie_header.h"
#include "files/project_archive.h"
#include "files/text_encoding.h"
#include "files/xml_file.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn {

namespace {

constexpr std::size_t kLargeProjectText = std::size_t{1} << 30;

std::string systemError(int error) {
    return std::strerror(error);
}

template <class Result>
Result failure(const std::string& path, const std::string& reason) {
    Result result;
    result.reason = path + ": " + reason;
    return result;
}

void writeFile(const std::string& path, std::string_view bytes) {
    libswf::SwfUtils::WriteWholeFile(path, bytes.size(),
                                     reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

// Runs a file operation, turning what the libraries throw into a failure naming the path.
template <class Result, class F>
Result guarded(const std::string& path, F&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return failure<Result>(path, "not enough memory");
    } catch (const std::exception& e) {
        return failure<Result>(path, e.what());
    }
}

DecodedText decodeDocument(const std::string& path, std::string bytes) {
    const int version = ProbeMovieHeader(bytes).swfVersion;
    DecodedText decoded = DecodeBytes(std::move(bytes), version);
    if (!decoded.ok)
        decoded.reason = path + ": " + decoded.reason;
    return decoded;
}

int writeAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// A new file "~!XXXXXX.swf" in the folder holding the bytes; its path, or "" with the reason.
std::string writeTempMovie(const std::string& folder, std::string_view bytes, std::string& reason) {
    std::string name = (std::filesystem::path(folder) / "~!XXXXXX.swf").string();
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        reason = folder + ": a temporary movie cannot be created there: " + systemError(errno);
        return {};
    }
    int error = writeAll(fd, bytes);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.c_str());
        reason = name + ": the temporary movie cannot be written: " + systemError(error);
        return {};
    }
    return name;
}

std::string temporaryFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

} // namespace

FileBytes ReadWholeFile(const std::string& path) {
    FileBytes result;
    // Without blocking, so that a pipe with no writer cannot stop the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return failure<FileBytes>(path, "cannot be opened: " + systemError(errno));
    struct stat status {};
    std::string reason;
    if (::fstat(fd, &status) != 0) {
        reason = "cannot be examined: " + systemError(errno);
    } else if (!S_ISREG(status.st_mode)) {
        reason = S_ISDIR(status.st_mode) ? "is a folder, not a file" : "is not a regular file";
    } else {
        try {
            result.bytes.resize(static_cast<std::size_t>(status.st_size));
            std::size_t done = 0;
            while (done < result.bytes.size()) {
                const ssize_t n =
                    ::read(fd, result.bytes.data() + done, result.bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    reason = "cannot be read: " + systemError(errno);
                    break;
                }
                if (n == 0) {
                    reason = "became shorter while it was read";
                    break;
                }
                done += static_cast<std::size_t>(n);
            }
        } catch (const std::bad_alloc&) {
            reason = "not enough memory to read it";
        }
    }
    if (::close(fd) != 0 && reason.empty())
        reason = "cannot be read: " + systemError(errno);
    if (!reason.empty())
        return failure<FileBytes>(path, reason);
    result.ok = true;
    return result;
}

DecodedText LoadDocumentText(const std::string& path) {
    return guarded<DecodedText>(path, [&]() -> DecodedText {
        switch (ClassifyPath(path)) {
        case FileKind::Xml: {
            FileBytes file = ReadWholeFile(path);
            if (!file.ok)
                return {false, {}, std::move(file.reason)};
            return decodeDocument(path, std::move(file.bytes));
        }
        case FileKind::Swf: {
            swfxml::SwfXmlWriter ctx;
            std::string text;
            {
                const libswf::SwfFileInMemory file(path);
                if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
                    return failure<DecodedText>(path, ctx.failure.describe());
            }
            // The movie's own version, which the text declares as well.
            DecodedText decoded = DecodeBytes(std::move(text), ctx.movie.version);
            if (!decoded.ok)
                decoded.reason = path + ": " + decoded.reason;
            return decoded;
        }
        case FileKind::Project: {
            FileBytes file = ReadWholeFile(path);
            if (!file.ok)
                return {false, {}, std::move(file.reason)};
            ProjectArchive entry = unpackProject(file.bytes);
            if (!entry.ok)
                return failure<DecodedText>(path, entry.reason);
            file.bytes.clear();
            file.bytes.shrink_to_fit();
            return decodeDocument(path, std::move(entry.bytes));
        }
        case FileKind::Text:
        case FileKind::Other:
            break;
        }
        return failure<DecodedText>(path, "only .swf, .vorn and .xml files open as documents");
    });
}

SavedFile SaveDocumentText(SaveKind kind, const std::string& path, std::string_view bytes) {
    if (kind != SaveKind::Xml && kind != SaveKind::Swf && kind != SaveKind::Project)
        return failure<SavedFile>(path, "there is no save of kind " +
                                            std::to_string(static_cast<int>(kind)));
    const std::string target = savePath(kind, path);
    return guarded<SavedFile>(target, [&]() -> SavedFile {
        if (kind == SaveKind::Swf) {
            CompiledMovie movie = compileMovie(bytes);
            if (!movie.ok) {
                SavedFile failed = failure<SavedFile>(target, movie.reason);
                failed.line = movie.line;
                return failed;
            }
            libswf::SwfUtils::WriteWholeFile(target, movie.swf.size(), movie.swf.data());
        } else if (kind == SaveKind::Xml) {
            // Created with the first printed piece, so that text which does not parse leaves
            // nothing behind, not even an empty temporary file.
            std::optional<libswf::SwfAtomicFile> file;
            std::string reason;
            const XmlSink sink = [&](std::string_view piece) {
                if (!file)
                    file.emplace(target);
                file->write(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
            };
            if (!printXmlFile(bytes, sink, reason))
                return failure<SavedFile>(target, reason);
            if (!file)
                file.emplace(target);
            file->commit();
        } else {
            // The printed document goes straight into the deflater. A document that could print
            // past 4 GB (deep nesting adds indentation) is given the archive's 64-bit sizes.
            ProjectPacker packer(bytes.size() >= kLargeProjectText);
            std::string reason;
            const XmlSink sink = [&packer](std::string_view piece) { packer.write(piece); };
            if (!printXmlFile(bytes, sink, reason))
                return failure<SavedFile>(target, reason);
            const ProjectArchive archive = packer.finish();
            if (!archive.ok)
                return failure<SavedFile>(target, archive.reason);
            writeFile(target, archive.bytes);
        }
        SavedFile saved;
        saved.ok = true;
        saved.path = target;
        return saved;
    });
}

CompiledMovie compileMovie(std::string_view bytes) {
    CompiledMovie result;
    try {
        swfxml::SwfXmlReader ctx;
        if (!swfxml::convertXmlToSwfBytes(ctx, bytes, result.swf, true)) {
            result.reason = ctx.failure.describe();
            result.line = ctx.failure.line;
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.reason = "not enough memory";
        return result;
    } catch (const std::exception& e) {
        result.reason = e.what();
        return result;
    }
    result.ok = true;
    return result;
}

TempMovie MakeTempSwf(const std::string& directory, std::string_view bytes) {
    TempMovie result;
    CompiledMovie movie = compileMovie(bytes);
    if (!movie.ok) {
        result.reason = movie.reason;
        return result;
    }
    const std::string_view swf(reinterpret_cast<const char*>(movie.swf.data()), movie.swf.size());
    if (!directory.empty())
        result.path = writeTempMovie(directory, swf, result.reason);
    if (result.path.empty()) {
        std::string reason;
        result.path = writeTempMovie(temporaryFolder(), swf, reason);
        if (result.path.empty()) {
            result.reason += (result.reason.empty() ? "" : "; ") + reason;
            return result;
        }
    }
    result.reason.clear();
    result.ok = true;
    return result;
}

} // namespace vorn
