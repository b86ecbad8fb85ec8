#include "projects.h"

#include "documents/document_rules.h"
#include "files/document_files.h"
#include "files/file_kinds.h"
#include "files/movie_header.h"
#include "files/project_archive.h"
#include "files/xml_file.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <new>

namespace vorn::cli {

namespace {

Outcome failed(const std::string& file, const std::string& reason) {
    return {false, file + ": " + reason};
}

// Runs a job, turning every exception into a failure that names the file.
template <class F>
Outcome guarded(const std::string& input, F&& job) {
    try {
        return job();
    } catch (const std::bad_alloc&) {
        return failed(input, "not enough memory");
    } catch (const std::exception& e) {
        return failed(input, e.what());
    }
}

void writeBytes(const std::string& path, std::string_view bytes) {
    libswf::SwfUtils::WriteWholeFile(path, bytes.size(),
                                     reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

Outcome writeProject(const std::string& input, const std::string& output, std::string_view xml) {
    PrintedXml printed = printXmlFile(xml);
    if (!printed.ok)
        return failed(input, printed.reason);
    const ProjectArchive archive = packProject(printed.bytes);
    if (!archive.ok)
        return failed(output, archive.reason);
    writeBytes(output, archive.bytes);
    return {};
}

// The document a project holds, or the failure naming the project.
bool readProject(const std::string& input, std::string& document, Outcome& outcome) {
    FileBytes file = ReadWholeFile(input);
    if (!file.ok) {
        outcome = {false, file.reason};
        return false;
    }
    ProjectArchive entry = unpackProject(file.bytes);
    if (!entry.ok) {
        outcome = failed(input, entry.reason);
        return false;
    }
    document = std::move(entry.bytes);
    return true;
}

} // namespace

bool isProject(const std::string& path) {
    return ClassifyPath(path) == FileKind::Project;
}

Outcome swfToProject(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        std::string text;
        {
            swfxml::SwfXmlWriter ctx;
            const libswf::SwfFileInMemory file(input); // not mapped: see rewriteSwf
            if (!swfxml::convertSwfBytesToXml(ctx, file.span(), text))
                return failed(input, ctx.failure.describe());
        }
        return writeProject(input, output, text);
    });
}

Outcome xmlToProject(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        const FileBytes file = ReadWholeFile(input);
        if (!file.ok)
            return Outcome{false, file.reason};
        return writeProject(input, output, file.bytes);
    });
}

Outcome projectToSwf(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        std::string document;
        Outcome outcome;
        if (!readProject(input, document, outcome))
            return outcome;
        const CompiledMovie movie = compileMovie(document);
        if (!movie.ok)
            return failed(input, movie.reason);
        libswf::SwfUtils::WriteWholeFile(output, movie.swf.size(), movie.swf.data());
        return Outcome{};
    });
}

Outcome projectToXml(const std::string& input, const std::string& output) {
    return guarded(input, [&] {
        std::string document;
        Outcome outcome;
        if (!readProject(input, document, outcome))
            return outcome;
        writeBytes(output, document);
        return Outcome{};
    });
}

Outcome checkProject(const std::string& input) {
    return guarded(input, [&] {
        std::string document;
        Outcome outcome;
        if (!readProject(input, document, outcome))
            return outcome;
        const PrintedXml printed = printXmlFile(document);
        if (!printed.ok)
            return failed(input, printed.reason);
        if (const std::optional<int> problem = validateHeader(ProbeMovieHeader(document)))
            return failed(input, problemReport(*problem).text);
        const CompiledMovie movie = compileMovie(document);
        if (!movie.ok)
            return failed(input, movie.reason);
        return Outcome{};
    });
}

} // namespace vorn::cli
