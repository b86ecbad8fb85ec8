// The real movies of the corpus folder, made by other tools, and the ones among them that
// are broken on purpose.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vorn::test {

// The start of the reason each deliberately malformed movie must fail with, by its path
// below the corpus folder's source folder (see corpusName).
inline const std::map<std::string, std::string>& malformedMovies() {
    static const std::map<std::string, std::string> movies = {
        {"swf/tests/swfs/lzma-length-too-large.swf",
         "UnexpectedEnd: the header declares a movie of 4294967295 bytes"},
        {"swf/tests/swfs/lzma-malformed-length.swf",
         "UnexpectedEnd: the header declares a movie of 1 bytes"},
        {"tests/tests/swfs/timeline/frame_label_count_oom/test.swf",
         "UnexpectedEnd: a tag body of 45 bytes runs past the end of the movie"},
        {"tests/tests/swfs/timeline/scene_count_oom/test.swf",
         "UnexpectedEnd: a tag body of 37 bytes runs past the end of the movie"},
    };
    return movies;
}

// The name a movie is known by: its path below the folder of the project it came from.
inline std::string corpusName(const std::filesystem::path& root,
                              const std::filesystem::path& movie) {
    const std::string relative = std::filesystem::relative(movie, root).generic_string();
    return relative.substr(relative.find('/') + 1);
}

// Every .swf below the folder, sorted so that reports are stable.
inline std::vector<std::filesystem::path> corpusMovies(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".swf")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace vorn::test
