// The hooks of the program as it ships today. The player, the side panel's trees and the
// tools fill their slots here as they arrive; the entries without a slot are greyed.
#include "commands/command_context.h"

#include "player/player_commands.h"
#include "resources/menu_table.h"
#include "view/prompts.h"

namespace vorn {

namespace {

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
    addPlayerHooks(hooks);
    hooks.about = aboutVorn;
    return hooks;
}

} // namespace vorn
