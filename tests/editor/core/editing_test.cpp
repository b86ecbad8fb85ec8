// The text view's editing rules: caret column, Enter's indentation, Home and the completion
// list chosen from the line above.
#include "highlight/editing.h"

#include <gtest/gtest.h>

using vorn::TemplateKind;

namespace {

TEST(Editing, CaretColumnCountsTabsToMultiplesOfEight) {
    const struct {
        const char* before;
        std::size_t column;
    } rows[] = {
        {"", 1},
        {"    ", 5},
        {"\t", 9},
        {"1234567\t", 9},
        {"12345678\t", 17},
        {"\t\t<", 18},
        {"ab\tc", 10},
        {"\xC3\xA9\t", 9}, // one character of two bytes
        {"\xE2\x82\xAC\xE2\x82\xAC", 3},
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::caretColumn(row.before), row.column) << row.before;
}

TEST(Editing, EnterIndentsToTheFirstTagOfTheLineAbove) {
    const struct {
        std::size_t newLine;
        const char* above;
        std::size_t blanks;
    } rows[] = {
        {2, "\t\t<DefineSprite Id=\"1\">", 16},
        {2, "    <End />", 4},
        {7, "  \t<A><B>", 8},
        {2, "<Movie>", 0},
        {2, "no markup here", 0},
        {2, "", 0},
        {1, "    <Movie>", 0}, // the first two lines are never indented
        {0, "    <Movie>", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::enterIndent(row.newLine, row.above), row.blanks) << row.above;
}

TEST(Editing, HomeGoesBeforeTheLastTag) {
    const struct {
        const char* line;
        std::size_t target;
    } rows[] = {
        {"    <Frame>label</Frame>", 16},
        {"    <End />", 4},
        {"<A>", 0},
        {"plain text", 0},
        {"", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::homeTarget(row.line), row.target) << row.line;
}

TEST(Editing, CompletionListFromTheLineAbove) {
    const struct {
        const char* above;
        std::optional<TemplateKind> kind;
    } rows[] = {
        // Closed lines naming a tag offer tags.
        {"    <ShowFrame />", TemplateKind::Tag},
        {"    </DefineSprite>", TemplateKind::Tag},
        {"\t<End/>", TemplateKind::Tag},
        // Movie offers tags, open or closed, in any case.
        {"<Movie SwfVersion=\"7\">", TemplateKind::Tag},
        {"<movie>", TemplateKind::Tag},
        {"</Movie>", TemplateKind::Tag},
        // An open tag is not followed by tags.
        {"    <DefineSprite Id=\"1\" FrameCount=\"1\">", TemplateKind::Record},
        // Actions, and action containers while open.
        {"        <Play />", TemplateKind::Action},
        {"        <Push>", TemplateKind::Action},
        {"        <push>", TemplateKind::Action},
        {"        <Actions>", TemplateKind::Action},
        {"        <TryActions>", TemplateKind::Action},
        // A closed container offers records.
        {"        </Actions>", TemplateKind::Record},
        {"        <CatchActions />", TemplateKind::Record},
        // Anything else offers records.
        {"        <Matrix>", TemplateKind::Record},
        {"        </Matrix>", TemplateKind::Record},
        {"text without markup", TemplateKind::Record},
        {"", TemplateKind::Record},
        {"<ShowFrame /> trailing", TemplateKind::Record}, // not closed: a tag name alone
        {" < /ShowFrame>", TemplateKind::Record},         // a blank after '<' names nothing
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::completionKind(2, row.above), row.kind) << row.above;
    EXPECT_EQ(vorn::completionKind(1, "<Movie>"), std::nullopt);
}

} // namespace
