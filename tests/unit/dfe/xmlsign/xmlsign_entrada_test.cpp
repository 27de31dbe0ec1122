// Bad input: every document the back-end cannot or must not use ends in the given message or
// a clean failure, never a crash, a hang, a file read or a network access.

#include <gtest/gtest.h>

#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {
namespace {

constexpr char kFalhaInterpretar[] = "Erro: Falha ao interpretar o XML \"xmlParseDoc\"";

// Ten levels of ten references each: 10^9 copies of the innermost text.
std::string BombaDeEntidades() {
  std::string dtd = "<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return "<!DOCTYPE r [" + dtd + "]><r><e Id=\"E1\">&l9;</e></r>";
}

// The same with parameter entities expanding into the DTD itself.
std::string BombaDeEntidadesDeParametro() {
  std::string dtd = "<!ENTITY % p0 \"<!-- x -->\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY % p" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) dtd += "&#37;p" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return "<!DOCTYPE r [" + dtd + "%p9;]><r><e Id=\"E1\">x</e></r>";
}

// One 50 kB entity referenced 10 000 times: 500 MB from a 90 kB document.
std::string BombaQuadratica() {
  std::string refs;
  for (int i = 0; i < 10000; ++i) refs += "&a;";
  return "<!DOCTYPE r [<!ENTITY a \"" + std::string(50000, 'a') + "\">]><r><e Id=\"E1\">" + refs +
         "</e></r>";
}

// A well-formed eSocial-shaped document of about `bytes` bytes.
std::string DocumentoGrande(std::size_t bytes) {
  std::string xml = "<eSocial xmlns=\"urn:e\"><evt Id=\"ID1\">";
  const std::string item =
      "<item><codigo>000123</codigo><descricao>Descrição do item de teste</descricao></item>";
  while (xml.size() < bytes) xml += item;
  return xml + "</evt></eSocial>";
}

struct Caso {
  const char* nome;
  std::string xml;
  std::string infElement;
  std::string IdAttr;
  std::string msg;
};

TEST(XmlSignEntrada, AssinarRecusaComAMensagemPrevista) {
  const TempDir dir("luvaro-xmlsign");
  WriteFile(dir / "segredo.txt", "conteudo-secreto");
  const std::string segredo = (dir / "segredo.txt").string();

  const Caso casos[] = {
      {"não é XML", "isto não é um documento", "e", "Id", kFalhaInterpretar},
      {"vazio", "", "e", "Id", kFalhaInterpretar},
      {"só declaração", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "e", "Id", kFalhaInterpretar},
      {"só comentário", "<!-- sem raiz -->", "e", "Id", kFalhaInterpretar},
      {"Id entre apóstrofos", "<r><e Id='E1'><v>1</v></e></r>", "e", "Id",
       "Não encontrei inicio do URI: aspas inicial"},
      {"Id entre apóstrofos e aspas adiante", "<r><e Id='E1' x=\"y\"><v>1</v></e></r>", "e", "Id",
       "Não encontrei inicio do URI: aspas inicial"},
      {"aspas sem fechamento", "<r><e Id=\"E1><v>1</v></e></r>", "e", "Id",
       "Não encontrei inicio do URI: aspas final"},
      {"elemento a assinar ausente", "<r><e Id=\"E1\"><v>1</v></e></r>", "naoExiste", "Id",
       "Nenhum elemento encontrado"},
      {"caractere de controle",
       "<r><e Id=\"E1\">a\x01"
       "b</e></r>",
       "e", "Id", kFalhaInterpretar},
      {"referência a caractere de controle", "<r><e Id=\"E1\">a&#1;b</e></r>", "e", "Id",
       kFalhaInterpretar},
      {"mal formado", "<r><e Id=\"E1\"><v>1</e></r>", "e", "Id", kFalhaInterpretar},
      {"bomba de entidades", BombaDeEntidades(), "e", "Id", kFalhaInterpretar},
      {"bomba de entidades de parâmetro", BombaDeEntidadesDeParametro(), "e", "Id",
       kFalhaInterpretar},
      {"bomba quadrática", BombaQuadratica(), "e", "Id", kFalhaInterpretar},
      {"entidade externa de arquivo",
       "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + segredo + "\">]><r><e Id=\"E1\">&x;</e></r>", "e",
       "Id", kFalhaInterpretar},
      {"entidade externa file://",
       "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + segredo + "\">]><r><e Id=\"E1\">&x;</e></r>",
       "e", "Id", kFalhaInterpretar},
      {"entidade externa de rede",
       "<!DOCTYPE r [<!ENTITY x SYSTEM \"http://127.0.0.1:9/x\">]><r><e Id=\"E1\">&x;</e></r>", "e",
       "Id", kFalhaInterpretar},
      {"entidade de parâmetro externa",
       "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + segredo + "\">%p;]><r><e Id=\"E1\">x</e></r>", "e",
       "Id", kFalhaInterpretar},
      {"DTD externa", "<!DOCTYPE r SYSTEM \"" + segredo + "\"><r><e Id=\"E1\">x</e></r>", "e", "Id",
       kFalhaInterpretar},
      {"DTD externa pública",
       "<!DOCTYPE r PUBLIC \"-//X//DTD X//EN\" \"http://127.0.0.1:9/x.dtd\"><r><e "
       "Id=\"E1\">x</e></r>",
       "e", "Id", kFalhaInterpretar},
      {"entidade não analisada",
       "<!DOCTYPE r [<!NOTATION n SYSTEM \"n\"><!ENTITY x SYSTEM \"" + segredo +
           "\" NDATA n>]><r><e Id=\"E1\">x</e></r>",
       "e", "Id", kFalhaInterpretar},
  };
  auto ssl = MakeFacade(SharedKey());
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    try {
      const std::string assinado = ssl->Assinar(c.xml, "r", c.infElement, "", "", "", c.IdAttr);
      ADD_FAILURE() << "signed: " << assinado.substr(0, 200);
    } catch (const EDFeException& e) {
      EXPECT_EQ(std::string(e.what()), c.msg);
    }
  }
}

TEST(XmlSignEntrada, IdSignatureQueQuebraOModelo) {
  auto ssl = MakeFacade(SharedKey());
  try {
    ssl->Assinar("<r><e Id=\"E1\">x</e></r>", "r", "e", "", "", " Id=\"aberto", "Id");
    ADD_FAILURE() << "no exception";
  } catch (const EDFeException& e) {
    EXPECT_EQ(std::string(e.what()), "Erro: Falha ao montar o modelo da assinatura");
  }
}

// What signing refuses, validation and verification refuse the same way, through MsgErro.
TEST(XmlSignEntrada, ValidarEVerificarRecusamComoAssinar) {
  const TempDir dir("luvaro-xmlsign");
  WriteFile(dir / "segredo.txt", "conteudo-secreto");
  WriteFile(dir / "r.xsd",
            "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"r\"/>"
            "</xs:schema>");
  const std::string segredo = (dir / "segredo.txt").string();
  const std::pair<const char*, std::string> casos[] = {
      {"não é XML", "isto não é um documento"},
      {"bomba de entidades", BombaDeEntidades()},
      {"bomba quadrática", BombaQuadratica()},
      {"entidade externa", "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + segredo + "\">]><r>&x;</r>"},
      {"DTD externa", "<!DOCTYPE r SYSTEM \"" + segredo + "\"><r/>"},
  };
  auto ssl = MakeFacade(SharedKey());
  for (const auto& [nome, xml] : casos) {
    SCOPED_TRACE(nome);
    std::string msg;
    EXPECT_FALSE(ssl->Validar(xml, (dir / "r.xsd").string(), msg));
    EXPECT_EQ(msg, kFalhaInterpretar);
    msg.clear();
    EXPECT_FALSE(ssl->VerificarAssinatura(xml, msg, "r"));
    EXPECT_EQ(msg, kFalhaInterpretar);
  }
}

TEST(XmlSignEntrada, EntidadesDentroDoLimiteSaoAceitas) {
  // 100 references to a 1000-byte entity: 100 kB of expansion, well inside the bound.
  std::string refs;
  for (int i = 0; i < 100; ++i) refs += "&a;";
  const std::string xml = "<!DOCTYPE r [<!ENTITY a \"" + std::string(1000, 'a') +
                          "\">]><r><e Id=\"E1\">" + refs + "</e></r>";
  auto ssl = MakeFacade(SharedKey());
  const std::string assinado = ssl->Assinar(xml, "r", "e", "", "", "", "Id");
  EXPECT_NE(assinado.find(std::string(100000, 'a')), std::string::npos);
  std::string msg;
  EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
}

TEST(XmlSignEntrada, DocumentoDeCincoMegabytes) {
  const std::string xml = DocumentoGrande(5 * 1024 * 1024);
  auto ssl = MakeFacade(SharedKey());
  for (const char* IdAttr : {"ID", "Id"}) {
    SCOPED_TRACE(IdAttr);
    const std::string assinado = ssl->Assinar(xml, "eSocial", "evt", "", "", "", IdAttr);
    EXPECT_GT(assinado.size(), xml.size());
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "evt")) << msg;
  }
}

}  // namespace
}  // namespace luvaro::test
