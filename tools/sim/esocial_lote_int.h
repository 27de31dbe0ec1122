#pragma once

// The checks the eSocial send service runs on a lot and on each of its events.

#include <optional>
#include <string>
#include <vector>

#include "tools/sim/esocial_types.h"
#include "tools/sim/esocial_xml_int.h"

namespace luvaro::sim::esocial {

inline constexpr std::string_view kNamespaceBase = "http://www.esocial.gov.br";
inline constexpr std::string_view kLoteNamespace =
    "http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1";
inline constexpr std::string_view kLoteSchema = "EnvioLoteEventos-v1_1_1.xsd";

// One event of a lot after the service's checks.
struct CheckedEvent {
  std::string loteId;   // the Id attribute of its `evento` element in the lot
  std::string id;       // the Id attribute of the event element itself
  std::string element;  // the event element's name, such as "evtRemun"
  std::string versao;   // the layout version of its namespace, such as "v02_05_00"
  std::string tipo;     // the event type, such as "S-1200" ("" when unknown)
  std::string xml;      // the event document as received (no declaration)
  Inscricao empregador;
  std::vector<Ocorrencia> ocorrencias;  // empty: accepted
};

// The verdict on a whole lot: a reception status, and the events when it was received.
struct LotCheck {
  int cdResposta = 0;
  std::string descResposta;
  std::vector<Ocorrencia> ocorrencias;
  std::optional<Inscricao> ideEmpregador;
  std::optional<Inscricao> ideTransmissor;
  std::vector<CheckedEvent> eventos;  // only filled when the lot was received (201)
};

// Checks the lot document (the `eSocial` element inside loteEventos; null when there is none):
// namespace, emptiness, the lot schema, the number of events; then every event's signature
// (libxmlsec1; `trustedCaPem` as in SignatureVerifier), its schema when the folder has one
// for its namespace, its identifier against the lot's and its employer against the lot's.
LotCheck CheckLot(xmlNode* lot, SchemaSet& schemas, const std::optional<std::string>& trustedCaPem);

// The event type ("S-1200") of an event element name ("evtRemun"); "" when unknown.
std::string_view TipoDoElemento(std::string_view element);
// The event element name of a type code ("S-1200" or "S1200"); "" when unknown.
std::string_view ElementoDoTipo(std::string_view tipo);

// Cuts a text to the 2048 characters the reply schemas allow, at a character boundary.
std::string LimitarTexto(std::string text);

// Schema messages as occurrences with the given code (at most kMaxOcorrenciasSchema).
std::vector<Ocorrencia> OcorrenciasDeSchema(const std::vector<std::string>& messages, int codigo,
                                            std::string_view prefixo);

}  // namespace luvaro::sim::esocial
