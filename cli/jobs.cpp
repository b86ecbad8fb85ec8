#include "jobs.h"

#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"
#include "swfxml/values.h"

#include <new>

namespace vorn::cli {

using namespace libswf;

namespace {

Outcome failed(const std::string& file, const std::string& reason) {
    return {false, file + ": " + reason};
}

// Runs a job, turning every exception into a failure that names the file.
template <class F>
Outcome guarded(const std::string& input, F&& job) {
    try {
        return job();
    } catch (const SwfFileException& e) {
        return failed(e.fileName(), e.what());
    } catch (const SwfException& e) {
        return failed(input, e.what());
    } catch (const std::bad_alloc&) {
        return failed(input, "not enough memory");
    } catch (const std::exception& e) {
        return failed(input, std::string("internal error: ") + e.what());
    }
}

std::string readText(const std::string& path) {
    const SwfBuffer bytes = SwfUtils::ReadFileToBuffer(path);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace

bool kindOf(const std::string& path, Kind& kind) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    const std::string_view ext(path.c_str() + dot + 1);
    if (swfxml::namesEqual(ext, "swf"))
        kind = Kind::Swf;
    else if (swfxml::namesEqual(ext, "xml"))
        kind = Kind::Xml;
    else
        return false;
    return true;
}

Outcome rewriteSwf(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        SwfMovie movie;
        {
            // Read into memory rather than mapped, here and below: a mapped file that another
            // program cuts short meanwhile ends the process with SIGBUS.
            SwfFileInMemory file(input);
            movie.read(file.span(), [&file] { file.release(); });
        }
        if (!movie.compressed) {
            // Straight into the file: the movie is never held twice.
            SwfAtomicFile out(output);
            movie.writeUncompressed(out);
            out.commit();
            return Outcome{};
        }
        // The model is freed before compressing, so that at most two copies of the movie
        // are in memory at any time.
        SwfBuffer bytes = movie.writeUncompressed();
        movie.tags.clear();
        bytes = compressBody(bytes);
        SwfUtils::WriteWholeFile(output, bytes.size(), bytes.data());
        return Outcome{};
    });
}

// The text goes to the output file a block at a time, never held whole.
Outcome swfToXml(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        SwfFileInMemory file(input);
        SwfAtomicFile out(output);
        swfxml::SwfXmlWriter ctx;
        swfxml::givesBackAsRead(ctx, file);
        if (!swfxml::convertSwfBytesToXml(ctx, file.span(), out))
            return failed(input, ctx.failure.describe());
        out.commit();
        return Outcome{};
    });
}

Outcome xmlToSwf(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        SwfBuffer swf;
        {
            SwfFileInMemory file(input);
            const std::string_view text(reinterpret_cast<const char*>(file.span().data()),
                                        file.span().size());
            swfxml::SwfXmlReader ctx;
            // The text is given back as it is read and whole once read, making room for the
            // movie being written; a failure reads the file again to say what and where.
            swfxml::givesBackAsRead(ctx, file);
            if (!swfxml::convertXmlToSwfBytes(ctx, text, swf, false))
                return failed(input, ctx.failure.describe());
        }
        SwfUtils::WriteWholeFile(output, swf.size(), swf.data());
        return Outcome{};
    });
}

Outcome checkXml(const std::string& input) {
    return guarded(input, [&] {
        const std::string text = readText(input);
        pugi::xml_document document;
        const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
        if (!parsed) {
            swfxml::SwfXmlFailure failure{parsed.description()};
            failure.locate(text, parsed.offset);
            return failed(input, failure.describe());
        }
        const pugi::xml_node root = swfxml::firstElement(document);
        for (const char* name : {"SwfVersion", "Width", "Height"}) {
            int value = 0;
            swfxml::readNumber(root, name, value);
            if (value <= 0)
                return failed(input, std::string("Incorrect value of attribute ") + name);
        }
        swfxml::SwfXmlReader ctx;
        SwfBuffer swf;
        if (!swfxml::convertXmlToSwfBytes(ctx, text, swf, false))
            return failed(input, ctx.failure.describe());
        return Outcome{};
    });
}

} // namespace vorn::cli
