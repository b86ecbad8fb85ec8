#include "files/movie_header.h"

#include "swfxml/values.h"

namespace vorn {

namespace {

constexpr auto npos = std::string_view::npos;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::size_t skipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

// Past the '>' that ends a document type declaration starting at `at`, or npos; quoted
// text and an internal subset in brackets may hold '>'.
std::size_t doctypeEnd(std::string_view text, std::size_t at) {
    int depth = 0;
    for (std::size_t i = at + 2; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            i = text.find(c, i + 1);
            if (i == npos)
                return npos;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth <= 0) {
            return i + 1;
        }
    }
    return npos;
}

// Where the first element's start tag begins, past the declaration, processing
// instructions, comments, a document type and blanks; npos when something else comes first.
std::size_t firstElementStart(std::string_view text) {
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = skipBlanks(text, at);
        const std::string_view rest = text.substr(std::min(at, text.size()));
        if (rest.starts_with("<?")) {
            at = text.find("?>", at + 2);
            at = at == npos ? npos : at + 2;
        } else if (rest.starts_with("<!--")) {
            at = text.find("-->", at + 4);
            at = at == npos ? npos : at + 3;
        } else if (rest.starts_with("<!")) {
            at = doctypeEnd(text, at);
        } else {
            return rest.starts_with("<") ? at : npos;
        }
        if (at == npos)
            return npos;
    }
}

void take(std::string_view name, std::string_view value, MovieHeaderProbe& probe, bool (&seen)[3]) {
    std::int32_t* fields[3] = {&probe.swfVersion, &probe.width, &probe.height};
    constexpr std::string_view names[3] = {"SwfVersion", "Width", "Height"};
    for (int i = 0; i < 3; ++i) {
        if (!seen[i] && swfxml::namesEqual(name, names[i])) {
            *fields[i] = swfxml::parseNumber<std::int32_t>(value);
            seen[i] = true;
        }
    }
}

} // namespace

MovieHeaderProbe ProbeMovieHeader(std::string_view text) {
    const std::size_t start = firstElementStart(text);
    if (start == npos)
        return {};
    std::size_t at = start + 1;
    std::size_t nameEnd = at;
    while (nameEnd < text.size() && !isBlank(text[nameEnd]) && text[nameEnd] != '>' &&
           text[nameEnd] != '/')
        ++nameEnd;
    if (!swfxml::namesEqual(text.substr(at, nameEnd - at), "Movie"))
        return {};
    MovieHeaderProbe probe;
    bool seen[3] = {false, false, false};
    at = nameEnd;
    for (;;) {
        at = skipBlanks(text, at);
        if (at >= text.size())
            return {};
        if (text[at] == '>' || text.substr(at, 2) == "/>")
            return probe;
        const std::size_t nameStart = at;
        while (at < text.size() && !isBlank(text[at]) && text[at] != '=' && text[at] != '>' &&
               text[at] != '/')
            ++at;
        const std::string_view name = text.substr(nameStart, at - nameStart);
        at = skipBlanks(text, at);
        if (name.empty() || at >= text.size() || text[at] != '=')
            return {};
        at = skipBlanks(text, at + 1);
        if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
            return {};
        const std::size_t close = text.find(text[at], at + 1);
        if (close == npos)
            return {};
        take(name, text.substr(at + 1, close - at - 1), probe, seen);
        at = close + 1;
    }
}

} // namespace vorn
