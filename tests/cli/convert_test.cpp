// vorn-convert as users run it: exit status, the one-line reason on stderr, and outputs that
// are complete or absent.
#include "swf_bytes.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    EXPECT_EQ(convert("a.swf b.txt").err,
              "vorn-convert: b.txt: not a .swf, .xml or .vorn file; use --to (see --help)\n");
    EXPECT_EQ(convert("a.xml b.xml").status, 2);
    EXPECT_EQ(convert("--rewrite a.xml b.swf").status, 2);
    EXPECT_EQ(convert("-o /nonexistent-folder a.swf").err,
              "vorn-convert: /nonexistent-folder: not a folder (see --help)\n");
    EXPECT_EQ(convert("-o " + dir.string() + " x/a.swf y/a.swf").err,
              "vorn-convert: y/a.swf: another input also writes " + (dir / "a.xml").string() +
                  " (see --help)\n");
}

TEST_F(Convert, ABatchNeverWritesOverAnotherInput) {
    // Each input's output would land on the other input, which its job may be reading.
    const Bytes swf = movie(8, 1, concat({tag(1, {}), u16(0)}));
    const std::string text =
        "<Movie SwfVersion=\"8\" Width=\"1\" Height=\"1\"><ShowFrame/></Movie>";
    const std::string a = put("a.swf", swf);
    const std::string b = put("a.xml", Bytes(text.begin(), text.end()));
    const Outcome run = convert("-o " + dir.string() + " " + a + " " + b);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "vorn-convert: " + a + ": writes " + b + ", which is also an input (see --help)\n");
    EXPECT_EQ(get(a), swf);
    EXPECT_EQ(get(b), Bytes(text.begin(), text.end()));
    // The same file by another way of writing its path is the same file.
    fs::create_directories(dir / "sub");
    const Outcome other = convert("-o " + (dir / "sub" / "..").string() + " " + a + " " +
                                  (dir / "." / "a.xml").string());
    EXPECT_EQ(other.status, 2) << other.err;
    // A movie rewritten in place is its own job's input only: read whole before it is written.
    EXPECT_EQ(convert("--rewrite -o " + dir.string() + " " + a).status, 0);
    EXPECT_EQ(get(a), swf);
}

TEST_F(Convert, SwfToXmlAndBackByExtension) {
    const Bytes in = movie(8, 1, concat({tag(250, hex("01 02 03")), tag(1, {}), u16(0)}));
    const std::string swf = put("in.swf", in);
    const std::string xml = (dir / "in.xml").string();
    const std::string back = (dir / "back.swf").string();
    EXPECT_EQ(convert(swf + " " + xml).status, 0);
    const Bytes text = get(xml);
    EXPECT_EQ(std::string(text.begin(), text.begin() + 39),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");
    EXPECT_EQ(convert(xml + " " + back).status, 0);
    EXPECT_EQ(get(back), in);
    // --to decides when the output's extension does not.
    const std::string other = (dir / "other.bin").string();
    EXPECT_EQ(convert("--to xml " + swf + " " + other).status, 0);
    EXPECT_EQ(get(other), text);

    // A compressed movie, whose bytes are given back once inflated, gives the same text.
    std::string compressed(text.begin(), text.end());
    const std::string plain = "IsCompressed=\"false\"";
    const std::size_t flag = compressed.find(plain);
    ASSERT_NE(flag, std::string::npos);
    compressed.replace(flag, plain.size(), "IsCompressed=\"true\"");
    const std::string cxml = put("c.xml", Bytes(compressed.begin(), compressed.end()));
    const std::string cswf = (dir / "c.swf").string(), again = (dir / "again.xml").string();
    EXPECT_EQ(convert(cxml + " " + cswf).status, 0);
    EXPECT_EQ(get(cswf).at(0), 'C');
    const Outcome run = convert(cswf + " " + again);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Bytes printed = get(again);
    EXPECT_EQ(std::string(printed.begin(), printed.end()), compressed);
}

TEST_F(Convert, XmlFailuresNameTheLine) {
    const std::string bad =
        put("bad.xml", Bytes{'<', 'M', 'o', 'v', 'i', 'e', '>', '\n', '<', 'x'});
    const Outcome run = convert(bad + " " + (dir / "out.swf").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vorn-convert: " + bad + ": line 2, column 2: Error parsing start element tag\n");
    EXPECT_FALSE(fs::exists(dir / "out.swf"));

    // Found while the movie is written, once the text is let go: still the element's line.
    const std::string text = "<Movie SwfVersion=\"8\" Width=\"10\" Height=\"10\">\n<ShowFrame/>"
                             "\n\n   <Unknown TagType=\"2000\"/></Movie>";
    const std::string late = put("late.xml", Bytes(text.begin(), text.end()));
    const Outcome written = convert(late + " " + (dir / "out.swf").string());
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(written.err, "vorn-convert: " + late +
                               ": line 4, column 5: ValueOutOfRange: tag code 2000 does not fit "
                               "the 10 bits of a tag header (tag 2000, tag index 1)\n");
    EXPECT_FALSE(fs::exists(dir / "out.swf"));

    // A document of megabytes is given back as it is read and read again from the file for
    // a failure: the same lines, whether found while reading, in the markup or while writing.
    std::string frames;
    for (int i = 0; i < 200000; ++i)
        frames += "    <ShowFrame/>\n";
    const std::string head = "<Movie SwfVersion=\"8\" Width=\"10\" Height=\"10\">\n" + frames;
    const struct {
        const char* name;
        std::string tail;
        std::string failure;
    } large[] = {
        {"reading.xml",
         "<SoundStreamHead><PlaybackInfo SoundRate=\"9\"/></SoundStreamHead></Movie>",
         "line 200002, column 2: SoundStreamHead: ValueOutOfRange: SoundRate 9 does not fit its "
         "2 bits"},
        {"markup.xml", "<ShowFrame>\n</Movie>", "line 200003, column 3: Start-end tags mismatch"},
        {"writing.xml", "\n  <Unknown TagType=\"2000\"/></Movie>",
         "line 200003, column 4: ValueOutOfRange: tag code 2000 does not fit the 10 bits of a "
         "tag header (tag 2000, tag index 200000)"},
    };
    for (const auto& row : large) {
        const std::string document = head + row.tail;
        const std::string path = put(row.name, Bytes(document.begin(), document.end()));
        const Outcome run = convert(path + " " + (dir / "out.swf").string());
        EXPECT_EQ(run.status, 1) << row.name;
        EXPECT_EQ(run.err, "vorn-convert: " + path + ": " + row.failure + "\n") << row.name;
    }
    EXPECT_FALSE(fs::exists(dir / "out.swf"));
}

TEST_F(Convert, CheckReportsEachDocument) {
    auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    const std::string good =
        put("good.xml",
            text("<Movie SwfVersion=\"8\" Width=\"10\" Height=\"10\"><ShowFrame/></Movie>"));
    const std::string narrow =
        put("narrow.xml", text("<Movie SwfVersion=\"8\" Height=\"10\"><ShowFrame/></Movie>"));
    const std::string broken = put("broken.xml", text("<Movie"));
    EXPECT_EQ(convert("--check " + good).status, 0);
    const Outcome run = convert("--check -j 1 " + good + " " + narrow + " " + broken);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vorn-convert: " + narrow + ": Incorrect value of attribute Width\n" +
                           "vorn-convert: " + broken +
                           ": line 1, column 6: Error parsing start element tag\n" +
                           "vorn-convert: 1 of 3 checked, 2 failed\n");
}

TEST_F(Convert, ParallelBatchCompilesTheSameTextToTheSameBytes) {
    // Definitions without an id are numbered per conversion, whatever runs beside it.
    const std::string text = "<Movie SwfVersion=\"8\" Width=\"550\" Height=\"400\" "
                             "FrameRate=\"12\"><DefineSprite /><DefineSprite />"
                             "<DefineBinaryData CharacterId=\"7\" /><DefineSprite /></Movie>";
    std::string list;
    for (int i = 0; i < 16; ++i)
        list += " " + put("d" + std::to_string(i) + ".xml", Bytes(text.begin(), text.end()));
    fs::create_directories(dir / "out");
    ASSERT_EQ(convert("-j 4 -o " + (dir / "out").string() + list).status, 0);
    const Bytes expected = movie(
        8, 0,
        concat({tag(39, hex("01 00 00 00 00 00")), tag(39, hex("02 00 00 00 00 00")),
                tag(87, hex("07 00 00 00 00 00")), tag(39, hex("04 00 00 00 00 00")), u16(0)}));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(toHex(get((dir / "out" / ("d" + std::to_string(i) + ".swf")).string())),
                  toHex(expected))
            << i;
}

TEST_F(Convert, ParallelBatchWritesWhatASerialOneWrites) {
    std::vector<std::string> inputs;
    for (int i = 0; i < 12; ++i) {
        Bytes body(static_cast<std::size_t>(100 + 997 * i), static_cast<std::uint8_t>(i));
        inputs.push_back(put("m" + std::to_string(i) + ".swf",
                             movie(10, 1, concat({tag(250, body), tag(1, {}), u16(0)}))));
    }
    inputs.push_back(put("broken.swf", hex("46 57 53")));
    std::string list;
    for (const auto& input : inputs)
        list += " " + input;
    fs::create_directories(dir / "serial");
    fs::create_directories(dir / "parallel");
    const Outcome serial = convert("-j 1 -o " + (dir / "serial").string() + list);
    const Outcome parallel = convert("-j 4 -o " + (dir / "parallel").string() + list);
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(parallel.status, 1);
    EXPECT_EQ(serial.err, parallel.err);
    EXPECT_EQ(parallel.err.substr(parallel.err.find("vorn-convert: 12 of 13")),
              "vorn-convert: 12 of 13 converted, 1 failed\n");
    for (int i = 0; i < 12; ++i) {
        const std::string name = "m" + std::to_string(i) + ".xml";
        EXPECT_FALSE(get((dir / "serial" / name).string()).empty()) << name;
        EXPECT_EQ(get((dir / "serial" / name).string()), get((dir / "parallel" / name).string()))
            << name;
    }
    EXPECT_FALSE(fs::exists(dir / "parallel" / "broken.xml"));
}

// Threads that cannot be started (here for want of address space for their stacks) leave the
// batch to the threads that could: every file is still converted, and nothing aborts.
TEST_F(Convert, ABatchRunsOnTheThreadsItCanStart) {
#if defined(__SANITIZE_ADDRESS__) || defined(__has_feature)
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
#endif
    const Bytes in = movie(8, 1, concat({tag(1, {}), u16(0)}));
    std::string list;
    for (int i = 0; i < 300; ++i)
        list += " " + put("m" + std::to_string(i) + ".swf", in);
    fs::create_directories(dir / "out");
    // Threads of 64 MiB stacks in 700 MB of address space: about ten start of the 256 asked
    // for. One malloc arena for all, so that what the threads that start allocate is not
    // reserved 64 MiB at a time and the conversions themselves have room.
    const std::string limited =
        std::string("sh -c 'ulimit -s 65536; ulimit -v 700000; MALLOC_ARENA_MAX=1 exec ") +
        VORN_CONVERT + " -j 256 -o " + (dir / "out").string() + list + "' 2>" +
        (dir / "err.txt").string();
    const int raw = std::system(limited.c_str());
    std::ifstream errIn(dir / "err.txt");
    const std::string err((std::istreambuf_iterator<char>(errIn)), {});
    ASSERT_TRUE(WIFEXITED(raw)) << err;
    EXPECT_EQ(WEXITSTATUS(raw), 0) << err;
    EXPECT_EQ(err, "vorn-convert: 300 of 300 converted\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 300);
}

// An input cut short while it is converted is a failure of that file, not of the process. The
// cut comes as soon as the converter holds the file, while a conversion of 8 MB goes on.
TEST_F(Convert, AnInputTruncatedWhileReadIsAFailureNotACrash) {
    std::string text = "<Movie SwfVersion=\"10\" Width=\"550\" Height=\"400\">\n";
    const std::string data(60000, 'A'); // base64 of zeros
    for (int i = 0; text.size() < (std::size_t{8} << 20); ++i)
        text += "    <DefineBinaryData CharacterId=\"" + std::to_string(i % 60000 + 1) +
                "\">\n        <Data><![CDATA[" + data + "]]></Data>\n    </DefineBinaryData>\n";
    text += "</Movie>\n";
    const std::string input = put("big.xml", Bytes(text.begin(), text.end()));
    const std::string output = (dir / "big.swf").string();
    const std::string errPath = (dir / "err.txt").string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::string program = VORN_CONVERT;
    std::vector<char*> argv = {program.data(), const_cast<char*>(input.c_str()),
                               const_cast<char*>(output.c_str()), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Cut the file as soon as the converter has it open or mapped.
    const fs::path proc = fs::path("/proc") / std::to_string(child);
    const auto holds = [&] {
        std::error_code error;
        for (const auto& fd : fs::directory_iterator(proc / "fd", error))
            if (fs::read_symlink(fd.path(), error) == fs::path(input))
                return true;
        std::ifstream maps(proc / "maps");
        const std::string mapped((std::istreambuf_iterator<char>(maps)), {});
        return mapped.find(input) != std::string::npos;
    };
    int status = 0;
    bool ended = false;
    for (int tries = 0; tries < 20000 && !holds(); ++tries) {
        ended = ::waitpid(child, &status, WNOHANG) == child;
        if (ended)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ASSERT_EQ(::truncate(input.c_str(), 0), 0);
    if (!ended) {
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    std::ifstream errIn(errPath);
    const std::string err((std::istreambuf_iterator<char>(errIn)), {});
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    // Read whole before the cut, or cut while it was read: either way the process answers.
    if (WEXITSTATUS(status) != 0) {
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_EQ(err.rfind("vorn-convert: " + input + ": ", 0), 0u) << err;
    }
}

// Whole archives: the same names in different folders, files of other kinds, and the output
// folder inside an input folder.
TEST_F(Convert, RecursiveBatchKeepsTheFoldersBelowEachInput) {
    const Bytes in = movie(8, 1, concat({tag(250, hex("01 02 03")), tag(1, {}), u16(0)}));
    fs::create_directories(dir / "in" / "a");
    fs::create_directories(dir / "in" / "b" / "c");
    put("in/a/test.swf", in);
    put("in/b/test.swf", in);
    put("in/b/c/TEST.SWF", in);
    put("in/b/notes.txt", {'x'});
    fs::create_directories(dir / "in" / "out"); // the output folder, inside the input
    put("in/out/old.xml", {'x'});
    const std::string out = (dir / "in" / "out").string();
    const Outcome run = convert("-r -j 2 -o " + out + " " + (dir / "in").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "vorn-convert: 3 of 3 converted\n");
    for (const char* name : {"a/test.xml", "b/test.xml", "b/c/TEST.xml"})
        EXPECT_EQ(get((dir / "in" / "out" / name).string()),
                  get((dir / "in" / "out" / "a" / "test.xml").string()))
            << name;
    EXPECT_FALSE(fs::exists(dir / "in" / "out" / "b" / "notes.xml"));
    EXPECT_FALSE(fs::exists(dir / "in" / "out" / "out"));

    // And back, the documents below the output folder into another.
    fs::create_directories(dir / "back");
    EXPECT_EQ(convert("-r -o " + (dir / "back").string() + " " + out).status, 1); // old.xml
    EXPECT_EQ(get((dir / "back" / "b" / "c" / "TEST.swf").string()), in);
}

TEST_F(Convert, RecursiveUsageErrors) {
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "out");
    EXPECT_EQ(convert("-r " + dir.string()).err, "vorn-convert: -r needs -o DIR (see --help)\n");
    EXPECT_EQ(convert("-r -o " + (dir / "out").string() + " " + (dir / "empty").string()).err,
              "vorn-convert: no .swf, .xml or .vorn files below the folders given (see --help)\n");
    EXPECT_EQ(convert("-r -o " + (dir / "out").string() + " " + (dir / "missing").string()).err,
              "vorn-convert: " + (dir / "missing").string() +
                  ": no such file or folder (see --help)\n");
    // An output that would replace an input.
    const std::string swf = put("empty/m.swf", movie(8, 0, u16(0))),
                      xml = put("empty/m.xml", {'x'});
    EXPECT_EQ(convert("-r -o " + (dir / "empty").string() + " " + (dir / "empty").string()).err,
              "vorn-convert: " + swf + ": writes " + xml +
                  ", which is also an input (see --help)\n");
}
