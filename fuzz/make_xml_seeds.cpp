// Writes the starting documents of the XML fuzzer: every seed movie converted to the dialect,
// plus a dictionary of the dialect's names so that mutations find elements and attributes.
//   make_xml_seeds SEED_MOVIES_DIR OUT_DIR DICTIONARY
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: make_xml_seeds SEED_MOVIES_DIR OUT_DIR DICTIONARY\n";
        return 2;
    }
    fs::create_directories(argv[2]);
    int written = 0;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        if (entry.path().extension() != ".swf")
            continue;
        const libswf::SwfBuffer movie = libswf::SwfUtils::ReadFileToBuffer(entry.path().string());
        swfxml::SwfXmlWriter writer;
        std::string text;
        if (!swfxml::convertSwfBytesToXml(writer, movie.span(), text))
            continue; // seeds made to be refused
        const fs::path out = fs::path(argv[2]) / entry.path().filename().replace_extension(".xml");
        std::ofstream(out, std::ios::binary) << text;
        ++written;
    }
    if (written == 0) {
        std::cerr << "make_xml_seeds: no seed movie converted\n";
        return 1;
    }
    std::ofstream dictionary(argv[3]);
    for (const libswf::SwfTagInfo& info : libswf::swfTagTable())
        dictionary << '"' << info.name << "\"\n";
    for (const char* token : {"Unknown",
                              "TagType",
                              "CharacterId",
                              "Data",
                              "<![CDATA[",
                              "]]>",
                              "SwfVersion",
                              "Width",
                              "Height",
                              "FrameRate",
                              "IsCompressed",
                              "true",
                              "false",
                              "Id",
                              "FrameCount",
                              "Matrix",
                              "Translate",
                              "Scale",
                              "Rotate",
                              "ColorTransform",
                              "Name",
                              "Color",
                              "="})
        dictionary << '"' << token << "\"\n";
    return 0;
}
