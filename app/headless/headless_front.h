#pragma once

#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

#include "dfe/front.h"

namespace luvaro {

// The answers a headless run gives in place of the user, read from the environment at start-up.
struct HeadlessSettings {
  std::optional<std::string> certificado;  // LUVARO_CERTIFICADO: serial number to choose
  std::optional<SecureString> pin;         // LUVARO_PIN: answer to the token PIN prompt
};

HeadlessSettings HeadlessSettingsFromEnvironment();

// The front for scripts, servers and tests: status texts and messages go to standard error,
// one status per line and each message as its title, ": " and its text (lone CRs written as
// LF); messages are answered with their default button. Answers on the calling thread; lines
// of different threads never interleave.
class HeadlessFront final : public IFront {
 public:
  HeadlessFront(HeadlessSettings settings, std::ostream& out);

  void ShowStatus(const std::string& text) override;
  int ShowDialog(const DialogRequest& request) override;
  std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) override;
  std::optional<SecureString> AskPin(const PinRequest& request) override;

 private:
  void WriteLine(const std::string& line);

  HeadlessSettings m_settings;
  std::mutex m_outMutex;  // one line at a time on m_out
  std::ostream& m_out;
};

// The button a dialog answers with when nobody presses one: its default button when shown,
// else its first button.
DialogButton DefaultAnswer(const DialogRequest& request);

// The text with every CR that is not followed by LF turned into LF.
std::string LoneCrToLf(const std::string& text);

}  // namespace luvaro
