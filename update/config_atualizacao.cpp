#include "update/config_atualizacao.h"

#include <charconv>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "app/core/util.h"

namespace luvaro {

std::string_view UrlAtualizacaoPadrao() {
  return LUVARO_ATUALIZACAO_URL_PADRAO;
}

TConfigAtualizacao MontarConfigAtualizacao(std::optional<std::string_view> pUrlBase,
                                           std::filesystem::path pPastaAplicacao) {
  std::string_view base = pUrlBase.value_or(std::string_view());
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  if (base.empty()) base = UrlAtualizacaoPadrao();
  TConfigAtualizacao config;
  config.UrlBase = std::string(base);
  config.PastaAplicacao = std::move(pPastaAplicacao);
  // Without an application folder, the system's roots only (never a folder relative to
  // wherever the program was started from).
  if (!config.PastaAplicacao.empty())
    config.Identidade.pastaCadeias = config.PastaAplicacao / kPastaCadeias;
  return config;
}

TConfigAtualizacao ConfigAtualizacaoDoAmbiente() {
  std::optional<std::string_view> base;
  if (const char* valor = std::getenv("LUVARO_ATUALIZACAO_URL")) base = valor;
  const TPastasAplicacao pastas = TUtil::Pastas();
  TConfigAtualizacao config = MontarConfigAtualizacao(base, pastas.Usuario);
  config.Identidade.pastaCadeias = pastas.Leitura(kPastaCadeias);
  config.InstaladoPorPacote = pastas.InstaladoPorPacote;
  config.Identidade.verificar = VerificarServidorDoValor(std::getenv(kVariavelVerificarServidor));
  config.Identidade.aviso = [](const std::string& aviso) {
    try {
      TUtil::LogAppend(aviso);
    } catch (const std::exception&) {
      // The log is best effort; the update check goes on.
    }
  };
  if (const char* valor = std::getenv("LUVARO_ESPERA_INSTALADOR_MS")) {
    const std::string_view texto(valor);
    long long ms = 0;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), ms);
    if (erro == std::errc() && fim == texto.data() + texto.size() && ms >= 1)
      config.EsperaInstalador = std::chrono::milliseconds(ms);
  }
  return config;
}

std::string UrlConsultaVersao(const TConfigAtualizacao& pConfig) {
  return pConfig.UrlBase + "/cloud/api/versao/sistema/get?identificacao=Luvaro";
}

}  // namespace luvaro
