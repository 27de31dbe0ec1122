#include "tools/sim/esocial_role.h"

#include <filesystem>
#include <memory>

#include <libxml/parser.h>

#include "tools/sim/esocial_service.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/service_role.h"
#include "tools/sim/tls.h"

namespace fs = std::filesystem;

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
struct Endpoint {
  std::string_view path;
  std::string_view name;
};
constexpr Endpoint kEndpoints[] = {
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
  TlsSettings tls;
  tls.certificate = RequiredOption(options, "esocial", "cert");
  tls.privateKey = RequiredOption(options, "esocial", "key");
  tls.clientCa = RequiredOption(options, "esocial", "client-ca");

  esocial::EsocialConfig config;
  config.schemas = RequiredOption(options, "esocial", "schemas");
  if (!fs::is_regular_file(config.schemas / "EnvioLoteEventos-v1_1_1.xsd")) {
    throw UsageError("--schemas: " + config.schemas.string() +
                     " has no EnvioLoteEventos-v1_1_1.xsd");
  }
  config.tpAmb = NumberOption(options, "environment", 2, 1, 2);
  config.consultasPendentes = NumberOption(options, "pending", 0, 0, 1000);
  config.resultadoPrefixado = options.Has("prefixed-result");
  if (auto ca = options.Get("signer-ca")) config.trustedCaPem = ReadOptionFile(*ca, "signer-ca");
  config.signingKeyPem = ReadOptionFile(tls.privateKey, "key");
  config.signingCertPem = ReadOptionFile(tls.certificate, "cert");

  // libxml2 is set up once, here, before the server starts its threads.
  xmlInitParser();
  auto run = std::make_shared<EsocialRun>(std::move(config));
  const std::optional<fs::path> output =
      options.Get("output") ? std::optional<fs::path>(*options.Get("output")) : std::nullopt;

  server.UseTls(tls);
  for (const Endpoint& endpoint : kEndpoints) {
    server.Post(
        std::string(endpoint.path), std::string(endpoint.name),
        [run, output, name = endpoint.name](const httplib::Request& request,
                                            httplib::Response& response, const Faults& faults) {
          esocial::HttpRequest in;
          in.method = request.method;
          in.path = request.path;
          in.contentType = request.get_header_value("Content-Type");
          in.soapAction = request.get_header_value("SOAPAction");
          in.body = request.body;
          const esocial::HttpReply reply = run->service.Handle(in);
          response.status = reply.status;
          response.set_content(reply.body, reply.contentType);
          ApplyServiceBodyFault(faults.body, request, response);
          RecordReply(output, name, request, response);
        });
  }
}

}  // namespace

SimRole EsocialRole() {
  return {"esocial",
          "the eSocial web services over HTTPS with client certificates: lots checked and "
          "answered as the government does",
          kEsocialOptions, kServiceBodyFaults, &InstallEsocial};
}

}  // namespace luvaro::sim
