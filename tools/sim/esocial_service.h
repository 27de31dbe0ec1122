#pragma once

// The eSocial stand-in as a pure function: one HTTP request to one of the four service paths in,
// the reply the government's service would give out. The HTTPS role (esocial_role.cpp) only
// moves requests and replies between the network and this class.

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace luvaro::sim::esocial {

struct EsocialConfig {
  std::filesystem::path schemas;              // folder with the eSocial XSD files
  int tpAmb = 2;                              // 1 production, 2 restricted production
  std::optional<std::string> trustedCaPem;    // event certificates must chain to this CA
  std::optional<std::string> signingKeyPem;   // the service's own key for its signed replies
  std::optional<std::string> signingCertPem;  // and its certificate (both or neither)
  int consultasPendentes = 0;       // lot queries answered "awaiting processing" before the result
  bool resultadoPrefixado = false;  // write the SOAP result elements with a namespace prefix
};

struct HttpRequest {
  std::string method = "POST";
  std::string path;
  std::string contentType;
  std::string soapAction;  // the SOAPAction header as received (quotes included)
  std::string body;
};

struct HttpReply {
  int status = 200;
  std::string contentType = "text/xml; charset=utf-8";
  std::string body;
};

// The four paths the service answers, as in the program's service table.
inline constexpr std::string_view kPathEnviarLote =
    "/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc";
inline constexpr std::string_view kPathConsultarLote =
    "/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc";
inline constexpr std::string_view kPathConsultarIdentificadores =
    "/servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc";
inline constexpr std::string_view kPathDownload =
    "/servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc";
std::span<const std::string_view> ServicePaths();

class EsocialService {
 public:
  // Loads nothing yet but the signing identity (a generated one when the config names none).
  // libxml2 and libxmlsec1 (XmlSecLibrary) must be initialised by the caller.
  explicit EsocialService(EsocialConfig config);
  ~EsocialService();
  EsocialService(const EsocialService&) = delete;  // owns the run's protocol store
  EsocialService& operator=(const EsocialService&) = delete;

  // Thread-safe; never throws for anything a client sends (a failure inside the service becomes
  // an HTTP 500 SOAP fault).
  HttpReply Handle(const HttpRequest& request);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace luvaro::sim::esocial
