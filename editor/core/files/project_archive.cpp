#include "files/project_archive.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <unzip.h>
#include <zip.h>

namespace vorn {

namespace {

// A file in memory for minizip: what an archive is read from or written into.
struct MemoryFile {
    std::span<const char> in;
    std::string* out = nullptr;
    ZPOS64_T position = 0;
    bool failed = false;

    ZPOS64_T size() const { return out ? out->size() : in.size(); }
};

MemoryFile& fileOf(voidpf stream) {
    return *static_cast<MemoryFile*>(stream);
}

voidpf ZCALLBACK openMemory(voidpf, const void* file, int) {
    return const_cast<void*>(file);
}

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    MemoryFile& file = fileOf(stream);
    if (file.position >= file.size())
        return 0;
    const uLong n = static_cast<uLong>(std::min<ZPOS64_T>(size, file.size() - file.position));
    const char* from = file.out ? file.out->data() : file.in.data();
    std::memcpy(buffer, from + file.position, n);
    file.position += n;
    return n;
}

uLong ZCALLBACK writeMemory(voidpf, voidpf stream, const void* buffer, uLong size) {
    MemoryFile& file = fileOf(stream);
    if (!file.out)
        return 0;
    try {
        if (file.position + size > file.out->size()) {
            // Grows by half again at least, so that appending stays linear.
            if (file.position + size > file.out->capacity())
                file.out->reserve(
                    std::max<std::size_t>(file.position + size, file.out->capacity() / 2 * 3));
            file.out->resize(file.position + size);
        }
    } catch (const std::bad_alloc&) {
        file.failed = true;
        return 0;
    }
    std::memcpy(file.out->data() + file.position, buffer, size);
    file.position += size;
    return size;
}

ZPOS64_T ZCALLBACK tellMemory(voidpf, voidpf stream) {
    return fileOf(stream).position;
}

long ZCALLBACK seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    MemoryFile& file = fileOf(stream);
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = file.position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = file.size();
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    if (offset > file.size() || base > file.size() - offset)
        return -1;
    file.position = base + offset;
    return 0;
}

int ZCALLBACK closeMemory(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK errorMemory(voidpf, voidpf stream) {
    return fileOf(stream).failed ? 1 : 0;
}

zlib_filefunc64_def memoryFunctions() {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openMemory;
    functions.zread_file = readMemory;
    functions.zwrite_file = writeMemory;
    functions.ztell64_file = tellMemory;
    functions.zseek64_file = seekMemory;
    functions.zclose_file = closeMemory;
    functions.zerror_file = errorMemory;
    return functions;
}

ProjectArchive failed(std::string reason) {
    ProjectArchive result;
    result.reason = std::move(reason);
    return result;
}

// The deflater is handed the entry in slices, since its length is counted in 32 bits.
constexpr std::size_t kSlice = std::size_t{1} << 24;

} // namespace

struct ProjectPacker::State {
    ProjectArchive result;
    MemoryFile file;
    zlib_filefunc64_def functions = memoryFunctions();
    zipFile zip = nullptr;
    bool ok = false;
};

ProjectPacker::ProjectPacker(bool large, std::time_t when) : m_state(std::make_unique<State>()) {
    State& state = *m_state;
    state.file.out = &state.result.bytes;
    state.zip = zipOpen2_64(&state.file, APPEND_STATUS_CREATE, nullptr, &state.functions);
    if (!state.zip)
        return;
    std::tm local{};
    localtime_r(&when, &local);
    zip_fileinfo info{};
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    const std::string name(kProjectEntryName);
    state.ok = zipOpenNewFileInZip64(state.zip, name.c_str(), &info, nullptr, 0, nullptr, 0,
                                     nullptr, Z_DEFLATED, 9, large ? 1 : 0) == ZIP_OK;
}

ProjectPacker::~ProjectPacker() {
    if (m_state->zip)
        zipClose(m_state->zip, nullptr);
}

void ProjectPacker::write(std::string_view piece) {
    State& state = *m_state;
    for (std::size_t at = 0; state.ok && at < piece.size(); at += kSlice) {
        const std::size_t n = std::min(kSlice, piece.size() - at);
        state.ok =
            zipWriteInFileInZip(state.zip, piece.data() + at, static_cast<unsigned>(n)) == ZIP_OK;
    }
    if (state.file.failed)
        throw std::bad_alloc();
}

ProjectArchive ProjectPacker::finish() {
    State& state = *m_state;
    if (!state.zip)
        return failed("the project archive could not be started");
    bool ok = state.ok && zipCloseFileInZip(state.zip) == ZIP_OK;
    ok = zipClose(state.zip, nullptr) == ZIP_OK && ok;
    state.zip = nullptr;
    if (!ok || state.file.failed)
        return failed(state.file.failed ? "not enough memory for the project archive"
                                        : "the project archive could not be written");
    state.result.ok = true;
    return std::move(state.result);
}

ProjectArchive packProject(std::string_view entry, std::time_t when) {
    ProjectPacker packer(entry.size() >= 0xFFFFFFFFu, when);
    packer.write(entry);
    return packer.finish();
}

ProjectArchive unpackProject(std::span<const char> archive) {
    MemoryFile file;
    file.in = archive;
    zlib_filefunc64_def functions = memoryFunctions();
    unzFile zip = unzOpen2_64(&file, &functions);
    if (!zip) {
        // The library finds no directory in an archive that is nothing but its end.
        if (std::string_view(archive.data(), archive.size()).starts_with("PK\5\6"))
            return failed("the project archive holds no entry");
        return failed("the project is not a zip archive");
    }
    struct Closer {
        unzFile zip;
        ~Closer() { unzClose(zip); }
    } closer{zip};

    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK)
        return failed("the project archive's directory is damaged");
    if (global.number_entry == 0)
        return failed("the project archive holds no entry");
    if (unzLocateFile(zip, std::string(kProjectEntryName).c_str(), 1) != UNZ_OK &&
        unzGoToFirstFile(zip) != UNZ_OK)
        return failed("the project archive's directory is damaged");
    unz_file_info64 info{};
    char name[1024] = {};
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
        return failed("the project archive's directory is damaged");
    const std::string entry = std::string("the project's entry ") + name;
    if (info.flag & 1)
        return failed(entry + " is protected by a password");
    if (info.uncompressed_size == 0)
        return failed(entry + " is empty");
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED)
        return failed(entry + " is packed with method " + std::to_string(info.compression_method) +
                      ", not deflate");
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return failed(entry + " cannot be read");

    ProjectArchive result;
    std::string& bytes = result.bytes;
    try {
        // Deflate packs at most about 1032 to 1, so a header claiming more than that is not
        // believed before the bytes are there.
        bytes.reserve(static_cast<std::size_t>(
            std::min<ZPOS64_T>(info.uncompressed_size, info.compressed_size * 1032 + 65536)));
        for (;;) {
            const std::size_t at = bytes.size();
            const std::size_t room = std::max<std::size_t>(bytes.capacity() - at, 65536);
            const std::size_t n = std::min(room, kSlice);
            bytes.resize(at + n);
            const int got = unzReadCurrentFile(zip, bytes.data() + at, static_cast<unsigned>(n));
            if (got < 0) {
                unzCloseCurrentFile(zip);
                return failed(entry + " is damaged");
            }
            bytes.resize(at + static_cast<std::size_t>(got));
            if (got == 0)
                break;
        }
    } catch (const std::bad_alloc&) {
        unzCloseCurrentFile(zip);
        return failed("not enough memory for " + entry);
    }
    const int closed = unzCloseCurrentFile(zip);
    if (closed == UNZ_CRCERROR)
        return failed(entry + " fails its checksum");
    if (closed != UNZ_OK || bytes.size() != info.uncompressed_size)
        return failed(entry + " is damaged");
    result.ok = true;
    return result;
}

} // namespace vorn
