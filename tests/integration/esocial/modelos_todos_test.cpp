// Every event model in every layout that has it: the INI text the generator made from the
// layout's schema (every field and optional group filled, two items in each list; the templates
// that luvaro-eventos --modelo prints, the employer event's among them) is read
// through the container, built, signed with the company key inside a SoftHSM2 token and
// validated against the published schema of that layout; xmlsec1 verifies each signature and
// xmllint checks each document once more.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "esocial/eventos.h"
#include "tests/support/token.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::TestToken;

struct FixtureModelo {
  std::filesystem::path arquivo;
  std::string codigo;  // "S-1200"
  TVersaoeSocial versao;
};

// The generator's INI texts, "<code>-<version>.ini".
std::vector<FixtureModelo> FixturesModelo() {
  std::vector<FixtureModelo> fixtures;
  const std::filesystem::path pasta =
      std::filesystem::path(LUVARO_SOURCE_DIR) / "esocial" / "modelos" / "ini";
  for (const auto& entrada : std::filesystem::directory_iterator(pasta)) {
    const std::string nome = entrada.path().stem().string();  // S-1200-02_05_00
    const std::string texto = nome.substr(7);
    TVersaoeSocial versao = TVersaoeSocial::ve02_04_01;
    for (TVersaoeSocial v :
         {TVersaoeSocial::ve02_04_01, TVersaoeSocial::ve02_04_02, TVersaoeSocial::ve02_05_00}) {
      if (TextoDaVersao(v) == texto) versao = v;
    }
    fixtures.push_back({entrada.path(), nome.substr(0, 6), versao});
  }
  std::sort(fixtures.begin(), fixtures.end(),
            [](const auto& a, const auto& b) { return a.arquivo < b.arquivo; });
  return fixtures;
}

TEST(ModelosTodosTest, CadaEventoEmCadaLeiauteValidoEAssinado) {
  TestToken::Shared();
  test::TempDir dir("luvaro-modelos-todos");
  const auto env = std::make_unique<TokenEnvironment>(TestToken::SoftHsmModule());
  const std::unique_ptr<TeSocialComponente> componente = test::NovoComponente(dir.path(), false);
  componente->SSL().SetTokenEnv(env.get());
  TConfiguracoeseSocial& c = componente->Configuracoes();
  c.Certificados().SetNumeroSerie(TestToken::Shared().Certificate("empresa").serial);
  c.Certificados().SetSenha(std::string(TestToken::kPin));
  c.Geral().SetExibirErroSchema(true);

  const std::vector<FixtureModelo> fixtures = FixturesModelo();
  // 42 events, 40 of them in three layouts, the toxicology and training events only in 2.5.
  ASSERT_EQ(fixtures.size(), 122u);
  for (const FixtureModelo& fixture : fixtures) {
    SCOPED_TRACE(fixture.arquivo.filename().string());
    componente->Eventos().Clear();
    c.Geral().SetVersaoDF(fixture.versao);
    try {
      ASSERT_TRUE(componente->Eventos().LoadFromStringINI(test::ReadFile(fixture.arquivo)));
    } catch (const EDFeException& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    const TEventos& eventos = componente->Eventos();
    ASSERT_EQ(eventos.Count(), 1);
    ASSERT_EQ(eventos.Gerados().size(), 1u);
    const TGeradosCollectionItem& gerado = eventos.Gerados()[0];
    EXPECT_EQ(CodigoDoTipoEvento(gerado.TipoEvento), fixture.codigo);

    const std::filesystem::path arquivo = gerado.PathNome + ".xml";
    const test::ProcessResult xmlsec =
        test::VerificarXmlsec(arquivo, TestToken::Shared().Certificate("empresa").pem);
    EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
    const TipoEventoCarregavel* linha = TipoEventoCarregavelDe(gerado.TipoEvento);
    ASSERT_NE(linha, nullptr);
    const test::ProcessResult xmllint = test::ValidarXmllint(
        arquivo, NomeDoSchema(linha->schema) + "-v" + TextoDaVersao(fixture.versao) + ".xsd");
    EXPECT_EQ(xmllint.exitCode, 0) << xmllint.err;
  }
}

}  // namespace
}  // namespace luvaro
