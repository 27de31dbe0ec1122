#include "tools/sim/esocial_role.h"

#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <libxml/parser.h>

#include "tools/sim/esocial_service.h"
#include "tools/sim/esocial_signature.h"
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

constexpr std::string_view kSoapFault = "soap-fault";
constexpr std::string_view kDrop = "drop";
constexpr std::string_view kHtml = "html";
constexpr std::string_view kEsocialBodyFaults[] = {kSoapFault, kDrop, kHtml};

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

std::string ReadWhole(const fs::path& file, std::string_view option) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("--" + std::string(option) + ": cannot read " + file.string());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Required(const Options& options, std::string_view name) {
  auto value = options.Get(name);
  if (!value || value->empty()) throw UsageError("esocial needs --" + std::string(name));
  return *value;
}

int Number(const Options& options, std::string_view name, int fallback, int min, int max) {
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

void WriteWhole(const fs::path& file, std::string_view bytes) {
  const fs::path partial = file.parent_path() / ("." + file.filename().string() + ".partial");
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + partial.string());
  }
  fs::rename(partial, file);
}

// Keeps the reply beside its request: in the newest recording of this endpoint that has no
// reply yet and holds this request's body ("reply.txt": status and content type; "reply-body").
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

// What the role keeps for the length of the run.
struct EsocialRun {
  explicit EsocialRun(esocial::EsocialConfig config) : service(std::move(config)) {}
  XmlSecLibrary xmlsec;  // before the service, which verifies and signs with it
  esocial::EsocialService service;
};

void InstallEsocial(SimServer& server, const Options& options) {
  TlsSettings tls;
  tls.certificate = Required(options, "cert");
  tls.privateKey = Required(options, "key");
  tls.clientCa = Required(options, "client-ca");

  esocial::EsocialConfig config;
  config.schemas = Required(options, "schemas");
  if (!fs::is_regular_file(config.schemas / "EnvioLoteEventos-v1_1_1.xsd")) {
    throw UsageError("--schemas: " + config.schemas.string() +
                     " has no EnvioLoteEventos-v1_1_1.xsd");
  }
  config.tpAmb = Number(options, "environment", 2, 1, 2);
  config.consultasPendentes = Number(options, "pending", 0, 0, 1000);
  config.resultadoPrefixado = options.Has("prefixed-result");
  if (auto ca = options.Get("signer-ca")) config.trustedCaPem = ReadWhole(*ca, "signer-ca");
  config.signingKeyPem = ReadWhole(tls.privateKey, "key");
  config.signingCertPem = ReadWhole(tls.certificate, "cert");

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
          if (faults.body == kDrop) {
            // The lot was taken; the connection goes away before any reply byte.
            if (request.ssl != nullptr) shutdown(SSL_get_fd(request.ssl), SHUT_RDWR);
            response.status = 500;
          } else if (faults.body == kSoapFault) {
            response.status = 500;
            response.set_content(
                "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                "<s:Body><s:Fault><faultcode>s:Server</faultcode><faultstring "
                "xml:lang=\"pt-BR\">Falha simulada no serviço.</faultstring></s:Fault>"
                "</s:Body></s:Envelope>",
                "text/xml; charset=utf-8");
          } else if (faults.body == kHtml) {
            response.status = 200;
            response.set_content(
                "<html><head><title>Service Unavailable</title></head><body><h2>"
                "Serviço indisponível</h2></body></html>",
                "text/html; charset=utf-8");
          }
          RecordReply(output, name, request, response);
        });
  }
}

}  // namespace

SimRole EsocialRole() {
  return {"esocial",
          "the eSocial web services over HTTPS with client certificates: lots checked and "
          "answered as the government does",
          kEsocialOptions, kEsocialBodyFaults, &InstallEsocial};
}

}  // namespace luvaro::sim
