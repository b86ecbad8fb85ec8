// Searching the document's bytes for Find, Replace and Replace All. Scintilla's own search
// goes character by character through its gap buffer and folds only ASCII letters; this one
// runs over contiguous bytes and folds every letter when the case does not matter.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vorn {

// The search flags the Find and Replace dialogs hand to the view.
enum SearchFlag : int {
    SearchDown = 1,
    SearchWholeWord = 2,
    SearchMatchCase = 4,
    SearchFindNext = 8,
    SearchReplace = 16,
    SearchReplaceAll = 32,
};

// A match as offsets into the searched bytes: [begin, end).
struct TextMatch {
    std::size_t begin;
    std::size_t end;
    bool operator==(const TextMatch&) const = default;
};

// Looks for the UTF-8 text `needle` in `range`: the first match, or with `backwards` the
// last one. `flags` may hold SearchWholeWord (the bytes around a match are no word bytes:
// letters, digits, '_' or bytes of multi-byte characters) and SearchMatchCase (else letters
// match in either case, beyond ASCII too). `before` and `after` are the bytes just outside
// the range, or 0 at the ends of the text.
std::optional<TextMatch> findInRange(std::string_view range, std::string_view needle, int flags,
                                     bool backwards, unsigned char before = 0,
                                     unsigned char after = 0);

} // namespace vorn
