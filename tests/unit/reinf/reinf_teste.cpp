#include "tests/unit/reinf/reinf_teste.h"

#include <algorithm>
#include <regex>

#include "dfe/ssl/dfe_ssl.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {

std::filesystem::path FixturesReinf() {
  return std::filesystem::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "reinf";
}

std::string FixtureReinf(std::string_view nome) {
  return ReadFile(FixturesReinf() / nome);
}

const std::filesystem::path& PastaSchemasReinf() {
  // Made on first use and removed when the program ends.
  static const TempDir pasta("luvaro-reinf-schemas");
  static const bool copiados = [] {
    CopySchemas(pasta.path());
    return true;
  }();
  (void)copiados;
  return pasta.path();
}

ReinfTest::ReinfTest() : m_comp(std::make_unique<reinf::TReinfComponente>(m_dir.path().string())) {
  reinf::TConfiguracoesReinf& c = m_comp->Configuracoes();
  c.Geral().SetSSLCryptLib(TSSLCryptLib::cryOpenSSL);
  c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  c.Geral().SetVersaoDF(reinf::TVersaoReinf::v1_04_00);
  c.Geral().SetExibirErroSchema(false);
  c.Geral().SetSalvar(true);
  c.Geral().SetIdContribuinte("12345678000195");
  c.WebServices().SetAmbiente(TTipoAmbiente::taHomologacao);
  c.Arquivos().SetPathSchemas(PastaSchemasReinf().string());
  m_comp->SSL().SetSSLCryptClass(std::make_unique<SoftwareKeyCrypt>(m_comp->SSL(), SharedKey()));
}

std::vector<std::string> ReinfTest::Arquivos(const std::filesystem::path& pasta) const {
  std::vector<std::string> nomes;
  const std::filesystem::path alvo = pasta.empty() ? PastaSalvar() : pasta;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(alvo, ec)) {
    nomes.push_back(e.path().filename().string());
  }
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

std::string ReinfTest::ComId(std::string_view fixture, std::string_view idNovo) {
  const std::string texto = FixtureReinf(fixture);
  return std::regex_replace(texto, std::regex("id=\"ID[0-9]+\""),
                            "id=\"" + std::string(idNovo) + "\"",
                            std::regex_constants::format_first_only);
}

}  // namespace luvaro::test
