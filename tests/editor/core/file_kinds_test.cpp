// Paths to kinds and save targets, and the file dialogs' filters.
#include "files/file_kinds.h"

#include <gtest/gtest.h>

namespace {

using vorn::FileKind;
using vorn::SaveKind;

TEST(FileKinds, ClassifyPathByTheFileNamesExtension) {
    const std::pair<const char*, FileKind> rows[] = {
        {"/home/a/movie.swf", FileKind::Swf},
        {"MOVIE.SWF", FileKind::Swf},
        {"m.Xml", FileKind::Xml},
        {"project.vorn", FileKind::Project},
        {"project.VORN", FileKind::Project},
        {"notes.txt", FileKind::Text},
        {"archive.zip", FileKind::Other},
        {"", FileKind::Other},
        {"Document1", FileKind::Other},
        {"movie.swf.bak", FileKind::Other},
        {"movie.", FileKind::Other},
        {"/home/a.swf/movie", FileKind::Other},
        {"/home/a.xml/", FileKind::Other},
        {"/tmp/.swf", FileKind::Swf},
        {"movie.swfx", FileKind::Other},
    };
    for (const auto& [path, kind] : rows)
        EXPECT_EQ(vorn::ClassifyPath(path), kind) << path;
}

TEST(FileKinds, SavePathAppendsTheExtensionOnlyWhenTheFileNameLacksIt) {
    const std::tuple<SaveKind, const char*, const char*> rows[] = {
        {SaveKind::Xml, "/a/movie", "/a/movie.xml"},
        {SaveKind::Xml, "/a/movie.xml", "/a/movie.xml"},
        {SaveKind::Xml, "/a/movie.xml.bak", "/a/movie.xml.bak"},
        // A file opened as MOVIE.XML saves back into itself.
        {SaveKind::Xml, "/a/MOVIE.XML", "/a/MOVIE.XML"},
        {SaveKind::Xml, "/a/movie.swf", "/a/movie.swf.xml"},
        // A folder's name is not the file's.
        {SaveKind::Xml, "/home/x.xml/movie", "/home/x.xml/movie.xml"},
        {SaveKind::Swf, "/home/x.swf/movie", "/home/x.swf/movie.swf"},
        {SaveKind::Swf, "movie.Swf", "movie.Swf"},
        {SaveKind::Swf, "Document1", "Document1.swf"},
        {SaveKind::Project, "/p.vorn/p", "/p.vorn/p.vorn"},
        {SaveKind::Project, "p.vorn", "p.vorn"},
        {SaveKind::Project, "p.xml", "p.xml.vorn"},
    };
    for (const auto& [kind, path, expected] : rows)
        EXPECT_EQ(vorn::savePath(kind, path), expected) << path;
}

TEST(FileKinds, DialogFiltersAndTheSaveKindOfTheChosenFilter) {
    const auto open = vorn::openDialogFilters();
    ASSERT_EQ(open.size(), 4u);
    EXPECT_EQ(open[0].label, "Compatible Files (*.swf;*.vorn;*.xml)");
    EXPECT_EQ(open[0].pattern, "*.swf;*.vorn;*.xml");
    EXPECT_EQ(open[1].label, "Swf  File (*.swf)");
    EXPECT_EQ(open[2].label, "Vorn File (*.vorn)");
    EXPECT_EQ(open[3].label, "Xml File (*.xml)");
    EXPECT_EQ(open[3].pattern, "*.xml");
    EXPECT_EQ(vorn::filterPatterns(open[0]),
              (std::vector<std::string_view>{"*.swf", "*.vorn", "*.xml"}));

    const auto save = vorn::saveAsDialogFilters();
    ASSERT_EQ(save.size(), 3u);
    const std::tuple<int, std::optional<SaveKind>, std::string_view> rows[] = {
        {0, std::nullopt, ""},       {1, SaveKind::Swf, "*.swf"}, {2, SaveKind::Project, "*.vorn"},
        {3, SaveKind::Xml, "*.xml"}, {4, std::nullopt, ""},       {-1, std::nullopt, ""},
    };
    for (const auto& [index, kind, pattern] : rows) {
        EXPECT_EQ(vorn::saveKindForFilterIndex(index), kind) << index;
        if (kind) {
            EXPECT_EQ(save[static_cast<std::size_t>(index - 1)].pattern, pattern);
        }
    }
}

} // namespace
