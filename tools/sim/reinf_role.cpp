#include "tools/sim/reinf_role.h"

#include <filesystem>
#include <memory>

#include <libxml/parser.h>
#include <openssl/x509.h>

#include "tools/sim/esocial_signature.h"
#include "tools/sim/reinf_service.h"
#include "tools/sim/service_role.h"
#include "tools/sim/tls.h"

namespace fs = std::filesystem;

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
struct Endpoint {
  std::string_view path;
  std::string_view name;
};
constexpr Endpoint kEndpoints[] = {
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
  TlsSettings tls;
  tls.certificate = RequiredOption(options, "reinf", "cert");
  tls.privateKey = RequiredOption(options, "reinf", "key");
  tls.clientCa = RequiredOption(options, "reinf", "client-ca");

  reinf::ReinfConfig config;
  config.schemas = RequiredOption(options, "reinf", "schemas");
  if (!fs::is_regular_file(config.schemas / "EnvioLoteEventos-v1_04_00.xsd")) {
    throw UsageError("--schemas: " + config.schemas.string() +
                     " has no EnvioLoteEventos-v1_04_00.xsd");
  }
  config.tpAmb = NumberOption(options, "environment", 2, 1, 2);
  config.consultasPendentes = NumberOption(options, "pending", 0, 0, 1000);
  config.resultadoPrefixado = options.Has("prefixed-result");
  if (auto ca = options.Get("signer-ca")) config.trustedCaPem = ReadOptionFile(*ca, "signer-ca");
  config.signingKeyPem = ReadOptionFile(tls.privateKey, "key");
  config.signingCertPem = ReadOptionFile(tls.certificate, "cert");

  // libxml2 is set up once, here, before the server starts its threads.
  xmlInitParser();
  auto run = std::make_shared<ReinfRun>(std::move(config));
  const std::optional<fs::path> output =
      options.Get("output") ? std::optional<fs::path>(*options.Get("output")) : std::nullopt;

  server.UseTls(tls);
  for (const Endpoint& endpoint : kEndpoints) {
    server.Post(
        std::string(endpoint.path), std::string(endpoint.name),
        [run, output, name = endpoint.name](const httplib::Request& request,
                                            httplib::Response& response, const Faults& faults) {
          reinf::HttpRequest in;
          in.method = request.method;
          in.path = request.path;
          in.contentType = request.get_header_value("Content-Type");
          in.soapAction = request.get_header_value("SOAPAction");
          in.body = request.body;
          const reinf::HttpReply reply = run->service.Handle(in, Transmissor(request));
          response.status = reply.status;
          response.set_content(reply.body, reply.contentType);
          ApplyServiceBodyFault(faults.body, request, response);
          RecordReply(output, name, request, response);
        });
  }
}

}  // namespace

SimRole ReinfRole() {
  return {"reinf",
          "the EFD-Reinf web services over HTTPS with client certificates: lots checked and "
          "answered with R-5001, closings queried for their R-5011, receipts",
          kReinfOptions, kServiceBodyFaults, &InstallReinf};
}

}  // namespace luvaro::sim
