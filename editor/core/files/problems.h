// The texts of the editor's message boxes: the string table and the problem reports of the
// file commands. Showing a box is the application's; what it says is decided here.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

enum class BoxIcon { Warning, Information, Question };

// What one message box shows.
struct MessageBoxText {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::Warning;

    bool operator==(const MessageBoxText&) const = default;
};

// The problem codes of the file commands.
enum ProblemCode : int {
    kProblemPlay = 1,
    kProblemNoPlayer = 2,
    kProblemSave = 3,
    kProblemSwfVersion = 4,
    kProblemWidth = 5,
    kProblemHeight = 6,
    kProblemBase64 = 7,
    kProblemOpen = 8,
};

// The warning box of a problem code. Only code 8 (a file that does not open) uses the
// subject, which is the path; an unknown code gives "Unexpected Error".
MessageBoxText problemReport(int code, std::string_view subject = {});

// The text of a string-table id, or "" for an id without one.
std::string_view stringTableText(int id);

} // namespace vorn
