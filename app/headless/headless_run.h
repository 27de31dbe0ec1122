#pragma once

#include <string>
#include <vector>

#include "app/core/update_step.h"
#include "app/core/worker.h"

namespace luvaro {

// Runs the whole program with the headless front on the calling (main) thread; returns the
// exit code.
int RunHeadless(std::vector<std::string> args, UpdateStep update, const WorkerRegistry& workers);

}  // namespace luvaro
