#pragma once

// Private to dfe/platform/linux: reading X.509 certificates and PFX data with OpenSSL.

#include <string>
#include <string_view>

#include "dfe/raii/openssl.h"
#include "dfe/ssl/dados_certificado.h"

namespace luvaro {

// The serial number as the store shows it: the integer's bytes, big-endian, upper-case
// hexadecimal, as openssl and the token tools show it (no sign byte).
std::string NumeroSerieCertificado(const X509* certificate);

// Whether a serial number given by the user names `numeroSerie` of a certificate; a leading
// zero byte (the sign byte some viewers show) is not significant.
bool MesmoNumeroSerie(std::string_view informado, std::string_view numeroSerie);

// Fills everything but `Tipo`: serial number, SHA-1 thumbprint, subject and issuer as X.500
// strings (with their derived names), the CNPJ or CPF from the ICP-Brasil other names of the
// Subject Alternative Name when the common name carries none, end of validity in local time,
// and the DER encoding in Base64. `dados` is cleared first.
void LerDadosCertificado(TDadosCertificado& dados, const X509* certificate);

// The certificate and its private key from PFX (PKCS#12) bytes, with the step-by-step failures
// of the PFX import.
struct ConteudoPFX {
  X509Ptr certificate;
  EvpPkeyPtr privateKey;
};
ConteudoPFX AbrirPFX(std::string_view dados, const std::string& senha);

}  // namespace luvaro
