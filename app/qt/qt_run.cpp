// The Qt front of a run: the application object, the main window and the front, made and
// destroyed together on the GUI thread.

#include "app/qt/qt_run.h"

#include <QApplication>

#include "app/qt/main_window.h"
#include "app/qt/qt_front.h"

namespace luvaro {
namespace {

class QtRun final : public IWindowFront {
 public:
  QtRun(int& argc, char** argv, IWindowHost& host)
      : m_application(argc, argv),
        m_window([&host] { host.Activated(); }),
        m_front(host, m_window) {
    QApplication::setQuitOnLastWindowClosed(false);  // only the run ends the program
  }

  void ShowStatus(const std::string& text) override { m_front.ShowStatus(text); }
  int ShowDialog(const DialogRequest& request) override { return m_front.ShowDialog(request); }
  std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) override {
    return m_front.ChooseCertificate(title, prompt, certificates);
  }
  std::optional<SecureString> AskPin(const PinRequest& request) override {
    return m_front.AskPin(request);
  }
  void Wake() override { m_front.Wake(); }
  void Quit() override { m_front.Quit(); }
  void Exec() override { m_front.Exec(); }

 private:
  // In dependency order: the application outlives every widget.
  QApplication m_application;
  TfrmPrincipal m_window;
  QtFront m_front;
};

}  // namespace

std::unique_ptr<IWindowFront> CreateQtFront(int& argc, char** argv, IWindowHost& host) {
  return std::make_unique<QtRun>(argc, argv, host);
}

}  // namespace luvaro
