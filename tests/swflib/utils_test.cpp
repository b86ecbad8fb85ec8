// Whole-file input and output: exact failures, and a save that never harms the old file.
#include "libswf/exception.h"
#include "libswf/utils.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace libswf;
namespace fs = std::filesystem;

namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("vorn-utils-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::string slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t entries() {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
    fs::path dir;
};

std::pair<std::uint32_t, std::string> failure(auto&& f) {
    try {
        f();
    } catch (const SwfFileException& e) {
        return {e.code(), e.fileName()};
    }
    return {0, ""};
}

} // namespace

TEST_F(Files, ReadsWholeFilesAndNamesTheFileOnFailure) {
    const fs::path p = dir / "movie.swf";
    std::ofstream(p, std::ios::binary) << std::string("FWS\x01\0x", 6);
    const SwfBuffer b = SwfUtils::ReadFileToBuffer(p.string());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), b.size()),
              std::string("FWS\x01\0x", 6));

    const std::string missing = (dir / "missing.swf").string();
    EXPECT_EQ(failure([&] { SwfUtils::ReadFileToBuffer(missing); }),
              std::make_pair(SwfFileException::OpenForReadFailed, missing));
    EXPECT_EQ(failure([&] { SwfUtils::ReadFileToBuffer(dir.string()); }).first,
              SwfFileException::ReadFailed);
    try {
        SwfUtils::ReadFileToBuffer(missing);
    } catch (const SwfFileException& e) {
        EXPECT_STREQ(e.what(),
                     "OpenForReadFailed: cannot open for reading: No such file or directory");
    }
}

TEST_F(Files, WritesNewFilesAndReplacesOldOnesKeepingTheirMode) {
    const fs::path p = dir / "out.swf";
    const std::uint8_t first[] = {1, 2, 3};
    SwfUtils::WriteWholeFile(p.string(), 3, first);
    EXPECT_EQ(slurp(p), "\x01\x02\x03");

    ::chmod(p.c_str(), 0640);
    const std::uint8_t second[] = {9};
    SwfUtils::WriteWholeFile(p.string(), 1, second);
    EXPECT_EQ(slurp(p), "\x09");
    EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(), 1u); // no temporary file left beside it
}

TEST_F(Files, FailedWritesLeaveTheOldFileAndNoTemporary) {
    const std::string nowhere = (dir / "no-such-folder" / "out.swf").string();
    const std::uint8_t data[] = {1};
    EXPECT_EQ(failure([&] { SwfUtils::WriteWholeFile(nowhere, 1, data); }),
              std::make_pair(SwfFileException::OpenForWriteFailed, nowhere));

    if (::geteuid() != 0) { // root writes into read-only folders regardless
        const fs::path p = dir / "keep.swf";
        std::ofstream(p) << "old";
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(failure([&] { SwfUtils::WriteWholeFile(p.string(), 1, data); }).first,
                  SwfFileException::OpenForWriteFailed);
        fs::permissions(dir, fs::perms::owner_all);
        EXPECT_EQ(slurp(p), "old");
    }
    // The target is a folder: the rename fails after the bytes were written.
    const fs::path folder = dir / "folder.swf";
    fs::create_directories(folder / "inside");
    EXPECT_EQ(failure([&] { SwfUtils::WriteWholeFile(folder.string(), 1, data); }).first,
              SwfFileException::WriteFailed);
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    std::size_t temporaries = 0;
    for (const auto& e : fs::directory_iterator(dir))
        temporaries += e.path().filename().string().rfind("~!", 0) == 0;
    EXPECT_EQ(temporaries, 0u);
}

TEST_F(Files, AtomicFileAppearsOnlyOnCommit) {
    const fs::path p = dir / "movie.swf";
    std::ofstream(p) << "old";
    { // destroyed without commit, the file is discarded
        SwfAtomicFile file(p.string());
        const std::uint8_t data[] = {'n', 'e', 'w'};
        file.write(data, 3);
        EXPECT_EQ(slurp(p), "old");
        EXPECT_EQ(entries(), 2u); // the target and the temporary beside it
    }
    EXPECT_EQ(slurp(p), "old");
    EXPECT_EQ(entries(), 1u);

    SwfAtomicFile file(p.string());
    const std::uint8_t data[] = {'n', 'e', 'w'};
    file.write(data, 3);
    file.commit();
    EXPECT_EQ(slurp(p), "new");
    EXPECT_EQ(entries(), 1u);
    EXPECT_THROW(file.write(data, 1), SwfFileException);
}

TEST_F(Files, MappedFilesShowTheWholeFile) {
    const fs::path p = dir / "m.swf";
    std::ofstream(p, std::ios::binary) << std::string("FWS\x01\0x", 6);
    SwfMappedFile file(p.string());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.span().data()), file.span().size()),
              std::string("FWS\x01\0x", 6));
    file.release();
    EXPECT_TRUE(file.span().empty());

    const fs::path empty = dir / "empty.swf";
    std::ofstream(empty).flush();
    EXPECT_TRUE(SwfMappedFile(empty.string()).span().empty());
    const std::string missing = (dir / "missing.swf").string();
    EXPECT_EQ(failure([&] { SwfMappedFile m(missing); }),
              std::make_pair(SwfFileException::OpenForReadFailed, missing));
}

TEST_F(Files, FilesInMemoryHoldTheWholeFileAndNameItOnFailure) {
    const fs::path p = dir / "m.swf";
    std::ofstream(p, std::ios::binary) << std::string("FWS\x01\0x", 6);
    SwfFileInMemory file(p.string());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.span().data()), file.span().size()),
              std::string("FWS\x01\0x", 6));
    // The copy is the file as it was: cutting the file short changes nothing in it.
    fs::resize_file(p, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.span().data()), file.span().size()),
              std::string("FWS\x01\0x", 6));
    file.release();
    EXPECT_TRUE(file.span().empty());

    EXPECT_TRUE(SwfFileInMemory(p.string()).span().empty());
    const std::string missing = (dir / "missing.swf").string();
    EXPECT_EQ(failure([&] { SwfFileInMemory m(missing); }),
              std::make_pair(SwfFileException::OpenForReadFailed, missing));
    EXPECT_EQ(failure([&] { SwfFileInMemory m(dir.string()); }),
              std::make_pair(SwfFileException::ReadFailed, dir.string()));
}

// Pages given back read as zeros, whole pages only; the file read again fills them in place,
// unless it changed meanwhile.
TEST_F(Files, FilesInMemoryGiveBackWholePagesAndReadThemAgain) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::string bytes(3 * page + 10, 'x');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    const fs::path p = dir / "pages.xml";
    std::ofstream(p, std::ios::binary) << bytes;
    SwfFileInMemory file(p.string());
    const auto now = [&file] {
        return std::string(reinterpret_cast<const char*>(file.span().data()), file.span().size());
    };
    file.releaseRange(10, 2 * page + 5); // only the second page lies wholly inside
    std::string expected = bytes;
    std::fill(expected.begin() + static_cast<std::ptrdiff_t>(page),
              expected.begin() + static_cast<std::ptrdiff_t>(2 * page), '\0');
    EXPECT_EQ(now(), expected);
    file.releaseBefore(page + 1); // the first page
    std::fill(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(page), '\0');
    EXPECT_EQ(now(), expected);
    file.restore();
    EXPECT_EQ(now(), bytes);

    // Changed meanwhile, even to the same size: the memory is not filled with another text.
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(5));
    file.releaseBefore(bytes.size());
    EXPECT_EQ(failure([&] { file.restore(); }),
              std::make_pair(SwfFileException::ReadFailed, p.string()));
    try {
        file.restore();
    } catch (const SwfFileException& e) {
        EXPECT_NE(std::string(e.what()).find("the file changed while it was converted"),
                  std::string::npos)
            << e.what();
    }
}
