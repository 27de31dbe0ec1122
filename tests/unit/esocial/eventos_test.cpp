// The event container: its groups and collections against the type table, splitting a text
// into documents, where each document lands, what a failure leaves, the files written after
// every piece, Gerados, and loading from files, streams and INI text.

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "dfe/dfe_exception.h"
#include "dfe/xml/texto.h"
#include "esocial/esocial_exception.h"
#include "esocial/eventos.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::DocumentoAssinado;
using test::TempDir;

class EventosTest : public testing::Test {
 protected:
  TempDir dir{"luvaro-esocial-eventos"};
  std::unique_ptr<TeSocialComponente> componente = test::NovoComponente(dir.path());
  TEventos& eventos = componente->Eventos();
  std::filesystem::path docs = dir.path() / "Docs";

  // (group, collection, count) of every non-empty collection, in container order.
  std::vector<std::string> Conteudo() {
    const char* nomes[] = {"Iniciais", "Tabelas", "NaoPeriodicos", "Periodicos"};
    std::vector<std::string> linhas;
    int g = 0;
    for (TeSocialGrupo* grupo : eventos.Grupos()) {
      for (TeSocialColecaoEventos* colecao : grupo->Colecoes()) {
        if (colecao->Count() > 0) {
          linhas.push_back(std::string(nomes[g]) + "/" + CodigoDoTipoEvento(colecao->TipoEvento()) +
                           "=" + std::to_string(colecao->Count()));
        }
      }
      ++g;
    }
    return linhas;
  }
};

// Each group holds the collections of the table's rows for that group, in table order, and
// each collection makes events of the class and schema the table names.
TEST_F(EventosTest, GruposEColecoesConformeATabela) {
  std::vector<const TipoEventoCarregavel*> porGrupo[4];
  for (const TipoEventoCarregavel& linha : TiposEventoCarregaveis())
    porGrupo[static_cast<int>(linha.grupo)].push_back(&linha);

  const auto grupos = eventos.Grupos();
  for (int g = 0; g < 4; ++g) {
    const auto& colecoes = grupos[static_cast<std::size_t>(g)]->Colecoes();
    ASSERT_EQ(colecoes.size(), porGrupo[g].size());
    for (std::size_t i = 0; i < colecoes.size(); ++i) {
      const TipoEventoCarregavel& linha = *porGrupo[g][i];
      SCOPED_TRACE(linha.colecao);
      EXPECT_EQ(colecoes[i]->TipoEvento(), linha.tipo);
      TeSocialEvento& evento = colecoes[i]->NovoEvento();
      EXPECT_EQ(evento.ClassName(), linha.classe);
      EXPECT_EQ(evento.schema(), linha.schema);
      EXPECT_EQ(&evento.Owner(), componente.get());
      EXPECT_EQ(colecoes[i]->Count(), 1);
    }
  }
  EXPECT_EQ(eventos.Count(), 55);  // the 42 of the 2.x layouts and 13 of the simplified ones
  eventos.Clear();
  EXPECT_EQ(eventos.Count(), 0);

  // The typed items name their event after the type.
  TS1000CollectionItem& s1000 = eventos.Iniciais().S1000().New();
  EXPECT_EQ(s1000.TipoEvento(), TTipoEvento::teS1000);
  EXPECT_EQ(&s1000.evtInfoEmpregador(), &eventos.Iniciais().S1000().Items(0).Evento());
  EXPECT_EQ(eventos.Tabelas().S1050().Add().EvtTabHorContratual().ClassName(), "TEvtTabHorTur");
  EXPECT_EQ(eventos.NaoPeriodicos().S2221().Add().TipoEvento(), TTipoEvento::teS2221);
  EXPECT_EQ(eventos.Periodicos().S1202().Add().evtRmnRPPS().ClassName(), "TEvtRemunRPPS");
  EXPECT_THROW(eventos.Periodicos().S1202().Items(1), EDFeException);
}

TEST_F(EventosTest, DivisaoDoTextoEmDocumentos) {
  const std::string a = DocumentoAssinado("evtInfoEmpregador", "ID1");
  const std::string b = DocumentoAssinado("evtAdmissao", "ID2");
  const struct {
    std::string nome;
    std::string texto;
    std::vector<std::string> pecas;
  } casos[] = {
      {"um documento", a, {a}},
      {"dois separados por linhas em branco", a + "\r\n\r\n  \n" + b, {a, b}},
      {"brancos antes do primeiro ficam nele", "\n  " + a + b, {"\n  " + a, b}},
      {"sem </eSocial>", "<eSocial><evtInfoEmpregador Id=\"ID1\">", {}},
      {"último cortado", a + b.substr(0, b.size() - 3), {a}},
      {"texto depois do último", a + "resto", {a}},
      {"caixa conta", "<eSocial></ESOCIAL>", {}},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    EXPECT_EQ(DividirEventos(k.texto), k.pecas);
  }
}

TEST_F(EventosTest, OndeCadaDocumentoFica) {
  const struct {
    std::string nome;
    std::string texto;
    bool resultado;
    std::vector<std::string> conteudo;
  } casos[] = {
      {"S-1000 e S-2200",
       DocumentoAssinado("evtInfoEmpregador", "ID1") + "\n\n" +
           DocumentoAssinado("evtAdmissao", "ID2"),
       true,
       {"Iniciais/S-1000=1", "NaoPeriodicos/S-2200=1"}},
      {"evtTreiCap em S2245",
       DocumentoAssinado("evtTreiCap", "ID1"),
       true,
       {"NaoPeriodicos/S-2245=1"}},
      {"evtToxic em S2221", DocumentoAssinado("evtToxic", "ID1"), true, {"NaoPeriodicos/S-2221=1"}},
      {"sem tipo reconhecido", DocumentoAssinado("evtNenhum", "ID1"), false, {}},
      {"Id entre apóstrofos",
       "<eSocial><evtInfoEmpregador Id='ID1'/><Signature/></eSocial>",
       false,
       {}},
      {"elemento com prefixo",
       "<e:eSocial xmlns:e=\"x\"><e:evtInfoEmpregador Id=\"ID1\"/><Signature/></e:eSocial>",
       false,
       {}},
      {"sem </eSocial>", "<eSocial><evtInfoEmpregador Id=\"ID1\"/><Signature/>", false, {}},
      {"último sem </eSocial>",
       DocumentoAssinado("evtTabRubrica", "ID1") + "<eSocial><evtRemun Id=\"ID2\"><Signature/>",
       true,
       {"Tabelas/S-1010=1"}},
      {"tipos fora dos carregáveis só como código",
       "<eSocial><evtBasesTrab Id=\"ID1\"/><Signature/></eSocial>",
       false,
       {}},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    eventos.Clear();
    EXPECT_EQ(eventos.LoadFromString(k.texto), k.resultado);
    EXPECT_EQ(Conteudo(), k.conteudo);
  }
}

TEST_F(EventosTest, ResultadoDizSeAlgumGrupoTemEventos) {
  EXPECT_FALSE(eventos.LoadFromString(""));
  EXPECT_TRUE(eventos.LoadFromString(DocumentoAssinado("evtInfoEmpregador", "ID1")));
  EXPECT_TRUE(eventos.LoadFromString(DocumentoAssinado("evtAdmissao", "ID2")));
  EXPECT_EQ(eventos.Count(), 2);
  // Not recognised, but the groups are not empty.
  EXPECT_TRUE(eventos.LoadFromString(DocumentoAssinado("evtNenhum", "ID3")));
  EXPECT_EQ(eventos.Count(), 2);
  EXPECT_EQ(eventos.Iniciais().Count(), 1);
  EXPECT_EQ(eventos.NaoPeriodicos().Count(), 1);
  // No "</eSocial>" at all: false whatever the container holds.
  EXPECT_FALSE(eventos.LoadFromString("<eSocial>"));
}

// Files are named after the digits of the event's Id (read when the document is signed; a
// document signed already keeps an empty Id), the type's code and the index in its collection.
TEST_F(EventosTest, ArquivosGravadosDepoisDeCadaDocumento) {
  const std::string s1299 = test::LerFixtureEsocial("s1299-fecha-ev-per.xml");
  const std::string id4 = "1123456780000002024030112000000004";
  const std::string id9 = "1123456780000002024030112000000009";
  eventos.LoadFromString(s1299);
  EXPECT_EQ(test::Arquivos(docs), (std::vector<std::string>{id4 + "-S-1299-0.xml"}));
  const TeSocialEvento& primeiro = eventos.Periodicos().S1299().Items(0).EvtFechaEvPer();
  EXPECT_EQ(test::ReadFile(docs / (id4 + "-S-1299-0.xml")), primeiro.XML() + "\r\n")
      << "the signed document has no line break left";

  // The next pieces: every event is written again after each piece.
  eventos.LoadFromString(replaceAll(s1299, id4, id9) + "\n" +
                         DocumentoAssinado("evtFechaEvPer", "ID2", "<a/>\n<b/>") +
                         test::LerFixtureEsocial("s1000-info-empregador.xml"));
  const std::string id1 = "1123456780000002024030112000000001";
  EXPECT_EQ(test::Arquivos(docs),
            (std::vector<std::string>{"-S-1299-2.xml", id1 + "-S-1000-0.xml", id4 + "-S-1299-0.xml",
                                      id9 + "-S-1299-1.xml"}));
  EXPECT_EQ(test::ReadFile(docs / "-S-1299-2.xml"),
            DocumentoAssinado("evtFechaEvPer", "ID2", "<a/>\r\n<b/>") + "\r\n");

  const TGeradosCollection& gerados = eventos.Gerados();
  ASSERT_EQ(gerados.size(), 4u);
  EXPECT_EQ(gerados[0].TipoEvento, TTipoEvento::teS1000);
  EXPECT_EQ(gerados[0].PathNome, (docs / (id1 + "-S-1000-0")).string());
  EXPECT_EQ(gerados[0].idEvento, id1);
  EXPECT_EQ(gerados[0].XML, eventos.Iniciais().S1000().Items(0).evtInfoEmpregador().XML());
  EXPECT_EQ(gerados[1].TipoEvento, TTipoEvento::teS1299);
  EXPECT_EQ(gerados[1].PathNome, (docs / (id4 + "-S-1299-0")).string());
  EXPECT_EQ(gerados[2].PathNome, (docs / (id9 + "-S-1299-1")).string());
  EXPECT_EQ(gerados[3].PathNome, (docs / "-S-1299-2").string());
  EXPECT_EQ(gerados[3].idEvento, "");

  eventos.Clear();
  EXPECT_TRUE(eventos.Gerados().empty());
  std::filesystem::remove_all(docs);
  eventos.SaveToFiles();
  EXPECT_TRUE(eventos.Gerados().empty());
  EXPECT_TRUE(test::Arquivos(docs).empty());
}

// The save after each document writes only what changed: a file that already holds its
// event's document is left alone (a run of n documents writes n files, not n(n+1)/2), and an
// event whose document changed is written again under its name. Gerados stays complete.
TEST_F(EventosTest, CadaArquivoGravadoDeNovoSoQuandoOEventoMuda) {
  eventos.LoadFromString(DocumentoAssinado("evtInfoEmpregador", "ID1"));
  const std::filesystem::path s1000 = docs / "-S-1000-0.xml";  // signed already: no Id read
  test::WriteFile(s1000, "marca");  // not what the event holds: shows whether it is written
  for (int i = 2; i <= 4; ++i)
    eventos.LoadFromString(DocumentoAssinado("evtTabRubrica", "ID" + std::to_string(i)));
  EXPECT_EQ(test::ReadFile(s1000), "marca") << "unchanged: not written again";

  TeSocialEvento& primeiro = eventos.Iniciais().S1000().Items(0).evtInfoEmpregador();
  primeiro.SetXML(DocumentoAssinado("evtInfoEmpregador", "ID1", "<alterado/>"));
  eventos.SaveToFiles();
  EXPECT_EQ(test::ReadFile(s1000), primeiro.XML() + "\r\n") << "changed: written again";

  const TGeradosCollection& gerados = eventos.Gerados();
  ASSERT_EQ(gerados.size(), 4u);
  EXPECT_EQ(gerados[0].XML, primeiro.XML());
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TeSocialEvento& rubrica = eventos.Tabelas().S1010().Items(i).EvtTabRubrica();
    EXPECT_EQ(gerados[static_cast<std::size_t>(i) + 1].XML, rubrica.XML());
    EXPECT_EQ(gerados[static_cast<std::size_t>(i) + 1].PathNome,
              (docs / ("-S-1010-" + std::to_string(i))).string());
    EXPECT_EQ(test::ReadFile(gerados[static_cast<std::size_t>(i) + 1].PathNome + ".xml"),
              rubrica.XML() + "\r\n");
  }
}

// A document that cannot be signed ends the call: only signed events may travel in a lot, so
// it leaves its collection again; the pieces after it are not looked at and the container is
// not saved for that piece.
TEST_F(EventosTest, FalhaDeUmEventoParaACarga) {
  const std::string naoXML =
      "<eSocial><evtAdmPrelim Id=\"ID1123456780000002024030112000000005\"><a></b></eSocial>";
  const std::string texto = DocumentoAssinado("evtInfoEmpregador", "ID1") + naoXML +
                            DocumentoAssinado("evtTabEstab", "ID3");
  EXPECT_THROW(eventos.LoadFromString(texto), EDFeException);
  EXPECT_EQ(Conteudo(), (std::vector<std::string>{"Iniciais/S-1000=1"}));
  EXPECT_EQ(eventos.Gerados().size(), 1u) << "saved after the first piece only";
  EXPECT_EQ(test::Arquivos(docs), (std::vector<std::string>{"-S-1000-0.xml"}));
}

// Documents of the layout in force today (S-1.3) land in the collections of their types: one
// that both layout families have keeps its type (S-2200); the simplified layouts' own types
// (S-2500, S-2501, S-8200) have new collections after the 2.x ones of their group. Each is
// signed and its Id read, whatever the configured 2.x version's schema says of it (it has no
// file for the new types, and refuses the S-2200 of another namespace): the service judges it.
TEST_F(EventosTest, DocumentosDoLeiauteS13) {
  const std::filesystem::path lote = std::filesystem::path(LUVARO_SOURCE_DIR) /
                                     "tests/fixtures/e2e_esocial/erp/esocial/EMPRESA-S13";
  const struct {
    const char* arquivo;
    std::string id;
  } casos[] = {
      {"12-s8200-anotacao-judicial.xml", "ID1123456780000002025031012000000012"},
      {"09-s2500-processo-trabalhista.xml", "ID1123456780000002025031012000000009"},
      {"06-s2200-admissao.xml", "ID1123456780000002025031012000000006"},
      {"10-s2501-contribuicoes-processo.xml", "ID1123456780000002025031012000000010"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.arquivo);
    try {
      eventos.LoadFromString(test::ReadFile(lote / c.arquivo));
    } catch (const EeSocialValidacao&) {
      // Kept signed all the same (checked below).
    }
  }
  EXPECT_EQ(Conteudo(),
            (std::vector<std::string>{"NaoPeriodicos/S-2200=1", "NaoPeriodicos/S-2500=1",
                                      "NaoPeriodicos/S-2501=1", "NaoPeriodicos/S-8200=1"}));
  const TEvtProcTrab& s2500 = eventos.NaoPeriodicos().S2500().Items(0).EvtProcTrab();
  EXPECT_EQ(s2500.Id(), casos[1].id);
  EXPECT_NE(s2500.XML().find("</Signature></eSocial>"), std::string::npos);
  EXPECT_EQ(eventos.NaoPeriodicos().S8200().Items(0).EvtAnotJud().Id(), casos[0].id);
  EXPECT_EQ(eventos.NaoPeriodicos().S2501().Items(0).EvtContProc().Id(), casos[3].id);
  EXPECT_EQ(eventos.NaoPeriodicos().S2200().Items(0).EvtAdmissao().Id(), casos[2].id);
  EXPECT_EQ(s2500.ErroValidacao(),
            "Falha na validação dos dados do evento: "
            "evtProcTrab-v02_05_00\r\n");
}

TEST_F(EventosTest, EventosReaisAssinadosEValidados) {
  std::string todos;
  for (const auto& f : test::FixturesEvento()) todos += test::LerFixtureEsocial(f.arquivo) + "\n";
  EXPECT_TRUE(eventos.LoadFromString(todos));
  EXPECT_EQ(eventos.Count(), static_cast<int>(test::FixturesEvento().size()));
  for (const auto& f : test::FixturesEvento()) {
    SCOPED_TRACE(f.arquivo);
    const TipoEventoCarregavel* linha = TipoEventoCarregavelDe(f.tipo);
    ASSERT_NE(linha, nullptr);
    TeSocialGrupo* grupo = eventos.Grupos()[static_cast<std::size_t>(linha->grupo)];
    bool achou = false;
    for (TeSocialColecaoEventos* colecao : grupo->Colecoes()) {
      if (colecao->TipoEvento() != f.tipo) continue;
      ASSERT_EQ(colecao->Count(), 1);
      const TeSocialEvento& evento = colecao->Evento(0);
      EXPECT_EQ(evento.Id(), f.id);
      EXPECT_EQ(evento.ErroValidacao(), "");
      EXPECT_NE(evento.XML().find("</Signature></eSocial>"), std::string::npos);
      achou = true;
    }
    EXPECT_TRUE(achou);
  }
}

TEST_F(EventosTest, CargaDeArquivoEDeStream) {
  const std::string texto =
      DocumentoAssinado("evtInfoEmpregador", "ID1") + "\n" + DocumentoAssinado("evtRemun", "ID2");
  test::WriteFile(dir.path() / "eventos.xml", "\xEF\xBB\xBF" + texto);
  EXPECT_TRUE(eventos.LoadFromFile((dir.path() / "eventos.xml").string()));
  EXPECT_EQ(Conteudo(), (std::vector<std::string>{"Iniciais/S-1000=1", "Periodicos/S-1200=1"}));
  EXPECT_THROW(eventos.LoadFromFile((dir.path() / "nao-existe.xml").string()), EDFeException);

  eventos.Clear();
  std::istringstream stream(texto);
  stream.seekg(0, std::ios::end);  // read from the start whatever the position
  EXPECT_TRUE(eventos.LoadFromStream(stream));
  EXPECT_EQ(eventos.Count(), 2);
  EXPECT_EQ(eventos.Periodicos().S1200().Items(0).evtRemun().XML(),
            DocumentoAssinado("evtRemun", "ID2"));
}

TEST_F(EventosTest, CargaDeTextoINI) {
  // Two sections: one event, of the type first in TTipoEvento order, in the group of that type;
  // its data are missing, so its schema refuses it, and it stays where it was added.
  EXPECT_THROW(eventos.LoadFromStringINI("[evtTabEstab]\r\ntpAmb=2\r\n[evtInfoEmpregador]\r\n"),
               EDFeException);
  EXPECT_EQ(Conteudo(), (std::vector<std::string>{"Iniciais/S-1000=1"}));
  EXPECT_EQ(eventos.Gerados().size(), 0u) << "a failing event ends the load before the save";

  EXPECT_FALSE(TEventos(*componente).LoadFromStringINI("[qualquer]\r\n"));

  // A complete INI file: loaded, built, and the container saved after loading.
  test::WriteFile(dir.path() / "evento.ini",
                  test::ReadFile(std::filesystem::path(LUVARO_SOURCE_DIR) /
                                 "esocial/modelos/ini/S-1010-02_05_00.ini"));
  EXPECT_TRUE(eventos.LoadFromIni((dir.path() / "evento.ini").string()));
  EXPECT_EQ(Conteudo(), (std::vector<std::string>{"Iniciais/S-1000=1", "Tabelas/S-1010=1"}));
  EXPECT_EQ(eventos.Gerados().size(), 2u) << "saved after loading";
}

TEST_F(EventosTest, GerarXMLsCopiaOTipoDeEmpregador) {
  componente->Configuracoes().Geral().SetTipoEmpregador(TEmpregador::tePessoaFisica);
  eventos.Iniciais().S1000().New();
  EXPECT_THROW(eventos.GerarXMLs(), EDFeException) << "an employer event without data";
  EXPECT_EQ(eventos.TipoEmpregador(), TEmpregador::tePessoaFisica);
  EXPECT_NE(eventos.Iniciais().S1000().Items(0).evtInfoEmpregador().XML(), "");
}

}  // namespace
}  // namespace luvaro
