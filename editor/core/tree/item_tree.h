// A tree of named items held in a few flat arrays, so that a document of millions of elements
// takes a few dozen bytes per element and a lazy item model can answer every question about
// an item (its children, its parent, its row) in constant time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorn {

class ItemTree {
public:
    using Index = std::uint32_t;
    // The invisible root; its children are the items of the top level.
    static constexpr Index kRoot = 0;
    static constexpr Index kNone = UINT32_MAX;

    // An empty tree: the root alone.
    ItemTree();

    // Items, the root included.
    std::size_t size() const { return m_parent.size(); }
    Index childCount(Index item) const { return m_firstChild[item + 1] - m_firstChild[item]; }
    Index child(Index item, Index row) const { return m_children[m_firstChild[item] + row]; }
    // kNone for the root.
    Index parent(Index item) const { return m_parent[item]; }
    // The item's place among its parent's children.
    Index row(Index item) const { return m_row[item]; }
    std::string_view name(Index item) const { return m_names[m_name[item]]; }
    // The item's name as an index into names().
    std::uint32_t nameIndex(Index item) const { return m_name[item]; }
    // The 1-based line of an element item's start tag; 0 for the root and for items that
    // stand for no element (categories).
    std::uint32_t line(Index item) const { return m_line[item]; }

    // The distinct names in the order they first appear, after the root's empty name.
    const std::vector<std::string>& names() const { return m_names; }

private:
    friend class ItemTreeBuilder;

    std::vector<std::uint32_t> m_name;
    std::vector<std::uint32_t> m_line;
    std::vector<Index> m_parent;
    std::vector<Index> m_row;
    std::vector<Index> m_firstChild; // size() + 1 entries; item i's children start here
    std::vector<Index> m_children;   // every item but the root, grouped by parent
    std::vector<std::string> m_names;
};

// Builds an ItemTree item by item. Children keep the order they are added in.
class ItemTreeBuilder {
public:
    using Index = ItemTree::Index;

    // Room for about this many items, so that the arrays do not grow by copying.
    void reserve(std::size_t items);
    // Adds an item under parent (an item added before, or the root) and returns it.
    Index add(Index parent, std::string_view name, std::uint32_t line);
    // The same with the index of a name already added (see nameIndex).
    Index addNamed(Index parent, std::uint32_t nameIndex, std::uint32_t line);
    // The index of a name in the name table, adding it when new.
    std::uint32_t nameIndex(std::string_view name);
    std::size_t size() const { return m_tree.m_parent.size(); }

    // Lays out the children and hands over the tree; the builder is empty afterwards.
    ItemTree finish();

private:
    // Names are looked up by views, without making a string of each.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>()(name);
        }
    };

    ItemTree m_tree;
    std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>> m_nameIndex;
};

} // namespace vorn
