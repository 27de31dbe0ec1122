#include "workers/transmissores.h"

#include <memory>
#include <utility>

#include "app/core/worker.h"
#include "workers/esocial_ebx_transmissor.h"
#include "workers/esocial_transmissor.h"
#include "workers/reinf_transmissor.h"

namespace luvaro {

void RegistrarTransmissores(WorkerRegistry& pWorkers, const TAmbienteTransmissao& pAmbiente) {
  pWorkers.Registrar("esocial", [pAmbiente](WorkerContext pContexto) -> std::unique_ptr<IWorker> {
    return std::make_unique<TeSocialTransmissor>(std::move(pContexto), pAmbiente);
  });
  pWorkers.Registrar("esocialbx", [pAmbiente](WorkerContext pContexto) -> std::unique_ptr<IWorker> {
    return std::make_unique<TesocialEbxTransmissor>(std::move(pContexto), pAmbiente);
  });
  pWorkers.Registrar("reinf", [pAmbiente](WorkerContext pContexto) -> std::unique_ptr<IWorker> {
    return std::make_unique<TreinfTransmissor>(std::move(pContexto), pAmbiente);
  });
}

}  // namespace luvaro
