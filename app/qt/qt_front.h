#pragma once

#include "app/window_front.h"

class QObject;

namespace luvaro {

class TfrmPrincipal;

// The Qt front. Every front call runs on the GUI thread: from another thread it is handed over
// through the host's Synchronize and the caller waits; whatever the call raises comes back to
// the caller. The application object must exist before this object is made.
class QtFront final : public IWindowFront {
 public:
  QtFront(IWindowHost& host, TfrmPrincipal& window);
  ~QtFront() override;
  QtFront(const QtFront&) = delete;  // queued wake-ups refer to this object
  QtFront& operator=(const QtFront&) = delete;

  void ShowStatus(const std::string& text) override;
  int ShowDialog(const DialogRequest& request) override;
  std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) override;
  std::optional<SecureString> AskPin(const PinRequest& request) override;

  void Wake() override;
  void Quit() override;
  void Exec() override;

 private:
  IWindowHost& m_host;
  TfrmPrincipal& m_window;
  std::unique_ptr<QObject> m_wakeTarget;  // lives on the GUI thread; queued calls run there
};

}  // namespace luvaro
