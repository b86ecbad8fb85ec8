// The editor program.
#include "commands/command_context.h"
#include "frame/editor_program.h"
#include "frame/program_arguments.h"
#include "player/player_commands.h"
#include "view/prompts.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version answer before any window system is asked for, so that they work
    // without a display. Qt's own options are not known yet and are not errors here.
    const vorn::ProgramArguments early = vorn::parseProgramArguments(argumentsOf(argc, argv));
    if (early.action == vorn::ProgramArguments::Action::Help) {
        std::fputs(vorn::usageText().c_str(), stdout);
        return 0;
    }
    if (early.action == vorn::ProgramArguments::Action::Version) {
        std::fputs(vorn::versionText().c_str(), stdout);
        return 0;
    }

    // The player's web engine cannot sandbox itself for root and then refuses to start; for
    // root it runs without the sandbox rather than not at all.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Halvenor"));
    QApplication::setApplicationName(QStringLiteral("VORN"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vorn"));

    vorn::QtPrompts prompts;
    QSettings settings;
    // What remains once Qt has taken its own options out.
    vorn::CommandHooks hooks = vorn::defaultCommandHooks();
    vorn::addPlayerHooks(hooks);
    return vorn::runEditor(argumentsOf(argc, argv), prompts, settings, hooks);
}
