#include "files/problems.h"

#include <array>
#include <utility>

namespace vorn {

namespace {

constexpr std::array<std::pair<int, std::string_view>, 17> kStringTable = {{
    {164, "Message"},
    {166, "The XML is correct."},
    {167, "The XML has incorrect format."},
    {168, "Unable to play .swf file."},
    {169, "Unable to open "},
    {170, "The XML is correct."},
    {171, "The file has been changed.\n"
          "To save the changes and close, click \"Yes\".\n"
          "To close without saving, click \"No\"."},
    {172, "Unexpected Error"},
    {173, "Error description: "},
    {174, "Row: "},
    {175, "Col: "},
    {177, "Unable to save this file."},
    {178, "Warning"},
    {179, "Incorrect value of attribute SwfVersion"},
    {180, "Incorrect value of attribute Height"},
    {181, "Incorrect value of attribute Width"},
    {182, "Incorrect Base64 data"},
}};

struct Problem {
    std::string_view text;
    std::string_view caption;
};

// By code, from 1; index 0 is the report of every unknown code.
constexpr std::array<Problem, 9> kProblems = {{
    {"Unexpected Error", "Message"},
    {"Unable to play .swf file.", "Message"},
    {"Please install a Flash Player.", "Flash Player is not installed."},
    {"Unable to save this file.", "Message"},
    {"Incorrect value of attribute SwfVersion", "Warning"},
    {"Incorrect value of attribute Width", "Warning"},
    {"Incorrect value of attribute Height", "Warning"},
    {"Incorrect Base64 data", "Warning"},
    {"Unable to open ", "Message"},
}};

} // namespace

std::string_view stringTableText(int id) {
    for (const auto& [key, text] : kStringTable)
        if (key == id)
            return text;
    return {};
}

MessageBoxText problemReport(int code, std::string_view subject) {
    const bool known = code >= 1 && code < static_cast<int>(kProblems.size());
    const Problem& problem = kProblems[known ? code : 0];
    MessageBoxText box{std::string(problem.text), std::string(problem.caption), BoxIcon::Warning};
    if (code == kProblemOpen)
        box.text.append(subject).append(".");
    return box;
}

} // namespace vorn
