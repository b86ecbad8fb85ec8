// Shows a box the core decided on, with the icon it asks for.
#pragma once

#include "files/problems.h"

class QWidget;

namespace vorn {

class IPrompts;

void showBox(IPrompts& prompts, QWidget* owner, const MessageBoxText& box);

} // namespace vorn
