// The document frame: the Movie root, the Unknown form, sprites, name matching, failures
// with their places, and round trips through the text.
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace libswf;
using namespace vorn::test;

namespace {

std::string toXml(const Bytes& swf) {
    swfxml::SwfXmlWriter ctx;
    std::string text;
    EXPECT_TRUE(swfxml::convertSwfBytesToXml(ctx, swf, text)) << ctx.failure.describe();
    return text;
}

Bytes toSwf(const std::string& xml) {
    swfxml::SwfXmlReader ctx;
    SwfBuffer out;
    EXPECT_TRUE(swfxml::convertXmlToSwfBytes(ctx, xml, out, false)) << ctx.failure.describe();
    return toBytes(out);
}

// The failure of compiling the text, as described to users, or "" on success.
std::string compileFailure(const std::string& xml) {
    swfxml::SwfXmlReader ctx;
    SwfBuffer out;
    if (swfxml::convertXmlToSwfBytes(ctx, xml, out, false))
        return "";
    return ctx.failure.describe();
}

const std::string kDecl6 = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";
const Bytes kEnd = u16(0);

// A 1 x 1 pixel frame (20 twips): "28 00 05 00 28" at 5-bit widths... built by the library.
Bytes smallMovie(std::uint8_t version, std::uint16_t frames, const Bytes& tags,
                 bool compressed = false) {
    SwfMovie m(compressed, version, 20, 20, 12.0f);
    Bytes header = toBytes(m.writeUncompressed());
    header.resize(header.size() - 2); // drop the End
    header[header.size() - 2] = static_cast<std::uint8_t>(frames);
    Bytes out = concat({header, tags});
    const std::uint32_t n = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(n >> (8 * i));
    out[0] = 'F';
    return out;
}

} // namespace

TEST(XmlFrame, MovieDocumentHasTheRootAttributesTagsAndEnd) {
    const Bytes sprite =
        tag(39, concat({u16(3), u16(1), tag(1, {}), tag(250, hex("01 02")), kEnd}));
    const Bytes swf = smallMovie(8, 1, concat({sprite, tag(1, {}), kEnd}));
    EXPECT_EQ(toXml(swf), kDecl6 +
                              "<Movie SwfVersion=\"8\" Width=\"1\" Height=\"1\" FrameRate=\"12\" "
                              "IsCompressed=\"false\">\n"
                              "    <DefineSprite Id=\"3\" FrameCount=\"1\">\n"
                              "        <ShowFrame />\n"
                              "        <Unknown TagType=\"250\">\n"
                              "            <Data><![CDATA[\n"
                              "            AQI=\n"
                              "            ]]></Data>\n"
                              "        </Unknown>\n"
                              "    </DefineSprite>\n"
                              "    <ShowFrame />\n"
                              "    <End />\n"
                              "</Movie>\n");
}

TEST(XmlFrame, DeclarationCarriesTheEncodingFromVersionSix) {
    EXPECT_EQ(toXml(smallMovie(5, 0, kEnd)).substr(0, 23), "<?xml version=\"1.0\" ?>\n");
    EXPECT_EQ(toXml(smallMovie(6, 0, kEnd)).substr(0, kDecl6.size()), kDecl6);
}

TEST(XmlFrame, UnknownTagsKeepIdsAndBytes) {
    SwfMovie m(false, 10, 20, 20, 12.0f);
    auto bytes = std::make_unique<SwfTagUnknown>(200, false, 0);
    bytes->body = hex("aa bb");
    m.tags.append(std::move(bytes));
    m.tags.append(std::make_unique<SwfTag>(200)); // empty tag of a code without class
    const Bytes swf = toBytes(m.write());
    const std::string xml = toXml(swf);
    const std::string unknowns =
        "    <Unknown TagType=\"200\">\n"
        "        <Data><![CDATA[\n            qrs=\n            ]]></Data>\n"
        "    </Unknown>\n    <Unknown TagType=\"200\" />\n";
    EXPECT_NE(xml.find(unknowns), std::string::npos) << xml;
    EXPECT_EQ(toSwf(xml), swf);

    // Written by hand for a definition, the id goes before the bytes, also when it is all
    // the body holds.
    auto withId = std::make_unique<SwfTagUnknown>(10, true, 77);
    withId->body = hex("aa bb");
    m.tags.append(std::move(withId));
    m.tags.append(std::make_unique<SwfTagUnknown>(10, true, 78));
    std::string edited = xml;
    edited.insert(edited.find("</Movie>"),
                  "<Unknown TagType=\"10\" CharacterId=\"77\"><Data>qrs=</Data></Unknown>"
                  "<Unknown TagType=\"10\" CharacterId=\"78\"/>");
    EXPECT_EQ(toHex(toSwf(edited)), toHex(toBytes(m.write())));
}

// Every code of the registry has its class and its element: a movie holding one tag of each
// (as the compiler makes them from bare elements) shows no Unknown element, and its text
// compiles back to the same bytes.
TEST(XmlFrame, EveryKnownTagHasItsOwnElement) {
    std::string xml = "<Movie SwfVersion=\"10\" Width=\"550\" Height=\"400\" FrameRate=\"12\">\n";
    std::set<std::string> names;
    for (const SwfTagInfo& info : swfTagTable()) {
        EXPECT_NE(info.create, nullptr) << info.name << " has no class";
        const std::string name = info.name;
        names.insert(name);
        if (name == "End" || name == "DefineFontAlignZones")
            continue; // the writer ends the movie; the zones follow the font they refer to
        xml += name == "DefineFont3" ? "<DefineFont3 FontId=\"500\" /><DefineFontAlignZones "
                                       "FontId=\"500\" />\n"
                                     : "<" + name + " />\n";
    }
    xml += "</Movie>\n";
    const Bytes swf = toSwf(xml);
    const std::string text = toXml(swf);
    EXPECT_EQ(text.find("Unknown"), std::string::npos) << text;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(text.c_str()));
    std::set<std::string> shown;
    for (const pugi::xml_node tag : doc.document_element().children())
        shown.insert(tag.name());
    EXPECT_EQ(shown, names);
    EXPECT_EQ(toHex(toSwf(text)), toHex(swf));
}

TEST(XmlFrame, MinimalRootGivesAnEmptyFrame) {
    // Only SwfVersion: no size, rate 0, uncompressed; the End comes from the writer.
    EXPECT_EQ(toHex(toSwf("<Movie SwfVersion=\"8\"><ShowFrame/></Movie>")),
              "46 57 53 08 12 00 00 00 10 00 00 00 01 00 40 00 00 00");
}

TEST(XmlFrame, RootNameAndAllNamesAreMatchedWithoutCase) {
    const Bytes expected = toSwf("<Movie SwfVersion=\"8\" Width=\"550\" Height=\"400\">"
                                 "<ShowFrame/><ShowFrame/></Movie>");
    EXPECT_EQ(toSwf("<Film swfversion=\"8\" WIDTH=\"550\" height=\"400\">"
                    "<showframe/><SHOWFRAME/></Film>"),
              expected);
    SwfMovie m;
    m.read(expected);
    EXPECT_TRUE(m.frameSize == SwfRect(0, 0, 11000, 8000));
    EXPECT_EQ(m.frameCount, 2);
}

TEST(XmlFrame, ForeignElementsAndMidDocumentEnd) {
    // Foo is ignored at the top level; inside a sprite it becomes a tag of code 0 that is
    // never written; an End in the middle does not stop reading.
    const Bytes swf = toSwf("<Movie SwfVersion=\"8\"><Foo/><End/><DefineSprite Id=\"4\"><Foo/>"
                            "<ShowFrame/></DefineSprite><ShowFrame/></Movie>");
    SwfMovie m;
    m.read(swf);
    ASSERT_EQ(m.tags.size(), 2u);
    const auto& sprite = static_cast<const SwfTagDefineSprite&>(m.tags[0]);
    EXPECT_EQ(sprite.id, 4);
    EXPECT_EQ(sprite.frameCount, 1);
    ASSERT_EQ(sprite.tags.size(), 1u);
    EXPECT_EQ(m.tags[1].code(), 1);
}

TEST(XmlFrame, RootValues) {
    auto header = [](const std::string& attributes) {
        SwfMovie m;
        m.read(toSwf("<Movie " + attributes + "><ShowFrame/></Movie>"));
        return m;
    };
    EXPECT_TRUE(header("SwfVersion=\"8\" IsCompressed=\"TRUE\"").compressed);
    EXPECT_FALSE(header("SwfVersion=\"8\" IsCompressed=\"1\"").compressed);
    EXPECT_TRUE(header("SwfVersion=\"8\" Width=\"abc\" Height=\"3\"").frameSize ==
                SwfRect(0, 0, 0, 60));
    EXPECT_FLOAT_EQ(header("SwfVersion=\"8\" FrameRate=\"29.97\"").frameRate, 29.96875f);
    EXPECT_EQ(compileFailure("<Movie SwfVersion=\"300\"><ShowFrame/></Movie>"),
              "line 1, column 2: Movie: SwfVersion 300 does not fit in a byte");
    EXPECT_EQ(compileFailure("<Movie SwfVersion=\"8\" Width=\"200000000\"><ShowFrame/></Movie>"),
              "line 1, column 2: Movie: Width or Height is too large for a frame size in twips");
    EXPECT_EQ(compileFailure("<Movie SwfVersion=\"8\" FrameRate=\"300\"><ShowFrame/></Movie>"),
              "ValueOutOfRange: a frame rate of 300.000000 does not fit the header's 0 to 255.996");
}

// A stage away from the origin, or not in whole pixels, shows its rectangle in twips beside
// Width and Height and comes back exactly; a stage from the origin in whole pixels does not.
TEST(XmlFrame, TheStageRectangleComesBackExactly) {
    SwfMovie m(false, 8, 0, 0, 12.0f);
    m.frameSize = SwfRect(100, 100, 11110, 8119);
    const Bytes swf = toBytes(m.write());
    const std::string xml = toXml(swf);
    EXPECT_NE(xml.find("<Movie SwfVersion=\"8\" Width=\"550\" Height=\"400\" FrameRate=\"12\" "
                       "IsCompressed=\"false\" FrameMinX=\"100\" FrameMinY=\"100\" "
                       "FrameMaxX=\"11110\" FrameMaxY=\"8119\">"),
              std::string::npos)
        << xml;
    EXPECT_EQ(toHex(toSwf(xml)), toHex(swf));

    m.frameSize = SwfRect(0, 0, 11000, 8000);
    EXPECT_EQ(toXml(toBytes(m.write())).find("FrameMinX"), std::string::npos);
    // Written by hand, each side given replaces its side of Width and Height.
    SwfMovie back;
    back.read(toSwf("<Movie SwfVersion=\"8\" Width=\"10\" Height=\"10\" FrameMinX=\"-20\">"
                    "<ShowFrame/></Movie>"));
    EXPECT_TRUE(back.frameSize == SwfRect(-20, 0, 200, 200));
}

// Short bodies that a movie wrote with the 6-byte header keep it, decoded or raw.
TEST(XmlFrame, LongHeadersOfShortBodiesComeBack) {
    SwfMovie m(false, 8, 20, 20, 12.0f);
    auto frame = std::make_unique<SwfTag>(1);
    frame->setLongHeader(true);
    m.tags.append(std::move(frame));
    auto raw = std::make_unique<SwfTagUnknown>(200, false, 0);
    raw->body = hex("aa");
    raw->setLongHeader(true);
    m.tags.append(std::move(raw));
    const Bytes swf = toBytes(m.write());
    const std::string xml = toXml(swf);
    EXPECT_NE(xml.find("    <ShowFrame LongHeader=\"true\" />\n    <Unknown TagType=\"200\" "
                       "LongHeader=\"true\">\n"),
              std::string::npos)
        << xml;
    EXPECT_EQ(toHex(toSwf(xml)), toHex(swf));
}

TEST(XmlFrame, UnknownElements) {
    // TagType 200 without Data: a header of code 200 and length 0.
    const Bytes swf = toSwf("<Movie SwfVersion=\"8\"><Unknown TagType=\"200\"/></Movie>");
    EXPECT_EQ(toHex(swf.data() + 14, 4), "00 32 00 00");
    // Data indented with tabs decodes only up to the first tab.
    const Bytes tabbed = toSwf("<Movie SwfVersion=\"8\"><Unknown TagType=\"200\"><Data>"
                               "TWFu\tTWFu</Data></Unknown></Movie>");
    EXPECT_EQ(toHex(tabbed.data() + 14, 5), "03 32 4d 61 6e");
    // The bytes come from the Data child, wherever it stands among others.
    const Bytes noted = toSwf("<Movie SwfVersion=\"8\"><Unknown TagType=\"200\"><Note>TWFu</Note>"
                              "<data>AQI=</data><Other>TWFu</Other></Unknown></Movie>");
    EXPECT_EQ(toHex(noted.data() + 14, 4), "02 32 01 02");
}

TEST(XmlFrame, MalformedDocumentsFailWithTheirPlace) {
    EXPECT_EQ(compileFailure("<Movie SwfVersion=\"8\">\n  <ShowFrame>\n</Movie>"),
              "line 3, column 3: Start-end tags mismatch");
    EXPECT_EQ(compileFailure(""), "line 1, column 1: No document element found");
    EXPECT_EQ(compileFailure("<Movie><ShowFrame/></Movie>"),
              "line 1, column 2: Movie: the root element has no attributes");
    EXPECT_EQ(compileFailure("<Movie SwfVersion=\"8\"/>"),
              "line 1, column 2: Movie: the root element has no tags");
    // Found while the movie is written, after the document is gone: still located.
    EXPECT_EQ(compileFailure(
                  "<Movie SwfVersion=\"8\">\n<ShowFrame/>\n  <Unknown TagType=\"2000\"/></Movie>"),
              "line 3, column 4: ValueOutOfRange: tag code 2000 does not fit the 10 bits of a "
              "tag header (tag 2000, tag index 1)");
    std::string deep = "<Movie SwfVersion=\"8\">";
    for (int i = 0; i < 40; ++i)
        deep += "<DefineSprite>";
    for (int i = 0; i < 40; ++i)
        deep += "</DefineSprite>";
    deep += "</Movie>";
    EXPECT_NE(compileFailure(deep).find("sprites are nested more than 32 levels deep"),
              std::string::npos);
}

TEST(XmlFrame, SwfFailuresAreReported) {
    swfxml::SwfXmlWriter ctx;
    std::string text;
    EXPECT_FALSE(swfxml::convertSwfBytesToXml(ctx, hex("46 57 53 08"), text));
    EXPECT_EQ(ctx.failure.describe(),
              "UnexpectedEnd: a movie needs 8 header bytes but the file has 4");
    swfxml::SwfXmlWriter missing;
    EXPECT_FALSE(swfxml::convertSwfToXml(missing, "/nonexistent/x.swf", text));
    EXPECT_EQ(missing.failure.describe(),
              "OpenForReadFailed: cannot open for reading: No such file or directory");
}

TEST(XmlFrame, RoundTripsThroughTheText) {
    const Bytes sprite =
        tag(39, concat({u16(3), u16(2), tag(1, {}), tag(1, {}), tag(250, Bytes(200, 9)), kEnd}));
    for (bool compressed : {false, true}) {
        SwfMovie m;
        m.read(smallMovie(9, 1, concat({tag(251, Bytes(70, 3), true), sprite, tag(1, {}), kEnd})));
        m.compressed = compressed;
        const Bytes swf = toBytes(m.write());
        const std::string xml = toXml(swf);
        EXPECT_EQ(toSwf(xml), swf);        // SWF -> XML -> SWF: the direct rewrite's bytes
        EXPECT_EQ(toXml(toSwf(xml)), xml); // XML -> SWF -> XML: the same text
    }
}

namespace {

// The ids of the top-level sprites of a compiled movie.
std::vector<std::uint16_t> spriteIds(const Bytes& swf) {
    SwfMovie m;
    m.read(swf);
    std::vector<std::uint16_t> ids;
    for (const auto& tag : m.tags)
        if (const auto* sprite = dynamic_cast<const SwfTagDefineSprite*>(tag.get()))
            ids.push_back(sprite->id);
    return ids;
}

std::string spritesWithoutIds(std::size_t count) {
    std::string xml = "<Movie SwfVersion=\"8\" Width=\"10\" Height=\"10\">\n";
    for (std::size_t i = 0; i < count; ++i)
        xml += "    <DefineSprite />\n";
    return xml + "</Movie>\n";
}

} // namespace

// A definition without an id in the text takes the next number of its own conversion, from 1,
// so that the same text compiles to the same bytes whatever else the process does.
TEST(XmlFrame, DefinitionsWithoutAnIdAreNumberedFromOneInEveryConversion) {
    const std::string small = spritesWithoutIds(3);
    const Bytes first = toSwf(small);
    EXPECT_EQ(spriteIds(first), (std::vector<std::uint16_t>{1, 2, 3}));
    const SwfTagDefineSprite elsewhere; // built outside any conversion
    EXPECT_EQ(toHex(toSwf(small)), toHex(first));

    // Conversions on other threads at the same time number their own.
    std::vector<std::thread> threads;
    std::vector<Bytes> results(4 * 8);
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = 0; i < 8; ++i)
                results[t * 8 + i] = toSwf(small);
        });
    for (std::thread& t : threads)
        t.join();
    for (const Bytes& result : results)
        EXPECT_EQ(toHex(result), toHex(first));

    // A document read in pieces numbers on across them, and after 65535 starts at 1 again,
    // never at 0.
    const std::vector<std::uint16_t> ids = spriteIds(toSwf(spritesWithoutIds(65537)));
    ASSERT_EQ(ids.size(), 65537u);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[65533], 65534);
    EXPECT_EQ(ids[65534], 65535);
    EXPECT_EQ(ids[65535], 1);
    EXPECT_EQ(ids[65536], 2);
}
