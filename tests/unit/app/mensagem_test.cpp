#include "app/core/mensagem.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/core/main_thread_queue.h"
#include "app/core/silent_abort.h"
#include "dfe/dfe_exception.h"
#include "tests/unit/app/recording_front.h"

namespace luvaro {
namespace {

using B = DialogButton;

class MensagemTest : public ::testing::Test {
 protected:
  test::RecordingFront front;
  MainThreadQueue loop;
};

TEST_F(MensagemTest, FreshMessageValues) {
  TMensagem msg(front, loop);
  EXPECT_EQ(msg.Botoes, TBotoes{B::Ok});
  EXPECT_EQ(msg.BtnDefault, B::Ok);
  EXPECT_EQ(msg.Tipo, DialogType::Error);
  EXPECT_EQ(msg.Mensagem, "");
  EXPECT_TRUE(msg.Travar);
  EXPECT_FALSE(msg.MostrarChat);
}

TEST_F(MensagemTest, PresetsSetButtonsTypeTitleAndClearTextAndStopFlag) {
  struct Case {
    const char* name;
    void (TMensagem::*preset)();
    std::vector<B> buttons;  // in the dialog's order
    DialogType type;
    std::string title;
  } cases[] = {
      {"AtencaoOk", &TMensagem::ConfiguraMsgAtencaoOk, {B::Ok}, DialogType::Warning, "Atenção"},
      {"AtencaoSimNao",
       &TMensagem::ConfiguraMsgAtencaoSimNao,
       {B::Yes, B::No},
       DialogType::Warning,
       "Atenção"},
      {"AtencaoSimNaoCancelar",
       &TMensagem::ConfiguraMsgAtencaoSimNaoCancelar,
       {B::Yes, B::No, B::Cancel},
       DialogType::Warning,
       "Atenção"},
      {"Confirmacao",
       &TMensagem::ConfiguraMsgConfirmacao,
       {B::Yes, B::No},
       DialogType::Confirmation,
       "Confirmação"},
      {"Erro", &TMensagem::ConfiguraMsgErro, {B::Ok}, DialogType::Error, "Erro"},
      {"Informacao",
       &TMensagem::ConfiguraMsgInformacao,
       {B::Ok},
       DialogType::Information,
       "Informação"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMensagem msg(front, loop);
    msg.Mensagem = "antigo";
    msg.BtnDefault = B::No;
    (msg.*c.preset)();
    EXPECT_EQ(msg.Mensagem, "");
    EXPECT_FALSE(msg.Travar);
    EXPECT_EQ(msg.BtnDefault, B::No);  // unchanged by the preset
    msg.Mensagem = "texto";
    const DialogRequest r = msg.MontarDialogo();
    EXPECT_EQ(r.buttons, c.buttons);
    EXPECT_EQ(r.type, c.type);
    EXPECT_EQ(r.title, c.title);
    EXPECT_EQ(r.text, "texto");
  }
}

TEST_F(MensagemTest, FocusedButton) {
  struct Case {
    const char* name;
    TBotoes botoes;
    B btnDefault;
    B expected;
  } cases[] = {
      {"No among Yes/No", {B::Yes, B::No}, B::No, B::No},
      {"Cancel among Yes/No/Cancel", {B::Yes, B::No, B::Cancel}, B::Cancel, B::Cancel},
      {"OK not shown falls back to Yes", {B::Yes, B::No}, B::Ok, B::Yes},
      {"All never takes the focus", {B::Ok, B::All}, B::All, B::Ok},
      {"Retry shown", {B::Abort, B::Retry, B::Ignore}, B::Retry, B::Retry},
      {"neither OK nor Yes: first button", {B::Abort, B::Ignore}, B::Cancel, B::Abort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMensagem msg(front, loop);
    msg.Botoes = c.botoes;
    msg.BtnDefault = c.btnDefault;
    EXPECT_EQ(msg.MontarDialogo().defaultButton, c.expected);
  }
}

TEST_F(MensagemTest, BlankTextBecomesUndefinedMessage) {
  for (const std::string text : {"", "   ", " \t\r\r "}) {
    SCOPED_TRACE("[" + text + "]");
    TMensagem msg(front, loop);
    msg.Mensagem = text;
    EXPECT_EQ(msg.MontarDialogo().text, "Mensagem indefinida.");
  }
}

TEST_F(MensagemTest, CaptionsAndTitles) {
  const std::pair<B, std::string> captions[] = {
      {B::Ok, "&Ok"},
      {B::Cancel, "&Cancelar"},
      {B::Abort, "&Abortar"},
      {B::Retry, "&Voltar"},
      {B::Ignore, "&Ignorar"},
      {B::Yes, "&Sim"},
      {B::No, "&Não"},
      {B::All, "&Todos"},
      {B::NoToAll, "Não p/ todos"},
      {B::YesToAll, "Sim p/ todos"},
  };
  for (const auto& [button, caption] : captions) EXPECT_EQ(CaptionBotao(button), caption);
  EXPECT_EQ(static_cast<int>(B::All), 12);
  EXPECT_EQ(TituloMensagem(DialogType::Warning), "Atenção");
  EXPECT_EQ(TituloMensagem(DialogType::Error), "Erro");
  EXPECT_EQ(TituloMensagem(DialogType::Information), "Informação");
  EXPECT_EQ(TituloMensagem(DialogType::Confirmation), "Confirmação");
}

TEST_F(MensagemTest, ErrorShortcutComposesTheDetail) {
  TMensagem::mostrarMsgErro(front, loop, "Falhou.", false);
  const EDFeException erro("detalhe do erro");
  TMensagem::mostrarMsgErro(front, loop, "Erro durante a execução: ", false, &erro);
  const auto dialogs = front.dialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].request.text, "Falhou.");
  EXPECT_EQ(dialogs[1].request.text, "Erro durante a execução: \r\rERRO: detalhe do erro");
  EXPECT_EQ(dialogs[1].request.title, "Erro");
  EXPECT_EQ(dialogs[1].request.buttons, std::vector<B>{B::Ok});
  EXPECT_FALSE(loop.TerminateRequested());
}

TEST_F(MensagemTest, ShortcutsReturnThePressedButton) {
  EXPECT_EQ(TMensagem::mostrarMsgConfirmacaoYesNo(front, loop, "Continuar?", B::No), 7);
  EXPECT_EQ(TMensagem::mostrarMsgAtencaoYesNo(front, loop, "Continuar?", B::Yes), 6);
  EXPECT_EQ(TMensagem::mostrarMsgAtencaoYesNoCancel(front, loop, "Salvar?", B::Cancel), 2);
  front.answer = 6;
  EXPECT_EQ(TMensagem::mostrarMsgConfirmacaoYesNo(front, loop, "Continuar?", B::No), 6);
  TMensagem::mostrarMsgAtencaoOk(front, loop, "Cuidado", false);
  TMensagem::mostrarMsgInformacao(front, loop, "Pronto");
  TMensagem::mostrarMsgGenerica(front, loop, "Genérica");
  const auto dialogs = front.dialogs();
  ASSERT_EQ(dialogs.size(), 7u);
  EXPECT_EQ(dialogs[0].request.type, DialogType::Confirmation);
  EXPECT_EQ(dialogs[0].request.defaultButton, B::No);
  EXPECT_EQ(dialogs[2].request.buttons, (std::vector<B>{B::Yes, B::No, B::Cancel}));
  EXPECT_EQ(dialogs[4].request.type, DialogType::Warning);
  EXPECT_EQ(dialogs[5].request.type, DialogType::Information);
  EXPECT_EQ(dialogs[6].request.title, "Informação");
  EXPECT_FALSE(loop.TerminateRequested());
}

TEST_F(MensagemTest, StopFlagTerminatesAndAbortsTheCallerSilently) {
  bool continued = false;
  try {
    TMensagem::mostrarMsgErro(front, loop, "   ", true);
    continued = true;
  } catch (const TSilentAbort& abort) {
    EXPECT_EQ(abort.Mensagem, "Mensagem indefinida.");
  }
  EXPECT_FALSE(continued);
  EXPECT_TRUE(loop.TerminateRequested());
  ASSERT_EQ(front.dialogs().size(), 1u);  // shown before the program ends
}

// A worker's message runs on the main thread; the stop flag's abort comes back to the worker.
TEST_F(MensagemTest, WorkerMessageIsHandedToTheMainThread) {
  bool workerContinued = false;
  bool workerAborted = false;
  std::thread worker([&] {
    try {
      TMensagem::mostrarMsgErro(front, loop, "Falha no envio.", true);
      workerContinued = true;
    } catch (const TSilentAbort&) {
      workerAborted = true;
    }
  });
  loop.RunUntilTerminated();  // returns once the message asked the application to end
  loop.Close();
  worker.join();
  EXPECT_TRUE(workerAborted);
  EXPECT_FALSE(workerContinued);
  const auto dialogs = front.dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].thread, std::this_thread::get_id());
  EXPECT_EQ(dialogs[0].request.text, "Falha no envio.");
}

}  // namespace
}  // namespace luvaro
