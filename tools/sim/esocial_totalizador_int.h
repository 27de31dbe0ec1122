#pragma once

// The totalizer events the eSocial stand-in computes: S-5001 (evtBasesTrab) for each accepted
// S-1200 and S-5011 (evtCS) for each accepted S-1299. The documents come out unsigned; the
// service signs them as the government does.

#include <string>
#include <vector>

#include "tools/sim/esocial_types.h"
#include "tools/sim/esocial_xml_int.h"

namespace luvaro::sim::esocial {

// What a totalizer is built from besides its source event.
struct OrigemTotalizador {
  std::string id;        // the totalizer's own identifier
  std::string nrRecibo;  // the receipt of the source event (nrRecArqBase)
  std::string versao;    // the layout version, such as "v02_05_00"
};

// The S-5001 document for the S-1200 element `evtRemun`; `bases` receives the contribution
// bases found in its pay (the sum of its items per establishment, lotação and category).
std::string MontarS5001(xmlNode* evtRemun, const OrigemTotalizador& origem,
                        std::vector<BaseCalculo>& bases);

// The S-5011 document for the S-1299 element `evtFechaEvPer`, from the bases of the S-1200s of
// the same employer and period accepted before it.
std::string MontarS5011(xmlNode* evtFechaEvPer, const OrigemTotalizador& origem,
                        const std::vector<BaseCalculo>& basesDoPeriodo);

// An amount of the layout ("1234.5", "-10.00") in cents; 0 when it is not a number.
long long Centavos(std::string_view valor);
// Cents as the layout writes amounts ("1234.50").
std::string Valor(long long centavos);

}  // namespace luvaro::sim::esocial
