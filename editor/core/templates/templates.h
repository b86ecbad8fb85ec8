// Templates: the names the three choosers offer, the action and tag registries the completion
// rule and View Tags look names up in, the fragment of any name, and the two documents the
// editor writes from scratch.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Which chooser a template comes from.
enum class TemplateKind { Tag, Action, Record };

// ---- names ------------------------------------------------------------------------------

// The names each chooser offers, in the order given here (the list box sorts them for
// display). Tags: every tag element of the library's tag table, in code order (no Movie, no
// Unknown). Actions: the 100 actions, End among them. Records: the 32 records a user inserts
// inside tags and actions.
const std::vector<std::string_view>& templateNames(TemplateKind kind);

// The code an action registry lookup gives for a name that names no action.
inline constexpr int kUnknownActionCode = 300;

// The action registry, without regard to case: an action element name gives its action code
// (End 0), the action containers give negative codes (Actions -1, TryActions -2,
// CatchActions -3, FinallyActions -4), and anything else kUnknownActionCode.
int actionRegistryCode(std::string_view name);

// The tag registry, without regard to case: true for the element name of a tag of the
// library's tag table (not Movie, not Unknown).
bool isTagName(std::string_view name);

// ---- fragments --------------------------------------------------------------------------

// The fragment for a name of a chooser, indented for the caret's column (1-based, as the
// status bar counts it). The fragment is what the dialect's writer produces for a default
// object of that kind, printed at the depth of a movie's tags. With b = column - 6: for
// b >= 0 every line after the first is shifted right by b blanks, so that the fragment's
// nesting stays aligned under its first line, which starts at the caret; for b < 0 the whole
// fragment is preceded by -b blanks. A name the chooser does not offer gives an empty text.
// Definition tags take their id from the library's process-wide counter, so each inserted
// definition gets an id of its own.
std::string BuildTemplate(TemplateKind kind, std::string_view name, std::size_t column);

// The text of a new document: the declaration, a Movie of version 7, 550 x 400 pixels at 12
// frames per second, holding only End.
std::string NewDocumentXml();

// The new document with a SetBackgroundColor of the given colour text before End: the small
// movie whose background shows a colour.
std::string BackgroundColorMovieXml(std::string_view color);

} // namespace vorn
