// The flat item tree and its builder.
#include "tree/item_tree.h"

#include <stdexcept>

namespace vorn {

ItemTree::ItemTree() : m_name{0}, m_line{0}, m_parent{kNone}, m_row{0}, m_firstChild{0, 0} {
    m_names.emplace_back();
}

void ItemTreeBuilder::reserve(std::size_t items) {
    m_tree.m_name.reserve(items);
    m_tree.m_line.reserve(items);
    m_tree.m_parent.reserve(items);
}

std::uint32_t ItemTreeBuilder::nameIndex(std::string_view name) {
    if (const auto found = m_nameIndex.find(name); found != m_nameIndex.end())
        return found->second;
    const auto index = static_cast<std::uint32_t>(m_tree.m_names.size());
    m_tree.m_names.emplace_back(name);
    m_nameIndex.emplace(name, index);
    return index;
}

ItemTree::Index ItemTreeBuilder::add(Index parent, std::string_view name, std::uint32_t line) {
    return addNamed(parent, nameIndex(name), line);
}

ItemTree::Index ItemTreeBuilder::addNamed(Index parent, std::uint32_t nameIndex,
                                          std::uint32_t line) {
    if (size() >= ItemTree::kNone - 1)
        throw std::length_error("too many items for a tree");
    const auto index = static_cast<Index>(size());
    m_tree.m_name.push_back(nameIndex);
    m_tree.m_line.push_back(line);
    m_tree.m_parent.push_back(parent);
    return index;
}

ItemTree ItemTreeBuilder::finish() {
    ItemTree& tree = m_tree;
    const std::size_t n = tree.m_parent.size();
    // Counting sort of the items by parent: count, turn the counts into starts, place each
    // item at its parent's next free place, which leaves every start at the next parent's.
    tree.m_firstChild.assign(n + 1, 0);
    for (std::size_t i = 1; i < n; ++i)
        ++tree.m_firstChild[tree.m_parent[i] + 1];
    for (std::size_t i = 1; i <= n; ++i)
        tree.m_firstChild[i] += tree.m_firstChild[i - 1];
    tree.m_children.resize(n > 0 ? n - 1 : 0);
    tree.m_row.resize(n);
    tree.m_row[0] = 0;
    for (std::size_t i = 1; i < n; ++i) {
        const ItemTree::Index place = tree.m_firstChild[tree.m_parent[i]]++;
        tree.m_children[place] = static_cast<ItemTree::Index>(i);
        tree.m_row[i] = place;
    }
    for (std::size_t i = n; i > 0; --i)
        tree.m_firstChild[i] = tree.m_firstChild[i - 1];
    tree.m_firstChild[0] = 0;
    for (std::size_t i = 1; i < n; ++i)
        tree.m_row[i] -= tree.m_firstChild[tree.m_parent[i]];
    ItemTree done = std::move(m_tree);
    m_tree = ItemTree();
    m_nameIndex.clear();
    return done;
}

} // namespace vorn
