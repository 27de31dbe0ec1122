#include "update/consulta_versao.h"

#include "dfe/dfe_exception.h"
#include "dfe/http_transfer.h"
#include "update/versao.h"

namespace luvaro {
namespace {

using namespace std::chrono_literals;

constexpr auto kTempoLimiteConsulta = 15000ms;
// A version reply is a few hundred bytes; more than this is not an answer to read.
constexpr std::size_t kMaximoResposta = 1 << 20;

}  // namespace

TResultVersao ConsultarVersao(const std::string& pUrl, const ServerIdentityCheck& pIdentidade) {
  std::string corpo;
  HttpTransfer consulta;
  consulta.url = pUrl;
  consulta.headers = {"Accept: application/json, text/javascript, */*; q=0.01",
                      // Sent although the request has no body: the server expects it.
                      "Content-Type: application/x-www-form-urlencoded; charset=UTF-8"};
  consulta.readTimeout = kTempoLimiteConsulta;
  consulta.userAgent = AgenteUsuario();
  consulta.identity = &pIdentidade;
  consulta.onBody = [&corpo](std::string_view dados) {
    if (corpo.size() + dados.size() > kMaximoResposta)
      throw EDFeException("A resposta do servidor de atualização excede " +
                          std::to_string(kMaximoResposta) + " bytes.");
    corpo.append(dados);
  };
  const HttpTransferHead resposta = PerformHttpTransfer(consulta);
  if (resposta.status != 200) throw EDFeException(HttpStatusText(resposta.status, resposta.reason));
  return LerResultVersao(corpo);
}

}  // namespace luvaro
