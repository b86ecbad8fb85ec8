// vorn-convert: the command-line converter.
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>

namespace {

using namespace libswf;

// Reads a movie into the model and writes it back. The model is freed before compressing,
// so that at most two copies of the movie are in memory at any time.
void rewrite(const std::string& input, const std::string& output) {
    SwfMovie movie;
    {
        const SwfBuffer file = SwfUtils::ReadFileToBuffer(input);
        movie.read(file.span());
    }
    SwfBuffer bytes = movie.writeUncompressed();
    const bool compressed = movie.compressed;
    movie.tags.clear();
    if (compressed)
        bytes = compressBody(bytes);
    SwfUtils::WriteWholeFile(output, bytes.size(), bytes.data());
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"vorn-convert: converts Flash movies.\n\n"
                 "  vorn-convert --rewrite IN.swf OUT.swf\n"
                 "      reads IN.swf into Vorn's model and writes it back to OUT.swf: raw tags\n"
                 "      byte for byte, frame counts recounted, compressed with zlib when IN was\n"
                 "      compressed (zlib or LZMA). OUT is replaced only when the whole movie was\n"
                 "      written; on failure it is left as it was.\n\n"
                 "Exit status: 0 on success, 1 when a conversion failed (one line on stderr\n"
                 "names the file and the reason), 2 for a usage error.",
                 "vorn-convert"};
    bool rewriteMode = false;
    std::vector<std::string> files;
    app.add_flag("--rewrite", rewriteMode, "Read a movie and write it back");
    app.add_option("files", files, "IN.swf OUT.swf")->expected(2);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    if (!rewriteMode || files.size() != 2) {
        std::cerr << "vorn-convert: nothing to do: use --rewrite IN.swf OUT.swf (see --help)\n";
        return 2;
    }

    const std::string& input = files[0];
    const std::string& output = files[1];
    try {
        rewrite(input, output);
    } catch (const SwfFileException& e) {
        std::cerr << "vorn-convert: " << e.fileName() << ": " << e.what() << '\n';
        return 1;
    } catch (const SwfException& e) {
        std::cerr << "vorn-convert: " << input << ": " << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "vorn-convert: " << input << ": not enough memory\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "vorn-convert: " << input << ": internal error: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
