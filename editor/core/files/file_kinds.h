// Which road a document file takes, chosen by the extension of its name, and the file
// dialogs' filters that lead there.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// What a path holds, by its extension.
enum class FileKind { Xml = 0, Swf = 1, Project = 2, Text = 3, Other = 4 };

// What a save writes.
enum class SaveKind { Swf = 1, Project = 2, Xml = 3 };

// The extension is what follows the last '.' of the file name, compared without regard to
// case with "vorn", "swf", "xml" and "txt"; anything else, or no extension, is Other. A dot
// in a folder name is not an extension.
FileKind ClassifyPath(std::string_view path);

// The path a save of that kind writes to: the path itself when its file name holds the
// kind's extension (".swf", ".vorn", ".xml") anywhere and in any case, so that "movie.xml.bak"
// and "MOVIE.XML" keep their names, and otherwise the path with the extension appended.
std::string savePath(SaveKind kind, std::string_view path);

// One line of a file dialog's filter list: what the user reads and the patterns it stands
// for, separated by ';' as stored.
struct FileDialogFilter {
    std::string_view label;
    std::string_view pattern;
};

std::span<const FileDialogFilter> openDialogFilters();
std::span<const FileDialogFilter> saveAsDialogFilters();

// The patterns of a filter one by one ("*.swf;*.xml" gives "*.swf" and "*.xml").
std::vector<std::string_view> filterPatterns(const FileDialogFilter& filter);

// The Save As dialog's chosen filter, counted from 1 in the order of saveAsDialogFilters,
// gives what is written; any other index gives nothing (the caller reports an unexpected
// error).
std::optional<SaveKind> saveKindForFilterIndex(int index);

// The file name of a path: what follows its last '/'.
std::string_view fileNameOf(std::string_view path);

} // namespace vorn
