// Transport failures as the user meets them: the workers' failure reporting recognises each by
// its text and shows its advice. The token key vanishing between login and handshake is one of
// them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/core/main_thread_queue.h"
#include "app/core/silent_abort.h"
#include "dfe/ssl/http_exception.h"
#include "tests/integration/http/gov_test_support.h"
#include "tests/unit/app/recording_front.h"
#include "workers/tratar_exception_envio.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

using ::testing::HasSubstr;

// The dialog the failure reporting shows for `failure`.
std::string DialogFor(const std::exception& failure) {
  RecordingFront front;
  MainThreadQueue loop;
  try {
    TratarExceptionEnvio(failure, front, loop);
  } catch (const TSilentAbort&) {
  }
  const auto dialogs = front.dialogs();
  return dialogs.size() == 1 ? dialogs[0].request.text : "(no single dialog)";
}

// A copy of the shared test token that this process uses while the object lives, for a test
// that damages it.
class ScratchToken {
 public:
  ScratchToken(const TestToken& original, const fs::path& folder) : m_original(original) {
    fs::create_directories(folder / "tokens");
    fs::copy(original.Folder() / "tokens", folder / "tokens", fs::copy_options::recursive);
    WriteFile(folder / "softhsm2.conf", "directories.tokendir = " + (folder / "tokens").string() +
                                            "\nobjectstore.backend = file\nlog.level = ERROR\n"
                                            "slots.removable = false\n");
    setenv("SOFTHSM2_CONF", (folder / "softhsm2.conf").c_str(), 1);
  }
  ~ScratchToken() { setenv("SOFTHSM2_CONF", m_original.ConfigFile().c_str(), 1); }
  ScratchToken(const ScratchToken&) = delete;  // one owner puts the configuration back
  ScratchToken& operator=(const ScratchToken&) = delete;

 private:
  const TestToken& m_original;
};

TEST_F(GovTest, TimeOutAndLotTooBigReachTheUserAsTheirAdvice) {
  struct Row {
    const char* name;
    const char* faults;
    int timeOut;
    const char* advice;
  };
  const Row rows[] = {
      {"time-out", "delay=3000", 500, "DETALHE: Tempo limite de envio estourado."},
      {"lot too big", "status=413", 10000,
       "DETALHE: Lote de eventos muito grande para ser enviado."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Sim().SetFaults(row.faults);
    auto ssl = MakeFacade();
    ssl->SetTimeOut(row.timeOut);
    std::string envelope = "<Envelope/>";
    try {
      ssl->Enviar(envelope, Url(), "");
      ADD_FAILURE() << "no failure";
    } catch (const EDFeHttpException& failure) {
      EXPECT_THAT(DialogFor(failure), HasSubstr(row.advice));
    }
  }
}

TEST_F(GovTest, ATokenKeyGoneBeforeTheHandshakeGives12186AndTheCertificateAdvice) {
  const ScratchToken scratch(Token(), m_dir / "scratch");
  ResetTokenEnvironment(TestToken::SoftHsmModule());
  auto ssl = MakeFacade();
  // The run signs its events first: the token is logged in and the key in use.
  ssl->CalcHash(std::string_view("evento"), TSSLDgst::dgstSHA256, TSSLHashOutput::outBinary, true);
  const size_t before = Sim().Requests().size();

  // The key object leaves the token, as when another program or the user removes it.
  ASSERT_EQ(RunShell("pkcs11-tool --module '" + TestToken::SoftHsmModule().string() +
                     "' --token-label '" + std::string(TestToken::kLabel) + "' --login --pin " +
                     std::string(TestToken::kPin) +
                     " --delete-object --type privkey --label empresa >/dev/null 2>&1"),
            0);

  std::string envelope = "<Envelope/>";
  const std::string url = Url();
  try {
    ssl->Enviar(envelope, url, "");
    ADD_FAILURE() << "no failure";
  } catch (const EDFeHttpException& failure) {
    EXPECT_EQ(std::string(failure.what()),
              "Erro Interno: 12186\r\nErro HTTP: 0\r\nURL: " + url +
                  "\r\nFalha no Envio da Requisição.\r\nErro: 12186 - Falha ao obter a Chave "
                  "Privada do Certificado para comunicação segura");
    EXPECT_THAT(DialogFor(failure),
                HasSubstr("DETALHE: Ocorreu uma falha na leitura do certificado para assinatura "
                          "e transmissão."));
  }
  EXPECT_TRUE(RequestsFrom(before).empty());
  ssl.reset();
  m_tokenEnv.reset();  // before the shared token comes back
}

}  // namespace
}  // namespace luvaro::test
