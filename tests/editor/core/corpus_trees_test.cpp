// The Resources tree of every movie of the corpus, as the editor opens it, against the movie's
// own tag list read by the library: exactly its top-level definitions of the categories, each
// under its category, in file order, the categories in the order of their first member, each
// item on the line of its element in the Tags tree.
#include "corpus.h"
#include "files/document_files.h"
#include "libswf/movie.h"
#include "libswf/utils.h"
#include "swf_bytes.h"
#include "tree/document_trees.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace fs = std::filesystem;
using vorn::ItemTree;

namespace {

// The categories by tag code, as users know them from the tags' codes in the file format.
const std::map<std::uint16_t, std::string>& categoryByCode() {
    static const std::map<std::uint16_t, std::string> categories = [] {
        std::map<std::uint16_t, std::string> map;
        const std::pair<const char*, std::vector<std::uint16_t>> groups[] = {
            {"Shapes", {2, 22, 32, 83}},
            {"Bitmaps", {6, 8, 21, 35, 20, 36, 90}},
            {"Shape Morphing", {46, 84}},
            {"Font and text", {10, 13, 62, 48, 75, 73, 88, 11, 37, 74, 91}},
            {"Sounds", {14, 15, 89, 18, 45, 19}},
            {"Buttons", {7, 34, 23, 17}},
            {"Sprites", {39}},
            {"Video", {60, 61}},
            {"Binary data", {87}},
        };
        for (const auto& [category, codes] : groups)
            for (const std::uint16_t code : codes)
                map.emplace(code, category);
        return map;
    }();
    return categories;
}

std::string dump(const ItemTree& tree) {
    std::string out;
    for (ItemTree::Index row = 0; row < tree.childCount(ItemTree::kRoot); ++row) {
        const ItemTree::Index category = tree.child(ItemTree::kRoot, row);
        out.append(tree.name(category)).append("\n");
        for (ItemTree::Index r = 0; r < tree.childCount(category); ++r) {
            const ItemTree::Index item = tree.child(category, r);
            out.append("  ").append(tree.name(item));
            out.append("@" + std::to_string(tree.line(item)) + "\n");
        }
    }
    return out;
}

TEST(CorpusTrees, ResourcesAreTheMoviesTopLevelDefinitionsByCategory) {
    const fs::path root = VORN_CORPUS_DIR;
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root << ": the Resources trees are not checked";
    std::size_t checked = 0, withResources = 0;
    for (const fs::path& movie : vorn::test::corpusMovies(root)) {
        const std::string name = vorn::test::corpusName(root, movie);
        SCOPED_TRACE(name);
        const vorn::DecodedText opened = vorn::LoadDocumentText(movie.string());
        if (!opened.ok) {
            EXPECT_TRUE(vorn::test::malformedMovies().count(name)) << opened.reason;
            continue;
        }
        const vorn::DocumentTrees trees = vorn::buildDocumentTrees(opened.text);
        ASSERT_TRUE(trees.parsed) << trees.error.message();

        // The tag list as the file frames it, every body kept as it is.
        libswf::SwfMovie swf;
        vorn::test::keepAllRaw(swf);
        const libswf::SwfBuffer file = libswf::SwfUtils::ReadFileToBuffer(movie.string());
        swf.read(file.span());

        // One element per tag under Movie, then End.
        ASSERT_EQ(trees.tags.childCount(ItemTree::kRoot), 1u);
        const ItemTree::Index movieItem = trees.tags.child(ItemTree::kRoot, 0);
        ASSERT_EQ(trees.tags.name(movieItem), "Movie");
        std::size_t tags = swf.tags.size();
        if (tags > 0 && swf.tags[tags - 1].code() == 0)
            --tags; // the End the movie ends with is the element the text ends with
        ASSERT_EQ(trees.tags.childCount(movieItem), tags + 1);

        std::vector<std::string> order;
        std::map<std::string, std::string> members;
        for (std::size_t i = 0; i < tags; ++i) {
            const std::uint16_t code = swf.tags[i].code();
            const char* tagName = libswf::swfTagName(code);
            const ItemTree::Index element =
                trees.tags.child(movieItem, static_cast<ItemTree::Index>(i));
            ASSERT_EQ(trees.tags.name(element), tagName ? tagName : "Unknown") << "tag " << i;
            const auto category = categoryByCode().find(code);
            if (category == categoryByCode().end())
                continue;
            if (!members.count(category->second))
                order.push_back(category->second);
            members[category->second] +=
                "  " + std::string(tagName) + "@" + std::to_string(trees.tags.line(element)) + "\n";
        }
        std::string expected;
        for (const std::string& category : order)
            expected += category + "\n" + members[category];
        EXPECT_EQ(dump(trees.resources), expected);
        ++checked;
        withResources += !order.empty();
    }
    EXPECT_GT(checked, 400u);
    std::printf("%zu movies checked, %zu of them with resources\n", checked, withResources);
}

} // namespace
