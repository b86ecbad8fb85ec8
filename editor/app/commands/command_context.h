// What a command works with: the frame's documents, its boxes, the recent list and the
// commands other parts of the editor carry out.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace vorn {

class CBusyWork;
class IDocument;
class IPrompts;
class NewDocumentTitles;
class RecentDocuments;
class TabViewDocumentsOwner;
struct CommandContext;

// The commands carried out by the player, the side panel's trees and the tools. Each is a
// slot the program fills (see defaultCommandHooks); a menu entry whose slot is empty is
// greyed.
struct CommandHooks {
    // Play (Ctrl+Enter): the active document's movie in the player.
    std::function<void(CommandContext&, IDocument&)> play;
    // "/p PATH": plays a file given on the command line; the program ends afterwards.
    std::function<void(CommandContext&, const std::string& path)> playAfterStart;
    // View Tags...: the list of the document's tags.
    std::function<void(CommandContext&, IDocument&)> viewTags;
    // Windows...: the list of open documents to switch to.
    std::function<void(CommandContext&)> windowsList;
    // Base64 Encoder...: a file's bytes as the dialect's Base64 text.
    std::function<void(CommandContext&)> base64Encoder;
    // Save Base64 As Binary... (the view's context menu): the selected Base64 text to a file.
    std::function<void(CommandContext&, IDocument&)> saveBase64AsBinary;
    // Insert Color As Hex...: a colour chosen in a dialog, as the dialect writes colours.
    std::function<void(CommandContext&, IDocument&)> insertColorAsHex;
    // Show Color: the colour the selection names.
    std::function<void(CommandContext&, IDocument&)> showColor;
    // About...
    std::function<void(CommandContext&)> about;
};

// The hooks of the program as it ships today.
CommandHooks defaultCommandHooks();

struct CommandContext {
    QWidget* frame;
    IPrompts& prompts;
    TabViewDocumentsOwner& owner;
    RecentDocuments& recent;
    NewDocumentTitles& titles;
    CBusyWork& busy;
    const CommandHooks& hooks;
    // Stores the recent list and shows it in the menu; called after each change of it.
    std::function<void()> recentChanged;
    // Shows the active document in the status bar and the window title again.
    std::function<void()> refresh;
};

} // namespace vorn
