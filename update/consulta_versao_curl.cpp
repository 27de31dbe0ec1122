#include "update/consulta_versao.h"

#include "update/update_curl_int.h"

namespace luvaro {
namespace {

using namespace std::chrono_literals;

constexpr auto kTempoLimiteConsulta = 15000ms;
// A version reply is a few hundred bytes; more than this is not an answer to read.
constexpr std::size_t kMaximoResposta = 1 << 20;

struct Consulta {
  update_curl::Transferencia transferencia;
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
    consulta->transferencia.falha = std::current_exception();
    return 0;  // curl ends the transfer with a write error
  }
}

}  // namespace

TResultVersao ConsultarVersao(const std::string& pUrl) {
  CurlEasyPtr curl = update_curl::NovaRequisicao();
  CURL* h = curl.get();
  Consulta consulta;
  // Only the last reply of a redirect chain is read.
  consulta.transferencia.aoNovoStatus = [&consulta] { consulta.corpo.clear(); };

  CurlSlistPtr cabecalhos;
  AppendCurlHeader(cabecalhos, "Accept: application/json, text/javascript, */*; q=0.01");
  // Sent although the request has no body: the server expects it.
  AppendCurlHeader(cabecalhos, "Content-Type: application/x-www-form-urlencoded; charset=UTF-8");

  update_curl::Preparar(h, consulta.transferencia, kTempoLimiteConsulta);
  update_curl::Opcao(h, CURLOPT_URL, pUrl.c_str());
  update_curl::Opcao(h, CURLOPT_HTTPGET, 1L);
  update_curl::Opcao(h, CURLOPT_HTTPHEADER, cabecalhos.get());
  update_curl::Opcao(h, CURLOPT_WRITEFUNCTION, &AoReceber);
  update_curl::Opcao(h, CURLOPT_WRITEDATA, static_cast<void*>(&consulta));
  update_curl::Executar(h, consulta.transferencia);

  const long status = update_curl::Status(h);
  if (status != 200)
    throw EDFeException(update_curl::TextoStatus(status, consulta.transferencia.razao));
  return LerResultVersao(consulta.corpo);
}

}  // namespace luvaro
