#include "update/consulta_versao.h"

#include "dfe/raii/curl_transfer.h"
#include "update/versao.h"

namespace luvaro {
namespace {

using namespace std::chrono_literals;

constexpr auto kTempoLimiteConsulta = 15000ms;
// A version reply is a few hundred bytes; more than this is not an answer to read.
constexpr std::size_t kMaximoResposta = 1 << 20;

struct Consulta {
  CurlTransfer transferencia;
  std::string corpo;
};

size_t AoReceber(char* data, size_t size, size_t count, void* user) {
  auto* consulta = static_cast<Consulta*>(user);
  try {
    if (consulta->corpo.size() + size * count > kMaximoResposta)
      throw EDFeException("A resposta do servidor de atualização excede " +
                          std::to_string(kMaximoResposta) + " bytes.");
    consulta->corpo.append(data, size * count);
    return size * count;
  } catch (...) {
    consulta->transferencia.failure = std::current_exception();
    return 0;  // curl ends the transfer with a write error
  }
}

}  // namespace

TResultVersao ConsultarVersao(const std::string& pUrl, const ServerIdentityCheck& pIdentidade) {
  CurlEasyPtr curl = NewCurlEasy();
  CURL* h = curl.get();
  Consulta consulta;
  // Only the last reply of a redirect chain is read.
  consulta.transferencia.onStatusLine = [&consulta] { consulta.corpo.clear(); };

  CurlSlistPtr cabecalhos;
  AppendCurlHeader(cabecalhos, "Accept: application/json, text/javascript, */*; q=0.01");
  // Sent although the request has no body: the server expects it.
  AppendCurlHeader(cabecalhos, "Content-Type: application/x-www-form-urlencoded; charset=UTF-8");

  PrepareCurlTransfer(h, consulta.transferencia, kTempoLimiteConsulta, AgenteUsuario());
  SetCurlOption(h, CURLOPT_URL, pUrl.c_str());
  VerifyServerIdentity(h, consulta.transferencia, pIdentidade, pUrl);
  SetCurlOption(h, CURLOPT_HTTPGET, 1L);
  SetCurlOption(h, CURLOPT_HTTPHEADER, cabecalhos.get());
  SetCurlOption(h, CURLOPT_WRITEFUNCTION, &AoReceber);
  SetCurlOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&consulta));
  PerformCurlTransfer(h, consulta.transferencia);

  const long status = CurlResponseCode(h);
  if (status != 200) throw EDFeException(HttpStatusText(status, consulta.transferencia.reason));
  return LerResultVersao(consulta.corpo);
}

}  // namespace luvaro
