// Writes the starting inputs of the project fuzzer: each XML seed document packed as a .vorn
// project, and the documents themselves.
//   make_project_seeds XML_SEEDS_DIR OUT_DIR
#include "files/project_archive.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_project_seeds XML_SEEDS_DIR OUT_DIR\n";
        return 2;
    }
    fs::create_directories(argv[2]);
    int written = 0;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        if (entry.path().extension() != ".xml")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        const fs::path out = fs::path(argv[2]) / entry.path().filename();
        std::ofstream(fs::path(out).replace_extension(".vorn"), std::ios::binary)
            << vorn::packProject(text, 1700000000).bytes;
        std::ofstream(out, std::ios::binary) << text;
        ++written;
    }
    // A document of an old movie, whose text is in the legacy code page.
    std::ofstream(fs::path(argv[2]) / "legacy.xml", std::ios::binary)
        << "<?xml version=\"1.0\" ?>\n<Movie SwfVersion=\"5\" Width=\"1\" Height=\"1\">\n"
           "    <FrameLabel Name=\"caf\xE9 \x80\x81\x8D\x8F\x90\x9D\xFF\" />\n</Movie>\n";
    if (written == 0) {
        std::cerr << "make_project_seeds: no XML seed found\n";
        return 1;
    }
    return 0;
}
