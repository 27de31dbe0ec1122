#pragma once

// The reply codes of the eSocial stand-in, in one table: the lot reception, lot processing and
// event processing statuses, and the occurrence codes it writes. Texts are Portuguese, as the
// service writes them.

#include <string_view>

namespace luvaro::sim::esocial {

struct ReplyCode {
  int code;
  std::string_view text;
};

// retornoEnvioLoteEventos/status
inline constexpr ReplyCode kLoteRecebido{201, "Lote Recebido com Sucesso."};
inline constexpr ReplyCode kErroServidor{301, "Erro Servidor eSocial."};
inline constexpr ReplyCode kLoteErroPreenchimento{401, "Lote Incorreto - Erro preenchimento."};
inline constexpr ReplyCode kLoteSchemaInvalido{402, "Lote Incorreto - Schema Inválido."};
inline constexpr ReplyCode kLoteVersaoSchema{403,
                                             "Lote Incorreto - Versão do Schema não permitida."};
inline constexpr ReplyCode kLoteNuloVazio{405, "Lote Incorreto - Lote nulo ou vazio."};

// retornoProcessamentoLoteEventos/status
inline constexpr ReplyCode kLoteAguardando{101, "Lote Aguardando Processamento."};
inline constexpr ReplyCode kLoteProcessado{201, "Lote Processado com Sucesso."};
inline constexpr ReplyCode kConsultaErroPreenchimento{
    501, "Solicitação de Consulta Incorreta - Erro Preenchimento."};
inline constexpr ReplyCode kConsultaSchemaInvalido{
    502, "Solicitação de Consulta Incorreta - Schema Inválido."};
inline constexpr ReplyCode kConsultaVersaoSchema{
    503, "Solicitação de Consulta Incorreta - Versão do Schema Não Permitida."};
inline constexpr ReplyCode kConsultaNulaVazia{
    505, "Solicitação de Consulta Incorreta - Consulta nula ou vazia."};

// retornoEvento/processamento
inline constexpr ReplyCode kEventoSucesso{201, "Sucesso."};
inline constexpr ReplyCode kEventoComErros{
    401, "Um ou mais erros ocorreram ao processar o evento. Verifique as ocorrências."};

// retornoConsultaIdentificadoresEvts/status
inline constexpr ReplyCode kIdentificadoresEncontrados{201, "Consulta realizada com sucesso."};
inline constexpr ReplyCode kIdentificadoresNenhum{
    202, "Consulta realizada com sucesso. Nenhum evento encontrado para os parâmetros informados."};
inline constexpr ReplyCode kIdentificadoresAcimaDoLimite{
    203,
    "Consulta realizada com sucesso. A quantidade de eventos encontrados ultrapassa o limite "
    "de 50; foram retornados os 50 primeiros. Refine os parâmetros da consulta."};
// download/status and download/.../arquivo/status
inline constexpr ReplyCode kDownloadProcessado{201, "Solicitação processada com sucesso."};
inline constexpr ReplyCode kArquivoEncontrado{201, "Evento encontrado."};
inline constexpr ReplyCode kArquivoNaoEncontrado{
    401, "Evento não encontrado para o empregador informado."};
// Refusals of an identifier query or a download request (the detail follows the text).
inline constexpr ReplyCode kSolicitacaoErroPreenchimento{
    401, "Solicitação Incorreta - Erro preenchimento."};
inline constexpr ReplyCode kSolicitacaoSchemaInvalido{402,
                                                      "Solicitação Incorreta - Schema Inválido."};
inline constexpr ReplyCode kSolicitacaoVersaoSchema{
    403, "Solicitação Incorreta - Versão do Schema não permitida."};
inline constexpr ReplyCode kSolicitacaoErroCertificado{404,
                                                       "Solicitação Incorreta - Erro Certificado."};
inline constexpr ReplyCode kSolicitacaoNulaVazia{
    405, "Solicitação Incorreta - Solicitação nula ou vazia."};
// At most this many identifiers per query reply and files per download.
inline constexpr int kMaxIdentificadores = 50;
inline constexpr int kMaxArquivos = 50;

// Occurrence codes (tipo 1: erro). Lot-level occurrences carry the status code they explain.
inline constexpr int kOcorrenciaEventoNaoReconhecido = 141;
inline constexpr int kOcorrenciaAssinatura = 142;
inline constexpr int kOcorrenciaSchemaEvento = 143;
inline constexpr int kOcorrenciaIdDivergente = 144;
inline constexpr int kOcorrenciaEmpregadorDivergente = 145;
inline constexpr int kOcorrenciaTipoErro = 1;

// The most events one lot may carry (the processing reply holds at most 50 results).
inline constexpr int kMaxEventosPorLote = 50;
// At most this many schema messages are reported per document.
inline constexpr int kMaxOcorrenciasSchema = 20;

}  // namespace luvaro::sim::esocial
