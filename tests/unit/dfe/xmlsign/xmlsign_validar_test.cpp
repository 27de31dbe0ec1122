// Schema validation against the government's XSD files (copied into a temporary schemas
// folder), its error texts, the schema folder as the only place schemas load from, and
// compiled schemas that follow changes of their files.

#include <gtest/gtest.h>

#include "dfe/dfe_exception.h"
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
}

}  // namespace
}  // namespace luvaro::test
