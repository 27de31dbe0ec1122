#include "app/luvaro.h"
#include "dfe/raii/curl.h"
#include "update/atualizacao.h"

// The workers of the project types ("esocial", "reinf", "esocialbx") and the update check are
// registered here as they are built; see app/core/worker.h and app/core/update_step.h.
int main(int argc, char** argv) {
  // Process-wide: made before any thread starts, ended after the last one has stopped.
  luvaro::CurlGlobal curl;
  luvaro::WorkerRegistry workers;
  // The update server (LUVARO_ATUALIZACAO_URL) and the application folder are read here, once.
  return luvaro::RunLuvaro(argc, argv, workers,
                           luvaro::CriarPassoAtualizacao(luvaro::ConfigAtualizacaoDoAmbiente()));
}
