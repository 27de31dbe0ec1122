#pragma once

// What the EFD-Reinf stand-in reads from an accepted event for its R-5001, for later queries and
// for the R-5011 of the closing of its period.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/esocial_xml_int.h"
#include "tools/sim/reinf_lote_int.h"
#include "tools/sim/reinf_retorno_int.h"
#include "tools/sim/reinf_store.h"

namespace luvaro::sim::reinf {

// Fills the period, dates, establishment, provider, taker and totals (R-2010: services taken,
// R-2020: services provided) of an accepted event from its event element.
void LerEvento(xmlNode* evento, const TipoEvento& tipo, EventoAceito& aceito);

// The perApur of the event's R-5001: its period (yyyy-MM), the day of an R-3010
// (yyyy-MM-dd), the start of validity of a table event, or else `reserva`.
std::string PeriodoDoTotalizador(const EventoAceito& evento, std::string_view reserva);

// The establishment of infoTotal: the event's own (CNPJ, or CNO written with 14 digits), or the
// head office of a CNPJ contributor; none for an individual without establishment.
std::optional<Inscricao> EstabelecimentoDoTotal(const EventoAceito& evento);

// The head office's CNPJ of a CNPJ root (8 digits): root, "0001" and the two check digits.
std::string CnpjMatriz(std::string_view raiz);

// The totals of a period's accepted events: services taken summed per provider and site,
// services provided per taker; indExistInfo 1 with totals, 2 with events but no totals, 3 with
// no event.
InfoTotalContrib Consolidar(const std::vector<EventoAceito>& doPeriodo);

}  // namespace luvaro::sim::reinf
