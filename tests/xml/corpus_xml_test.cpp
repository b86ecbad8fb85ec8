// Real movies made by other tools through the XML dialect: every well-formed movie comes back
// from SWF -> XML -> SWF with the same tag sequence, sprites included, and reads again. The
// movies whose every tag body comes back byte for byte, and the tags whose bodies changed on
// the way by code, are counted for the record.
#include "corpus.h"
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace libswf;
using vorn::test::keepAllRaw;
namespace fs = std::filesystem;

namespace {

// The first difference in the tag sequences, or ""; counts differing bodies by code.
std::string compare(const SwfTags& a, const SwfTags& b, std::map<int, int>& changed) {
    if (a.size() != b.size())
        return std::to_string(a.size()) + " tags became " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].code() != b[i].code())
            return "tag " + std::to_string(i) + ": code " + std::to_string(a[i].code()) +
                   " became " + std::to_string(b[i].code());
        const auto* sa = dynamic_cast<const SwfTagDefineSprite*>(&a[i]);
        const auto* sb = dynamic_cast<const SwfTagDefineSprite*>(&b[i]);
        if (sa && sb) {
            const std::string inner = compare(sa->tags, sb->tags, changed);
            if (!inner.empty())
                return "sprite " + std::to_string(sa->id) + ": " + inner;
            continue;
        }
        const auto* ra = dynamic_cast<const SwfTagUnknown*>(&a[i]);
        const auto* rb = dynamic_cast<const SwfTagUnknown*>(&b[i]);
        const bool same = ra && rb ? ra->body == rb->body && ra->hasId == rb->hasId &&
                                         (!ra->hasId || ra->id == rb->id)
                                   : !ra && !rb;
        if (!same)
            ++changed[a[i].code()];
    }
    return "";
}

} // namespace

TEST(CorpusXml, EveryWellFormedMovieComesBackThroughXml) {
    const fs::path root = VORN_CORPUS_DIR;
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root << ": real-movie XML round trip not checked";
    const std::vector<fs::path> files = vorn::test::corpusMovies(root);
    const auto& kMalformed = vorn::test::malformedMovies();

    std::size_t good = 0, refused = 0, identical = 0;
    std::map<int, int> changed;
    std::map<int, int> moviesByCode; // movies in which a body of the code changed
    for (const fs::path& path : files) {
        const std::string name = vorn::test::corpusName(root, path);
        const SwfBuffer file = SwfUtils::ReadFileToBuffer(path.string());
        swfxml::SwfXmlWriter writer;
        std::string text;
        if (!swfxml::convertSwfBytesToXml(writer, file.span(), text)) {
            const auto expected = kMalformed.find(name);
            if (expected == kMalformed.end()) {
                ADD_FAILURE() << name
                              << ": a well-formed movie was refused: " << writer.failure.describe();
            } else {
                // Decoding more tags may find the damage earlier than the raw reading does,
                // so only the kind of failure must agree.
                const std::string kind = expected->second.substr(0, expected->second.find(':') + 1);
                EXPECT_EQ(writer.failure.reason.rfind(kind, 0), 0u)
                    << name << ": " << writer.failure.reason;
                ++refused;
            }
            continue;
        }
        EXPECT_FALSE(kMalformed.count(name)) << name << ": a malformed movie was accepted";
        swfxml::SwfXmlReader reader;
        SwfBuffer back;
        if (!swfxml::convertXmlToSwfBytes(reader, text, back, false)) {
            ADD_FAILURE() << name << ": its XML does not compile: " << reader.failure.describe();
            continue;
        }
        try {
            SwfMovie before, after;
            keepAllRaw(before);
            keepAllRaw(after);
            before.read(file.span());
            after.read(back.span());
            std::map<int, int> mine;
            const std::string difference = compare(before.tags, after.tags, mine);
            if (difference.empty() && mine.empty())
                ++identical;
            for (const auto& [code, count] : mine) {
                changed[code] += count;
                ++moviesByCode[code];
            }
            EXPECT_EQ(difference, "") << name;
            // The compiled movie reads again through the decoding reader too.
            SwfMovie decoded;
            decoded.read(back.span());
            ++good;
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": the compiled movie does not read back: " << e.what();
        }
    }
    std::cout << "corpus through XML: " << files.size() << " movies, " << good << " came back, "
              << refused << " malformed refused; " << identical
              << " with every tag body byte-identical (" << (good ? 100 * identical / good : 0)
              << "% of those that came back)\n";
    std::cout << "tag bodies changed on the way (code: count):";
    for (const auto& [code, count] : changed)
        std::cout << ' ' << code << ':' << count;
    std::cout << "\nmovies with a changed body of the code (code: movies):";
    for (const auto& [code, count] : moviesByCode)
        std::cout << ' ' << code << ':' << count;
    std::cout << '\n';
}
