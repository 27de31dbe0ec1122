#include "app/core/startup.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "app/core/app_loop.h"
#include "app/core/exit_code.h"
#include "app/core/mensagem.h"
#include "app/core/platform.h"
#include "app/core/silent_abort.h"
#include "app/core/util.h"
#include "dfe/front.h"
#include "dfe/gravar_arquivo.h"

namespace luvaro {
namespace {

void Join(std::thread& thread) {
  if (thread.joinable()) thread.join();
}

// The "ERROR: " line of a failure the user is told about; best effort, since the message and
// the exit code tell the failure without it.
void RegistrarErro(const std::string& pTexto) {
  try {
    TUtil::LogAppend("ERROR: " + pTexto);
  } catch (const std::exception&) {
    // Nothing more to do: the log is what failed.
  }
}

// Every argument from position 0 on, one per line, CR LF: lets the installed version be
// started again with the same command line.
void GravarArquivoParametros(const std::filesystem::path& arquivo,
                             const std::vector<std::string>& args) {
  std::string conteudo;
  for (const std::string& arg : args) conteudo += arg + "\r\n";
  GravarArquivo(arquivo, platform::TextoAnsi(conteudo));
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
  {
    std::lock_guard lock(FEncerramentoMutex);
    FEncerrando = true;
  }
  FEncerramento.notify_all();
  if (FInstalador) FInstalador->StopWaiting();
  Join(FThreadInstalador);
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
                           [this](const std::string& s) { AtualizarStatus(s); },
                           FFront,
                           FLoop,
                           false,
                           false,
                           {},
                           kEsperaInstaladorPadrao};
    try {
      FUpdate(contexto);
    } catch (const TSilentAbort&) {
      // Ended by a stop-flag message; the loop is already ending.
    } catch (const std::exception& e) {
      // An update step that fails must not stop the job; its flags say what it reached.
      RegistrarErro(e.what());
    }
    FimDaAtualizacao fim{contexto.TerminateProgram, contexto.IsAtualizar, contexto.Instalador,
                         contexto.EsperaInstalador};
    FLoop.Post([this, fim = std::move(fim)] { FimAtualizacao(fim); });
  });
}

void Startup::FimAtualizacao(FimDaAtualizacao pFim) {
  Join(FThreadAtualizacao);
  if (pFim.TerminateProgram) {
    SetExitCode(1);
    FLoop.Terminate();
    return;
  }
  if (pFim.IsAtualizar) {
    Instalar(pFim);
    return;
  }
  AtualizarStatus("Setando os parametros...");
  if (LerParametros()) Despachar();
}

void Startup::Instalar(const FimDaAtualizacao& pFim) {
  AtualizarStatus("Atualizando aplicativo...");
  try {
    const std::filesystem::path pasta = TUtil::GetAppPath();
    const std::filesystem::path instalador = pasta / platform::InstallerName();
    // The download kept a name of this process until now: renamed into place only at the
    // start, it cannot have been replaced half-written or removed by another instance.
    if (!pFim.Instalador.empty()) {
      std::error_code erro;
      std::filesystem::rename(pFim.Instalador, instalador, erro);
      if (erro) {
        throw EDFeException("Não foi possível colocar o instalador \"" + pFim.Instalador.string() +
                            "\" em \"" + instalador.string() + "\": " + erro.message());
      }
    }
    if (!std::filesystem::is_regular_file(instalador))
      throw EDFeException("Instalador não encontrado: " + instalador.string());
    GravarArquivoParametros(pasta / "Luvaro.param", FArgs);
    // From here on the installer ends this program (termination signal) once it is ready, and
    // the current exit code stands.
    platform::EndRequestsKeepExitCode();
    FInstalador = platform::StartInstaller(
        instalador, {"/SILENT"}, {{"LUVARO_PID", std::to_string(platform::CurrentProcessId())}});
    AcompanharInstalador(pFim.EsperaInstalador);
  } catch (const std::exception& e) {
    // Waiting for an installer that never started would keep the window open for ever.
    SetExitCode(1);
    TMensagem::mostrarMsgErro(FFront, FLoop, "Não foi possível iniciar a atualização.", false, &e);
    FLoop.Terminate();
  }
}

void Startup::AcompanharInstalador(std::chrono::milliseconds pEspera) {
  FThreadInstalador = std::thread([this, pEspera] {
    const std::optional<int> codigo = FInstalador->WaitForExit();
    if (!codigo) return;  // the program is ending
    {
      // An installer may hand over to a process of its own and end this program a little
      // later; only a wait that outlasts that is a failure.
      std::unique_lock lock(FEncerramentoMutex);
      if (FEncerramento.wait_for(lock, pEspera, [this] { return FEncerrando; })) return;
    }
    FLoop.Post([this, c = *codigo] { InstaladorNaoConcluiu(c); });
  });
}

void Startup::InstaladorNaoConcluiu(int pCodigo) {
  SetExitCode(1);
  const EDFeException detalhe("O instalador terminou sem concluir a atualização (código " +
                              std::to_string(pCodigo) +
                              "). Execute o processo novamente pelo Orvane.");
  RegistrarErro("A atualização do Luvaro não foi concluída. " + std::string(detalhe.what()));
  TMensagem::mostrarMsgErro(FFront, FLoop, "A atualização do Luvaro não foi concluída.", false,
                            &detalhe);
  FLoop.Terminate();
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
    RegistrarErro(e.what());
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
    RegistrarErro(*falha);
    // The user is told as of any other failure of the job.
    try {
      const EDFeException erro(*falha);
      TMensagem::mostrarMsgErro(FFront, FLoop, "Erro durante a execução: ", false, &erro);
    } catch (const TSilentAbort&) {
      // The loop has ended meanwhile: nobody is left to read the message.
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
