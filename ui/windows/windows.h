// The installer's four windows: their records and handlers.
//
// Owns: what each window holds and what its handlers do.
// Never: talks to the window system or the shell except through the App and
// the ShellOps it is given.
#pragma once

#include <vector>

#include "ui/app/app.h"

namespace ui {

// The registry in its fixed order: welcome, agreement, progress, finish.
std::vector<WindowRecord> installerWindows();

}  // namespace ui
