#pragma once

// Shared fixture of the EFD-Reinf stand-in's tests: the published EFD-Reinf schemas in a
// temporary folder, a signing key made by `openssl`, events signed by the `xmlsec1` tool with a
// reference to their id, lots and envelopes written as the program writes them, and helpers
// that take the service's replies apart and check them against the return schemas.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/sim/esocial_test_support.h"
#include "tools/sim/esocial_xml_int.h"
#include "tools/sim/reinf_service.h"

namespace luvaro::sim::reinf::test {

inline constexpr std::string_view kIdR1000 = "ID1123456780000002024030112000000001";
inline constexpr std::string_view kIdR2010 = "ID1123456780000002024040110300000011";
inline constexpr std::string_view kIdR2020 = "ID1123456780000002024040110300000021";
inline constexpr std::string_view kIdR2098 = "ID1123456780000002024041509000000098";
inline constexpr std::string_view kIdR2099 = "ID1123456780000002024040110300000099";
inline constexpr std::string_view kIdR9000 = "ID1123456780000002024041509000000090";

inline constexpr std::string_view kActionEnviar =
    "http://sped.fazenda.gov.br/RecepcaoLoteReinf/ReceberLoteEventos";
inline constexpr std::string_view kActionConsolidada =
    "http://sped.fazenda.gov.br/ConsultasReinf/ConsultaInformacoesConsolidadas";
inline constexpr std::string_view kActionRecibo =
    "http://sped.fazenda.gov.br/ConsultasReinf/ConsultaReciboEvento";

// One evento of a lot reply: its id and its R-5001 as the reply carries it.
struct EventoDoRetorno {
  std::string id;
  std::string r5001;
};

class ReinfFixture : public ::testing::Test {
 public:
  static void SetUpTestSuite();

 protected:
  static const std::filesystem::path& Folder();
  static const std::filesystem::path& CertPem();
  static std::string Fixture(std::string_view name);

  // The event template with its signature mark replaced by a signature over "#" + its id, signed
  // by the xmlsec1 tool (no XML declaration). `referencia` replaces that reference when given.
  static std::string Signed(const std::string& templateText,
                            std::optional<std::string> referencia = std::nullopt);
  // The template with its signature mark removed.
  static std::string Unsigned(std::string templateText);

  // A config over the temporary schemas folder, signing its replies with the test key.
  static ReinfConfig Config();

  // The document inside the reply's Result element, checked against the schema file when one is
  // given ("" skips the check).
  static XmlDoc Resultado(const HttpReply& reply, std::string_view schemaFile);
  // The messages of a validation against a schema of the temporary folder ("" when valid).
  static std::string SchemaErrors(xmlDoc* doc, std::string_view schemaFile);
  // Checks a signature of the document with the xmlsec1 tool and the test certificate: by default
  // the one directly below the root (a lot reply also holds the R-5001s' own).
  static void ExpectSignedByService(
      const std::string& documento, std::string_view name,
      const std::string& signatureXPath = "/*/*[local-name()='Signature']");

  // Sends a lot; the reply document, checked against RetornoLoteEventos and its signature.
  static XmlDoc Enviar(ReinfService& service, const std::string& lote);
  // The eventos of a lot reply, each R-5001 checked against evtTotal and its signature.
  static std::vector<EventoDoRetorno> Eventos(xmlDoc* retorno);
  // Sends a lot of one event and returns its R-5001.
  static std::string EnviarUm(ReinfService& service, const std::string& id,
                              const std::string& documento);
  // The codes of the occurrences (regOcorrs) of a document, in order.
  static std::vector<std::string> Codigos(const std::string& documento);
  // The text of the first element of that name in a document ("" when none).
  static std::string Campo(const std::string& documento, std::string_view nome);
};

// Replaces the first occurrence of `from`; fails loudly when it is missing.
std::string Trocar(std::string text, std::string_view from, std::string_view to);

// A lot as the program writes it: one `evento` per (id, document).
std::string Lote(
    const std::vector<std::pair<std::string, std::string>>& eventos,
    std::string_view ns = "http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/v1_04_00");
// The envelopes the program sends: the lot, the consolidated query and a receipt query (the
// body's fields as `v1:` elements).
std::string EnvelopeLote(std::string_view lote);
std::string EnvelopeConsolidada(std::string_view tipo, std::string_view numero,
                                std::string_view protocolo);
std::string EnvelopeRecibo(std::string_view tpEv,
                           const std::vector<std::pair<std::string, std::string>>& campos);

HttpRequest PostLote(std::string body);
HttpRequest PostConsulta(std::string_view action, std::string body);

// Elements and texts anywhere below a node, by local name (the eSocial stand-in's helpers).
using esocial::test::FindAll;
using esocial::test::FindElement;
using esocial::test::FindText;
// The text between the start tag of an element and its end tag, as the reply carries it.
std::string Interior(const std::string& text, std::string_view startTag);

}  // namespace luvaro::sim::reinf::test
