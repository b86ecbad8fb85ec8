// vorn-convert with the editor's .vorn projects: both ways, checks, and what it refuses.
#include "swf_bytes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vorn::test;

namespace {

class ConvertProject : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vorn-cli-project-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Exit status and what went to stderr.
    std::pair<int, std::string> convert(const std::string& args) const {
        const std::string err = path("stderr");
        // From the folder, so that the files go by their names.
        const std::string command = "cd '" + dir.string() + "' && " + VORN_CONVERT + " " + args +
                                    " 2>" + err + " >/dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, get("stderr")};
    }

    fs::path dir;
};

const std::string kDocument = "<?xml version=\"1.0\" ?>\n"
                              "<Movie SwfVersion=\"5\" Width=\"550\" Height=\"400\" "
                              "FrameRate=\"12\" IsCompressed=\"false\">\n"
                              "  <FrameLabel Name=\"caf\xE9\" IsAnchor=\"false\"/>\n"
                              "  <ShowFrame/>\n"
                              "  <End/>\n"
                              "</Movie>\n";

const std::string kPrinted = "<?xml version=\"1.0\" ?>\r\n"
                             "<Movie SwfVersion=\"5\" Width=\"550\" Height=\"400\" "
                             "FrameRate=\"12\" IsCompressed=\"false\">\r\n"
                             "    <FrameLabel Name=\"caf\xE9\" IsAnchor=\"false\" />\r\n"
                             "    <ShowFrame />\r\n"
                             "    <End />\r\n"
                             "</Movie>\r\n";

TEST_F(ConvertProject, ProjectsBothWays) {
    put("in.xml", kDocument);
    const std::pair<std::string, std::string> steps[] = {
        {"in.xml p.vorn", ""},       {"p.vorn back.xml", ""},      {"p.vorn m.swf", ""},
        {"m.swf m.vorn", ""},        {"m.vorn m2.swf", ""},        {"--check p.vorn m.vorn", ""},
        {"--to vorn m.swf out", ""}, {"--to swf p.vorn out2", ""},
    };
    for (const auto& [args, err] : steps) {
        const auto [status, text] = convert(args);
        EXPECT_EQ(status, 0) << args << ": " << text;
        EXPECT_EQ(text, err + (args.starts_with("--check") ? "vorn-convert: 2 of 2 checked\n" : ""))
            << args;
    }
    // The project holds the document as the editor saves a .xml file.
    EXPECT_EQ(get("back.xml"), kPrinted);
    EXPECT_EQ(get("m2.swf"), get("m.swf"));
    EXPECT_EQ(get("out2"), get("m.swf"));
    // Without an extension the output is what --to says.
    fs::copy(path("out"), path("out.vorn"));
    EXPECT_EQ(convert("out.vorn again.xml").second, "");
    EXPECT_EQ(get("again.xml").substr(get("again.xml").find("<FrameLabel")),
              kPrinted.substr(kPrinted.find("<FrameLabel")));
}

TEST_F(ConvertProject, FailuresAndRefusals) {
    put("junk.vorn", "not a zip");
    put("wide.xml", "<Movie SwfVersion=\"6\" Width=\"0\" Height=\"1\"><End/></Movie>");
    ASSERT_EQ(convert("wide.xml wide.vorn").first, 0);
    put("broken.xml", "<Movie SwfVersion=\"6\"><End></Movie>");
    const std::tuple<std::string, int, std::string> rows[] = {
        {"junk.vorn x.swf", 1, "vorn-convert: junk.vorn: the project is not a zip archive\n"},
        {"--check wide.vorn", 1, "vorn-convert: wide.vorn: Incorrect value of attribute Width\n"},
        {"broken.xml b.vorn", 1,
         "vorn-convert: broken.xml: line 1, column 30: Start-end tags mismatch\n"},
        {"wide.vorn y.vorn", 2,
         "vorn-convert: both files are projects: nothing to convert (see --help)\n"},
        {"--rewrite -o . wide.vorn", 2,
         "vorn-convert: --rewrite reads and writes .swf files (see --help)\n"},
        {"wide.vorn z.doc", 2,
         "vorn-convert: z.doc: not a .swf, .xml or .vorn file; use --to (see --help)\n"},
    };
    for (const auto& [args, status, err] : rows) {
        const auto [got, text] = convert(args);
        EXPECT_EQ(got, status) << args;
        EXPECT_EQ(text, err) << args;
    }
    EXPECT_FALSE(fs::exists(path("x.swf")));
    EXPECT_FALSE(fs::exists(path("b.vorn")));
}

} // namespace
