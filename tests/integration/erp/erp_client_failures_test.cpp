// Every failure of the ERP client ends in one of its three texts, never in a crash or a hang.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

#include "tests/integration/erp/erp_test_support.h"

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::StartsWith;

namespace luvaro::test {
namespace {

constexpr const char* kConsultarEventos = "Erro ao consultar eventos no Orvane.\r\r";
constexpr const char* kRetornoEnvio = "Erro ao enviar o retorno do envio para o Orvane.\r\r";
constexpr const char* kRetornoConsulta = "Erro ao enviar o retorno da consulta para o Orvane.\r\r";

enum class Operacao { Buscar, RetornoEnvio, RetornoConsulta };

void Call(IIntegrador& client, Operacao operacao) {
  switch (operacao) {
    case Operacao::Buscar:
      client.GetDadosTransmissao();
      break;
    case Operacao::RetornoEnvio:
      client.EnviarRetornoEnvioXML("<retorno/>");
      break;
    case Operacao::RetornoConsulta:
      client.EnviarRetornoConsultaProtocoloXML("<retorno/>");
      break;
  }
}

struct EachOperation {
  const char* name;
  Operacao operacao;
  const char* prefix;
};
constexpr EachOperation kOperations[] = {
    {"lot request", Operacao::Buscar, kConsultarEventos},
    {"send result", Operacao::RetornoEnvio, kRetornoEnvio},
    {"query result", Operacao::RetornoConsulta, kRetornoConsulta},
};

// A loopback port that refuses connections: bound, never listening, held for the test.
class RefusingPort {
 public:
  RefusingPort() : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot bind a loopback port");
    m_port = ntohs(address.sin_port);
  }
  ~RefusingPort() { close(m_fd); }
  RefusingPort(const RefusingPort&) = delete;  // one owner closes the socket
  RefusingPort& operator=(const RefusingPort&) = delete;
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

 private:
  int m_fd;
  int m_port = 0;
};

TEST_F(ErpClientTest, BadLotRepliesFailWithTheLotText) {
  struct Case {
    const char* name;
    const char* key;
    const char* faults;
    const char* inner;  // the text after the lot request's own, or its start
  };
  const Case cases[] = {
      {"reply not JSON", "EMPRESA-DEMO", "body=not-json", "Resposta não é um JSON válido: "},
      {"\"empresas\" not an array", "EMPRESA-DEMO", "body=empresas-not-array",
       "O membro \"empresas\" não é uma lista."},
      {"\"arquivos\" not an object", "EMPRESA-DEMO", "body=arquivos-not-object",
       "O membro \"arquivos\" não é um objeto."},
      {"\"empregador\" missing", "SEM-EMPREGADOR", "",
       "O membro \"empregador\" não foi encontrado."},
      {"connection closed mid-reply", "EMPRESA-DEMO", "close-mid-reply", "transfer closed"},
  };
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    sim.SetFaults(c.faults);
    auto client = MakeClient(sim.BaseUrl(), "esocial", c.key);
    EXPECT_THAT(FailureOf([&] { client->GetDadosTransmissao(); }),
                StartsWith(std::string(kConsultarEventos) + c.inner));
  }
}

TEST_F(ErpClientTest, StatusOtherThan200FailsWithCodeAndReasonPhrase) {
  struct Case {
    const char* name;
    Operacao operacao;
    const char* key;
    const char* faults;
    std::string failure;
  };
  const Case cases[] = {
      {"no lot for the key", Operacao::Buscar, "NINGUEM", "",
       std::string(kConsultarEventos) + "404 - Not Found"},
      {"success of another kind", Operacao::Buscar, "EMPRESA-DEMO", "status=201",
       std::string(kConsultarEventos) + "201 - Created"},
      {"send result refused", Operacao::RetornoEnvio, "EMPRESA-DEMO", "status=503",
       std::string(kRetornoEnvio) + "503 - Service Unavailable"},
      {"query result refused", Operacao::RetornoConsulta, "EMPRESA-DEMO", "status=418",
       std::string(kRetornoConsulta) + "418 - I'm a teapot"},
  };
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    sim.SetFaults(c.faults);
    auto client = MakeClient(sim.BaseUrl(), "esocial", c.key);
    EXPECT_EQ(FailureOf([&] { Call(*client, c.operacao); }), c.failure);
    // The reply is logged before the status is judged.
    const auto messages = LogMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_THAT(messages[1], StartsWith(c.operacao == Operacao::Buscar
                                            ? "Resposta Retornada com os Eventos: "
                                            : "Resposta Retornada: simulated status"));
  }
}

TEST_F(ErpClientTest, TimeOutEndsEachCallWithItsText) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string(), "--delay", "600000"});
  const OrvaneTimeouts shortTimeouts{std::chrono::milliseconds(1000),
                                     std::chrono::milliseconds(1000),
                                     std::chrono::milliseconds(1000)};
  for (const auto& op : kOperations) {
    SCOPED_TRACE(op.name);
    auto client = MakeClient(sim.BaseUrl(), "esocial", "EMPRESA-DEMO", shortTimeouts);
    const std::string failure = FailureOf([&] { Call(*client, op.operacao); });
    EXPECT_THAT(failure, StartsWith(op.prefix));
    EXPECT_THAT(failure, HasSubstr("Tempo limite de leitura esgotado: nenhum dado em 1000 ms."));
  }
  // The simulator still holds the three requests in their delay, and ends cleanly all the same.
  EXPECT_EQ(sim.Requests().size(), 3u);
  EXPECT_EQ(sim.Terminate(), 0);
}

TEST_F(ErpClientTest, ConnectionRefusedEndsEachCallWithItsText) {
  RefusingPort port;
  for (const auto& op : kOperations) {
    SCOPED_TRACE(op.name);
    SetUp();
    auto client = MakeClient(port.BaseUrl(), "esocial", "EMPRESA-DEMO");
    const std::string failure = FailureOf([&] { Call(*client, op.operacao); });
    EXPECT_THAT(failure, StartsWith(op.prefix));
    EXPECT_THAT(failure, HasSubstr("Couldn't connect to server"));  // curl's text
    EXPECT_EQ(LogMessages().size(), 1u);                            // no reply to log
  }
}

TEST_F(ErpClientTest, LogThatCannotBeWrittenFailsThePost) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  // Folders named like today's log file (and its neighbours, should the date turn meanwhile)
  // make every log line fail.
  const auto now = std::chrono::system_clock::now();
  for (int day = -1; day <= 1; ++day) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now + std::chrono::hours(24 * day));
    std::tm local{};
    localtime_r(&t, &local);
    char name[32];
    std::strftime(name, sizeof name, "log_%d_%m_%Y.txt", &local);
    fs::create_directories(LogsFolder() / name);
  }
  auto client = MakeClient(sim.BaseUrl(), "esocial", "EMPRESA-DEMO");
  EXPECT_THAT(FailureOf([&] { client->EnviarRetornoEnvioXML("<retorno/>"); }),
              StartsWith(kRetornoEnvio));
  EXPECT_TRUE(sim.Requests().empty());  // the log line comes before the post
}

}  // namespace
}  // namespace luvaro::test
