// The recent-documents list: its maximum, its order, what it stores and what it shows.
#include "recent/recent_documents.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using vorn::RecentDocuments;

// The settings store as the values it holds.
class MapStorage : public vorn::RecentStorage {
public:
    std::map<std::string, std::int32_t> integers;
    std::map<std::string, std::string> strings;

    std::optional<std::int32_t> readInteger(const std::string& name) const override {
        const auto it = integers.find(name);
        return it == integers.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::string> readString(const std::string& name) const override {
        const auto it = strings.find(name);
        return it == strings.end() ? std::nullopt : std::optional(it->second);
    }
    void writeInteger(const std::string& name, std::int32_t value) override {
        integers[name] = value;
    }
    void writeString(const std::string& name, const std::string& value) override {
        strings[name] = value;
    }
    void remove(const std::string& name) override {
        integers.erase(name);
        strings.erase(name);
    }
};

MapStorage storedPaths(int count) {
    MapStorage storage;
    for (int i = 1; i <= count; ++i)
        storage.strings["Document" + std::to_string(i)] = "/m/" + std::to_string(i) + ".swf";
    return storage;
}

TEST(RecentDocuments, TheMaximumComesFromDocumentCountClampedTo2To16) {
    const std::pair<std::optional<std::int32_t>, int> rows[] = {
        {std::nullopt, 4}, {1, 2}, {2, 2}, {7, 7}, {16, 16}, {17, 16}, {-5, 2},
    };
    for (const auto& [stored, maximum] : rows) {
        MapStorage storage = storedPaths(20);
        if (stored)
            storage.integers["DocumentCount"] = *stored;
        RecentDocuments recent;
        recent.read(storage);
        EXPECT_EQ(recent.maximum(), maximum);
        ASSERT_EQ(recent.paths().size(), static_cast<std::size_t>(maximum));
        EXPECT_EQ(recent.paths().front(), "/m/1.swf");
        EXPECT_EQ(recent.paths().back(), "/m/" + std::to_string(maximum) + ".swf");
    }
}

TEST(RecentDocuments, ReadingSkipsGapsAndRepeats) {
    MapStorage storage;
    storage.strings = {{"Document1", "/a.swf"},
                       {"Document2", ""},
                       {"Document3", "/b.xml"},
                       {"Document4", "/a.swf"}};
    RecentDocuments recent;
    recent.read(storage);
    EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/a.swf", "/b.xml"}));
}

TEST(RecentDocuments, AddingPutsThePathOnTopAndComparesExactly) {
    RecentDocuments recent;
    for (const char* path :
         {"/1.swf", "/2.swf", "/3.swf", "/4.swf", "/2.swf", "/5.swf", "/Movie.swf", "/movie.swf"})
        recent.add(path);
    EXPECT_EQ(recent.paths(),
              (std::vector<std::string>{"/movie.swf", "/Movie.swf", "/5.swf", "/2.swf"}));
    recent.remove("/MOVIE.swf");
    EXPECT_EQ(recent.paths().size(), 4u);
    recent.remove("/Movie.swf");
    EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/movie.swf", "/5.swf", "/2.swf"}));
}

TEST(RecentDocuments, WritingStoresEveryPositionAndRemovesTheRest) {
    MapStorage storage = storedPaths(16);
    storage.integers["DocumentCount"] = 16;
    RecentDocuments recent;
    recent.read(storage);
    recent.remove("/m/16.swf");
    recent.remove("/m/3.swf");
    recent.add("/new.xml");
    recent.write(storage);
    EXPECT_EQ(storage.integers, (std::map<std::string, std::int32_t>{{"DocumentCount", 16}}));
    ASSERT_EQ(storage.strings.size(), 15u);
    EXPECT_EQ(storage.strings["Document1"], "/new.xml");
    EXPECT_EQ(storage.strings["Document2"], "/m/1.swf");
    EXPECT_EQ(storage.strings["Document3"], "/m/2.swf");
    EXPECT_EQ(storage.strings["Document4"], "/m/4.swf");
    EXPECT_EQ(storage.strings["Document15"], "/m/15.swf");
    // The sixteenth position is cleared, so the removed path does not come back.
    EXPECT_FALSE(storage.strings.count("Document16"));
    RecentDocuments again;
    again.read(storage);
    EXPECT_EQ(again.paths(), recent.paths());

    RecentDocuments empty;
    empty.write(storage);
    EXPECT_TRUE(storage.strings.empty());
    EXPECT_EQ(storage.integers["DocumentCount"], 4);
}

TEST(RecentDocuments, MenuTexts) {
    RecentDocuments recent;
    EXPECT_EQ(recent.menuTexts(), (std::vector<std::string>{"(empty)"}));
    recent.add("/home/a&b/x.swf");
    recent.add("/home/m.xml");
    EXPECT_EQ(recent.menuTexts(),
              (std::vector<std::string>{"&1 /home/m.xml", "&2 /home/a&&b/x.swf"}));
}

} // namespace
