#include "app/win32/win32_front.h"

#include <windows.h>

#include <utility>

#include "app/win32/certificate_dialog.h"
#include "app/win32/main_window.h"
#include "app/win32/message_box.h"

namespace luvaro {
namespace {

class Win32Front final : public IWindowFront {
 public:
  explicit Win32Front(IWindowHost& host)
      : m_host(host), m_window([&host] { host.Activated(); }, [&host] { host.RunPending(); }) {}

  void ShowStatus(const std::string& text) override {
    m_host.Synchronize([&] { m_window.AtualizarStatus(text); });
  }

  int ShowDialog(const DialogRequest& request) override {
    int result = 0;
    m_host.Synchronize([&] {
      // The dialog belongs to the program's active window, else to the main window.
      const HWND active = GetActiveWindow();
      result = ShowMessageBox(active != nullptr ? active : m_window.Handle(), request);
    });
    return result;
  }

  std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) override {
    std::optional<std::string> chosen;
    m_host.Synchronize([&] { chosen = SelecionarCertificadoDoStore(title, prompt, certificates); });
    return chosen;
  }

  // The token's own middleware asks for its PIN on Windows (the provider's prompt), so the
  // program is never asked.
  std::optional<SecureString> AskPin(const PinRequest&) override { return std::nullopt; }

  void Wake() override { m_window.PostWake(); }
  void Quit() override { m_window.PostQuit(); }

  void Exec() override {
    m_window.Show();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    m_window.RethrowFailure();
  }

 private:
  IWindowHost& m_host;
  TfrmPrincipal m_window;
};

}  // namespace

std::unique_ptr<IWindowFront> CreateWin32Front(IWindowHost& host) {
  return std::make_unique<Win32Front>(host);
}

}  // namespace luvaro
