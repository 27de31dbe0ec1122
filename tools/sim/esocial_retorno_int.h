#pragma once

// The reply documents of the eSocial stand-in, in the shapes of the published return schemas:
// retornoEnvioLoteEventos (RetornoEnvioLoteEventos-v1_1_0), retornoProcessamentoLoteEventos
// (RetornoProcessamentoLote-v1_3_0) and retornoEvento (RetornoEvento-v1_2_1).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/esocial_codes.h"
#include "tools/sim/esocial_store.h"
#include "tools/sim/esocial_types.h"

namespace luvaro::sim::esocial {

inline constexpr std::string_view kRetornoEnvioNamespace =
    "http://www.esocial.gov.br/schema/lote/eventos/envio/retornoEnvio/v1_1_0";
inline constexpr std::string_view kRetornoProcessamentoNamespace =
    "http://www.esocial.gov.br/schema/lote/eventos/envio/retornoProcessamento/v1_3_0";
inline constexpr std::string_view kRetornoEventoNamespace =
    "http://www.esocial.gov.br/schema/evt/retornoEvento/v1_2_1";

struct DadosRecepcao {
  std::string dhRecepcao;
  std::string versaoAplicativo;
  std::string protocolo;
};

struct StatusLote {
  ReplyCode codigo;
  std::vector<Ocorrencia> ocorrencias;
  std::optional<int> tempoEstimadoConclusao;  // seconds; processing replies only
};

// The send-lot reply. The registrations and reception data are written when known.
std::string RetornoEnvioLote(const StatusLote& status, const std::optional<Inscricao>& empregador,
                             const std::optional<Inscricao>& transmissor,
                             const std::optional<DadosRecepcao>& recepcao);

// The lot-query reply: the status alone (unknown protocol, bad request), or with the lot's data
// and, unless it is still pending, one `evento` per event with its result and totalizers.
std::string RetornoProcessamentoLote(const StatusLote& status, const LoteRecebido* lote,
                                     std::string_view versaoRecepcao,
                                     std::string_view versaoProcessamento, bool comEventos);

struct DadosRetornoEvento {
  std::string id;
  Inscricao empregador;
  int tpAmb = 2;
  std::string dhRecepcao;
  std::string versaoRecepcao;
  std::string protocolo;
  ReplyCode status;
  std::string versaoProcessamento;
  std::string dhProcessamento;
  std::vector<Ocorrencia> ocorrencias;
  std::string nrRecibo;  // empty: no receipt (the event was refused)
  std::string hash;
};

// The retornoEvento document of one event, unsigned.
std::string RetornoEvento(const DadosRetornoEvento& dados);

}  // namespace luvaro::sim::esocial
