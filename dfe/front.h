#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dfe/secure_string.h"

namespace luvaro {

// The one way library and worker code reaches the user. The application implements it twice:
// the Qt window (each call runs on the GUI thread while the caller waits) and the headless
// front for scripts and tests (each call answers on the calling thread). Calls may come from
// any thread; an exception raised while answering is rethrown in the caller.

enum class DialogType { Warning, Error, Information, Confirmation };

// Button results are those of the platform's standard dialog.
enum class DialogButton : int {
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7,
  All = 12,
  NoToAll = 13,
  YesToAll = 14,
};

struct DialogRequest {
  DialogType type = DialogType::Error;
  std::string title;
  std::string text;  // line breaks are single CRs
  std::vector<DialogButton> buttons{DialogButton::Ok};
  DialogButton defaultButton = DialogButton::Ok;
};

// One line of the certificate chooser.
struct CertificateChoice {
  std::string numeroSerie;
  std::string subjectName;
  std::string issuerName;
  std::string dataVenc;  // dd/MM/yyyy
  std::string tokenLabel;
};

struct PinRequest {
  std::string tokenLabel;
  std::string certificateName;
};

class IFront {
 public:
  virtual ~IFront() = default;

  // Replaces the one-line status text; returns once it is shown.
  virtual void ShowStatus(const std::string& text) = 0;

  // Shows a modal dialog and returns the pressed button's result.
  virtual int ShowDialog(const DialogRequest& request) = 0;

  // Lets the user pick one certificate; the serial number, or nothing when cancelled.
  virtual std::optional<std::string> ChooseCertificate(
      const std::string& title, const std::string& prompt,
      const std::vector<CertificateChoice>& certificates) = 0;

  // Asks for a token's PIN; nothing when the user cancels or no answer can be given.
  virtual std::optional<SecureString> AskPin(const PinRequest& request) = 0;
};

}  // namespace luvaro
