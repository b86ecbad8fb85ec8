// The hooks of the program as it ships today. The player fills its slots here as it arrives;
// until then Play and "/p" report that no player is installed, and Show Color is greyed.
#include "commands/command_context.h"

#include "commands/busy_work.h"
#include "documents/document.h"
#include "documents/document_boxes.h"
#include "documents/document_commands.h"
#include "documents/document_rules.h"
#include "files/problems.h"
#include "resources/menu_table.h"
#include "tools/about_dialog.h"
#include "tools/base64_tools.h"
#include "tools/color_tools.h"
#include "tree/tabs_control.h"
#include "tree/view_tags.h"
#include "view/prompts.h"
#include "view/view.h"

namespace vorn {

namespace {

// Play: the document must be one that could be played, then the player is looked for.
void playWithoutPlayer(CommandContext& context, IDocument& document) {
    if (prepareDocument(context, document).ok)
        showBox(context.prompts, context.frame, problemReport(kProblemNoPlayer));
}

void playFileWithoutPlayer(CommandContext& context, const std::string&) {
    showBox(context.prompts, nullptr, problemReport(kProblemNoPlayer));
}

} // namespace

CommandHooks defaultCommandHooks() {
    CommandHooks hooks;
    hooks.play = playWithoutPlayer;
    hooks.playAfterStart = playFileWithoutPlayer;
    hooks.viewTags = viewTags;
    hooks.windowsList = tabsControl;
    hooks.base64Encoder = base64Encoder;
    hooks.saveBase64AsBinary = saveBase64AsBinary;
    hooks.insertColorAsHex = insertColorAsHex;
    hooks.about = aboutBox;
    return hooks;
}

} // namespace vorn
