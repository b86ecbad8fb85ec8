// vorn-convert: converts Flash movies to the XML dialect and back from the command line.
#include "batch.h"
#include "jobs.h"
#include "projects.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string_view>
#include <thread>

namespace fs = std::filesystem;
using namespace vorn::cli;

namespace {

const char* kDescription =
    "vorn-convert: converts Flash movies to Vorn's XML dialect and back.\n\n"
    "  vorn-convert IN.swf OUT.xml         SWF to XML\n"
    "  vorn-convert IN.xml OUT.swf         XML to SWF (compressed when IsCompressed is true)\n"
    "  vorn-convert -o DIR IN...           each input into DIR, as the other kind\n"
    "  vorn-convert -r -o DIR FOLDER...    every movie, document and project below each\n"
    "                                      folder into the same relative path below DIR\n"
    "  vorn-convert --rewrite IN.swf OUT.swf\n"
    "                                      read a movie into the model and write it back\n"
    "  vorn-convert --check IN.xml...      well-formed, root attributes valid, compiles\n"
    "  vorn-convert IN.swf OUT.vorn        a movie or a document into an editor project\n"
    "  vorn-convert IN.vorn OUT.swf        a project's document into a movie (or OUT.xml);\n"
    "                                      --check also checks projects\n\n"
    "The direction follows the extensions; --to overrides the output kind. Outputs are\n"
    "written to a temporary file beside them and renamed only when complete, so a failed\n"
    "conversion never leaves a half-written or damaged file.\n\n"
    "Exit status: 0 when every file converted, 1 when any failed (each failure is one\n"
    "line on stderr naming the file and the reason), 2 for a usage error.";

int usage(const std::string& message) {
    std::cerr << "vorn-convert: " << message << " (see --help)\n";
    return 2;
}

const char* extension(Kind kind) {
    return kind == Kind::Swf ? ".swf" : kind == Kind::Project ? ".vorn" : ".xml";
}

// The kind of a path by its extension, projects included.
bool kindOfPath(const std::string& path, Kind& kind) {
    if (isProject(path)) {
        kind = Kind::Project;
        return true;
    }
    return kindOf(path, kind);
}

Kind kindNamed(const std::string& name) {
    return name == "swf" ? Kind::Swf : name == "vorn" ? Kind::Project : Kind::Xml;
}

// An input of a batch and the path of its output below the output folder.
struct BatchInput {
    std::string path;
    fs::path relative;
};

// The inputs of a batch. With recursive, every file below each folder given (sorted, so that
// the batch runs in the same order every time) with its path below that folder, leaving out
// the output folder should it lie inside; a file given is taken as itself. False, with the
// reason, for an input that is neither.
bool batchInputs(const std::vector<std::string>& inputs, bool recursive, const fs::path& outputDir,
                 std::vector<BatchInput>& out, std::string& reason) {
    std::error_code error;
    const fs::path outputFolder = fs::weakly_canonical(outputDir, error);
    for (const std::string& input : inputs) {
        if (!recursive || !fs::is_directory(input, error)) {
            if (recursive && !fs::exists(input, error)) {
                reason = input + ": no such file or folder";
                return false;
            }
            out.push_back({input, fs::path(input).filename()});
            continue;
        }
        std::vector<fs::path> files;
        fs::recursive_directory_iterator it(input, error), end;
        if (error) {
            reason = input + ": cannot read the folder: " + error.message();
            return false;
        }
        for (; it != end; it.increment(error)) {
            if (error) {
                reason = input + ": cannot read the folder: " + error.message();
                return false;
            }
            if (it->is_directory(error)) {
                if (fs::weakly_canonical(it->path(), error) == outputFolder)
                    it.disable_recursion_pending();
            } else if (it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
            out.push_back({file.string(), file.lexically_relative(input)});
    }
    return true;
}

Job conversion(const std::string& input, const std::string& output, Kind from, Kind to,
               bool rewrite) {
    if (to == Kind::Project)
        return {input, [=] {
                    return from == Kind::Swf ? swfToProject(input, output)
                                             : xmlToProject(input, output);
                }};
    if (from == Kind::Project)
        return {input, [=] {
                    return to == Kind::Swf ? projectToSwf(input, output)
                                           : projectToXml(input, output);
                }};
    if (rewrite || (from == Kind::Swf && to == Kind::Swf))
        return {input, [=] { return rewriteSwf(input, output); }};
    if (from == Kind::Swf)
        return {input, [=] { return swfToXml(input, output); }};
    return {input, [=] { return xmlToSwf(input, output); }};
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{kDescription, "vorn-convert"};
    std::vector<std::string> inputs;
    std::string outputDir;
    std::string to;
    bool rewrite = false;
    bool check = false;
    bool recursive = false;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    app.add_option("files", inputs, "IN OUT, or the inputs of a batch or check");
    app.add_option("-o,--output-dir", outputDir, "Write each input's conversion into DIR");
    app.add_option("--to", to, "Kind of the outputs")->check(CLI::IsMember({"swf", "xml", "vorn"}));
    app.add_flag("--rewrite", rewrite, "Read movies into the model and write them back");
    app.add_flag("--check", check, "Check XML documents without writing anything");
    app.add_flag("-r,--recursive", recursive,
                 "Take every .swf, .xml and .vorn file below each input folder, into the same "
                 "relative path below the output folder");
    app.add_option("-j,--jobs", threads, "Worker threads (default: the number of cores)")
        ->check(CLI::Range(1u, 256u));
    // Help is printed before parsing, which would report it by throwing: the first exception
    // of a process searches the unwinding tables, a good part of the start-up.
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i)
        if (std::string_view(argv[i]) == "-h" || std::string_view(argv[i]) == "--help") {
            std::cout << app.help();
            return 0;
        }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    if (inputs.empty())
        return usage("no input files");

    std::vector<Job> jobs;
    if (check) {
        if (rewrite || !outputDir.empty() || !to.empty())
            return usage("--check takes only input files");
        std::vector<BatchInput> documents;
        std::string reason;
        if (!batchInputs(inputs, recursive, {}, documents, reason))
            return usage(reason);
        for (const BatchInput& document : documents) {
            Kind kind;
            // Below a folder only documents and projects are checked.
            if (recursive && (!kindOfPath(document.path, kind) || kind == Kind::Swf))
                continue;
            jobs.push_back({document.path, [input = document.path] {
                                return isProject(input) ? checkProject(input) : checkXml(input);
                            }});
        }
    } else if (recursive && outputDir.empty()) {
        return usage("-r needs -o DIR");
    } else if (outputDir.empty()) {
        if (inputs.size() != 2)
            return usage("give IN OUT, or -o DIR with the inputs");
        Kind from, toKind;
        if (!kindOfPath(inputs[0], from))
            return usage(inputs[0] + ": not a .swf, .xml or .vorn file");
        if (!to.empty())
            toKind = kindNamed(to);
        else if (!kindOfPath(inputs[1], toKind))
            return usage(inputs[1] + ": not a .swf, .xml or .vorn file; use --to");
        if (rewrite && (from != Kind::Swf || toKind != Kind::Swf))
            return usage("--rewrite reads and writes .swf files");
        if (from == Kind::Xml && toKind == Kind::Xml)
            return usage("both files are XML: nothing to convert");
        if (from == Kind::Project && toKind == Kind::Project)
            return usage("both files are projects: nothing to convert");
        jobs.push_back(conversion(inputs[0], inputs[1], from, toKind, rewrite));
    } else {
        std::error_code error;
        if (!fs::is_directory(outputDir, error))
            return usage(outputDir + ": not a folder");
        std::vector<BatchInput> batch;
        std::string reason;
        if (!batchInputs(inputs, recursive, outputDir, batch, reason))
            return usage(reason);
        // A job's output must not replace a file another job reads: compared as the files
        // they name, whatever way the paths are written.
        const auto fileOf = [](const std::string& path) {
            std::error_code ignored;
            const fs::path canonical = fs::weakly_canonical(fs::absolute(path, ignored), ignored);
            return canonical.empty() ? fs::path(path).lexically_normal() : canonical;
        };
        std::map<fs::path, std::size_t> inputFiles;
        for (std::size_t i = 0; i < batch.size(); ++i)
            inputFiles.emplace(fileOf(batch[i].path), i);
        std::set<std::string> outputs;
        for (const BatchInput& entry : batch) {
            const std::string& input = entry.path;
            Kind from;
            // Below a folder, files of other kinds, and files of the kind the batch makes,
            // are not inputs.
            if (!kindOfPath(input, from)) {
                if (recursive)
                    continue;
                return usage(input + ": not a .swf, .xml or .vorn file");
            }
            Kind toKind = rewrite ? Kind::Swf : from == Kind::Swf ? Kind::Xml : Kind::Swf;
            if (!to.empty())
                toKind = kindNamed(to);
            // (A movie to a movie is a rewrite; a document or a project to its own kind is
            // nothing to convert.)
            const bool nothingToDo = from == toKind && from != Kind::Swf;
            if (recursive && (nothingToDo || (rewrite && from != Kind::Swf)))
                continue;
            if (from == Kind::Xml && toKind == Kind::Xml)
                return usage(input + ": XML to XML: nothing to convert");
            if (from == Kind::Project && toKind == Kind::Project)
                return usage(input + ": project to project: nothing to convert");
            if (rewrite && from == Kind::Project)
                return usage("--rewrite reads and writes .swf files");
            const fs::path folder = fs::path(outputDir) / entry.relative.parent_path();
            const std::string output =
                (folder / entry.relative.stem()).string() + extension(toKind);
            if (!outputs.insert(output).second)
                return usage(input + ": another input also writes " + output);
            // Its own input it reads whole before it writes anything.
            const auto reader = inputFiles.find(fileOf(output));
            if (reader != inputFiles.end() && reader->first != fileOf(input))
                return usage(input + ": writes " + batch[reader->second].path +
                             ", which is also an input");
            Job job = conversion(input, output, from, toKind, rewrite);
            if (recursive) {
                // The output's folder is made when its first movie is converted; should that
                // fail, the conversion names the folder it cannot write in.
                job.run = [folder, run = std::move(job.run)] {
                    std::error_code ignored;
                    fs::create_directories(folder, ignored);
                    return run();
                };
            }
            jobs.push_back(std::move(job));
        }
    }

    if (jobs.empty())
        return usage("no .swf, .xml or .vorn files below the folders given");
    const std::size_t total = jobs.size();
    const BatchResult result = runBatch(std::move(jobs), threads);
    if (total > 1)
        std::cerr << "vorn-convert: " << result.succeeded << " of " << total
                  << (check ? " checked" : " converted")
                  << (result.failed ? ", " + std::to_string(result.failed) + " failed" : "")
                  << '\n';
    return result.failed ? 1 : 0;
}
