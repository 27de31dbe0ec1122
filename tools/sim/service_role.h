#pragma once

// What the roles of the government's web services (esocial, reinf) share: their command line
// (TLS files, schemas, environment, signer CA, pending queries, prefixed results), the routes
// that hand each POST to the service, the body damage they understand, and the recording of
// each reply beside its request.

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <httplib.h>

#include "tools/sim/esocial_service.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/sim_server.h"
#include "tools/sim/tls.h"

namespace luvaro::sim {

// What a service role reads from its command line: --cert, --key and --client-ca for TLS;
// --schemas (which must hold `lotSchema`), --environment, --pending, --prefixed-result and
// --signer-ca for the service, whose replies are signed with the server's key and certificate;
// --output for the replies kept beside the requests. UsageError for a missing or wrong option.
struct ServiceSettings {
  TlsSettings tls;
  esocial::EsocialConfig config;
  std::optional<std::filesystem::path> output;
};
ServiceSettings ReadServiceSettings(const Options& options, std::string_view role,
                                    std::string_view lotSchema);

// The body damage of a service role (--body KIND), applied after the service has taken the
// request, so that a lot may be received although its reply is lost: "soap-fault" (500, SOAP 1.1
// fault "Falha simulada no serviço."), "drop" (the connection is closed before any reply byte),
// "html" (200 with an HTML page).
inline constexpr std::string_view kServiceBodyFaults[] = {"soap-fault", "drop", "html"};

// Applies the body damage `kind` (one of kServiceBodyFaults; others do nothing) to a reply.
void ApplyBodyFault(std::string_view kind, const httplib::Request& request,
                    httplib::Response& response);

// Keeps a reply beside its recorded request in `output` (when given): "reply.txt" (status and
// content type) and "reply-body".
void RecordReply(const std::optional<std::filesystem::path>& output, std::string_view endpoint,
                 const httplib::Request& request, const httplib::Response& response);

// One path the service answers, with its endpoint name (the key of the program's service table).
struct ServiceEndpoint {
  std::string_view path;
  std::string_view name;
};

// The service's answer to one request; the HTTP request is there for what only the connection
// shows (the client certificate).
using ServiceHandler =
    std::function<esocial::HttpReply(const esocial::HttpRequest&, const httplib::Request&)>;

// Serves the endpoints over TLS: each POST goes to `handler`, its reply goes out with the run's
// body damage, and the reply is kept beside the recorded request ("reply.txt": status and
// content type; "reply-body": the bytes sent).
void ServeEndpoints(SimServer& server, const ServiceSettings& settings,
                    std::span<const ServiceEndpoint> endpoints, ServiceHandler handler);

}  // namespace luvaro::sim
