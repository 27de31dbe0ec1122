// The lot document: splitting, assembly byte for byte in the fixed type order, the repeated
// identifier, the declaration removal and the validation against the lot schema.

#include <gtest/gtest.h>

#include <sstream>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/lote_eventos.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_exception.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"
#include "tests/unit/reinf/reinf_teste.h"

namespace luvaro::test {
namespace {

using namespace reinf;

constexpr const char* kInicioLote =
    "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/v1_04_00\">"
    "<loteEventos>";
constexpr const char* kFimLote = "</loteEventos></Reinf>";
constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

class ReinfLoteTest : public ReinfTest {
 protected:
  ReinfLoteTest() : m_lote(*m_comp) {}
  TReinfEventos& Colecoes() { return m_comp->Eventos().ReinfEventos(); }
  TLoteEventos m_lote;
};

TEST_F(ReinfLoteTest, LoteVazio) {
  Config().Geral().SetExibirErroSchema(false);
  m_lote.GerarXML();
  EXPECT_EQ(m_lote.XML(), std::string(kInicioLote) + kFimLote);
  EXPECT_EQ(m_lote.Count(), 0u);

  // The schema asks for at least one event: shown only with ExibirErroSchema.
  Config().Geral().SetExibirErroSchema(true);
  try {
    m_lote.GerarXML();
    FAIL() << "sem exceção";
  } catch (const EReinfException& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Houve erro na validação do Lote: "));
    EXPECT_GT(std::string(e.what()).size(), 34u);
  }
}

TEST_F(ReinfLoteTest, OrdemFixaDosTiposEMontagemExata) {
  const std::string segundoId = "ID1123456780000002024040210000000007";
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(FixtureReinf("r2010-servico-tomado.xml")));
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(FixtureReinf("r2099-fechamento.xml")));
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(FixtureReinf("r1000-info-contribuinte.xml")));
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(ComId("r2010-servico-tomado.xml", segundoId)));
  ASSERT_TRUE(m_comp->Eventos().LoadFromString(FixtureReinf("r2098-reabertura.xml")));

  Config().Geral().SetExibirErroSchema(true);  // the lot must pass its schema
  m_lote.GerarXML();

  const std::string& r1000 = Colecoes().R1000().Items(0).evtInfoContri().XML();
  const std::string& r2010a = Colecoes().R2010().Items(0).evtServTom().XML();
  const std::string& r2010b = Colecoes().R2010().Items(1).evtServTom().XML();
  const std::string& r2098 = Colecoes().R2098().Items(0).evtReabreEvPer().XML();
  const std::string& r2099 = Colecoes().R2099().Items(0).evtFechaEvPer().XML();
  // The signed events hold no declaration: the lot takes them as they are.
  const auto evento = [](const std::string& id, const std::string& xml) {
    EXPECT_TRUE(xml.starts_with("<Reinf xmlns=")) << xml.substr(0, 60);
    return "<evento id=\"" + id + "\"> " + xml + "</evento>";
  };
  const std::string esperado =
      std::string(kInicioLote) + evento("ID1123456780000002024030112000000004", r1000) +
      evento("ID1123456780000002024040210000000001", r2010a) + evento(segundoId, r2010b) +
      evento("ID1123456780000002024041509000000006", r2098) +
      evento("ID1123456780000002024040110300000005", r2099) + kFimLote;
  EXPECT_EQ(m_lote.XML(), esperado);
  ASSERT_EQ(m_lote.Count(), 5u);
  EXPECT_EQ(m_lote.Items(2).IDEvento(), segundoId);
  EXPECT_EQ(m_lote.Items(2).NomeArq(), "");
  EXPECT_EQ(m_lote.Items(2).Leitor().Arquivo(), r2010b);

  // Rebuilt from the events at every call.
  m_lote.GerarXML();
  EXPECT_EQ(m_lote.Count(), 5u);
  EXPECT_EQ(m_lote.XML(), esperado);
}

// Whatever declaration the ERP's document opens with, the event is signed and the lot that
// carries it is well-formed and valid against EnvioLoteEventos-v1_04_00.xsd: no declaration is
// left inside its evento, also for a document that came signed already.
TEST_F(ReinfLoteTest, NenhumaDeclaracaoDentroDoLote) {
  const std::string id = "ID1123456780000002024030112000000004";
  const std::string corpo = RemoverDeclaracaoXML(FixtureReinf("r1000-info-contribuinte.xml"));
  const std::string assinadoAntes =
      "<Reinf><evtInfoContri id=\"" + id + "\"/><Signature><SignedInfo/></Signature></Reinf>";
  struct Caso {
    std::string nome;
    std::string documento;
    bool assinadoAqui;
  };
  std::vector<Caso> casos;
  for (const AberturaDocumento& abertura : AberturasDocumento())
    casos.push_back({abertura.nome, abertura.texto + corpo, true});
  casos.push_back({"assinado antes, com declaração",
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + assinadoAntes, false});
  casos.push_back({"assinado antes, declaração exata repetida",
                   std::string(kDeclaracao) + kDeclaracao + assinadoAntes, false});
  Config().Geral().SetExibirErroSchema(true);  // a lot that is not well-formed or not valid raises
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    m_comp->Eventos().Clear();
    ASSERT_NO_THROW(m_comp->Eventos().LoadFromString(c.documento));
    ASSERT_EQ(Colecoes().R1000().Count(), 1u);
    ASSERT_NO_THROW(m_lote.GerarXML());
    EXPECT_EQ(m_lote.XML().find("<?xml"), std::string::npos) << m_lote.XML();
    EXPECT_EQ(m_lote.XML().find("\xEF\xBB\xBF"), std::string::npos);
    EXPECT_NE(m_lote.XML().find("<evento id=\"" + id + "\"> <Reinf"), std::string::npos)
        << m_lote.XML();
    if (c.assinadoAqui) {
      EXPECT_NE(Colecoes().R1000().Items(0).evtInfoContri().XML().find("<SignatureValue>"),
                std::string::npos);
    } else {
      EXPECT_NE(m_lote.XML().find("> " + assinadoAntes + "</evento>"), std::string::npos);
    }
  }
}

TEST(TItemLoteEventos, IDEvento) {
  const struct {
    const char* nome;
    std::string xml;
    std::string id;
  } casos[] = {
      {"identificador comum", "<Reinf><evtServTom id=\"ID1123456780000002024040210000000001\">",
       "ID1123456780000002024040210000000001"},
      {"sem id", "<Reinf><evtServTom Id=\"ID1\">", ""},
      {"dígitos a mais no alcance", "<evtServTom id=\"ID112345678000000202404021000000000177999>",
       "ID112345678000000202404021000000000177"},
      {"aspas simples", "<evtServTom id='ID12345'>", "ID12345"},
      {"id vazio no fim do texto", "<evtServTom id=", "ID"},
      {"primeiro id do texto", "<a id=\"ID7\"/><evtServTom id=\"ID1123\">", "ID71123"},
      {"letras ignoradas", "<evtServTom id=\"IDAB12CD34\">", "ID1234"},
  };
  TempDir dir{"luvaro-reinf-item"};
  TReinfComponente comp(dir.path().string());
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    TItemLoteEventos item(comp);
    item.SetXML(c.xml);
    EXPECT_EQ(item.IDEvento(), c.id);
  }
}

TEST_F(ReinfLoteTest, EventoSemIdOuSemFimDeReinf) {
  Config().Geral().SetExibirErroSchema(false);
  // An event text without "</Reinf>" contributes no item; one without "id=" an empty id.
  TevtExclusao& semFim = Colecoes().R9000().Add().evtExclusao();
  semFim.SetXML("<Reinf><evtExclusao><Signature/></evtExclusao>");
  TevtExclusao& semId = Colecoes().R9000().Add().evtExclusao();
  semId.SetXML("<Reinf><evtExclusao><Signature/></evtExclusao></Reinf>");
  m_lote.GerarXML();
  EXPECT_EQ(m_lote.XML(),
            std::string(kInicioLote) + "<evento id=\"\"> " + semId.XML() + "</evento>" + kFimLote);
}

TEST_F(ReinfLoteTest, SchemaDoLoteAusente) {
  TempDir vazia{"luvaro-reinf-sem-schemas"};
  Config().Arquivos().SetPathSchemas(vazia.path().string());
  Config().Geral().SetExibirErroSchema(false);
  EXPECT_NO_THROW(m_lote.GerarXML());
  Config().Geral().SetExibirErroSchema(true);
  try {
    m_lote.GerarXML();
    FAIL() << "sem exceção";
  } catch (const EReinfException& e) {
    const std::string msg = e.what();
    EXPECT_TRUE(msg.starts_with("Houve erro na validação do Lote: ")) << msg;
    EXPECT_NE(msg.find("EnvioLoteEventos-v1_04_00.xsd"), std::string::npos) << msg;
  }
}

TEST_F(ReinfLoteTest, CarregarLoteDeTextoArquivoEStream) {
  const std::string a = "<Reinf><evtServTom id=\"ID1\"/></Reinf>";
  const std::string b = "<Reinf><evtServPrest id=\"ID2\"/></Reinf>";
  EXPECT_FALSE(m_lote.LoadFromString("sem fim"));
  EXPECT_TRUE(m_lote.LoadFromString("  " + a + " \r\n\t" + b + "\n resto"));
  ASSERT_EQ(m_lote.Count(), 2u);
  EXPECT_EQ(m_lote.Items(0).XML(), "  " + a);
  EXPECT_EQ(m_lote.Items(1).XML(), b);
  EXPECT_EQ(m_lote.Items(1).IDEvento(), "ID2");

  WriteFile(m_dir / "lote.xml", a + b);
  TLoteEventos doArquivo(*m_comp);
  EXPECT_TRUE(doArquivo.LoadFromFile((m_dir / "lote.xml").string()));
  ASSERT_EQ(doArquivo.Count(), 2u);
  EXPECT_EQ(doArquivo.Items(0).NomeArq(), (m_dir / "lote.xml").string());
  EXPECT_EQ(doArquivo.Items(1).NomeArq(), (m_dir / "lote.xml").string());

  std::istringstream stream(a);
  stream.get();
  TLoteEventos doStream(*m_comp);
  EXPECT_TRUE(doStream.LoadFromStream(stream));
  ASSERT_EQ(doStream.Count(), 1u);
  EXPECT_EQ(doStream.Items(0).XML(), a);
}

}  // namespace
}  // namespace luvaro::test
