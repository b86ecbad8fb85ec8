// vorn-convert: converts Flash movies to the XML dialect and back from the command line.
#include "batch.h"
#include "jobs.h"
#include "projects.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <thread>

namespace fs = std::filesystem;
using namespace vorn::cli;

namespace {

const char* kDescription =
    "vorn-convert: converts Flash movies to Vorn's XML dialect and back.\n\n"
    "  vorn-convert IN.swf OUT.xml         SWF to XML\n"
    "  vorn-convert IN.xml OUT.swf         XML to SWF (compressed when IsCompressed is true)\n"
    "  vorn-convert -o DIR IN...           each input into DIR, as the other kind\n"
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
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    app.add_option("files", inputs, "IN OUT, or the inputs of a batch or check");
    app.add_option("-o,--output-dir", outputDir, "Write each input's conversion into DIR");
    app.add_option("--to", to, "Kind of the outputs")->check(CLI::IsMember({"swf", "xml", "vorn"}));
    app.add_flag("--rewrite", rewrite, "Read movies into the model and write them back");
    app.add_flag("--check", check, "Check XML documents without writing anything");
    app.add_option("-j,--jobs", threads, "Worker threads (default: the number of cores)")
        ->check(CLI::Range(1u, 256u));
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
        for (const std::string& input : inputs)
            jobs.push_back({input, [input] {
                                return isProject(input) ? checkProject(input) : checkXml(input);
                            }});
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
        // A job's output must not replace a file another job reads: compared as the files
        // they name, whatever way the paths are written.
        const auto fileOf = [](const std::string& path) {
            std::error_code ignored;
            const fs::path canonical = fs::weakly_canonical(fs::absolute(path, ignored), ignored);
            return canonical.empty() ? fs::path(path).lexically_normal() : canonical;
        };
        std::map<fs::path, std::size_t> inputFiles;
        for (std::size_t i = 0; i < inputs.size(); ++i)
            inputFiles.emplace(fileOf(inputs[i]), i);
        std::set<std::string> outputs;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::string& input = inputs[i];
            Kind from;
            if (!kindOfPath(input, from))
                return usage(input + ": not a .swf, .xml or .vorn file");
            Kind toKind = rewrite ? Kind::Swf : from == Kind::Swf ? Kind::Xml : Kind::Swf;
            if (!to.empty())
                toKind = kindNamed(to);
            if (from == Kind::Xml && toKind == Kind::Xml)
                return usage(input + ": XML to XML: nothing to convert");
            if (from == Kind::Project && toKind == Kind::Project)
                return usage(input + ": project to project: nothing to convert");
            if (rewrite && from == Kind::Project)
                return usage("--rewrite reads and writes .swf files");
            const std::string output =
                (fs::path(outputDir) / fs::path(input).stem()).string() + extension(toKind);
            if (!outputs.insert(output).second)
                return usage(input + ": another input also writes " + output);
            // Its own input it reads whole before it writes anything.
            const auto reader = inputFiles.find(fileOf(output));
            if (reader != inputFiles.end() && reader->first != fileOf(input))
                return usage(input + ": writes " + inputs[reader->second] +
                             ", which is also an input");
            jobs.push_back(conversion(input, output, from, toKind, rewrite));
        }
    }

    const std::size_t total = jobs.size();
    const BatchResult result = runBatch(std::move(jobs), threads);
    if (total > 1)
        std::cerr << "vorn-convert: " << result.succeeded << " of " << total
                  << (check ? " checked" : " converted")
                  << (result.failed ? ", " + std::to_string(result.failed) + " failed" : "")
                  << '\n';
    return result.failed ? 1 : 0;
}
