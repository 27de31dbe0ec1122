#pragma once

// The answers of the EFD-Reinf asynchronous lot services (layout 2.1.2, REST with mutual TLS),
// in one table that the client and the local stand-in (tools/sim) both read: the HTTP status of
// each kind of answer and the cdResposta / descResposta of retornoLoteEventosAssincrono; and how
// both find an event's schema among the layout's files.
//
// The published schemas document the fields but not their values. The statuses follow the
// service's REST conventions (201 for a lot taken, 200 for a query answered, 4xx for a refused
// request, 5xx for a failure of the service); the codes are those the developer manual gives
// for a lot in processing, processed, processed with refused events, refused and failed.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace luvaro::reinf {

// The paths of the two services below the service's address.
inline constexpr std::string_view kRestPathRecepcao = "/recepcao/lotes";
inline constexpr std::string_view kRestPathConsulta = "/consulta/lotes";
// The MIME type of the lot and of every reply.
inline constexpr std::string_view kRestMimeType = "application/xml";
// At most this many events in one lot.
inline constexpr int kRestMaxEventosLote = 50;

// HTTP statuses.
inline constexpr int kHttpLoteRecebido = 201;          // POST: the lot was taken; its protocol
inline constexpr int kHttpConsultaRespondida = 200;    // GET: the lot's state (or its result)
inline constexpr int kHttpRequisicaoInvalida = 400;    // the request is no lot (not XML, empty)
inline constexpr int kHttpProtocoloInexistente = 404;  // GET: no lot has that protocol
inline constexpr int kHttpLoteRejeitado = 422;         // the lot broke its schema or its rules
inline constexpr int kHttpErroServidor = 500;          // the service failed
inline constexpr int kHttpServicoIndisponivel = 503;   // the service is down for a while

struct TRespostaLoteRest {
  int cdResposta;
  std::string_view descResposta;
};

// status/cdResposta of retornoLoteEventosAssincrono.
inline constexpr TRespostaLoteRest kRespostaEmProcessamento{1, "Lote em processamento."};
inline constexpr TRespostaLoteRest kRespostaProcessado{2, "Lote processado com sucesso."};
inline constexpr TRespostaLoteRest kRespostaProcessadoComRejeicoes{
    3, "Lote processado. Um ou mais eventos foram rejeitados; verifique o retorno de cada evento."};
inline constexpr TRespostaLoteRest kRespostaLoteRejeitado{
    7, "Lote rejeitado. Verifique as ocorrências do lote."};
inline constexpr TRespostaLoteRest kRespostaProtocoloInexistente{
    8, "Não foi encontrado lote com o protocolo informado."};
inline constexpr TRespostaLoteRest kRespostaErroServidor{99, "Erro interno do serviço EFD-Reinf."};

// The schema file of an event in the folder of its layout version (`pasta`), by the schema name
// of its namespace ("evtTomadorServicos") and that version ("v2_01_02"). The files keep the
// government's names, "R-2010-evtTomadorServicos-v2_01_02_B.xsd"; where a layout had several
// packages, the latest (the last letter) is the one in force. "" when the folder has none.
inline std::string SchemaDoEventoAssincrono(const std::filesystem::path& pasta,
                                            std::string_view nome, std::string_view versao) {
  const std::string marca = "-" + std::string(nome) + "-" + std::string(versao);
  std::string escolhido;
  std::error_code erro;
  for (std::filesystem::directory_iterator it(pasta, erro), fim; !erro && it != fim;
       it.increment(erro)) {
    const std::string arquivo = it->path().filename().string();
    if (arquivo.find(marca) != std::string::npos && arquivo.ends_with(".xsd") &&
        arquivo > escolhido)
      escolhido = arquivo;
  }
  return escolhido;
}

}  // namespace luvaro::reinf
