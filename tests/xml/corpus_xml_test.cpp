// Real movies made by other tools through the XML dialect: every well-formed movie comes back
// from SWF -> XML -> SWF with the same tag sequence, sprites included, reads again, and has
// every tag body back byte for byte, except the bodies listed below with the reason each
// changes. A body that changes anywhere else, or a listed one that no longer does, fails.
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

// The tag bodies known to change on the way: the movie, the tag code, how many bodies of that
// code, and why.
struct KnownChange {
    const char* movie;
    int code;
    int bodies;
    const char* reason;
};

constexpr const char* kWideCodes =
    "8-bit glyph codes in a movie of version 6 or later, where codes are written 16-bit";
constexpr const char* kBareGlyph =
    "an empty glyph stored as a lone zero byte comes back with its width byte and end record";

const KnownChange kKnownChanges[] = {
    {"swf/tests/swfs/DefineButtonCxformSound-MX.swf", 23, 1,
     "a colour transform for every button record, as Flash MX wrote them; the tag holds one"},
    {"test/swfs/carsite.swf", 48, 3, kBareGlyph},
    {"test/swfs/food.swf", 48, 2, kBareGlyph},
    {"test/swfs/movilidad.swf", 48, 1, kBareGlyph},
    {"tests/tests/swfs/avm2/statictext_text/test.swf", 48, 1, kWideCodes},
    {"tests/tests/swfs/from_shumway/avm1/doactionorder/doactionorder/test.swf", 75, 1, kWideCodes},
    {"tests/tests/swfs/timeline/clip_action_no_key_code/test.swf", 26, 1,
     "a KeyPress clip action without its key code, under all-event flags of 0, as the test "
     "movie is made; both are written as the format has them"},
    {"tests/tests/swfs/visual/edittext/edittext_caret_empty/test.swf", 75, 1, kWideCodes},
    {"tests/tests/swfs/visual/fonts/advance_u16/test.swf", 48, 1, kWideCodes},
    {"tests/tests/swfs/visual/fonts/leading_define_font/test.swf", 48, 2, kWideCodes},
    {"tests/tests/swfs/visual/fonts/leading_define_font/test.swf", 75, 2, kWideCodes},
};

} // namespace

TEST(CorpusXml, EveryWellFormedMovieComesBackThroughXml) {
    const fs::path root = VORN_CORPUS_DIR;
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root << ": real-movie XML round trip not checked";
    const std::vector<fs::path> files = vorn::test::corpusMovies(root);
    const auto& kMalformed = vorn::test::malformedMovies();

    std::map<std::pair<std::string, int>, int> known;
    for (const KnownChange& change : kKnownChanges)
        known[{change.movie, change.code}] = change.bodies;
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
                const auto found = known.find({name, code});
                if (found == known.end())
                    ADD_FAILURE() << name << ": " << count << " body(ies) of tag " << code
                                  << " changed through XML";
                else if (found->second != count)
                    ADD_FAILURE() << name << ": " << count << " body(ies) of tag " << code
                                  << " changed through XML, where " << found->second
                                  << " are known to";
                else
                    known.erase(found);
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
    // Every known change must still happen, or the list hides the next regression there.
    for (const auto& [where, bodies] : known)
        if (std::any_of(files.begin(), files.end(), [&, name = where.first](const fs::path& f) {
                return vorn::test::corpusName(root, f) == name;
            }))
            ADD_FAILURE() << where.first << ": the " << bodies << " body(ies) of tag "
                          << where.second << " listed as changing came back unchanged";
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
