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

// The filter chosen in Save As decides what is written; its pattern must name the same kind.
TEST(FileKinds, TheChosenSaveAsFilterGivesTheSaveKind) {
    const auto save = vorn::saveAsDialogFilters();
    for (int index = -1; index <= static_cast<int>(save.size()) + 1; ++index) {
        const std::optional<SaveKind> kind = vorn::saveKindForFilterIndex(index);
        const bool inRange = index >= 1 && index <= static_cast<int>(save.size());
        ASSERT_EQ(kind.has_value(), inRange) << index;
        if (!kind)
            continue;
        const std::vector<std::string_view> patterns =
            vorn::filterPatterns(save[static_cast<std::size_t>(index - 1)]);
        ASSERT_EQ(patterns.size(), 1u);
        EXPECT_EQ(vorn::savePath(*kind, "m"), "m" + std::string(patterns[0].substr(1)));
    }
    // The first open filter offers every kind that opens.
    const auto open = vorn::openDialogFilters();
    std::vector<FileKind> kinds;
    for (std::string_view pattern : vorn::filterPatterns(open[0]))
        kinds.push_back(vorn::ClassifyPath("m" + std::string(pattern.substr(1))));
    EXPECT_EQ(kinds, (std::vector<FileKind>{FileKind::Swf, FileKind::Project, FileKind::Xml}));
}

} // namespace
