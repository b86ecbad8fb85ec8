#include "files/file_kinds.h"

#include "swfxml/values.h"

#include <array>

namespace vorn {

namespace {

constexpr std::array<FileDialogFilter, 4> kOpenFilters = {{
    {"Compatible Files (*.swf;*.vorn;*.xml)", "*.swf;*.vorn;*.xml"},
    {"Swf  File (*.swf)", "*.swf"},
    {"Vorn File (*.vorn)", "*.vorn"},
    {"Xml File (*.xml)", "*.xml"},
}};

// In the order of SaveKind's values, so that the filter index is the kind.
constexpr std::array<FileDialogFilter, 3> kSaveAsFilters = {{
    {"Swf  File (*.swf)", "*.swf"},
    {"Vorn File (*.vorn)", "*.vorn"},
    {"Xml File (*.xml)", "*.xml"},
}};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size())
        return false;
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < part.size() && lower(text[at + i]) == lower(part[i]))
            ++i;
        if (i == part.size())
            return true;
    }
    return false;
}

} // namespace

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

FileKind ClassifyPath(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return FileKind::Other;
    const std::string_view extension = name.substr(dot + 1);
    if (swfxml::namesEqual(extension, "vorn"))
        return FileKind::Project;
    if (swfxml::namesEqual(extension, "swf"))
        return FileKind::Swf;
    if (swfxml::namesEqual(extension, "xml"))
        return FileKind::Xml;
    if (swfxml::namesEqual(extension, "txt"))
        return FileKind::Text;
    return FileKind::Other;
}

std::string savePath(SaveKind kind, std::string_view path) {
    const std::string_view extension = kind == SaveKind::Swf       ? ".swf"
                                       : kind == SaveKind::Project ? ".vorn"
                                                                   : ".xml";
    std::string result(path);
    if (!containsIgnoringCase(fileNameOf(path), extension))
        result += extension;
    return result;
}

std::span<const FileDialogFilter> openDialogFilters() {
    return kOpenFilters;
}

std::span<const FileDialogFilter> saveAsDialogFilters() {
    return kSaveAsFilters;
}

std::vector<std::string_view> filterPatterns(const FileDialogFilter& filter) {
    std::vector<std::string_view> patterns;
    std::string_view rest = filter.pattern;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        if (end != 0)
            patterns.push_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return patterns;
}

std::optional<SaveKind> saveKindForFilterIndex(int index) {
    if (index < 1 || index > static_cast<int>(kSaveAsFilters.size()))
        return std::nullopt;
    return static_cast<SaveKind>(index);
}

} // namespace vorn
