// The Luvaro program with test workers and update verdicts registered in place of the real
// ones: the same start-up, fronts and end of run, used where the real workers cannot show a
// behaviour of the shell (a run that waits, a worker that fails, an update to install).
//
// Workers by project type (position 7):
//   "imediato"        status "Trabalhando...", ends;
//   "espera"          prints "pronto" on stdout, waits until the FIFO named by position 4
//                     (process 1) reaches its end, prints "fim", ends;
//   "falha"           exit code 1 and an error message with the stop flag; prints
//                     "continuou" should the job go on after it;
//   "semcertificado"  exit code 2;
//   "excecao"         lets an EDFeException escape.
// Update verdict by LUVARO_TESTE_ATUALIZACAO: "parar" or "instalar".

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>

#include "app/core/exit_code.h"
#include "app/core/mensagem.h"
#include "app/luvaro.h"
#include "dfe/dfe_exception.h"

namespace {

using namespace luvaro;

class TestWorker final : public IWorker {
 public:
  explicit TestWorker(WorkerContext context) : m_ctx(std::move(context)) {}

  void Execute() override {
    const std::string& tipo = m_ctx.Orvane.TipoProjeto;
    if (tipo == "imediato") {
      m_ctx.AtualizarStatus("Trabalhando...");
    } else if (tipo == "espera") {
      std::cout << "pronto" << std::endl;
      std::ifstream fifo(m_ctx.Parametros.protocoloConsulta);
      std::string ignored;
      while (std::getline(fifo, ignored)) {
      }
      std::cout << "fim" << std::endl;
    } else if (tipo == "falha") {
      SetExitCode(1);
      TMensagem::mostrarMsgErro(m_ctx.Front, m_ctx.Loop, "Falha de teste.", true);
      std::cout << "continuou" << std::endl;
    } else if (tipo == "semcertificado") {
      SetExitCode(2);
    } else if (tipo == "excecao") {
      throw EDFeException("quebrou");
    }
  }

 private:
  WorkerContext m_ctx;
};

void TestUpdate(UpdateContext& u) {
  const char* verdict = std::getenv("LUVARO_TESTE_ATUALIZACAO");
  if (!verdict) return;
  u.AtualizarStatus("Verificando atualização...");
  if (std::string(verdict) == "parar") u.TerminateProgram = true;
  if (std::string(verdict) == "instalar") u.IsAtualizar = true;
}

}  // namespace

int main(int argc, char** argv) {
  WorkerRegistry workers;
  for (const char* tipo : {"imediato", "espera", "falha", "semcertificado", "excecao"})
    workers.Registrar(
        tipo, [](WorkerContext ctx) { return std::make_unique<TestWorker>(std::move(ctx)); });
  return RunLuvaro(argc, argv, workers, TestUpdate);
}
