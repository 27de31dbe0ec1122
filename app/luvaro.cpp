#include "app/luvaro.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/core/platform.h"
#include "app/headless/headless_run.h"

namespace luvaro {

bool UseHeadlessFront() {
  const char* headless = std::getenv("LUVARO_HEADLESS");
  if (headless && std::string(headless) == "1") return true;
  return !platform::DisplayAvailable();
}

int RunLuvaro(int argc, char** argv, const WorkerRegistry& workers, UpdateStep update) {
  platform::InstallEndRequestHandler();

  // Position 0 is the executable's full path, as the parameter log and file record it.
  std::vector<std::string> args;
  const std::u8string self = platform::ExecutablePath().u8string();
  args.push_back(!self.empty() ? std::string(self.begin(), self.end())
                               : (argc > 0 ? argv[0] : "Luvaro"));
  for (std::string& arg : platform::CommandLineArguments(argc, argv)) args.push_back(std::move(arg));

  if (UseHeadlessFront()) return RunHeadless(std::move(args), std::move(update), workers);
  return RunGuiFront(argc, argv, std::move(args), std::move(update), workers);
}

}  // namespace luvaro
