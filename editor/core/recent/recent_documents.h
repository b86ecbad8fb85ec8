// The list of recently opened documents behind the "Recent Files" menu, kept between runs
// in named values of a settings store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Named integer and string values that outlive the program; the application backs them
// with its settings store.
class RecentStorage {
public:
    virtual ~RecentStorage() = default;
    virtual std::optional<std::int32_t> readInteger(const std::string& name) const = 0;
    virtual std::optional<std::string> readString(const std::string& name) const = 0;
    virtual void writeInteger(const std::string& name, std::int32_t value) = 0;
    virtual void writeString(const std::string& name, const std::string& value) = 0;
    virtual void remove(const std::string& name) = 0;
};

// Full paths, newest first, at most maximum() of them. Paths are compared exactly: file
// names on this system are case-sensitive, so "Movie.swf" and "movie.swf" are two files.
class RecentDocuments {
public:
    static constexpr int kDefaultMaximum = 4;
    static constexpr int kLeastMaximum = 2;
    static constexpr int kMostMaximum = 16;

    // Replaces the list by the stored one: the maximum from "DocumentCount" (clamped to 2 to
    // 16, 4 when absent), then the paths "Document1" (newest) to "Document<maximum>".
    void read(const RecentStorage& storage);
    // Stores "DocumentCount" and one "Document<i>" per path, and removes the values of the
    // positions the list does not fill, up to the most any list may hold, so that no stale
    // path comes back on the next read.
    void write(RecentStorage& storage) const;

    // Puts the path at the top, taking it from where it was; the oldest falls off.
    void add(const std::string& path);
    void remove(std::string_view path);

    const std::vector<std::string>& paths() const { return m_paths; }
    int maximum() const { return m_maximum; }

    // The menu's items, newest first: "&1 /path/movie.swf", ..., or "(empty)" alone. An '&'
    // in a path is doubled so that the menu shows it rather than underlining what follows.
    std::vector<std::string> menuTexts() const;

private:
    int m_maximum = kDefaultMaximum;
    std::vector<std::string> m_paths;
};

} // namespace vorn
