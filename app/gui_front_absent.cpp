// A build without the Qt front (the sanitizer tree): the program always runs headless.

#include <utility>

#include "app/headless/headless_run.h"
#include "app/luvaro.h"

namespace luvaro {

int RunGuiFront(int&, char**, std::vector<std::string> args, UpdateStep update,
                const WorkerRegistry& workers) {
  return RunHeadless(std::move(args), std::move(update), workers);
}

}  // namespace luvaro
