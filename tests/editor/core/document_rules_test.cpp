// The document commands' decisions and the texts of their boxes.
#include "documents/document_rules.h"
#include "files/problems.h"

#include <gtest/gtest.h>

namespace vorn {
void PrintTo(const MessageBoxText& box, std::ostream* out) {
    *out << "{\"" << box.text << "\", \"" << box.caption << "\", " << static_cast<int>(box.icon)
         << "}";
}
} // namespace vorn

namespace {

using vorn::BoxIcon;
using vorn::MessageBoxText;
using vorn::SaveKind;
using namespace std::string_literals;

const std::string kValid = "<?xml version=\"1.0\" ?>\n<Movie SwfVersion=\"5\" Width=\"550\" "
                           "Height=\"400\">\n    <FrameLabel Name=\"\u00E9\" />\n</Movie>\n";

TEST(DocumentRules, NewDocumentTitlesCountUpPerApplication) {
    vorn::NewDocumentTitles titles;
    EXPECT_EQ(titles.next(), "Document");
    EXPECT_EQ(titles.next(), "Document1");
    EXPECT_EQ(titles.next(), "Document2");
    vorn::NewDocumentTitles other;
    EXPECT_EQ(other.next(), "Document");
    for (int i = 3; i < 10; ++i)
        titles.next();
    EXPECT_EQ(titles.next(), "Document10");
}

TEST(DocumentRules, ProblemReports) {
    const std::tuple<int, std::string, std::string> rows[] = {
        {8, "Unable to open /home/a b/m.swf.", "Message"},
        {2, "Please install a Flash Player.", "Flash Player is not installed."},
        {4, "Incorrect value of attribute SwfVersion", "Warning"},
        {0, "Unexpected Error", "Message"},
        {9, "Unexpected Error", "Message"},
        {-1, "Unexpected Error", "Message"},
    };
    for (const auto& [code, text, caption] : rows)
        EXPECT_EQ(vorn::problemReport(code, "/home/a b/m.swf"),
                  (MessageBoxText{text, caption, BoxIcon::Warning}))
            << code;
    EXPECT_EQ(vorn::stringTableText(165), "");
}

TEST(DocumentRules, HeaderValidationNamesTheFirstMissingValue) {
    const std::pair<vorn::MovieHeaderProbe, std::optional<int>> rows[] = {
        {{550, 400, 7}, std::nullopt},
        {{550, 400, 0}, 4},
        {{0, 0, -1}, 4},
        {{0, 400, 7}, 5},
        {{1, -2, 7}, 6},
        {{1, 1, 1}, std::nullopt},
    };
    for (const auto& [probe, problem] : rows)
        EXPECT_EQ(vorn::validateHeader(probe), problem);
}

TEST(DocumentRules, CheckXmlSaysWhatIsWrongAndWhere) {
    struct Row {
        std::string text;
        std::string description;
        std::size_t row, column;
    };
    const Row rows[] = {
        {"<Movie>\n    <A>\n</Movie>", "Start-end tags mismatch", 3, 3},
        {"<Movie SwfVersion=\"6\">\n\t<\u00E9\u00E9 a=1/>", "Error parsing element attribute", 2,
         8},
        {"", "No document element found", 1, 1},
        {"<Movie/>\0<Lost/>"s, "the text holds a zero byte, which an XML document cannot hold", 1,
         9},
        {"<Movie SwfVersion=\"5\">\n  <T N=\"\u4E2D\"/></Movie>",
         "the character U+4E2D has no byte in the code page windows-1252, which holds the text "
         "of movies before SwfVersion 6",
         2, 9},
    };
    for (const Row& row : rows) {
        const vorn::XmlCheck check = vorn::checkXml(row.text);
        EXPECT_FALSE(check.ok);
        EXPECT_EQ(check.box, (MessageBoxText{"Error description: " + row.description +
                                                 "\nRow: " + std::to_string(row.row) +
                                                 "\nCol: " + std::to_string(row.column),
                                             "The XML has incorrect format.", BoxIcon::Warning}));
        EXPECT_EQ(check.row, row.row);
    }
    const vorn::XmlCheck good = vorn::checkXml(kValid);
    EXPECT_TRUE(good.ok);
    EXPECT_EQ(good.row, 0u);
    EXPECT_EQ(good.box,
              (MessageBoxText{"The XML is correct.", "The XML is correct.", BoxIcon::Information}));
    EXPECT_EQ(good.bytes.find("Name=\"\xE9\""), kValid.find("Name=\"") + 0) << good.bytes;
}

TEST(DocumentRules, PrepareSaveChecksTheXmlThenTheHeader) {
    const vorn::PreparedSave ready = vorn::prepareSave(kValid);
    EXPECT_TRUE(ready.ok);
    EXPECT_NE(ready.bytes.find("Name=\"\xE9\""), std::string::npos);

    const std::pair<std::string, MessageBoxText> rows[] = {
        {"<Movie Width=\"1\" Height=\"1\"/>", vorn::problemReport(4)},
        {"<Movie SwfVersion=\"6\" Height=\"1\"/>", vorn::problemReport(5)},
        {"<Movie SwfVersion=\"6\" Width=\"1\" Height=\"0\"/>", vorn::problemReport(6)},
        {"<Movie SwfVersion=\"6\" Width=\"1\">",
         {"Error description: Start-end tags mismatch\nRow: 1\nCol: 32",
          "The XML has incorrect format.", BoxIcon::Warning}},
    };
    for (const auto& [text, box] : rows) {
        const vorn::PreparedSave prepared = vorn::prepareSave(text);
        EXPECT_FALSE(prepared.ok) << text;
        EXPECT_EQ(prepared.box, box) << text;
    }
}

TEST(DocumentRules, WhereSavesGo) {
    const std::pair<const char*, std::optional<SaveKind>> kinds[] = {
        {"/a/m.xml", SaveKind::Xml},      {"/a/m.SWF", SaveKind::Swf},
        {"/a/p.vorn", SaveKind::Project}, {"/a/notes.txt", std::nullopt},
        {"Document3", std::nullopt},      {"/a.swf/Document", std::nullopt},
    };
    for (const auto& [path, kind] : kinds)
        EXPECT_EQ(vorn::saveKindForPath(path), kind) << path;

    const std::pair<const char*, const char*> names[] = {
        {"/a/movie.swf", "/a/movie"},         {"/a/movie.xml.bak", "/a/movie.xml"},
        {"/a.b/Document1", "/a.b/Document1"}, {"Document", "Document"},
        {"/a/.hidden", "/a/.hidden"},         {"m.vorn", "m"},
    };
    for (const auto& [path, name] : names)
        EXPECT_EQ(vorn::saveAsInitialName(path), name) << path;
}

TEST(DocumentRules, BoxesOfClosingAndFailedSaves) {
    EXPECT_EQ(vorn::closePrompt(), (MessageBoxText{"The file has been changed.\n"
                                                   "To save the changes and close, click \"Yes\".\n"
                                                   "To close without saving, click \"No\".",
                                                   "Message", BoxIcon::Question}));
    EXPECT_EQ(vorn::saveFailure("/a/m.swf: line 3, column 1: bad"),
              (MessageBoxText{"Unable to save this file.\n/a/m.swf: line 3, column 1: bad",
                              "Message", BoxIcon::Warning}));
    EXPECT_EQ(vorn::saveFailure(""), vorn::problemReport(3));
}

} // namespace
