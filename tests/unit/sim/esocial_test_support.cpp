#include "tests/unit/sim/esocial_test_support.h"

#include <atomic>

#include <libxml/parser.h>

#include "tests/support/process.h"

namespace fs = std::filesystem;

namespace luvaro::sim::esocial::test {
namespace {

// What the whole test program shares: made once in SetUpTestSuite, gone in TearDownTestSuite.
struct Suite {
  luvaro::test::TempDir dir{"luvaro-esocial-sim"};
  XmlSecLibrary xmlsec;
  fs::path schemas;
  fs::path key;
  fs::path cert;
  std::atomic<int> counter{0};
  std::unique_ptr<SchemaSet> schemaSet;
  std::unique_ptr<ReplySigner> signer;  // the same key in-process, for bulk events
  std::string keyText;
  std::string certText;
};
std::unique_ptr<Suite> g_suite;  // test fixture state, one per test program

void RunTool(const std::string& program, std::vector<std::string> args) {
  luvaro::test::ProcessOptions options;
  options.args = std::move(args);
  const auto result = luvaro::test::RunProcess(program, options);
  if (result.exitCode != 0) {
    throw std::runtime_error(program + " failed: " + result.err + result.out);
  }
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  const auto at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("mark not found: " + std::string(from));
  text.replace(at, from.size(), to);
  return text;
}

std::string WithoutDeclaration(std::string text) {
  if (text.starts_with("<?xml")) text.erase(0, text.find("?>") + 2);
  while (!text.empty() && (text.front() == '\n' || text.front() == '\r')) text.erase(0, 1);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

void EsocialFixture::SetUpTestSuite() {
  if (g_suite) return;
  xmlInitParser();
  // Kept only when complete, so that a failure here fails every suite the same way.
  auto suite = std::make_unique<Suite>();
  suite->schemas = suite->dir / "schemas";
  luvaro::test::CopySchemas(suite->schemas);
  suite->schemaSet = std::make_unique<SchemaSet>(suite->schemas);
  suite->key = suite->dir / "chave.pem";
  suite->cert = suite->dir / "certificado.pem";
  RunTool("/usr/bin/openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                               suite->key.string(), "-out", suite->cert.string(), "-days", "2",
                               "-subj", "/C=BR/O=ICP-Brasil/CN=EMPRESA TESTE LTDA:12345678000195"});
  suite->keyText = luvaro::test::ReadFile(suite->key);
  suite->certText = luvaro::test::ReadFile(suite->cert);
  suite->signer = std::make_unique<ReplySigner>(suite->keyText, suite->certText);
  g_suite = std::move(suite);
}

void EsocialFixture::TearDownTestSuite() {}

const fs::path& EsocialFixture::Schemas() {
  return g_suite->schemas;
}
const fs::path& EsocialFixture::KeyPem() {
  return g_suite->key;
}
const fs::path& EsocialFixture::CertPem() {
  return g_suite->cert;
}

std::string EsocialFixture::Fixture(std::string_view name) {
  return luvaro::test::ReadFile(fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "sim" /
                                "esocial" / name);
}

std::string EsocialFixture::Signed(std::string templateText) {
  const int n = ++g_suite->counter;
  const fs::path in = g_suite->dir / ("modelo-" + std::to_string(n) + ".xml");
  const fs::path out = g_suite->dir / ("assinado-" + std::to_string(n) + ".xml");
  std::string signature = Fixture("assinatura-modelo.xml");
  while (!signature.empty() && signature.back() == '\n') signature.pop_back();
  luvaro::test::WriteFile(in, Replace(std::move(templateText), "<!--ASSINATURA-->", signature));
  RunTool("/usr/bin/xmlsec1",
          {"--sign", "--privkey-pem", KeyPem().string() + "," + CertPem().string(), "--output",
           out.string(), in.string()});
  return WithoutDeclaration(luvaro::test::ReadFile(out));
}

std::string EsocialFixture::SignedInProcess(std::string templateText) {
  ParsedXml parsed = ParseXml(Unsigned(std::move(templateText)));
  if (!parsed.doc) throw std::runtime_error("template not well-formed: " + parsed.error);
  g_suite->signer->Sign(parsed.doc.get());
  return SerializeNode(xmlDocGetRootElement(parsed.doc.get()));
}

std::string EsocialFixture::Unsigned(std::string templateText) {
  return Replace(std::move(templateText), "<!--ASSINATURA-->", "");
}

EsocialConfig EsocialFixture::Config() {
  EsocialConfig config;
  config.schemas = Schemas();
  // The service signs with the test key: no key generation per service.
  config.signingKeyPem = g_suite->keyText;
  config.signingCertPem = g_suite->certText;
  return config;
}

std::string Lote(const std::vector<std::pair<std::string, std::string>>& eventos,
                 std::string_view ns) {
  std::string xml = "<eSocial xmlns=\"" + std::string(ns) +
                    "\"><envioLoteEventos grupo=\"3\"><ideEmpregador><tpInsc>1</tpInsc><nrInsc>"
                    "12345678</nrInsc></ideEmpregador><ideTransmissor><tpInsc>1</tpInsc><nrInsc>"
                    "12345678000195</nrInsc></ideTransmissor><eventos>";
  for (const auto& [id, documento] : eventos) {
    xml += "<evento Id=\"" + id + "\"> " + documento + "</evento>";
  }
  return xml + "</eventos></envioLoteEventos></eSocial>";
}

std::string EnvelopeEnvio(std::string_view lote) {
  return "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
         "xmlns:v1=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\"><soap:Body>"
         "<v1:EnviarLoteEventos><v1:loteEventos>" +
         std::string(lote) + "</v1:loteEventos></v1:EnviarLoteEventos></soap:Body></soap:Envelope>";
}

std::string EnvelopeConsultaDoc(std::string_view documento) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soap:Envelope  "
         "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
         "xmlns:v1=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\"><soap:Body>"
         "<v1:ConsultarLoteEventos><v1:loteEventos>" +
         std::string(documento) +
         "</v1:loteEventos></v1:ConsultarLoteEventos></soap:Body></soap:Envelope>";
}

std::string EnvelopeConsulta(std::string_view protocolo) {
  return EnvelopeConsultaDoc(
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/consulta/"
      "retornoProcessamento/v1_0_0\"><consultaLoteEventos><protocoloEnvio>" +
      std::string(protocolo) + "</protocoloEnvio></consultaLoteEventos></eSocial>");
}

HttpRequest PostEnvio(std::string body) {
  return HttpRequest{"POST", std::string(kPathEnviarLote), "text/xml; charset=utf-8",
                     "\"" + std::string(kActionEnviar) + "\"", std::move(body)};
}

HttpRequest PostConsulta(std::string body) {
  return HttpRequest{"POST", std::string(kPathConsultarLote), "text/xml; charset=utf-8",
                     "\"" + std::string(kActionConsultar) + "\"", std::move(body)};
}

xmlNode* FindElement(xmlNode* node, std::string_view localName) {
  for (xmlNode* n = FirstElement(node); n; n = NextElement(n)) {
    if (LocalName(n) == localName) return n;
    if (xmlNode* found = FindElement(n, localName)) return found;
  }
  return nullptr;
}

std::vector<xmlNode*> FindAll(xmlNode* node, std::string_view localName) {
  std::vector<xmlNode*> found;
  for (xmlNode* n = FirstElement(node); n; n = NextElement(n)) {
    if (LocalName(n) == localName) found.push_back(n);
    auto below = FindAll(n, localName);
    found.insert(found.end(), below.begin(), below.end());
  }
  return found;
}

std::string FindText(xmlNode* node, std::string_view localName) {
  return NodeText(FindElement(node, localName));
}

XmlDoc ResultDocument(const HttpReply& reply) {
  ParsedXml parsed = ParseXml(reply.body);
  if (!parsed.doc) {
    ADD_FAILURE() << "reply is not XML: " << parsed.error << "\n" << reply.body;
    return nullptr;
  }
  xmlNode* body = ChildElement(xmlDocGetRootElement(parsed.doc.get()), "Body");
  xmlNode* response = FirstElement(body);
  xmlNode* result = FirstElement(response);
  if (!result || !std::string(LocalName(result)).ends_with("Result") || !FirstElement(result)) {
    ADD_FAILURE() << "reply without a Result document:\n" << reply.body;
    return nullptr;
  }
  return CopyAsDocument(FirstElement(result));
}

std::string SchemaErrors(xmlDoc* doc, std::string_view schemaFile) {
  std::string text;
  for (const auto& message : g_suite->schemaSet->Validate(doc, schemaFile)) text += message + "\n";
  return text;
}

}  // namespace luvaro::sim::esocial::test
