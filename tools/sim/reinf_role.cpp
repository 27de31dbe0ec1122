#include "tools/sim/reinf_role.h"

#include <memory>

#include <libxml/parser.h>
#include <openssl/x509.h>

#include "tools/sim/esocial_signature.h"
#include "tools/sim/reinf_service.h"
#include "tools/sim/service_role.h"

namespace luvaro::sim {
namespace {

constexpr OptionSpec kReinfOptions[] = {
    {"cert", "PEM", "the server's certificate (chain); it also signs replies and totalizers",
     false},
    {"key", "PEM", "the server certificate's private key", false},
    {"client-ca", "PEM", "clients must present a certificate issued by this CA", false},
    {"schemas", "DIR", "folder with the EFD-Reinf XSD files (lot, events, replies)", false},
    {"environment", "1|2", "1 production, 2 restricted production (default 2): protocols", false},
    {"signer-ca", "PEM", "event signers' certificates must be issued by this CA (default: any)",
     false},
    {"pending", "N", "answer the first N consolidated queries of each closing \"in processing\"",
     false},
    {"prefixed-result", "", "write the SOAP reply elements with the prefix v1:", false},
};

// Endpoint names: the keys of the program's service table.
constexpr ServiceEndpoint kEndpoints[] = {
    {reinf::kPathRecepcao, "EnviarLoteEventos"},
    {reinf::kPathConsultas, "ConsultarLoteEventos"},
};

// The CNPJ or CPF in the common name of the client certificate of this connection.
std::string Transmissor(const httplib::Request& request) {
  if (request.ssl == nullptr) return {};
  const X509* peer = SSL_get0_peer_certificate(request.ssl);
  if (peer == nullptr) return {};
  char name[256] = {};
  if (X509_NAME_get_text_by_NID(X509_get_subject_name(peer), NID_commonName, name, sizeof name) <
      0) {
    return {};
  }
  return reinf::TransmissorDoNome(name);
}

// What the role keeps for the length of the run.
struct ReinfRun {
  explicit ReinfRun(reinf::ReinfConfig config) : service(std::move(config)) {}
  XmlSecLibrary xmlsec;  // before the service, which verifies and signs with it
  reinf::ReinfService service;
};

void InstallReinf(SimServer& server, const Options& options) {
  ServiceSettings settings = ReadServiceSettings(options, "reinf", "EnvioLoteEventos-v1_04_00.xsd");
  // libxml2 is set up once, here, before the server starts its threads.
  xmlInitParser();
  auto run = std::make_shared<ReinfRun>(settings.config);
  ServeEndpoints(server, settings, kEndpoints,
                 [run](const reinf::HttpRequest& in, const httplib::Request& request) {
                   return run->service.Handle(in, Transmissor(request));
                 });
}

}  // namespace

SimRole ReinfRole() {
  return {"reinf",
          "the EFD-Reinf web services over HTTPS with client certificates: lots checked and "
          "answered with R-5001, closings queried for their R-5011, receipts",
          kReinfOptions, kServiceBodyFaults, &InstallReinf};
}

}  // namespace luvaro::sim
