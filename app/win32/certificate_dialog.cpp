#include "app/win32/certificate_dialog.h"

#include <windows.h>
#include <wincrypt.h>
#include <prsht.h>  // cryptuiapi.h names property sheet pages without including it
#include <cryptuiapi.h>

#include <memory>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/numero_serie.h"
#include "dfe/platform/windows/windows_text.h"

namespace luvaro {
namespace {

struct StoreClose {
  void operator()(HCERTSTORE store) const noexcept { CertCloseStore(store, 0); }
};
using StorePtr = std::unique_ptr<void, StoreClose>;

struct ContextFree {
  void operator()(PCCERT_CONTEXT context) const noexcept { CertFreeCertificateContext(context); }
};
using ContextPtr = std::unique_ptr<const CERT_CONTEXT, ContextFree>;

// The choice that names the certificate, if any.
const CertificateChoice* ChoiceOf(PCCERT_CONTEXT certificate,
                                  const std::vector<CertificateChoice>& certificates) {
  const std::string serial = NumeroSerieCertificado(certificate);
  for (const CertificateChoice& choice : certificates)
    if (MesmoNumeroSerie(choice.numeroSerie, serial)) return &choice;
  return nullptr;
}

}  // namespace

std::optional<std::string> SelecionarCertificadoDoStore(
    const std::string& title, const std::string& prompt,
    const std::vector<CertificateChoice>& certificates) {
  const StorePtr my(CertOpenStore(
      CERT_STORE_PROV_SYSTEM_W, 0, 0,
      CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG,
      L"My"));
  if (!my)
    throw EDFeException("Erro ao abrir o repositório de certificados \"My\": " +
                        SystemMessage(GetLastError()));
  // The dialog lists a store: one in memory with the store's certificates that were offered,
  // their key properties included.
  const StorePtr offered(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  if (!offered)
    throw EDFeException("Erro ao preparar a lista de certificados: " +
                        SystemMessage(GetLastError()));
  PCCERT_CONTEXT current = nullptr;
  while ((current = CertEnumCertificatesInStore(my.get(), current)) != nullptr) {
    if (ChoiceOf(current, certificates) != nullptr)
      CertAddCertificateContextToStore(offered.get(), current, CERT_STORE_ADD_ALWAYS, nullptr);
  }

  const std::wstring title16 = Utf16(title);
  const std::wstring prompt16 = Utf16(prompt);
  const ContextPtr chosen(CryptUIDlgSelectCertificateFromStore(
      offered.get(), nullptr, title16.c_str(), prompt16.c_str(), 0, 0, nullptr));
  if (!chosen) return std::nullopt;
  if (const CertificateChoice* choice = ChoiceOf(chosen.get(), certificates))
    return choice->numeroSerie;
  return std::nullopt;
}

}  // namespace luvaro
