#pragma once

#include <string>

#include "dfe/dfe_exception.h"

namespace luvaro {

// A failed web-service request: the transport's internal code (the WinHTTP code of the same
// meaning, so that the workers' failure patterns hold), the reply's HTTP status (0 when no reply
// came) and the URL. what() is the user's text:
//   "Erro Interno: <code>" CR LF "Erro HTTP: <status>" CR LF "URL: <url>" CR LF <cause>
// with an empty cause for a reply whose status is not a success. Such a reply's body is kept
// in Resposta (the REST services describe their refusals there); it is no part of what().
class EDFeHttpException : public EDFeException {
 public:
  EDFeHttpException(int internalErrorCode, int httpResultCode, const std::string& url,
                    const std::string& cause, std::string resposta = {});

  int InternalErrorCode() const noexcept { return m_internalErrorCode; }
  int HTTPResultCode() const noexcept { return m_httpResultCode; }
  const std::string& Url() const noexcept { return m_url; }
  const std::string& Cause() const noexcept { return m_cause; }
  const std::string& Resposta() const noexcept { return m_resposta; }

 private:
  int m_internalErrorCode;
  int m_httpResultCode;
  std::string m_url;
  std::string m_cause;
  std::string m_resposta;
};

}  // namespace luvaro
