// What the document commands decide before the application shows anything: the titles of
// new documents, whether a text may be saved and what its bytes are, where a save goes and
// the texts of the boxes the commands show.
#pragma once

#include "files/file_kinds.h"
#include "files/movie_header.h"
#include "files/problems.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

// Titles of new documents: "Document", then "Document1", "Document2", ... One counter per
// application, never reset, so that no two new documents share a title.
class NewDocumentTitles {
public:
    std::string next();

private:
    std::uint64_t m_issued = 0;
};

// The problem code (4, 5 or 6) of the first header value a save, play or tag view cannot
// work with: SwfVersion, Width and Height must each be above 0.
std::optional<int> validateHeader(const MovieHeaderProbe& probe);

// The Check XML verdict on a document's text.
struct XmlCheck {
    bool ok = false;
    std::string bytes;   // the text encoded for its file (see EncodeText), when ok
    MessageBoxText box;  // the error, or "The XML is correct." for the command that asks
    std::size_t row = 0; // 1-based line of the error, where the caret goes; 0 when ok
    std::size_t column = 0;
};

// The box of a text that is not well formed: "Error description: ", the reason, then "Row: "
// and "Col: " (1-based) on lines of their own, captioned "The XML has incorrect format.". Check
// XML, saves and a failed tree rebuild all show this one box.
MessageBoxText xmlErrorBox(std::string_view description, std::size_t row, std::size_t column);

// Checks that the text is well formed and can be encoded for its version. On failure the
// box says "Error description: ", the reason, then "Row: " and "Col: " on lines of their own,
// 1-based, columns counting characters; its caption is "The XML has incorrect format.".
XmlCheck checkXml(std::string text);

// What Save and Save As check before any dialog: the XML, its encoding, then the header.
// On failure the box is what to show and row, when not 0, the line to put the caret on.
struct PreparedSave {
    bool ok = false;
    std::string bytes;
    MessageBoxText box;
    std::size_t row = 0;
};
PreparedSave prepareSave(std::string text);

// What Save writes for a document's path: the kind its extension names, or nothing when
// the document must go through Save As instead (a new document's path is its title).
std::optional<SaveKind> saveKindForPath(std::string_view path);

// The name the Save As dialog starts with: the path without its file name's extension.
std::string saveAsInitialName(std::string_view path);

// The box of a save that failed, with the reason below the usual text.
MessageBoxText saveFailure(std::string_view reason);

// The question asked before closing a modified document (Yes saves first, No does not,
// Cancel keeps it open).
MessageBoxText closePrompt();

} // namespace vorn
