#include "update/atualizacao.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/core/mensagem.h"
#include "app/core/util.h"
#include "update/consulta_versao.h"
#include "update/http_download_progress.h"

namespace luvaro {
namespace {

constexpr const char* kArquivoInstalador = "Luvaro-install";

constexpr const char* kMsgErroConsulta = "Erro ao consultar versao Atualização.";
constexpr const char* kMsgOrvaneAbaixoMinimo =
    "O Luvaro está disponível somente a partir da versao 4.0.01-180629 do Orvane.\r"
    "Por favor, efetue e atualização do Orvane para utilizá-lo.\r"
    "Operação cancelada!";
constexpr const char* kMsgAtualizacaoDisponivel =
    "ATENÇÃO!!\r\r"
    "Atualização disponível, alguns anti-vírus estão bloqueando a atualização por engano.\r"
    "Por favor DESABILITE o anti-virus antes de continuar.";
constexpr const char* kMsgOrvaneDesatualizado =
    "Existe uma nova versão do Luvaro,  porém é necessário atualizar o Orvane para utilizá-la. \r"
    "Por favor efetue a atualização do Orvane no servidor.\r"
    "Operação cancelada!";

// The log is a help for support here; the check goes on without it.
void Registrar(const std::string& pMensagem) {
  try {
    TUtil::LogAppend(pMensagem);
  } catch (const std::exception&) {
    // Nothing to tell the user: the outcome does not depend on the log.
  }
}

}  // namespace

TAtualizacao::TAtualizacao(TConfigAtualizacao pConfig, IFront& pFront, IAppLoop& pLoop)
    : FConfig(std::move(pConfig)), FFront(pFront), FLoop(pLoop) {}

void TAtualizacao::Status(const std::string& pTexto) {
  if (AtualizarStatus) AtualizarStatus(pTexto);
}

void TAtualizacao::VerificarAtualizacao() {
  Status("Verificando atualização...");
  const std::optional<TResultVersao> versao = ConsultarVersaoServidor();
  if (!versao) return;
  switch (DecidirAtualizacao(VersaoOrvaneInstalada, *versao)) {
    case TDecisaoAtualizacao::OrvaneAbaixoMinimo:
      TMensagem::mostrarMsgErro(FFront, FLoop, kMsgOrvaneAbaixoMinimo, false);
      FTerminateProgram = true;
      return;
    case TDecisaoAtualizacao::Continuar:
      return;
    case TDecisaoAtualizacao::Baixar:
      TMensagem::mostrarMsgAtencaoOk(FFront, FLoop, kMsgAtualizacaoDisponivel, false);
      BaixarInstalador(versao->linkAtualizar);
      return;
    case TDecisaoAtualizacao::OrvaneDesatualizado:
      TMensagem::mostrarMsgErro(FFront, FLoop, kMsgOrvaneDesatualizado, false);
      FTerminateProgram = true;
      return;
  }
}

std::optional<TResultVersao> TAtualizacao::ConsultarVersaoServidor() {
  try {
    return ConsultarVersao(UrlConsultaVersao(FConfig));
  } catch (const std::exception& e) {
    TMensagem::mostrarMsgErro(FFront, FLoop, kMsgErroConsulta, false, &e);
    return std::nullopt;
  }
}

void TAtualizacao::BaixarInstalador(const std::string& pLink) {
  const std::filesystem::path alvo = FConfig.PastaAplicacao / kArquivoInstalador;
  // An installer left by an earlier run must never be taken for this one.
  std::error_code erro;
  std::filesystem::remove(alvo, erro);

  THttpDownloadProgress http;
  http.OnChange = [this](THttpDownloadProgress& sender) { DownloadChange(sender); };
  try {
    http.DownloadFile(pLink, alvo);
  } catch (const std::exception& e) {
    // A broken installer is never run: the job goes on without the update.
    Registrar("Atualização não instalada: falha ao baixar o instalador de " + pLink + ": " +
              e.what());
    return;
  }
  Registrar("Atualização baixada de " + pLink);
  FIsAtualizar = true;
}

void TAtualizacao::DownloadChange(THttpDownloadProgress& Sender) {
  Status("Baixando atualização " + std::to_string(Sender.Progress()) + "% ...");
}

UpdateStep CriarPassoAtualizacao(TConfigAtualizacao pConfig) {
  return [config = std::move(pConfig)](UpdateContext& contexto) {
    TAtualizacao atualizacao(config, contexto.Front, contexto.Loop);
    atualizacao.AtualizarStatus = contexto.AtualizarStatus;
    atualizacao.VersaoOrvaneInstalada = contexto.VersaoOrvaneInstalada;
    try {
      atualizacao.VerificarAtualizacao();
    } catch (...) {
      // The flags reached so far still count; the start-up reports the failure itself.
      contexto.TerminateProgram = atualizacao.TerminateProgram();
      contexto.IsAtualizar = atualizacao.IsAtualizar();
      throw;
    }
    contexto.TerminateProgram = atualizacao.TerminateProgram();
    contexto.IsAtualizar = atualizacao.IsAtualizar();
  };
}

}  // namespace luvaro
