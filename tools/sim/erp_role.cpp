#include "tools/sim/erp_role.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace luvaro::sim {
namespace {

constexpr OptionSpec kErpOptions[] = {
    {"fixtures", "DIR", "lots to hand out: DIR/<type>/<key>.json or DIR/<type>/<key>/", false},
};

constexpr std::string_view kNotJson = "not-json";
constexpr std::string_view kEmpresasNotArray = "empresas-not-array";
constexpr std::string_view kArquivosNotObject = "arquivos-not-object";
constexpr std::string_view kNoLotePath = "no-lotepath";
constexpr std::string_view kLatin1 = "latin1";
constexpr std::string_view kRedirect = "redirect-";  // followed by 301, 302, 303, 307 or 308
constexpr std::string_view kErpBodyFaults[] = {
    kNotJson,       kEmpresasNotArray, kArquivosNotObject, kNoLotePath,    kLatin1,
    "redirect-301", "redirect-302",    "redirect-303",     "redirect-307", "redirect-308"};

constexpr const char* kJsonType = "application/json;charset=UTF-8";
constexpr const char* kTextType = "text/plain; charset=utf-8";

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A name taken from the request that may become a file name: nothing that leaves the folder.
bool IsSafeName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

// The folder form of a lot: <key>/empresa.json holds one company without its documents, and
// every <key>/*.xml, by file name, becomes one member of its "arquivos".
std::string BuildLot(const fs::path& folder) {
  Json company = Json::object();
  if (fs::exists(folder / "empresa.json"))
    company = Json::parse(ReadWhole(folder / "empresa.json"));
  if (!company.is_object()) throw std::runtime_error("empresa.json is not a JSON object");
  std::vector<fs::path> documents;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".xml")
      documents.push_back(entry.path());
  std::sort(documents.begin(), documents.end());
  Json arquivos = Json::object();
  for (const auto& document : documents) arquivos[document.stem().string()] = ReadWhole(document);
  company["arquivos"] = std::move(arquivos);
  return Json{{"empresas", Json::array({company})}}.dump();
}

// The lot for one project type and company key, or nothing when the fixtures have none.
std::optional<std::string> FindLot(const fs::path& fixtures, const std::string& type,
                                   const std::string& key) {
  if (!IsSafeName(type) || !IsSafeName(key)) return std::nullopt;
  const fs::path file = fixtures / type / (key + ".json");
  if (fs::is_regular_file(file)) return ReadWhole(file);
  const fs::path folder = fixtures / type / key;
  if (fs::is_directory(folder)) return BuildLot(folder);
  return std::nullopt;
}

void DamageLot(const std::string& kind, Json& lot) {
  Json& empresas = lot["empresas"];
  if (kind == kEmpresasNotArray) {
    empresas = empresas.is_array() && !empresas.empty() ? empresas.front() : Json::object();
    return;
  }
  if (!empresas.is_array()) return;
  for (Json& company : empresas) {
    if (!company.is_object()) continue;
    if (kind == kNoLotePath) company.erase("lotePath");
    if (kind == kArquivosNotObject && company.contains("arquivos")) {
      Json values = Json::array();
      for (const auto& item : company["arquivos"].items()) values.push_back(item.value());
      company["arquivos"] = std::move(values);
    }
  }
}

// The lot in ISO-8859-1, as a Windows server writes it: every character that code page lacks
// becomes '?'.
std::string ToLatin1(const std::string& utf8) {
  std::string latin1;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      latin1 += static_cast<char>(byte);
      ++i;
    } else if ((byte & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      const unsigned code =
          ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      latin1 += code < 0x100 ? static_cast<char>(code) : '?';
      i += 2;
    } else {
      latin1 += '?';
      ++i;
      while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    }
  }
  return latin1;
}

void ServeLot(const fs::path& fixtures, const httplib::Request& request,
              httplib::Response& response, const Faults& faults) {
  if (!request.has_param("empresaKey")) {
    response.status = 400;
    response.set_content("empresaKey missing", kTextType);
    return;
  }
  const std::string type = request.matches[1];
  const std::string key = request.get_param_value("empresaKey");
  std::optional<std::string> lot = FindLot(fixtures, type, key);
  if (!lot) {
    response.status = 404;
    response.set_content("no lot for " + type + " and empresaKey \"" + key + "\"", kTextType);
    return;
  }
  if (faults.body == kNotJson) {
    response.set_content("<html><body><h1>Erro interno</h1></body></html>", "text/html");
    return;
  }
  if (faults.body == kLatin1) {
    response.set_content(ToLatin1(*lot), "application/json;charset=ISO-8859-1");
    return;
  }
  if (!faults.body.empty()) {
    Json parsed = Json::parse(*lot);
    DamageLot(faults.body, parsed);
    lot = parsed.dump();
  }
  response.set_content(*lot, kJsonType);
}

// Takes a posted reply: a JSON object whose members `required` are texts.
void TakeReply(std::initializer_list<const char*> required, const httplib::Request& request,
               httplib::Response& response, const Faults& faults) {
  std::string problem;
  try {
    const Json body = Json::parse(request.body);
    if (!body.is_object()) problem = "not a JSON object";
    for (const char* member : required)
      if (problem.empty() && (!body.contains(member) || !body[member].is_string()))
        problem = std::string("member \"") + member + "\" missing or not a text";
  } catch (const Json::exception& e) {
    problem = e.what();
  }
  if (!problem.empty()) {
    response.status = 400;
    response.set_content("invalid JSON body: " + problem, kTextType);
    return;
  }
  if (faults.body == kNotJson) {
    response.set_content("<html><body>OK</body></html>", "text/html");
    return;
  }
  if (faults.body.starts_with(kRedirect)) {
    // An ERP that takes results at another address: the same target under /destino.
    response.set_redirect("/destino" + request.target,
                          std::stoi(faults.body.substr(kRedirect.size())));
    return;
  }
  response.set_content(R"({"mensagem":"Retorno recebido."})", kJsonType);
}

void InstallErp(SimServer& server, const Options& options) {
  auto fixtures = options.Get("fixtures");
  if (!fixtures) throw UsageError("the erp role needs --fixtures DIR");
  if (!fs::is_directory(*fixtures)) throw UsageError("--fixtures: no folder " + *fixtures);
  const fs::path folder = fs::absolute(*fixtures);

  server.Get(
      R"(/spring/([^/]+)/lotes)", "lotes",
      [folder](const httplib::Request& request, httplib::Response& response, const Faults& faults) {
        try {
          ServeLot(folder, request, response, faults);
        } catch (const std::exception& e) {
          response.status = 500;
          response.set_content(std::string("bad fixture: ") + e.what(), kTextType);
        }
      });
  // An ERP that moved: everything under /moved/ is sent on, method and body kept, to the same
  // target without that prefix.
  const auto moved = [](const httplib::Request& request, httplib::Response& response,
                        const Faults&) {
    response.set_redirect(request.target.substr(std::string_view("/moved").size()), 307);
  };
  server.Get(R"(/moved/.*)", "moved", moved);
  server.Post(R"(/moved/.*)", "moved", moved);
  // Where a redirected result lands: a POST is taken as at the original address; a GET (what a
  // 303 turns the POST into) finds a page, as after a Post/Redirect/Get.
  server.Post(
      R"(/destino/spring/([^/]+)/(lotesRetorno|consultaProtocoloRetorno))", "destino",
      [](const httplib::Request& request, httplib::Response& response, const Faults& faults) {
        if (request.matches[2] == "lotesRetorno")
          TakeReply({"empresaKey", "xmlRetornoLote", "lotePath"}, request, response, faults);
        else
          TakeReply({"empresaKey", "xmlRetornoLote"}, request, response, faults);
      });
  server.Get(R"(/destino/.*)", "destino",
             [](const httplib::Request&, httplib::Response& response, const Faults&) {
               response.set_content(R"({"mensagem":"Página de destino."})", kJsonType);
             });
  server.Post(
      R"(/spring/([^/]+)/lotesRetorno)", "lotesRetorno",
      [](const httplib::Request& request, httplib::Response& response, const Faults& faults) {
        TakeReply({"empresaKey", "xmlRetornoLote", "lotePath"}, request, response, faults);
      });
  server.Post(
      R"(/spring/([^/]+)/consultaProtocoloRetorno)", "consultaProtocoloRetorno",
      [](const httplib::Request& request, httplib::Response& response, const Faults& faults) {
        TakeReply({"empresaKey", "xmlRetornoLote"}, request, response, faults);
      });
}

}  // namespace

SimRole ErpRole() {
  return {"erp",
          "the ERP's lot server (GET .../lotes, POST .../lotesRetorno and "
          ".../consultaProtocoloRetorno under <base>spring/<type>/)",
          kErpOptions, kErpBodyFaults, &InstallErp};
}

}  // namespace luvaro::sim
