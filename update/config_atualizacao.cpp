#include "update/config_atualizacao.h"

#include <cstdlib>
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
  return {std::string(base), std::move(pPastaAplicacao)};
}

TConfigAtualizacao ConfigAtualizacaoDoAmbiente() {
  std::optional<std::string_view> base;
  if (const char* valor = std::getenv("LUVARO_ATUALIZACAO_URL")) base = valor;
  return MontarConfigAtualizacao(base, TUtil::GetAppPath());
}

std::string UrlConsultaVersao(const TConfigAtualizacao& pConfig) {
  return pConfig.UrlBase + "/cloud/api/versao/sistema/get?identificacao=Luvaro";
}

}  // namespace luvaro
