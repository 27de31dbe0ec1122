// The esocial role of luvaro-sim as the program meets it: HTTPS on loopback with a client
// certificate from the test CA, a lot signed by the xmlsec1 tool with the token's company
// certificate, the reply and the query, and what the simulator recorded of both.
#include <curl/curl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/soap_post.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

constexpr std::string_view kEnviar =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0/"
    "ServicoEnviarLoteEventos/EnviarLoteEventos";
constexpr std::string_view kConsultar =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/consulta/"
    "retornoProcessamento/v1_1_0/ServicoConsultarLoteEventos/ConsultarLoteEventos";
constexpr std::string_view kPathEnviar =
    "servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc";
constexpr std::string_view kPathConsultar =
    "servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc";

using Reply = SoapReply;

// The exchange must complete; the status and the body are the test's to check.
Reply Post(const std::string& url, std::string_view action, const std::string& body) {
  Reply reply = PostSoap(url, action, body);
  EXPECT_EQ(reply.code, 0) << reply.error;
  return reply;
}

std::string Between(const std::string& text, const std::string& open, const std::string& close) {
  const auto start = text.find(open);
  if (start == std::string::npos) return {};
  const auto from = start + open.size();
  return text.substr(from, text.find(close, from) - from);
}

class EsocialRoleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  static void TearDownTestSuite() { curl_global_cleanup(); }

  void SetUp() override {
    CopySchemas(m_dir / "schemas");
    TestToken& token = TestToken::Shared();
    ProcessOptions options;
    options.args = {"esocial",
                    "--cert",
                    token.ServerPem().string(),
                    "--key",
                    token.ServerKeyPem().string(),
                    "--client-ca",
                    token.CaPem().string(),
                    "--signer-ca",
                    token.CaPem().string(),
                    "--schemas",
                    (m_dir / "schemas").string(),
                    "--output",
                    (m_dir / "saida").string()};
    m_sim = std::make_unique<BackgroundProcess>(LUVARO_SIM_PATH, options);
    m_base = m_sim->ReadLine();
    ASSERT_TRUE(m_base.starts_with("https://127.0.0.1:")) << m_base;
  }

  void TearDown() override { EXPECT_EQ(m_sim->Terminate(), 0) << m_sim->StdErr(); }

  // The fixture event signed by the xmlsec1 tool with the token's company key and certificate.
  std::string Signed(const std::string& fixture) {
    const TokenCertificate& empresa = TestToken::Shared().Certificate("empresa");
    const fs::path fixtures =
        fs::path(LUVARO_SOURCE_DIR) / "tests" / "fixtures" / "sim" / "esocial";
    std::string modelo = ReadFile(fixtures / fixture);
    std::string assinatura = ReadFile(fixtures / "assinatura-modelo.xml");
    while (assinatura.back() == '\n') assinatura.pop_back();
    modelo.replace(modelo.find("<!--ASSINATURA-->"), 17, assinatura);
    WriteFile(m_dir / "modelo.xml", modelo);
    ProcessOptions sign;
    sign.args = {"--sign",
                 "--privkey-pem",
                 empresa.keyPem.string() + "," + empresa.pem.string(),
                 "--output",
                 (m_dir / "assinado.xml").string(),
                 (m_dir / "modelo.xml").string()};
    const ProcessResult result = RunProcess("/usr/bin/xmlsec1", sign);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::string signedText = ReadFile(m_dir / "assinado.xml");
    signedText.erase(0, signedText.find("?>") + 2);
    while (signedText.front() == '\n') signedText.erase(0, 1);
    return signedText;
  }

  TempDir m_dir{"luvaro-esocial-role"};
  std::unique_ptr<BackgroundProcess> m_sim;
  std::string m_base;
};

TEST_F(EsocialRoleTest, LotOverTlsIsReceivedQueriedAndRecorded) {
  const std::string lote =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\">"
      "<envioLoteEventos grupo=\"3\"><ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>"
      "</ideEmpregador><ideTransmissor><tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc>"
      "</ideTransmissor><eventos><evento Id=\"ID1123456780000002024051012000000001\"> " +
      Signed("s1200-remuneracao.xml") + "</evento></eventos></envioLoteEventos></eSocial>";
  const std::string envio =
      "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
      "xmlns:v1=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\"><soap:Body>"
      "<v1:EnviarLoteEventos><v1:loteEventos>" +
      lote + "</v1:loteEventos></v1:EnviarLoteEventos></soap:Body></soap:Envelope>";
  const Reply recebido = Post(m_base + std::string(kPathEnviar), kEnviar, envio);
  EXPECT_EQ(recebido.status, 200);
  EXPECT_EQ(Between(recebido.body, "<cdResposta>", "</cdResposta>"), "201") << recebido.body;
  const std::string protocolo = Between(recebido.body, "<protocoloEnvio>", "</protocoloEnvio>");
  EXPECT_TRUE(std::regex_match(protocolo, std::regex(R"(1\.2\.\d{6}\.\d{19})"))) << protocolo;

  const std::string consulta =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soap:Envelope  "
      "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
      "xmlns:v1=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\"><soap:Body>"
      "<v1:ConsultarLoteEventos><v1:loteEventos><eSocial xmlns=\"http://www.esocial.gov.br/"
      "schema/lote/eventos/envio/consulta/retornoProcessamento/v1_0_0\"><consultaLoteEventos>"
      "<protocoloEnvio>" +
      protocolo +
      "</protocoloEnvio></consultaLoteEventos></eSocial>"
      "</v1:loteEventos></v1:ConsultarLoteEventos></soap:Body></soap:Envelope>";
  const Reply processado = Post(m_base + std::string(kPathConsultar), kConsultar, consulta);
  EXPECT_EQ(processado.status, 200);
  EXPECT_NE(processado.body.find("<nrRecibo>"), std::string::npos) << processado.body;
  EXPECT_NE(processado.body.find("<tot tipo=\"S5001\">"), std::string::npos);
  EXPECT_EQ(processado.body.find("<ocorrencia>"), std::string::npos) << processado.body;

  // Each request folder holds the request as received, the client certificate and the reply.
  struct Expected {
    std::string folder;
    const std::string* request;
    const Reply* reply;
  };
  for (const Expected& e : {Expected{"0001-POST-EnviarLoteEventos", &envio, &recebido},
                            Expected{"0002-POST-ConsultarLoteEventos", &consulta, &processado}}) {
    SCOPED_TRACE(e.folder);
    const fs::path folder = m_dir / "saida" / e.folder;
    EXPECT_EQ(ReadFile(folder / "body"), *e.request);
    EXPECT_NE(ReadFile(folder / "tls.txt").find("EMPRESA TESTE LTDA"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "reply-body"), e.reply->body);
    EXPECT_EQ(ReadFile(folder / "reply.txt"),
              "status: 200\ncontent-type: text/xml; charset=utf-8\n");
  }

  // The receipt is signed with the server's certificate, which the test CA issued.
  const std::string retorno =
      Between(processado.body, "<retornoEvento><eSocial", "</eSocial></retornoEvento>");
  WriteFile(m_dir / "retorno.xml", "<eSocial" + retorno + "</eSocial>");
  ProcessOptions verify;
  verify.args = {"--verify", "--trusted-pem", TestToken::Shared().CaPem().string(),
                 (m_dir / "retorno.xml").string()};
  const ProcessResult verified = RunProcess("/usr/bin/xmlsec1", verify);
  EXPECT_EQ(verified.exitCode, 0) << verified.err;
}

TEST_F(EsocialRoleTest, EveryServicePathAnswersAndRefusesAnotherServicesAction) {
  for (std::string_view path :
       {kPathEnviar, kPathConsultar,
        std::string_view("servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc"),
        std::string_view("servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc")}) {
    SCOPED_TRACE(path);
    const std::string_view action = path == kPathEnviar ? kConsultar : kEnviar;
    const Reply reply = Post(m_base + std::string(path), action, "<x/>");
    EXPECT_EQ(reply.status, 500);
    EXPECT_NE(reply.body.find("a:ActionNotSupported"), std::string::npos) << reply.body;
  }
  EXPECT_EQ(Post(m_base + "servicos/outro.svc", kEnviar, "<x/>").status, 404);
}

TEST(EsocialRoleOptionsTest, MissingOrWrongOptionsEndWithUsageError) {
  TestToken& token = TestToken::Shared();
  TempDir empty("luvaro-esocial-vazio");
  const std::vector<std::string> tls = {"--cert",      token.ServerPem().string(),
                                        "--key",       token.ServerKeyPem().string(),
                                        "--client-ca", token.CaPem().string()};
  struct Case {
    std::string name;
    std::vector<std::string> extra;
    std::string message;
  };
  const Case cases[] = {
      {"sem schemas", {}, "--schemas"},
      {"pasta sem o schema do lote", {"--schemas", empty.path().string()}, "EnvioLoteEventos"},
      {"ambiente inválido",
       {"--schemas", SharedSchemasDir().string() + "/esocial", "--environment", "3"},
       "--environment"},
      {"conexão ociosa de zero segundo",
       {"--schemas", SharedSchemasDir().string() + "/esocial", "--keep-alive", "0"},
       "--keep-alive: not a number of seconds: \"0\""},
      {"conexão ociosa sem número",
       {"--schemas", SharedSchemasDir().string() + "/esocial", "--keep-alive", "30s"},
       "--keep-alive: not a number of seconds: \"30s\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessOptions options;
    options.args = {"esocial"};
    options.args.insert(options.args.end(), tls.begin(), tls.end());
    options.args.insert(options.args.end(), c.extra.begin(), c.extra.end());
    const ProcessResult result = RunProcess(LUVARO_SIM_PATH, options);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

// Whether the connection that the process `pid` holds with the peer at local port `peerPort`
// sends without delay (TCP_NODELAY); nothing while the process has not accepted it yet. The
// socket is borrowed from the process through its pidfd (the caller is its parent).
std::optional<bool> NoDelayOfAcceptedSocket(pid_t pid, int peerPort) {
  const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (process < 0) throw std::runtime_error(std::string("pidfd_open: ") + std::strerror(errno));
  std::optional<bool> found;
  for (const auto& entry : fs::directory_iterator(fs::path("/proc") / std::to_string(pid) / "fd")) {
    std::error_code error;
    if (!fs::read_symlink(entry.path(), error).string().starts_with("socket:")) continue;
    const int target = std::stoi(entry.path().filename().string());
    const int fd = static_cast<int>(syscall(SYS_pidfd_getfd, process, target, 0));
    if (fd < 0) continue;  // closed meanwhile
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int noDelay = 0;
    socklen_t size = sizeof noDelay;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
        peer.sin_family == AF_INET && ntohs(peer.sin_port) == peerPort &&
        getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size) == 0)
      found = noDelay != 0;
    close(fd);
  }
  close(process);
  return found;
}

// Replies are written in more than one part (headers, then body, over TLS in records): every
// connection the simulator accepts, plain or TLS, sends them without waiting for the client's
// delayed acknowledgement.
TEST_F(EsocialRoleTest, EveryAcceptedConnectionSendsWithoutDelay) {
  ProcessOptions plain;
  plain.args = {"update", "--output", (m_dir / "saida-update").string()};
  BackgroundProcess update(LUVARO_SIM_PATH, plain);
  const std::string updateBase = update.ReadLine();
  struct Case {
    const char* name;
    pid_t pid;
    std::string base;
  };
  const Case cases[] = {{"TLS", m_sim->pid(), m_base}, {"HTTP", update.pid(), updateBase}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::regex port(R"(^https?://127\.0\.0\.1:(\d+)/$)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(c.base, match, port)) << c.base;
    const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(client, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(std::stoi(match[1].str())));
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(client, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::optional<bool> noDelay;
    for (int tries = 0; !noDelay && tries < 500; ++tries) {
      noDelay = NoDelayOfAcceptedSocket(c.pid, ntohs(address.sin_port));
      if (!noDelay) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    close(client);
    ASSERT_TRUE(noDelay.has_value()) << "the simulator never accepted the connection";
    EXPECT_TRUE(*noDelay);
  }
  EXPECT_EQ(update.Terminate(), 0) << update.StdErr();
}

}  // namespace
}  // namespace luvaro::test
