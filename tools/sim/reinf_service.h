#pragma once

// The EFD-Reinf stand-in as a pure function: one HTTP request to the reception or the query
// service of the 1.40 addresses in, the reply the government's service would give out. The
// HTTPS role (reinf_role.cpp) only moves requests and replies between the network and this
// class. Requests and replies are those of the eSocial stand-in (same SOAP 1.1 transport).

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tools/sim/esocial_service.h"

namespace luvaro::sim::reinf {

using HttpRequest = esocial::HttpRequest;
using HttpReply = esocial::HttpReply;

// The settings of the eSocial stand-in, which the EFD-Reinf one shares: the schemas folder,
// tpAmb (the environment of protocols), the CA of event signers, the service's own signing key
// and certificate, the consolidated queries answered "in processing" first, prefixed results.
using ReinfConfig = esocial::EsocialConfig;

// The two paths of the 1.40 addresses, and the namespace of the services' messages.
inline constexpr std::string_view kPathRecepcao = "/WsREINF/RecepcaoLoteReinf.svc";
inline constexpr std::string_view kPathConsultas = "/WsREINFConsultas/ConsultasReinf.svc";
inline constexpr std::string_view kServicoNamespace = "http://sped.fazenda.gov.br/";

class ReinfService {
 public:
  // Loads nothing yet but the signing identity (a generated one when the config names none).
  // libxml2 and libxmlsec1 (XmlSecLibrary) must be initialised by the caller.
  explicit ReinfService(ReinfConfig config);
  ~ReinfService();
  ReinfService(const ReinfService&) = delete;  // owns the run's store
  ReinfService& operator=(const ReinfService&) = delete;

  // Thread-safe; never throws for anything a client sends (a failure inside the service becomes
  // an HTTP 500 SOAP fault). `transmissor` is the CNPJ or CPF of the client certificate, when
  // the connection showed one; it becomes the lot reply's IdTransmissor.
  HttpReply Handle(const HttpRequest& request, std::string_view transmissor = {});

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The CNPJ or CPF of an ICP-Brasil certificate's common name ("NAME:12345678000195"): the
// digits after the last colon when there are 11 or 14 of them, else "".
std::string TransmissorDoNome(std::string_view commonName);

}  // namespace luvaro::sim::reinf
