#include "app/headless/headless_run.h"

#include <iostream>
#include <utility>

#include "app/core/exit_code.h"
#include "app/core/main_thread_queue.h"
#include "app/core/startup.h"
#include "app/headless/headless_front.h"

namespace luvaro {

int RunHeadless(std::vector<std::string> args, UpdateStep update, const WorkerRegistry& workers) {
  MainThreadQueue loop;
  HeadlessFront front(HeadlessSettingsFromEnvironment(), std::cerr);
  {
    Startup startup(std::move(args), front, loop, std::move(update), workers);
    // Headless, the "window" is active as soon as the loop runs.
    loop.Post([&startup] { startup.Iniciar(); });
    loop.RunUntilTerminated();
    loop.Close();  // releases any thread still waiting on the main thread
  }                // waits for the update and worker threads
  return GetExitCode();
}

}  // namespace luvaro
