// The hooks of the program as it ships today. The player, the side panel's trees and the
// tools fill their slots here as they arrive; until then Play and "/p" report that no player
// is installed, and the entries without a slot are greyed.
#include "commands/command_context.h"

#include "commands/busy_work.h"
#include "documents/document.h"
#include "documents/document_boxes.h"
#include "documents/document_rules.h"
#include "files/problems.h"
#include "resources/menu_table.h"
#include "view/prompts.h"
#include "view/view.h"

namespace vorn {

namespace {

// Play: the document must be one that could be played, then the player is looked for.
void playWithoutPlayer(CommandContext& context, IDocument& document) {
    CView* view = document.view();
    const PreparedSave prepared = context.busy.run<PreparedSave>(
        QStringLiteral("Checking the XML..."),
        [text = view->documentText()]() mutable { return prepareSave(std::move(text)); });
    if (!prepared.ok) {
        if (prepared.row > 0)
            view->scrollToLine(static_cast<int>(prepared.row));
        showBox(context.prompts, view, prepared.box);
        return;
    }
    showBox(context.prompts, context.frame, problemReport(kProblemNoPlayer));
}

void playFileWithoutPlayer(CommandContext& context, const std::string&) {
    showBox(context.prompts, nullptr, problemReport(kProblemNoPlayer));
}

void aboutVorn(CommandContext& context) {
    context.prompts.information(
        context.frame,
        QStringLiteral("Vorn %1\nAn editor of Flash movies as XML text.")
            .arg(QString::fromUtf8(programVersion().data(),
                                   static_cast<qsizetype>(programVersion().size()))),
        QStringLiteral("About Vorn"));
}

} // namespace

CommandHooks defaultCommandHooks() {
    CommandHooks hooks;
    hooks.play = playWithoutPlayer;
    hooks.playAfterStart = playFileWithoutPlayer;
    hooks.about = aboutVorn;
    return hooks;
}

} // namespace vorn
