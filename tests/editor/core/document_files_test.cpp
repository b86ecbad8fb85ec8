// Opening and saving document files: each kind's road, the version rule on real files, the
// safety of saves, and temporary movies.
#include "files/document_files.h"
#include "files/project_archive.h"
#include "files/text_encoding.h"
#include "scratch_folder.h"
#include "swfxml/convert.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using vorn::SaveKind;
using vorn::test::readFile;
using vorn::test::ScratchFolder;
using vorn::test::writeFile;

// A document of the dialect declaring the version, with a frame label holding `label`.
std::string document(int version, const std::string& label) {
    return std::string("<?xml version=\"1.0\"") + (version >= 6 ? " encoding=\"UTF-8\"" : "") +
           " ?>\n<Movie SwfVersion=\"" + std::to_string(version) +
           "\" Width=\"550\" Height=\"400\" FrameRate=\"12\" IsCompressed=\"false\">\n"
           "    <FrameLabel Name=\"" +
           label + "\" IsAnchor=\"false\" />\n    <ShowFrame />\n    <End />\n</Movie>\n";
}

// The same document as a saved .xml file prints it.
std::string printed(int version, const std::string& label) {
    std::string out;
    for (char c : document(version, label)) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string compiled(const std::string& text) {
    swfxml::SwfXmlReader ctx;
    libswf::SwfBuffer swf;
    EXPECT_TRUE(swfxml::convertXmlToSwfBytes(ctx, text, swf, true)) << ctx.failure.describe();
    return {reinterpret_cast<const char*>(swf.data()), swf.size()};
}

// Every byte but zero, which ends a movie's string.
std::string labelBytes() {
    std::string bytes;
    for (int b = 0x80; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

TEST(DocumentFiles, OpenReadsEachKindAndDecodesByTheVersion) {
    const ScratchFolder folder;
    writeFile(folder / "v5.xml", document(5, "caf\xE9 \x80"));
    writeFile(folder / "V6.XML", document(6, "\xFF\xFE odd"));
    writeFile(folder / "v5.swf", compiled(document(5, "caf\xE9")));
    writeFile(folder / "v8.swf", compiled(document(8, "\xE9t\xE9")));
    writeFile(folder / "p.vorn", vorn::packProject(document(4, "\xE9")).bytes);
    const std::pair<std::string, std::string> rows[] = {
        {"v5.xml", document(5, "caf\u00E9 \u20AC")},
        {"V6.XML", document(6, "\xFF\xFE odd")},
        {"p.vorn", document(4, "\u00E9")},
    };
    for (const auto& [name, text] : rows) {
        const vorn::DecodedText loaded = vorn::LoadDocumentText(folder / name);
        ASSERT_TRUE(loaded.ok) << loaded.reason;
        EXPECT_EQ(loaded.text, text) << name;
    }
    // A movie opens as the dialect's text of it, decoded by its own version.
    const vorn::DecodedText v5 = vorn::LoadDocumentText(folder / "v5.swf");
    ASSERT_TRUE(v5.ok) << v5.reason;
    EXPECT_NE(v5.text.find("<Movie SwfVersion=\"5\""), std::string::npos);
    EXPECT_NE(v5.text.find("Name=\"caf\u00E9\""), std::string::npos);
    const vorn::DecodedText v8 = vorn::LoadDocumentText(folder / "v8.swf");
    EXPECT_NE(v8.text.find("Name=\"\xE9t\xE9\""), std::string::npos);
}

TEST(DocumentFiles, OpenFailuresSayWhy) {
    const ScratchFolder folder;
    fs::create_directory(folder / "folder.xml");
    ASSERT_EQ(::mkfifo((folder / "pipe.xml").c_str(), 0600), 0);
    writeFile(folder / "notes.txt", document(6, "x"));
    writeFile(folder / "bad.swf", "FWS\x06");
    writeFile(folder / "bad.vorn", "PK but no zip");
    writeFile(folder / "v5.xml", document(5, "x"));
    const std::pair<std::string, std::string> rows[] = {
        {"missing.xml", "cannot be opened: No such file or directory"},
        {"folder.xml", "is a folder, not a file"},
        {"pipe.xml", "is not a regular file"},
        {"notes.txt", "only .swf, .vorn and .xml files open as documents"},
        {"missing.doc", "only .swf, .vorn and .xml files open as documents"},
        {"bad.swf", "UnexpectedEnd: a movie needs 8 header bytes but the file has 4"},
        {"bad.vorn", "the project is not a zip archive"},
    };
    for (const auto& [name, reason] : rows) {
        const vorn::DecodedText loaded = vorn::LoadDocumentText(folder / name);
        EXPECT_FALSE(loaded.ok) << name;
        EXPECT_EQ(loaded.reason, (folder / name) + ": " + reason);
    }
}

TEST(DocumentFiles, SavesWriteEachKind) {
    const ScratchFolder folder;
    const std::string v5 = document(5, "caf\xE9");
    struct Row {
        SaveKind kind;
        std::string path;
        std::string written;
    };
    const Row rows[] = {
        {SaveKind::Xml, "a", "a.xml"},           {SaveKind::Xml, "b.xml.bak", "b.xml.bak"},
        {SaveKind::Swf, "c", "c.swf"},           {SaveKind::Project, "d", "d.vorn"},
        {SaveKind::Project, "e.VORN", "e.VORN"},
    };
    for (const Row& row : rows) {
        const vorn::SavedFile saved = vorn::SaveDocumentText(row.kind, folder / row.path, v5);
        ASSERT_TRUE(saved.ok) << saved.reason;
        EXPECT_EQ(saved.path, folder / row.written);
        const std::string bytes = readFile(saved.path);
        if (row.kind == SaveKind::Xml) {
            EXPECT_EQ(bytes, printed(5, "caf\xE9"));
        } else if (row.kind == SaveKind::Swf) {
            EXPECT_EQ(bytes, compiled(v5));
        } else {
            EXPECT_EQ(vorn::unpackProject({bytes.data(), bytes.size()}).bytes,
                      printed(5, "caf\xE9"));
        }
    }
    // Nothing else was written: no data.xml beside the project, no temporary file.
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"a.xml", "b.xml.bak", "c.swf", "d.vorn", "e.VORN"}));

    const vorn::SavedFile odd = vorn::SaveDocumentText(static_cast<SaveKind>(7), folder / "f", v5);
    EXPECT_FALSE(odd.ok);
    EXPECT_EQ(odd.reason, (folder / "f") + ": there is no save of kind 7");
}

TEST(DocumentFiles, AProjectSaveLeavesAUsersDataXmlAlone) {
    const ScratchFolder folder;
    writeFile(folder / "data.xml", "the user's own file");
    ASSERT_TRUE(vorn::SaveDocumentText(SaveKind::Project, folder / "p", document(6, "x")).ok);
    EXPECT_EQ(readFile(folder / "data.xml"), "the user's own file");
}

TEST(DocumentFiles, AFailedSaveKeepsThePreviousFile) {
    const ScratchFolder folder;
    const std::string broken = "<Movie SwfVersion=\"6\" Width=\"1\" Height=\"1\"><Broken></Movie>";
    const std::string uncompilable =
        "<Movie SwfVersion=\"300\" Width=\"1\" Height=\"1\"><ShowFrame/></Movie>";
    const std::string badTag =
        "<Movie SwfVersion=\"6\" Width=\"1\" Height=\"1\">\n"
        "    <ShowFrame/>\n    <CSMTextSettings Reserved=\"999\"/>\n</Movie>";
    struct Row {
        SaveKind kind;
        std::string name;
        std::string text;
        std::string reason;
        std::size_t line; // where the editor puts the caret: only compiles name one
    };
    const Row rows[] = {
        {SaveKind::Swf, "m.swf", broken, "line 1, column 54: Start-end tags mismatch", 1},
        {SaveKind::Swf, "m.swf", uncompilable,
         "line 1, column 2: Movie: SwfVersion 300 does not "
         "fit in a byte",
         1},
        {SaveKind::Swf, "m.swf", badTag,
         "line 3, column 6: CSMTextSettings: ValueOutOfRange: Reserved 999 does not fit its 8 bits",
         3},
        {SaveKind::Xml, "m.xml", broken, "line 1, column 54: Start-end tags mismatch", 0},
        {SaveKind::Project, "m.vorn", broken, "line 1, column 54: Start-end tags mismatch", 0},
    };
    for (const Row& row : rows) {
        writeFile(folder / row.name, "previous");
        const vorn::SavedFile saved = vorn::SaveDocumentText(row.kind, folder / row.name, row.text);
        EXPECT_FALSE(saved.ok);
        EXPECT_EQ(saved.reason, (folder / row.name) + ": " + row.reason);
        EXPECT_EQ(saved.line, row.line) << row.reason;
        EXPECT_EQ(readFile(folder / row.name), "previous");
    }
    // A folder that cannot take the file fails the same way.
    const vorn::SavedFile nowhere =
        vorn::SaveDocumentText(SaveKind::Xml, folder / "no/such/folder/m.xml", document(6, "x"));
    EXPECT_FALSE(nowhere.ok);
    EXPECT_EQ(nowhere.reason.rfind(folder / "no/such/folder/m.xml: ", 0), 0u) << nowhere.reason;
}

// Every byte a movie's string may hold comes back from open to save, by both rules.
TEST(DocumentFiles, StringsOfEveryByteSurviveOpenAndSave) {
    const ScratchFolder folder;
    for (int version : {5, 6}) {
        SCOPED_TRACE(version);
        const std::string movie = compiled(document(version, labelBytes()));
        writeFile(folder / "in.swf", movie);
        const vorn::DecodedText text = vorn::LoadDocumentText(folder / "in.swf");
        ASSERT_TRUE(text.ok) << text.reason;
        const vorn::EncodedText bytes = vorn::EncodeText(text.text);
        ASSERT_TRUE(bytes.ok) << bytes.describe();
        for (SaveKind kind : {SaveKind::Swf, SaveKind::Xml, SaveKind::Project}) {
            const vorn::SavedFile saved = vorn::SaveDocumentText(kind, folder / "out", bytes.bytes);
            ASSERT_TRUE(saved.ok) << saved.reason;
            const vorn::DecodedText again = vorn::LoadDocumentText(saved.path);
            ASSERT_TRUE(again.ok) << again.reason;
            const vorn::EncodedText back = vorn::EncodeText(again.text);
            EXPECT_EQ(compiled(back.bytes), movie) << saved.path;
        }
    }
}

// The version rule has made the bytes what the movie's strings hold; a declaration naming
// another encoding must not make the compiler convert them again.
TEST(DocumentFiles, CompilingKeepsTheBytesWhateverTheDeclarationSays) {
    std::string declared = document(5, "caf\xE9");
    declared.replace(0, declared.find("?>"), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ");
    const vorn::CompiledMovie movie = vorn::compileMovie(declared);
    ASSERT_TRUE(movie.ok) << movie.reason;
    const std::string swf(reinterpret_cast<const char*>(movie.swf.data()), movie.swf.size());
    EXPECT_NE(swf.find("caf\xE9"), std::string::npos);
    EXPECT_EQ(swf.find("caf\xC3\xA9"), std::string::npos);
}

TEST(DocumentFiles, MoviesForThePlayer) {
    const ScratchFolder folder;
    const ScratchFolder temporary;
    const std::string text = document(6, "play");
    const vorn::CompiledMovie movie = vorn::compileMovie(text);
    ASSERT_TRUE(movie.ok) << movie.reason;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(movie.swf.data()), movie.swf.size()),
              compiled(text));

    const char* tmpdir = std::getenv("TMPDIR");
    const std::string previous = tmpdir ? tmpdir : "";
    ::setenv("TMPDIR", temporary.path().c_str(), 1);
    writeFile(folder / "file", "not a folder");
    // The folder itself; then the temporary folder when the folder cannot take a file.
    const std::pair<std::string, fs::path> rows[] = {
        {folder.path().string(), folder.path()},
        {"", temporary.path()},
        {folder / "missing", temporary.path()},
        {folder / "file", temporary.path()},
    };
    for (const auto& [directory, where] : rows) {
        const vorn::TempMovie made = vorn::MakeTempSwf(directory, text);
        ASSERT_TRUE(made.ok) << made.reason;
        const fs::path path = made.path;
        EXPECT_EQ(path.parent_path(), where);
        EXPECT_EQ(path.filename().string().substr(0, 2), "~!");
        EXPECT_EQ(path.extension(), ".swf");
        EXPECT_EQ(path.filename().string().size(), 12u);
        EXPECT_EQ(readFile(made.path), compiled(text));
        fs::remove(path);
    }
    const vorn::TempMovie failed = vorn::MakeTempSwf(folder.path().string(), "<Movie>");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.path, "");
    EXPECT_EQ(failed.reason, "line 1, column 7: Start-end tags mismatch");
    EXPECT_TRUE(fs::is_empty(temporary.path()));
    if (tmpdir)
        ::setenv("TMPDIR", previous.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

} // namespace
