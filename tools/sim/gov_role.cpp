#include "tools/sim/gov_role.h"

#include <sys/socket.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/sim/tls.h"

namespace fs = std::filesystem;

namespace luvaro::sim {
namespace {

constexpr OptionSpec kGovOptions[] = {
    {"cert", "PEM", "the server's certificate (chain)", false},
    {"key", "PEM", "the server certificate's private key", false},
    {"client-ca", "PEM", "clients must present a certificate issued by this CA", false},
    {"reply", "FILE", "body of the 200 reply (default: a small SOAP envelope)", false},
};

constexpr std::string_view kSoapFault = "soap-fault";
constexpr std::string_view kDrop = "drop";
constexpr std::string_view kGovBodyFaults[] = {kSoapFault, kDrop};

constexpr const char* kSoapType = "application/soap+xml; charset=utf-8";

constexpr std::string_view kDefaultReply =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\">"
    "<soap:Body><retorno>Requisição recebida.</retorno></soap:Body></soap:Envelope>";

constexpr std::string_view kFaultReply =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
    "<soap:Fault><soap:Code><soap:Value>soap:Receiver</soap:Value></soap:Code>"
    "<soap:Reason><soap:Text xml:lang=\"pt-BR\">Falha simulada no serviço.</soap:Text>"
    "</soap:Reason></soap:Fault></soap:Body></soap:Envelope>";

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("--reply: cannot read " + file.string());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Required(const Options& options, std::string_view name) {
  auto value = options.Get(name);
  if (!value || value->empty()) throw UsageError("gov needs --" + std::string(name));
  return *value;
}

void InstallGov(SimServer& server, const Options& options) {
  TlsSettings tls;
  tls.certificate = Required(options, "cert");
  tls.privateKey = Required(options, "key");
  tls.clientCa = Required(options, "client-ca");
  const std::string reply =
      options.Get("reply") ? ReadWhole(*options.Get("reply")) : std::string(kDefaultReply);
  server.UseTls(tls);

  server.Post(
      R"(/.*)", "servico",
      [reply](const httplib::Request& request, httplib::Response& response, const Faults& faults) {
        if (faults.body == kDrop) {
          // The connection goes away before any reply byte.
          if (request.ssl != nullptr) shutdown(SSL_get_fd(request.ssl), SHUT_RDWR);
          response.status = 500;
          return;
        }
        if (faults.body == kSoapFault) {
          response.status = 500;
          response.set_content(std::string(kFaultReply), kSoapType);
          return;
        }
        response.status = 200;
        response.set_content(reply, kSoapType);
      });
}

}  // namespace

SimRole GovRole() {
  return {"gov",
          "the government's SOAP services over HTTPS with client certificates (POST to any "
          "path; scripted replies)",
          kGovOptions, kGovBodyFaults, &InstallGov};
}

}  // namespace luvaro::sim
