#pragma once

#include "app/core/main_thread_queue.h"
#include "dfe/front.h"

class QObject;

namespace luvaro {

class TfrmPrincipal;

// Lets the Qt event loop run the queue: each queued task wakes the loop through wakeTarget
// (an object of the GUI thread that outlives every other thread), and Terminate() quits it.
void AttachToEventLoop(MainThreadQueue& queue, QObject& wakeTarget);

// The Qt front. Every call runs on the GUI thread: from another thread it is handed over
// through the main-thread queue and the caller waits; whatever the call raises comes back to
// the caller.
class QtFront final : public IFront {
 public:
  QtFront(MainThreadQueue& queue, TfrmPrincipal& window);

  void ShowStatus(const std::string& text) override;
  int ShowDialog(const DialogRequest& request) override;
  std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) override;
  std::optional<SecureString> AskPin(const PinRequest& request) override;

 private:
  MainThreadQueue& m_queue;
  TfrmPrincipal& m_window;
};

}  // namespace luvaro
