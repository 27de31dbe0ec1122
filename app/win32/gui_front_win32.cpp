// The Windows build: the Win32 front is part of Luvaro.exe (no GUI library to keep out of a
// headless run).

#include <windows.h>

#include <iostream>
#include <memory>
#include <utility>

#include "app/headless/headless_run.h"
#include "app/luvaro.h"
#include "app/win32/win32_front.h"
#include "app/window_run.h"
#include "dfe/dfe_exception.h"

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
  bool made = false;
  try {
    return RunWindowFront(argc, argv, args, update, workers,
                          [&made](int&, char**, IWindowHost& host) {
                            std::unique_ptr<IWindowFront> front = CreateWin32Front(host);
                            made = true;
                            ReleaseOwnConsole();
                            return front;
                          });
  } catch (const EDFeException& e) {
    if (made) throw;
    // Without its window (a desktop that cannot show one) the run still goes on, as a
    // headless run does; nothing of the run had started.
    std::cerr << "Não foi possível abrir a janela do programa (" << e.what()
              << "); a execução segue sem janela." << std::endl;
  }
  return RunHeadless(std::move(args), std::move(update), workers);
}

}  // namespace luvaro
