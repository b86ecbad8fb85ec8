#include "recent/recent_documents.h"

#include <algorithm>

namespace vorn {

namespace {

const std::string kCountName = "DocumentCount";

std::string entryName(int position) {
    return "Document" + std::to_string(position);
}

} // namespace

void RecentDocuments::read(const RecentStorage& storage) {
    m_maximum = std::clamp(storage.readInteger(kCountName).value_or(kDefaultMaximum), kLeastMaximum,
                           kMostMaximum);
    m_paths.clear();
    // Oldest first, each to the top, so that "Document1" ends up newest.
    for (int i = m_maximum; i >= 1; --i) {
        const std::optional<std::string> path = storage.readString(entryName(i));
        if (path && !path->empty())
            add(*path);
    }
}

void RecentDocuments::write(RecentStorage& storage) const {
    storage.writeInteger(kCountName, m_maximum);
    int position = 1;
    for (const std::string& path : m_paths)
        storage.writeString(entryName(position++), path);
    for (; position <= kMostMaximum; ++position)
        storage.remove(entryName(position));
}

void RecentDocuments::add(const std::string& path) {
    remove(path);
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > static_cast<std::size_t>(m_maximum))
        m_paths.resize(static_cast<std::size_t>(m_maximum));
}

void RecentDocuments::remove(std::string_view path) {
    std::erase(m_paths, path);
}

std::vector<std::string> RecentDocuments::menuTexts() const {
    if (m_paths.empty())
        return {"(empty)"};
    std::vector<std::string> texts;
    int position = 1;
    for (const std::string& path : m_paths) {
        std::string text = "&" + std::to_string(position++) + " ";
        for (char c : path) {
            if (c == '&')
                text += '&';
            text += c;
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

} // namespace vorn
