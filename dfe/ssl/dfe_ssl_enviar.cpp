// TDFeSSL::Enviar: one request through the HTTP back-end, serialised by the facade's critical
// section, or on a send thread of its own when TimeOutPorThread is set. TDFeSSL::Obter: one GET.

#include <chrono>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/send_thread.h"

namespace luvaro {

std::string TDFeSSL::Enviar(const std::string& ConteudoXML, const std::string& AURL,
                            const std::string& ASoapAction, std::string AMimeType) {
  if (FUseCertificateHTTP) CarregarCertificadoSeNecessario();
  if (AMimeType.empty()) AMimeType = "application/soap+xml; charset=utf-8";

  if (!FTimeOutPorThread) {
    const std::lock_guard section(FHttpSendCriticalSection);
    return FSSLHttpClass->Enviar(ConteudoXML, AURL, ASoapAction, AMimeType);
  }

  // The deadline counts whole seconds of TimeOut.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(FTimeOut / 1000);
  TDFeSendThread::Resultado resultado;
  {
    TDFeSendThread envio(this, FHttpSendCriticalSection, FSSLHttpLib, AMimeType, ASoapAction, AURL,
                         ConteudoXML);
    envio.AguardarAte(deadline);
    resultado = envio.LerResultado();
    // Leaving the block aborts an unfinished request and waits for its thread.
  }
  if (resultado.falhaNaoTratavel) std::rethrow_exception(resultado.falhaNaoTratavel);
  if (!resultado.erro.empty()) {
    throw EDFeException("Erro na thread de envio: " + resultado.erro);
  }
  if (resultado.resposta.empty()) {
    throw EDFeException("Timeout - Não foi possível obter a resposta do servidor");
  }
  return resultado.resposta;
}

std::string TDFeSSL::Obter(const std::string& AURL, const std::string& AMimeType) {
  if (FUseCertificateHTTP) CarregarCertificadoSeNecessario();
  const std::lock_guard section(FHttpSendCriticalSection);
  return FSSLHttpClass->Obter(AURL, AMimeType);
}

}  // namespace luvaro
