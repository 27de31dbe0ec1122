#pragma once

// The reply documents of the EFD-Reinf stand-in, unsigned, in the shapes of the published
// schemas: retornoLoteEventos (RetornoLoteEventos-v1_04_00), the R-5001 of each event
// (evtTotal-v1_04_00) and the R-5011 of a closing (evtTotalContrib-v1_04_00); and the
// `Reinf`/`ideStatus`/`retornoEventos` answer of a receipt query, which has no published schema.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/reinf_codes.h"
#include "tools/sim/reinf_lote_int.h"
#include "tools/sim/reinf_store.h"

namespace luvaro::sim::reinf {

inline constexpr std::string_view kRetornoLoteNamespace =
    "http://www.reinf.esocial.gov.br/schemas/retornoLoteEventos/v1_04_00";
inline constexpr std::string_view kEvtTotalNamespace =
    "http://www.reinf.esocial.gov.br/schemas/evtTotal/v1_04_00";
inline constexpr std::string_view kEvtTotalContribNamespace =
    "http://www.reinf.esocial.gov.br/schemas/evtTotalContrib/v1_04_00";
inline constexpr std::string_view kRetornoConsultaNamespace =
    "http://www.reinf.esocial.gov.br/schemas/retornoRecibosChaveEstabelecimentoPeriodo/v1_04_00";

// One evento of a lot reply: the id of the lot's `evento` and the signed R-5001 document.
struct RetornoDoEvento {
  std::string loteId;
  std::string r5001;
};

// The send-lot reply: the status, the lot's occurrences (refused lots) and one `evento` per
// event of a lot that was taken.
std::string RetornoLoteEventos(std::string_view id, std::string_view idTransmissor,
                               const ReplyCode& status, const std::vector<Ocorrencia>& ocorrencias,
                               const std::vector<RetornoDoEvento>& eventos);

// What R-5001 and R-5011 share.
struct DadosTotalizador {
  std::string id;       // "ID" + 34 digits
  std::string perApur;  // "2024-03" (R-3010: "2024-03-15")
  Inscricao contribuinte;
  ReplyCode status;
  std::vector<Ocorrencia> ocorrencias;
  std::string nrProtEntr;  // R-5001: empty for a refused event
  std::string dhProcess;
  std::string tpEv;
  std::string idEv;
  std::string hash;
};

// infoTotal of an accepted event: its receipt, its establishment and its totals.
struct InfoTotal {
  std::string nrRecArqBase;
  Inscricao estabelecimento;  // tpInsc 1 (CNPJ) or 4 (CNO), 14 digits
  std::optional<TotalTomado> tomado;
  std::optional<TotalPrestado> prestado;
};

std::string MontarR5001(const DadosTotalizador& dados, const std::optional<InfoTotal>& info);

// infoTotalContrib of a closing.
struct InfoTotalContrib {
  std::string nrRecArqBase;
  int indExistInfo = 3;  // 1 with movement and amounts, 2 movement without amounts, 3 none
  std::vector<TotalTomado> tomados;
  std::vector<TotalPrestado> prestados;
};

std::string MontarR5011(const DadosTotalizador& dados, const std::optional<InfoTotalContrib>& info);

// One event found by a receipt query.
struct ReciboEncontrado {
  std::string id;
  std::string iniValid;  // table events only
  std::string dtHoraRecebimento;
  std::string nrRecibo;
  std::string situacaoEvento;
  std::string aplicacaoRecepcao;
};

// The receipt-query answer; also the answer to a consolidated query that cannot be served.
std::string RetornoConsulta(const ReplyCode& status, const std::vector<Ocorrencia>& ocorrencias,
                            const std::vector<ReciboEncontrado>& recibos);

// Cents as the layout writes amounts ("1234,56").
std::string Valor(long long centavos);
// An amount of the layout ("1234,56"; "1234.56" too) in cents; 0 when it is not a number.
long long Centavos(std::string_view valor);

}  // namespace luvaro::sim::reinf
