#include "app/core/startup.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "app/core/app_loop.h"
#include "app/core/exit_code.h"
#include "app/core/mensagem.h"
#include "app/core/platform.h"
#include "app/core/silent_abort.h"
#include "app/core/util.h"
#include "dfe/front.h"

namespace luvaro {
namespace {

void Join(std::thread& thread) {
  if (thread.joinable()) thread.join();
}

// Every argument from position 0 on, one per line, CR LF: lets the installed version be
// started again with the same command line.
void GravarArquivoParametros(const std::filesystem::path& arquivo,
                             const std::vector<std::string>& args) {
  std::ofstream out(arquivo, std::ios::binary | std::ios::trunc);
  for (const std::string& arg : args) out << arg << "\r\n";
  out.close();
  if (!out) throw EDFeException("Erro de E/S ao gravar o arquivo \"" + arquivo.string() + "\".");
}

}  // namespace

Startup::Startup(std::vector<std::string> pArgs, IFront& pFront, IAppLoop& pLoop,
                 UpdateStep pUpdate, const WorkerRegistry& pWorkers)
    : FArgs(std::move(pArgs)),
      FFront(pFront),
      FLoop(pLoop),
      FUpdate(std::move(pUpdate)),
      FWorkers(pWorkers) {}

Startup::~Startup() {
  Join(FThreadAtualizacao);
  Join(FThreadWorker);
}

void Startup::AtualizarStatus(const std::string& pStatus) {
  FLoop.Synchronize([&] { FFront.ShowStatus(pStatus); });
}

void Startup::Iniciar() {
  if (FIniciado) return;
  FIniciado = true;
  try {
    AtualizarStatus("Iniciando...");
    const std::string versao = Posicao(FArgs, 1);
    if (versao.empty()) {
      SetExitCode(1);
      TMensagem::mostrarMsgErro(FFront, FLoop, "Versão Orvane não informada.", true);
      return;  // not reached: the stop flag unwinds
    }
    FParametros.versaoOrvane = versao;
    IniciarAtualizacao();
  } catch (const TSilentAbort&) {
    // The message's stop flag has asked the loop to end; nothing else runs.
  }
}

void Startup::IniciarAtualizacao() {
  FThreadAtualizacao = std::thread([this] {
    UpdateContext contexto{FParametros.versaoOrvane,
                           [this](const std::string& s) { AtualizarStatus(s); }, FFront, FLoop};
    try {
      FUpdate(contexto);
    } catch (const TSilentAbort&) {
      // Ended by a stop-flag message; the loop is already ending.
    } catch (const std::exception& e) {
      // An update step that fails must not stop the job; its flags say what it reached.
      try {
        TUtil::LogAppend("ERROR: " + std::string(e.what()));
      } catch (const std::exception&) {
        // The log is best effort here: the run goes on without it.
      }
    }
    const bool terminar = contexto.TerminateProgram;
    const bool atualizar = contexto.IsAtualizar;
    FLoop.Post([this, terminar, atualizar] { FimAtualizacao(terminar, atualizar); });
  });
}

void Startup::FimAtualizacao(bool pTerminateProgram, bool pIsAtualizar) {
  Join(FThreadAtualizacao);
  if (pTerminateProgram) {
    SetExitCode(1);
    FLoop.Terminate();
    return;
  }
  if (pIsAtualizar) {
    Instalar();
    return;
  }
  AtualizarStatus("Setando os parametros...");
  if (LerParametros()) Despachar();
}

void Startup::Instalar() {
  AtualizarStatus("Atualizando aplicativo...");
  try {
    const std::filesystem::path pasta = TUtil::GetAppPath();
    const std::filesystem::path instalador = pasta / "Luvaro-install";
    if (!std::filesystem::is_regular_file(instalador))
      throw EDFeException("Instalador não encontrado: " + instalador.string());
    GravarArquivoParametros(pasta / "Luvaro.param", FArgs);
    platform::StartDetached({"/bin/sh", instalador.string(), "/SILENT"},
                            {{"LUVARO_PID", std::to_string(platform::CurrentProcessId())}});
    // The installer ends this program (termination signal) once it is ready.
  } catch (const std::exception& e) {
    // Waiting for an installer that never started would keep the window open for ever.
    SetExitCode(1);
    TMensagem::mostrarMsgErro(FFront, FLoop, "Não foi possível iniciar a atualização.", false, &e);
    FLoop.Terminate();
  }
}

bool Startup::LerParametros() {
  try {
    TUtil::LogAppend(LinhaLogParametros(FArgs));
    FParametros = luvaro::LerParametros(FArgs);
    return true;
  } catch (const std::exception& e) {
    ErroParametros(e);
    return false;
  }
}

void Startup::ErroParametros(const std::exception& pErro) {
  SetExitCode(1);
  TMensagem::mostrarMsgErro(FFront, FLoop, "Erro na leitura dos parâmetros.", false, &pErro);
  FLoop.Terminate();  // closing the main window ends the application
}

void Startup::Despachar() {
  const std::string tipo = TipoProjetoEfetivo(FParametros);
  const WorkerFactory* fabrica = FWorkers.Procurar(tipo);
  if (!fabrica) {
    ErroParametros(EParametroInvalido("Tipo de projeto inválido: " + tipo));
    return;
  }
  std::unique_ptr<IWorker> worker;
  try {
    worker =
        (*fabrica)(WorkerContext{FParametros, [this](const std::string& s) { AtualizarStatus(s); },
                                 MontarEnderecosOrvane(FParametros), FFront, FLoop});
  } catch (const std::exception& e) {
    SetExitCode(1);
    TMensagem::mostrarMsgErro(FFront, FLoop, "Erro durante a execução: ", false, &e);
    FLoop.Terminate();
    return;
  }
  FThreadWorker =
      std::thread([this, w = std::move(worker)]() mutable { ExecutarWorker(std::move(w)); });
}

void Startup::ExecutarWorker(std::unique_ptr<IWorker> pWorker) {
  std::optional<std::string> falha;
  try {
    pWorker->Execute();
  } catch (const TSilentAbort&) {
    // A stop-flag message ended the job; the worker-end handler still runs.
  } catch (const std::exception& e) {
    falha = e.what();
  } catch (...) {
    falha = "falha desconhecida";
  }
  pWorker.reset();  // the worker is gone before its end is announced
  if (falha) {
    if (GetExitCode() == 0) SetExitCode(1);  // a failure never reaches the ERP as success
    try {
      TUtil::LogAppend("ERROR: " + *falha);
    } catch (const std::exception&) {
      // Best effort: the exit code already tells the ERP.
    }
  }
  FLoop.Post([this] { FimWorker(); });
}

void Startup::FimWorker() {
  Join(FThreadWorker);
  // Only this process ends, with the exit code the run has reached.
  FLoop.Terminate();
}

}  // namespace luvaro
