#pragma once

// Private to dfe/platform/windows: reading certificates and PFX data with CryptoAPI.

#include <string>
#include <string_view>

#include "dfe/platform/windows/numero_serie.h"
#include "dfe/platform/windows/windows_int.h"
#include "dfe/ssl/dados_certificado.h"

namespace luvaro {

// Fills everything but `Tipo`: serial number, SHA-1 thumbprint, subject and issuer as X.500
// strings (with their derived names), the CNPJ or CPF from the ICP-Brasil other names of the
// Subject Alternative Name when the common name carries none, end of validity in local time,
// and the DER encoding in Base64. `dados` is cleared first.
void LerDadosCertificado(TDadosCertificado& dados, PCCERT_CONTEXT certificate);

// PFX bytes imported into a temporary memory store with exportable keys, and the first of its
// certificates whose private key can be acquired, with the step-by-step failures of the import.
struct ConteudoPFX {
  CertStorePtr store;  // keeps the imported keys
  CertPtr certificate;
};
ConteudoPFX AbrirPFX(std::string_view dados, const std::string& senha);

// The certificate from DER bytes; null when they are not a certificate.
CertPtr CertificadoDeDER(std::string_view der);

}  // namespace luvaro
