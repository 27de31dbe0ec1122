#pragma once

#include <functional>
#include <optional>
#include <string>

#include "integration/integrador.h"

namespace luvaro {

// The ERP's answer to the event fetch, once read: the lot and the lot path the ERP wants back
// with the send's result.
struct TLoteErp {
  TRecDadosTransmissao dados;
  std::string lotePath;  // the last company's "lotePath"; empty when it has none
};

// Called once per company after its "lotePath" was looked for: with the reason when it has none.
using AoLerLotePath = std::function<void(const std::optional<std::string>& falha)>;

// Reads the lot from the ERP's JSON text (already in UTF-8):
//   {"empresas": [{"empregador": {"tpInsc", "nrInsc"}, "transmissor": {"nrInsc"},   (eSocial)
//                  "documento",                                                     (EFD-Reinf)
//                  "lotePath", "arquivos": {"<name>": "<document>", ...}}, ...]}
// The documents of every company, in order. A lot of eSocial or EFD-Reinf must hold the
// documents of one employer only. Raises EDFeException with the reason otherwise.
TLoteErp LerLoteErp(const std::string& corpo, const std::string& tipoProjeto,
                    const AoLerLotePath& aoLerLotePath);

}  // namespace luvaro
