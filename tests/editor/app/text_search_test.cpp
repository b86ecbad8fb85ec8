// Searching bytes: exact, without regard to case (ASCII and beyond), whole words at the
// range's edges, and backwards.
#include "view/text_search.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(TextSearch, FindInRange) {
    constexpr int kWhole = SearchWholeWord;
    constexpr int kCase = SearchMatchCase;
    const struct {
        const char* range;
        const char* needle;
        int flags;
        bool backwards;
        unsigned char before;
        unsigned char after;
        std::optional<TextMatch> match;
    } rows[] = {
        {"Push push PUSH", "push", kCase, false, 0, 0, TextMatch{5, 9}},
        {"Push push PUSH", "push", 0, false, 0, 0, TextMatch{0, 4}},
        {"Push push PUSH", "push", 0, true, 0, 0, TextMatch{10, 14}},
        {"Push push PUSH", "Push", kCase, true, 0, 0, TextMatch{0, 4}},
        {"Push push PUSH", "pop", 0, false, 0, 0, std::nullopt},
        {"ab", "abc", 0, false, 0, 0, std::nullopt},
        {"ab", "", 0, false, 0, 0, std::nullopt},
        // Whole words, also against the bytes outside the range.
        {"PushDuplicate Push", "Push", kWhole | kCase, false, 0, 0, TextMatch{14, 18}},
        {"Push x", "Push", kWhole, false, 'a', 0, std::nullopt},
        {"Push x", "Push", kWhole, false, ' ', 0, TextMatch{0, 4}},
        {"x Push", "push", kWhole, true, 0, '_', std::nullopt},
        {"x Push", "push", kWhole, true, 0, '>', TextMatch{2, 6}},
        {"\xC3\xA9Push Push", "Push", kWhole, false, 0, 0, TextMatch{7, 11}},
        {"a_b a-b", "a", kWhole | kCase, true, 0, 0, TextMatch{4, 5}},
        // Letters beyond ASCII in either case, also where the cases differ in length.
        {"x \xC3\x89t\xC3\xA9 y", "\xC3\xA9T\xC3\x89", 0, false, 0, 0, TextMatch{2, 7}},
        {"\xC3\x89t\xC3\xA9 \xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", kCase, false, 0, 0,
         TextMatch{6, 11}},
        {"\xC3\xA9 \xC3\x89", "\xC3\xA9", 0, true, 0, 0, TextMatch{3, 5}},
        {"Ma\xC3\x9F", "MASS", 0, false, 0, 0, std::nullopt}, // one letter folds to two
        {"\xC5\xBF\xC3\xA9", "s\xC3\xA9", 0, false, 0, 0, TextMatch{0, 4}}, // long s
        {"\xFF\xC3 \xC3\x89", "\xC3\xA9", 0, false, 0, 0, TextMatch{3, 5}},
        {"\xC3", "\xC3\xA9", 0, false, 0, 0, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            findInRange(row.range, row.needle, row.flags, row.backwards, row.before, row.after),
            row.match)
            << row.range << " / " << row.needle;
    }
}

} // namespace
} // namespace vorn
