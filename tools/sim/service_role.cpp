#include "tools/sim/service_role.h"

#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace luvaro::sim {
namespace {

void WriteWhole(const fs::path& file, std::string_view bytes) {
  const fs::path partial = file.parent_path() / ("." + file.filename().string() + ".partial");
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + partial.string());
  }
  fs::rename(partial, file);
}

std::string ReadOptionFile(const fs::path& file, std::string_view option) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("--" + std::string(option) + ": cannot read " + file.string());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string RequiredOption(const Options& options, std::string_view role, std::string_view name) {
  auto value = options.Get(name);
  if (!value || value->empty()) {
    throw UsageError(std::string(role) + " needs --" + std::string(name));
  }
  return *value;
}

int NumberOption(const Options& options, std::string_view name, int fallback, int min, int max) {
  auto text = options.Get(name);
  if (!text) return fallback;
  int value = 0;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (ec != std::errc{} || end != text->data() + text->size() || value < min || value > max) {
    throw UsageError("--" + std::string(name) + ": expected a number from " + std::to_string(min) +
                     " to " + std::to_string(max) + ", got \"" + *text + "\"");
  }
  return value;
}

}  // namespace

void ApplyBodyFault(std::string_view kind, const httplib::Request& request,
                    httplib::Response& response) {
  if (kind == "drop") {
    // The request was taken; the connection goes away before any reply byte.
    if (request.ssl != nullptr) shutdown(SSL_get_fd(request.ssl), SHUT_RDWR);
    response.status = 500;
  } else if (kind == "soap-fault") {
    response.status = 500;
    response.set_content(
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">"
        "<s:Body><s:Fault><faultcode>s:Server</faultcode><faultstring "
        "xml:lang=\"pt-BR\">Falha simulada no serviço.</faultstring></s:Fault>"
        "</s:Body></s:Envelope>",
        "text/xml; charset=utf-8");
  } else if (kind == "html") {
    response.status = 200;
    response.set_content(
        "<html><head><title>Service Unavailable</title></head><body><h2>"
        "Serviço indisponível</h2></body></html>",
        "text/html; charset=utf-8");
  }
}

void RecordReply(const std::optional<fs::path>& output, std::string_view endpoint,
                 const httplib::Request& request, const httplib::Response& response) {
  if (!output) return;
  const std::string suffix = "-" + request.method + "-" + std::string(endpoint);
  std::vector<fs::path> candidates;
  for (const auto& entry : fs::directory_iterator(*output)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.front() != '.' && name.ends_with(suffix) &&
        !fs::exists(entry.path() / "reply.txt")) {
      candidates.push_back(entry.path());
    }
  }
  std::sort(candidates.rbegin(), candidates.rend());
  for (const fs::path& folder : candidates) {
    std::ifstream in(folder / "body", std::ios::binary);
    std::stringstream body;
    body << in.rdbuf();
    if (body.str() != request.body) continue;
    WriteWhole(folder / "reply-body", response.body);
    WriteWhole(folder / "reply.txt",
               "status: " + std::to_string(response.status) +
                   "\ncontent-type: " + response.get_header_value("Content-Type") + "\n");
    return;
  }
}

ServiceSettings ReadServiceSettings(const Options& options, std::string_view role,
                                    std::string_view lotSchema) {
  ServiceSettings settings;
  settings.tls.certificate = RequiredOption(options, role, "cert");
  settings.tls.privateKey = RequiredOption(options, role, "key");
  settings.tls.clientCa = RequiredOption(options, role, "client-ca");
  esocial::EsocialConfig& config = settings.config;
  config.schemas = RequiredOption(options, role, "schemas");
  if (!fs::is_regular_file(config.schemas / lotSchema)) {
    throw UsageError("--schemas: " + config.schemas.string() + " has no " + std::string(lotSchema));
  }
  config.tpAmb = NumberOption(options, "environment", 2, 1, 2);
  config.consultasPendentes = NumberOption(options, "pending", 0, 0, 1000);
  config.resultadoPrefixado = options.Has("prefixed-result");
  if (auto ca = options.Get("signer-ca")) config.trustedCaPem = ReadOptionFile(*ca, "signer-ca");
  config.signingKeyPem = ReadOptionFile(settings.tls.privateKey, "key");
  config.signingCertPem = ReadOptionFile(settings.tls.certificate, "cert");
  if (auto output = options.Get("output")) settings.output = *output;
  return settings;
}

void ServeEndpoints(SimServer& server, const ServiceSettings& settings,
                    std::span<const ServiceEndpoint> endpoints, ServiceHandler handler) {
  server.UseTls(settings.tls);
  auto shared = std::make_shared<const ServiceHandler>(std::move(handler));
  for (const ServiceEndpoint& endpoint : endpoints) {
    server.Post(
        std::string(endpoint.path), std::string(endpoint.name),
        [shared, output = settings.output, name = endpoint.name](
            const httplib::Request& request, httplib::Response& response, const Faults& faults) {
          esocial::HttpRequest in;
          in.method = request.method;
          in.path = request.path;
          in.contentType = request.get_header_value("Content-Type");
          in.soapAction = request.get_header_value("SOAPAction");
          in.body = request.body;
          const esocial::HttpReply reply = (*shared)(in, request);
          response.status = reply.status;
          response.set_content(reply.body, reply.contentType);
          ApplyBodyFault(faults.body, request, response);
          RecordReply(output, name, request, response);
        });
  }
}

}  // namespace luvaro::sim
