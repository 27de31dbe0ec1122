#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace luvaro::reinf {

class TReinfComponente;

// Which road an EFD-Reinf document takes, told by the version that ends the namespace of its
// Reinf root: layouts 1.0x go in the synchronous SOAP lot, layouts 2.1.x in the asynchronous
// REST lot; anything else is not recognised here (the event container judges it).
enum class TViaReinf : std::uint8_t { viaDesconhecida, viaSincrona, viaAssincrona };
TViaReinf ViaDoDocumento(std::string_view documento);

// The namespace of the document's Reinf root ("" when it has none), and its last path segment.
std::string NameSpaceDoDocumento(std::string_view documento);

// The protocol of an asynchronous lot: "X.AAAAMM.N", X the environment (1 to 4), AAAAMM the
// year and month of reception, N a sequence of 1 to 19 digits (for example "1.202003.123").
bool ProtocoloAssincrono(std::string_view protocolo);

// The namespace of the asynchronous lot and the schema that describes it.
inline constexpr std::string_view kNameSpaceLoteAssincrono =
    "http://www.reinf.esocial.gov.br/schemas/envioLoteEventosAssincrono/v1_00_00";
inline constexpr std::string_view kSchemaLoteAssincrono = "envioLoteEventosAssincrono-v1_00_00.xsd";
// The folder, inside the schemas folder, of the 2.1.2 schemas (each layout keeps its files apart).
inline constexpr std::string_view kPastaSchemasAssincronos = "v2_01_02";

// The events of an asynchronous lot (layout 2.1.x): each document signed on the token as it is
// added (an enveloped signature whose reference names the event element's id) and checked
// against its layout's schema when that is installed; then the lot document that carries them.
class TLoteAssincrono {
 public:
  explicit TLoteAssincrono(TReinfComponente& AOwner);

  // Signs one event document of layout 2.1.x and keeps it. The schema check comes after: a
  // signed event that fails it stays in the lot (the service judges it) and the failure is
  // raised as EReinfValidacao; a document that cannot be signed is not kept, and one of another
  // layout or no EFD-Reinf document at all is passed over without a word.
  void Adicionar(const std::string& documento);
  std::size_t Count() const { return FEventos.size(); }
  void Clear() { FEventos.clear(); }

  // Builds XML: ideContribuinte from the first event's ideContri (else from
  // Geral.IdContribuinte), one `evento Id` per event in the order added. More than 50 events
  // raise, nothing built.
  void GerarXML();
  const std::string& XML() const { return FXML; }

 private:
  struct TEventoAssinado {
    std::string Id;
    std::string XML;  // signed, without its declaration
    std::string tpInsc;
    std::string nrInsc;
  };
  // The schema file of an event of namespace `ns` in the schemas folder; "" when none is there.
  std::string ArquivoSchema(const std::string& ns) const;

  TReinfComponente* FComponente;
  std::vector<TEventoAssinado> FEventos;
  std::string FXML;
};

}  // namespace luvaro::reinf
