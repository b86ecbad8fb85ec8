#include "frame/program_arguments.h"

#include "resources/menu_table.h"

namespace vorn {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// "/e", "/p", "/e PATH": the one-string command line's option, a '/' and one character.
bool startsCommandLine(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '/' && argument[1] != '/' &&
           !isBlank(argument[1]) && (argument.size() == 2 || isBlank(argument[2]));
}

} // namespace

ProgramArguments parseProgramArguments(std::span<const std::string> arguments) {
    ProgramArguments result;
    for (const std::string& argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "-h") {
            result.action = ProgramArguments::Action::Help;
            return result;
        }
        if (argument == "--version") {
            result.action = ProgramArguments::Action::Version;
            return result;
        }
    }
    if (!arguments.empty() && startsCommandLine(arguments.front())) {
        std::string line;
        for (const std::string& argument : arguments)
            line.append(line.empty() ? "" : " ").append(argument);
        result.commandLine = parseCommandLine(line);
        return result;
    }
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
            continue;
        }
        if (options && argument.size() > 1 && argument[0] == '-') {
            result.action = ProgramArguments::Action::Error;
            result.error = "unknown option " + argument;
            return result;
        }
        result.files.push_back(argument);
    }
    return result;
}

std::string usageText() {
    return "Usage: vorn [FILE...]\n"
           "       vorn /e FILE\n"
           "       vorn /p FILE\n"
           "Opens Flash movies (.swf), their XML text (.xml) and Vorn projects (.vorn) in the\n"
           "editor.\n"
           "\n"
           "  FILE...      open each file in a tab of its own\n"
           "  /e FILE      open the file\n"
           "  /p FILE      play the file\n"
           "  --help       show this text and end\n"
           "  --version    show the version and end\n";
}

std::string versionText() {
    return "vorn " + std::string(programVersion()) + "\n";
}

} // namespace vorn
