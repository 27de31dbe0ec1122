// The road of a send run up to the lot, on a real token: ready event documents loaded one per
// call as the eSocial worker loads them, signed with the company key inside a SoftHSM2 token,
// read, validated and saved; every signature verified by xmlsec1 and every document checked
// by xmllint against the published schemas, and the lot built from them as well.

#include <gtest/gtest.h>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "esocial/esocial_exception.h"
#include "esocial/eventos.h"
#include "esocial/lote_eventos.h"
#include "tests/support/process.h"
#include "tests/support/token.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::TestToken;

class AssinaturaTokenTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { TestToken::Shared(); }

  void SetUp() override {
    componente->SSL().SetTokenEnv(env.get());
    TConfiguracoeseSocial& c = componente->Configuracoes();
    c.Certificados().SetNumeroSerie(TestToken::Shared().Certificate("empresa").serial);
    c.Certificados().SetSenha(std::string(TestToken::kPin));
  }

  // xmlsec1's verdict on a signed event document, with the company certificate's key.
  test::ProcessResult Xmlsec(const std::filesystem::path& arquivo) const {
    return test::VerificarXmlsec(arquivo, TestToken::Shared().Certificate("empresa").pem);
  }

  test::ProcessResult Xmllint(const std::filesystem::path& arquivo,
                              const std::string& schema) const {
    return test::ValidarXmllint(arquivo, schema);
  }

  test::TempDir dir{"luvaro-esocial-token"};
  std::unique_ptr<TokenEnvironment> env =
      std::make_unique<TokenEnvironment>(TestToken::SoftHsmModule());  // outlives the component
  std::unique_ptr<TeSocialComponente> componente = test::NovoComponente(dir.path(), false);
};

TEST_F(AssinaturaTokenTest, EventosAssinadosNoTokenEOLoteDeles) {
  const auto& fixtures = test::FixturesEvento();
  TEventos& eventos = componente->Eventos();
  for (int i : {5, 2, 7, 0, 6, 3, 1, 4}) {
    SCOPED_TRACE(fixtures[static_cast<std::size_t>(i)].arquivo);
    EXPECT_TRUE(eventos.LoadFromString(
        test::LerFixtureEsocial(fixtures[static_cast<std::size_t>(i)].arquivo)));
  }
  ASSERT_EQ(eventos.Count(), 8);

  // The files saved after the last piece hold each event's signed document.
  const std::filesystem::path docs = dir.path() / "Docs";
  ASSERT_EQ(eventos.Gerados().size(), 8u);
  for (const TGeradosCollectionItem& gerado : eventos.Gerados()) {
    SCOPED_TRACE(gerado.PathNome);
    const std::filesystem::path arquivo = gerado.PathNome + ".xml";
    EXPECT_EQ(test::ReadFile(arquivo), gerado.XML + "\r\n");
    const test::ProcessResult xmlsec = Xmlsec(arquivo);
    EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
    EXPECT_NE(xmlsec.err.find("OK"), std::string::npos) << xmlsec.err;

    const TipoEventoCarregavel* linha = TipoEventoCarregavelDe(gerado.TipoEvento);
    ASSERT_NE(linha, nullptr);
    const test::ProcessResult xmllint =
        Xmllint(arquivo, NomeDoSchema(linha->schema) + "-v02_05_00.xsd");
    EXPECT_EQ(xmllint.exitCode, 0) << xmllint.err;
    EXPECT_EQ(
        gerado.PathNome,
        (docs / (gerado.idEvento + "-" + CodigoDoTipoEvento(gerado.TipoEvento) + "-0")).string());
  }

  componente->Configuracoes().Geral().SetExibirErroSchema(true);
  TLoteEventos lote(*componente);
  lote.IdeEmpregador().SetNrInsc("12345678000195");
  lote.IdeTransmissor().SetNrInsc("12345678000195");
  lote.GerarXML(1);
  ASSERT_EQ(lote.Count(), 8);
  test::WriteFile(dir.path() / "lote.xml", lote.XML());
  const test::ProcessResult xmllint =
      Xmllint(dir.path() / "lote.xml", "EnvioLoteEventos-v1_1_1.xsd");
  EXPECT_EQ(xmllint.exitCode, 0) << xmllint.err;
}

// As the worker configures it (layout version 5): every event is signed, its schema file
// evt...-v.xsd does not exist, the short text is raised (saying that the file is missing, which
// the workers do not report), and the signed event stays in the container and goes into the lot.
TEST_F(AssinaturaTokenTest, VersaoDoProgramaAssinaMasNaoValida) {
  componente->Configuracoes().Geral().SetVersaoDF(static_cast<TVersaoeSocial>(5));
  TEventos& eventos = componente->Eventos();
  try {
    eventos.LoadFromString(test::LerFixtureEsocial("s2190-adm-prelim.xml"));
    FAIL() << "validated without a schema file";
  } catch (const EeSocialValidacao& e) {
    EXPECT_STREQ(e.what(), "Falha na validação dos dados do evento: evtAdmPrelim-v\r\n");
    EXPECT_TRUE(e.SchemaAusente());
  }
  ASSERT_EQ(eventos.Count(), 1);
  const TEvtAdmPrelim& evento = eventos.NaoPeriodicos().S2190().Items(0).EvtAdmPrelim();
  EXPECT_EQ(evento.Id(), "ID1123456780000002024030112000000005");
  test::WriteFile(dir.path() / "evento.xml", evento.XML());
  const test::ProcessResult xmlsec = Xmlsec(dir.path() / "evento.xml");
  EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;

  TLoteEventos lote(*componente);
  lote.GerarXML(1);
  EXPECT_EQ(lote.Count(), 1);
  EXPECT_EQ(lote.Items(0).IDEvento(), evento.Id());
}

// A certificate without its key on the token cannot sign: the failure comes from the store.
// Only signed events may travel in a lot, so the document leaves the container again; an event
// assigned directly keeps the document as delivered.
TEST_F(AssinaturaTokenTest, CertificadoSemChaveNaoAssina) {
  componente->Configuracoes().Certificados().SetNumeroSerie(
      TestToken::Shared().Certificate("semchave").serial);
  const std::string documento = test::LerFixtureEsocial("s1000-info-empregador.xml");
  EXPECT_THROW(componente->Eventos().LoadFromString(documento), EDFeException);
  EXPECT_EQ(componente->Eventos().Count(), 0);

  TevtInfoEmpregador evento(componente.get());
  EXPECT_THROW(evento.SetXML(DividirEventos(documento).at(0)), EDFeException);
  EXPECT_EQ(evento.XML(), DividirEventos(documento).at(0)) << "the piece as delivered";
  EXPECT_EQ(evento.Id(), "");
}

}  // namespace
}  // namespace luvaro
