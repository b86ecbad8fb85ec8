// Real movies made by other tools through every kind of document file the editor saves:
// .swf -> text -> .vorn -> text -> .xml -> text -> .swf gives the movie that SWF -> XML -> SWF
// gives directly, strings that are not UTF-8 included.
#include "corpus.h"
#include "files/document_files.h"
#include "files/movie_header.h"
#include "files/text_encoding.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "scratch_folder.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace libswf;

namespace {

// The first tag whose code or body differs, or "".
std::string firstDifference(const SwfTags& a, const SwfTags& b) {
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i].code() != b[i].code())
            return "tag " + std::to_string(i) + ": code " + std::to_string(a[i].code()) +
                   " became " + std::to_string(b[i].code());
        const auto* sa = dynamic_cast<const SwfTagDefineSprite*>(&a[i]);
        const auto* sb = dynamic_cast<const SwfTagDefineSprite*>(&b[i]);
        if (sa && sb) {
            const std::string inner = firstDifference(sa->tags, sb->tags);
            if (!inner.empty())
                return "sprite " + std::to_string(sa->id) + ": " + inner;
            continue;
        }
        const auto* ra = dynamic_cast<const SwfTagUnknown*>(&a[i]);
        const auto* rb = dynamic_cast<const SwfTagUnknown*>(&b[i]);
        if (!ra || !rb || ra->body != rb->body)
            return "tag " + std::to_string(i) + " (code " + std::to_string(a[i].code()) +
                   "): its body changed";
    }
    if (a.size() != b.size())
        return std::to_string(a.size()) + " tags became " + std::to_string(b.size());
    return "";
}

std::string describeDifference(const std::string& direct, const std::string& chained) {
    const auto span = [](const std::string& s) {
        return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    SwfMovie a, b;
    vorn::test::keepAllRaw(a);
    vorn::test::keepAllRaw(b);
    a.read(span(direct));
    b.read(span(chained));
    if (a.version != b.version || a.compressed != b.compressed || a.frameRate != b.frameRate)
        return "the header changed";
    const std::string tags = firstDifference(a.tags, b.tags);
    return tags.empty() ? "the bytes changed outside the tags" : tags;
}

// Well-formed UTF-8 throughout (overlong forms and surrogates aside, which movies do not
// produce by accident).
bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80                ? 1
                              : c >= 0xC2 && c < 0xE0 ? 2
                              : c >= 0xE0 && c < 0xF0 ? 3
                              : c >= 0xF0 && c < 0xF5 ? 4
                                                      : 0;
        if (n == 0 || i + n > text.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// Document text to the file of that kind and back to document text.
bool through(vorn::SaveKind kind, const std::string& path, std::string& text,
             std::string& failure) {
    vorn::EncodedText bytes = vorn::EncodeText(std::move(text));
    if (!bytes.ok) {
        failure = "encoding: " + bytes.describe();
        return false;
    }
    const vorn::SavedFile saved = vorn::SaveDocumentText(kind, path, bytes.bytes);
    if (!saved.ok) {
        failure = saved.reason;
        return false;
    }
    vorn::DecodedText loaded = vorn::LoadDocumentText(saved.path);
    if (!loaded.ok) {
        failure = loaded.reason;
        return false;
    }
    text = std::move(loaded.text);
    return true;
}

TEST(CorpusFiles, EveryMovieComesBackThroughProjectAndXmlFiles) {
    const fs::path root = VORN_CORPUS_DIR;
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root << ": the document-file chain is not checked";
    const vorn::test::ScratchFolder folder;
    std::size_t chained = 0, refused = 0, notUtf8 = 0, legacy = 0;
    for (const fs::path& movie : vorn::test::corpusMovies(root)) {
        const std::string name = vorn::test::corpusName(root, movie);
        SCOPED_TRACE(name);
        const SwfBuffer file = SwfUtils::ReadFileToBuffer(movie.string());

        std::string direct;
        {
            swfxml::SwfXmlWriter writer;
            std::string xml;
            if (!swfxml::convertSwfBytesToXml(writer, file.span(), xml)) {
                EXPECT_TRUE(vorn::test::malformedMovies().count(name)) << writer.failure.reason;
                ++refused;
                EXPECT_FALSE(vorn::LoadDocumentText(movie.string()).ok);
                continue;
            }
            swfxml::SwfXmlReader reader;
            SwfBuffer back;
            ASSERT_TRUE(swfxml::convertXmlToSwfBytes(reader, xml, back, false))
                << reader.failure.describe();
            direct.assign(reinterpret_cast<const char*>(back.data()), back.size());
        }

        vorn::DecodedText opened = vorn::LoadDocumentText(movie.string());
        ASSERT_TRUE(opened.ok) << opened.reason;
        std::string text = std::move(opened.text);
        const int version = vorn::ProbeMovieHeader(text).swfVersion;
        if (version >= 6 && !isUtf8(text))
            ++notUtf8;
        if (version < 6 && std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; }))
            ++legacy;
        std::string failure;
        ASSERT_TRUE(through(vorn::SaveKind::Project, folder / "chain.vorn", text, failure))
            << failure;
        ASSERT_TRUE(through(vorn::SaveKind::Xml, folder / "chain.xml", text, failure)) << failure;
        vorn::EncodedText bytes = vorn::EncodeText(std::move(text));
        ASSERT_TRUE(bytes.ok) << bytes.describe();
        const vorn::SavedFile saved =
            vorn::SaveDocumentText(vorn::SaveKind::Swf, folder / "chain.swf", bytes.bytes);
        ASSERT_TRUE(saved.ok) << saved.reason;
        const std::string result = vorn::test::readFile(saved.path);
        if (result != direct)
            ADD_FAILURE() << describeDifference(direct, result);
        ++chained;
    }
    std::cout << "corpus through document files: " << chained << " movies came back as they do "
              << "directly (" << notUtf8 << " of them with strings that are not UTF-8, " << legacy
              << " with text decoded from the legacy code page), " << refused
              << " malformed refused\n";
}

} // namespace
