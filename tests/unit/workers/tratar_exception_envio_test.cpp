#include "workers/tratar_exception_envio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/core/exit_code.h"
#include "app/core/main_thread_queue.h"
#include "app/core/silent_abort.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/app/recording_front.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

// The five dialogs, as the users have always read them.
const std::string kRecuo = "\r" + std::string(16, ' ');
const std::string kLoteGrande =
    "Erro no envio da requisição: \r\rDETALHE: Lote de eventos muito grande para ser enviado."
    "\r\rSOLUÇÃO: Por favor selecione somente 50 eventos e tente novamente.\r\rOBS: O lote será "
    "enviado particionado automaticamente na próxima versao.";
const std::string kTempoEsgotado =
    "Erro no envio da requisição: \r\rDETALHE: Tempo limite de envio estourado.\r\rSOLUÇÃO: Por "
    "favor verifique a conexão com a internet e tente novamente." +
    kRecuo + "Caso o problema continue, o servidor da receita pode estar congestionado," + kRecuo +
    "por favor tente novamente mais tarde.";
const std::string kCertificado =
    "Erro ao ler o certificado: \r\rDETALHE: Ocorreu uma falha na leitura do certificado para "
    "assinatura e transmissão.\r\rSOLUÇÃO: Por favor verifique se o certificado está devidamente "
    "conectado na máquina." +
    kRecuo + "Caso o problema continue, verifique se o certificado ainda está válido e" + kRecuo +
    "o utilize em outros serviços para confirmar seu funcionamento.";
const std::string kForaDoAr =
    "SERVIÇO DO E-SOCIAL ESTÁ FORA DO AR!\r\rDETALHE: No momento o sreviço do e-social está fora "
    "do ar, tente novamente mais tarde.\r\rDADOS TÉCNICOS: \r";
const std::string kGenerico = "Erro durante a execução: \r\rERRO: ";

const std::string kTimeout =
    "Erro Interno: 12002\r\nErro HTTP: 0\r\nURL: https://h/a.svc\r\nFalha Recebendo Dados. "
    "Erro:Erro: 12002 - TimeOut de Requisição";

class TratarExceptionEnvioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LUVARO_HOME", home.path().c_str(), 1);
    fs::create_directories(home / "Logs");
    SetExitCode(0);
  }
  void TearDown() override { unsetenv("LUVARO_HOME"); }

  // Reports the failure; the dialog's text, checking what every report shares.
  std::string Report(const std::string& message) { return Report(EDFeException(message)); }
  std::string Report(const std::exception& erro) {
    front.Clear();
    SetExitCode(0);
    try {
      TratarExceptionEnvio(erro, front, loop);
      ADD_FAILURE() << "returned";
    } catch (const TSilentAbort&) {
    }
    EXPECT_EQ(GetExitCode(), 1);
    EXPECT_TRUE(loop.TerminateRequested());
    const auto dialogs = front.dialogs();
    if (dialogs.size() != 1) {
      ADD_FAILURE() << dialogs.size() << " dialogs";
      return {};
    }
    const DialogRequest& dialog = dialogs[0].request;
    EXPECT_EQ(dialog.type, DialogType::Error);
    EXPECT_EQ(dialog.title, "Erro");
    EXPECT_EQ(dialog.buttons, std::vector<DialogButton>{DialogButton::Ok});
    return dialog.text;
  }

  // The log's lines without their time stamps.
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    if (!fs::exists(home / "Logs")) return lines;
    for (const auto& file : fs::directory_iterator(home / "Logs")) {
      const std::string text = test::ReadFile(file.path());
      for (size_t begin = 0; begin < text.size();) {
        const size_t end = text.find("\r\n", begin);
        const std::string line = text.substr(begin, end - begin);
        lines.push_back(line.substr(line.find(" - ") + 3));
        begin = end == std::string::npos ? text.size() : end + 2;
      }
    }
    return lines;
  }

  test::TempDir home{"luvaro-workers"};
  test::RecordingFront front;
  MainThreadQueue loop;
};

TEST_F(TratarExceptionEnvioTest, RecognisedFailuresGetTheirDialogAndNoLogLine) {
  struct Row {
    const char* name;
    std::string message;
    std::string dialog;
  };
  const std::string fault500 = "Erro Interno: 0\r\nErro HTTP: 500\r\nURL: https://h/a.svc\r\n";
  const std::string handshake =
      "Erro Interno: 12175\r\nErro HTTP: 0\r\nURL: https://h/a.svc\r\nFalha no Envio da "
      "Requisição.\r\nErro: 12175 - Um ou mais erros";
  const Row rows[] = {
      {"lot too big", "Erro Interno: 0\r\nErro HTTP: 413\r\nURL: u\r\n", kLoteGrande},
      {"time-out", kTimeout, kTempoEsgotado},
      {"time-out inside the send thread's text", "Erro na thread de envio: " + kTimeout,
       kTempoEsgotado},
      {"token key", "Erro Interno: 12186\r\nErro HTTP: 0\r\nURL: u\r\nFalha", kCertificado},
      {"service failed", fault500, kForaDoAr + fault500},
      {"secure channel", handshake, kForaDoAr + handshake},
      {"413 wins over the time-out", "Erro Interno: 12002\r\nErro HTTP: 413\r\n", kLoteGrande},
      {"the time-out wins over 500", "Erro HTTP: 500 Erro Interno: 12002", kTempoEsgotado},
      {"500 and 12175 give one dialog", "Erro Interno: 12175\r\nErro HTTP: 500\r\n",
       kForaDoAr + "Erro Interno: 12175\r\nErro HTTP: 500\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Report(row.message), row.dialog);
  }
  EXPECT_TRUE(LogLines().empty());
}

// A token that refused its PIN while an event was signed is the certificate failure, as the
// transport reports it when the same happens in its handshake; its text holds no pattern.
TEST_F(TratarExceptionEnvioTest, RefusedPinGetsTheCertificateDialog) {
  EXPECT_EQ(Report(EDFeExceptionPIN("Falha ao definir o PIN do token (CKR_PIN_INCORRECT).")),
            kCertificado);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(TratarExceptionEnvioTest, AnythingElseGetsTheGenericDialogAndALogLine) {
  struct Row {
    const char* name;
    std::string message;
  };
  const Row rows[] = {
      {"no events", "Nenhum evento encontrado para transmissão."},
      {"pattern in other letter case", "erro http: 413"},
      {"ERP failure", "Erro ao consultar eventos no Orvane.\r\rServidor não respondeu"},
      {"a near miss", "Erro Interno: 1200 Erro HTTP: 41"},
  };
  std::vector<std::string> expectedLog;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Report(row.message), kGenerico + row.message);
    expectedLog.push_back("ERROR: " + row.message);
  }
  EXPECT_EQ(LogLines(), expectedLog);
}

TEST_F(TratarExceptionEnvioTest, WithoutALogsFolderTheDialogStillComesAndNothingIsWritten) {
  fs::remove_all(home / "Logs");
  EXPECT_EQ(Report("Nenhum evento encontrado para transmissão."),
            kGenerico + "Nenhum evento encontrado para transmissão.");
  EXPECT_FALSE(fs::exists(home / "Logs"));
}

TEST_F(TratarExceptionEnvioTest, ALogThatCannotBeWrittenDoesNotHideTheFailure) {
  // A folder where the day's log file should be: appending to it fails.
  fs::remove_all(home / "Logs");
  fs::create_directories(home / "Logs");
  const std::string oneLine = "Falha qualquer";
  Report(oneLine);  // makes the day's file
  for (const auto& file : fs::directory_iterator(home / "Logs")) {
    fs::remove(file.path());
    fs::create_directories(file.path());
  }
  EXPECT_EQ(Report(oneLine), kGenerico + oneLine);
}

}  // namespace
}  // namespace luvaro
