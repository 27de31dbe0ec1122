#include "app/qt/qt_front.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QObject>
#include <memory>

#include "app/qt/certificate_dialog.h"
#include "app/qt/main_window.h"
#include "app/qt/message_box.h"
#include "app/qt/pin_dialog.h"

namespace luvaro {
namespace {

// Shows the arrow while a dialog is up and gives back whatever cursor was there before.
class ArrowCursor {
 public:
  ArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
  ArrowCursor(const ArrowCursor&) = delete;  // restores exactly once
  ArrowCursor& operator=(const ArrowCursor&) = delete;
};

}  // namespace

QtFront::QtFront(IWindowHost& host, TfrmPrincipal& window)
    : m_host(host), m_window(window), m_wakeTarget(std::make_unique<QObject>()) {}

QtFront::~QtFront() = default;

void QtFront::Wake() {
  QMetaObject::invokeMethod(
      m_wakeTarget.get(), [this] { m_host.RunPending(); }, Qt::QueuedConnection);
}

// exit(), not quit(): quit() first asks every window to close, and the main window refuses.
void QtFront::Quit() {
  QMetaObject::invokeMethod(
      qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void QtFront::Exec() {
  m_window.show();
  QApplication::exec();
}

void QtFront::ShowStatus(const std::string& text) {
  m_host.Synchronize([&] { m_window.AtualizarStatus(QString::fromUtf8(text)); });
}

int QtFront::ShowDialog(const DialogRequest& request) {
  int result = 0;
  m_host.Synchronize([&] {
    // The dialog belongs to the active window of the program, else to the main window.
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : &m_window;
    BuiltMessageBox built = BuildMessageBox(request, owner);
    ArrowCursor cursor;
    result = ExecMessageBox(built);
  });
  return result;
}

std::optional<std::string> QtFront::ChooseCertificate(
    const std::string& title, const std::string& prompt,
    const std::vector<CertificateChoice>& certificates) {
  std::optional<std::string> chosen;
  m_host.Synchronize([&] {
    CertificateDialog dialog(title, prompt, certificates, nullptr);  // owned by no window
    ArrowCursor cursor;
    dialog.exec();
    chosen = dialog.chosen();
  });
  return chosen;
}

std::optional<SecureString> QtFront::AskPin(const PinRequest& request) {
  std::optional<SecureString> pin;
  m_host.Synchronize([&] {
    PinDialog dialog(request, &m_window);
    ArrowCursor cursor;
    dialog.exec();
    pin = dialog.TakePin();
  });
  return pin;
}

}  // namespace luvaro
