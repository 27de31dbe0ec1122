#pragma once

// The reply codes of the EFD-Reinf stand-in, in one table: the lot status, the status of each
// event's R-5001, the status of query replies, and the occurrence codes it writes. Texts are
// Portuguese, as the service writes them.

#include <string_view>

namespace luvaro::sim::reinf {

struct ReplyCode {
  int code;
  std::string_view text;
};

// retornoLoteEventos/status (cdStatus, descRetorno)
inline constexpr ReplyCode kLoteSucesso{0, "Lote processado com sucesso."};
inline constexpr ReplyCode kLoteComEventosRejeitados{
    1,
    "Lote processado. Um ou mais eventos foram rejeitados; verifique as ocorrências de cada "
    "evento."};
inline constexpr ReplyCode kLoteRejeitado{1, "Lote rejeitado. Verifique as ocorrências do lote."};
inline constexpr ReplyCode kLoteErroServidor{99, "Erro interno do serviço EFD-Reinf."};

// ideStatus of R-5001, R-5011 and query replies (cdRetorno, descRetorno)
inline constexpr ReplyCode kRetornoSucesso{0, "Sucesso."};
inline constexpr ReplyCode kRetornoErro{1, "Erro. Verifique as ocorrências."};
inline constexpr ReplyCode kRetornoEmProcessamento{2, "Em processamento."};
inline constexpr ReplyCode kRetornoNenhumEvento{
    0, "Sucesso. Nenhum evento encontrado para os parâmetros informados."};

// dadosRegistroOcorrenciaLote/ocorrencias: tipo 2 is an error (1 a warning).
inline constexpr int kTipoOcorrenciaLoteErro = 2;
inline constexpr int kOcorrenciaLoteVazio = 101;
inline constexpr int kOcorrenciaLoteSchema = 102;
inline constexpr int kOcorrenciaLoteVersao = 103;
inline constexpr int kOcorrenciaErroServidor = 999;

// regOcorrs of an event's R-5001: tpOcorr 1 is an error (2 a warning).
inline constexpr int kTipoOcorrenciaEventoErro = 1;
inline constexpr int kOcorrenciaEventoNaoReconhecido = 201;
inline constexpr int kOcorrenciaEventoVersao = 202;
inline constexpr int kOcorrenciaAssinatura = 203;
inline constexpr int kOcorrenciaSchemaEvento = 204;
inline constexpr int kOcorrenciaIdDivergente = 205;
inline constexpr int kOcorrenciaPeriodoFechado = 206;
inline constexpr int kOcorrenciaPeriodoAberto = 207;
inline constexpr int kOcorrenciaReciboInexistente = 208;

// regOcorrs of query replies.
inline constexpr int kOcorrenciaConsultaIncorreta = 301;
inline constexpr int kOcorrenciaProtocoloInexistente = 302;
inline constexpr int kOcorrenciaContribuinteDivergente = 303;

// At most this many schema messages are reported per document.
inline constexpr int kMaxOcorrenciasSchema = 20;

}  // namespace luvaro::sim::reinf
