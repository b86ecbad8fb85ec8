// Real movies made by other tools: every well-formed one comes back with the same tag
// sequence, sprites included, and every raw tag byte for byte; the deliberately malformed
// ones fail with a reason.
#include "corpus.h"
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swf_bytes.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace libswf;
using vorn::test::keepAllRaw;
namespace fs = std::filesystem;

namespace {

// Describes the first difference between two tag lists, or returns "".
std::string compareTags(const SwfTags& a, const SwfTags& b, const std::string& where) {
    if (a.size() != b.size())
        return where + ": " + std::to_string(a.size()) + " tags became " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string at = where + " tag " + std::to_string(i);
        if (a[i].code() != b[i].code())
            return at + ": code " + std::to_string(a[i].code()) + " became " +
                   std::to_string(b[i].code());
        if (a[i].isUnknown() != b[i].isUnknown())
            return at + ": raw form changed";
        if (a[i].isUnknown()) {
            const auto& x = static_cast<const SwfTagUnknown&>(a[i]);
            const auto& y = static_cast<const SwfTagUnknown&>(b[i]);
            if (x.hasId != y.hasId || (x.hasId && x.id != y.id) || x.body != y.body)
                return at + ": raw bytes differ";
        }
        const auto* sa = dynamic_cast<const SwfTagDefineSprite*>(&a[i]);
        const auto* sb = dynamic_cast<const SwfTagDefineSprite*>(&b[i]);
        if (sa && sb) {
            if (sa->id != sb->id)
                return at + ": sprite id changed";
            std::string inner = compareTags(sa->tags, sb->tags, at);
            if (!inner.empty())
                return inner;
        }
    }
    return "";
}

} // namespace

TEST(Corpus, EveryWellFormedMovieSurvivesTheRewrite) {
    const fs::path root = VORN_CORPUS_DIR;
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root << ": real-movie rewrite not checked";

    const std::vector<fs::path> files = vorn::test::corpusMovies(root);
    const auto& kMalformed = vorn::test::malformedMovies();

    std::size_t good = 0, refused = 0;
    std::set<std::string> seenMalformed;
    for (const fs::path& path : files) {
        const std::string name = vorn::test::corpusName(root, path);
        const SwfBuffer file = SwfUtils::ReadFileToBuffer(path.string());
        SwfMovie original;
        keepAllRaw(original);
        try {
            original.read(file.span());
        } catch (const SwfException& e) {
            const auto expected = kMalformed.find(name);
            if (expected == kMalformed.end()) {
                ADD_FAILURE() << name << ": a well-formed movie was refused: " << e.what();
            } else {
                EXPECT_EQ(std::string(e.what()).rfind(expected->second, 0), 0u)
                    << name << ": " << e.what();
                seenMalformed.insert(name);
                ++refused;
            }
            continue;
        }
        EXPECT_FALSE(kMalformed.count(name)) << name << ": a malformed movie was accepted";
        try {
            const SwfBuffer once = original.write();
            SwfMovie again;
            keepAllRaw(again);
            again.read(once.span());
            const std::string difference = compareTags(original.tags, again.tags, "");
            EXPECT_EQ(difference, "") << name;
            EXPECT_EQ(again.version, original.version) << name;
            EXPECT_EQ(again.compressed, original.compressed) << name;
            EXPECT_TRUE(again.frameSize == original.frameSize) << name;
            const SwfBuffer twice = again.write();
            EXPECT_TRUE(std::equal(once.span().begin(), once.span().end(), twice.span().begin(),
                                   twice.span().end()))
                << name << ": the rewrite is not a fixed point";
            ++good;
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": rewrite failed: " << e.what();
        }
    }
    std::cout << "corpus: " << files.size() << " movies, " << good << " rewritten, " << refused
              << " malformed refused\n";
    EXPECT_EQ(seenMalformed.size(), kMalformed.size());
}
