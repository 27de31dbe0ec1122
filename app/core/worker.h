#pragma once

// How a transmission worker plugs into the application.
//
// A worker is one job of the program (send, query, table-event download) for one project type.
// main() fills a WorkerRegistry with one factory per project type ("esocial", "reinf",
// "esocialbx") before the loop starts:
//
//   WorkerRegistry workers;
//   workers.Registrar("esocial", [](WorkerContext ctx) {
//     return std::make_unique<TeSocialTransmissor>(std::move(ctx));
//   });
//
// After the command line has been read, the start-up code looks the project type up
// (case-sensitively; empty means "esocial"). A type without a factory is a parameter error
// ("Tipo de projeto inválido: " + type, exit code 1). Otherwise it calls the factory on the
// main thread with a context holding the worker's own copy of the parameters, the status
// setter, the front and the main loop, then runs IWorker::Execute() on a std::thread of its
// own. When Execute returns (or throws) the worker object is destroyed on that thread and the
// worker-end handler runs on the main thread: it ends this process, and only this process,
// with the current exit code (see exit_code.h).
//
// Inside Execute the worker
// - reports progress through ctx.AtualizarStatus (the text is shown on the main thread
//   before the call returns);
// - shows messages with TMensagem (handed to the main thread; a message with the stop flag
//   ends the run by throwing TSilentAbort, which the worker lets through);
// - sets the exit code with SetExitCode (1 after a failure it reported, 2 when no
//   certificate was chosen);
// - reaches certificates and PINs through ctx.Front (IFront), callable from its thread.
// Exceptions that escape Execute are a fault of the worker: the thread top logs them as
// "ERROR: " + text and makes sure the exit code is not 0.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/core/parametros.h"

namespace luvaro {

class IAppLoop;
class IFront;

// The status callback: replaces the main window's status text and returns once it is shown.
using TNotifyString = std::function<void(const std::string& pStatus)>;

// The ERP endpoints of the run, formed from the base URL and the project type.
struct TEnderecosOrvane {
  std::string UrlBuscaEventos;         // base + "spring/" + type + "/lotes"
  std::string UrlRetornaEventosXml;    // base + "spring/" + type + "/lotesRetorno"
  std::string UrlRetornaProtocoloXml;  // base + "spring/" + type + "/consultaProtocoloRetorno"
  std::string EmpresaKey;
  std::string TipoProjeto;
};

// The project type of a run: tipoProjeto, or "esocial" when it is empty.
std::string TipoProjetoEfetivo(const TRecParametros& pParametros);
TEnderecosOrvane MontarEnderecosOrvane(const TRecParametros& pParametros);

// Everything a worker receives when it is created.
struct WorkerContext {
  TRecParametros Parametros;      // the worker's own copy of the command line
  TNotifyString AtualizarStatus;  // the main window's status setter
  TEnderecosOrvane Orvane;        // what the ERP client of the run is made with
  IFront& Front;                  // dialogs, certificate choice, PIN prompt
  IAppLoop& Loop;                 // the main thread (messages go through TMensagem)
};

class IWorker {
 public:
  virtual ~IWorker() = default;
  // The whole job; runs on the worker's own thread.
  virtual void Execute() = 0;
};

using WorkerFactory = std::function<std::unique_ptr<IWorker>(WorkerContext pContexto)>;

// Project type -> worker factory, filled by main() before any thread starts, read-only after.
class WorkerRegistry {
 public:
  void Registrar(std::string pTipoProjeto, WorkerFactory pFabrica);
  // The factory for the project type (compared case-sensitively), or null.
  const WorkerFactory* Procurar(std::string_view pTipoProjeto) const;

 private:
  std::map<std::string, WorkerFactory, std::less<>> m_fabricas;
};

}  // namespace luvaro
