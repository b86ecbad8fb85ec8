// The one-string command line: option letters, trimming, quotes, and slashes of real paths.
#include "commandline/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, OptionsPathsAndTrimming) {
    struct Row {
        const char* line;
        char option;
        const char* path;
    };
    const Row rows[] = {
        {"", ' ', ""},
        {"   ", ' ', ""},
        {"/e movie.swf", 'e', "movie.swf"},
        {"  /p   /home/a b/m.swf  ", 'p', "/home/a b/m.swf"},
        {"/e \"/tmp/x y.xml\"", 'e', "\"/tmp/x y.xml\""},
        {"/p", 'p', ""},
        {"movie.xml", ' ', "movie.xml"},
        {"/x file", 'x', "file"},
        // Absolute paths keep every slash: only a two-character first word is an option.
        {"/home/user/movie.swf", ' ', "/home/user/movie.swf"},
        {"/e/movie.swf", ' ', "/e/movie.swf"},
        {"// e", ' ', "// e"},
        {"a /e b", ' ', "a /e b"},
    };
    for (const Row& row : rows) {
        const vorn::CommandLine parsed = vorn::parseCommandLine(row.line);
        EXPECT_EQ(parsed.option, row.option) << row.line;
        EXPECT_EQ(parsed.path, row.path) << row.line;
    }
}

} // namespace
