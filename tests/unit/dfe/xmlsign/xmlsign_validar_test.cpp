// Schema validation against the government's XSD files (copied into a temporary schemas
// folder), its error texts, the schema folder as the only place schemas load from, and
// compiled schemas that follow changes of their files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/xmlsign_libxml2.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {
namespace {

class XmlSignValidar : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    schemas_ = std::make_unique<TempDir>("luvaro-schemas");
    CopySchemas(schemas_->path() / "schemas");
  }
  static void TearDownTestSuite() { schemas_.reset(); }

  static std::string Schema(const std::string& nome) {
    return (schemas_->path() / "schemas" / nome).string();
  }

  static std::unique_ptr<TempDir> schemas_;
};
std::unique_ptr<TempDir> XmlSignValidar::schemas_;

TEST_F(XmlSignValidar, EventosAssinadosConformamAoSchema) {
  auto ssl = MakeFacade(SharedKey());
  for (const EventFixture& f : EventFixtures()) {
    SCOPED_TRACE(f.file);
    const std::string raiz = f.IdAttr == "ID" ? "eSocial" : "Reinf";
    const std::string assinado =
        ssl->Assinar(ReadFixture(f.file), raiz, f.infElement, "", "", "", f.IdAttr);
    std::string msg = "anterior";
    EXPECT_TRUE(ssl->Validar(assinado, Schema(f.schema), msg)) << msg;
    EXPECT_EQ(msg, "");
  }
}

TEST_F(XmlSignValidar, FalhaTrazCodigoEMensagemDaLibXml2) {
  // Expected texts as xmllint (libxml2) reports them for these documents; codes from
  // libxml/xmlerror.h: 1871 XML_SCHEMAV_ELEMENT_CONTENT, 1839 XML_SCHEMAV_CVC_PATTERN_VALID.
  const std::string ns = "http://www.esocial.gov.br/schema/evt/evtAdmPrelim/v02_05_00";
  const std::string semAssinatura = ReadFixture("esocial-v02_05_00-evtAdmPrelim.xml");
  auto ssl = MakeFacade(SharedKey());
  std::string assinadoComErro =
      ssl->Assinar(semAssinatura, "eSocial", "evtAdmPrelim", "", "", "", "ID");
  assinadoComErro.replace(assinadoComErro.find("<nrInsc>12345678<"), 17, "<nrInsc>1234567X<");

  struct Caso {
    const char* nome;
    std::string xml;
    std::string msg;
  };
  const Caso casos[] = {
      {"sem assinatura", semAssinatura,
       "1871 - Element '{" + ns +
           "}eSocial': Missing child element(s). Expected is ( "
           "{http://www.w3.org/2000/09/xmldsig#}Signature ).\n"},
      {"valor fora do padrão", assinadoComErro,
       "1839 - Element '{" + ns +
           "}nrInsc': [facet 'pattern'] The value '1234567X' is not accepted by the pattern "
           "'\\d{8,14}'.\n"},
      {"não é XML", "<eSocial", "Erro: Falha ao interpretar o XML \"xmlParseDoc\""},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    std::string msg;
    bool valido = true;
    EXPECT_NO_THROW(valido = ssl->Validar(c.xml, Schema("evtAdmPrelim-v02_05_00.xsd"), msg));
    EXPECT_FALSE(valido);
    EXPECT_EQ(msg, c.msg);
  }
}

// A lot as the program builds it; the events inside are not checked by the lot's schema.
std::string Lote(const std::string& doctype, const std::string& grupo,
                 const std::string& nrInsc, const std::vector<std::string>& ids,
                 const std::string& abreEventos = "<eventos>") {
  std::string xml = doctype +
                    "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/"
                    "v1_1_1\"><envioLoteEventos grupo=\"" +
                    grupo + "\"><ideEmpregador><tpInsc>1</tpInsc><nrInsc>" + nrInsc +
                    "</nrInsc></ideEmpregador><ideTransmissor><tpInsc>1</tpInsc><nrInsc>"
                    "12345678000199</nrInsc></ideTransmissor>" +
                    abreEventos;
  for (const std::string& id : ids) {
    xml += "<evento Id=\"" + id +
           "\"> <eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtTabRubrica/v02_05_00\">"
           "<evtTabRubrica Id=\"" +
           id + "\"><ideEvento><tpAmb>2</tpAmb></ideEvento></evtTabRubrica></eSocial></evento>";
  }
  return xml + "</eventos></envioLoteEventos></eSocial>";
}

std::vector<std::string> Ids(int quantos) {
  std::vector<std::string> ids;
  for (int i = 0; i < quantos; ++i) ids.push_back("ID1123456780000002024051012000000" + std::to_string(1000 + i));
  return ids;
}

TEST_F(XmlSignValidar, LoteGrandeValidadoSemArvoreDizOMesmoQueComArvore) {
  // Each lot is validated as it is (small: through its tree) and again with a comment after
  // its root that takes it past the size validated while parsing; validity and message must
  // not change.
  const std::string ns = "{http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1}";
  const std::vector<std::string> ids = Ids(3);
  std::vector<std::string> repetidos = ids;
  repetidos.push_back(ids[1]);
  std::vector<std::string> repetidosEErro = repetidos;
  repetidosEErro.push_back("9x");
  const std::string entidade = "<!DOCTYPE eSocial [<!ENTITY insc \"1234567X\">]>";
  const std::string externa = "<!DOCTYPE eSocial [<!ENTITY insc SYSTEM \"/etc/hostname\">]>";
  struct Caso {
    const char* nome;
    std::string xml;
    bool valido;
  };
  const Caso casos[] = {
      {"válido", Lote("", "1", "12345678", ids), true},
      {"válido com entidade", Lote("<!DOCTYPE eSocial [<!ENTITY insc \"12345678\">]>", "1",
                                   "&insc;", ids),
       true},
      {"grupo que não é número", Lote("", "x", "12345678", ids), false},
      {"inscrição fora do padrão vinda de entidade", Lote(entidade, "1", "&insc;", ids), false},
      {"entidade externa", Lote(externa, "1", "&insc;", ids), false},
      {"Id repetido", Lote("", "1", "12345678", repetidos), false},
      {"Id repetido e erro depois", Lote("", "1", "12345678", repetidosEErro), false},
      {"erro e aviso do analisador depois",
       Lote("", "1", "1234567X", ids, "<eventos xmlns:r=\"relativo\">"), false},
      {"sem eventos", Lote("", "1", "12345678", {}), false},
      {"outra raiz", "<lote xmlns=\"urn:outro\"/>", false},
      {"não é XML", Lote("", "1", "12345678", ids).substr(0, 300), false},
  };
  auto ssl = MakeFacade(SharedKey());
  const std::string schema = Schema("EnvioLoteEventos-v1_1_1.xsd");
  const std::string enchimento =
      "<!--" + std::string(TDFeSSLXmlSignLibXml2::kTamanhoValidacaoEmFluxo, 'x') + "-->";
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    ASSERT_LT(c.xml.size(), TDFeSSLXmlSignLibXml2::kTamanhoValidacaoEmFluxo);
    std::string comArvore;
    EXPECT_EQ(ssl->Validar(c.xml, schema, comArvore), c.valido) << comArvore;
    EXPECT_EQ(comArvore.empty(), c.valido) << comArvore;
    std::string semArvore;
    EXPECT_EQ(ssl->Validar(c.xml + enchimento, schema, semArvore), c.valido) << semArvore;
    EXPECT_EQ(semArvore, comArvore);
  }

  // A lot large by itself, valid, then with its last two events sharing an Id.
  std::vector<std::string> muitos = Ids(600);
  const std::string grande = Lote("", "1", "12345678", muitos);
  ASSERT_GE(grande.size(), TDFeSSLXmlSignLibXml2::kTamanhoValidacaoEmFluxo);
  std::string msg;
  EXPECT_TRUE(ssl->Validar(grande, schema, msg)) << msg;
  muitos.back() = muitos[muitos.size() - 2];
  EXPECT_FALSE(ssl->Validar(Lote("", "1", "12345678", muitos), schema, msg));
  EXPECT_EQ(msg, "1824 - Element '" + ns + "evento', attribute 'Id': '" + muitos.back() +
                     "' is not a valid value of the atomic type 'xs:ID'.\n");
}

TEST_F(XmlSignValidar, SchemaAusenteOuInvalido) {
  const TempDir dir("luvaro-xsd");
  WriteFile(dir / "quebrado.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">");
  WriteFile(dir / "nao-compila.xsd",
            "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"r\" "
            "type=\"xs:naoExiste\"/></xs:schema>");
  const std::string xml = "<r>1</r>";
  auto ssl = MakeFacade(SharedKey());

  struct Caso {
    const char* nome;
    std::string arquivo;
    std::string msg;
  };
  const Caso casos[] = {
      {"arquivo inexistente", (dir / "nao-existe.xsd").string(), "Erro: Schema inválido"},
      {"XSD mal formado", (dir / "quebrado.xsd").string(), "Erro: Schema inválido"},
      {"XSD que não compila", (dir / "nao-compila.xsd").string(), "Erro: Schema inválido"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    std::string msg;
    EXPECT_FALSE(ssl->SSLXmlSignClass().Validar(xml, c.arquivo, msg));
    EXPECT_EQ(msg, c.msg);
  }
  // Through the facade a missing file is reported before the back-end is reached.
  std::string msg;
  const std::string inexistente = (dir / "nao-existe.xsd").string();
  try {
    ssl->Validar(xml, inexistente, msg);
    ADD_FAILURE() << "no exception";
  } catch (const EDFeException& e) {
    EXPECT_EQ(std::string(e.what()), "Arquivo \r\n" + inexistente + "\r\nNão encontrado");
  }
}

TEST_F(XmlSignValidar, SchemasCarregamSoDaPastaDoSchema) {
  const TempDir dir("luvaro-xsd");
  const std::string tipos =
      "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:t\">"
      "<xs:simpleType name=\"codigo\"><xs:restriction base=\"xs:string\">"
      "<xs:pattern value=\"\\d{3}\"/></xs:restriction></xs:simpleType></xs:schema>";
  WriteFile(dir / "schemas" / "tipos.xsd", tipos);
  WriteFile(dir / "fora" / "tipos.xsd", tipos);
  const auto principal = [](const std::string& local) {
    return "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:t=\"urn:t\">"
           "<xs:import namespace=\"urn:t\" schemaLocation=\"" +
           local + "\"/><xs:element name=\"r\" type=\"t:codigo\"/></xs:schema>";
  };
  WriteFile(dir / "schemas" / "dentro.xsd", principal("tipos.xsd"));
  WriteFile(dir / "schemas" / "relativo-fora.xsd", principal("../fora/tipos.xsd"));
  WriteFile(dir / "schemas" / "absoluto-fora.xsd",
            principal((dir / "fora" / "tipos.xsd").string()));
  WriteFile(dir / "schemas" / "rede.xsd", principal("http://127.0.0.1:9/tipos.xsd"));

  struct Caso {
    const char* nome;
    std::string arquivo;
    bool valido;
    std::string msg;
  };
  const Caso casos[] = {
      {"import na mesma pasta", "dentro.xsd", true, ""},
      {"import relativo para fora", "relativo-fora.xsd", false, "Erro: Schema inválido"},
      {"import absoluto para fora", "absoluto-fora.xsd", false, "Erro: Schema inválido"},
      {"import pela rede", "rede.xsd", false, "Erro: Schema inválido"},
  };
  auto ssl = MakeFacade(SharedKey());
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    std::string msg;
    EXPECT_EQ(ssl->Validar("<r>123</r>", (dir / "schemas" / c.arquivo).string(), msg), c.valido);
    EXPECT_EQ(msg, c.msg);
  }
}

TEST_F(XmlSignValidar, SchemaAlteradoOuRemovidoEhRelido) {
  const TempDir dir("luvaro-xsd");
  const std::string arquivo = (dir / "r.xsd").string();
  const auto schema = [](const std::string& tipo) {
    return "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"r\" "
           "type=\"" +
           tipo + "\"/></xs:schema>";
  };
  auto ssl = MakeFacade(SharedKey());
  std::string msg;

  WriteFile(arquivo, schema("xs:integer"));
  EXPECT_FALSE(ssl->Validar("<r>abc</r>", arquivo, msg));
  EXPECT_TRUE(msg.starts_with("1824 - Element 'r': 'abc' is not a valid value")) << msg;
  EXPECT_FALSE(ssl->Validar("<r>abc</r>", arquivo, msg)) << "same answer from the kept schema";

  WriteFile(arquivo, schema("xs:string"));
  EXPECT_TRUE(ssl->Validar("<r>abc</r>", arquivo, msg)) << msg;

  WriteFile(arquivo, "<xs:schema");
  EXPECT_FALSE(ssl->Validar("<r>abc</r>", arquivo, msg));
  EXPECT_EQ(msg, "Erro: Schema inválido");

  std::filesystem::remove(arquivo);
  EXPECT_FALSE(ssl->SSLXmlSignClass().Validar("<r>abc</r>", arquivo, msg));
  EXPECT_EQ(msg, "Erro: Schema inválido");

  // A schema named through a link that is pointed at another file is compiled again.
  const std::string inteiro = (dir / "inteiro.xsd").string();
  const std::string texto = (dir / "texto.xsd").string();
  const std::string elo = (dir / "elo.xsd").string();
  WriteFile(inteiro, schema("xs:integer"));
  WriteFile(texto, schema("xs:string") + "<!-- outro -->");
  std::error_code erro;
  std::filesystem::create_symlink(inteiro, elo, erro);
  if (erro) GTEST_SKIP() << "no symbolic links here: " << erro.message();
  EXPECT_FALSE(ssl->Validar("<r>abc</r>", elo, msg));
  std::filesystem::remove(elo);
  std::filesystem::create_symlink(texto, elo);
  EXPECT_TRUE(ssl->Validar("<r>abc</r>", elo, msg)) << msg;
}

}  // namespace
}  // namespace luvaro::test
