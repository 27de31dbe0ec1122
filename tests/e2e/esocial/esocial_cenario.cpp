#include "tests/e2e/esocial/esocial_cenario.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ctime>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "tests/support/process.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kSim = LUVARO_SIM_PATH;
const fs::path kFixturesErp = fs::path(LUVARO_SOURCE_DIR) / "tests/fixtures/e2e_esocial/erp";

// The paths of the four services in the program's service table.
constexpr std::string_view kServicos[][2] = {
    {"EnviarLoteEventos", "servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc"},
    {"ConsultarLoteEventos", "servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc"},
    {"ConsultarIdentificadoresEventos",
     "servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc"},
    {"DownloadEventos", "servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc"},
};

std::string TabelaServicos(const std::string& base) {
  std::string ini;
  for (const char* secao : {"eSocial_H", "eSocial_P"}) {
    ini += std::string("[") + secao + "]\r\n";
    for (const auto& [chave, caminho] : kServicos)
      ini += std::string(chave) + "=" + base + std::string(caminho) + "\r\n";
  }
  return ini;
}

// Fills the application folder before the simulators start (the eSocial role reads the
// schemas from it); cadeias/ trusts the stand-ins' test CA.
const fs::path& Preparar(const fs::path& home) {
  fs::create_directories(home / "Logs");
  CopySchemas(home / "schemas");
  TestToken::Shared().TrustTestCa(home);
  return home;
}

std::vector<std::string> ArgsGoverno(const fs::path& schemas, bool anunciar) {
  const TestToken& token = TestToken::Shared();
  std::vector<std::string> args{"--cert",      token.ServerPem().string(),
                                "--key",       token.ServerKeyPem().string(),
                                "--client-ca", token.CaPem().string(),
                                "--signer-ca", token.CaPem().string(),
                                "--schemas",   schemas.string()};
  if (anunciar) args.push_back("--announce");
  return args;
}

}  // namespace

RefusingPort::RefusingPort() : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("cannot bind a loopback port");
  m_port = ntohs(address.sin_port);
}

RefusingPort::~RefusingPort() {
  if (m_fd >= 0) close(m_fd);
}

EsocialCenario::EsocialCenario(bool pAnunciarGoverno, const fs::path& pFixturesErp)
    : m_update(kSim, "update", {}),
      m_erp(kSim, "erp",
            {"--fixtures", (pFixturesErp.empty() ? kFixturesErp : pFixturesErp).string()}),
      m_esocial(kSim, "esocial",
                ArgsGoverno(Preparar(m_home.path()) / "schemas", pAnunciarGoverno)) {
  WriteFile(Home() / "eSocialServicos.ini", TabelaServicos(m_esocial.BaseUrl()));
}

std::map<std::string, std::string> EsocialCenario::Ambiente() const {
  return {
      {"LUVARO_HEADLESS", "1"},
      {"LUVARO_HOME", Home().string()},
      {"LUVARO_ATUALIZACAO_URL", m_update.BaseUrl()},
      {"LUVARO_PKCS11_MODULE", TestToken::SoftHsmModule().string()},
      {"SOFTHSM2_CONF", TestToken::Shared().ConfigFile().string()},
      {"LUVARO_CERTIFICADO", SerialDe("empresa")},
      {"LUVARO_PIN", std::string(TestToken::kPin)},
      {"LUVARO_TIMEOUT_MS", "60000"},
      {"no_proxy", "*"},
  };
}

std::vector<std::string> EsocialCenario::ArgsEnvio(std::string_view empresa) const {
  return {std::string(kVersaoOrvane), "0",      m_erp.BaseUrl(), "1", "1",
          std::string(empresa),       "esocial"};
}

std::vector<std::string> EsocialCenario::ArgsConsulta(const std::string& protocolo) const {
  return {std::string(kVersaoOrvane), "1",      m_erp.BaseUrl(), protocolo, "1",
          std::string(kEmpresa),      "esocial"};
}

std::vector<std::string> EsocialCenario::ArgsProcesso2() const {
  return {std::string(kVersaoOrvane), "2",      m_erp.BaseUrl(), "", "1",
          std::string(kEmpresa),      "esocial"};
}

std::string EsocialCenario::Logs() const {
  std::string todos;
  for (const auto& arquivo : fs::directory_iterator(Home() / "Logs")) todos += ReadFile(arquivo);
  return todos;
}

std::string SerialDe(std::string_view nome) {
  return TestToken::Shared().Certificate(nome).serial;
}

std::string Entre(const std::string& texto, std::string_view inicio, std::string_view fim) {
  const auto a = texto.find(inicio);
  if (a == std::string::npos) return "";
  const auto b = texto.find(fim, a + inicio.size());
  if (b == std::string::npos) return "";
  return texto.substr(a + inicio.size(), b - a - inicio.size());
}

int Ocorrencias(const std::string& texto, std::string_view parte) {
  int n = 0;
  for (auto p = texto.find(parte); p != std::string::npos; p = texto.find(parte, p + 1)) ++n;
  return n;
}

std::vector<EventoDoLote> EventosDoLote(const std::string& corpoSoap) {
  std::vector<EventoDoLote> eventos;
  constexpr std::string_view abre = "<evento Id=\"";
  for (auto p = corpoSoap.find(abre); p != std::string::npos; p = corpoSoap.find(abre, p + 1)) {
    const auto fimId = corpoSoap.find('"', p + abre.size());
    const auto conteudo = corpoSoap.find('>', fimId) + 1;
    const auto fecha = corpoSoap.find("</evento>", conteudo);
    std::string documento = corpoSoap.substr(conteudo, fecha - conteudo);
    if (documento.starts_with(' ')) documento.erase(0, 1);
    eventos.push_back({corpoSoap.substr(p + abre.size(), fimId - p - abre.size()), documento});
  }
  return eventos;
}

bool XmlsecVerifica(const std::string& documento, const fs::path& pasta, std::string* saida) {
  const fs::path arquivo = pasta / "evento-verificado.xml";
  WriteFile(arquivo, documento);
  ProcessOptions options;
  options.args = {"--verify", "--trusted-pem", TestToken::Shared().CaPem().string(),
                  arquivo.string()};
  const ProcessResult r = RunProcess("/usr/bin/xmlsec1", options);
  if (saida) *saida = r.err;
  return r.exitCode == 0;
}

std::string MembroJson(const std::string& corpo, const std::string& nome) {
  const nlohmann::json objeto = nlohmann::json::parse(corpo);
  return objeto.at(nome).get<std::string>();
}

std::string MesAtual() {
  const std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  char texto[8];
  std::strftime(texto, sizeof texto, "%m%Y", &local);
  return texto;
}

}  // namespace luvaro::test
