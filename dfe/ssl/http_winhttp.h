#pragma once

#include <memory>
#include <string>

#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

// The system HTTP back-end (httpWinHttp, httpWinINet). On this platform the request runs on
// libcurl with OpenSSL, presenting the loaded certificate and its token key.
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
  void Abortar() override;
  std::string ClassName() const override { return "TDFeHttpWinHttp"; }

 private:
  struct Impl;  // the request object and its state
  std::unique_ptr<Impl> FImpl;
};

}  // namespace luvaro
