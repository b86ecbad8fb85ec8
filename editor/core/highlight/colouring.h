// Syntax colouring of the dialect's text: the colour table and the tokeniser. The text view
// colours only what comes into view, so the tokeniser starts cleanly at any line start: no
// token runs past the end of its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vorn {

// The colours of the text view; everything that is not a token is Black.
enum class TextColour : std::uint8_t {
    Black,
    TagName,    // 0000CD
    String,     // B22222
    ActionName, // 836FFF
    RecordName, // 4876FF
    OtherName,  // 2E8B57
};

// The colour as 0xRRGGBB.
std::uint32_t colourRgb(TextColour colour);

// The colour table: the colour of a word, compared without regard to case, or Black for a
// word the table does not hold. A word in two lists has the colour of the earlier list.
TextColour wordColour(std::string_view word);

// One coloured token: its byte offset in the text, its length and its colour.
struct ColourSpan {
    std::size_t offset;
    std::size_t length;
    TextColour colour;

    bool operator==(const ColourSpan&) const = default;
};

// Appends the tokens of text[begin, end) in order; the bytes between them are Black. begin
// should be a line start, where every colouring starts afresh.
// - A double quote starts a string, which runs to and including the next double quote on its
//   line; a string without one ends before the line's line feed or carriage return, or at
//   the end of the range.
// - A letter, digit, '_' or a byte of a multi-byte character starts a word, which goes on
//   through those and '='. A word with '=' (an attribute name written against its '=') is
//   never coloured; any other word has the colour the table gives it, if any.
void colourText(std::string_view text, std::size_t begin, std::size_t end,
                std::vector<ColourSpan>& spans);

} // namespace vorn
