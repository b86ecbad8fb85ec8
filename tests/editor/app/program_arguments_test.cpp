// The editor's arguments: files to open, the one-string command line, --help and --version.
#include "frame/program_arguments.h"
#include "resources/menu_table.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

using Action = ProgramArguments::Action;

TEST(ProgramArguments, DecideWhatTheProgramDoes) {
    const struct {
        std::vector<std::string> arguments;
        Action action;
        char option;
        std::string path;
        std::vector<std::string> files;
        std::string error;
    } rows[] = {
        {{}, Action::Run, ' ', "", {}, ""},
        {{"a.swf", "/home/u/b.xml"}, Action::Run, ' ', "", {"a.swf", "/home/u/b.xml"}, ""},
        {{"/e", "/home/u/a.swf"}, Action::Run, 'e', "/home/u/a.swf", {}, ""},
        {{"/p", "my", "movie.swf"}, Action::Run, 'p', "my movie.swf", {}, ""},
        {{"/e /home/u/with blank.swf"}, Action::Run, 'e', "/home/u/with blank.swf", {}, ""},
        {{"/x", "a.swf"}, Action::Run, 'x', "a.swf", {}, ""},
        {{"--help"}, Action::Help, ' ', "", {}, ""},
        {{"a.swf", "-h"}, Action::Help, ' ', "", {}, ""},
        {{"/e", "a.swf", "--version"}, Action::Version, ' ', "", {}, ""},
        {{"--", "--help"}, Action::Run, ' ', "", {"--help"}, ""},
        {{"-x"}, Action::Error, ' ', "", {}, "unknown option -x"},
        {{"a.swf", "--", "-b.swf"}, Action::Run, ' ', "", {"a.swf", "-b.swf"}, ""},
        {{"-"}, Action::Run, ' ', "", {"-"}, ""},
    };
    for (const auto& row : rows) {
        const ProgramArguments parsed = parseProgramArguments(row.arguments);
        const std::string name = row.arguments.empty() ? "(none)" : row.arguments.front();
        EXPECT_EQ(parsed.action, row.action) << name;
        EXPECT_EQ(parsed.commandLine.option, row.option) << name;
        EXPECT_EQ(parsed.commandLine.path, row.path) << name;
        EXPECT_EQ(parsed.files, row.files) << name;
        EXPECT_EQ(parsed.error, row.error) << name;
    }
    EXPECT_EQ(versionText(), "vorn " + std::string(programVersion()) + "\n");
    EXPECT_EQ(usageText().rfind("Usage: vorn [FILE...]\n", 0), 0u);
}

} // namespace
} // namespace vorn
