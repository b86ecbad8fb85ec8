#include "commandline/command_line.h"

namespace vorn {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

CommandLine parseCommandLine(std::string_view line) {
    CommandLine result;
    std::string_view rest = trimmed(line);
    if (rest.size() >= 2 && rest[0] == '/' && !isBlank(rest[1]) && rest[1] != '/' &&
        (rest.size() == 2 || isBlank(rest[2]))) {
        result.option = rest[1];
        rest = trimmed(rest.substr(2));
    }
    result.path = std::string(rest);
    return result;
}

} // namespace vorn
