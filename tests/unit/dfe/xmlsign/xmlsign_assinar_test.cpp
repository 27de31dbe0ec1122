// Signing: the two shapes of the two systems, the signature profile, declarations, empty
// elements, line breaks and re-signing.

#include <gtest/gtest.h>

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <openssl/evp.h>

#include "dfe/dfe_exception.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"

namespace luvaro::test {
namespace {

constexpr char kC14N[] = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";

// The SignedInfo the profile prescribes, up to the digest value, as it must appear in the
// result (empty elements written as an opening and a closing tag).
std::string SignedInfoEsperado(const std::string& uri, const std::string& signatureMethod,
                               const std::string& digestMethod) {
  return std::string("<SignedInfo><CanonicalizationMethod Algorithm=\"") + kC14N +
         "\"></CanonicalizationMethod><SignatureMethod Algorithm=\"" + signatureMethod +
         "\"></SignatureMethod><Reference URI=\"" + uri +
         "\"><Transforms><Transform "
         "Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"></"
         "Transform><Transform Algorithm=\"" +
         kC14N + "\"></Transform></Transforms><DigestMethod Algorithm=\"" + digestMethod +
         "\"></DigestMethod><DigestValue>";
}

// The digest as the profile defines it, computed the way it is written: libxml2 evaluates
// the XPath node-set expression and canonicalises that node set (inclusive C14N 1.0).
std::string DigestPelaExpressao(const std::string& xml, const std::string& nome) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                XML_PARSE_NOENT | XML_PARSE_NONET);
  if (doc == nullptr) return "não interpretado";
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  const std::string expr =
      "(//.|//@*|//namespace::*)[ancestor-or-self::*[local-name()='" + nome + "']]";
  xmlXPathObjectPtr set =
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expr.c_str()), ctx);
  xmlChar* c14n = nullptr;
  const int size = xmlC14NDocDumpMemory(doc, set->nodesetval, XML_C14N_1_0, nullptr, 0, &c14n);
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int mdSize = 0;
  EVP_Digest(c14n, static_cast<std::size_t>(size), md, &mdSize, EVP_sha256(), nullptr);
  std::string b64(4 * ((mdSize + 2) / 3) + 1, '\0');
  b64.resize(static_cast<std::size_t>(
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(b64.data()), md, static_cast<int>(mdSize))));
  xmlFree(c14n);
  xmlXPathFreeObject(set);
  xmlXPathFreeContext(ctx);
  xmlFreeDoc(doc);
  return b64;
}

std::string Raiz(const EventFixture& f) {
  return f.IdAttr == "ID" ? "eSocial" : "Reinf";
}

TEST(XmlSignAssinar, CadaEventoNaFormaDoSeuSistema) {
  for (const EventFixture& f : EventFixtures()) {
    SCOPED_TRACE(f.file);
    auto ssl = MakeFacade(SharedKey());
    const std::string assinado =
        ssl->Assinar(ReadFixture(f.file), Raiz(f), f.infElement, "", "", "", f.IdAttr);

    // eSocial ("ID" never followed by "=") signs the whole document; EFD-Reinf the event.
    const std::string uri = f.IdAttr == "ID" ? "" : "#" + f.id;
    EXPECT_NE(
        assinado.find(SignedInfoEsperado(uri, "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256",
                                         "http://www.w3.org/2001/04/xmlenc#sha256")),
        std::string::npos);
    EXPECT_NE(assinado.find("<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>"),
              std::string::npos);
    EXPECT_TRUE(assinado.ends_with("</Signature></" + Raiz(f) + ">")) << "last child of the root";
    EXPECT_TRUE(assinado.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + Raiz(f)));
    EXPECT_EQ(Occurrences(assinado, "<Signature "), 1u);
    EXPECT_EQ(Occurrences(assinado, "<X509Certificate>"), 1u);
    EXPECT_NE(assinado.find("<X509Certificate>" + SharedKey().certDerBase64 + "</X509Certificate>"),
              std::string::npos);
    EXPECT_EQ(assinado.find_first_of("\r\n"), std::string::npos);

    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, f.infElement)) << msg;
  }
}

TEST(XmlSignAssinar, DigestDoElementoIgualAoDaExpressaoXPath) {
  struct Caso {
    const char* nome;
    std::string xml;
    std::string infElement;
  };
  const Caso casos[] = {
      {"namespaces com prefixo herdados",
       "<r:Reinf xmlns:r=\"urn:r\" xmlns:x=\"urn:x\" xmlns=\"urn:d\"><r:evt id=\"E1\" "
       "x:a=\"1\"><v>t</v><x:w/></r:evt></r:Reinf>",
       "r:evt"},
      {"xml:lang herdado da raiz",
       "<Reinf xml:lang=\"pt\" xmlns=\"urn:r\"><evt id=\"E1\"><v>1</v></evt></Reinf>", "evt"},
      {"elementos de mesmo nome", "<R><evt id=\"E1\"><evt>x</evt></evt><o/><evt>outra</evt></R>",
       "evt"},
      {"comentário e instrução", "<R><evt id=\"E1\"><!--c--><?pi x?><v>1</v></evt><!--f--></R>",
       "evt"},
      {"ordem de atributos e namespaces",
       "<R xmlns:b=\"urn:b\" xmlns:a=\"urn:a\"><evt id=\"E1\" b:z=\"1\" a:y=\"2\" c=\"3\"/></R>",
       "evt"},
      {"namespace padrão desfeito",
       "<R xmlns=\"urn:r\"><evt id=\"E1\"><v xmlns=\"\"><w/></v></evt></R>", "evt"},
      {"referências de caractere",
       "<R><evt id=\"E1\" a=\"&#9;x&lt;&quot;\">&#xE9;&amp;&gt;&#13;</evt></R>", "evt"},
  };
  auto ssl = MakeFacade(SharedKey());
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string assinado = ssl->Assinar(c.xml, "R", c.infElement, "", "", "", "id");
    const std::size_t inicio = assinado.find("<DigestValue>") + 13;
    EXPECT_EQ(
        assinado.substr(inicio, assinado.find("</DigestValue>") - inicio),
        DigestPelaExpressao(c.xml, std::string(c.infElement.substr(c.infElement.find(':') + 1))));
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, c.infElement)) << msg;
  }
}

TEST(XmlSignAssinar, AlgoritmosSeguemODigest) {
  struct Caso {
    const char* nome;
    TSSLDgst digest;
    const char* signatureMethod;
    const char* digestMethod;
  };
  const Caso casos[] = {
      {"sha1", TSSLDgst::dgstSHA1, "http://www.w3.org/2000/09/xmldsig#rsa-sha1",
       "http://www.w3.org/2000/09/xmldsig#sha1"},
      {"sha256", TSSLDgst::dgstSHA256, "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256",
       "http://www.w3.org/2001/04/xmlenc#sha256"},
      {"sha512", TSSLDgst::dgstSHA512, "http://www.w3.org/2001/04/xmldsig-more#rsa-sha512",
       "http://www.w3.org/2001/04/xmlenc#sha512"},
      // Any other digest names the XML-DSig core identifiers (and cannot verify then).
      {"md5", TSSLDgst::dgstMD5, "http://www.w3.org/2000/09/xmldsig#rsa-sha1",
       "http://www.w3.org/2000/09/xmldsig#sha1"},
  };
  const std::string xml = "<Reinf xmlns=\"urn:r\"><evt id=\"ID9\"><v>1</v></evt></Reinf>";
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    auto ssl = MakeFacade(SharedKey(), c.digest);
    const std::string assinado = ssl->Assinar(xml, "Reinf", "evt", "", "", "", "id");
    EXPECT_NE(assinado.find(SignedInfoEsperado("#ID9", c.signatureMethod, c.digestMethod)),
              std::string::npos);
    if (c.digest == TSSLDgst::dgstMD5) continue;
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "evt")) << msg;
  }
}

TEST(XmlSignAssinar, IdentificadorEIdSignature) {
  struct Caso {
    const char* nome;
    std::string xml;
    std::string IdAttr;
    std::string IdSignature;
    std::string esperado;
  };
  const Caso casos[] = {
      {"IdAttr vazio vale Id", "<r><e Id=\"abc\"><v>1</v></e></r>", "", "",
       "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>"},
      {"sem atributo de identificação", "<r><e><v>1</v></e></r>", "Id", "", "<Reference URI=\"\">"},
      {"letra maiúscula conta", "<r><e Id=\"abc\"><v>1</v></e></r>", "ID", "",
       "<Reference URI=\"\">"},
      {"IdAttr vazio referencia o Id", "<r><e Id=\"abc\"><v>1</v></e></r>", "", "",
       "<Reference URI=\"#abc\">"},
      {"IdSignature logo após o namespace", "<r><e Id=\"abc\"><v>1</v></e></r>", "",
       " Id=\"Ass_abc\"",
       "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\" Id=\"Ass_abc\"><SignedInfo>"},
  };
  auto ssl = MakeFacade(SharedKey());
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string assinado = ssl->Assinar(c.xml, "r", "e", "", "", c.IdSignature, c.IdAttr);
    EXPECT_NE(assinado.find(c.esperado), std::string::npos) << assinado;
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
  }
}

// One back-end signs one document after another; each gets the reference it names, whatever
// template the document before it used.
TEST(XmlSignAssinar, CadaDocumentoComASuaReferenciaEmSequencia) {
  const struct {
    std::string id;
    std::string referencia;
  } sequencia[] = {{"ID1", "#ID1"}, {"ID1", "#ID1"}, {"ID2", "#ID2"}, {"", ""}, {"ID1", "#ID1"}};
  auto ssl = MakeFacade(SharedKey());
  for (const auto& [id, referencia] : sequencia) {
    SCOPED_TRACE(id);
    const std::string xml =
        id.empty() ? "<r><e><v>1</v></e></r>" : "<r><e Id=\"" + id + "\"><v>1</v></e></r>";
    const std::string assinado = ssl->Assinar(xml, "r", "e", "", "", "", "Id");
    EXPECT_NE(assinado.find("<Reference URI=\"" + referencia + "\">"), std::string::npos)
        << assinado;
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
  }
}

// The back-end alone: the facade puts a remembered UTF-8 declaration back on its own.
TEST(XmlSignAssinar, DeclaracaoMantidaOuRetirada) {
  struct Caso {
    const char* nome;
    std::string declaracao;
    std::string inicioEsperado;
  };
  const Caso casos[] = {
      {"UTF-8 mantida", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><eSocial"},
      {"utf-8 minúsculo mantida", "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><eSocial"},
      {"sem declaração", "", "<eSocial"},
      {"sem encoding", "<?xml version=\"1.0\"?>", "<eSocial"},
      {"outro encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<eSocial"},
      {"BOM e declaração sem encoding", "\xEF\xBB\xBF<?xml version=\"1.0\"?>", "<eSocial"},
  };
  auto ssl = MakeFacade(SharedKey());
  const std::string corpo =
      "<eSocial xmlns=\"urn:e\"><evt Id=\"ID1\"><nome>Joao</nome></evt></eSocial>";
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string assinado =
        ssl->SSLXmlSignClass().Assinar(c.declaracao + corpo, "eSocial", "evt", "", "", "", "ID");
    EXPECT_TRUE(assinado.starts_with(c.inicioEsperado)) << assinado.substr(0, 80);
    EXPECT_EQ(Occurrences(assinado, "<?xml"), c.inicioEsperado.starts_with("<?xml") ? 1u : 0u);
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "evt")) << msg;
  }
  // Through the facade: a UTF-8 declaration stays, no declaration stays absent.
  EXPECT_TRUE(ssl->Assinar(corpo, "eSocial", "evt", "", "", "", "ID").starts_with("<eSocial"));
  EXPECT_TRUE(ssl->Assinar("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + corpo, "eSocial", "evt",
                           "", "", "", "ID")
                  .starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?><eSocial"));
}

TEST(XmlSignAssinar, ElementosVaziosComAberturaEFechamento) {
  auto ssl = MakeFacade(SharedKey());
  const std::string assinado = ssl->Assinar(
      "<eSocial xmlns=\"urn:e\"><evt Id=\"ID1\"><a/><b></b><c x=\"1\"/></evt></eSocial>", "eSocial",
      "evt", "", "", "", "ID");
  EXPECT_NE(assinado.find("<a></a><b></b><c x=\"1\"></c>"), std::string::npos) << assinado;
  EXPECT_EQ(assinado.find("/>"), std::string::npos) << assinado;
}

TEST(XmlSignAssinar, NenhumaQuebraDeLinhaEAssinaturaContinuaValida) {
  struct Caso {
    const char* nome;
    std::string xml;
    std::string IdAttr;
    std::string trecho;  // what the result carries instead of the line breaks
  };
  const Caso casos[] = {
      {"indentado com LF", "<r xmlns=\"urn:r\">\n  <e id=\"E1\">\n    <v>1</v>\n  </e>\n</r>\n",
       "id", "<r xmlns=\"urn:r\">  <e id=\"E1\">    <v>1</v>  </e><Signature"},
      {"indentado com CR LF", "<r xmlns=\"urn:r\">\r\n<e Id=\"E1\">\r\n<v>1</v>\r\n</e>\r\n</r>",
       "ID", "<r xmlns=\"urn:r\"><e Id=\"E1\"><v>1</v></e>"},
      {"quebra dentro do texto", "<r><e id=\"E1\"><obs>linha1\nlinha2\r\nlinha3</obs></e></r>",
       "id", "<obs>linha1linha2linha3</obs>"},
      {"CR como referência fica", "<r><e id=\"E1\"><obs>a&#13;b</obs></e></r>", "id",
       "<obs>a&#13;b</obs>"},
      {"quebra em atributo fica como referência", "<r><e id=\"E1\" obs=\"a&#10;b\"/></r>", "id",
       "obs=\"a&#10;b\""},
      {"comentário e CDATA", "<r><e id=\"E1\"><!-- x\ny --><v><![CDATA[a\nb]]></v></e></r>", "id",
       "<!-- xy --><v><![CDATA[ab]]></v>"},
  };
  auto ssl = MakeFacade(SharedKey());
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string assinado = ssl->Assinar(c.xml, "r", "e", "", "", "", c.IdAttr);
    EXPECT_EQ(assinado.find_first_of("\r\n"), std::string::npos);
    EXPECT_NE(assinado.find(c.trecho), std::string::npos) << assinado;
    std::string msg;
    EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
  }
}

TEST(XmlSignAssinar, AssinarDeNovoSubstituiAAssinatura) {
  for (const EventFixture& f : EventFixtures()) {
    SCOPED_TRACE(f.file);
    auto ssl = MakeFacade(SharedKey());
    const std::string uma =
        ssl->Assinar(ReadFixture(f.file), Raiz(f), f.infElement, "", "", "", f.IdAttr);
    const std::string duas = ssl->Assinar(uma, Raiz(f), f.infElement, "", "", "", f.IdAttr);
    EXPECT_EQ(Occurrences(duas, "<Signature "), 1u);
    // RSA PKCS #1 v1.5 is deterministic: the same document signs to the same text.
    EXPECT_EQ(duas, uma);
  }
}

TEST(XmlSignAssinar, EntidadesInternasSaoSubstituidas) {
  auto ssl = MakeFacade(SharedKey());
  const std::string assinado = ssl->Assinar(
      "<!DOCTYPE r [<!ENTITY emp \"Empresa &amp; Filhos\"><!ENTITY dupla \"&emp;/&emp;\">]>"
      "<r><e id=\"E1\"><n>&dupla;</n><m a=\"&emp;\"/></e></r>",
      "r", "e", "", "", "", "id");
  EXPECT_NE(assinado.find("<n>Empresa &amp; Filhos/Empresa &amp; Filhos</n>"), std::string::npos)
      << assinado;
  EXPECT_NE(assinado.find("a=\"Empresa &amp; Filhos\""), std::string::npos) << assinado;
  std::string msg;
  EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
}

// libxml2 writes a namespace name as it stands, so one holding "<" or "&" would come out of
// the signature as a document that is no longer XML: such a document is refused unsigned.
TEST(XmlSignAssinar, NamespaceQueNaoPodeSerReescritoERecusado) {
  auto ssl = MakeFacade(SharedKey());
  struct Caso {
    const char* xml;
    const char* msg;  // empty: signed
  };
  const Caso casos[] = {
      {"<r xmlns:x=\"urn:a&amp;b\"><e id=\"E1\">1</e></r>",
       "Namespace inválido no XML: \"urn:a&b\""},
      {"<r><e id=\"E1\" xmlns=\"urn:a&lt;b\">1</e></r>", "Namespace inválido no XML: \"urn:a<b\""},
      {"<r xmlns:x=\"urn:a:b\"><e id=\"E1\">1</e></r>", ""},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.xml);
    try {
      const std::string assinado = ssl->Assinar(c.xml, "r", "e", "", "", "", "id");
      EXPECT_STREQ(c.msg, "");
      std::string msg;
      EXPECT_TRUE(ssl->VerificarAssinatura(assinado, msg, "e")) << msg;
    } catch (const EDFeException& e) {
      EXPECT_STREQ(e.what(), c.msg);
    }
  }
}

}  // namespace
}  // namespace luvaro::test
