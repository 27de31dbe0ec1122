// Message dialogs, certificate chooser and PIN prompt under the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "app/core/main_thread_queue.h"
#include "app/core/mensagem.h"
#include "app/qt/certificate_dialog.h"
#include "app/qt/message_box.h"
#include "app/qt/pin_dialog.h"
#include "tests/gui/qt_test_app.h"

namespace luvaro {
namespace {

using B = DialogButton;

QStringList Captions(const QMessageBox& box) {
  QStringList captions;
  for (QAbstractButton* b : box.buttons()) captions << b->text();
  captions.sort();
  return captions;
}

// The request TMensagem makes for a preset and a default button.
DialogRequest Request(void (TMensagem::*preset)(), B btnDefault, const std::string& text) {
  MainThreadQueue loop;
  struct NoFront final : IFront {
    void ShowStatus(const std::string&) override {}
    int ShowDialog(const DialogRequest&) override { return 0; }
    std::optional<std::string> ChooseCertificate(const std::string&, const std::string&,
                                                 const std::vector<CertificateChoice>&) override {
      return std::nullopt;
    }
    std::optional<SecureString> AskPin(const PinRequest&) override { return std::nullopt; }
  } front;
  TMensagem msg(front, loop);
  (msg.*preset)();
  msg.BtnDefault = btnDefault;
  msg.Mensagem = text;
  return msg.MontarDialogo();
}

TEST(MessageBox, CompositionAndCaptions) {
  struct Case {
    const char* name;
    DialogRequest request;
    QString title;
    QMessageBox::Icon icon;
    QStringList captions;  // sorted
    QString focused;
  } cases[] = {
      {"error",
       Request(&TMensagem::ConfiguraMsgErro, B::Ok, "Erro X\r\rERRO: detalhe"),
       "Erro",
       QMessageBox::Critical,
       {"&Ok"},
       "&Ok"},
      {"warning",
       Request(&TMensagem::ConfiguraMsgAtencaoOk, B::Ok, "Cuidado"),
       "Atenção",
       QMessageBox::Warning,
       {"&Ok"},
       "&Ok"},
      {"information",
       Request(&TMensagem::ConfiguraMsgInformacao, B::Ok, "Pronto"),
       "Informação",
       QMessageBox::Information,
       {"&Ok"},
       "&Ok"},
      {"confirmation",
       Request(&TMensagem::ConfiguraMsgConfirmacao, B::No, "Continuar?"),
       "Confirmação",
       QMessageBox::Question,
       {"&Não", "&Sim"},
       "&Não"},
      {"yes no cancel",
       Request(&TMensagem::ConfiguraMsgAtencaoSimNaoCancelar, B::Cancel, "?"),
       "Atenção",
       QMessageBox::Warning,
       {"&Cancelar", "&Não", "&Sim"},
       "&Cancelar"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuiltMessageBox built = BuildMessageBox(c.request, nullptr);
    EXPECT_EQ(built.box->windowTitle(), c.title);
    EXPECT_EQ(built.box->icon(), c.icon);
    EXPECT_EQ(Captions(*built.box), c.captions);
    ASSERT_NE(built.box->defaultButton(), nullptr);
    EXPECT_EQ(built.box->defaultButton()->text(), c.focused);
  }
  BuiltMessageBox built = BuildMessageBox(cases[0].request, nullptr);
  EXPECT_EQ(built.box->text(), "Erro X\n\nERRO: detalhe");
}

TEST(MessageBox, EveryButtonCaptionAndResult) {
  DialogRequest request;
  request.buttons = {B::Yes,   B::No,     B::Ok,  B::Cancel,  B::Abort,
                     B::Retry, B::Ignore, B::All, B::NoToAll, B::YesToAll};
  BuiltMessageBox built = BuildMessageBox(request, nullptr);
  ASSERT_EQ(built.box->buttons().size(), 10);
  for (QAbstractButton* b : built.box->buttons()) {
    const B result = static_cast<B>(built.results.value(b));
    const std::string_view caption = CaptionBotao(result);
    EXPECT_EQ(b->text().toStdString(), caption);
  }
}

// Presses a key in the modal dialog as soon as it is up; the pressed button's result.
int AnswerWithKey(const DialogRequest& request, int key, Qt::KeyboardModifiers modifiers = {}) {
  BuiltMessageBox built = BuildMessageBox(request, nullptr);
  test::WhenModalUp([key, modifiers](QWidget* modal) {
    QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  });
  return ExecMessageBox(built);
}

TEST(MessageBox, KeysAnswerAsOnTheButtons) {
  struct Case {
    const char* name;
    DialogRequest request;
    int key;
    Qt::KeyboardModifiers modifiers;
    int expected;
  } cases[] = {
      {"Enter on No focused",
       Request(&TMensagem::ConfiguraMsgConfirmacao, B::No, "Continuar?"),
       Qt::Key_Return,
       {},
       7},
      {"Enter on Yes focused",
       Request(&TMensagem::ConfiguraMsgConfirmacao, B::Yes, "Continuar?"),
       Qt::Key_Return,
       {},
       6},
      {"Escape with Cancel",
       Request(&TMensagem::ConfiguraMsgAtencaoSimNaoCancelar, B::Yes, "?"),
       Qt::Key_Escape,
       {},
       2},
      {"Escape with OK only",
       Request(&TMensagem::ConfiguraMsgErro, B::Ok, "x"),
       Qt::Key_Escape,
       {},
       1},
      {"access key S", Request(&TMensagem::ConfiguraMsgConfirmacao, B::No, "?"), Qt::Key_S,
       Qt::AltModifier, 6},
      {"access key C", Request(&TMensagem::ConfiguraMsgAtencaoSimNaoCancelar, B::Yes, "?"),
       Qt::Key_C, Qt::AltModifier, 2},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AnswerWithKey(c.request, c.key, c.modifiers), c.expected);
  }
}

TEST(CertificateDialog, ListsCertificatesAndReturnsTheChosenSerial) {
  const std::vector<CertificateChoice> certs{
      {"0A1B", "EMPRESA A LTDA:11222333000181", "AC TESTE", "31/12/2030", "Token A"},
      {"77FF", "EMPRESA B SA:44555666000199", "AC TESTE", "01/06/2029", "Token B"}};
  {
    CertificateDialog dialog("Selecione um Certificado",
                             "Selecione o Certificado que deseja utilizar:", certs, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Selecione um Certificado");
    const auto labels = dialog.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
      return l->text() == "Selecione o Certificado que deseja utilizar:";
    }));
    ASSERT_EQ(dialog.list()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.list()->topLevelItem(1)->text(0), "EMPRESA B SA:44555666000199");
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(1));
    test::WhenModalUp([&dialog](QWidget*) { dialog.accept(); });
    dialog.exec();
    EXPECT_EQ(dialog.chosen(), "77FF");
  }
  {
    CertificateDialog dialog("t", "p", certs, nullptr);
    test::WhenModalUp([&dialog](QWidget*) { dialog.reject(); });
    dialog.exec();
    EXPECT_EQ(dialog.chosen(), std::nullopt);
  }
}

// No token plugged in: the chooser says so instead of showing an empty list, and the only way
// out is Cancel, which chooses nothing (the worker's exit code 2).
TEST(CertificateDialog, WithoutCertificatesItSaysSo) {
  CertificateDialog dialog("Selecione um Certificado",
                           "Selecione o Certificado que deseja utilizar:", {}, nullptr);
  ASSERT_NE(dialog.emptyNotice(), nullptr);
  EXPECT_EQ(dialog.emptyNotice()->text(),
            "Nenhum certificado encontrado. Conecte o token e tente novamente.");
  test::WhenModalUp([&dialog](QWidget*) {
    EXPECT_TRUE(dialog.emptyNotice()->isVisible());
    EXPECT_FALSE(dialog.list()->isVisible());
    const auto buttons = dialog.findChildren<QPushButton*>();
    for (QPushButton* b : buttons)
      EXPECT_EQ(b->isEnabled(), b->text() == "&Cancelar") << b->text().toStdString();
    dialog.reject();
  });
  dialog.exec();
  EXPECT_EQ(dialog.chosen(), std::nullopt);

  const std::vector<CertificateChoice> um{{"0A1B", "EMPRESA A", "AC", "31/12/2030", "Token"}};
  CertificateDialog comCertificado("t", "p", um, nullptr);
  EXPECT_EQ(comCertificado.emptyNotice(), nullptr);
}

TEST(PinDialog, MasksThePinAndHandsItOver) {
  PinDialog dialog({"Token A", "EMPRESA A LTDA"}, nullptr);
  EXPECT_EQ(dialog.field()->echoMode(), QLineEdit::Password);
  const auto labels = dialog.findChildren<QLabel*>();
  ASSERT_FALSE(labels.empty());
  EXPECT_TRUE(labels.front()->text().contains("Token A"));
  EXPECT_TRUE(labels.front()->text().contains("EMPRESA A LTDA"));
  test::WhenModalUp([&dialog](QWidget*) {
    QTest::keyClicks(dialog.field(), "4321");
    dialog.accept();
  });
  dialog.exec();
  const auto pin = dialog.TakePin();
  ASSERT_TRUE(pin.has_value());
  EXPECT_EQ(pin->str(), "4321");
  EXPECT_TRUE(dialog.field()->text().isEmpty());
}

}  // namespace
}  // namespace luvaro
