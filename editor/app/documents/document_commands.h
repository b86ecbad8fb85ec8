// The document commands: New, Open, Check XML, Save, Save As, Close, Close All and Close All
// But This, with the boxes and dialogs they show. The decisions are the core's; these
// functions show what it decided and carry it out on the tabs.
#pragma once

#include "documents/document_rules.h"

#include <string>

namespace vorn {

class CExtendedXmlDocument;
class IDocument;
struct CommandContext;

// A new document titled "Document", "Document1", ..., holding an empty movie, as the active
// last tab.
CExtendedXmlDocument* newDocument(CommandContext& context);

// Gives a document the text of an empty movie and the default font.
void fillNewDocument(IDocument& document);

// The Open dialog; every chosen file opens as a new tab and joins the recent list, and the
// last tab becomes active. A file that does not open is reported and the others still open.
void openDocuments(CommandContext& context);

// Opens one file as a new last tab (a drop, a recent entry, the command line); a relative
// path is taken from the current folder. True when the document opened; when it did not,
// the box says so and why.
bool openDocumentPath(CommandContext& context, const std::string& path);

// Check XML. A text that is not well formed (or cannot be encoded for its movie's version)
// puts the caret on the line at fault and says why; `tell` also shows the box of a correct
// text.
bool checkDocumentXml(CommandContext& context, IDocument& document, bool tell);

// Save: the document's own file, by its kind; a document without a file of a known kind goes
// through Save As. False when nothing was saved.
bool saveDocument(CommandContext& context, IDocument& document);

// Save As: a file and a kind chosen in the dialog. The saved file becomes the document's
// path and title.
bool saveDocumentAs(CommandContext& context, IDocument& document);

// Close: the active document, asking first when it is modified. Yes saves it through Save
// As, and a save that is cancelled or fails keeps the document open. False when the
// document stayed.
bool closeActiveDocument(CommandContext& context);

// Close All: every document from the last tab to the first, stopping at the first one that
// stays. False when one stayed.
bool closeAllDocuments(CommandContext& context);

// Close All But This: the active document moves to the first tab and the others close from
// the second on, stopping at the first one that stays.
bool closeAllButActive(CommandContext& context);

// The checks of a save, a play or a listing before any dialog, run aside for a large
// movie: on failure the caret is on the line at fault, when there is one, and the box has
// been shown.
PreparedSave prepareDocument(CommandContext& context, IDocument& document);

// An absolute path for a path given relative to the current folder.
std::string absoluteDocumentPath(const std::string& path);

} // namespace vorn
