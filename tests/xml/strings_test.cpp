// Strings are bytes: every byte value except the terminator survives SWF -> XML -> SWF, in
// attributes and in text blocks, whatever the movie's version.
#include "libswf/control.h"
#include "libswf/movie.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

std::string everyByte() {
    std::string s;
    for (int b = 1; b < 256; ++b)
        s += static_cast<char>(b);
    return s + "\r\n\t]]>&lt;<![CDATA[ \xff\xfe\xc3\x28"; // markup and broken UTF-8 again
}

Bytes throughXml(const Bytes& swf, std::string* xmlOut = nullptr) {
    swfxml::SwfXmlWriter writer;
    std::string xml;
    EXPECT_TRUE(swfxml::convertSwfBytesToXml(writer, swf, xml)) << writer.failure.describe();
    swfxml::SwfXmlReader reader;
    SwfBuffer back;
    EXPECT_TRUE(swfxml::convertXmlToSwfBytes(reader, xml, back, false))
        << reader.failure.describe();
    if (xmlOut)
        *xmlOut = xml;
    return toBytes(back);
}

} // namespace

TEST(Strings, AnyByteSurvivesAttributesAndTextBlocks) {
    for (std::uint8_t version : {5, 6, 10}) {
        SwfMovie m(false, version, 20, 20, 12.0f);
        auto label = std::make_unique<SwfTagFrameLabel>();
        label->name.text = everyByte();
        m.tags.append(std::move(label));
        auto metadata = std::make_unique<SwfTagMetadata>();
        metadata->text.text = everyByte() + "]]>" + everyByte();
        m.tags.append(std::move(metadata));
        auto imports = std::make_unique<SwfTagImportAssets>();
        imports->url.text = "\"'<>&" + everyByte();
        m.tags.append(std::move(imports));
        auto debugger = std::make_unique<SwfTagEnableDebugger2>();
        debugger->password.text = std::string("\x01\x02 \x7f", 4);
        m.tags.append(std::move(debugger));
        m.tags.append(std::make_unique<SwfTagShowFrame>());
        const Bytes swf = toBytes(m.write());
        std::string xml;
        EXPECT_EQ(throughXml(swf, &xml), swf) << "version " << int(version);
        // The text is still one document with the tags as elements.
        EXPECT_NE(xml.find("<ShowFrame />"), std::string::npos);
    }
}

TEST(Strings, NeverGivenStringsAreWrittenAsEmptyStrings) {
    // Elements without their string attributes still produce bodies the reader reads back.
    swfxml::SwfXmlReader reader;
    SwfBuffer swf;
    ASSERT_TRUE(swfxml::convertXmlToSwfBytes(reader,
                                             "<Movie SwfVersion=\"8\"><EnableDebugger/>"
                                             "<ImportAssets/><Metadata/><FrameLabel/></Movie>",
                                             swf, false))
        << reader.failure.describe();
    // Headers: 58 << 6 | 1, then 57 << 6 | 3, 77 << 6 | 1 and 43 << 6 | 1; End.
    EXPECT_EQ(toHex(swf.data() + 14, swf.size() - 14),
              "81 0e 00 43 0e 00 00 00 41 13 00 c1 0a 00 00 00");
    SwfMovie m;
    m.read(swf.span());
    EXPECT_EQ(m.tags.size(), 4u);
}
