// The legacy 8-bit code page that movies before SWF version 6 keep their text in, and the
// UTF-8 helpers around it. Document text is UTF-8 in memory; only such movies' files hold
// other bytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vorn {

// A place in a text, both counted from 1; columns count characters of UTF-8 text (a byte
// that is not part of a valid sequence counts as one).
struct TextPlace {
    std::size_t line = 1;
    std::size_t column = 1;
};
TextPlace placeOfOffset(std::string_view text, std::size_t offset);
// "line L, column C".
std::string describePlace(const TextPlace& place);

// Bytes for a file, or why they could not be made.
struct EncodedText {
    bool ok = false;
    std::string bytes;
    std::string reason;   // without the place, which the caller may show in its own way
    std::size_t line = 0; // where the text could not be encoded, both from 1; 0 when unknown
    std::size_t column = 0;

    // "line L, column C: reason", or the reason alone.
    std::string describe() const;
};

// Document text (UTF-8) from a file's bytes, or why it could not be made.
struct DecodedText {
    bool ok = false;
    std::string text;
    std::string reason;
};

// windows-1252 unless the environment's VORN_ANSI_CODEPAGE names another code page that
// iconv knows. Decoding gives every byte a character of its own, the bytes a code page
// leaves undefined included (windows-1252's 0x81, 0x8D, 0x8F, 0x90 and 0x9D become U+0081,
// U+008D, U+008F, U+0090 and U+009D), so that encoding the text again gives back the very
// bytes; code pages of more than one byte per character go through iconv as they are and
// refuse bytes they do not define. Encoding refuses a character the code page has no byte
// for, saying where it is, rather than putting anything else in its place.
class LegacyCodePage {
public:
    static LegacyCodePage named(std::string_view name);
    static LegacyCodePage fromEnvironment();

    const std::string& name() const { return m_name; }
    // Empty when the code page can be used, else why it cannot.
    const std::string& problem() const { return m_problem; }

    DecodedText decode(std::string bytes) const;
    EncodedText encode(std::string text) const;

    struct Table;

private:
    std::string m_name;
    std::string m_problem;
    std::shared_ptr<const Table> m_table; // single-byte code pages; null for iconv's own
};

// The process's code page, read from the environment on first use.
const LegacyCodePage& legacyCodePage();

} // namespace vorn
