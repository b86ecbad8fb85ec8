// The header probe: the Movie start tag wherever it ends, values as the compiler reads them.
#include "files/movie_header.h"

#include <gtest/gtest.h>

namespace {

using vorn::MovieHeaderProbe;

TEST(MovieHeader, ProbeFindsTheMovieStartTagWhereverItEnds) {
    const std::string longDeclaration =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"                      "
        "                                                                      ?>\n";
    const std::string manyAttributes =
        "<Movie FrameRate=\"12\" IsCompressed=\"false\" FrameMinX=\"0\" FrameMinY=\"0\" "
        "FrameMaxX=\"11000\" FrameMaxY=\"8000\" Width=\"550\" Height=\"400\" SwfVersion=\"8\">";
    const std::pair<std::string, MovieHeaderProbe> rows[] = {
        // Short texts have their values too.
        {"<Movie SwfVersion=\"7\" Width=\"550\" Height=\"400\"/>", {550, 400, 7}},
        {"<Movie SwfVersion=\"7\"></Movie>", {0, 0, 7}},
        {longDeclaration + "<Movie SwfVersion=\"6\" Width=\"1\" Height=\"2\">", {1, 2, 6}},
        {manyAttributes + "\n</Movie>", {550, 400, 8}},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- Movie SwfVersion=\"9\" -->\n"
         "<!DOCTYPE Movie [<!ENTITY e \"a>b\">]>\n<?pi x?>\r\n<Movie SwfVersion='5'>",
         {0, 0, 5}},
        // Names in any case, blanks around '=', a '>' inside a value.
        {"<movie swfversion = \"6\" WIDTH=\"10\" Name=\"a>b\" height='20'>", {10, 20, 6}},
        // Values as the compiler reads them: wholly a number that fits, or 0.
        {"<Movie SwfVersion=\"7x\" Width=\" 5\" Height=\"-3\">", {0, -3, 0}},
        {"<Movie SwfVersion=\"99999999999\" Width=\"2147483647\">", {2147483647, 0, 0}},
        // The first of duplicate attributes counts, as for the compiler.
        {"<Movie SwfVersion=\"4\" SwfVersion=\"9\">", {0, 0, 4}},
        // Nothing unless the first element is a complete Movie start tag.
        {"", {}},
        {"<Movie SwfVersion=\"7\"", {}},
        {"<Movie SwfVersion=\"7\" Width=\"5", {}},
        {"<Movie SwfVersion=7>", {}},
        {"<MovieClip SwfVersion=\"7\">", {}},
        {"<Other><Movie SwfVersion=\"7\"></Other>", {}},
        {"text <Movie SwfVersion=\"7\">", {}},
        {"<!-- unclosed <Movie SwfVersion=\"7\">", {}},
        {"<?xml version=\"1.0\"", {}},
    };
    for (const auto& [text, expected] : rows) {
        const MovieHeaderProbe probe = vorn::ProbeMovieHeader(text);
        EXPECT_EQ(probe.swfVersion, expected.swfVersion) << text;
        EXPECT_EQ(probe.width, expected.width) << text;
        EXPECT_EQ(probe.height, expected.height) << text;
    }
}

} // namespace
