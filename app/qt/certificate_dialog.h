#pragma once

#include <QDialog>
#include <QLabel>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <vector>

#include "dfe/front.h"

namespace luvaro {

// The certificate chooser: one line per certificate (issued to, issued by, valid until,
// serial number, token); OK takes the selected line, Cancel or closing takes none. Without any
// certificate (no token plugged in) it says so in place of the empty list, and only Cancel is
// left to press.
class CertificateDialog final : public QDialog {
 public:
  CertificateDialog(const std::string& title, const std::string& prompt,
                    const std::vector<CertificateChoice>& certificates, QWidget* parent);

  static inline const char* const kNenhumCertificado =
      "Nenhum certificado encontrado. Conecte o token e tente novamente.";

  QTreeWidget* list() const { return m_list; }
  // The text shown in place of an empty list; null when there are certificates.
  QLabel* emptyNotice() const { return m_emptyNotice; }
  // The chosen serial number once the dialog was accepted with a line selected.
  std::optional<std::string> chosen() const;

 private:
  std::vector<CertificateChoice> m_certificates;
  QTreeWidget* m_list;              // owned by the dialog
  QLabel* m_emptyNotice = nullptr;  // owned by the dialog
};

}  // namespace luvaro
