#pragma once

// The checks the EFD-Reinf reception service runs on a lot and on each of its events.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/esocial_xml_int.h"
#include "tools/sim/reinf_codes.h"
#include "tools/sim/reinf_store.h"

namespace luvaro::sim::reinf {

inline constexpr std::string_view kSchemaBase = "http://www.reinf.esocial.gov.br/schemas/";
// The one layout version the service takes, for lots and events alike.
inline constexpr std::string_view kVersao = "v1_04_00";
inline constexpr std::string_view kLoteNamespace =
    "http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/v1_04_00";
inline constexpr std::string_view kLoteSchema = "EnvioLoteEventos-v1_04_00.xsd";

// An occurrence of a lot (tipo, localizacaoErroAviso, codigo, descricao) or of an event's
// R-5001 (tpOcorr, localErroAviso, codResp, dscResp).
struct Ocorrencia {
  int tipo = 0;
  int codigo = 0;
  std::string descricao;
  std::string localizacao;
};

// One EFD-Reinf event type: its element, the four digits of its code and the base name of its
// schema (and namespace).
struct TipoEvento {
  std::string_view elemento;  // "evtServTom"
  std::string_view tpEv;      // "2010"
  std::string_view schema;    // "evtTomadorServicos"
};

// By element name ("evtServTom") or by the digits of the code ("2010"); null when unknown.
const TipoEvento* TipoDoElemento(std::string_view elemento);
const TipoEvento* TipoDoCodigo(std::string_view tpEv);

// One event of a lot after the service's checks.
struct CheckedEvent {
  std::string loteId;  // the id attribute of its `evento` element in the lot
  std::string id;      // the id attribute of the event element itself
  const TipoEvento* tipo = nullptr;
  std::string xml;        // the event document as received (no declaration)
  std::string canonical;  // its inclusive canonical form (C14N 1.0), what its hash is taken of
  XmlDoc doc;             // the same as a document of its own; null when the evento was empty
  Inscricao contribuinte;
  std::vector<Ocorrencia> ocorrencias;  // empty: it passed every check

  // The event element (the first child of the Reinf root); null when there is none.
  xmlNode* Evento() const;
};

// The verdict on a whole lot: refused with lot occurrences, or taken with its events.
struct LotCheck {
  bool recebido = false;
  std::vector<Ocorrencia> ocorrencias;  // why it was refused
  std::vector<CheckedEvent> eventos;    // only filled when it was taken
};

// Checks the lot document (the `Reinf` element inside loteEventos; null when there is none):
// namespace and version, emptiness, the lot schema; then every event: that it is an EFD-Reinf
// event of this version, its signature (libxmlsec1; the reference must name the event element's
// id; `trustedCaPem` as in SignatureVerifier), its schema when the folder has one, and
// that its identifier is the one of its `evento`.
LotCheck CheckLot(xmlNode* lot, SchemaSet& schemas, const std::optional<std::string>& trustedCaPem);

// Registers the lower-case "id" attribute of an element as the document's ID, so that a
// signature reference "#" + id finds it (a schema check does so only while it validates).
void RegistrarId(xmlDoc* doc, xmlNode* elemento);

// An error occurrence of an event's R-5001 (tpOcorr 1), its texts cut to what the schema allows.
Ocorrencia ErroEvento(int codigo, std::string descricao, std::string localizacao);

// True for a non-empty text of digits only.
bool SoDigitos(std::string_view text);

// Cuts a text to `max` characters (not bytes) at a character boundary.
std::string LimitarTexto(std::string text, std::size_t max);

// The lengths the reply schemas allow for occurrence texts.
inline constexpr std::size_t kMaxDescricaoLote = 255;
inline constexpr std::size_t kMaxLocalizacaoLote = 100;
inline constexpr std::size_t kMaxDescricaoEvento = 999;
inline constexpr std::size_t kMaxLocalizacaoEvento = 200;

}  // namespace luvaro::sim::reinf
