// The EFD-Reinf event models built from data and from INI text, signed with the company key
// inside a SoftHSM2 token: every member in every layout that publishes its schema (the INI text
// the generator made from the schema, every field and optional group filled, two items in each
// list) built, valid against that schema (the component's validation and xmllint), and
// verified by xmlsec1 with its id reference; R-2070, which no layout publishes, verified by
// xmlsec1 only (its INI text too comes from the generator). Then the members' particular rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_eventos.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace luvaro::test {
namespace {

using namespace reinf;

const std::filesystem::path kFixtures =
    std::filesystem::path(LUVARO_SOURCE_DIR) / "reinf" / "modelos" / "ini";

std::size_t Ocorrencias(const std::string& texto, const std::string& parte) {
  std::size_t n = 0;
  for (std::size_t p = texto.find(parte); p != std::string::npos; p = texto.find(parte, p + 1)) ++n;
  return n;
}

TVersaoReinf VersaoDoTexto(const std::string& texto) {
  for (TVersaoReinf v : {TVersaoReinf::v1_03_00, TVersaoReinf::v1_03_02, TVersaoReinf::v1_04_00}) {
    if (TextoDaVersao(v) == texto) return v;
  }
  throw std::runtime_error("layout: " + texto);
}

class ReinfModelosTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TestToken::Shared();
    schemas_ = std::make_unique<TempDir>("luvaro-reinf-modelos-schemas");
    CopySchemas(schemas_->path());
  }
  static void TearDownTestSuite() { schemas_.reset(); }

  ReinfModelosTest() {
    m_comp.SSL().SetTokenEnv(&m_env);
    TConfiguracoesReinf& c = m_comp.Configuracoes();
    c.Geral().SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
    c.Geral().SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
    c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
    c.Geral().SetVersaoDF(TVersaoReinf::v1_04_00);
    c.Geral().SetExibirErroSchema(true);
    c.Arquivos().SetPathSchemas(schemas_->path().string());
    c.Arquivos().SetPathSalvar((m_dir / "eventos").string());
    c.Certificados().SetNumeroSerie(Certificado().serial);
    c.Certificados().SetSenha(std::string(TestToken::kPin));
  }

  static const TokenCertificate& Certificado() {
    return TestToken::Shared().Certificate("empresa");
  }

  // xmlsec1's verdict on a document whose event element carries the reference's id.
  ProcessResult Xmlsec(const std::string& documento, const std::string& elemento,
                       const std::string& schema, TVersaoReinf versao) {
    const auto arquivo = m_dir / "evento.xml";
    WriteFile(arquivo, documento);
    ProcessOptions options;
    options.args = {"--verify",
                    "--pubkey-cert-pem",
                    Certificado().pem.string(),
                    "--id-attr:id",
                    std::string(kNameSpaceBaseSchemas) + "/" + schema + "/v" +
                        TextoDaVersao(versao) + ":" + elemento,
                    arquivo.string()};
    return RunProcess("/usr/bin/xmlsec1", options);
  }

  ProcessResult Xmllint(const std::string& documento, const std::string& schema,
                        TVersaoReinf versao) {
    const auto arquivo = m_dir / "evento-xsd.xml";
    WriteFile(arquivo, documento);
    ProcessOptions options;
    options.args = {"--noout", "--schema",
                    (schemas_->path() / (schema + "-v" + TextoDaVersao(versao) + ".xsd")).string(),
                    arquivo.string()};
    return RunProcess("/usr/bin/xmllint", options);
  }

  TReinfEventos& Colecoes() { return m_comp.Eventos().ReinfEventos(); }

  // An R-1000 with the fields the layout requires.
  TevtInfoContri& NovoR1000(TTipoOperacao modo) {
    TevtInfoContri& e = Colecoes().R1000().Add().evtInfoContri();
    e.SetSequencial(1);
    e.ModoLancamento = modo;
    e.IdeEvento.VerProc = "Luvaro 1.0";
    e.ideContri().NrInsc = "12345678000195";
    e.infoContribuinte.idePeriodo.IniValid = "2024-01";
    TInfoCadastro& cadastro = e.infoContribuinte.infoCadastro();
    cadastro.ClassTrib = TpClassTrib::ct99;
    cadastro.Contato.NmCtt = "Maria da Silva";
    cadastro.Contato.CpfCtt = "12345678909";
    cadastro.infoEFR.ideEFR = TtpSimNao::tpNao;
    cadastro.infoEFR.cnpjEFR = "98765432000198";
    return e;
  }

  static std::unique_ptr<TempDir> schemas_;
  TempDir m_dir{"luvaro-reinf-modelos"};
  TokenEnvironment m_env{TestToken::SoftHsmModule()};  // outlives the component's facade
  TReinfComponente m_comp{m_dir.path().string()};
};
std::unique_ptr<TempDir> ReinfModelosTest::schemas_;

struct Membro {
  const char* codigo;
  const char* elemento;
  const char* schema;
};
constexpr Membro kMembros[] = {
    {"R-1000", "evtInfoContri", "evtInfoContribuinte"},
    {"R-1070", "evtTabProcesso", "evtTabProcesso"},
    {"R-2010", "evtServTom", "evtTomadorServicos"},
    {"R-2020", "evtServPrest", "evtPrestadorServicos"},
    {"R-2030", "evtAssocDespRec", "evtRecursoRecebidoAssociacao"},
    {"R-2040", "evtAssocDespRep", "evtRecursoRepassadoAssociacao"},
    {"R-2050", "evtComProd", "evtInfoProdRural"},
    {"R-2060", "evtCPRB", "evtInfoCPRB"},
    {"R-2070", "evtPgtosDivs", "evtPgtosDivs"},  // no published schema: signed, not validated
    {"R-2098", "evtReabreEvPer", "evtReabreEvPer"},
    {"R-2099", "evtFechaEvPer", "evtFechamento"},
    {"R-3010", "evtEspDesportivo", "evtEspDesportivo"},
    {"R-9000", "evtExclusao", "evtExclusao"},
};

TEST_F(ReinfModelosTest, CadaMembroEmCadaLeiauteValidoEAssinado) {
  std::vector<std::filesystem::path> fixtures;
  for (const auto& entrada : std::filesystem::directory_iterator(kFixtures))
    fixtures.push_back(entrada.path());
  std::sort(fixtures.begin(), fixtures.end());
  // Twelve members with a published schema and R-2070, each in three layouts.
  ASSERT_EQ(fixtures.size(), 39u);

  for (const auto& fixture : fixtures) {
    SCOPED_TRACE(fixture.filename().string());
    const std::string nome = fixture.stem().string();  // R-2010-1_04_00
    const TVersaoReinf versao = VersaoDoTexto(nome.substr(7));
    const Membro* membro = nullptr;
    for (const Membro& m : kMembros) {
      if (nome.compare(0, 6, m.codigo) == 0) membro = &m;
    }
    ASSERT_NE(membro, nullptr);

    m_comp.Eventos().Clear();
    m_comp.Configuracoes().Geral().SetVersaoDF(versao);
    try {
      ASSERT_TRUE(m_comp.Eventos().LoadFromStringINI(ReadFile(fixture)));
    } catch (const EDFeException& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    ASSERT_EQ(m_comp.Eventos().Count(), 1u);
    ASSERT_EQ(m_comp.Eventos().Gerados().Count(), 1u);
    const TGeradosCollectionItem& gerado = m_comp.Eventos().Gerados().Items(0);
    EXPECT_EQ(CodigoDoTipoEvento(gerado.TipoEvento), membro->codigo);

    const std::string documento = ReadFile(gerado.PathNome + ".xml");
    const std::string id = "ID1" + std::string("12345678000000");
    EXPECT_NE(documento.find(std::string("<") + membro->elemento + " id=\"" + id),
              std::string::npos);
    EXPECT_NE(documento.find("<Reference URI=\"#" + id), std::string::npos);
    const ProcessResult xmlsec = Xmlsec(documento, membro->elemento, membro->schema, versao);
    EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
    if (std::string_view(membro->codigo) == "R-2070") continue;
    const ProcessResult xmllint = Xmllint(documento, membro->schema, versao);
    EXPECT_EQ(xmllint.exitCode, 0) << xmllint.err;
  }
}

TEST_F(ReinfModelosTest, R2070AssinadoSemValidacao) {
  // No layout publishes R-2070's schema: the document is signed and kept as built.
  const std::string ini =
      "[evtPgtosDivs]\nSequencial=7\n[ideEvento]\nindRetif=1\nperApur=2018-05\nverProc=1.0\n"
      "[ideContri]\ntpInsc=1\nnrInsc=12345678000195\n"
      "[ideBenef]\ncodPgto=3208\ntpInscBenef=2\nnrInscBenef=12345678909\nnmRazaoBenef=Joao\n"
      "[infoMolestia]\ndtLaudo=02/03/2018\n[ideEstab]\nnrInsc=12345678000195\n"
      "[pgtoResidBR001]\ndtPgto=10/05/2018\nvlrRendTributavel=1234.5\nvlrIR=10\n"
      "[pgtoResidBR002]\ndtPgto=11/05/2018\nvlrRendTributavel=2000\n";
  ASSERT_TRUE(m_comp.Eventos().LoadFromStringINI(ini));
  const TevtPgtosDivs& e = Colecoes().R2070().Items(0).evtPgtosDivs();
  EXPECT_EQ(e.ideBenef.infoPgto.Count(), 2);
  EXPECT_NE(e.XML().find("<vlrRendTributavel>1234,50</vlrRendTributavel>"), std::string::npos);
  EXPECT_NE(e.XML().find("<dtLaudo>2018-03-02</dtLaudo>"), std::string::npos);
  const ProcessResult xmlsec =
      Xmlsec(e.XML(), "evtPgtosDivs", "evtPgtosDivs", TVersaoReinf::v1_04_00);
  EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
}

TEST_F(ReinfModelosTest, R1000ExclusaoSoComPeriodo) {
  TevtInfoContri& e = NovoR1000(TTipoOperacao::mlExclusao);
  ASSERT_TRUE(e.GerarXML());
  const std::string& xml = e.XML();
  EXPECT_NE(xml.find("<infoContri><exclusao><idePeriodo><iniValid>2024-01</iniValid>"
                     "</idePeriodo></exclusao></infoContri>"),
            std::string::npos)
      << xml;
  EXPECT_EQ(xml.find("infoCadastro"), std::string::npos);
}

TEST_F(ReinfModelosTest, R1000NovaValidadeSoQuandoAcessada) {
  TevtInfoContri& semNova = NovoR1000(TTipoOperacao::mlAlteracao);
  ASSERT_TRUE(semNova.GerarXML());
  EXPECT_FALSE(semNova.infoContribuinte.novaValidadeInst());
  EXPECT_NE(semNova.XML().find("<alteracao>"), std::string::npos);
  EXPECT_EQ(semNova.XML().find("novaValidade"), std::string::npos);

  TevtInfoContri& comNova = NovoR1000(TTipoOperacao::mlAlteracao);
  comNova.infoContribuinte.novaValidade().IniValid = "2024-06";
  ASSERT_TRUE(comNova.GerarXML());
  EXPECT_NE(comNova.XML().find("<novaValidade><iniValid>2024-06</iniValid></novaValidade>"),
            std::string::npos);

  // Accessed and left empty, it is still written: the schema refuses the empty period, and
  // the signed document stays in the event.
  TevtInfoContri& vazia = NovoR1000(TTipoOperacao::mlAlteracao);
  (void)vazia.infoContribuinte.novaValidade();
  EXPECT_THROW(vazia.GerarXML(), EDFeException);
  EXPECT_NE(vazia.XML().find("<novaValidade>"), std::string::npos);
  EXPECT_NE(vazia.XML().find("<Signature"), std::string::npos);
}

TEST_F(ReinfModelosTest, R1000EmpresaEOrgaoPublico) {
  struct Caso {
    TContribuinte tipo;
    const char* nrInsc;
    bool comEFR;
  };
  for (const Caso& caso :
       {Caso{TContribuinte::tcPessoaJuridica, "<nrInsc>12345678</nrInsc>", false},
        Caso{TContribuinte::tcOrgaoPublico, "<nrInsc>12345678000195</nrInsc>", true}}) {
    SCOPED_TRACE(static_cast<int>(caso.tipo));
    m_comp.Configuracoes().Geral().SetTipoContribuinte(caso.tipo);
    TevtInfoContri& e = NovoR1000(TTipoOperacao::mlInclusao);
    ASSERT_TRUE(e.GerarXML());
    EXPECT_NE(e.XML().find(caso.nrInsc), std::string::npos);
    EXPECT_EQ(e.XML().find("<infoEFR><ideEFR>N</ideEFR><cnpjEFR>98765432000198</cnpjEFR>"
                           "</infoEFR>") != std::string::npos,
              caso.comEFR);
    // The identifier names the company's root, the public body's whole number.
    EXPECT_EQ(e.Id().substr(0, 17), caso.comEFR ? "ID112345678000195" : "ID112345678000000");
  }
}

TEST_F(ReinfModelosTest, R2099FlagsAteOutubroDe2018) {
  for (const char* periodo : {"2018-10", "2018-11"}) {
    SCOPED_TRACE(periodo);
    const std::string ini = std::string("[evtFechaEvPer]\n[ideEvento]\nperApur=") + periodo +
                            "\nverProc=1.0\n[ideContri]\ntpInsc=1\nnrInsc=12345678000195\n"
                            "[infoFech]\nevtServTm=S\nevtServPr=N\nevtAssDespRec=N\n"
                            "evtAssDespRep=N\nevtComProd=N\nevtCPRB=N\nevtPgtos=N\n"
                            "compSemMovto=2018-01\n";
    m_comp.Eventos().Clear();
    ASSERT_TRUE(m_comp.Eventos().LoadFromStringINI(ini));
    const std::string& xml = Colecoes().R2099().Items(0).evtFechaEvPer().XML();
    const bool ate = std::string(periodo) == "2018-10";
    EXPECT_EQ(xml.find("<evtPgtos>N</evtPgtos>") != std::string::npos, ate) << xml;
    EXPECT_EQ(xml.find("<compSemMovto>2018-01</compSemMovto>") != std::string::npos, ate);
  }
}

TEST_F(ReinfModelosTest, R1000SemSoftwareHouseEComCem) {
  std::string ini = ReadFile(kFixtures / "R-1000-1_04_00.ini");
  const std::size_t inicio = ini.find("[softHouse01]");
  const std::size_t fim = ini.find("[infoEFR]");
  ASSERT_NE(inicio, std::string::npos);
  ini.erase(inicio, fim - inicio);
  ASSERT_TRUE(m_comp.Eventos().LoadFromStringINI(ini));
  EXPECT_EQ(Colecoes().R1000().Items(0).evtInfoContri().XML().find("softHouse"), std::string::npos);

  // One hundred software houses: all written, and the writer's alert names the limit.
  TevtInfoContri& e = NovoR1000(TTipoOperacao::mlInclusao);
  for (int i = 0; i < 100; ++i) {
    TSoftwareHouseCollectionItem& casa = e.infoContribuinte.infoCadastro().SoftwareHouse.New();
    casa.CnpjSoftHouse = "11222333000181";
    casa.NmRazao = "Casa " + std::to_string(i);
    casa.NmCont = "Contato";
  }
  ASSERT_TRUE(e.GerarXML());
  EXPECT_EQ(Ocorrencias(e.XML(), "<softHouse>"), 100u);
  const std::vector<std::string>& alertas = e.Gerador().ListaDeAlertas();
  ASSERT_EQ(alertas.size(), 1u);
  EXPECT_NE(alertas[0].find("Lista de Software House"), std::string::npos) << alertas[0];
  EXPECT_NE(alertas[0].find("Máximo 99"), std::string::npos) << alertas[0];
}

TEST_F(ReinfModelosTest, R2010ValoresComVirgulaELimites) {
  TevtServTom& e = Colecoes().R2010().Add().evtServTom();
  e.IdeEvento.perApur = "2024-01";
  e.IdeEvento.VerProc = "1.0";
  e.ideContri().NrInsc = "12345678000195";
  TideEstabObra& estab = e.infoServTom.ideEstabObra;
  estab.nrInscEstab = "12345678000195";
  TidePrestServ& prestador = estab.idePrestServ;
  prestador.cnpjPrestador = "11222333000181";
  prestador.vlrTotalBruto = 1234.5;
  prestador.vlrTotalBaseRet = 1000;
  prestador.vlrTotalRetPrinc = 110;
  TnfsCollectionItem& nota = prestador.nfs.New();
  nota.serie = "1";
  nota.numDocto = "123";
  nota.dtEmissaoNF = encodeDateTime(2024, 1, 10);
  nota.vlrBruto = 1234.5;
  for (int i = 0; i < 10; ++i) {
    TinfoTpServCollectionItem& tipo = nota.infoTpServ.New();
    tipo.tpServico = "100000001";
    tipo.vlrBaseRet = 100;
    tipo.vlrRetencao = 11;
  }
  for (int i = 0; i < 51; ++i) {
    TinfoProcRetPrCollectionItem& processo = prestador.infoProcRetPr.New();
    processo.nrProcRetPrinc = "123";
    processo.valorPrinc = 1;
  }
  // Too many items for the schema: the writer's alerts tell, the validation refuses it.
  EXPECT_THROW(e.GerarXML(), EDFeException);
  EXPECT_NE(e.XML().find("<vlrTotalBruto>1234,50</vlrTotalBruto>"), std::string::npos);
  EXPECT_EQ(Ocorrencias(e.XML(), "<infoTpServ>"), 10u);
  EXPECT_EQ(Ocorrencias(e.XML(), "<infoProcRetPr>"), 51u);
  std::string alertas;
  for (const std::string& a : e.Gerador().ListaDeAlertas()) alertas += a + "\n";
  EXPECT_NE(alertas.find("Lista de Informações sobre os tipos de serviços"), std::string::npos)
      << alertas;
  EXPECT_NE(alertas.find("Máximo 9"), std::string::npos);
  EXPECT_NE(alertas.find("Lista de Processos"), std::string::npos);
  EXPECT_NE(alertas.find("Máximo 50"), std::string::npos);
  EXPECT_EQ(alertas.find("Lista de Notas Fiscais"), std::string::npos);

  // Within the limits it is valid.
  nota.infoTpServ.Clear();
  nota.infoTpServ.New() = {"100000001", 100, 11};
  prestador.infoProcRetPr.Clear();
  ASSERT_TRUE(e.GerarXML());
  EXPECT_TRUE(e.Gerador().ListaDeAlertas().empty());
  EXPECT_EQ(Xmlsec(e.XML(), "evtServTom", "evtTomadorServicos", TVersaoReinf::v1_04_00).exitCode,
            0);
}

TEST_F(ReinfModelosTest, AssinarEventosGeraESalva) {
  NovoR1000(TTipoOperacao::mlInclusao);
  NovoR1000(TTipoOperacao::mlExclusao);
  m_comp.Configuracoes().Geral().SetSalvar(true);
  m_comp.AssinarEventos();
  ASSERT_EQ(m_comp.Eventos().Gerados().Count(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const TGeradosCollectionItem& gerado = m_comp.Eventos().Gerados().Items(i);
    EXPECT_TRUE(std::filesystem::exists(gerado.PathNome + ".xml"));
    EXPECT_NE(ReadFile(gerado.PathNome + ".xml").find("<Signature"), std::string::npos);
  }
}

TEST_F(ReinfModelosTest, LoadFromIniLeArquivoNaoReconhecidoNadaCarrega) {
  const auto arquivo = m_dir / "r1000.ini";
  WriteFile(arquivo, ReadFile(kFixtures / "R-1000-1_04_00.ini"));
  EXPECT_TRUE(m_comp.Eventos().LoadFromIni(arquivo.string()));
  EXPECT_EQ(Colecoes().R1000().Count(), 1u);

  m_comp.Eventos().Clear();
  EXPECT_FALSE(m_comp.Eventos().LoadFromStringINI("[evtDesconhecido]\nSequencial=1\n"));
  EXPECT_EQ(m_comp.Eventos().Count(), 0u);
}

}  // namespace
}  // namespace luvaro::test
