#pragma once

#include "workers/transmissor.h"

namespace luvaro {

class WorkerRegistry;

// Registers the worker of every project type that has one ("esocial"; an empty type is read as
// "esocial" by the start-up). Each factory runs on the main thread at dispatch and makes its
// worker with the run's context and the environment main() prepared; pAmbiente is copied.
void RegistrarTransmissores(WorkerRegistry& pWorkers, const TAmbienteTransmissao& pAmbiente);

}  // namespace luvaro
