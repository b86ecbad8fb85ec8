// Templates: the choosers' lists against the library's tables, the column rule, every template
// compiling in a movie, the two registries, and the documents made from scratch.
#include "libswf/actions.h"
#include "libswf/movie.h"
#include "swfxml/convert.h"
#include "templates/templates.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <set>

using vorn::BuildTemplate;
using vorn::TemplateKind;

namespace {

std::string elementName(const std::string& fragment) {
    const std::size_t end = fragment.find_first_of(" />", 1);
    return fragment.substr(1, end - 1);
}

// The new document with the text before its End.
std::string inMovie(const std::string& text) {
    std::string document = vorn::NewDocumentXml();
    document.insert(document.find("    <End />"), "    " + text + "\n");
    return document;
}

bool compiles(const std::string& document, std::string& reason) {
    swfxml::SwfXmlReader reader;
    libswf::SwfBuffer swf;
    const bool ok = swfxml::convertXmlToSwfBytes(reader, document, swf, true);
    reason = reader.failure.describe();
    return ok;
}

TEST(Templates, ListsFollowTheLibraryTables) {
    const auto& tags = vorn::templateNames(TemplateKind::Tag);
    const auto& actions = vorn::templateNames(TemplateKind::Action);
    const auto& records = vorn::templateNames(TemplateKind::Record);
    EXPECT_EQ(tags.size(), 64u);
    EXPECT_EQ(actions.size(), 100u);
    EXPECT_EQ(records.size(), 32u);
    EXPECT_EQ(tags.front(), "End");
    EXPECT_EQ(tags.back(), "DefineFont4");
    const std::set<std::string_view> tagSet(tags.begin(), tags.end());
    EXPECT_FALSE(tagSet.contains("Movie"));
    EXPECT_FALSE(tagSet.contains("Unknown"));
    // The action list is the library's action table in the chooser's own order.
    std::set<std::string_view> table;
    for (const libswf::SwfActionInfo& info : libswf::swfActionTable())
        table.insert(info.name);
    EXPECT_EQ(std::set<std::string_view>(actions.begin(), actions.end()), table);
    EXPECT_EQ(actions.front(), "GoToFrame");
    EXPECT_EQ(actions.back(), "Try");
}

// Every name gives its own element, which compiles: tags in a movie, actions in a DoAction,
// records in the tag or action that holds them.
TEST(Templates, EveryTemplateIsItsElementAndCompiles) {
    const std::map<std::string_view, std::string> holders = {
        {"Asset", "<ExportAssets>\n%</ExportAssets>"},
        {"ColorTransform", "<DefineButtonCxform ButtonId=\"1\">%</DefineButtonCxform>"},
        {"Curve", "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles /><LineStyles />"
                  "<Edges>%</Edges></DefineShape>"},
        {"Line", "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles /><LineStyles />"
                 "<Edges>%</Edges></DefineShape>"},
        {"Matrix", "<PlaceObject CharacterId=\"1\" Depth=\"1\">%</PlaceObject>"},
        {"Rect", "<DefineScalingGrid CharacterId=\"1\">%</DefineScalingGrid>"},
        {"RegisterParam", "<DoAction><Actions><DefineFunction2><RegisterParams>%"
                          "</RegisterParams></DefineFunction2></Actions></DoAction>"},
        {"ZoneData", "<DefineFontAlignZones><ZoneRecords><ZoneRecord>%</ZoneRecord>"
                     "</ZoneRecords></DefineFontAlignZones>"},
        {"GradientRecord", "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles><GradientFillStyle "
                           "Type=\"Linear\"><Matrix /><GradientRecords>%</GradientRecords>"
                           "</GradientFillStyle></FillStyles><LineStyles /><Edges />"
                           "</DefineShape>"},
        {"MorphGradientRecord",
         "<DefineMorphShape ShapeId=\"1\"><StartBounds /><EndBounds /><MorphFillStyles>"
         "<MorphGradientFillStyle Type=\"Linear\"><StartMatrix /><EndMatrix />"
         "<MorphGradientRecords>%</MorphGradientRecords></MorphGradientFillStyle>"
         "</MorphFillStyles><MorphLineStyles /><StartEdges /><EndEdges /></DefineMorphShape>"},
        {"SoundEnvelope", "<StartSound SoundId=\"1\"><SoundInfo>%</SoundInfo></StartSound>"},
    };
    const auto holderOf = [&](std::string_view name) -> std::string {
        if (const auto found = holders.find(name); found != holders.end())
            return found->second;
        if (name.ends_with("FillStyle"))
            return "<DefineShape ShapeId=\"1\"><Bounds /><FillStyles>%</FillStyles><LineStyles />"
                   "<Edges /></DefineShape>";
        if (name.ends_with("Filter") || name == "GradientGlow")
            return "<PlaceObject3 Depth=\"1\"><FilterList>%</FilterList></PlaceObject3>";
        return "<DoAction><Actions><Push>%</Push></Actions></DoAction>"; // push values
    };
    for (const TemplateKind kind : {TemplateKind::Tag, TemplateKind::Action, TemplateKind::Record})
        for (const std::string_view name : vorn::templateNames(kind)) {
            const std::string text = BuildTemplate(kind, name, 6);
            EXPECT_EQ(elementName(text), name);
            std::string element = text;
            if (kind == TemplateKind::Action)
                element = "<DoAction><Actions>" + text + "</Actions></DoAction>";
            else if (kind == TemplateKind::Record) {
                element = holderOf(name);
                element.replace(element.find('%'), 1, text);
            }
            std::string reason;
            EXPECT_TRUE(compiles(inMovie(element), reason)) << name << ": " << reason;
        }
}

TEST(Templates, ColumnRule) {
    const struct {
        TemplateKind kind;
        const char* name;
        std::size_t column;
        const char* text;
    } rows[] = {
        {TemplateKind::Action, "Play", 6, "<Play />"},
        {TemplateKind::Action, "Play", 1, "     <Play />"},
        {TemplateKind::Action, "play", 6, "<Play />"},
        {TemplateKind::Action, "GoToFrame", 6, "<GoToFrame Frame=\"0\" />"},
        {TemplateKind::Action, "GoToFrame", 20, "<GoToFrame Frame=\"0\" />"},
        // Children shift by the column beyond the printer's own indentation.
        {TemplateKind::Tag, "PlaceObject", 11,
         "<PlaceObject CharacterId=\"0\" Depth=\"0\">\n"
         "             <Matrix>\n"
         "                 <Translate TranslateX=\"0\" TranslateY=\"0\" />\n"
         "             </Matrix>\n"
         "         </PlaceObject>"},
        {TemplateKind::Tag, "PlaceObject", 6,
         "<PlaceObject CharacterId=\"0\" Depth=\"0\">\n"
         "        <Matrix>\n"
         "            <Translate TranslateX=\"0\" TranslateY=\"0\" />\n"
         "        </Matrix>\n"
         "    </PlaceObject>"},
        {TemplateKind::Tag, "PlaceObject", 3,
         "   <PlaceObject CharacterId=\"0\" Depth=\"0\">\n"
         "        <Matrix>\n"
         "            <Translate TranslateX=\"0\" TranslateY=\"0\" />\n"
         "        </Matrix>\n"
         "    </PlaceObject>"},
        // A payload's lines move with the element; nothing enters the element's text.
        {TemplateKind::Tag, "Metadata", 8,
         "<Metadata>\n"
         "          <Data><![CDATA[]]></Data>\n"
         "      </Metadata>"},
        {TemplateKind::Record, "With", 6, ""},
        {TemplateKind::Tag, "Play", 6, ""},
        {TemplateKind::Tag, "Movie", 1, ""},
        {TemplateKind::Action, "Actions", 6, ""},
        {TemplateKind::Record, "Nothing", 1, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(BuildTemplate(row.kind, row.name, row.column), row.text)
            << row.name << " at " << row.column;
}

// A gradient filter without stops could not be compiled, so its template brings one.
TEST(Templates, GradientFiltersStartWithOneStop) {
    for (const char* name : {"GradientGlow", "GradientBevelFilter"}) {
        const std::string text = BuildTemplate(TemplateKind::Record, name, 6);
        EXPECT_TRUE(text.starts_with("<" + std::string(name) + " NumColors=\"1\">\n")) << text;
        EXPECT_NE(text.find("        <GradientColors>\n"
                            "            <Color>0</Color>\n"
                            "        </GradientColors>\n"
                            "        <GradientRation>\n"
                            "            <Ratio>0</Ratio>\n"
                            "        </GradientRation>\n"),
                  std::string::npos)
            << text;
    }
}

// Each inserted definition gets an id of its own from the library's counter.
TEST(Templates, DefinitionsTakeFreshIds) {
    const auto idOf = [](const std::string& text) {
        const std::size_t at = text.find("ShapeId=\"") + 9;
        return std::stoi(text.substr(at, text.find('"', at) - at));
    };
    const std::string first = BuildTemplate(TemplateKind::Tag, "DefineShape", 6);
    const std::string second = BuildTemplate(TemplateKind::Tag, "DefineShape", 6);
    EXPECT_EQ(idOf(second), idOf(first) + 1);
}

TEST(Templates, Registries) {
    const struct {
        const char* name;
        int code;
    } actions[] = {
        {"GoToFrame", 0x81},
        {"Push", 0x96},
        {"push", 0x96},
        {"Add", 0x0A},
        {"DefineFunction2", 0x8E},
        {"Try", 0x8F},
        {"Call", 0x9E},
        {"End", 0},
        {"Actions", -1},
        {"TryActions", -2},
        {"CatchActions", -3},
        {"FinallyActions", -4},
        {"finallyactions", -4},
        {"UnknownAction", 300},
        {"Movie", 300},
        {"PlaceObject2", 300},
        {"", 300},
    };
    for (const auto& row : actions)
        EXPECT_EQ(vorn::actionRegistryCode(row.name), row.code) << row.name;
    const struct {
        const char* name;
        bool tag;
    } tags[] = {
        {"PlaceObject2", true}, {"placeobject2", true}, {"End", true},     {"DefineFont4", true},
        {"Movie", false},       {"Unknown", false},     {"Matrix", false}, {"", false},
    };
    for (const auto& row : tags)
        EXPECT_EQ(vorn::isTagName(row.name), row.tag) << row.name;
}

TEST(Templates, DocumentsFromScratch) {
    EXPECT_EQ(vorn::NewDocumentXml(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
              "<Movie SwfVersion=\"7\" Width=\"550\" Height=\"400\" FrameRate=\"12\">\n"
              "    <End />\n"
              "</Movie>\n");
    EXPECT_EQ(vorn::BackgroundColorMovieXml("ff0000ff"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
              "<Movie SwfVersion=\"7\" Width=\"550\" Height=\"400\" FrameRate=\"12\">\n"
              "    <SetBackgroundColor Color=\"ff0000ff\" />\n"
              "    <End />\n"
              "</Movie>\n");
    // A selection is any text: it is escaped, never markup.
    EXPECT_EQ(vorn::BackgroundColorMovieXml("\"/><x a=\""),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
              "<Movie SwfVersion=\"7\" Width=\"550\" Height=\"400\" FrameRate=\"12\">\n"
              "    <SetBackgroundColor Color=\"&quot;/>&lt;x a=&quot;\" />\n"
              "    <End />\n"
              "</Movie>\n");
    // Both compile: a version 7 movie of 550 x 400 pixels, the second with a red background.
    const auto swfOf = [](const std::string& document) {
        swfxml::SwfXmlReader reader;
        libswf::SwfBuffer swf;
        EXPECT_TRUE(swfxml::convertXmlToSwfBytes(reader, document, swf, true))
            << reader.failure.describe();
        return swf.toVector();
    };
    const std::vector<std::uint8_t> empty = swfOf(vorn::NewDocumentXml());
    ASSERT_GE(empty.size(), 8u);
    EXPECT_EQ(empty[3], 7);
    const std::vector<std::uint8_t> red = swfOf(vorn::BackgroundColorMovieXml("ff0000ff"));
    EXPECT_EQ(red.size(), empty.size() + 5); // the tag's header and three colour bytes
}

} // namespace
