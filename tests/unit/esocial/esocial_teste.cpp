#include "tests/unit/esocial/esocial_teste.h"

#include <algorithm>

#include "dfe/ssl/dfe_ssl.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {

const std::vector<FixtureEvento>& FixturesEvento() {
  static const std::vector<FixtureEvento> fixtures = {
      {"s1000-info-empregador.xml", TTipoEvento::teS1000, "ID1123456780000002024030112000000001"},
      {"s1005-tab-estab.xml", TTipoEvento::teS1005, "ID1123456780000002024030112000000002"},
      {"s1298-reabre-ev-per.xml", TTipoEvento::teS1298, "ID1123456780000002024030112000000003"},
      {"s1299-fecha-ev-per.xml", TTipoEvento::teS1299, "ID1123456780000002024030112000000004"},
      {"s2190-adm-prelim.xml", TTipoEvento::teS2190, "ID1123456780000002024030112000000005"},
      {"s2221-toxic.xml", TTipoEvento::teS2221, "ID1123456780000002024030112000000006"},
      {"s2245-trei-cap.xml", TTipoEvento::teS2245, "ID1123456780000002024030112000000007"},
      {"s3000-exclusao.xml", TTipoEvento::teS3000, "ID1123456780000002024030112000000008"},
  };
  return fixtures;
}

std::string LerFixtureEsocial(std::string_view nome) {
  return ReadFile(std::filesystem::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "esocial" /
                  nome);
}

const std::filesystem::path& PastaSchemas() {
  static const TempDir pasta("luvaro-esocial-schemas");
  static const bool copiados = (CopySchemas(pasta.path()), true);
  (void)copiados;
  return pasta.path();
}

std::unique_ptr<TeSocialComponente> NovoComponente(const std::filesystem::path& pasta,
                                                   bool chaveEmSoftware) {
  auto componente = std::make_unique<TeSocialComponente>(pasta.string());
  TConfiguracoeseSocial& c = componente->Configuracoes();
  c.Geral().SetSSLLib(TSSLLib::libWinCrypt);
  c.Geral().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  c.Geral().SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  c.Geral().SetExibirErroSchema(false);
  c.Geral().SetVersaoDF(TVersaoeSocial::ve02_05_00);
  c.Geral().SetIdEmpregador("12345678000195");
  c.Geral().SetIdTransmissor("12345678000195");
  c.Arquivos().SetPathSalvar((pasta / "Docs").string());
  c.Arquivos().SetPathSchemas(PastaSchemas().string());
  if (chaveEmSoftware) {
    TDFeSSL& ssl = componente->SSL();
    ssl.SetSSLCryptClass(std::make_unique<SoftwareKeyCrypt>(ssl, SharedKey()));
  }
  return componente;
}

std::string DocumentoAssinado(std::string_view elemento, std::string_view id,
                              std::string_view conteudo) {
  std::string doc = "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/";
  doc += elemento;
  doc += "/v02_05_00\"><";
  doc += elemento;
  doc += " Id=\"";
  doc += id;
  doc += "\">";
  doc += conteudo;
  doc += "</";
  doc += elemento;
  doc += "><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo/></Signature>";
  doc += "</eSocial>";
  return doc;
}

ProcessResult VerificarXmlsec(const std::filesystem::path& arquivo,
                              const std::filesystem::path& certPem) {
  ProcessOptions options;
  options.args = {"--verify", "--pubkey-cert-pem", certPem.string(), arquivo.string()};
  return RunProcess("/usr/bin/xmlsec1", options);
}

ProcessResult ValidarXmllint(const std::filesystem::path& arquivo, const std::string& schema) {
  ProcessOptions options;
  options.args = {"--noout", "--nonet", "--schema", (PastaSchemas() / schema).string(),
                  arquivo.string()};
  return RunProcess("/usr/bin/xmllint", options);
}

std::vector<std::string> Arquivos(const std::filesystem::path& pasta) {
  std::vector<std::string> nomes;
  std::error_code ec;
  for (const auto& entrada : std::filesystem::directory_iterator(pasta, ec)) {
    if (entrada.is_regular_file()) nomes.push_back(entrada.path().filename().string());
  }
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

}  // namespace luvaro::test
