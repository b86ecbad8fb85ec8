// The .vorn archive: its exact layout, what other zip readers make of it, and the archives
// a project open refuses.
#include "files/project_archive.h"
#include "scratch_folder.h"
#include "swf_bytes.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

using vorn::test::hex;
using vorn::test::ScratchFolder;

std::string bytesOf(const vorn::test::Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::span<const char> spanOf(const std::string& bytes) {
    return {bytes.data(), bytes.size()};
}

// An archive of the given entries, made by the zip library directly, for the layouts this
// program never writes.
std::string archiveOf(const ScratchFolder& folder,
                      const std::vector<std::pair<std::string, std::string>>& entries,
                      int method = Z_DEFLATED) {
    const std::string path = folder / "made.zip";
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, bytes] : entries) {
        zip_fileinfo info{};
        zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                              method ? 6 : 0, 0);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return vorn::test::readFile(path);
}

class ProjectArchive : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_tz = tz ? std::optional<std::string>(tz) : std::nullopt;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (m_tz)
            ::setenv("TZ", m_tz->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> m_tz;
};

TEST_F(ProjectArchive, OneDeflatedEntryDataXmlDatedWhenSaved) {
    // 2023-11-14 22:13:20 local time.
    const vorn::ProjectArchive archive = vorn::packProject("abc", 1700000000);
    ASSERT_TRUE(archive.ok) << archive.reason;
    const std::string expected = bytesOf(hex(
        // local header: version 2.0, flags "maximum compression", deflate, time, date,
        // crc, sizes, name, no extra field
        "50 4b 03 04 14 00 02 00 08 00 aa b1 6e 57 c2 41 24 35 05 00 00 00 03 00 00 00"
        "08 00 00 00 64 61 74 61 2e 78 6d 6c"
        "4b 4c 4a 06 00"
        // central directory: made by 0, no comment, external attributes 0, internal ones
        // only the text mark the zip library sets by what it deflated, at offset 0
        "50 4b 01 02 00 00 14 00 02 00 08 00 aa b1 6e 57 c2 41 24 35 05 00 00 00 03 00 00 00"
        "08 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 64 61 74 61 2e 78 6d 6c"
        // end: one entry, no comment
        "50 4b 05 06 00 00 00 00 01 00 01 00 36 00 00 00 2b 00 00 00 00 00"));
    EXPECT_EQ(vorn::test::toHex(vorn::test::Bytes(archive.bytes.begin(), archive.bytes.end())),
              vorn::test::toHex(vorn::test::Bytes(expected.begin(), expected.end())));
}

TEST_F(ProjectArchive, EntriesComeBackByteForByte) {
    std::string every;
    for (int i = 0; i < 3000; ++i)
        every += static_cast<char>(i * 7 % 256);
    for (const std::string& entry :
         {std::string("x"), std::string("<Movie/>\r\n"), every, std::string(3'000'000, 'a')}) {
        const vorn::ProjectArchive packed = vorn::packProject(entry);
        ASSERT_TRUE(packed.ok);
        const vorn::ProjectArchive unpacked = vorn::unpackProject(spanOf(packed.bytes));
        ASSERT_TRUE(unpacked.ok) << unpacked.reason;
        EXPECT_EQ(unpacked.bytes, entry);
    }
}

TEST_F(ProjectArchive, TheEntryIsDataXmlOrElseTheFirst) {
    const ScratchFolder folder;
    const std::pair<std::vector<std::pair<std::string, std::string>>, std::string> rows[] = {
        {{{"readme.txt", "first"}, {"data.xml", "the document"}}, "the document"},
        {{{"other.xml", "the first entry"}, {"more.xml", "second"}}, "the first entry"},
        // Names are compared exactly.
        {{{"first.xml", "first"}, {"Data.XML", "other"}}, "first"},
    };
    for (const auto& [entries, expected] : rows) {
        const vorn::ProjectArchive unpacked =
            vorn::unpackProject(spanOf(archiveOf(folder, entries)));
        EXPECT_TRUE(unpacked.ok) << unpacked.reason;
        EXPECT_EQ(unpacked.bytes, expected);
    }
    const vorn::ProjectArchive stored =
        vorn::unpackProject(spanOf(archiveOf(folder, {{"data.xml", "stored"}}, 0)));
    EXPECT_EQ(stored.bytes, "stored");
}

TEST_F(ProjectArchive, DamagedArchivesFailWithTheirReason) {
    const ScratchFolder folder;
    const std::string good = vorn::packProject("<Movie SwfVersion=\"6\"/>", 1700000000).bytes;
    // Offsets in the archive above: flags at 6 and 38 + data + 8, crc at 14, data from 38.
    const std::size_t central = good.find("PK\x01\x02");
    std::string wrongCrc = good;
    wrongCrc[14] ^= 1;
    wrongCrc[central + 16] ^= 1;
    std::string encrypted = good;
    encrypted[6] |= 1;
    encrypted[central + 8] |= 1;
    std::string damagedData = good;
    damagedData[38] = '\xFF';
    damagedData[39] = '\xFF';
    const std::pair<std::string, std::string> rows[] = {
        {"", "the project is not a zip archive"},
        {"not a zip at all", "the project is not a zip archive"},
        {good.substr(0, good.size() - 10), "the project archive's directory is damaged"},
        {archiveOf(folder, {}), "the project archive holds no entry"},
        {vorn::packProject("").bytes, "the project's entry data.xml is empty"},
        {archiveOf(folder, {{"folder/", ""}, {"x.xml", "y"}}),
         "the project's entry folder/ is empty"},
        {wrongCrc, "the project's entry data.xml fails its checksum"},
        {encrypted, "the project's entry data.xml is protected by a password"},
        {damagedData, "the project's entry data.xml is damaged"},
    };
    for (const auto& [archive, reason] : rows) {
        const vorn::ProjectArchive unpacked = vorn::unpackProject(spanOf(archive));
        EXPECT_FALSE(unpacked.ok) << reason;
        EXPECT_EQ(unpacked.reason, reason);
    }
}

// Runs a command, giving its exit status and what it printed.
int run(const std::string& command, std::string& output) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    return ::pclose(pipe);
}

bool haveTool(const std::string& tool) {
    std::string ignored;
    return run("command -v " + tool, ignored) == 0;
}

TEST_F(ProjectArchive, OtherZipReadersReadIt) {
    const ScratchFolder folder;
    std::string entry = "<?xml version=\"1.0\" ?>\r\n<Movie SwfVersion=\"5\">\r\n";
    for (int i = 0; i < 20000; ++i)
        entry += "    <FrameLabel Name=\"\xE9" + std::to_string(i) + "\" />\r\n";
    entry += "</Movie>\r\n";
    const std::string path = folder / "project.vorn";
    vorn::test::writeFile(path, vorn::packProject(entry).bytes);
    bool skipped = true;
    if (haveTool("unzip")) {
        skipped = false;
        std::string output;
        EXPECT_EQ(run("unzip -t '" + path + "'", output), 0) << output;
        EXPECT_NE(output.find("testing: data.xml"), std::string::npos) << output;
        EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
    }
    if (haveTool("python3")) {
        skipped = false;
        const std::string copy = folder / "copy.xml";
        std::string output;
        EXPECT_EQ(run("python3 -c 'import sys, zipfile\n"
                      "z = zipfile.ZipFile(sys.argv[1])\n"
                      "assert z.testzip() is None\n"
                      "print(z.namelist(), z.infolist()[0].compress_type)\n"
                      "open(sys.argv[2], \"wb\").write(z.read(\"data.xml\"))' '" +
                          path + "' '" + copy + "'",
                      output),
                  0)
            << output;
        EXPECT_EQ(output, "['data.xml'] 8\n");
        EXPECT_EQ(vorn::test::readFile(copy), entry);
    }
    if (skipped)
        GTEST_SKIP() << "neither unzip nor python3 is installed: the archive was not read by "
                        "another zip reader";
}

} // namespace
