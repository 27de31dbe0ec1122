// Certificate data and PFX import through CryptoAPI.

#include <algorithm>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/certificate_int.h"
#include "dfe/ssl/codec.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/texto.h"

namespace luvaro {

namespace {

constexpr const char* kOidCNPJ = "2.16.76.1.3.3";
constexpr const char* kOidCPF = "2.16.76.1.3.1";
constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// X.500 string in the certificate's own order ("C=BR, O=ICP-Brasil, ..., CN=NAME:NUMBER"),
// at most 1024 characters.
std::string NomeX500(CERT_NAME_BLOB* name, const char* operacao) {
  const auto falha = [&] {
    return EDFeException(std::string("Falha ao executar \"CertNameToStr\" em \"") + operacao +
                         "\". Erro:" + Hex8(GetLastError()));
  };
  const DWORD length = CertNameToStrW(X509_ASN_ENCODING, name, CERT_X500_NAME_STR, nullptr, 0);
  if (length == 0) throw falha();
  std::wstring text(length, L'\0');
  if (CertNameToStrW(X509_ASN_ENCODING, name, CERT_X500_NAME_STR, text.data(), length) == 0)
    throw falha();
  text.resize(std::min<std::size_t>(length - 1, 1024));
  return Utf8(text);
}

// The contents of an other name's value when it is an octet string or a text string (DER:
// tag, length, contents); empty for anything else.
std::string ValorOutroNome(const CRYPT_OBJID_BLOB& value) {
  const BYTE* p = value.pbData;
  std::size_t size = value.cbData;
  if (size < 2) return {};
  switch (p[0]) {
    case 0x04:  // OCTET STRING
    case 0x0C:  // UTF8String
    case 0x13:  // PrintableString
    case 0x14:  // T61String
    case 0x16:  // IA5String
    case 0x1A:  // VisibleString
      break;
    default:
      return {};
  }
  std::size_t length = p[1];
  std::size_t offset = 2;
  if (length & 0x80) {
    const std::size_t bytes = length & 0x7F;
    if (bytes == 0 || bytes > 2 || size < 2 + bytes) return {};
    length = 0;
    for (std::size_t i = 0; i < bytes; ++i) length = (length << 8) | p[2 + i];
    offset += bytes;
  }
  if (offset + length > size) return {};
  return std::string(reinterpret_cast<const char*>(p + offset), length);
}

// CNPJ from the ICP-Brasil other name 2.16.76.1.3.3 (its first 14 characters), else the
// holder's CPF from 2.16.76.1.3.1 (characters 9 to 19, after the birth date).
std::string NumeroDoSAN(PCCERT_CONTEXT certificate) {
  const CERT_INFO* info = certificate->pCertInfo;
  const CERT_EXTENSION* extension =
      CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
  if (extension == nullptr) return {};
  CERT_ALT_NAME_INFO* names = nullptr;
  DWORD size = 0;
  if (!CryptDecodeObjectEx(kEncoding, X509_ALTERNATE_NAME, extension->Value.pbData,
                           extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                           &size))
    throw EDFeException("GetCertExtensionName: Falha ao executar \"CryptDecodeObject\". Erro:" +
                        Hex8(GetLastError()));
  const std::unique_ptr<CERT_ALT_NAME_INFO, CFree<&LocalFree>> owner(names);
  std::string cnpj;
  std::string cpf;
  for (DWORD i = 0; i < names->cAltEntry; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
    if (entry.dwAltNameChoice != CERT_ALT_NAME_OTHER_NAME || entry.pOtherName == nullptr) continue;
    const std::string_view oid = entry.pOtherName->pszObjId;
    const std::string valor = trimText(ValorOutroNome(entry.pOtherName->Value));
    if (oid == kOidCNPJ && cnpj.empty()) cnpj = valor.substr(0, 14);
    if (oid == kOidCPF && cpf.empty() && valor.size() > 8) cpf = valor.substr(8, 11);
  }
  return !cnpj.empty() ? cnpj : cpf;
}

double DataVencimento(PCCERT_CONTEXT certificate) {
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&certificate->pCertInfo->NotAfter, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return 0;
  DateTime valor = 0;
  const DateTimeParts partes{local.wYear,   local.wMonth,  local.wDay, local.wHour,
                             local.wMinute, local.wSecond, 0};
  return tryEncodeDateTime(partes, valor) ? valor : 0;
}

std::string ThumbPrint(PCCERT_CONTEXT certificate) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(certificate, CERT_HASH_PROP_ID, nullptr, &size))
    throw EDFeException("GetHashSHA1: Erro obtendo BufferSize de \"CERT_HASH_PROP_ID\"");
  std::string hash(size, '\0');
  if (!CertGetCertificateContextProperty(certificate, CERT_HASH_PROP_ID, hash.data(), &size))
    throw EDFeException("GetHashSHA1: Erro obtendo \"CERT_HASH_PROP_ID\"");
  hash.resize(size);
  return HexUpper(hash);
}

}  // namespace

std::string NumeroSerieCertificado(PCCERT_CONTEXT certificate) {
  const CRYPT_INTEGER_BLOB& serial = certificate->pCertInfo->SerialNumber;
  std::string bytes(reinterpret_cast<const char*>(serial.pbData), serial.cbData);
  std::reverse(bytes.begin(), bytes.end());
  // The sign byte of a positive number with its high bit set is not part of the value.
  std::size_t start = 0;
  while (bytes.size() - start > 1 && bytes[start] == '\0') ++start;
  return HexUpper(std::string_view(bytes).substr(start));
}

bool MesmoNumeroSerie(std::string_view informado, std::string_view numeroSerie) {
  const auto semZeros = [](std::string_view serial) {
    while (serial.size() > 2 && serial.starts_with("00")) serial.remove_prefix(2);
    return serial;
  };
  return !informado.empty() && semZeros(informado) == semZeros(numeroSerie);
}

void LerDadosCertificado(TDadosCertificado& dados, PCCERT_CONTEXT certificate) {
  dados.Clear();
  dados.SetNumeroSerie(NumeroSerieCertificado(certificate));
  dados.SetThumbPrint(ThumbPrint(certificate));
  dados.SetSubjectName(NomeX500(&certificate->pCertInfo->Subject, "GetSubjectName"));
  if (dados.CNPJ().empty()) dados.SetCNPJ(NumeroDoSAN(certificate));
  dados.SetDataVenc(DataVencimento(certificate));
  dados.SetIssuerName(NomeX500(&certificate->pCertInfo->Issuer, "GetIssuerName"));
  dados.SetDERBase64(Base64Encode(std::string_view(
      reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded)));
}

CertPtr CertificadoDeDER(std::string_view der) {
  return CertPtr(CertCreateCertificateContext(X509_ASN_ENCODING,
                                              reinterpret_cast<const BYTE*>(der.data()),
                                              static_cast<DWORD>(der.size())));
}

ConteudoPFX AbrirPFX(std::string_view dados, const std::string& senha) {
  CRYPT_DATA_BLOB blob{static_cast<DWORD>(dados.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(dados.data()))};
  if (!PFXIsPFXBlob(&blob))
    throw EDFeException("PFXDataToCertContextWinApi: DadosPFX informado não são válidos");
  // An empty password may have been encoded either as no password or as an empty one. The
  // import itself tells a wrong password: some systems' PFXVerifyPassword answers no to every
  // password.
  const std::wstring password = Utf16(senha);
  constexpr DWORD kFlags = CRYPT_EXPORTABLE | CRYPT_USER_KEYSET;
  ConteudoPFX conteudo;
  conteudo.store.reset(PFXImportCertStore(&blob, password.c_str(), kFlags));
  DWORD erro = conteudo.store ? 0 : GetLastError();
  if (!conteudo.store && senha.empty()) {
    conteudo.store.reset(PFXImportCertStore(&blob, nullptr, kFlags));
    if (!conteudo.store) erro = GetLastError();
  }
  if (!conteudo.store) {
    if (!PFXVerifyPassword(&blob, password.c_str(), 0) &&
        (erro == ERROR_INVALID_PASSWORD || erro == static_cast<DWORD>(NTE_BAD_DATA) ||
         erro == static_cast<DWORD>(CRYPT_E_BAD_ENCODE) || erro == 0))
      throw EDFeException("PFXDataToCertContextWinApi: Senha informada está errada");
    throw EDFeException("PFXDataToCertContextWinApi: Falha em \"PFXImportCertStore\" Erro: " +
                        Hex8(erro));
  }
  PCCERT_CONTEXT atual = nullptr;
  while ((atual = CertEnumCertificatesInStore(conteudo.store.get(), atual)) != nullptr) {
    HCRYPTPROV_OR_NCRYPT_KEY_HANDLE chave = 0;
    DWORD keySpec = 0;
    BOOL liberar = FALSE;
    if (!CryptAcquireCertificatePrivateKey(atual, CRYPT_ACQUIRE_ALLOW_NCRYPT_KEY_FLAG, nullptr,
                                           &chave, &keySpec, &liberar))
      continue;
    if (liberar) {
      if (keySpec == CERT_NCRYPT_KEY_SPEC)
        NCryptFreeObject(chave);
      else
        CryptReleaseContext(chave, 0);
    }
    conteudo.certificate.reset(CertDuplicateCertificateContext(atual));
    CertFreeCertificateContext(atual);
    return conteudo;
  }
  throw EDFeException(
      "PFXDataToCertContextWinApi: Falha ao localizar o Certificado com a Chave Privada.");
}

}  // namespace luvaro
