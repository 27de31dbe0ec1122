#include "app/qt/certificate_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace luvaro {
namespace {

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CertificateDialog::CertificateDialog(const std::string& title, const std::string& prompt,
                                     const std::vector<CertificateChoice>& certificates,
                                     QWidget* parent)
    : QDialog(parent), m_certificates(certificates), m_list(new QTreeWidget(this)) {
  setWindowTitle(Q(title));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Q(prompt), this));

  m_list->setRootIsDecorated(false);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setHeaderLabels({QStringLiteral("Emitido para"), QStringLiteral("Emitido por"),
                           QStringLiteral("Validade"), QStringLiteral("Número de série"),
                           QStringLiteral("Token")});
  for (const CertificateChoice& c : m_certificates) {
    new QTreeWidgetItem(m_list, {Q(c.subjectName), Q(c.issuerName), Q(c.dataVenc), Q(c.numeroSerie),
                                 Q(c.tokenLabel)});
  }
  m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  if (m_list->topLevelItemCount() > 0) m_list->setCurrentItem(m_list->topLevelItem(0));
  layout->addWidget(m_list);
  if (m_certificates.empty()) {
    m_emptyNotice = new QLabel(QString::fromUtf8(kNenhumCertificado), this);
    m_emptyNotice->setAlignment(Qt::AlignCenter);
    m_emptyNotice->setWordWrap(true);
    layout->addWidget(m_emptyNotice, 1);
    m_list->hide();
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Ok"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
  buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->topLevelItemCount() > 0);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(640, 300);
}

std::optional<std::string> CertificateDialog::chosen() const {
  if (result() != QDialog::Accepted) return std::nullopt;
  const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
  if (row < 0 || row >= static_cast<int>(m_certificates.size())) return std::nullopt;
  return m_certificates[static_cast<std::size_t>(row)].numeroSerie;
}

}  // namespace luvaro
