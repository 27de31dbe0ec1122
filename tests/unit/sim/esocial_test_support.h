#pragma once

// Shared fixture of the eSocial stand-in's tests: the published schemas in a temporary folder,
// a signing key made by `openssl`, events signed by the `xmlsec1` tool, lots and envelopes
// written as the program writes them, and helpers that take the service's replies apart.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tools/sim/esocial_service.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/esocial_xml_int.h"

namespace luvaro::sim::esocial::test {

inline constexpr std::string_view kIdS1200 = "ID1123456780000002024051012000000001";
inline constexpr std::string_view kIdS1299 = "ID1123456780000002024051012000000002";

// The actions the program sends.
inline constexpr std::string_view kActionEnviar =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0/"
    "ServicoEnviarLoteEventos/EnviarLoteEventos";
inline constexpr std::string_view kActionConsultar =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/consulta/"
    "retornoProcessamento/v1_1_0/ServicoConsultarLoteEventos/ConsultarLoteEventos";

class EsocialFixture : public ::testing::Test {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

 protected:
  static const std::filesystem::path& Schemas();
  static const std::filesystem::path& KeyPem();
  static const std::filesystem::path& CertPem();
  static std::string Fixture(std::string_view name);

  // The event template signed by the xmlsec1 tool (no XML declaration); `edit` may change the
  // template text before signing.
  static std::string Signed(std::string templateText);
  // The same with the test key in-process (libxmlsec1 through the stand-in's signer), for tests
  // that need many signed events.
  static std::string SignedInProcess(std::string templateText);
  // The template with its signature mark removed.
  static std::string Unsigned(std::string templateText);

  // A config over the temporary schemas folder, signing its replies with the test key.
  static EsocialConfig Config();
};

// A lot as the program writes it: employer 1/12345678, transmitter 1/12345678000195, and one
// `evento` per (Id, document).
std::string Lote(
    const std::vector<std::pair<std::string, std::string>>& eventos,
    std::string_view ns = "http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1");
// The send envelope around a lot, and the query envelope for a protocol, as the program sends them.
std::string EnvelopeEnvio(std::string_view lote);
std::string EnvelopeConsulta(std::string_view protocolo);
std::string EnvelopeConsultaDoc(std::string_view documento);

HttpRequest PostEnvio(std::string body);
HttpRequest PostConsulta(std::string body);

// The document inside the reply's <Operation>Result element, as its own document; fails the
// test when the reply has none.
XmlDoc ResultDocument(const HttpReply& reply);
// Validates a document against a schema of the temporary folder; the messages ("" when valid).
std::string SchemaErrors(xmlDoc* doc, std::string_view schemaFile);
// Text of the first element of that local name anywhere below `node` ("" when none).
std::string FindText(xmlNode* node, std::string_view localName);
xmlNode* FindElement(xmlNode* node, std::string_view localName);
std::vector<xmlNode*> FindAll(xmlNode* node, std::string_view localName);

}  // namespace luvaro::sim::esocial::test
