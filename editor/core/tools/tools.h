// The small tools around the text that need no window: the Base64 encoder's text, decoding a
// selection of Base64, the colour number a colour dialog gives, and which selections Show
// Color takes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The bytes of a file as the encoder's field shows them: the dialect's Base64 layout of a
// payload at the top level (a leading line break, lines of 80 characters each indented by
// four blanks, four blanks after the last line break), with CR LF line breaks.
std::string base64EncoderText(std::span<const std::uint8_t> bytes);

// The bytes of a selection of Base64 text, ignoring blanks, tabs and line breaks. False (and
// no bytes) when what remains is not Base64 (characters outside the alphabet, padding
// anywhere but at the end, a length no encoding has) or decodes to nothing; the caller then
// shows problem kProblemBase64, "Incorrect Base64 data".
bool decodeBase64Selection(std::string_view selection, std::vector<std::uint8_t>& bytes);

// The colour number of red, green and blue with an alpha byte of 0, as the dialect writes
// colours: lowercase hexadecimal without leading zeros (green ff0000, white ffffff00, black 0).
std::string colorHexText(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Whether Show Color shows a selection: 1 to 10 characters.
bool showColorAccepts(std::string_view selection);

} // namespace vorn
