#pragma once

#include <QDialog>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <vector>

#include "dfe/front.h"

namespace luvaro {

// The certificate chooser: one line per certificate (issued to, issued by, valid until,
// serial number, token); OK takes the selected line, Cancel or closing takes none.
class CertificateDialog final : public QDialog {
 public:
  CertificateDialog(const std::string& title, const std::string& prompt,
                    const std::vector<CertificateChoice>& certificates, QWidget* parent);

  QTreeWidget* list() const { return m_list; }
  // The chosen serial number once the dialog was accepted with a line selected.
  std::optional<std::string> chosen() const;

 private:
  std::vector<CertificateChoice> m_certificates;
  QTreeWidget* m_list;  // owned by the dialog
};

}  // namespace luvaro
