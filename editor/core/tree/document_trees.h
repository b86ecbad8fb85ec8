// The side panel's two trees built from a document's text: "Tags", the whole element
// hierarchy, and "Resources", the movie's definition tags by category; and the names View Tags
// lists. A dedicated scanner checks well-formedness and records element names and lines
// without building a document model, so that a document of millions of elements is read in a
// fraction of a second.
#pragma once

#include "tree/item_tree.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Where and why a text is not well formed, as the XML parser says it: its description and
// the 1-based row and column of the offending byte.
struct XmlParseError {
    std::string description;
    std::size_t row = 0;
    std::size_t column = 0;

    // The message Check XML shows for the same text (see xmlErrorBox).
    std::string message() const;
};

// The Tags tree (one item per element, the root element at the top, each named after its
// element and carrying its line) and the Resources tree (category items in the order of their
// first member, each holding the root element's children of its category, in document order).
struct DocumentTrees {
    bool parsed = false;
    ItemTree tags;
    ItemTree resources;
    XmlParseError error; // when not parsed
};

// Builds both trees, or, for a text the XML parser refuses, reports its error and leaves the
// trees empty. Text is UTF-8.
DocumentTrees buildDocumentTrees(std::string_view text);

// The two readers behind buildDocumentTrees, apart, so that the scanner can be held to the
// parser: scanTagsTree gives up (false) on whatever it does not take; parseTagsTree fails only
// where the parser does.
bool scanTagsTree(std::string_view text, ItemTree& tags);
bool parseTagsTree(std::string_view text, ItemTree& tags, XmlParseError& error);

// ---- categories -------------------------------------------------------------------------

inline constexpr int kNoCategory = 9;

// The category of a tag element name (exact case): 0 "Shapes", 1 "Bitmaps", 2 "Shape
// Morphing", 3 "Font and text", 4 "Sounds", 5 "Buttons", 6 "Sprites", 7 "Video", 8 "Binary
// data", or kNoCategory.
int resourceCategory(std::string_view name);
// The tree text of a category 0 to 8.
std::string_view categoryName(int category);

// ---- View Tags --------------------------------------------------------------------------

// The distinct tag names the Tags tree holds, compared and ordered without regard to case
// (the first spelling met stands for the others), without Movie and without names that are
// not tags of the registry.
std::vector<std::string> viewTagNames(const ItemTree& tags);
// The names as the View Tags field shows them: each followed by "\r\n".
std::string viewTagsText(const std::vector<std::string>& names);

} // namespace vorn
