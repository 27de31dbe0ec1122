#include "app/core/platform.h"
#include "app/luvaro.h"
#include "dfe/ssl/ambiente_plataforma.h"
#include "dfe/ssl/libxml2_global.h"
#include "dfe/ws/process_time_zone.h"
#include "update/atualizacao.h"
#include "workers/transmissores.h"

// The workers of the project types and the update check are registered here; see
// app/core/worker.h, app/core/update_step.h and workers/transmissor.h.
int main(int argc, char** argv) {
  luvaro::platform::PrepararMemoria();
  // Process-wide: made before any thread starts, ended after the last one has stopped, in
  // reverse order.
  luvaro::LibXml2Global libxml2;
  // The HTTP library and the token state (on Linux the PKCS#11 module, LUVARO_PKCS11_MODULE
  // else the p11-kit proxy, loads on first use).
  luvaro::AmbientePlataforma plataforma;
  // The time-zone setting that every web-service call makes equal to its configuration.
  luvaro::ProcessTimeZone fusoHorario;

  // Settings read once at start-up: the web-service time-out (LUVARO_TIMEOUT_MS), the server
  // identity check (LUVARO_VERIFICAR_SERVIDOR), the update server (LUVARO_ATUALIZACAO_URL) and
  // the application folder.
  luvaro::TAmbienteTransmissao ambiente;
  ambiente.Tokens = &plataforma.Tokens();
  ambiente.TimeZone = &fusoHorario;
  ambiente.TimeOut = luvaro::TimeOutDoAmbiente();
  ambiente.VerificarServidor = luvaro::VerificarServidorDoAmbiente();
  luvaro::WorkerRegistry workers;
  luvaro::RegistrarTransmissores(workers, ambiente);

  return luvaro::RunLuvaro(argc, argv, workers,
                           luvaro::CriarPassoAtualizacao(luvaro::ConfigAtualizacaoDoAmbiente()));
}
