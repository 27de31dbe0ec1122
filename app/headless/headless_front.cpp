#include "app/headless/headless_front.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ostream>

namespace luvaro {
namespace {

bool SameSerial(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

}  // namespace

HeadlessSettings HeadlessSettingsFromEnvironment() {
  HeadlessSettings settings;
  if (const char* serial = std::getenv("LUVARO_CERTIFICADO"); serial && *serial)
    settings.certificado = serial;
  if (const char* pin = std::getenv("LUVARO_PIN"); pin) settings.pin = SecureString(pin);
  return settings;
}

DialogButton DefaultAnswer(const DialogRequest& request) {
  if (request.buttons.empty()) return DialogButton::Ok;
  const bool shown = std::find(request.buttons.begin(), request.buttons.end(),
                               request.defaultButton) != request.buttons.end();
  return shown ? request.defaultButton : request.buttons.front();
}

std::string LoneCrToLf(const std::string& text) {
  std::string result = text;
  for (std::size_t i = 0; i < result.size(); ++i)
    if (result[i] == '\r' && (i + 1 == result.size() || result[i + 1] != '\n')) result[i] = '\n';
  return result;
}

HeadlessFront::HeadlessFront(HeadlessSettings settings, std::ostream& out)
    : m_settings(std::move(settings)), m_out(out) {}

void HeadlessFront::WriteLine(const std::string& line) {
  const std::string whole = line + "\n";
  std::lock_guard lock(m_outMutex);
  m_out.write(whole.data(), static_cast<std::streamsize>(whole.size()));
  m_out.flush();
}

void HeadlessFront::ShowStatus(const std::string& text) {
  WriteLine(text);
}

int HeadlessFront::ShowDialog(const DialogRequest& request) {
  WriteLine(request.title + ": " + LoneCrToLf(request.text));
  return static_cast<int>(DefaultAnswer(request));
}

std::optional<std::string> HeadlessFront::ChooseCertificate(
    const std::string&, const std::string&, const std::vector<CertificateChoice>& certificates) {
  if (m_settings.certificado) {
    for (const CertificateChoice& c : certificates)
      if (SameSerial(c.numeroSerie, *m_settings.certificado)) return c.numeroSerie;
    return std::nullopt;  // a serial that names no certificate is no choice
  }
  if (certificates.size() == 1) return certificates.front().numeroSerie;
  return std::nullopt;
}

std::optional<SecureString> HeadlessFront::AskPin(const PinRequest&) {
  return m_settings.pin;
}

}  // namespace luvaro
