// The EFD-Reinf component signing on a real token: every loaded event and every event inside
// the lot is accepted by xmlsec1 (Reference "#" + the event's id), the lot passes its schema,
// and a changed event is refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "reinf/lote_eventos.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_eventos.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace luvaro::test {
namespace {

using namespace reinf;

std::string Fixture(std::string_view nome) {
  return ReadFile(std::filesystem::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "reinf" / nome);
}

struct Evento {
  const char* fixture;
  const char* elemento;
  const char* schema;  // the schema base name, also the last part of the namespace path
};
constexpr Evento kEventos[] = {
    {"r2010-servico-tomado.xml", "evtServTom", "evtTomadorServicos"},
    {"r1000-info-contribuinte.xml", "evtInfoContri", "evtInfoContribuinte"},
    {"r2099-fechamento.xml", "evtFechaEvPer", "evtFechamento"},
    {"r2098-reabertura.xml", "evtReabreEvPer", "evtReabreEvPer"},
};

class ReinfTokenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TestToken::Shared();
    schemas_ = std::make_unique<TempDir>("luvaro-reinf-token-schemas");
    CopySchemas(schemas_->path());
  }
  static void TearDownTestSuite() { schemas_.reset(); }

  ReinfTokenTest() {
    m_comp.SSL().SetTokenEnv(&m_env);
    TConfiguracoesReinf& c = m_comp.Configuracoes();
    c.Geral().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    c.Geral().SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
    c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    c.Geral().SetVersaoDF(TVersaoReinf::v1_04_00);
    c.Geral().SetExibirErroSchema(true);
    c.Arquivos().SetPathSchemas(schemas_->path().string());
    c.Certificados().SetNumeroSerie(Certificado().serial);
    c.Certificados().SetSenha(std::string(TestToken::kPin));
  }

  static const TokenCertificate& Certificado() {
    return TestToken::Shared().Certificate("empresa");
  }

  // xmlsec1's verdict on one event document.
  ProcessResult Xmlsec(const std::string& documento, const Evento& e) {
    const auto arquivo = m_dir / "evento.xml";
    WriteFile(arquivo, documento);
    ProcessOptions options;
    options.args = {"--verify",
                    "--pubkey-cert-pem",
                    Certificado().pem.string(),
                    "--id-attr:id",
                    std::string("http://www.reinf.esocial.gov.br/schemas/") + e.schema +
                        "/v1_04_00:" + e.elemento,
                    arquivo.string()};
    return RunProcess("/usr/bin/xmlsec1", options);
  }

  static std::unique_ptr<TempDir> schemas_;
  TempDir m_dir{"luvaro-reinf-token"};
  TokenEnvironment m_env{TestToken::SoftHsmModule()};  // outlives the component's facade
  TReinfComponente m_comp{m_dir.path().string()};
};
std::unique_ptr<TempDir> ReinfTokenTest::schemas_;

TEST_F(ReinfTokenTest, EventosELoteAceitosPeloXmlsec) {
  for (const Evento& e : kEventos) {
    SCOPED_TRACE(e.fixture);
    ASSERT_TRUE(m_comp.Eventos().LoadFromString(Fixture(e.fixture)));
  }
  ASSERT_EQ(m_comp.Eventos().Count(), 4u);

  TReinfEventos& colecoes = m_comp.Eventos().ReinfEventos();
  const TReinfEvento* eventos[] = {
      &colecoes.R2010().Items(0).evtServTom(), &colecoes.R1000().Items(0).evtInfoContri(),
      &colecoes.R2099().Items(0).evtFechaEvPer(), &colecoes.R2098().Items(0).evtReabreEvPer()};
  for (std::size_t i = 0; i < std::size(kEventos); ++i) {
    SCOPED_TRACE(kEventos[i].fixture);
    const std::string& xml = eventos[i]->XML();
    EXPECT_NE(xml.find("<Reference URI=\"#" + eventos[i]->Id() + "\">"), std::string::npos);
    const ProcessResult r = Xmlsec(xml, kEventos[i]);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("OK"), std::string::npos) << r.err;
  }

  // The lot passes its schema (ExibirErroSchema would raise) and carries the events verbatim,
  // each still verifiable on its own.
  TLoteEventos lote(m_comp);
  ASSERT_NO_THROW(lote.GerarXML());
  const std::string& xml = lote.XML();
  const Evento* ordem[] = {&kEventos[1], &kEventos[0], &kEventos[3], &kEventos[2]};
  std::size_t pos = 0;
  for (const Evento* e : ordem) {
    SCOPED_TRACE(e->fixture);
    const std::size_t inicio = xml.find("\"> <Reinf", pos);
    ASSERT_NE(inicio, std::string::npos);
    const std::size_t fim = xml.find("</evento>", inicio);
    const std::string documento = xml.substr(inicio + 3, fim - inicio - 3);
    EXPECT_NE(documento.find(std::string("<") + e->elemento + " id="), std::string::npos);
    const ProcessResult r = Xmlsec(documento, *e);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    pos = fim;
  }
}

TEST_F(ReinfTokenTest, EventoAlteradoRecusado) {
  ASSERT_TRUE(m_comp.Eventos().LoadFromString(Fixture(kEventos[0].fixture)));
  std::string xml = m_comp.Eventos().ReinfEventos().R2010().Items(0).evtServTom().XML();
  xml = replaceAll(xml, "<vlrBruto>1500,00</vlrBruto>", "<vlrBruto>1600,00</vlrBruto>");
  const ProcessResult r = Xmlsec(xml, kEventos[0]);
  EXPECT_NE(r.exitCode, 0) << r.err;
}

}  // namespace
}  // namespace luvaro::test
