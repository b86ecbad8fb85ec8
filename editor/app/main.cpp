// The editor program.
#include "frame/main_window.h"
#include "frame/program_arguments.h"
#include "frame/recent_settings.h"
#include "view/prompts.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

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

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Halvenor"));
    QApplication::setApplicationName(QStringLiteral("VORN"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vorn"));

    // What remains once Qt has taken its own options out.
    const vorn::ProgramArguments arguments = vorn::parseProgramArguments(argumentsOf(argc, argv));
    if (arguments.action == vorn::ProgramArguments::Action::Error) {
        std::fprintf(stderr, "vorn: %s\n%s", arguments.error.c_str(), vorn::usageText().c_str());
        return 2;
    }

    vorn::QtPrompts prompts;
    QSettings settings;
    vorn::QSettingsRecentStorage recentStorage(settings);
    vorn::CNewMainWindow window(prompts, recentStorage);
    window.setCommandLine(arguments.commandLine);
    window.setStartFiles(arguments.files);
    if (arguments.commandLine.option == 'p')
        return window.runStartup() ? 0 : 0;
    window.show();
    // The files open once the window is on the screen, so that their boxes have a window to
    // stand over and a large movie's progress shows in it.
    QTimer::singleShot(0, &window, [&window] { window.runStartup(); });
    return QApplication::exec();
}
