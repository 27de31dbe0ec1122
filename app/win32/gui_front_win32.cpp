// The Windows build: the Win32 front is part of Luvaro.exe (no GUI library to keep out of a
// headless run).

#include <windows.h>

#include <utility>

#include "app/luvaro.h"
#include "app/win32/win32_front.h"
#include "app/window_run.h"

namespace luvaro {
namespace {

// Luvaro.exe is a console program, so that a headless run writes to the console or pipe it
// was given; a console the system opened for the window run alone would only stand beside the
// window, so it is let go.
void ReleaseOwnConsole() {
  DWORD processes[2];
  if (GetConsoleWindow() != nullptr && GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

}  // namespace

int RunGuiFront(int& argc, char** argv, std::vector<std::string> args, UpdateStep update,
                const WorkerRegistry& workers) {
  ReleaseOwnConsole();
  return RunWindowFront(argc, argv, std::move(args), std::move(update), workers,
                        [](int&, char**, IWindowHost& host) { return CreateWin32Front(host); });
}

}  // namespace luvaro
