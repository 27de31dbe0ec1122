#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dfe/front.h"

namespace luvaro::test {

// A front that remembers what it was asked, on which thread, and answers each dialog with a
// fixed result (0: the dialog's default button).
class RecordingFront final : public IFront {
 public:
  struct Dialog {
    DialogRequest request;
    std::thread::id thread;
  };

  void ShowStatus(const std::string& text) override {
    std::lock_guard lock(m_mutex);
    m_statuses.push_back(text);
    m_statusThreads.push_back(std::this_thread::get_id());
  }
  int ShowDialog(const DialogRequest& request) override {
    std::lock_guard lock(m_mutex);
    m_dialogs.push_back({request, std::this_thread::get_id()});
    return answer != 0 ? answer : static_cast<int>(request.defaultButton);
  }
  std::optional<std::string> ChooseCertificate(const std::string&, const std::string&,
                                               const std::vector<CertificateChoice>&) override {
    return std::nullopt;
  }
  std::optional<SecureString> AskPin(const PinRequest&) override { return std::nullopt; }

  std::vector<std::string> statuses() const {
    std::lock_guard lock(m_mutex);
    return m_statuses;
  }
  std::vector<std::thread::id> statusThreads() const {
    std::lock_guard lock(m_mutex);
    return m_statusThreads;
  }
  std::vector<Dialog> dialogs() const {
    std::lock_guard lock(m_mutex);
    return m_dialogs;
  }

  void Clear() {
    std::lock_guard lock(m_mutex);
    m_statuses.clear();
    m_statusThreads.clear();
    m_dialogs.clear();
  }

  int answer = 0;

 private:
  mutable std::mutex m_mutex;
  std::vector<std::string> m_statuses;
  std::vector<std::thread::id> m_statusThreads;
  std::vector<Dialog> m_dialogs;
};

}  // namespace luvaro::test
