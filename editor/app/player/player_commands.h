// Play, play at start-up ("/p") and Show Color: the commands that put a movie in the player.
#pragma once

#include "files/problems.h"

#include <string>

class QWidget;

namespace vorn {

struct CommandContext;
struct CommandHooks;
class IDocument;
class IPrompts;

// The address of the player's home page, where it can be installed from.
inline constexpr const char* kPlayerSiteAddress = "https://ruffle.rs/";

// The question that offers the player's home page: "Go To Site", Yes, No and Cancel.
MessageBoxText goToPlayerSitePrompt();

// Asks whether to visit the player's home page and opens it on Yes.
void GoToFlashPlayerSiteCommand(IPrompts& prompts, QWidget* owner);

// Play: the document's movie in the player dialog, after the same checks as a save.
void PlayDocument(CommandContext& context, IDocument& document);
// "/p PATH": the file's movie in a player without an owner; returns when it closes.
void PlayFile(CommandContext& context, const std::string& path);
// Show Color: the selected colour text in a popup at the caret.
void ShowColor(CommandContext& context, IDocument& document);

// Fills the hooks of Play, "/p" and Show Color.
void addPlayerHooks(CommandHooks& hooks);

} // namespace vorn
