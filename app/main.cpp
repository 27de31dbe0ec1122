#include "app/luvaro.h"

// The workers of the project types ("esocial", "reinf", "esocialbx") and the update check are
// registered here as they are built; see app/core/worker.h and app/core/update_step.h.
int main(int argc, char** argv) {
  luvaro::WorkerRegistry workers;
  return luvaro::RunLuvaro(argc, argv, workers, luvaro::NoUpdate);
}
