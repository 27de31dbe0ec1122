#pragma once

#include "app/core/update_step.h"
#include "app/core/worker.h"

namespace luvaro {

// The whole program after main() has registered the workers: installs the end-request
// handler, chooses the front and runs the start-up; returns the exit code.
//
// The front: headless when LUVARO_HEADLESS is "1" or when no display is available (on Linux
// none of DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM set; on Windows a service's window
// station), else the window: the Qt window on Linux, the Win32 window on Windows. A Linux build
// without the Qt front always runs headless.
int RunLuvaro(int argc, char** argv, const WorkerRegistry& workers, UpdateStep update);

// The front chosen by the rule above.
bool UseHeadlessFront();

// Runs the program with the Qt front, or headless in a build without it.
int RunGuiFront(int& argc, char** argv, std::vector<std::string> args, UpdateStep update,
                const WorkerRegistry& workers);

}  // namespace luvaro
