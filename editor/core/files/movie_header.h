// The header values a document's Movie start tag declares, read without parsing the whole
// document: the version decides how the text is encoded, and saves refuse documents whose
// values are missing.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorn {

struct MovieHeaderProbe {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t swfVersion = 0;

    bool operator==(const MovieHeaderProbe&) const = default;
};

// Reads SwfVersion, Width and Height (names in any case) from the start tag of the
// document's first element when that element is a Movie, however long the declaration,
// comments or document type before it and however many attributes come first. A value
// counts only when it is wholly a decimal number that fits, as the compiler reads it; the
// first of duplicate attributes counts, as for the compiler. Whatever is not found is 0, and
// so is everything when the start tag is not complete.
MovieHeaderProbe ProbeMovieHeader(std::string_view text);

} // namespace vorn
