#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/parametros.h"
#include "app/core/update_step.h"
#include "app/core/worker.h"

namespace luvaro {

class IAppLoop;
class IFront;
namespace platform {
class WatchedProcess;
}

// The program's spine, the same under both fronts: the start-up sequence run on the first
// activation of the main window, the update step, the command line, the dispatch to the
// worker of the project type, and the end of the run. Every member function except
// AtualizarStatus runs on the main thread.
//
// The owner runs the loop, then closes it (so that no thread waits on it any longer) and only
// then destroys this object, which waits for the update and worker threads to end.
class Startup {
 public:
  // pArgs: the command line, position 0 being the executable's full path.
  Startup(std::vector<std::string> pArgs, IFront& pFront, IAppLoop& pLoop, UpdateStep pUpdate,
          const WorkerRegistry& pWorkers);
  ~Startup();
  Startup(const Startup&) = delete;  // the threads it starts refer to this object
  Startup& operator=(const Startup&) = delete;

  // The first activation of the main window; later calls do nothing.
  void Iniciar();

  // The status setter given to the update step and to the worker: shows the text on the main
  // thread and returns once it is shown. Callable from any thread.
  void AtualizarStatus(const std::string& pStatus);

  const TRecParametros& Parametros() const { return FParametros; }

 private:
  // What the update step left for the start-up.
  struct FimDaAtualizacao {
    bool TerminateProgram = false;
    bool IsAtualizar = false;
    std::filesystem::path Instalador;
    std::chrono::milliseconds EsperaInstalador{kEsperaInstaladorPadrao};
  };

  void IniciarAtualizacao();
  void FimAtualizacao(FimDaAtualizacao pFim);
  void Instalar(const FimDaAtualizacao& pFim);
  // Watches the started installer: once its process has ended, waits pEspera more, then
  // reports the update as not done.
  void AcompanharInstalador(std::chrono::milliseconds pEspera);
  void InstaladorNaoConcluiu(int pCodigo);
  bool LerParametros();
  void ErroParametros(const std::exception& pErro);
  void Despachar();
  void ExecutarWorker(std::unique_ptr<IWorker> pWorker);
  void FimWorker();

  std::vector<std::string> FArgs;
  IFront& FFront;
  IAppLoop& FLoop;
  UpdateStep FUpdate;
  const WorkerRegistry& FWorkers;
  TRecParametros FParametros;
  bool FIniciado = false;
  std::thread FThreadAtualizacao;
  std::thread FThreadWorker;
  // The installer's watch: its process, and the end of the program that stops the watch.
  std::unique_ptr<platform::WatchedProcess> FInstalador;
  std::mutex FEncerramentoMutex;  // guards FEncerrando
  std::condition_variable FEncerramento;
  bool FEncerrando = false;
  std::thread FThreadInstalador;
};

}  // namespace luvaro
