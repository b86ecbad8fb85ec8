#include "frame/editor_program.h"

#include "commands/command_context.h"
#include "frame/main_window.h"
#include "frame/program_arguments.h"
#include "frame/recent_settings.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace vorn {

int runEditor(std::span<const std::string> arguments, IPrompts& prompts, QSettings& settings,
              const std::function<void(CNewMainWindow&)>& started) {
    return runEditor(arguments, prompts, settings, defaultCommandHooks(), started);
}

int runEditor(std::span<const std::string> arguments, IPrompts& prompts, QSettings& settings,
              const CommandHooks& hooks, const std::function<void(CNewMainWindow&)>& started) {
    const ProgramArguments parsed = parseProgramArguments(arguments);
    if (parsed.action == ProgramArguments::Action::Error) {
        std::fprintf(stderr, "vorn: %s\n%s", parsed.error.c_str(), usageText().c_str());
        return 2;
    }
    QSettingsRecentStorage recentStorage(settings);
    CNewMainWindow window(prompts, recentStorage, hooks);
    window.setCommandLine(parsed.commandLine);
    window.setStartFiles(parsed.files);
    // "/p" plays the movie without showing the window; the program ends with the player.
    if (parsed.commandLine.option == 'p') {
        window.runStartup();
        return 0;
    }
    window.show();
    // The files open once the window is on the screen, so that their boxes have a window to
    // stand over and a large movie's progress shows in it.
    QTimer::singleShot(0, &window, [&window, &started] {
        window.runStartup();
        if (started)
            started(window);
    });
    QApplication::exec();
    return 0;
}

} // namespace vorn
