#include "tools/sim/reinf_role.h"

#include <functional>
#include <memory>
#include <optional>

#include <libxml/parser.h>
#include <openssl/x509.h>

#include "reinf/reinf_rest_codigos.h"
#include "tools/sim/esocial_signature.h"
#include "tools/sim/reinf_rest.h"
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
    {"pending", "N",
     "answer the first N consolidated queries of each closing, and the first N (at least one) "
     "queries of each asynchronous lot, \"in processing\"",
     false},
    {"prefixed-result", "", "write the SOAP reply elements with the prefix v1:", false},
};

// Endpoint names: the keys of the program's service table.
constexpr ServiceEndpoint kEndpoints[] = {
    {reinf::kPathRecepcao, "EnviarLoteEventos"},
    {reinf::kPathConsultas, "ConsultarLoteEventos"},
};

// The asynchronous (REST) services of layout 2.1.2, named by their keys in the service table.
constexpr std::string_view kEndpointRecepcaoRest = "EnviarLoteEventos_2.12";
constexpr std::string_view kEndpointConsultaRest = "ConsultarLoteEventos_2.12";

// The body damage of this role: the services' kinds, and for the REST routes also
// "lote-rejeitado" (422 with a refusal of the lot, cdResposta 7, in the service's reply form).
// On the REST routes "soap-fault" is a 500 with the service's internal-error reply.
constexpr std::string_view kReinfBodyFaults[] = {"soap-fault", "drop", "html", "lote-rejeitado"};

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
  explicit ReinfRun(const reinf::ReinfConfig& config) : service(config), rest(config) {}
  XmlSecLibrary xmlsec;  // before the services, which verify and sign with it
  reinf::ReinfService service;
  reinf::ReinfRestService rest;
};

using RestAnswer = std::function<reinf::HttpReply(const httplib::Request&)>;

// A REST route: the service's answer, the run's body damage in the REST form, the reply kept.
SimServer::Handler RestRoute(std::optional<std::filesystem::path> output, std::string_view name,
                             RestAnswer answer) {
  return [output = std::move(output), name, answer = std::move(answer)](
             const httplib::Request& request, httplib::Response& response, const Faults& faults) {
    reinf::HttpReply reply = answer(request);
    if (auto falha = reinf::FalhaSimuladaRest(faults.body)) reply = std::move(*falha);
    response.status = reply.status;
    response.set_content(reply.body, reply.contentType);
    if (faults.body == "drop" || faults.body == "html")
      ApplyBodyFault(faults.body, request, response);
    RecordReply(output, name, request, response);
  };
}

void InstallReinf(SimServer& server, const Options& options) {
  ServiceSettings settings = ReadServiceSettings(options, "reinf", "EnvioLoteEventos-v1_04_00.xsd");
  // libxml2 is set up once, here, before the server starts its threads.
  xmlInitParser();
  auto run = std::make_shared<ReinfRun>(settings.config);
  ServeEndpoints(server, settings, kEndpoints,
                 [run](const reinf::HttpRequest& in, const httplib::Request& request) {
                   return run->service.Handle(in, Transmissor(request));
                 });
  server.Post(std::string(luvaro::reinf::kRestPathRecepcao), std::string(kEndpointRecepcaoRest),
              RestRoute(settings.output, kEndpointRecepcaoRest, [run](const httplib::Request& r) {
                reinf::HttpRequest in;
                in.method = r.method;
                in.path = r.path;
                in.contentType = r.get_header_value("Content-Type");
                in.body = r.body;
                return run->rest.ReceberLote(in);
              }));
  server.Get(std::string(luvaro::reinf::kRestPathConsulta) + "/([^/]+)",
             std::string(kEndpointConsultaRest),
             RestRoute(settings.output, kEndpointConsultaRest, [run](const httplib::Request& r) {
               return run->rest.ConsultarLote(r.matches.size() > 1 ? std::string(r.matches[1])
                                                                   : std::string());
             }));
}

}  // namespace

SimRole ReinfRole() {
  return {"reinf",
          "the EFD-Reinf web services over HTTPS with client certificates: lots checked and "
          "answered with R-5001, closings queried for their R-5011, receipts; layout 2.1.2 lots "
          "received and queried over REST",
          kReinfOptions, kReinfBodyFaults, &InstallReinf};
}

}  // namespace luvaro::sim
