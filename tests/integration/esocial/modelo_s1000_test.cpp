// The employer event (S-1000) built from data and from INI text: signed with the company key
// inside a SoftHSM2 token, valid against the published schema of its layout, its signature
// verified by xmlsec1; the rules no schema can tell (what a CPF employer, a classification,
// a mode or a zero date leave out) and the INI form with its defaults.

#include <gtest/gtest.h>

#include <regex>

#include "dfe/config/ini_values.h"
#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/dfe_ssl.h"
#include "esocial/eventos.h"
#include "tests/support/token.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::TestToken;

// An S-1000 INI filling every group the Part lists, two software houses.
constexpr const char* kIniCompleto = R"([evtInfoEmpregador]
Sequencial=7
ModoLancamento=inclusao

[ideEvento]
tpAmb=2
procEmi=1
verProc=Luvaro 1.0

[ideEmpregador]
tpInsc=1
nrInsc=12345678000195

[idePeriodo]
iniValid=2024-01

[infoCadastro]
nmRazao=Empresa de Teste Ltda
classTrib=07
natJurid=2062
indCoop=1
indConstr=1
indDesFolha=1
indOpcCP=2
indOptRegEletron=1
indEntEd=N
indEtt=N
nrRegEtt=123456

[dadosIsencao]
ideMinLei=Ministerio da Saude
nrCertif=CERT-001
dtEmisCertif=10/01/2023
dtVencCertif=10/01/2026
nrProtRenov=PROT-9
dtProtRenov=05/12/2025
dtDou=0
pagDou=12

[contato]
nmCtt=Maria da Silva
cpfCtt=12345678909
foneFixo=1133334444
foneCel=11999998888
email=maria@empresa.com.br

[infoOP]
nrSiafi=123456

[infoEFR]
ideEFR=N
cnpjEFR=11222333000181

[infoEnte]
nmEnte=Municipio de Teste
uf=RS
codMunic=4314902
indRPPS=N
subteto=9
vrSubteto=35462,22

[infoOrgInternacional]
indAcordoIsenMulta=1

[softwareHouse01]
cnpjSoftHouse=11222333000181
nmRazao=Software Um Ltda
nmCont=Joao
telefone=1130304040
email=joao@um.com.br

[softwareHouse02]
cnpjSoftHouse=44555666000172
nmRazao=Software Dois Ltda
nmCont=Ana
telefone=1130305050

[softwareHouse04]
cnpjSoftHouse=77888999000100
nmRazao=Depois do fim

[infoComplementares]
indSitPJ=0
)";

class ModeloS1000Test : public testing::Test {
 protected:
  static void SetUpTestSuite() { TestToken::Shared(); }

  void SetUp() override {
    componente->SSL().SetTokenEnv(env.get());
    TConfiguracoeseSocial& c = componente->Configuracoes();
    c.Certificados().SetNumeroSerie(TestToken::Shared().Certificate("empresa").serial);
    c.Certificados().SetSenha(std::string(TestToken::kPin));
    c.Geral().SetExibirErroSchema(true);
  }

  TevtInfoEmpregador& NovoEvento() {
    TevtInfoEmpregador& e = componente->Eventos().Iniciais().S1000().New().evtInfoEmpregador();
    e.ideEvento.VerProc = "Luvaro 1.0";
    e.ideEmpregador().SetNrInsc("12345678000195");
    e.infoEmpregador.idePeriodo.IniValid = "2024-01";
    s1000::TInfoCadastro& info = e.infoEmpregador.infoCadastro;
    info.NmRazao = "Empresa de Teste";
    info.NatJurid = "2062";
    info.Contato.NmCtt = "Maria";
    info.Contato.CpfCtt = "12345678909";
    return e;
  }

  // The signed document written to a file, its signature checked by xmlsec1.
  void VerificarAssinatura(const TeSocialEvento& evento) const {
    const std::filesystem::path arquivo = dir.path() / "evento.xml";
    test::WriteFile(arquivo, evento.XML());
    const test::ProcessResult xmlsec =
        test::VerificarXmlsec(arquivo, TestToken::Shared().Certificate("empresa").pem);
    EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
  }

  test::TempDir dir{"luvaro-modelo-s1000"};
  std::unique_ptr<TokenEnvironment> env =
      std::make_unique<TokenEnvironment>(TestToken::SoftHsmModule());  // outlives the component
  std::unique_ptr<TeSocialComponente> componente = test::NovoComponente(dir.path(), false);
};

// The content of one element of a document, or nothing when it is absent.
std::optional<std::string> Elemento(const std::string& xml, const std::string& tag) {
  const std::size_t inicio = xml.find("<" + tag + ">");
  if (inicio == std::string::npos) return std::nullopt;
  const std::size_t conteudo = inicio + tag.size() + 2;
  return xml.substr(conteudo, xml.find("</" + tag + ">", conteudo) - conteudo);
}

std::size_t Ocorrencias(const std::string& texto, const std::string& trecho) {
  std::size_t n = 0;
  for (std::size_t p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + 1)) {
    ++n;
  }
  return n;
}

TEST_F(ModeloS1000Test, IniCompletoNoContainerDaDocumentoValidoEAssinado) {
  for (TVersaoeSocial versao :
       {TVersaoeSocial::ve02_04_01, TVersaoeSocial::ve02_04_02, TVersaoeSocial::ve02_05_00}) {
    SCOPED_TRACE(TextoDaVersao(versao));
    componente->Eventos().Clear();
    componente->Configuracoes().Geral().SetVersaoDF(versao);
    // Validation failures raise (ExibirErroSchema on), so loading is the schema check.
    ASSERT_TRUE(componente->Eventos().LoadFromStringINI(kIniCompleto));
    ASSERT_EQ(componente->Eventos().Count(), 1);
    const TevtInfoEmpregador& evento =
        componente->Eventos().Iniciais().S1000().Items(0).evtInfoEmpregador();
    const std::string& xml = evento.XML();

    EXPECT_TRUE(std::regex_match(evento.Id(), std::regex("ID1123456780000002\\d{13}00007")))
        << evento.Id();
    EXPECT_NE(xml.find("<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtInfoEmpregador/v" +
                       TextoDaVersao(versao) + "\"><evtInfoEmpregador Id=\"" + evento.Id() +
                       "\"><ideEvento><tpAmb>2</tpAmb><procEmi>1</procEmi>"
                       "<verProc>Luvaro 1.0</verProc></ideEvento><ideEmpregador><tpInsc>1</tpInsc>"
                       "<nrInsc>12345678</nrInsc></ideEmpregador><infoEmpregador><inclusao>"
                       "<idePeriodo><iniValid>2024-01</iniValid></idePeriodo><infoCadastro>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(Elemento(xml, "indOpcCP"), versao == TVersaoeSocial::ve02_05_00
                                             ? std::optional<std::string>("2")
                                             : std::nullopt);
    EXPECT_EQ(Elemento(xml, "dtEmisCertif"), "2023-01-10");
    EXPECT_EQ(Elemento(xml, "dtProtRenov"), "2025-12-05");
    EXPECT_EQ(Elemento(xml, "dtDou"), std::nullopt) << "a zero date is left out";
    EXPECT_EQ(Elemento(xml, "infoEFR"), "<ideEFR>N</ideEFR><cnpjEFR>11222333000181</cnpjEFR>");
    EXPECT_EQ(Elemento(xml, "infoEnte"),
              "<nmEnte>Municipio de Teste</nmEnte><uf>RS</uf><codMunic>4314902</codMunic>"
              "<indRPPS>N</indRPPS><subteto>9</subteto><vrSubteto>35462.22</vrSubteto>");
    EXPECT_EQ(Ocorrencias(xml, "<softwareHouse>"), 2u) << "the list ends at softwareHouse03";
    EXPECT_EQ(Elemento(xml, "infoComplementares"),
              "<situacaoPJ><indSitPJ>0</indSitPJ></situacaoPJ>");
    EXPECT_EQ(evento.Gerador().ListaDeAlertas(), std::vector<std::string>{});

    // Saved by the container under the digits of its Id, and verified by xmlsec1.
    const TGeradosCollection& gerados = componente->Eventos().Gerados();
    ASSERT_EQ(gerados.size(), 1u);
    const std::filesystem::path arquivo = gerados[0].PathNome + ".xml";
    const test::ProcessResult xmlsec =
        test::VerificarXmlsec(arquivo, TestToken::Shared().Certificate("empresa").pem);
    EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.out << xmlsec.err;
    const test::ProcessResult xmllint =
        test::ValidarXmllint(arquivo, "evtInfoEmpregador-v" + TextoDaVersao(versao) + ".xsd");
    EXPECT_EQ(xmllint.exitCode, 0) << xmllint.err;
  }
}

// What no schema can tell, one case per row; each document is also valid and signed.
TEST_F(ModeloS1000Test, RegrasDoConstrutor) {
  struct Caso {
    const char* nome;
    void (*preparar)(TevtInfoEmpregador&);
    std::vector<std::string> presentes;
    std::vector<std::string> ausentes;
  };
  const Caso casos[] = {
      {"exclusao: so o periodo",
       [](TevtInfoEmpregador& e) { e.ModoLancamento = TModoLancamento::mlExclusao; },
       {"<infoEmpregador><exclusao><idePeriodo><iniValid>2024-01</iniValid></idePeriodo>"
        "</exclusao></infoEmpregador>"},
       {"<infoCadastro>"}},
      {"empregador CPF",
       [](TevtInfoEmpregador& e) {
         e.ideEmpregador().SetTpInsc(tpTpInsc::tiCPF);
         e.ideEmpregador().SetNrInsc("12345678909");
       },
       {"<tpInsc>2</tpInsc>", "<indDesFolha>0</indDesFolha>"},
       {"<natJurid>", "<indCoop>", "<indConstr>", "<indEntEd>"}},
      {"empresa: natureza, cooperativa, construtora e entidade educativa",
       [](TevtInfoEmpregador&) {},
       {"<natJurid>2062</natJurid><indCoop>0</indCoop><indConstr>0</indConstr>",
        "<indEntEd>S</indEntEd>"},
       {}},
      {"classificacao 07 com opcao pela folha",
       [](TevtInfoEmpregador& e) {
         e.infoEmpregador.infoCadastro.ClassTrib = TpClassTrib::ct07;
         e.infoEmpregador.infoCadastro.IndOpcCP = TpIndOpcCP::icpFolhaPagamento;
       },
       {"<indDesFolha>0</indDesFolha><indOpcCP>2</indOpcCP><indOptRegEletron>"},
       {}},
      {"classificacao 99 nunca escreve a opcao",
       [](TevtInfoEmpregador& e) {
         e.infoEmpregador.infoCadastro.ClassTrib = TpClassTrib::ct99;
         e.infoEmpregador.infoCadastro.IndOpcCP = TpIndOpcCP::icpFolhaPagamento;
       },
       {"<classTrib>99</classTrib>"},
       {"<indOpcCP>"}},
      {"opcao nenhuma nao e escrita",
       [](TevtInfoEmpregador& e) { e.infoEmpregador.infoCadastro.ClassTrib = TpClassTrib::ct21; },
       {"<classTrib>21</classTrib>"},
       {"<indOpcCP>"}},
      {"isencao com dtDou zero",
       [](TevtInfoEmpregador& e) {
         s1000::TDadosIsencao& d = e.infoEmpregador.infoCadastro.DadosIsencao();
         d.IdeMinLei = "Ministerio";
         d.NrCertif = "1";
         d.DtEmisCertif = encodeDateTime(2023, 1, 10);
         d.DtVencCertif = encodeDateTime(2026, 1, 10);
         d.DtProtRenov = encodeDateTime(2025, 2, 3);
       },
       {"<dtVencCertif>2026-01-10</dtVencCertif><dtProtRenov>2025-02-03</dtProtRenov>"
        "</dadosIsencao>"},
       {"<dtDou>", "<nrProtRenov>", "<pagDou>"}},
      {"infoOP sem nrSiafi nao e escrito",
       [](TevtInfoEmpregador& e) {
         e.infoEmpregador.infoCadastro.InfoOp().infoEnte().nmEnte = "Ente";
       },
       {"</contato><infoComplementares></infoComplementares>"},
       {"<infoOP>", "<infoEnte>"}},
      {"orgao que e o proprio ente federativo: infoEFR sem cnpjEFR",
       [](TevtInfoEmpregador& e) {
         s1000::TInfoOp& op = e.infoEmpregador.infoCadastro.InfoOp();
         op.nrSiafi = "12345";
         op.infoEFR().ideEFR = tpSimNao::tpSim;
         op.infoEnte();  // created, but without nmEnte
       },
       {"<infoOP><nrSiafi>12345</nrSiafi><infoEFR><ideEFR>S</ideEFR></infoEFR></infoOP>"},
       {"<infoEnte>"}},
      {"alteracao com nova validade",
       [](TevtInfoEmpregador& e) {
         e.ModoLancamento = TModoLancamento::mlAlteracao;
         e.infoEmpregador.novaValidade().IniValid = "2025-01";
         e.infoEmpregador.novaValidade().FimValid = "2025-12";
       },
       {"</infoCadastro><novaValidade><iniValid>2025-01</iniValid><fimValid>2025-12</fimValid>"
        "</novaValidade></alteracao></infoEmpregador>"},
       {}},
      {"nova validade fora da alteracao",
       [](TevtInfoEmpregador& e) { e.infoEmpregador.novaValidade().IniValid = "2025-01"; },
       {"</infoCadastro></inclusao>"},
       {"<novaValidade>"}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    componente->Eventos().Clear();
    TevtInfoEmpregador& evento = NovoEvento();
    caso.preparar(evento);
    ASSERT_TRUE(evento.GerarXML());
    for (const std::string& trecho : caso.presentes) {
      EXPECT_NE(evento.XML().find(trecho), std::string::npos) << trecho << "\n" << evento.XML();
    }
    for (const std::string& trecho : caso.ausentes) {
      EXPECT_EQ(evento.XML().find(trecho), std::string::npos) << trecho << "\n" << evento.XML();
    }
    VerificarAssinatura(evento);
  }
}

// The entity's CNPJ: its root (8 digits) is enough for the 2.04 layouts, 2.05 wants all 14; the
// writer alerts only where the layout refuses it.
TEST_F(ModeloS1000Test, CnpjDoEnteFederativoPorLeiaute) {
  const struct {
    TVersaoeSocial versao;
    std::size_t alertas;
  } casos[] = {{TVersaoeSocial::ve02_04_01, 0u},
               {TVersaoeSocial::ve02_04_02, 0u},
               {TVersaoeSocial::ve02_05_00, 1u}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(TextoDaVersao(caso.versao));
    componente->Configuracoes().Geral().SetVersaoDF(caso.versao);
    componente->Eventos().Clear();
    TevtInfoEmpregador& evento = NovoEvento();
    s1000::TInfoOp& op = evento.infoEmpregador.infoCadastro.InfoOp();
    op.nrSiafi = "12345";
    op.infoEFR().ideEFR = tpSimNao::tpNao;
    op.infoEFR().cnpjEFR = "11222333";
    try {
      evento.GerarXML();
    } catch (const EDFeException&) {
      // 2.05 refuses the root; the alert is what this case looks at.
    }
    EXPECT_EQ(evento.Gerador().ListaDeAlertas().size(), caso.alertas);
  }
}

// 100 software houses: the alert names the list and its limit, all 100 are written, and the
// schema (which allows 99) refuses the document with the identifier in front of the cause.
TEST_F(ModeloS1000Test, CemSoftwareHousesDaoOAlertaEOErroComId) {
  TevtInfoEmpregador& evento = NovoEvento();
  evento.SetId("ID1123456780000002024030112000000042");
  for (int i = 0; i < 100; ++i) {
    s1000::TSoftwareHouse& item = evento.infoEmpregador.infoCadastro.SoftwareHouse.New();
    item.CnpjSoftHouse = "11222333000181";
    item.NmRazao = "Software";
    item.NmCont = "Contato";
    item.Telefone = "1130304040";
  }
  try {
    evento.GerarXML();
    FAIL() << "a list over the layout's limit passed the schema";
  } catch (const EDFeException& e) {
    const std::string mensagem = e.what();
    EXPECT_TRUE(
        mensagem.starts_with("ID: ID1123456780000002024030112000000042\r\n "
                             "Falha na validação dos dados do evento: "
                             "evtInfoEmpregador-v02_05_00\r\n"))
        << mensagem;
  }
  const std::vector<std::string>& alertas = evento.Gerador().ListaDeAlertas();
  ASSERT_EQ(alertas.size(), 1u);
  EXPECT_NE(alertas[0].find("softwareHouse(Lista de Software House) - Número de ocorrências maior "
                            "que o máximo permitido - Máximo 99"),
            std::string::npos)
      << alertas[0];
  EXPECT_EQ(Ocorrencias(evento.XMLAssinado(), "<softwareHouse>"), 100u);
}

// A missing mandatory field is a writer alert; the schema then decides.
TEST_F(ModeloS1000Test, CampoObrigatorioAusenteEAlertaEFalhaDeValidacao) {
  TevtInfoEmpregador& evento = NovoEvento();
  evento.infoEmpregador.infoCadastro.NmRazao.clear();
  EXPECT_THROW(evento.GerarXML(), EDFeException);
  const std::vector<std::string>& alertas = evento.Gerador().ListaDeAlertas();
  ASSERT_EQ(alertas.size(), 1u);
  EXPECT_NE(alertas[0].find("nmRazao"), std::string::npos) << alertas[0];
  EXPECT_NE(alertas[0].find("Nenhum valor informado"), std::string::npos) << alertas[0];
}

// The INI form: defaults where keys are missing, exclusion reads no registration data, codes
// that are unknown give the first value, dates "0" or empty give no date.
TEST_F(ModeloS1000Test, FormaIniComPadroes) {
  componente->Configuracoes().Geral().SetVersaoDF(TVersaoeSocial::ve02_05_00);
  ASSERT_TRUE(componente->Eventos().LoadFromStringINI(
      "[evtInfoEmpregador]\r\n[ideEvento]\r\nverProc=1\r\n[ideEmpregador]\r\n"
      "nrInsc=12345678000195\r\n[idePeriodo]\r\niniValid=2024-01\r\n[infoCadastro]\r\n"
      "nmRazao=Empresa\r\nnatJurid=2062\r\nindCoop=X\r\n[contato]\r\nnmCtt=Maria\r\n"
      "cpfCtt=12345678909\r\n[dadosIsencao]\r\nideMinLei=Lei\r\nnrCertif=1\r\n"
      "dtEmisCertif=1/2/2023\r\ndtVencCertif=31/12/2026\r\ndtProtRenov=\r\n"));
  const TevtInfoEmpregador& e =
      componente->Eventos().Iniciais().S1000().Items(0).evtInfoEmpregador();
  EXPECT_EQ(e.ModoLancamento, TModoLancamento::mlInclusao);
  EXPECT_EQ(e.ideEvento.TpAmb, TpTpAmb::taProducao);
  EXPECT_EQ(e.ideEvento.ProcEmi, TpProcEmi::peAplicEmpregador);
  EXPECT_EQ(e.ideEmpregador().TpInsc(), tpTpInsc::tiCNPJ);
  const s1000::TInfoCadastro& info = e.infoEmpregador.infoCadastro;
  EXPECT_EQ(info.ClassTrib, TpClassTrib::ct00);
  EXPECT_EQ(info.IndCoop, TpIndCoop::icNaoeCooperativa) << "unknown code: the first value";
  EXPECT_EQ(info.IndOpcCP, TpIndOpcCP::icpNenhum);
  EXPECT_EQ(info.IndEntEd, tpSimNao::tpSim);
  EXPECT_EQ(info.IndEtt, tpSimNao::tpSim);
  ASSERT_TRUE(info.DadosIsencao.Existe());
  EXPECT_EQ(info.DadosIsencao.Valor().DtEmisCertif, encodeDateTime(2023, 2, 1));
  EXPECT_EQ(info.DadosIsencao.Valor().DtVencCertif, encodeDateTime(2026, 12, 31));
  EXPECT_EQ(info.DadosIsencao.Valor().DtProtRenov, 0);
  EXPECT_EQ(info.DadosIsencao.Valor().DtDou, 0);
  EXPECT_FALSE(info.InfoOp.Existe());
  EXPECT_FALSE(info.InfoOrgInternacional.Existe());
  EXPECT_FALSE(info.InfoComplementares.SituacaoPJ.Existe());
  EXPECT_FALSE(info.InfoComplementares.SituacaoPF.Existe());
  EXPECT_EQ(info.SoftwareHouse.Count(), 0);
  EXPECT_FALSE(e.infoEmpregador.novaValidade.Existe());

  // Exclusion: the registration sections are not read, novaValidade neither.
  componente->Eventos().Clear();
  ASSERT_TRUE(componente->Eventos().LoadFromStringINI(
      "[evtInfoEmpregador]\nModoLancamento=EXCLUSAO\n[ideEvento]\nverProc=1\n[ideEmpregador]\n"
      "nrInsc=12345678000195\n[idePeriodo]\niniValid=2024-01\nfimValid=2024-12\n[infoCadastro]\n"
      "nmRazao=Empresa\n[softwareHouse01]\ncnpjSoftHouse=11222333000181\n[novaValidade]\n"
      "iniValid=2025-01\n"));
  const TevtInfoEmpregador& x =
      componente->Eventos().Iniciais().S1000().Items(0).evtInfoEmpregador();
  EXPECT_EQ(x.ModoLancamento, TModoLancamento::mlExclusao) << "the mode's case is ignored";
  EXPECT_EQ(x.infoEmpregador.infoCadastro.NmRazao, "");
  EXPECT_EQ(x.infoEmpregador.infoCadastro.SoftwareHouse.Count(), 0);
  EXPECT_FALSE(x.infoEmpregador.novaValidade.Existe());
  EXPECT_EQ(x.infoEmpregador.idePeriodo.FimValid, "2024-12");
}

// The INI as a file: through the container's LoadFromIni and the component's AssinarEventos,
// and as a one-line text naming the file.
TEST_F(ModeloS1000Test, IniEmArquivo) {
  const std::filesystem::path arquivo = dir.path() / "s1000.ini";
  test::WriteFile(arquivo, kIniCompleto);
  TEventos& eventos = componente->Eventos();
  ASSERT_TRUE(eventos.LoadFromIni(arquivo.string()));
  ASSERT_EQ(eventos.Count(), 1);
  const std::string primeiro = eventos.Iniciais().S1000().Items(0).evtInfoEmpregador().XML();

  TevtInfoEmpregador& outro = eventos.Iniciais().S1000().New().evtInfoEmpregador();
  ASSERT_TRUE(outro.LerArqIni(arquivo.string()));
  EXPECT_EQ(outro.infoEmpregador.infoCadastro.SoftwareHouse.Count(), 2);

  // Built again from the data, signed and saved: both events, under their positions.
  componente->Configuracoes().Geral().SetSalvar(true);
  componente->AssinarEventos();
  ASSERT_EQ(eventos.Gerados().size(), 2u);
  EXPECT_TRUE(eventos.Gerados()[1].PathNome.ends_with("-S-1000-1"));
  EXPECT_EQ(test::ReadFile(eventos.Gerados()[0].PathNome + ".xml"),
            eventos.Iniciais().S1000().Items(0).evtInfoEmpregador().XML() + "\r\n");
  EXPECT_NE(primeiro, "");
  VerificarAssinatura(outro);
}

}  // namespace
}  // namespace luvaro
