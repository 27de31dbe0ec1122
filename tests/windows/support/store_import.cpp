#include "tests/windows/support/store_import.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace luvaro::test {

namespace {

[[noreturn]] void Falhou(const std::string& passo) {
  throw std::runtime_error(passo + " failed: " + std::to_string(GetLastError()));
}

struct Store {
  HCERTSTORE handle;
  ~Store() { CertCloseStore(handle, 0); }
};

HCERTSTORE AbrirMy() {
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"My");
  if (store == nullptr) Falhou("CertOpenStore(My)");
  return store;
}

std::string SerialOf(PCCERT_CONTEXT cert) {
  const CRYPT_INTEGER_BLOB& serial = cert->pCertInfo->SerialNumber;
  std::string hex;
  for (DWORD i = serial.cbData; i > 0; --i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", serial.pbData[i - 1]);
    hex += byte;
  }
  while (hex.size() > 2 && hex.starts_with("00")) hex.erase(0, 2);
  return hex;
}

}  // namespace

fs::path CertsDir() {
  const char* dir = std::getenv("LUVARO_TEST_CERTS");
  if (dir == nullptr || *dir == '\0') throw std::runtime_error("LUVARO_TEST_CERTS is not set");
  return dir;
}

TestCertificate Certificate(const std::string& name) {
  std::istringstream manifest(ReadFile(CertsDir() / "manifest.txt"));
  std::string line;
  while (std::getline(manifest, line)) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ';');) fields.push_back(field);
    if (fields.size() >= 3 && fields[0] == name) return {fields[0], fields[1], fields[2]};
  }
  throw std::runtime_error("no certificate " + name + " in the manifest");
}

void RemoverDoMy(const std::string& serial) {
  Store my{AbrirMy()};
  // Found first, deleted after the enumeration: a deletion in the middle of it may end it early
  // or never.
  std::vector<PCCERT_CONTEXT> achados;
  PCCERT_CONTEXT cert = nullptr;
  while ((cert = CertEnumCertificatesInStore(my.handle, cert)) != nullptr)
    if (SerialOf(cert) == serial) achados.push_back(CertDuplicateCertificateContext(cert));
  // Deleting frees the context given.
  for (PCCERT_CONTEXT achado : achados) CertDeleteCertificateFromStore(achado);
  // Wine writes deletions to the registry only on a commit.
  CertControlStore(my.handle, 0, CERT_STORE_CTRL_COMMIT, nullptr);
}

void ImportarNoMy(const std::string& name) {
  const std::string pfx = ReadFile(CertsDir() / (name + ".pfx"));
  CRYPT_DATA_BLOB blob{static_cast<DWORD>(pfx.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(pfx.data()))};
  Store temporario{PFXImportCertStore(&blob, L"senha-pfx", CRYPT_EXPORTABLE | CRYPT_USER_KEYSET)};
  if (temporario.handle == nullptr) Falhou("PFXImportCertStore(" + name + ")");

  PCCERT_CONTEXT cert = CertEnumCertificatesInStore(temporario.handle, nullptr);
  if (cert == nullptr) Falhou("no certificate in " + name + ".pfx");
  HCRYPTPROV_OR_NCRYPT_KEY_HANDLE origem = 0;
  DWORD keySpec = 0;
  BOOL liberar = FALSE;
  if (!CryptAcquireCertificatePrivateKey(cert, 0, nullptr, &origem, &keySpec, &liberar))
    Falhou("CryptAcquireCertificatePrivateKey");
  // Wine reports the key's KeySpec as 3; the key itself is one of the two.
  HCRYPTKEY chave = 0;
  if (!CryptGetUserKey(origem, keySpec, &chave) &&
      !CryptGetUserKey(origem, AT_KEYEXCHANGE, &chave) &&
      !CryptGetUserKey(origem, AT_SIGNATURE, &chave))
    Falhou("CryptGetUserKey");
  DWORD size = 0;
  CryptExportKey(chave, 0, PRIVATEKEYBLOB, 0, nullptr, &size);
  std::vector<BYTE> privada(size);
  if (!CryptExportKey(chave, 0, PRIVATEKEYBLOB, 0, privada.data(), &size)) Falhou("CryptExportKey");
  CryptDestroyKey(chave);
  if (liberar) CryptReleaseContext(origem, 0);

  // A container of its own, named after the certificate (a fresh one on each import).
  const std::wstring container = L"luvaro-teste-" + std::wstring(name.begin(), name.end());
  HCRYPTPROV destino = 0;
  CryptAcquireContextW(&destino, container.c_str(), MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES,
                       CRYPT_DELETEKEYSET);
  if (!CryptAcquireContextW(&destino, container.c_str(), MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES,
                            CRYPT_NEWKEYSET))
    Falhou("CryptAcquireContext(NEWKEYSET)");
  // The blob names AT_KEYEXCHANGE's algorithm, so the key lands as the key-exchange key.
  auto* header = reinterpret_cast<BLOBHEADER*>(privada.data());
  header->aiKeyAlg = CALG_RSA_KEYX;
  if (!CryptImportKey(destino, privada.data(), size, 0, CRYPT_EXPORTABLE, &chave))
    Falhou("CryptImportKey");
  std::fill(privada.begin(), privada.end(), 0);
  CryptDestroyKey(chave);
  CryptReleaseContext(destino, 0);

  CRYPT_KEY_PROV_INFO info{};
  info.pwszContainerName = const_cast<wchar_t*>(container.c_str());
  info.pwszProvName = const_cast<wchar_t*>(MS_ENH_RSA_AES_PROV_W);
  info.dwProvType = PROV_RSA_AES;
  info.dwKeySpec = AT_KEYEXCHANGE;
  PCCERT_CONTEXT copia =
      CertCreateCertificateContext(X509_ASN_ENCODING, cert->pbCertEncoded, cert->cbCertEncoded);
  CertFreeCertificateContext(cert);
  if (copia == nullptr) Falhou("CertCreateCertificateContext");
  if (!CertSetCertificateContextProperty(copia, CERT_KEY_PROV_INFO_PROP_ID, 0, &info))
    Falhou("CertSetCertificateContextProperty");

  // Wine keeps no property change of a certificate already in the store: delete, then add.
  RemoverDoMy(SerialOf(copia));
  Store my{AbrirMy()};
  const BOOL added =
      CertAddCertificateContextToStore(my.handle, copia, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertFreeCertificateContext(copia);
  if (!added) Falhou("CertAddCertificateContextToStore");
}

}  // namespace luvaro::test
