// vorn-convert as users run it: exit status, the one-line reason on stderr, and outputs that
// are complete or absent.
#include "swf_bytes.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace vorn::test;

namespace {

struct Outcome {
    int status;
    std::string err;
};

Outcome convert(const std::string& args) {
    const fs::path errFile =
        fs::temp_directory_path() / ("vorn-cli-err-" + std::to_string(::getpid()));
    const std::string command =
        std::string(VORN_CONVERT) + " " + args + " 2>" + errFile.string() + " >/dev/null";
    const int raw = std::system(command.c_str());
    std::ifstream in(errFile);
    std::string err((std::istreambuf_iterator<char>(in)), {});
    fs::remove(errFile);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
}

class Convert : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("vorn-cli-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string put(const std::string& name, const Bytes& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    Bytes get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir;
};

} // namespace

TEST_F(Convert, RewriteWritesTheSameMovie) {
    const Bytes in = movie(8, 1, concat({tag(255, hex("01 02 03")), tag(1, {}), u16(0)}));
    const std::string src = put("in.swf", in), dst = (dir / "out.swf").string();
    const Outcome run = convert("--rewrite " + src + " " + dst);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(get(dst), in);
}

TEST_F(Convert, FailureNamesFileAndReasonAndLeavesNoOutput) {
    Bytes in = movie(8, 1, concat({tag(1, {}), tag(12, hex("01 02 03 04 05 06"))}));
    in.resize(in.size() - 2);
    const std::string src = put("cut.swf", in), dst = (dir / "out.swf").string();
    const Outcome run = convert("--rewrite " + src + " " + dst);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vorn-convert: " + src +
                           ": UnexpectedEnd: a tag body of 6 bytes runs past the end of the "
                           "movie, where 4 bytes remain (tag 12 DoAction at offset 23, tag "
                           "index 1)\n");
    EXPECT_FALSE(fs::exists(dst));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1); // no temporary left

    // An existing output survives a failed conversion untouched.
    const std::string old = put("old.swf", hex("01 02"));
    EXPECT_EQ(convert("--rewrite " + src + " " + old).status, 1);
    EXPECT_EQ(get(old), hex("01 02"));
}

TEST_F(Convert, UnreadableInputAndUnwritableOutputAreNamed) {
    const std::string missing = (dir / "missing.swf").string();
    Outcome run = convert("--rewrite " + missing + " " + (dir / "o.swf").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vorn-convert: " + missing +
                  ": OpenForReadFailed: cannot open for reading: No such file or directory\n");

    const std::string src = put("in.swf", movie(8, 0, u16(0)));
    const std::string nowhere = (dir / "nowhere" / "o.swf").string();
    run = convert("--rewrite " + src + " " + nowhere);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("vorn-convert: " + nowhere + ": OpenForWriteFailed: ", 0), 0u)
        << run.err;
}

TEST_F(Convert, UsageErrorsExitWithTwo) {
    EXPECT_EQ(convert("--help").status, 0);
    EXPECT_EQ(convert("").status, 2);
    EXPECT_EQ(convert("--rewrite only-one.swf").status, 2);
    EXPECT_EQ(convert("--bogus a b").status, 2);
}
