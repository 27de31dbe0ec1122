#pragma once

#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

// The system HTTP back-end (httpWinHttp, httpWinINet): the loaded certificate and its key
// presented to the server (libcurl with OpenSSL on Linux, WinHTTP on Windows). A reply whose
// status is not a success fails, its body kept in the failure.
class TDFeHttpWinHttp final : public TDFeSSLHttpClass {
 public:
  explicit TDFeHttpWinHttp(TDFeSSL& AOwner);
  ~TDFeHttpWinHttp() override;

  int GetHTTPResultCode() override;
  int GetInternalErrorCode() override;
  void ConfigurarHTTP(const std::string& AURL, const std::string& ASoapAction,
                      const std::string& AMimeType) override;
  std::string Enviar(const std::string& ConteudoXML, const std::string& AURL,
                     const std::string& ASoapAction, const std::string& AMimeType) override;
  std::string Obter(const std::string& AURL, const std::string& AMimeType) override;
  void Abortar() override;
  std::string ClassName() const override { return "TDFeHttpWinHttp"; }

 private:
  // One request, "POST" with its body or "GET".
  std::string Requisitar(const char* AMetodo, const std::string& Corpo, const std::string& AURL,
                         const std::string& ASoapAction, const std::string& AMimeType);

  struct Impl;  // the request object and its state
  std::unique_ptr<Impl> FImpl;
};

}  // namespace luvaro
