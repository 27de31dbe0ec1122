#pragma once

// Where the update check plugs into the start-up.
//
// The update step runs on a thread of its own after the first activation of the window and
// before the command line is read. It receives an UpdateContext, may show status texts and
// messages, and leaves its verdict in the two flags; the start-up reads them on the main thread
// once the step has ended (by returning or by an exception):
// - TerminateProgram: exit code 1 and the program ends;
// - else IsAtualizar: the installer the step downloaded (Instalador, a name of this process in
//   the application folder) is renamed into place as "Luvaro-install" ("Luvaro-install.exe"
//   on Windows, platform::InstallerName()), "Luvaro.param" is
//   written and the installer is started; the program then waits to be ended by it. When the
//   installer's process has ended and EsperaInstalador has passed without that end, the run
//   ends with exit code 1 and a message;
// - else the command line is read and the worker of the project type runs.
// Until the update check exists, main() passes NoUpdate, which ends at once with neither flag.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "app/core/worker.h"

namespace luvaro {

// The wait after the installer's end, unless the update step says otherwise.
inline constexpr std::chrono::milliseconds kEsperaInstaladorPadrao{60000};

struct UpdateContext {
  std::string VersaoOrvaneInstalada;  // command-line position 1
  TNotifyString AtualizarStatus;
  IFront& Front;
  IAppLoop& Loop;
  bool TerminateProgram = false;  // written by the step, read after it ended
  bool IsAtualizar = false;       // written by the step, read after it ended
  // The downloaded installer; empty when the installer is in place already.
  std::filesystem::path Instalador;
  // How long the program still waits once the installer's process has ended.
  std::chrono::milliseconds EsperaInstalador{kEsperaInstaladorPadrao};
};

using UpdateStep = std::function<void(UpdateContext& pContexto)>;

// The step that never finds an update.
inline void NoUpdate(UpdateContext&) {}

}  // namespace luvaro
