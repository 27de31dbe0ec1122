#include "update/atualizacao.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/core/mensagem.h"
#include "app/core/util.h"
#include "update/consulta_versao.h"
#include "update/http_download_progress.h"
#include "update/resumo_arquivo.h"

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

// The address names the https scheme (letter case aside).
bool Https(std::string_view url) {
  constexpr std::string_view kEsquema = "https://";
  return url.size() >= kEsquema.size() &&
         std::equal(kEsquema.begin(), kEsquema.end(), url.begin(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

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
  const TDecisaoAtualizacao decisao = DecidirAtualizacao(VersaoOrvaneInstalada, *versao);
  if (FConfig.InstaladoPorPacote && (decisao == TDecisaoAtualizacao::Baixar ||
                                     decisao == TDecisaoAtualizacao::OrvaneDesatualizado)) {
    // The package manager replaces this program; an installer of ours would fight it (and
    // cannot write where the package put the program). The job runs with this version.
    std::string texto = "Nova versão do Luvaro disponível: " + versao->versaoAtual +
                        " (em uso: " + std::string(kVersaoLuvaro) + ").";
    if (decisao == TDecisaoAtualizacao::OrvaneDesatualizado)
      texto += " Ela requer o Orvane " + versao->versaoOrvane + " ou posterior.";
    Registrar(texto +
              " O programa foi instalado por um pacote do sistema e é atualizado pelo gerenciador "
              "de pacotes; a execução segue sem atualização.");
    return;
  }
  switch (decisao) {
    case TDecisaoAtualizacao::OrvaneAbaixoMinimo:
      TMensagem::mostrarMsgErro(FFront, FLoop, kMsgOrvaneAbaixoMinimo, false);
      FTerminateProgram = true;
      return;
    case TDecisaoAtualizacao::Continuar:
      return;
    case TDecisaoAtualizacao::Baixar:
      TMensagem::mostrarMsgAtencaoOk(FFront, FLoop, kMsgAtualizacaoDisponivel, false);
      BaixarInstalador(*versao);
      return;
    case TDecisaoAtualizacao::OrvaneDesatualizado:
      TMensagem::mostrarMsgErro(FFront, FLoop, kMsgOrvaneDesatualizado, false);
      FTerminateProgram = true;
      return;
  }
}

std::optional<TResultVersao> TAtualizacao::ConsultarVersaoServidor() {
  try {
    return ConsultarVersao(UrlConsultaVersao(FConfig), FConfig.Identidade);
  } catch (const std::exception& e) {
    TMensagem::mostrarMsgErro(FFront, FLoop, kMsgErroConsulta, false, &e);
    return std::nullopt;
  }
}

void TAtualizacao::BaixarInstalador(const TResultVersao& pVersao) {
  const std::string& pLink = pVersao.linkAtualizar;
  // An answer that came over HTTPS never leads to an installer over plain HTTP: whoever could
  // answer for that address would choose the code this program starts.
  if (Https(FConfig.UrlBase) && !Https(pLink)) {
    Registrar("Atualização não instalada: o endereço do instalador " + pLink +
              " não usa HTTPS, como a consulta de versão.");
    return;
  }
  std::optional<std::string> esperado;
  try {
    esperado = Sha256Esperado(pVersao);
  } catch (const std::exception& e) {
    Registrar(std::string("Atualização não instalada: ") + e.what());
    return;
  }

  // The installer in place is not touched: this download replaces it only when it is started,
  // so another instance that is about to start it never finds it gone or half-written.
  RemoverDownloadsAbandonados(FConfig.PastaAplicacao);
  const std::filesystem::path alvo =
      FConfig.PastaAplicacao /
      (std::string(kArquivoInstalador) + "." + std::to_string(TUtil::IdDoProcesso()));

  THttpDownloadProgress http;
  http.Identidade = FConfig.Identidade;
  http.OnChange = [this](THttpDownloadProgress& sender) { DownloadChange(sender); };
  try {
    http.DownloadFile(pLink, alvo);
  } catch (const std::exception& e) {
    // A broken installer is never run: the job goes on without the update.
    Registrar("Atualização não instalada: falha ao baixar o instalador de " + pLink + ": " +
              e.what());
    return;
  }
  if (esperado) {
    // Checked before the installer can be started; one that differs is never kept.
    std::string obtido;
    try {
      obtido = Sha256DoArquivo(alvo);
    } catch (const std::exception& e) {
      obtido = e.what();
    }
    if (obtido != *esperado) {
      std::error_code erro;
      std::filesystem::remove(alvo, erro);
      Registrar("Atualização não instalada: o instalador baixado de " + pLink +
                " não confere com o resumo informado (SHA-256 esperado " + *esperado + ", obtido " +
                obtido + ").");
      return;
    }
  }
  Registrar("Atualização baixada de " + pLink);
  FInstalador = alvo;
  FIsAtualizar = true;
}

void TAtualizacao::DownloadChange(THttpDownloadProgress& Sender) {
  Status("Baixando atualização " + std::to_string(Sender.Progress()) + "% ...");
}

void RemoverDownloadsAbandonados(const std::filesystem::path& pPasta) {
  const std::vector<int> emExecucao = TUtil::ProcessosEmExecucao();
  if (emExecucao.empty()) return;  // without the list no download can be told abandoned
  const std::string prefixo = std::string(kArquivoInstalador) + ".";
  std::error_code erro;
  for (std::filesystem::directory_iterator it(pPasta, erro), fim; !erro && it != fim;
       it.increment(erro)) {
    const std::string nome = it->path().filename().string();
    if (!nome.starts_with(prefixo)) continue;
    const std::string resto = nome.substr(prefixo.size());
    const std::string id = resto.substr(0, resto.find('.'));
    if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
      continue;
    if (std::find(emExecucao.begin(), emExecucao.end(), std::stoi(id)) != emExecucao.end())
      continue;
    std::error_code remocao;
    if (std::filesystem::remove(it->path(), remocao))
      Registrar("Download abandonado do instalador removido: " + it->path().string());
  }
}

UpdateStep CriarPassoAtualizacao(TConfigAtualizacao pConfig) {
  return [config = std::move(pConfig)](UpdateContext& contexto) {
    TAtualizacao atualizacao(config, contexto.Front, contexto.Loop);
    atualizacao.AtualizarStatus = contexto.AtualizarStatus;
    atualizacao.VersaoOrvaneInstalada = contexto.VersaoOrvaneInstalada;
    const auto devolver = [&] {
      contexto.TerminateProgram = atualizacao.TerminateProgram();
      contexto.IsAtualizar = atualizacao.IsAtualizar();
      contexto.Instalador = atualizacao.Instalador();
      contexto.EsperaInstalador = config.EsperaInstalador;
    };
    try {
      atualizacao.VerificarAtualizacao();
    } catch (...) {
      devolver();  // what was reached so far still counts; the start-up reports the failure
      throw;
    }
    devolver();
  };
}

}  // namespace luvaro
