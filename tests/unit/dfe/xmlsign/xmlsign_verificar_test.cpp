// Verification: untouched signatures pass, every kind of change is caught with its message,
// unsupported algorithms raise, and the certificate of the signature is unloaded afterwards.

#include <gtest/gtest.h>

#include <functional>

#include "dfe/dfe_exception.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {
namespace {

std::string Trocar(std::string texto, const std::string& de, const std::string& para) {
  const std::size_t pos = texto.find(de);
  EXPECT_NE(pos, std::string::npos) << de;
  if (pos != std::string::npos) texto.replace(pos, de.size(), para);
  return texto;
}

// The first character of an element's content flipped to another Base64 letter.
std::string AlterarBase64(std::string texto, const std::string& elemento) {
  const std::size_t pos = texto.find("<" + elemento + ">");
  EXPECT_NE(pos, std::string::npos) << elemento;
  if (pos == std::string::npos) return texto;
  char& c = texto[pos + elemento.size() + 2 + 10];
  c = c == 'A' ? 'B' : 'A';
  return texto;
}

struct Forma {
  const char* nome;
  const char* fixture;
  const char* raiz;
  const char* infElement;
  const char* IdAttr;
  const char* dentroDoEvento;  // a value inside the signed event element
};
const Forma kFormas[] = {
    {"eSocial", "esocial-v02_05_00-evtFechaEvPer.xml", "eSocial", "evtFechaEvPer", "ID",
     "<perApur>2024-03</perApur>"},
    {"EFD-Reinf", "reinf-v1_04_00-evtInfoContri.xml", "Reinf", "evtInfoContri", "id",
     "<classTrib>99</classTrib>"},
};

TEST(XmlSignVerificar, AlteracoesDetectadas) {
  const SoftwareKey outraChave = MakeSoftwareKey("OUTRA EMPRESA:11222333000181");
  for (const Forma& forma : kFormas) {
    SCOPED_TRACE(forma.nome);
    auto ssl = MakeFacade(SharedKey());
    const std::string assinado = ssl->Assinar(ReadFixture(forma.fixture), forma.raiz,
                                              forma.infElement, "", "", "", forma.IdAttr);
    const std::string alterado = std::string("DigestValue não confere. Conteúdo de \"") +
                                 forma.infElement + "\" foi alterado";

    struct Caso {
      const char* nome;
      std::string xml;
      bool valido;
      std::string msg;
    };
    const std::string dentro(forma.dentroDoEvento);
    const Caso casos[] = {
        {"intacto", assinado, true, ""},
        {"valor do evento alterado", Trocar(assinado, dentro, Trocar(dentro, ">", "> ")), false,
         alterado},
        {"DigestValue alterado", AlterarBase64(assinado, "DigestValue"), false, alterado},
        {"SignatureValue alterado", AlterarBase64(assinado, "SignatureValue"), false,
         "Erro: Assinatura inválida, SignatureValue não confere"},
        {"certificado de outra chave",
         Trocar(assinado, SharedKey().certDerBase64, outraChave.certDerBase64), false,
         "Erro: Assinatura inválida, SignatureValue não confere"},
        {"certificado ilegível", Trocar(assinado, SharedKey().certDerBase64, "QUJD"), false,
         "Erro: Falha ao carregar o certificado da assinatura"},
        {"sem assinatura", ReadFixture(forma.fixture), false,
         "Erro: Falha ao localizar o nó de Assinatura"},
        {"não é XML", "não é XML", false, "Erro: Falha ao interpretar o XML \"xmlParseDoc\""},
    };
    for (const Caso& c : casos) {
      SCOPED_TRACE(c.nome);
      std::string msg = "anterior";
      EXPECT_EQ(ssl->VerificarAssinatura(c.xml, msg, forma.infElement), c.valido);
      EXPECT_EQ(msg, c.msg);
    }
  }
}

TEST(XmlSignVerificar, AlgoritmoDaAssinaturaNaoSuportadoLevantaErro) {
  auto ssl = MakeFacade(SharedKey());
  const std::string assinado =
      ssl->Assinar("<r><e id=\"E1\"><v>1</v></e></r>", "r", "e", "", "", "", "id");
  const std::string metodo = "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
  struct Caso {
    const char* nome;
    std::string algoritmo;
    std::string msg;
  };
  const Caso casos[] = {
      {"sha384", "http://www.w3.org/2001/04/xmldsig-more#rsa-sha384",
       "Digest Algorithm, \"rsa-sha384\" não suportado"},
      {"maiúsculas contam como minúsculas", "http://www.w3.org/2001/04/xmldsig-more#RSA-MD5",
       "Digest Algorithm, \"rsa-md5\" não suportado"},
      {"prefixo desconhecido", "urn:outro#rsa-sha256",
       "Não foi possivel recuperar o \"Digest Algorithm\" do XML"},
      {"sem valor", "http://www.w3.org/2000/09/xmldsig#",
       "Não foi possivel recuperar o \"Digest Algorithm\" do XML"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    std::string msg;
    try {
      ssl->VerificarAssinatura(Trocar(assinado, metodo, c.algoritmo), msg, "e");
      ADD_FAILURE() << "no exception";
    } catch (const EDFeException& e) {
      EXPECT_EQ(std::string(e.what()), c.msg);
    }
  }
  // The same algorithm written in capitals is still RSA-SHA256.
  std::string msg;
  EXPECT_FALSE(ssl->VerificarAssinatura(
      Trocar(assinado, metodo, "http://www.w3.org/2001/04/xmldsig-more#RSA-SHA256"), msg, "e"));
  EXPECT_EQ(msg, "Erro: Assinatura inválida, SignatureValue não confere")
      << "SignedInfo changed, so the signature no longer matches";
}

TEST(XmlSignVerificar, CertificadoDescarregadoDepois) {
  auto ssl = MakeFacade(SharedKey());
  auto& crypt = static_cast<SoftwareKeyCrypt&>(ssl->SSLCryptClass());
  const std::string assinado =
      ssl->Assinar("<r><e id=\"E1\"><v>1</v></e></r>", "r", "e", "", "", "", "id");
  EXPECT_TRUE(ssl->CertificadoLido());
  const int antes = crypt.Descarregamentos();

  std::string msg;
  EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
  EXPECT_EQ(crypt.Descarregamentos(), antes + 1);
  EXPECT_FALSE(ssl->CertificadoLido());

  // Failing before the certificate of the signature was loaded leaves the facade alone.
  ssl->CarregarCertificado();
  EXPECT_FALSE(ssl->VerificarAssinatura("<r/>", msg, "e"));
  EXPECT_EQ(crypt.Descarregamentos(), antes + 1);
  EXPECT_TRUE(ssl->CertificadoLido());
}

TEST(XmlSignVerificar, AssinaturaProcuradaAoRedorDoElemento) {
  auto ssl = MakeFacade(SharedKey());
  const std::string assinado =
      ssl->Assinar("<r><e id=\"E1\"><v>1</v></e></r>", "r", "e", "", "", "", "id");
  struct Caso {
    const char* nome;
    std::string xml;
    std::string infElement;
    bool achada;
  };
  const Caso casos[] = {
      {"pelo elemento", assinado, "e", true},
      {"pelo elemento com prefixo", assinado, "ns:e", true},
      {"pela raiz", assinado, "", true},
      {"elemento ausente", assinado, "x", false},
      {"espaço depois da assinatura", Trocar(assinado, "</Signature>", "</Signature>\n  "), "e",
       true},
      {"assinatura em outro namespace",
       Trocar(assinado, "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"",
              "<Signature xmlns=\"urn:outro\""),
       "e", false},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    std::string msg;
    ssl->VerificarAssinatura(c.xml, msg, c.infElement);
    EXPECT_EQ(msg != "Erro: Falha ao localizar o nó de Assinatura", c.achada) << msg;
  }
}

// Without an identifier the whole document is signed, the processing instructions beside
// its root included, and verified the same way.
TEST(XmlSignVerificar, DocumentoInteiroComInstrucoesDeProcessamento) {
  auto ssl = MakeFacade(SharedKey());
  const std::string assinado = ssl->Assinar(
      "<?xml version=\"1.0\"?><?estilo tipo=\"a\"?><r><e><v>1</v></e></r><?fim x?>", "r", "e",
      "", "", "", "id");
  ASSERT_EQ(assinado.find("URI=\"\""), assinado.find("URI="));
  struct Caso {
    const char* nome;
    std::string xml;
    bool valido;
  };
  const Caso casos[] = {
      {"intacto", assinado, true},
      {"instrução antes da raiz alterada", Trocar(assinado, "tipo=\"a\"", "tipo=\"b\""), false},
      {"instrução depois da raiz alterada", Trocar(assinado, "<?fim x?>", "<?fim y?>"), false},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    std::string msg;
    EXPECT_EQ(ssl->VerificarAssinatura(c.xml, msg, "e"), c.valido) << msg;
  }
}

}  // namespace
}  // namespace luvaro::test
