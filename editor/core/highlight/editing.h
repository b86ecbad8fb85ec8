// The text view's editing rules that need no window: the caret column of the status bar,
// the indentation Enter gives, where Home goes, and which names the completion list offers.
// Lines are passed without their line break; positions are byte offsets into the line.
#pragma once

#include "templates/templates.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace vorn {

// The 1-based column the status bar shows for a caret after `beforeCaret`, the text of its
// line up to the caret: a tab advances to the next multiple of 8, any other character by 1
// (the bytes of one multi-byte character count once).
std::size_t caretColumn(std::string_view beforeCaret);

// The blanks Enter puts at the start of a new line, given the 0-based index of the new line
// and the line above it: the width of the line above before its first '<', counted as the
// caret column counts; none when the line above has no '<', and none for the first two
// lines of the text.
std::size_t enterIndent(std::size_t newLine, std::string_view lineAbove);

// Where Home puts the caret on a line: before its last '<', or at its start when it has none.
std::size_t homeTarget(std::string_view line);

// The completion list to offer when '<' is typed on the line with 0-based index `caretLine`,
// below `lineAbove`, or nothing on the first two lines of the text. The first element name
// of the line above (after its first '<' and an optional '/', up to a blank, '/' or '>')
// decides:
// - tag names after a closed line naming a tag (an end tag or an empty-element tag, blanks
//   aside), and after any line naming Movie;
// - otherwise, after a name of the action registry, action names, except that an action
//   container (Actions, TryActions, ...) on a closed line is followed by record names;
// - otherwise record names.
std::optional<TemplateKind> completionKind(std::size_t caretLine, std::string_view lineAbove);

} // namespace vorn
