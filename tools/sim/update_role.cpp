#include "tools/sim/update_role.h"

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tools/sim/tls.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace luvaro::sim {
namespace {

constexpr OptionSpec kUpdateOptions[] = {
    {"versao", "TEXT", "the latest program version the query answers (default 1.14)", false},
    {"versao-orvane", "TEXT", "the oldest ERP version that version needs (default 4.0.01-180629)",
     false},
    {"link", "URL",
     "the installer's address in the answer (default <base>instalador/Luvaro-install)", false},
    {"instalador", "FILE", "the installer served under /instalador/ (none: 404)", false},
    {"cert", "PEM", "serve HTTPS with this certificate (chain); no client certificate asked",
     false},
    {"key", "PEM", "the HTTPS certificate's private key", false},
    {"resumo", "TEXT",
     "a third field of informacaoComplementar; \"auto\": sha256: and the installer's SHA-256",
     false},
};

// Version query damage.
constexpr std::string_view kNotJson = "not-json";
constexpr std::string_view kNotObject = "not-object";
constexpr std::string_view kNoVersao = "no-versao";
constexpr std::string_view kNoSeparator = "no-separator";
// Installer delivery.
constexpr std::string_view kNoLength = "no-length";
constexpr std::string_view kChunked = "chunked";
constexpr std::string_view kSlow = "slow";
constexpr std::string_view kSlowNoLength = "slow-no-length";
constexpr std::string_view kChunkedCutShort = "chunked-cut-short";
constexpr std::string_view kUpdateBodyFaults[] = {kNotJson,     kNotObject,    kNoVersao,
                                                  kNoSeparator, kNoLength,     kChunked,
                                                  kSlow,        kSlowNoLength, kChunkedCutShort};

constexpr const char* kJsonType = "application/json;charset=UTF-8";
constexpr const char* kTextType = "text/plain; charset=utf-8";
constexpr const char* kBinaryType = "application/octet-stream";

// A slow installer arrives in this many pieces, with a pause before each one but the first.
constexpr std::size_t kSlowPieces = 10;
constexpr std::chrono::milliseconds kSlowPause{50};

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("--instalador: cannot read " + file.string());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct UpdateAnswer {
  std::string versao = "1.14";
  std::string versaoOrvane = "4.0.01-180629";
  std::optional<std::string> link;    // default: this server's own installer address
  std::optional<std::string> resumo;  // the third field, when there is one
  std::string scheme = "http";        // of this server's own addresses
};

// "sha256:" and the SHA-256 of the bytes in lower-case hexadecimal.
std::string Sha256Field(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("EVP_Digest failed");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "sha256:";
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 0x0F];
  }
  return text;
}

void AnswerVersion(const UpdateAnswer& answer, const httplib::Request& request,
                   httplib::Response& response, const Faults& faults) {
  if (request.get_param_value("identificacao") != "Luvaro") {
    response.status = 400;
    response.set_content("identificacao must be Luvaro", kTextType);
    return;
  }
  if (faults.body == kNotJson) {
    response.set_content("<html><body><h1>Servidor em manutenção</h1></body></html>", "text/html");
    return;
  }
  const std::string link = answer.link.value_or(
      answer.scheme + "://" + request.get_header_value("Host") + "/instalador/Luvaro-install");
  Json body = Json::object();
  if (faults.body != kNoVersao) body["versao"] = answer.versao;
  body["informacaoComplementar"] = answer.versaoOrvane + (faults.body == kNoSeparator ? " " : ";") +
                                   link + (answer.resumo ? ";" + *answer.resumo : std::string());
  if (faults.body == kNotObject) body = Json::array({body});
  response.set_content(body.dump(), kJsonType);
}

// Sends `installer` in pieces, pausing before each but the first; false once the simulator
// is stopping or the client has gone.
bool SendSlowly(const std::string& installer, std::size_t offset, httplib::DataSink& sink,
                const StopSignal& stop) {
  const std::size_t piece = std::max<std::size_t>(1, installer.size() / kSlowPieces);
  if (offset > 0 && stop.WaitFor(kSlowPause)) return false;
  const std::size_t size = std::min(piece, installer.size() - offset);
  return sink.write(installer.data() + offset, size);
}

void ServeInstaller(const std::shared_ptr<const std::string>& installer, const StopSignal& stop,
                    httplib::Response& response, const Faults& faults) {
  if (!installer) {
    response.status = 404;
    response.set_content("no installer (--instalador FILE)", kTextType);
    return;
  }
  const std::string& kind = faults.body;
  if (kind == kSlow) {
    response.set_content_provider(
        installer->size(), kBinaryType,
        [installer, &stop](size_t offset, size_t, httplib::DataSink& sink) {
          return SendSlowly(*installer, offset, sink, stop);
        });
  } else if (kind == kSlowNoLength) {
    response.set_content_provider(kBinaryType,
                                  [installer, &stop](size_t offset, httplib::DataSink& sink) {
                                    if (offset >= installer->size()) {
                                      sink.done();
                                      return true;
                                    }
                                    return SendSlowly(*installer, offset, sink, stop);
                                  });
  } else if (kind == kNoLength || kind == kChunked || kind == kChunkedCutShort) {
    const bool cut = kind == kChunkedCutShort;
    auto provider = [installer, cut](size_t offset, httplib::DataSink& sink) {
      if (offset == 0) {
        const std::size_t size = cut ? installer->size() / 2 : installer->size();
        if (!sink.write(installer->data(), size)) return false;
        if (cut) return false;  // breaks the connection before the last chunk
      }
      sink.done();
      return true;
    };
    if (kind == kNoLength)
      response.set_content_provider(kBinaryType, provider);
    else
      response.set_chunked_content_provider(kBinaryType, provider);
  } else {
    response.set_content(*installer, kBinaryType);
  }
}

void InstallUpdate(SimServer& server, const Options& options) {
  UpdateAnswer answer;
  if (auto v = options.Get("versao")) answer.versao = *v;
  if (auto v = options.Get("versao-orvane")) answer.versaoOrvane = *v;
  answer.link = options.Get("link");
  std::shared_ptr<const std::string> installer;
  if (auto file = options.Get("instalador"))
    installer = std::make_shared<const std::string>(ReadWhole(*file));
  answer.resumo = options.Get("resumo");
  if (answer.resumo == "auto") {
    if (!installer) throw UsageError("--resumo auto needs --instalador");
    answer.resumo = Sha256Field(*installer);
  }
  const auto cert = options.Get("cert");
  const auto key = options.Get("key");
  if (cert.has_value() != key.has_value()) throw UsageError("--cert and --key go together");
  if (cert) {
    server.UseTls(TlsSettings{*cert, *key, {}});
    answer.scheme = "https";
  }

  server.Get("/cloud/api/versao/sistema/get", "versao",
             [answer](const httplib::Request& request, httplib::Response& response,
                      const Faults& faults) { AnswerVersion(answer, request, response, faults); });
  const StopSignal& stop = server.Stop();
  server.Get("/instalador/.*", "instalador",
             [installer, &stop](const httplib::Request&, httplib::Response& response,
                                const Faults& faults) {
               ServeInstaller(installer, stop, response, faults);
             });
  // A server that moved: everything under /moved/ is sent on to the same target without it.
  server.Get(R"(/moved/.*)", "moved",
             [](const httplib::Request& request, httplib::Response& response, const Faults&) {
               response.set_redirect(request.target.substr(std::string_view("/moved").size()), 302);
             });
}

}  // namespace

SimRole UpdateRole() {
  return {"update",
          "the program's update server (GET /cloud/api/versao/sistema/get?identificacao=Luvaro, "
          "the installer under /instalador/)",
          kUpdateOptions, kUpdateBodyFaults, &InstallUpdate};
}

}  // namespace luvaro::sim
