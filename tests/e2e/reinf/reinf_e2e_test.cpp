// The EFD-Reinf job of the real executable in headless mode, end to end: luvaro-sim as the ERP
// (the lots of tests/fixtures/e2e_reinf/erp) and as the EFD-Reinf services (HTTPS, client
// certificates from the test CA), the SoftHSM test token, a temporary application folder with
// the schemas and a service table pointing at the stand-in. Each case checks the exit code,
// the lines on standard error, the files written and what the stand-ins received.

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

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kExe = LUVARO_EXE;
const fs::path kSim = LUVARO_SIM_PATH;
const fs::path kFixturesErp = fs::path(LUVARO_SOURCE_DIR) / "tests/fixtures/e2e_reinf/erp";

// Company keys of the ERP fixtures: for this project type the key is the contributor's CNPJ.
constexpr std::string_view kEmpresa = "12345678000195";       // four events and one unknown
constexpr std::string_view kEmpresaVazia = "11444777000161";  // no document
constexpr std::string_view kLotePath = "reinf/2024/03/lote-0001";
constexpr std::string_view kVersaoOrvane = "4.0.01-180629";

// The events of the fixture lot that the program sends (the document of no known type stays
// out), by id, with the closing among them.
const std::set<std::string> kEventosEnviados = {
    "ID1123456780000002024030112000000004", "ID1123456780000002024040210000000001",
    "ID1123456780000002024040210000000002", "ID1123456780000002024040110300000005"};
const std::string kFechamento = "ID1123456780000002024040110300000005";

const std::string kInicio =
    "Iniciando...\nVerificando atualização...\nSetando os parametros...\n"
    "Configurando certificado...\n";
const std::string kStatusEnvio = kInicio +
                                 "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                                 "Enviando retorno para o Orvane...\n";
const std::string kStatusConsulta =
    kInicio + "Consultando protocolo...\nEnviando retorno para o Orvane...\n";
const std::string kForaDoAr =
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

// The restricted-production section of the service table, at the 1.40 addresses of `base`.
std::string TabelaServicos(const std::string& base) {
  return "[Reinf_H]\r\nEnviarLoteEventos_1.40=" + base +
         "WsREINF/RecepcaoLoteReinf.svc\r\nConsultarLoteEventos_1.40=" + base +
         "WsREINFConsultas/ConsultasReinf.svc\r\n";
}

// Fills the application folder before the stand-ins start (the EFD-Reinf role reads the
// schemas from it).
const fs::path& Preparar(const fs::path& home) {
  fs::create_directories(home / "Logs");
  CopySchemas(home / "schemas");
  TestToken::Shared().TrustTestCa(home);
  return home;
}

std::vector<std::string> ArgsGoverno(const fs::path& schemas) {
  const TestToken& token = TestToken::Shared();
  return {"--cert",      token.ServerPem().string(),
          "--key",       token.ServerKeyPem().string(),
          "--client-ca", token.CaPem().string(),
          "--signer-ca", token.CaPem().string(),
          "--schemas",   schemas.string()};
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

std::string MembroJson(const std::string& corpo, const std::string& nome) {
  return nlohmann::json::parse(corpo).at(nome).get<std::string>();
}

std::string MesAtual() {
  const std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  char texto[8];
  std::strftime(texto, sizeof texto, "%m%Y", &local);
  return texto;
}

std::vector<std::string> Endpoints(const SimProcess& sim) {
  std::vector<std::string> nomes;
  for (const RecordedRequest& r : sim.Requests()) nomes.push_back(r.endpoint);
  return nomes;
}

std::vector<std::string> Arquivos(const fs::path& pasta) {
  std::vector<std::string> nomes;
  if (!fs::is_directory(pasta)) return nomes;
  for (const auto& e : fs::directory_iterator(pasta))
    if (e.is_regular_file()) nomes.push_back(e.path().filename().string());
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

int Quantos(const std::vector<std::string>& nomes, const std::regex& padrao) {
  return static_cast<int>(std::count_if(nomes.begin(), nomes.end(), [&](const std::string& n) {
    return std::regex_match(n, padrao);
  }));
}

// The event documents of a lot as sent: each evento's content without its leading blank, by
// the evento's id.
std::map<std::string, std::string> EventosDoLote(const std::string& corpoSoap) {
  std::map<std::string, std::string> eventos;
  constexpr std::string_view abre = "<evento id=\"";
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
bool XmlsecVerifica(const std::string& documento, const fs::path& pasta, std::string* saida) {
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

// The whole road: a send of the lot with its closing, then the consolidated query of the
// closing's protocol with the company key as the contributor.
TEST_F(ReinfE2E, SendThenQueryReachTheErp) {
  const std::string mesAntes = MesAtual();
  const ProcessResult envio = Run(ArgsEnvio());
  ASSERT_FALSE(envio.timedOut);
  EXPECT_EQ(envio.exitCode, 0) << envio.err;
  // The document of no known type stays out of the lot and is named: in the log, and in the
  // end-of-send message before the reply goes to the ERP.
  const std::string desconhecido = "ID1123456780000002024040210000000009";
  EXPECT_EQ(envio.err, kInicio +
                           "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                           "Atenção: 1 evento(s) não foram incluídos no lote:\nPosição 5 (" +
                           desconhecido +
                           "): Tipo de evento não reconhecido.\n"
                           "Enviando retorno para o Orvane...\n");
  EXPECT_NE(Logs().find(" - Evento não incluído no lote - posição 5 (" + desconhecido +
                        "): Tipo de evento não reconhecido.\r\n"),
            std::string::npos)
      << Logs();
  EXPECT_EQ(Logs().find("falha de validação"), std::string::npos) << Logs();

  // The ERP handed out the lot and received the service's reply with the lot path.
  const auto pedidosErp = erp.Requests();
  ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_EQ(pedidosErp[0].target, "/spring/reinf/lotes?empresaKey=" + std::string(kEmpresa));
  EXPECT_EQ(MembroJson(pedidosErp[1].body, "empresaKey"), kEmpresa);
  EXPECT_EQ(MembroJson(pedidosErp[1].body, "lotePath"), kLotePath);
  const std::string retornoEnvio = MembroJson(pedidosErp[1].body, "xmlRetornoLote");
  EXPECT_NE(retornoEnvio.find("retornoLoteEventos"), std::string::npos) << retornoEnvio;

  // One lot reached the service over TLS with the company certificate; every event in it is
  // signed, and xmlsec1 accepts each signature (Reference to the event's id) against the CA.
  const auto pedidosGoverno = governo.Requests();
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"EnviarLoteEventos"});
  EXPECT_EQ(pedidosGoverno[0].tls.at("serial"), SerialDe("empresa"));
  const std::map<std::string, std::string> eventos = EventosDoLote(pedidosGoverno[0].body);
  std::set<std::string> ids;
  for (const auto& [id, documento] : eventos) {
    SCOPED_TRACE(id);
    ids.insert(id);
    EXPECT_NE(documento.find("<Reference URI=\"#" + id + "\""), std::string::npos);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(documento, trabalho.path(), &saida)) << saida;
  }
  EXPECT_EQ(ids, kEventosEnviados);

  // The service accepted every event: each has its R-5001 without an error in the reply.
  for (const std::string& id : kEventosEnviados) {
    SCOPED_TRACE(id);
    const std::string r5001 = Entre(retornoEnvio, "<evento id=\"" + id + "\">", "</evento>");
    ASSERT_FALSE(r5001.empty()) << retornoEnvio;
    EXPECT_NE(r5001.find("<cdRetorno>0</cdRetorno>"), std::string::npos) << r5001;
  }
  const std::string doFechamento =
      Entre(retornoEnvio, "<evento id=\"" + kFechamento + "\">", "</evento>");
  const std::string protocolo = Entre(doFechamento, "<nrProtEntr>", "</nrProtEntr>");
  ASSERT_TRUE(std::regex_match(protocolo, std::regex(R"(1\.2\.\d{6}\.\d+)"))) << doFechamento;

  // The ERP sends no transmitter for this project type: the files lie in Docs/MMyyyy, the
  // request, the reply and each signed event (the R-5001 are not saved apart: the workers
  // keep Arquivos.Salvar off).
  std::vector<std::string> meses;
  for (const auto& e : fs::directory_iterator(home.path() / "Docs"))
    if (e.is_directory()) meses.push_back(e.path().filename());
  ASSERT_EQ(meses.size(), 1u);
  EXPECT_TRUE(meses[0] == mesAntes || meses[0] == MesAtual()) << meses[0];
  const fs::path mes = home.path() / "Docs" / meses[0];
  const std::vector<std::string> salvos = Arquivos(mes);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{14}-env-lot\.xml)")), 1)
      << ::testing::PrintToString(salvos);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{14}-rec\.xml)")), 1);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{34}-R-\d{4}-\d+\.xml)")),
            static_cast<int>(kEventosEnviados.size()));
  EXPECT_EQ(Quantos(salvos, std::regex(R"(.*R5001.*)")), 0);

  // The query of the closing's protocol, with the company key as the contributor, brings the
  // R-5011 of the period to the ERP.
  const ProcessResult consulta = Run(ArgsConsulta(protocolo));
  ASSERT_FALSE(consulta.timedOut);
  EXPECT_EQ(consulta.exitCode, 0) << consulta.err;
  EXPECT_EQ(consulta.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(governo),
            (std::vector<std::string>{"EnviarLoteEventos", "ConsultarLoteEventos"}));
  const std::string pedidoConsulta = governo.Requests()[1].body;
  EXPECT_NE(pedidoConsulta.find("<v1:tipoInscricaoContribuinte>1<"), std::string::npos)
      << pedidoConsulta;
  EXPECT_NE(pedidoConsulta.find("<v1:numeroInscricaoContribuinte>12345678<"), std::string::npos);
  EXPECT_NE(pedidoConsulta.find("<v1:numeroProtocoloFechamento>" + protocolo + "<"),
            std::string::npos);

  ASSERT_EQ(Endpoints(erp),
            (std::vector<std::string>{"lotes", "lotesRetorno", "consultaProtocoloRetorno"}));
  const RecordedRequest retorno = erp.Requests()[2];
  EXPECT_EQ(MembroJson(retorno.body, "empresaKey"), kEmpresa);
  const std::string consolidado = MembroJson(retorno.body, "xmlRetornoLote");
  EXPECT_NE(consolidado.find("evtTotalContrib"), std::string::npos) << consolidado;
  EXPECT_NE(consolidado.find("<nrProtEntr>" + protocolo + "</nrProtEntr>"), std::string::npos);
  EXPECT_NE(consolidado.find("<cdRetorno>0</cdRetorno>"), std::string::npos) << consolidado;

  // A query run sets no document folder: its files land in Docs itself.
  const std::vector<std::string> docs = Arquivos(home.path() / "Docs");
  EXPECT_EQ(Quantos(docs, std::regex(R"(Reinf-ped-sit\.xml)")), 1)
      << ::testing::PrintToString(docs);
  EXPECT_EQ(Quantos(docs, std::regex(R"(Reinf-sit\.xml)")), 1);
}

// A company key that is no registration number of the closing's contributor goes into the
// query as it stands; the service's refusal still reaches the ERP (the run succeeds).
TEST_F(ReinfE2E, QueryWithAnotherKeyCarriesThatKey) {
  const ProcessResult r =
      Run(ArgsConsulta("1.2.202403.0000000000000000000000000000000000001", "EMPRESA-X"));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"ConsultarLoteEventos"});
  EXPECT_NE(governo.Requests()[0].body.find(
                "<v1:numeroInscricaoContribuinte>EMPRESA-X</v1:numeroInscricaoContribuinte>"),
            std::string::npos)
      << governo.Requests()[0].body;
  ASSERT_EQ(Endpoints(erp), std::vector<std::string>{"consultaProtocoloRetorno"});
  EXPECT_NE(MembroJson(erp.Requests()[0].body, "xmlRetornoLote").find("regOcorrs"),
            std::string::npos);
}

// A protocol and a company key holding "&" and "<" are escaped in the query: the service reads a
// well-formed request with the very same values, and its answer reaches the ERP.
TEST_F(ReinfE2E, QueryValuesAreEscaped) {
  const ProcessResult r = Run(ArgsConsulta("1.2&<3>", "A&B<C"));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"ConsultarLoteEventos"});
  const std::string pedido = governo.Requests()[0].body;
  EXPECT_NE(pedido.find("<v1:numeroInscricaoContribuinte>A&amp;B&lt;C"
                        "</v1:numeroInscricaoContribuinte>"),
            std::string::npos)
      << pedido;
  EXPECT_NE(pedido.find("<v1:numeroProtocoloFechamento>1.2&amp;&lt;3&gt;"
                        "</v1:numeroProtocoloFechamento>"),
            std::string::npos)
      << pedido;
  ASSERT_EQ(Endpoints(erp), std::vector<std::string>{"consultaProtocoloRetorno"});
  EXPECT_NE(MembroJson(erp.Requests()[0].body, "xmlRetornoLote").find("regOcorrs"),
            std::string::npos);
}

// A lot whose company has an empty "documento" leaves the contributor empty; the lot of this
// layout names no contributor, so the send goes through and its reply reaches the ERP.
TEST_F(ReinfE2E, LotWithEmptyContributorIsSent) {
  const ProcessResult r = Run(ArgsEnvio("SEM-DOCUMENTO"));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusEnvio);
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"EnviarLoteEventos"});
  EXPECT_EQ(EventosDoLote(governo.Requests()[0].body).size(), 1u);
  ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_NE(MembroJson(erp.Requests()[1].body, "xmlRetornoLote").find("<cdRetorno>0</cdRetorno>"),
            std::string::npos);
}

// Every way a run ends early: the exit code, the standard error (whole, or its start and a
// text further on), whether anything reached the service, and the log.
TEST_F(ReinfE2E, FailuresEndWithTheirDialogAndExitCode) {
  const PortaRecusada servicoFora;
  struct Caso {
    const char* nome;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string faultsGoverno;
    bool servicoRecusa;  // the service table points at a port that refuses connections
    int exitCode;
    std::string err;
    std::string detalhe;  // "" when err is whole
    bool enviou;          // a lot reached the service
    std::string log;      // a text the log holds ("" when none is expected)
  } casos[] = {
      {"no certificate chosen, send",
       ArgsEnvio(),
       {{"LUVARO_CERTIFICADO", "00"}},
       "",
       false,
       2,
       kInicio,
       "",
       false,
       ""},
      {"no certificate chosen, query",
       ArgsConsulta("1.2.202403.1"),
       {{"LUVARO_CERTIFICADO", "00"}},
       "",
       false,
       2,
       kInicio,
       "",
       false,
       ""},
      {"empty lot",
       ArgsEnvio(kEmpresaVazia),
       {},
       "",
       false,
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\n"
                 "Erro: Erro durante a execução: \n\nERRO: "
                 "Nenhum evento encontrado para transmissão.\n",
       "",
       false,
       "ERROR: Nenhum evento encontrado para transmissão."},
      {"service answers 500",
       ArgsEnvio(),
       {},
       "body=soap-fault\n",
       false,
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n" + kForaDoAr,
       "Erro HTTP: 500",
       true,
       ""},
      {"service refuses connections",
       ArgsEnvio(),
       {},
       "",
       true,
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\nEnviando eventos...\nErro: ",
       "12029",
       false,
       "ERROR: "},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t antes = governo.Requests().size();
    const std::size_t retornosAntes = erp.Requests().size();
    if (!c.faultsGoverno.empty()) governo.SetFaults(c.faultsGoverno);
    EscreverTabela(c.servicoRecusa ? servicoFora.Url() : governo.BaseUrl());
    const ProcessResult r = Run(c.args, c.env);
    governo.ClearFaults();
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    if (c.detalhe.empty()) {
      EXPECT_EQ(r.err, c.err);
    } else {
      EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
      EXPECT_NE(r.err.find(c.detalhe, c.err.size()), std::string::npos) << r.err;
    }
    EXPECT_EQ(governo.Requests().size() > antes, c.enviou);
    // Nothing reached the ERP as a reply.
    for (std::size_t i = retornosAntes; i < erp.Requests().size(); ++i) {
      EXPECT_EQ(erp.Requests()[i].endpoint, "lotes");
    }
    if (!c.log.empty()) {
      EXPECT_NE(Logs().find(c.log), std::string::npos) << Logs();
    }
  }
}

}  // namespace
}  // namespace luvaro::test
