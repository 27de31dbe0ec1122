// The lot: the document byte for byte, the order of its events whatever the loading order,
// the registrations, IDEvento, the lot schema check with and without ExibirErroSchema, and
// loading documents into a lot.

#include <sstream>

#include <gtest/gtest.h>

#include "dfe/dfe_exception.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/esocial_exception.h"
#include "esocial/eventos.h"
#include "esocial/lote_eventos.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::DocumentoAssinado;
using test::TempDir;

class LoteEventosTest : public testing::Test {
 protected:
  void SetUp() override {
    lote.IdeEmpregador().SetTpInsc(tpTpInsc::tiCNPJ);
    lote.IdeEmpregador().SetNrInsc("12345678000195");
    lote.IdeTransmissor().SetTpInsc(tpTpInsc::tiCNPJ);
    lote.IdeTransmissor().SetNrInsc("12345678000195");
  }

  std::vector<std::string> IdsDoLote() const {
    std::vector<std::string> ids;
    for (int i = 0; i < lote.Count(); ++i) ids.push_back(lote.Items(i).IDEvento());
    return ids;
  }

  TempDir dir{"luvaro-esocial-lote"};
  std::unique_ptr<TeSocialComponente> componente = test::NovoComponente(dir.path());
  TConfiguracoeseSocial& c = componente->Configuracoes();
  TLoteEventos lote{*componente};
};

TEST_F(LoteEventosTest, DocumentoDoLoteByteAByte) {
  const std::string s1000 =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>" +
      DocumentoAssinado("evtInfoEmpregador", "ID1123456780000002024030112000000001");
  const std::string s2200 =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
      DocumentoAssinado("evtAdmissao", "ID1123456780000002024030112000000002");
  componente->Eventos().LoadFromString(s2200);
  componente->Eventos().LoadFromString(s1000);
  lote.IdeTransmissor().SetTpInsc(tpTpInsc::tiCPF);
  lote.IdeTransmissor().SetNrInsc("52998224725");

  lote.GerarXML(2);
  const std::string esperado =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\">"
      "<envioLoteEventos grupo=\"2\">"
      "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>"
      "<ideTransmissor><tpInsc>2</tpInsc><nrInsc>52998224725</nrInsc></ideTransmissor>"
      "<eventos>"
      "<evento Id=\"ID1123456780000002024030112000000001\"> "
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtInfoEmpregador/v02_05_00\">"
      "<evtInfoEmpregador Id=\"ID1123456780000002024030112000000001\"><x>1</x>"
      "</evtInfoEmpregador><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
      "<SignedInfo/></Signature></eSocial></evento>"
      "<evento Id=\"ID1123456780000002024030112000000002\"> "
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtAdmissao/v02_05_00\">"
      "<evtAdmissao Id=\"ID1123456780000002024030112000000002\"><x>1</x></evtAdmissao>"
      "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo/></Signature>"
      "</eSocial></evento>"
      "</eventos></envioLoteEventos></eSocial>";
  EXPECT_EQ(lote.XML(), esperado);

  lote.GerarXML(2);
  EXPECT_EQ(lote.XML(), esperado) << "a second build without changes gives the same document";
  EXPECT_EQ(lote.Count(), 2);
  EXPECT_EQ(componente->Eventos().Count(), 2) << "the container is read, not changed";
}

TEST_F(LoteEventosTest, RegistrosDoEmpregadorEDoTransmissor) {
  const struct {
    std::string nome;
    tpTpInsc tipoEmpregador;
    std::string empregador;
    tpTpInsc tipoTransmissor;
    std::string transmissor;
    std::string esperado;
  } casos[] = {
      {"CNPJ: raiz", tpTpInsc::tiCNPJ, "12345678000195", tpTpInsc::tiCNPJ, "11222333000181",
       "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>"
       "<ideTransmissor><tpInsc>1</tpInsc><nrInsc>11222333000181</nrInsc></ideTransmissor>"},
      {"CPF inteiro", tpTpInsc::tiCPF, "52998224725", tpTpInsc::tiCPF, "52998224725",
       "<ideEmpregador><tpInsc>2</tpInsc><nrInsc>52998224725</nrInsc></ideEmpregador>"
       "<ideTransmissor><tpInsc>2</tpInsc><nrInsc>52998224725</nrInsc></ideTransmissor>"},
      {"CNPJ curto", tpTpInsc::tiCNPJ, "1234", tpTpInsc::tiCNPJ, "",
       "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>1234</nrInsc></ideEmpregador>"
       "<ideTransmissor><tpInsc>1</tpInsc><nrInsc></nrInsc></ideTransmissor>"},
      {"texto escapado", tpTpInsc::tiCPF, "1<2", tpTpInsc::tiCPF, "a&b",
       "<ideEmpregador><tpInsc>2</tpInsc><nrInsc>1&lt;2</nrInsc></ideEmpregador>"
       "<ideTransmissor><tpInsc>2</tpInsc><nrInsc>a&amp;b</nrInsc></ideTransmissor>"},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    lote.IdeEmpregador().SetTpInsc(k.tipoEmpregador);
    lote.IdeEmpregador().SetNrInsc(k.empregador);
    lote.IdeTransmissor().SetTpInsc(k.tipoTransmissor);
    lote.IdeTransmissor().SetNrInsc(k.transmissor);
    lote.GerarXML(1);
    EXPECT_NE(lote.XML().find("<envioLoteEventos grupo=\"1\">" + k.esperado + "<eventos>"),
              std::string::npos)
        << lote.XML();
  }
  EXPECT_FALSE(lote.IdeEmpregador().OrgaoPublico());
}

TEST_F(LoteEventosTest, EventosReaisEmOrdemDeGrupoQualquerQueSejaACarga) {
  const std::vector<std::vector<int>> ordens = {
      {7, 6, 5, 4, 3, 2, 1, 0}, {3, 0, 6, 2, 7, 1, 5, 4}, {0, 1, 2, 3, 4, 5, 6, 7}};
  // Group order: S-1000, S-1005 | S-2190, S-2221, S-2245, S-3000 | S-1298, S-1299.
  const auto& f = test::FixturesEvento();
  const std::vector<std::string> esperado = {f[0].id, f[1].id, f[4].id, f[5].id,
                                             f[6].id, f[7].id, f[2].id, f[3].id};
  c.Geral().SetExibirErroSchema(true);
  for (const auto& ordem : ordens) {
    SCOPED_TRACE(testing::PrintToString(ordem));
    componente->Eventos().Clear();
    for (int i : ordem) {
      // One document per call, as the eSocial worker loads them.
      componente->Eventos().LoadFromString(test::LerFixtureEsocial(f[i].arquivo));
    }
    lote.GerarXML(1);  // the lot validates against its schema, or this raises
    EXPECT_EQ(IdsDoLote(), esperado);
    std::size_t anterior = 0;
    for (const std::string& id : esperado) {
      const std::size_t pos = lote.XML().find("<evento Id=\"" + id + "\"> <eSocial xmlns=");
      EXPECT_NE(pos, std::string::npos) << id;
      EXPECT_GT(pos, anterior);
      anterior = pos;
    }
    EXPECT_EQ(lote.XML().find("<?xml"), std::string::npos);
  }
}

// Whatever declaration the ERP's document opens with, the event is signed and the lot that
// carries it is well-formed and valid against EnvioLoteEventos-v1_1_1.xsd: no declaration is
// left inside its evento.
TEST_F(LoteEventosTest, NenhumaDeclaracaoDentroDoLote) {
  const test::FixtureEvento& f = test::FixturesEvento()[0];  // S-1000
  const std::string corpo = RemoverDeclaracaoXML(test::LerFixtureEsocial(f.arquivo));
  const std::string assinadoAntes = DocumentoAssinado("evtInfoEmpregador", f.id);
  struct Caso {
    std::string nome;
    std::string documento;
    bool assinadoAqui;
  };
  std::vector<Caso> casos;
  for (const test::AberturaDocumento& abertura : test::AberturasDocumento())
    casos.push_back({abertura.nome, abertura.texto + corpo, true});
  casos.push_back(
      {"assinado antes, com declaração",
       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n" + assinadoAntes, false});
  c.Geral().SetExibirErroSchema(true);  // a lot that is not well-formed or not valid raises
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    componente->Eventos().Clear();
    ASSERT_NO_THROW(componente->Eventos().LoadFromString(k.documento));
    ASSERT_EQ(componente->Eventos().Count(), 1);
    ASSERT_NO_THROW(lote.GerarXML(1));
    EXPECT_EQ(lote.XML().find("<?xml"), std::string::npos) << lote.XML();
    EXPECT_EQ(lote.XML().find("\xEF\xBB\xBF"), std::string::npos);
    EXPECT_NE(lote.XML().find("<evento Id=\"" + f.id + "\"> <eSocial xmlns="), std::string::npos)
        << lote.XML();
    if (k.assinadoAqui) {
      const std::string& xml =
          componente->Eventos().Iniciais().S1000().Items(0).evtInfoEmpregador().XML();
      EXPECT_NE(xml.find("<SignatureValue>"), std::string::npos);
    } else {
      EXPECT_NE(lote.XML().find("> " + assinadoAntes + "</evento>"), std::string::npos);
    }
  }
}

TEST_F(LoteEventosTest, EsquemaDoLoteSoFalhaComExibirErroSchema) {
  // An empty container: an empty eventos element, which the schema refuses.
  lote.GerarXML(1);
  EXPECT_NE(lote.XML().find("<eventos></eventos>"), std::string::npos);

  c.Geral().SetExibirErroSchema(true);
  try {
    lote.GerarXML(1);
    FAIL() << "an empty lot passed the schema";
  } catch (const EeSocialException& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Houve erro na validação do Lote: ")) << e.what();
    EXPECT_NE(std::string(e.what()).find("eventos"), std::string::npos) << e.what();
  }
  EXPECT_NE(lote.XML().find("<eventos></eventos>"), std::string::npos);

  // A missing schema file counts as a failed check.
  std::filesystem::create_directories(dir.path() / "sem-lote");
  test::WriteFile(dir.path() / "sem-lote" / "outro.xsd", "<x/>");
  c.Arquivos().SetPathSchemas((dir.path() / "sem-lote").string());
  componente->Eventos().LoadFromString(DocumentoAssinado("evtInfoEmpregador", "ID1"));
  try {
    lote.GerarXML(1);
    FAIL() << "no lot schema";
  } catch (const EeSocialException& e) {
    EXPECT_EQ(std::string(e.what()), "Houve erro na validação do Lote: Arquivo \r\n" +
                                         (dir.path() / "sem-lote").string() +
                                         "/EnvioLoteEventos-v1_1_1.xsd\r\nNão encontrado");
  }
  c.Geral().SetExibirErroSchema(false);
  lote.GerarXML(3);
  EXPECT_NE(lote.XML().find("grupo=\"3\""), std::string::npos);
}

TEST_F(LoteEventosTest, EventoSemFimDeDocumentoNaoEntra) {
  componente->Eventos().Iniciais().S1000().Add().evtInfoEmpregador().SetXML(
      "<eSocial><evtInfoEmpregador Id=\"ID1\"><Signature/>");
  componente->Eventos().LoadFromString(DocumentoAssinado("evtTabEstab", "ID2", "<x/>"));
  lote.GerarXML(1);
  EXPECT_EQ(IdsDoLote(), (std::vector<std::string>{"ID2"}));
}

TEST_F(LoteEventosTest, IDEventoDoItem) {
  const struct {
    std::string nome, xml, esperado;
  } casos[] = {
      {"identificador de 36", "<e Id=\"ID1123456780000002024030112000000001\">",
       "ID1123456780000002024030112000000001"},
      {"sem Id=", "<e id=\"ID1\">", ""},
      {"apóstrofos", "<e Id='ID12345'>", "ID12345"},
      {"curto: dígitos que seguem entram", "<e Id=\"ID12\"><n>345</n>", "ID12345"},
      {"primeiro Id= do texto", "<a Id=\"ID1\"/><b Id=\"ID2\"/>", "ID12"},
      {"vazio", "", ""},
      {"Id= no fim", "<e Id=", "ID"},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    TItemLoteEventos item;
    item.SetXML(k.xml);
    EXPECT_EQ(item.IDEvento(), k.esperado);
    EXPECT_EQ(item.Leitor().Arquivo(), k.xml) << "assigning loads the reader";
  }
}

TEST_F(LoteEventosTest, CargaDeTextoArquivoEStream) {
  const std::string a = DocumentoAssinado("evtInfoEmpregador", "ID1");
  const std::string b = DocumentoAssinado("evtTabEstab", "ID2");
  EXPECT_FALSE(lote.LoadFromString("<eSocial>"));
  EXPECT_TRUE(lote.LoadFromString(a + "\n\n" + b + "resto"));
  ASSERT_EQ(lote.Count(), 2);
  EXPECT_EQ(lote.Items(0).XML(), a);
  EXPECT_EQ(lote.Items(1).XML(), b);
  EXPECT_EQ(lote.Items(0).Leitor().Arquivo(), "") << "loading sets the text only";
  EXPECT_THROW(lote.Items(2), EDFeException);

  test::WriteFile(dir.path() / "lote.xml", "\xEF\xBB\xBF" + a + "\n");
  EXPECT_TRUE(lote.LoadFromFile((dir.path() / "lote.xml").string()));
  ASSERT_EQ(lote.Count(), 3);
  EXPECT_EQ(lote.Items(2).XML(), a) << "the file's bytes";
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(lote.Items(i).NomeArq(), (dir.path() / "lote.xml").string());
  EXPECT_THROW(lote.LoadFromFile((dir.path() / "nao-existe.xml").string()), EDFeException);

  std::istringstream stream(b);
  stream.seekg(5);
  EXPECT_TRUE(lote.LoadFromStream(stream));
  ASSERT_EQ(lote.Count(), 4);
  EXPECT_EQ(lote.Items(3).XML(), b);
  EXPECT_EQ(lote.Items(3).NomeArq(), "");
}

}  // namespace
}  // namespace luvaro
