// The editor program once Qt is up: the arguments decide what opens, the window shows, and
// the event loop runs until the window closes.
#pragma once

#include <functional>
#include <span>
#include <string>

class QSettings;

namespace vorn {

class CNewMainWindow;
class IPrompts;
struct CommandHooks;

// Runs the editor on its arguments (those Qt did not take). `started` runs once the window is
// shown and the command line's files are open. Returns the program's exit status: 2 for
// arguments it does not understand, else 0.
int runEditor(std::span<const std::string> arguments, IPrompts& prompts, QSettings& settings,
              const std::function<void(CNewMainWindow&)>& started = {});
// The same with the given hooks in place of defaultCommandHooks(): the program adds the
// player's.
int runEditor(std::span<const std::string> arguments, IPrompts& prompts, QSettings& settings,
              const CommandHooks& hooks, const std::function<void(CNewMainWindow&)>& started = {});

} // namespace vorn
