#include "tools/sim/esocial_role.h"

#include <memory>

#include <libxml/parser.h>

#include "tools/sim/esocial_service.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/service_role.h"

namespace luvaro::sim {
namespace {

constexpr OptionSpec kEsocialOptions[] = {
    {"cert", "PEM", "the server's certificate (chain); it also signs receipts and totalizers",
     false},
    {"key", "PEM", "the server certificate's private key", false},
    {"client-ca", "PEM", "clients must present a certificate issued by this CA", false},
    {"schemas", "DIR", "folder with the eSocial XSD files (lot, query, events, replies)", false},
    {"environment", "1|2", "tpAmb of the replies: 1 production, 2 restricted (default 2)", false},
    {"signer-ca", "PEM", "event signers' certificates must be issued by this CA (default: any)",
     false},
    {"pending", "N", "answer the first N queries of each lot with 101 (awaiting processing)",
     false},
    {"prefixed-result", "", "write the SOAP reply elements with the prefix v1:", false},
};

// Endpoint names: the keys of the program's service table.
constexpr ServiceEndpoint kEndpoints[] = {
    {esocial::kPathEnviarLote, "EnviarLoteEventos"},
    {esocial::kPathConsultarLote, "ConsultarLoteEventos"},
    {esocial::kPathConsultarIdentificadores, "ConsultarIdentificadoresEventos"},
    {esocial::kPathDownload, "DownloadEventos"},
};

// What the role keeps for the length of the run.
struct EsocialRun {
  explicit EsocialRun(esocial::EsocialConfig config) : service(std::move(config)) {}
  XmlSecLibrary xmlsec;  // before the service, which verifies and signs with it
  esocial::EsocialService service;
};

void InstallEsocial(SimServer& server, const Options& options) {
  ServiceSettings settings = ReadServiceSettings(options, "esocial", "EnvioLoteEventos-v1_1_1.xsd");
  // libxml2 is set up once, here, before the server starts its threads.
  xmlInitParser();
  auto run = std::make_shared<EsocialRun>(settings.config);
  ServeEndpoints(server, settings, kEndpoints,
                 [run](const esocial::HttpRequest& in, const httplib::Request&) {
                   return run->service.Handle(in);
                 });
}

}  // namespace

SimRole EsocialRole() {
  return {"esocial",
          "the eSocial web services over HTTPS with client certificates: lots checked and "
          "answered as the government does",
          kEsocialOptions, kServiceBodyFaults, &InstallEsocial};
}

}  // namespace luvaro::sim
