#pragma once

// The scenario of the EFD-Reinf end-to-end tests: the real executable in headless mode against
// luvaro-sim as the ERP (the lots of tests/fixtures/e2e_reinf/erp) and as the EFD-Reinf services
// (HTTPS, client certificates from the test CA, the SOAP services of layout 1.04.00 and the REST
// services of layout 2.1.2), the SoftHSM test token, a temporary application folder with the
// schemas and a service table pointing at the stand-in; and the checks the cases share.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace luvaro::test {

namespace fs = std::filesystem;

inline const fs::path kExe = LUVARO_EXE;
inline const fs::path kSim = LUVARO_SIM_PATH;
inline const fs::path kFixturesErp = fs::path(LUVARO_SOURCE_DIR) / "tests/fixtures/e2e_reinf/erp";

// Company keys of the ERP fixtures: for this project type the key is the contributor's CNPJ.
inline constexpr std::string_view kEmpresa = "12345678000195";       // four events and one unknown
inline constexpr std::string_view kEmpresaVazia = "11444777000161";  // no document
inline constexpr std::string_view kVersaoOrvane = "4.0.01-180629";

inline const std::string kInicio =
    "Iniciando...\nVerificando atualização...\nSetando os parametros...\n"
    "Configurando certificado...\n";
inline const std::string kStatusEnvio =
    kInicio +
    "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
    "Enviando retorno para o Orvane...\n";
inline const std::string kStatusConsulta =
    kInicio + "Consultando protocolo...\nEnviando retorno para o Orvane...\n";
inline const std::string kForaDoAr =
    "Erro: SERVIÇO DO E-SOCIAL ESTÁ FORA DO AR!\n\nDETALHE: No momento o sreviço do e-social "
    "está fora do ar, tente novamente mais tarde.\n\nDADOS TÉCNICOS: \n";

// A loopback port that refuses connections: bound, never listening.
class PortaRecusada {
 public:
  PortaRecusada() : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof endereco;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0)
      throw std::runtime_error("cannot bind a loopback port");
    m_url = "https://127.0.0.1:" + std::to_string(ntohs(endereco.sin_port)) + "/";
  }
  ~PortaRecusada() {
    if (m_fd >= 0) close(m_fd);
  }
  PortaRecusada(const PortaRecusada&) = delete;  // one owner closes the socket
  PortaRecusada& operator=(const PortaRecusada&) = delete;
  const std::string& Url() const { return m_url; }

 private:
  int m_fd = -1;
  std::string m_url;
};

// The restricted-production section of the service table, at the 1.40 addresses of `base`
// and the 2.12 (REST) ones.
inline std::string TabelaServicos(const std::string& base) {
  return "[Reinf_H]\r\nEnviarLoteEventos_1.40=" + base +
         "WsREINF/RecepcaoLoteReinf.svc\r\nConsultarLoteEventos_1.40=" + base +
         "WsREINFConsultas/ConsultasReinf.svc\r\nEnviarLoteEventos_2.12=" + base +
         "recepcao/lotes\r\nConsultarLoteEventos_2.12=" + base + "consulta/lotes\r\n";
}

// Fills the application folder before the stand-ins start (the EFD-Reinf role reads the
// schemas from it).
inline const fs::path& Preparar(const fs::path& home) {
  fs::create_directories(home / "Logs");
  CopySchemas(home / "schemas");
  TestToken::Shared().TrustTestCa(home);
  return home;
}

inline std::vector<std::string> ArgsGoverno(const fs::path& schemas) {
  const TestToken& token = TestToken::Shared();
  return {"--cert",      token.ServerPem().string(),
          "--key",       token.ServerKeyPem().string(),
          "--client-ca", token.CaPem().string(),
          "--signer-ca", token.CaPem().string(),
          "--schemas",   schemas.string()};
}

inline std::string SerialDe(std::string_view nome) {
  return TestToken::Shared().Certificate(nome).serial;
}

inline std::string Entre(const std::string& texto, std::string_view inicio, std::string_view fim) {
  const auto a = texto.find(inicio);
  if (a == std::string::npos) return "";
  const auto b = texto.find(fim, a + inicio.size());
  if (b == std::string::npos) return "";
  return texto.substr(a + inicio.size(), b - a - inicio.size());
}

inline std::string MembroJson(const std::string& corpo, const std::string& nome) {
  return nlohmann::json::parse(corpo).at(nome).get<std::string>();
}

inline std::string MesAtual() {
  const std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  char texto[8];
  std::strftime(texto, sizeof texto, "%m%Y", &local);
  return texto;
}

inline std::vector<std::string> Endpoints(const SimProcess& sim) {
  std::vector<std::string> nomes;
  for (const RecordedRequest& r : sim.Requests()) nomes.push_back(r.endpoint);
  return nomes;
}

inline std::vector<std::string> Arquivos(const fs::path& pasta) {
  std::vector<std::string> nomes;
  if (!fs::is_directory(pasta)) return nomes;
  for (const auto& e : fs::directory_iterator(pasta))
    if (e.is_regular_file()) nomes.push_back(e.path().filename().string());
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

inline int Quantos(const std::vector<std::string>& nomes, const std::regex& padrao) {
  return static_cast<int>(std::count_if(nomes.begin(), nomes.end(), [&](const std::string& n) {
    return std::regex_match(n, padrao);
  }));
}

// The event documents of a lot as sent: each evento's content without its leading blank, by
// the evento's identifier attribute (`atributo`: "id" in the SOAP lot, "Id" in the REST one).
inline std::map<std::string, std::string> EventosDoLote(const std::string& corpoSoap,
                                                        std::string_view atributo = "id") {
  std::map<std::string, std::string> eventos;
  const std::string abre = "<evento " + std::string(atributo) + "=\"";
  for (auto p = corpoSoap.find(abre); p != std::string::npos; p = corpoSoap.find(abre, p + 1)) {
    const auto fimId = corpoSoap.find('"', p + abre.size());
    const auto conteudo = corpoSoap.find('>', fimId) + 1;
    const auto fecha = corpoSoap.find("</evento>", conteudo);
    std::string documento = corpoSoap.substr(conteudo, fecha - conteudo);
    if (documento.starts_with(' ')) documento.erase(0, 1);
    eventos[corpoSoap.substr(p + abre.size(), fimId - p - abre.size())] = documento;
  }
  return eventos;
}

// xmlsec1's verdict on a signed event against the test CA, the event element's "id" being the
// attribute its Reference names; the output on failure.
inline bool XmlsecVerifica(const std::string& documento, const fs::path& pasta,
                           std::string* saida) {
  const std::string ns = Entre(documento, "<Reinf xmlns=\"", "\"");
  const std::string depois = documento.substr(documento.find('>', documento.find("<Reinf")) + 1);
  const std::string elemento = Entre(depois, "<", " ");
  const fs::path arquivo = pasta / "evento-verificado.xml";
  WriteFile(arquivo, documento);
  ProcessOptions options;
  options.args = {"--verify",     "--trusted-pem",     TestToken::Shared().CaPem().string(),
                  "--id-attr:id", ns + ":" + elemento, arquivo.string()};
  const ProcessResult r = RunProcess("/usr/bin/xmlsec1", options);
  if (saida) *saida = ns + ":" + elemento + "\n" + r.err;
  return r.exitCode == 0;
}

// The application folder, the stand-ins and the runs of the executable, per case.
class ReinfE2E : public ::testing::Test {
 protected:
  ReinfE2E() { EscreverTabela(governo.BaseUrl()); }

  void EscreverTabela(const std::string& base) {
    WriteFile(home.path() / "ReinfServicos.ini", TabelaServicos(base));
  }

  std::map<std::string, std::string> Ambiente() const {
    return {
        {"LUVARO_HEADLESS", "1"},
        {"LUVARO_HOME", home.path().string()},
        {"LUVARO_ATUALIZACAO_URL", update.BaseUrl()},
        {"LUVARO_PKCS11_MODULE", TestToken::SoftHsmModule().string()},
        {"SOFTHSM2_CONF", TestToken::Shared().ConfigFile().string()},
        {"LUVARO_CERTIFICADO", SerialDe("empresa")},
        {"LUVARO_PIN", std::string(TestToken::kPin)},
        {"LUVARO_TIMEOUT_MS", "60000"},
        {"no_proxy", "*"},
    };
  }

  // Send a lot (group 1, demanded by the command line though unused) / query a protocol, in
  // restricted production, for a company key.
  std::vector<std::string> ArgsEnvio(std::string_view empresa = kEmpresa) const {
    return {std::string(kVersaoOrvane), "0",    erp.BaseUrl(), "1", "1",
            std::string(empresa),       "reinf"};
  }
  std::vector<std::string> ArgsConsulta(const std::string& protocolo,
                                        std::string_view empresa = kEmpresa) const {
    return {std::string(kVersaoOrvane), "1",    erp.BaseUrl(), protocolo, "1",
            std::string(empresa),       "reinf"};
  }

  ProcessResult Run(const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& extra = {}) {
    ProcessOptions options;
    options.args = args;
    options.env = Ambiente();
    for (const auto& [nome, valor] : extra) options.env[nome] = valor;
    return RunProcess(kExe, options);
  }

  std::string Logs() const {
    std::string todos;
    for (const auto& arquivo : fs::directory_iterator(home.path() / "Logs"))
      todos += ReadFile(arquivo);
    return todos;
  }

  TempDir home{"luvaro-e2e-reinf"};
  TempDir trabalho{"luvaro-e2e-reinf-trabalho"};
  SimProcess update{kSim, "update", {}};
  SimProcess erp{kSim, "erp", {"--fixtures", kFixturesErp.string()}};
  SimProcess governo{kSim, "reinf", ArgsGoverno(Preparar(home.path()) / "schemas")};
};

}  // namespace luvaro::test
