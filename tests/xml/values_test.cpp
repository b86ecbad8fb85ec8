// The value conventions every tag family relies on.
#include "swfxml/values.h"

#include <gtest/gtest.h>

using namespace swfxml;

TEST(Values, NumbersParseWhollyOrGiveZero) {
    EXPECT_EQ(parseNumber<std::uint16_t>("65535"), 65535);
    EXPECT_EQ(parseNumber<std::uint16_t>("65536"), 0); // out of range
    EXPECT_EQ(parseNumber<std::uint16_t>("-1"), 0);    // no wrap-around for unsigned fields
    EXPECT_EQ(parseNumber<std::int16_t>("-32768"), -32768);
    EXPECT_EQ(parseNumber<std::int32_t>("12abc"), 0);
    EXPECT_EQ(parseNumber<std::int32_t>(""), 0);
    EXPECT_EQ(parseNumber<std::int32_t>(" 5"), 0);
    EXPECT_EQ(parseNumber<std::uint32_t>("4294967295"), 4294967295u);
    EXPECT_FLOAT_EQ(parseNumber<float>("0.5"), 0.5f);
    EXPECT_FLOAT_EQ(parseNumber<float>("1e3"), 1000.0f);
    EXPECT_EQ(parseNumber<float>("abc"), 0.0f);
    EXPECT_EQ(parseNumber<float>("1.5x"), 0.0f);
}

TEST(Values, FloatsPrintWithNineSignificantDigits) {
    EXPECT_EQ(formatFloat(12.0f), "12");
    EXPECT_EQ(formatFloat(0.5f), "0.5");
    EXPECT_EQ(formatFloat(0.1f), "0.100000001");
    EXPECT_EQ(formatFloat(29.96875f), "29.96875");
    EXPECT_EQ(formatFloat(-1.0f / 3.0f), "-0.333333343");
    EXPECT_EQ(formatNumber(-42), "-42");
}

// Every 16.16 term a movie can hold comes back exactly: floats hold them up to 256, larger
// ones with a fraction are printed with every digit. Typed text is read as a float unless it
// names a 16.16 value exactly.
TEST(Values, MatrixTermsKeepEveryBitOfTheirField) {
    pugi::xml_document doc;
    pugi::xml_node parent = doc.append_child("P");
    libswf::SwfMatrix m;
    m.hasScale = m.hasRotate = true;
    m.scaleX = -(2046.0 + 1.0 / 65536);        // -134086657 / 65536: beyond the 24 bits of a float
    m.scaleY = 6553.0 / 65536.0;               // a float holds it: printed with 9 digits
    m.rotateSkew0 = 32767.0 + 65535.0 / 65536; // the largest term
    m.rotateSkew1 = 300.5;
    const pugi::xml_node element = appendMatrix(parent, "Matrix", m);
    const pugi::xml_node scale = element.child("Scale");
    EXPECT_STREQ(scale.attribute("ScaleX").value(), "-2046.000015258789");
    EXPECT_STREQ(scale.attribute("ScaleY").value(), "0.0999908447");
    EXPECT_STREQ(element.child("Rotate").attribute("RotateSkew0").value(), "32767.99998474121");
    EXPECT_STREQ(element.child("Rotate").attribute("RotateSkew1").value(), "300.5");
    const libswf::SwfMatrix back = readMatrix(element);
    EXPECT_EQ(back.scaleX, m.scaleX);
    EXPECT_EQ(back.scaleY, m.scaleY);
    EXPECT_EQ(back.rotateSkew0, m.rotateSkew0);
    EXPECT_EQ(back.rotateSkew1, m.rotateSkew1);

    pugi::xml_document typed;
    typed.load_string("<Matrix><Scale ScaleX=\"0.1\" ScaleY=\"1000.00001\" /></Matrix>");
    const libswf::SwfMatrix read = readMatrix(typed.first_child());
    EXPECT_EQ(read.scaleX, static_cast<double>(0.1f));
    EXPECT_EQ(read.scaleY, static_cast<double>(1000.00001f));
}

TEST(Values, ColoursArePackedLowercaseHex) {
    EXPECT_EQ(formatColor(libswf::SwfColor(255, 0, 0, 0)), "ff000000");
    EXPECT_EQ(formatColor(libswf::SwfColor(0, 0, 0, 0)), "0");
    EXPECT_EQ(formatColor(libswf::SwfColor(0, 0, 0x12, 0xab)), "12ab");
    for (const char* text : {"#FF0000FF", "ff0000ff", "#ff00#00ff"}) {
        const libswf::SwfColor c = parseColor(text);
        EXPECT_EQ(c.r, 255) << text;
        EXPECT_EQ(c.g, 0) << text;
        EXPECT_EQ(c.b, 0) << text;
        EXPECT_EQ(c.a, 255) << text;
    }
    for (const char* text : {"zz", "1ff0000ff", "", "-1", "0x10"}) {
        const libswf::SwfColor c = parseColor(text);
        EXPECT_EQ(c.r | c.g | c.b | c.a, 0) << text;
    }
}

TEST(Values, BooleansAreTrueInAnyCase) {
    EXPECT_TRUE(parseBool("true"));
    EXPECT_TRUE(parseBool("TRUE"));
    EXPECT_FALSE(parseBool("1"));
    EXPECT_FALSE(parseBool("yes"));
    EXPECT_FALSE(parseBool(""));
}

TEST(Values, Base64RoundTripsAndStopsAtTheFirstForeignCharacter) {
    const std::vector<std::uint8_t> bytes = {0, 1, 2, 250, 251, 252, 253};
    EXPECT_EQ(base64Encode(bytes), "AAEC+vv8/Q==");
    EXPECT_EQ(base64Encode({}), "");
    EXPECT_EQ(base64Encode(std::vector<std::uint8_t>{'M', 'a'}), "TWE=");
    EXPECT_EQ(base64Decode("AAEC+vv8/Q=="), bytes);
    EXPECT_EQ(base64Decode("\n   AAEC\r\n   +vv8/Q==\n  "), bytes); // blanks and line ends skipped
    EXPECT_EQ(base64Decode("TWFu\tTWFu"),
              (std::vector<std::uint8_t>{'M', 'a', 'n'})); // tab ends it
    EXPECT_EQ(base64Decode("TWE=TWFu"), (std::vector<std::uint8_t>{'M', 'a'}));
    EXPECT_TRUE(base64Decode("").empty());
    EXPECT_TRUE(base64Decode("*").empty());
}

TEST(Values, NamesMatchWithoutRegardToCase) {
    pugi::xml_document doc;
    doc.load_string("<Movie swfVERSION='8'><showframe/><x/><DATA>a</DATA></Movie>");
    const pugi::xml_node root = doc.first_child();
    EXPECT_STREQ(findAttribute(root, "SwfVersion").value(), "8");
    EXPECT_FALSE(findAttribute(root, "Width"));
    EXPECT_STREQ(findChild(root, "Data").name(), "DATA");
    EXPECT_STREQ(firstElement(root).name(), "showframe");
    EXPECT_TRUE(namesEqual("ShowFrame", "SHOWFRAME"));
    EXPECT_FALSE(namesEqual("ShowFrame", "ShowFrames"));
}

TEST(Values, Base64ElementsAreLaidOutInIndentedLines) {
    pugi::xml_document doc;
    pugi::xml_node parent = doc.append_child("Unknown");
    const std::vector<std::uint8_t> bytes(61, 0xff); // 84 characters: two lines
    appendBase64(parent, "Data", bytes, 2);
    const std::string twelve(12, ' ');
    EXPECT_EQ(std::string(parent.first_child().first_child().value()),
              "\n" + twelve + std::string(80, '/') + "\n" + twelve + "/w==\n" + twelve);
    appendBase64(parent, "Empty", {}, 2);
    EXPECT_EQ(std::string(parent.last_child().first_child().value()), "\n" + twelve);
}
