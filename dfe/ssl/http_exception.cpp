#include "dfe/ssl/http_exception.h"

#include <utility>

namespace luvaro {

namespace {

std::string transportFailureText(int internalErrorCode, int httpResultCode, const std::string& url,
                                 const std::string& cause) {
  return "Erro Interno: " + std::to_string(internalErrorCode) + "\r\n" +
         "Erro HTTP: " + std::to_string(httpResultCode) + "\r\n" + "URL: " + url + "\r\n" + cause;
}

}  // namespace

EDFeHttpException::EDFeHttpException(int internalErrorCode, int httpResultCode,
                                     const std::string& url, const std::string& cause,
                                     std::string resposta)
    : EDFeException(transportFailureText(internalErrorCode, httpResultCode, url, cause)),
      m_internalErrorCode(internalErrorCode),
      m_httpResultCode(httpResultCode),
      m_url(url),
      m_cause(cause),
      m_resposta(std::move(resposta)) {}

}  // namespace luvaro
