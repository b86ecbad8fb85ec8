// The window-free editing rules of the text view.
#include "highlight/editing.h"

#include "swfxml/values.h"

namespace vorn {

namespace {

// Lines before this 0-based index get neither indentation nor completion: the declaration and
// the root's start tag are not typed inside a movie.
constexpr std::size_t kFirstEditedLine = 2;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t advance(std::size_t width, char c) {
    if (c == '\t')
        return (width / 8 + 1) * 8;
    return isContinuationByte(c) ? width : width + 1;
}

} // namespace

std::size_t caretColumn(std::string_view beforeCaret) {
    std::size_t width = 0;
    for (const char c : beforeCaret)
        width = advance(width, c);
    return width + 1;
}

std::size_t enterIndent(std::size_t newLine, std::string_view lineAbove) {
    if (newLine < kFirstEditedLine)
        return 0;
    std::size_t width = 0;
    for (const char c : lineAbove) {
        if (c == '<')
            return width;
        width = advance(width, c);
    }
    return 0;
}

std::size_t homeTarget(std::string_view line) {
    const std::size_t last = line.rfind('<');
    return last == std::string_view::npos ? 0 : last;
}

std::optional<TemplateKind> completionKind(std::size_t caretLine, std::string_view lineAbove) {
    if (caretLine < kFirstEditedLine)
        return std::nullopt;
    std::string_view name;
    if (const std::size_t open = lineAbove.find('<'); open != std::string_view::npos) {
        std::size_t start = open + 1;
        if (start < lineAbove.size() && lineAbove[start] == '/')
            ++start;
        std::size_t stop = start;
        while (stop < lineAbove.size() && lineAbove[stop] != ' ' && lineAbove[stop] != '\t' &&
               lineAbove[stop] != '\r' && lineAbove[stop] != '\n' && lineAbove[stop] != '/' &&
               lineAbove[stop] != '>')
            ++stop;
        name = lineAbove.substr(start, stop - start);
    }
    // The line without its blanks (line breaks included, in case the caller left one).
    std::string squeezed;
    for (const char c : lineAbove)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            squeezed += c;
    const std::string_view line = squeezed;
    const bool closed = line.starts_with('<') && line.ends_with('>') &&
                        (line.starts_with("</") || line.ends_with("/>"));

    if ((closed && isTagName(name)) || swfxml::namesEqual(name, "Movie"))
        return TemplateKind::Tag;
    const int code = actionRegistryCode(name);
    if (code != kUnknownActionCode)
        return code < 0 && closed ? TemplateKind::Record : TemplateKind::Action;
    return TemplateKind::Record;
}

} // namespace vorn
