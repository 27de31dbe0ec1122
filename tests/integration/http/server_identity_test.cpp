// The server's identity before a request body leaves: the stand-in's chain and host name are
// verified against the system's roots plus the test CA in the application folder's cadeias/,
// and a server that fails the check never receives the body nor a signature of the token.
// With the check off every request is accepted and says so through the facade's warning.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dfe/ssl/http_exception.h"
#include "tests/integration/http/gov_test_support.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

constexpr const char* kNaoConfiavel =
    "Não foi possível confirmar a identidade do servidor 127.0.0.1: o certificado do servidor "
    "não foi emitido por uma autoridade confiável.";

// A government stand-in presenting `certificate` (its key beside it), from the test CA.
std::unique_ptr<SimProcess> GovWith(const fs::path& certificate) {
  return std::make_unique<SimProcess>(
      LUVARO_SIM_PATH, "gov",
      std::vector<std::string>{"--cert", certificate.string(), "--key",
                               TestToken::KeyOf(certificate).string(), "--client-ca",
                               TestToken::Shared().CaPem().string()});
}

struct IdentityRow {
  const char* name;
  fs::path certificate;  // what the stand-in presents
  // How the application folder's cadeias/ looks (made empty for each row before).
  void (*cadeias)(const fs::path& folder);
  int internalCode;
  const char* cause;
};

void WithTestCa(const fs::path& folder) {
  fs::copy_file(TestToken::Shared().CaPem(), folder / "ac-teste.PEM");
}
void WithoutTestCa(const fs::path& folder) {
  // Another authority only (the company's certificate is no CA of the server).
  fs::copy_file(TestToken::Shared().Certificate("empresa").pem, folder / "outra.pem");
  WriteFile(folder / "LEIA-ME.txt", "not a certificate, and not read");
}
void WithBrokenFile(const fs::path& folder) {
  WithTestCa(folder);
  WriteFile(folder / "quebrado.pem", "-----BEGIN CERTIFICATE-----\nnão é base64\n");
}

const std::vector<IdentityRow>& Rows() {
  static const std::vector<IdentityRow> rows = {
      {"authority not in cadeias/", TestToken::Shared().ServerPem(), &WithoutTestCa, 12045,
       kNaoConfiavel},
      {"certificate for another host name", TestToken::Shared().OtherHostServerPem(), &WithTestCa,
       12038,
       "Não foi possível confirmar a identidade do servidor 127.0.0.1: o certificado do servidor "
       "foi emitido para outro nome."},
      {"expired certificate", TestToken::Shared().ExpiredServerPem(), &WithTestCa, 12037,
       "Não foi possível confirmar a identidade do servidor 127.0.0.1: o certificado do servidor "
       "está vencido."},
  };
  return rows;
}

class ServerIdentityTest : public GovTest {
 protected:
  // The facade with an empty cadeias/ folder filled by `fill`.
  std::unique_ptr<TDFeSSL> FacadeWith(void (*fill)(const fs::path&)) {
    auto ssl = MakeFacade();
    const fs::path cadeias = m_dir / "cadeias";
    fs::remove_all(cadeias);
    fs::create_directories(cadeias);
    fill(cadeias);
    ssl->SetPastaCadeias(cadeias);
    ssl->SetOnAviso([this](const std::string& aviso) { m_avisos.push_back(aviso); });
    return ssl;
  }

  std::vector<std::string> m_avisos;
};

TEST_F(ServerIdentityTest, AServerThatCannotBeConfirmedNeverReceivesTheBody) {
  for (const auto& row : Rows()) {
    SCOPED_TRACE(row.name);
    const auto sim = GovWith(row.certificate);
    auto ssl = FacadeWith(row.cadeias);
    const std::string url = sim->BaseUrl() + "servico/envio.svc";
    const int signaturesBefore = TokenSignatures();
    std::string envelope = "<Envelope>dados do trabalhador</Envelope>";
    try {
      ssl->Enviar(envelope, url, "");
      ADD_FAILURE() << "accepted";
    } catch (const EDFeHttpException& failure) {
      EXPECT_EQ(std::string(failure.what()), "Erro Interno: " + std::to_string(row.internalCode) +
                                                 "\r\nErro HTTP: 0\r\nURL: " + url + "\r\n" +
                                                 row.cause);
      EXPECT_EQ(ssl->InternalErrorCode(), row.internalCode);
    }
    EXPECT_TRUE(sim->Requests().empty());
    // The token never signed a handshake for a server it could not trust.
    EXPECT_EQ(TokenSignatures(), signaturesBefore);
    EXPECT_TRUE(m_avisos.empty());
  }
}

TEST_F(ServerIdentityTest, WithTheCheckOffEachRequestIsAcceptedAndWarns) {
  for (const auto& row : Rows()) {
    SCOPED_TRACE(row.name);
    m_avisos.clear();
    const auto sim = GovWith(row.certificate);
    auto ssl = FacadeWith(row.cadeias);
    ssl->SetVerificarServidor(false);
    const std::string url = sim->BaseUrl() + "servico/envio.svc";
    for (int request = 0; request < 2; ++request) {
      std::string envelope = "<Envelope/>";
      EXPECT_NE(ssl->Enviar(envelope, url, "").find("Requisição recebida."), std::string::npos);
    }
    EXPECT_EQ(sim->Requests().size(), 2u);
    EXPECT_EQ(m_avisos, std::vector<std::string>(
                            2, "ATENÇÃO: identidade do servidor 127.0.0.1 não verificada."));
  }
}

TEST_F(ServerIdentityTest, TheTestAuthorityInCadeiasIsTrustedWithoutAWarning) {
  auto ssl = FacadeWith(&WithTestCa);
  const size_t before = Sim().Requests().size();
  std::string envelope = "<Envelope/>";
  EXPECT_NE(ssl->Enviar(envelope, Url(), "").find("Requisição recebida."), std::string::npos);
  EXPECT_EQ(RequestsFrom(before).size(), 1u);
  EXPECT_TRUE(m_avisos.empty());
}

TEST_F(ServerIdentityTest, AnUnreadableFileInCadeiasRefusesTheServerAndNamesTheFile) {
  auto ssl = FacadeWith(&WithBrokenFile);
  const size_t before = Sim().Requests().size();
  std::string envelope = "<Envelope/>";
  const std::string failure = FailureOf([&] { ssl->Enviar(envelope, Url(), ""); });
  EXPECT_NE(failure.find("Não foi possível confirmar a identidade do servidor 127.0.0.1: não foi "
                         "possível ler as autoridades confiáveis da pasta cadeias ("),
            std::string::npos)
      << failure;
  EXPECT_NE(failure.find("quebrado.pem"), std::string::npos) << failure;
  EXPECT_EQ(ssl->InternalErrorCode(), 12169);
  EXPECT_TRUE(RequestsFrom(before).empty());
}

}  // namespace
}  // namespace luvaro::test
