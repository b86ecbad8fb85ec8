// The version rule and the legacy code pages: every byte survives decoding and encoding,
// characters without a byte are refused with their place, UTF-8 text moves through as it is.
#include "files/code_page.h"
#include "files/text_encoding.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace {

using vorn::LegacyCodePage;

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

// Decodes every byte value on its own and all of them at once, and encodes them back.
void expectEveryByteSurvives(const LegacyCodePage& page) {
    SCOPED_TRACE(page.name());
    std::set<std::string> characters;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const vorn::DecodedText text = page.decode(byte);
        ASSERT_TRUE(text.ok) << b << ": " << text.reason;
        characters.insert(text.text);
        const vorn::EncodedText back = page.encode(text.text);
        ASSERT_TRUE(back.ok) << b << ": " << back.describe();
        EXPECT_EQ(back.bytes, byte) << b;
    }
    EXPECT_EQ(characters.size(), 256u) << "two bytes decode to the same character";
    const vorn::DecodedText text = page.decode(allBytes());
    ASSERT_TRUE(text.ok);
    EXPECT_EQ(page.encode(text.text).bytes, allBytes());
}

TEST(CodePage, Windows1252DecodesEveryByteToACharacterThatEncodesBack) {
    const LegacyCodePage page = LegacyCodePage::named("windows-1252");
    expectEveryByteSurvives(page);
    const std::pair<int, const char*> rows[] = {
        {0x41, "A"},
        {0x80, "\u20AC"},
        // The five bytes the code page leaves undefined.
        {0x81, "\u0081"},
        {0x8D, "\u008D"},
        {0x8F, "\u008F"},
        {0x90, "\u0090"},
        {0x9D, "\u009D"},
        {0x8C, "\u0152"},
        {0x92, "\u2019"},
        {0x9F, "\u0178"},
        {0xA0, "\u00A0"},
        {0xE9, "\u00E9"},
        {0xFF, "\u00FF"},
    };
    for (const auto& [byte, character] : rows)
        EXPECT_EQ(page.decode(std::string(1, static_cast<char>(byte))).text, character) << byte;
}

TEST(CodePage, CodePagesOfIconvByTheirNames) {
    // Names in any spelling reach the built-in windows-1252.
    EXPECT_EQ(LegacyCodePage::named("CP1252").decode("\x81\x80").text, "\u0081\u20AC");
    // A single-byte code page where iconv leaves bytes undefined (0xAE, 0xD2 and 0xFF in
    // Greek) and one where it defines every byte.
    for (const char* name : {"ISO-8859-7", "KOI8-R", "CP1251"})
        expectEveryByteSurvives(LegacyCodePage::named(name));
    EXPECT_EQ(LegacyCodePage::named("ISO-8859-7").decode("\xE1\xAE").text, "\u03B1\u00AE");
    EXPECT_EQ(LegacyCodePage::named("KOI8-R").decode("\xC1").text, "\u0430");

    const LegacyCodePage unknown = LegacyCodePage::named("NO-SUCH-PAGE");
    const std::string reason =
        "the code page NO-SUCH-PAGE named by VORN_ANSI_CODEPAGE is not known to iconv";
    EXPECT_EQ(unknown.problem(), reason);
    EXPECT_EQ(unknown.decode("a").reason, reason);
    EXPECT_EQ(unknown.encode("a").reason, reason);
    EXPECT_FALSE(unknown.encode("a").ok);
}

TEST(CodePage, MultiByteCodePagesGoThroughIconvAndRefuseWhatTheyDoNotDefine) {
    const LegacyCodePage page = LegacyCodePage::named("SHIFT_JIS");
    ASSERT_EQ(page.problem(), "");
    const vorn::DecodedText text = page.decode("<a b=\"\x82\xA0\"/>");
    ASSERT_TRUE(text.ok) << text.reason;
    EXPECT_EQ(text.text, "<a b=\"\u3042\"/>");
    EXPECT_EQ(page.encode(text.text).bytes, "<a b=\"\x82\xA0\"/>");

    const vorn::DecodedText cut = page.decode("ab\x82");
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.reason, "byte 2 (0x82) does not start a character of the code page SHIFT_JIS");
    const vorn::EncodedText euro = page.encode("a\nb\u20AC");
    EXPECT_FALSE(euro.ok);
    EXPECT_EQ(euro.describe(),
              "line 2, column 2: the character U+20AC has no byte in the code "
              "page SHIFT_JIS, which holds the text of movies before SwfVersion 6");
}

TEST(CodePage, TheEnvironmentNamesTheCodePage) {
    ASSERT_EQ(::setenv("VORN_ANSI_CODEPAGE", "KOI8-R", 1), 0);
    EXPECT_EQ(LegacyCodePage::fromEnvironment().name(), "KOI8-R");
    ASSERT_EQ(::setenv("VORN_ANSI_CODEPAGE", "", 1), 0);
    EXPECT_EQ(LegacyCodePage::fromEnvironment().name(), "windows-1252");
    ASSERT_EQ(::unsetenv("VORN_ANSI_CODEPAGE"), 0);
    EXPECT_EQ(LegacyCodePage::fromEnvironment().name(), "windows-1252");
}

TEST(CodePage, EncodeTextFollowsTheDeclaredVersion) {
    const LegacyCodePage page = LegacyCodePage::named("windows-1252");
    struct Row {
        std::string text;
        bool ok;
        std::string bytesOrReason;
    };
    const std::string tail = " has no byte in the code page windows-1252, which holds the text "
                             "of movies before SwfVersion 6";
    const Row rows[] = {
        {"<Movie SwfVersion=\"6\" N=\"\u00E9\u20AC\"/>", true,
         "<Movie SwfVersion=\"6\" N=\"\u00E9\u20AC\"/>"},
        {"<Movie SwfVersion=\"5\" N=\"\u00E9\u20AC\"/>", true,
         "<Movie SwfVersion=\"5\" N=\"\xE9\x80\"/>"},
        {"<Movie N=\"\u00E9\"/>", true, "<Movie N=\"\xE9\"/>"},
        {"plain text \u00FF", true, "plain text \xFF"},
        {"<Movie SwfVersion=\"5\"/>", true, "<Movie SwfVersion=\"5\"/>"},
        // UTF-8 text is not checked: bytes that are not UTF-8 stay what they are.
        {"<Movie SwfVersion=\"9\" N=\"\xFF\xC3\"/>", true,
         "<Movie SwfVersion=\"9\" N=\"\xFF\xC3\"/>"},
        {"<Movie SwfVersion=\"5\">\n  <T N=\"\u4E2D\"/>", false,
         "line 2, column 9: the character U+4E2D" + tail},
        {"<Movie SwfVersion=\"5\">\n\u00E9\u00E9\U0001F600", false,
         "line 2, column 3: the character U+1F600" + tail},
        {"<Movie SwfVersion=\"5\">\xE9", false,
         "line 1, column 23: the byte 0xE9 is not part of a UTF-8 character, so the text "
         "cannot be written in the code page windows-1252, which holds the text of movies "
         "before SwfVersion 6"},
        {"<Movie SwfVersion=\"5\">\u0080", false, "line 1, column 23: the character U+0080" + tail},
    };
    for (const Row& row : rows) {
        const vorn::EncodedText encoded = vorn::EncodeText(row.text, page);
        EXPECT_EQ(encoded.ok, row.ok) << row.text;
        EXPECT_EQ(row.ok ? encoded.bytes : encoded.describe(), row.bytesOrReason) << row.text;
    }
}

TEST(CodePage, DecodeBytesFollowsTheGivenVersion) {
    const LegacyCodePage page = LegacyCodePage::named("windows-1252");
    const std::tuple<std::string, int, std::string> rows[] = {
        {"a\xE9\x80", 5, "a\u00E9\u20AC"}, {"a\xE9\x80", 0, "a\u00E9\u20AC"},
        {"a\xE9\x80", 6, "a\xE9\x80"},     {"a\u00E9", 10, "a\u00E9"},
        {"ascii only", 1, "ascii only"},   {"", 5, ""},
    };
    for (const auto& [bytes, version, text] : rows) {
        const vorn::DecodedText decoded = vorn::DecodeBytes(bytes, version, page);
        EXPECT_TRUE(decoded.ok);
        EXPECT_EQ(decoded.text, text) << version;
    }
}

TEST(CodePage, PlacesCountLinesAndCharacters) {
    const std::tuple<std::string, std::size_t, std::size_t, std::size_t> rows[] = {
        {"abc", 0, 1, 1},    {"abc", 2, 1, 3},           {"ab\ncd", 3, 2, 1},
        {"ab\ncd", 4, 2, 2}, {"\u00E9\u4E2Dx", 5, 1, 3}, {"\xFF\xFFx", 2, 1, 3},
        {"a\r\nb", 3, 2, 1}, {"abc", 99, 1, 4},
    };
    for (const auto& [text, offset, line, column] : rows) {
        const vorn::TextPlace place = vorn::placeOfOffset(text, offset);
        EXPECT_EQ(place.line, line) << text << " " << offset;
        EXPECT_EQ(place.column, column) << text << " " << offset;
    }
}

} // namespace
