// A build with the Qt front: the window module beside the executable is loaded only now, when
// a window will open; headless runs never map the GUI libraries.

#include <iostream>
#include <string>
#include <utility>

#include "app/core/platform.h"
#include "app/headless/headless_run.h"
#include "app/luvaro.h"
#include "app/window_run.h"

namespace luvaro {

int RunGuiFront(int& argc, char** argv, std::vector<std::string> args, UpdateStep update,
                const WorkerRegistry& workers) {
  const std::filesystem::path module = platform::ExecutablePath().parent_path() / kWindowModuleFile;
  std::string error;
  if (auto make = LoadWindowModule(module, error))
    return RunWindowFront(argc, argv, std::move(args), std::move(update), workers, *make);
  // Without its window the run still goes on, as a headless run does.
  std::cerr << "Não foi possível abrir a janela do programa (" << error
            << "); a execução segue sem janela." << std::endl;
  return RunHeadless(std::move(args), std::move(update), workers);
}

}  // namespace luvaro
