// The editor's one-string command line: an option letter after '/', and a path.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// What the command line asks for. option is ' ' when no option was given; 'e' opens the
// path, 'p' plays it, anything else is ignored by the caller.
struct CommandLine {
    char option = ' ';
    std::string path;
};

// The option is a first word of exactly two characters, '/' and a letter ("/e", "/p"); the
// rest is the path, trimmed of white space at both ends. Quotes stay, so a user who quoted a
// path with blanks gets exactly what was typed. A '/' anywhere else belongs to the path:
// on this system every absolute path starts with one.
CommandLine parseCommandLine(std::string_view line);

} // namespace vorn
