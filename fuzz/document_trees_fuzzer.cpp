// Reads arbitrary text as the side panel and the text view do. Whatever the trees' scanner
// takes, the XML parser must take too, with the same tree; colouring line by line must give
// what colouring the whole text gives; and nothing may crash, leak or hang.
#include "highlight/colouring.h"
#include "tree/document_trees.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "document_trees_fuzzer: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

bool sameTree(const vorn::ItemTree& a, const vorn::ItemTree& b) {
    if (a.size() != b.size())
        return false;
    for (vorn::ItemTree::Index i = 0; i < a.size(); ++i)
        if (a.name(i) != b.name(i) || a.line(i) != b.line(i) || a.parent(i) != b.parent(i) ||
            a.row(i) != b.row(i) || a.childCount(i) != b.childCount(i))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    vorn::ItemTree scanned;
    if (vorn::scanTagsTree(text, scanned)) {
        vorn::ItemTree parsed;
        vorn::XmlParseError error;
        if (!vorn::parseTagsTree(text, parsed, error))
            fail("the scanner took a text the parser refuses");
        if (!sameTree(scanned, parsed))
            fail("the scanner and the parser read different trees");
    }
    const vorn::DocumentTrees trees = vorn::buildDocumentTrees(text);
    if (trees.parsed)
        (void)vorn::viewTagNames(trees.tags);
    else if (trees.error.description.empty())
        fail("a refused text has no error description");

    std::vector<vorn::ColourSpan> whole;
    vorn::colourText(text, 0, text.size(), whole);
    std::vector<vorn::ColourSpan> byLine;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        vorn::colourText(text, start, end, byLine);
        start = end;
    }
    if (whole != byLine)
        fail("colouring line by line differs from colouring the whole text");
    return 0;
}
