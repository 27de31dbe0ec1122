// The eSocial send job with the Qt front on a real X server (run under xvfb-run): the program's
// own start-up, window and dialogs, the real worker, luvaro-sim as the ERP and the eSocial
// services, the SoftHSM test token. A stand-in user picks the company certificate and types
// the PIN. Screenshots of the certificate chooser and of the window at "Enviando eventos..."
// are left in the build tree for a person to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/app_loop.h"
#include "app/core/exit_code.h"
#include "app/core/update_step.h"
#include "app/qt/certificate_dialog.h"
#include "app/qt/main_window.h"
#include "app/qt/pin_dialog.h"
#include "app/qt/qt_run.h"
#include "app/window_run.h"
#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/curl.h"
#include "dfe/ssl/libxml2_global.h"
#include "tests/e2e/esocial/esocial_cenario.h"
#include "tests/support/token.h"
#include "workers/esocial_transmissor.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

const fs::path kScreenshots = LUVARO_SCREENSHOT_DIR;

// What the stand-in user saw; written on the GUI thread, read after the run.
struct Visto {
  std::vector<QString> certificados;  // serial numbers the chooser listed
  bool escolheuCertificado = false;
  int pins = 0;
  QString statusNaFoto;  // the status text when the send screenshot was taken
  std::vector<QString> mensagens;
};
Visto g_visto;
std::string g_serialEmpresa;

bool SalvarTela(QWidget& janela, const QString& nome) {
  janela.repaint();
  QApplication::processEvents();
  const QImage tela = janela.screen()->grabWindow(0).toImage();
  return !tela.isNull() && tela.save(QString::fromStdString(kScreenshots.string()) + "/" + nome);
}

TfrmPrincipal* JanelaPrincipal() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* janela = dynamic_cast<TfrmPrincipal*>(w)) return janela;
  return nullptr;
}

// Runs each time the program makes its QApplication: answers the chooser, the PIN prompt and
// any message box, as a person would.
void IniciarUsuario() {
  auto* timer = new QTimer(qApp);  // parented: ends with the application
  QObject::connect(timer, &QTimer::timeout, timer, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("respondido").toBool()) return;
    if (!modal->isActiveWindow()) {
      modal->activateWindow();
      return;
    }
    modal->setProperty("respondido", true);
    if (auto* escolha = dynamic_cast<CertificateDialog*>(modal)) {
      EXPECT_TRUE(SalvarTela(*escolha, "luvaro_esocial_certificado.png"));
      for (int i = 0; i < escolha->list()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* linha = escolha->list()->topLevelItem(i);
        g_visto.certificados.push_back(linha->text(3));
        if (linha->text(3) == QString::fromStdString(g_serialEmpresa)) {
          escolha->list()->setCurrentItem(linha);
          g_visto.escolheuCertificado = true;
        }
      }
      escolha->accept();
    } else if (auto* pin = dynamic_cast<PinDialog*>(modal)) {
      ++g_visto.pins;
      pin->field()->setText(QString::fromLatin1(
          test::TestToken::kPin.data(), static_cast<qsizetype>(test::TestToken::kPin.size())));
      pin->accept();
    } else if (auto* caixa = qobject_cast<QMessageBox*>(modal)) {
      g_visto.mensagens.push_back(caixa->text());
      caixa->accept();
    }
  });
  timer->start(5);
}

TEST(EsocialOnX, SendRunWithTheChooserAndScreenshots) {
  ASSERT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
  qAddPreRoutine(IniciarUsuario);

  test::EsocialCenario cenario;
  g_serialEmpresa = test::SerialDe("empresa");
  for (const auto& [nome, valor] : cenario.Ambiente()) setenv(nome.c_str(), valor.c_str(), 1);
  unsetenv("LUVARO_HEADLESS");

  // What main() makes before any thread starts.
  LibXml2Global libxml2;
  CurlGlobal curl;
  TokenEnvironment tokens(test::TestToken::SoftHsmModule());
  TAmbienteTransmissao ambiente;
  ambiente.Tokens = &tokens;
  ambiente.TimeOut = 60000;

  // The real worker, with the window photographed once "Enviando eventos..." is shown.
  WorkerRegistry workers;
  workers.Registrar("esocial", [&ambiente](WorkerContext contexto) {
    IAppLoop& loop = contexto.Loop;
    TNotifyString status = contexto.AtualizarStatus;
    contexto.AtualizarStatus = [status, &loop](const std::string& texto) {
      status(texto);
      if (texto != "Enviando eventos...") return;
      loop.Synchronize([] {
        TfrmPrincipal* janela = JanelaPrincipal();
        ASSERT_NE(janela, nullptr);
        g_visto.statusNaFoto = janela->lbStatus()->text();
        EXPECT_TRUE(SalvarTela(*janela, "luvaro_esocial_enviando_eventos.png"));
      });
    };
    return std::make_unique<TeSocialTransmissor>(std::move(contexto), ambiente);
  });

  std::vector<std::string> args = cenario.ArgsEnvio();
  args.insert(args.begin(), "/opt/Luvaro/Luvaro");
  static char nome[] = "Luvaro";
  static char* argv[] = {nome, nullptr};
  int argc = 1;
  SetExitCode(0);
  const int codigo = RunWindowFront(argc, argv, args, NoUpdate, workers, CreateQtFront);

  EXPECT_EQ(codigo, 0) << (g_visto.mensagens.empty() ? "" : g_visto.mensagens[0].toStdString());
  // The one message: the fixture lot's document of no known type, named at the end of the send
  // with only an OK button (the run goes on and ends with exit code 0).
  ASSERT_EQ(g_visto.mensagens.size(), 1u);
  EXPECT_TRUE(
      g_visto.mensagens[0].startsWith(QStringLiteral("1 evento(s) não foram incluídos no lote:")))
      << g_visto.mensagens[0].toStdString();
  EXPECT_TRUE(g_visto.mensagens[0].contains(QStringLiteral("Tipo de evento não reconhecido.")))
      << g_visto.mensagens[0].toStdString();
  EXPECT_TRUE(g_visto.escolheuCertificado);
  EXPECT_GE(g_visto.certificados.size(), 2u);  // a real choice among the token's certificates
  EXPECT_EQ(g_visto.pins, 1);
  EXPECT_EQ(g_visto.statusNaFoto, QStringLiteral("Enviando eventos..."));
  for (const char* foto :
       {"luvaro_esocial_certificado.png", "luvaro_esocial_enviando_eventos.png"}) {
    SCOPED_TRACE(foto);
    const QImage imagem(QString::fromStdString((kScreenshots / foto).string()));
    EXPECT_FALSE(imagem.isNull());
  }

  // The lot reached the service and its reply the ERP.
  std::vector<std::string> erp;
  for (const test::RecordedRequest& r : cenario.Erp().Requests()) erp.push_back(r.endpoint);
  EXPECT_EQ(erp, (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_EQ(cenario.Governo().Requests().size(), 1u);
}

}  // namespace
}  // namespace luvaro
