// The editor's command line as Linux programs take it: "vorn FILE..." opens each file,
// "vorn /e PATH" opens and "vorn /p PATH" plays one file, "--help" and "--version" print and
// end the program.
#pragma once

#include "commandline/command_line.h"

#include <span>
#include <string>
#include <vector>

namespace vorn {

struct ProgramArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // "/e PATH" or "/p PATH" (the option ' ' when neither was given).
    CommandLine commandLine;
    // The files to open, in order.
    std::vector<std::string> files;
    // What was wrong, for Action::Error.
    std::string error;
};

// The arguments after the program's name. "--help" or "--version" anywhere before "--"
// decide alone. When the first argument is an option of the one-string command line ("/e",
// "/p", or a whole "/e PATH" in one argument), all arguments joined with blanks are that
// command line, so that a path with blanks may be given unquoted. Otherwise every argument is
// a file; "--" ends the options, and after it even a name starting with '-' is a file.
ProgramArguments parseProgramArguments(std::span<const std::string> arguments);

// What "--help" prints.
std::string usageText();
// What "--version" prints.
std::string versionText();

} // namespace vorn
