// The tools' window-free parts: the encoder's text layout, decoding selections of Base64,
// colour numbers and the Show Color selection rule.
#include "tools/tools.h"

#include <gtest/gtest.h>

namespace {

TEST(Tools, EncoderTextLayout) {
    const std::vector<std::uint8_t> three = {1, 2, 3};
    EXPECT_EQ(vorn::base64EncoderText(three), "\r\n    AQID\r\n    ");
    EXPECT_EQ(vorn::base64EncoderText({}), "\r\n    ");
    // 61 bytes: a line of 80 characters and one of 4.
    const std::vector<std::uint8_t> sixtyOne(61, 0xFF);
    EXPECT_EQ(vorn::base64EncoderText(sixtyOne),
              "\r\n    " + std::string(80, '/') + "\r\n    /w==\r\n    ");
    const std::vector<std::uint8_t> sixty(60, 0);
    EXPECT_EQ(vorn::base64EncoderText(sixty), "\r\n    " + std::string(80, 'A') + "\r\n    ");
}

TEST(Tools, DecodingSelections) {
    const struct {
        const char* selection;
        bool ok;
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {"AQID", true, {1, 2, 3}},
        {"\r\n    AQ\r\n    ID\r\n    ", true, {1, 2, 3}},
        {"\tAQID AQ==", true, {1, 2, 3, 1}},
        {"AQ", true, {1}},
        {"AQI=", true, {1, 2}},
        {"AQ==", true, {1}},
        // Nothing, or what is not Base64, gives no bytes at all.
        {"", false, {}},
        {"    \r\n  \r\n", false, {}},
        {"A", false, {}},
        {"AQ=", false, {}},
        {"AQ===", false, {}},
        {"A=QI", false, {}},
        {"AQID!", false, {}},
        {"====", false, {}},
        {"<Data>AQID</Data>", false, {}},
    };
    for (const auto& row : rows) {
        std::vector<std::uint8_t> bytes = {9};
        EXPECT_EQ(vorn::decodeBase64Selection(row.selection, bytes), row.ok) << row.selection;
        EXPECT_EQ(bytes, row.bytes) << row.selection;
    }
    // A payload as the encoder lays it out comes back whole.
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::vector<std::uint8_t> back;
    EXPECT_TRUE(vorn::decodeBase64Selection(vorn::base64EncoderText(all), back));
    EXPECT_EQ(back, all);
}

TEST(Tools, ColorNumbers) {
    const struct {
        std::uint8_t r, g, b;
        const char* text;
    } rows[] = {
        {0, 255, 0, "ff0000"},   {255, 255, 255, "ffffff00"}, {0, 0, 0, "0"},
        {255, 0, 0, "ff000000"}, {0, 0, 255, "ff00"},         {1, 2, 3, "1020300"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::colorHexText(row.r, row.g, row.b), row.text);
}

TEST(Tools, ShowColorTakesOneToTenCharacters) {
    const struct {
        const char* selection;
        bool shown;
    } rows[] = {
        {"", false},
        {"f", true},
        {"ff0000ff", true},
        {"0123456789", true},
        {"0123456789a", false},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
         true}, // ten characters of two bytes
    };
    for (const auto& row : rows)
        EXPECT_EQ(vorn::showColorAccepts(row.selection), row.shown) << row.selection;
}

} // namespace
