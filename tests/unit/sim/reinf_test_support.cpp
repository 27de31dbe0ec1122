#include "tests/unit/sim/reinf_test_support.h"

#include <atomic>
#include <memory>

#include <libxml/parser.h>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tools/sim/esocial_signature.h"

namespace fs = std::filesystem;

namespace luvaro::sim::reinf::test {
namespace {

// What the whole test program shares: made once in SetUpTestSuite.
struct Suite {
  luvaro::test::TempDir dir{"luvaro-reinf-sim"};
  XmlSecLibrary xmlsec;
  fs::path schemas;
  fs::path key;
  fs::path cert;
  std::string keyText;
  std::string certText;
  std::atomic<int> counter{0};
  std::unique_ptr<SchemaSet> schemaSet;
};
std::unique_ptr<Suite> g_suite;  // test fixture state, one per test program

std::string RunTool(const std::string& program, std::vector<std::string> args) {
  luvaro::test::ProcessOptions options;
  options.args = std::move(args);
  const auto result = luvaro::test::RunProcess(program, options);
  if (result.exitCode != 0) {
    throw std::runtime_error(program + " failed: " + result.err + result.out);
  }
  return result.out + result.err;
}

std::string WithoutDeclaration(std::string text) {
  if (text.starts_with("<?xml")) text.erase(0, text.find("?>") + 2);
  while (!text.empty() && (text.front() == '\n' || text.front() == '\r')) text.erase(0, 1);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The value of the first id="..." of a document and the name of the element that carries it.
std::pair<std::string, std::string> IdDoEvento(const std::string& text) {
  const auto at = text.find(" id=\"");
  if (at == std::string::npos) return {};
  const auto start = text.rfind('<', at) + 1;
  const auto from = at + 5;
  return {text.substr(from, text.find('"', from) - from), text.substr(start, at - start)};
}

}  // namespace

std::string Trocar(std::string text, std::string_view from, std::string_view to) {
  const auto at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("mark not found: " + std::string(from));
  text.replace(at, from.size(), to);
  return text;
}

void ReinfFixture::SetUpTestSuite() {
  if (g_suite) return;
  xmlInitParser();
  auto suite = std::make_unique<Suite>();
  // Only the EFD-Reinf folder: its reduced XML-DSig schema is the stricter judge of signatures.
  suite->schemas = suite->dir / "schemas";
  fs::create_directories(suite->schemas);
  fs::copy(luvaro::test::SharedSchemasDir() / "reinf", suite->schemas);
  suite->schemaSet = std::make_unique<SchemaSet>(suite->schemas);
  suite->key = suite->dir / "chave.pem";
  suite->cert = suite->dir / "certificado.pem";
  RunTool("/usr/bin/openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                               suite->key.string(), "-out", suite->cert.string(), "-days", "2",
                               "-subj", "/C=BR/O=ICP-Brasil/CN=EMPRESA TESTE LTDA:12345678000195"});
  suite->keyText = luvaro::test::ReadFile(suite->key);
  suite->certText = luvaro::test::ReadFile(suite->cert);
  g_suite = std::move(suite);
}

const fs::path& ReinfFixture::Folder() {
  return g_suite->dir.path();
}

const fs::path& ReinfFixture::CertPem() {
  return g_suite->cert;
}

std::string ReinfFixture::Fixture(std::string_view name) {
  return luvaro::test::ReadFile(fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "sim" /
                                "reinf" / name);
}

std::string ReinfFixture::Signed(const std::string& templateText,
                                 std::optional<std::string> referencia) {
  const auto [id, elemento] = IdDoEvento(templateText);
  std::string signature = Fixture("assinatura-modelo.xml");
  while (!signature.empty() && signature.back() == '\n') signature.pop_back();
  signature =
      Trocar(std::move(signature), "URI=\"#ID\"", "URI=\"" + referencia.value_or("#" + id) + "\"");
  const int n = ++g_suite->counter;
  const fs::path in = g_suite->dir / ("modelo-" + std::to_string(n) + ".xml");
  const fs::path out = g_suite->dir / ("assinado-" + std::to_string(n) + ".xml");
  luvaro::test::WriteFile(in, Trocar(templateText, "<!--ASSINATURA-->", signature));
  RunTool("/usr/bin/xmlsec1",
          {"--sign", "--privkey-pem", g_suite->key.string() + "," + g_suite->cert.string(),
           "--id-attr:id", elemento, "--output", out.string(), in.string()});
  return WithoutDeclaration(luvaro::test::ReadFile(out));
}

std::string ReinfFixture::Unsigned(std::string templateText) {
  return Trocar(std::move(templateText), "<!--ASSINATURA-->", "");
}

ReinfConfig ReinfFixture::Config() {
  ReinfConfig config;
  config.schemas = g_suite->schemas;
  config.signingKeyPem = g_suite->keyText;
  config.signingCertPem = g_suite->certText;
  return config;
}

XmlDoc ReinfFixture::Resultado(const HttpReply& reply, std::string_view schemaFile) {
  EXPECT_EQ(reply.status, 200) << reply.body;
  XmlDoc doc = esocial::test::ResultDocument(reply);
  if (doc && !schemaFile.empty()) {
    EXPECT_EQ(SchemaErrors(doc.get(), schemaFile), "") << reply.body;
  }
  return doc;
}

std::string ReinfFixture::SchemaErrors(xmlDoc* doc, std::string_view schemaFile) {
  std::string text;
  for (const auto& message : g_suite->schemaSet->Validate(doc, schemaFile)) text += message + "\n";
  return text;
}

void ReinfFixture::ExpectSignedByService(const std::string& documento, std::string_view name,
                                         const std::string& signatureXPath) {
  const fs::path file = g_suite->dir / ("verificar-" + std::string(name) + "-" +
                                        std::to_string(++g_suite->counter) + ".xml");
  luvaro::test::WriteFile(file, documento);
  luvaro::test::ProcessOptions options;
  options.args = {"--verify",
                  "--trusted-pem",
                  g_suite->cert.string(),
                  "--id-attr:id",
                  "retornoLoteEventos",
                  "--id-attr:id",
                  "evtTotal",
                  "--id-attr:id",
                  "evtTotalContrib",
                  "--node-xpath",
                  signatureXPath,
                  file.string()};
  const auto result = luvaro::test::RunProcess("/usr/bin/xmlsec1", options);
  EXPECT_EQ(result.exitCode, 0) << name << ": " << result.err;
}

XmlDoc ReinfFixture::Enviar(ReinfService& service, const std::string& lote) {
  const HttpReply reply = service.Handle(PostLote(EnvelopeLote(lote)));
  XmlDoc doc = Resultado(reply, "RetornoLoteEventos-v1_04_00.xsd");
  if (doc) ExpectSignedByService(SerializeNode(xmlDocGetRootElement(doc.get())), "lote");
  return doc;
}

std::vector<EventoDoRetorno> ReinfFixture::Eventos(xmlDoc* retorno) {
  std::vector<EventoDoRetorno> eventos;
  const std::string text = SerializeNode(xmlDocGetRootElement(retorno));
  for (xmlNode* evento : FindAll(xmlDocGetRootElement(retorno), "evento")) {
    const std::string id = Attribute(evento, "id").value_or("");
    const std::string r5001 = Interior(text, "<evento id=\"" + id + "\">");
    XmlDoc doc = CopyAsDocument(FirstElement(evento));
    EXPECT_EQ(SchemaErrors(doc.get(), "evtTotal-v1_04_00.xsd"), "") << r5001;
    ExpectSignedByService(r5001, "r5001");
    eventos.push_back({id, r5001});
  }
  return eventos;
}

std::string ReinfFixture::EnviarUm(ReinfService& service, const std::string& id,
                                   const std::string& documento) {
  XmlDoc retorno = Enviar(service, Lote({{id, documento}}));
  if (!retorno) return {};
  std::vector<EventoDoRetorno> eventos = Eventos(retorno.get());
  EXPECT_EQ(eventos.size(), 1u);
  return eventos.empty() ? std::string() : eventos.front().r5001;
}

std::vector<std::string> ReinfFixture::Codigos(const std::string& documento) {
  ParsedXml parsed = ParseXml(documento);
  std::vector<std::string> codes;
  if (!parsed.doc) return codes;
  for (xmlNode* o : FindAll(xmlDocGetRootElement(parsed.doc.get()), "regOcorrs")) {
    codes.push_back(ChildText(o, "codResp"));
  }
  return codes;
}

std::string ReinfFixture::Campo(const std::string& documento, std::string_view nome) {
  ParsedXml parsed = ParseXml(documento);
  return parsed.doc ? FindText(xmlDocGetRootElement(parsed.doc.get()), nome) : std::string();
}

std::string Lote(const std::vector<std::pair<std::string, std::string>>& eventos,
                 std::string_view ns) {
  std::string xml = "<Reinf xmlns=\"" + std::string(ns) + "\"><loteEventos>";
  for (const auto& [id, documento] : eventos) {
    xml += "<evento id=\"" + id + "\"> " + documento + "</evento>";
  }
  return xml + "</loteEventos></Reinf>";
}

namespace {
constexpr std::string_view kEnvelopeInicio =
    "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
    "xmlns:v1=\"http://sped.fazenda.gov.br/\"><soap:Body>";
constexpr std::string_view kEnvelopeFim = "</soap:Body></soap:Envelope>";
constexpr std::string_view kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
}  // namespace

std::string EnvelopeLote(std::string_view lote) {
  return std::string(kEnvelopeInicio) + "<v1:ReceberLoteEventos><v1:loteEventos>" +
         std::string(lote) + "</v1:loteEventos></v1:ReceberLoteEventos>" +
         std::string(kEnvelopeFim);
}

std::string EnvelopeConsolidada(std::string_view tipo, std::string_view numero,
                                std::string_view protocolo) {
  return std::string(kDeclaracao) + std::string(kEnvelopeInicio) +
         "<v1:ConsultaInformacoesConsolidadas><v1:tipoInscricaoContribuinte>" + std::string(tipo) +
         "</v1:tipoInscricaoContribuinte><v1:numeroInscricaoContribuinte>" + std::string(numero) +
         "</v1:numeroInscricaoContribuinte><v1:numeroProtocoloFechamento>" +
         std::string(protocolo) +
         "</v1:numeroProtocoloFechamento></v1:ConsultaInformacoesConsolidadas>" +
         std::string(kEnvelopeFim);
}

std::string EnvelopeRecibo(std::string_view tpEv,
                           const std::vector<std::pair<std::string, std::string>>& campos) {
  std::string xml = std::string(kDeclaracao) + std::string(kEnvelopeInicio) +
                    "<v1:ConsultaReciboEvento" + std::string(tpEv) + ">";
  for (const auto& [nome, valor] : campos)
    xml += "<v1:" + nome + ">" + valor + "</v1:" + nome + ">";
  return xml + "</v1:ConsultaReciboEvento" + std::string(tpEv) + ">" + std::string(kEnvelopeFim);
}

HttpRequest PostLote(std::string body) {
  return HttpRequest{"POST", std::string(kPathRecepcao), "text/xml; charset=utf-8",
                     "\"" + std::string(kActionEnviar) + "\"", std::move(body)};
}

HttpRequest PostConsulta(std::string_view action, std::string body) {
  return HttpRequest{"POST", std::string(kPathConsultas), "text/xml; charset=utf-8",
                     "\"" + std::string(action) + "\"", std::move(body)};
}

std::string Interior(const std::string& text, std::string_view startTag) {
  const auto start = text.find(startTag);
  if (start == std::string::npos) return {};
  const auto from = text.find('>', start) + 1;
  const std::string name(startTag.substr(1, startTag.find_first_of(" >") - 1));
  return text.substr(from, text.find("</" + name, from) - from);
}

}  // namespace luvaro::sim::reinf::test
