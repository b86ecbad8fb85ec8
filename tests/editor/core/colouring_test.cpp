// Syntax colouring: the colour of each token form, strings cut at line ends, colouring that
// restarts at every line start, and the range's edges.
#include "highlight/colouring.h"

#include <gtest/gtest.h>

using vorn::ColourSpan;
using vorn::TextColour;

namespace {

// The coloured tokens as "text:colour" words, for readable failures.
std::string describe(std::string_view text, const std::vector<ColourSpan>& spans) {
    std::string out;
    for (const ColourSpan& span : spans) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "%06X", vorn::colourRgb(span.colour));
        if (!out.empty())
            out += ' ';
        out.append(text.substr(span.offset, span.length)).append(":").append(colour);
    }
    return out;
}

std::string coloured(std::string_view text) {
    std::vector<ColourSpan> spans;
    vorn::colourText(text, 0, text.size(), spans);
    return describe(text, spans);
}

TEST(Colouring, TokensAndTheirColours) {
    const struct {
        const char* text;
        const char* tokens;
    } rows[] = {
        // An attribute name against its '=' stays black; the value, quotes included, is a
        // string.
        {"Width=\"550\"", "\"550\":B22222"},
        {"<PlaceObject2 Depth=\"1\">", "PlaceObject2:0000CD \"1\":B22222"},
        {"</Push>", "Push:836FFF"},
        {"<push />", "push:836FFF"},
        {"<JPEGTables>", "JPEGTables:0000CD"},
        {"<Matrix>", "Matrix:4876FF"},
        {"<Move DX=\"1\" />", "Move:2E8B57 \"1\":B22222"},
        {"<Unknown TagType=\"9\"/>", "Unknown:0000CD \"9\":B22222"},
        {"ACTION_NEXTFRAME GotoLabel", "ACTION_NEXTFRAME:836FFF GotoLabel:836FFF"},
        // A name with a blank before its '=' is a word like any other.
        {"<X Id =\"3\"/>", "Id:2E8B57 \"3\":B22222"},
        // Words run through letters, digits, '_', '=' and the bytes of other characters.
        {"Play2 _Play Play_ 2Play \xC3\xA9Play Play=Stop", ""},
        {"Play.Stop-Add", "Play:836FFF Stop:836FFF Add:836FFF"},
        // A string ends at its closing quote, or before the end of its line.
        {"\"a\"b\"", "\"a\":B22222 \":B22222"},
        {"\"open\r\n<Play/>", "\"open:B22222 Play:836FFF"},
        {"\"open\n<Play/>", "\"open:B22222 Play:836FFF"},
        {"\"open\r<Play/>", "\"open:B22222 Play:836FFF"},
        {"\"\"", "\"\":B22222"},
        {"\"", "\":B22222"},
        {"DefineSceneAndFrameLabelData DefineSceneAndFrameLabelDataX",
         "DefineSceneAndFrameLabelData:0000CD"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(coloured(row.text), row.tokens) << row.text;
}

TEST(Colouring, TableTakesTheEarlierListAndIgnoresCase) {
    const struct {
        const char* word;
        TextColour colour;
    } rows[] = {
        {"JPEGTables", TextColour::TagName},
        {"jpegtables", TextColour::TagName},
        {"Movie", TextColour::TagName},
        {"End", TextColour::TagName},
        {"TRY", TextColour::RecordName},
        {"Constant", TextColour::OtherName},
        {"RemoveSprite", TextColour::ActionName},
        {"Width", TextColour::Black},
        {"", TextColour::Black},
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::wordColour(row.word), row.colour) << row.word;
}

// Colouring line by line gives what colouring the whole text gives, whatever a line holds.
TEST(Colouring, RestartsAtEveryLineStart) {
    const std::string text = "<?xml version=\"1.0\" ?>\r\n"
                             "<Movie SwfVersion=\"7\">\r\n"
                             "    <DoAction>\r\n"
                             "        <Push><String Name=\"unterminated /></Push>\n"
                             "        <Actions>\"a\"Play\"</Actions>\r"
                             "    </DoAction>\n"
                             "</Movie>";
    std::vector<ColourSpan> whole;
    vorn::colourText(text, 0, text.size(), whole);
    std::vector<ColourSpan> byLine;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text[end - 1] == '\r' && end < text.size() && text[end] == '\n')
            ++end;
        vorn::colourText(text, start, end, byLine);
        start = end;
    }
    EXPECT_EQ(byLine, whole);
    EXPECT_EQ(describe(text, whole),
              "\"1.0\":B22222 Movie:0000CD \"7\":B22222 DoAction:0000CD Push:836FFF "
              "String:4876FF \"unterminated /></Push>:B22222 Actions:4876FF \"a\":B22222 "
              "Play:836FFF \"</Actions>:B22222 DoAction:0000CD Movie:0000CD");
}

// Offsets are the text's; a range ends tokens at its end.
TEST(Colouring, RangeEdges) {
    const std::string text = "<Play/>\n<Stop/>\n\"long string\"";
    std::vector<ColourSpan> spans;
    vorn::colourText(text, 8, 16, spans);
    EXPECT_EQ(spans, (std::vector<ColourSpan>{{9, 4, TextColour::ActionName}}));
    spans.clear();
    vorn::colourText(text, 8, 11, spans); // "Stop" cut to "St"
    EXPECT_TRUE(spans.empty());
    spans.clear();
    vorn::colourText(text, 16, 20, spans);
    EXPECT_EQ(spans, (std::vector<ColourSpan>{{16, 4, TextColour::String}}));
    spans.clear();
    vorn::colourText(text, 16, 1000, spans); // an end past the text is the text's end
    EXPECT_EQ(spans, (std::vector<ColourSpan>{{16, 13, TextColour::String}}));
}

} // namespace
