#include <cstdio>
#include <ctime>

#include <openssl/asn1.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include "dfe/dfe_exception.h"
#include "dfe/platform/linux/certificate_int.h"
#include "dfe/ssl/codec.h"
#include "dfe/xml/data_hora.h"

namespace luvaro {

namespace {

using GeneralNamesPtr = std::unique_ptr<GENERAL_NAMES, CFree<&GENERAL_NAMES_free>>;

constexpr const char* kOidCNPJ = "2.16.76.1.3.3";
constexpr const char* kOidCPF = "2.16.76.1.3.1";

std::string Hex8(unsigned long code) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", code & 0xFFFFFFFFUL);
  return text;
}

// X.500 string in the certificate's own order: "C=BR, O=ICP-Brasil, ..., CN=NAME:NUMBER",
// values holding separators between double quotes.
std::string NomeX500(const X509_NAME* name, const char* operacao) {
  constexpr unsigned long kFlags = ASN1_STRFLGS_ESC_2253 | ASN1_STRFLGS_ESC_CTRL |
                                   ASN1_STRFLGS_ESC_QUOTE | ASN1_STRFLGS_UTF8_CONVERT |
                                   ASN1_STRFLGS_DUMP_UNKNOWN | ASN1_STRFLGS_DUMP_DER |
                                   XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_FN_SN;
  ERR_clear_error();
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || X509_NAME_print_ex(bio.get(), name, 0, kFlags) < 0)
    throw EDFeException(std::string("Falha ao executar \"CertNameToStr\" em \"") + operacao +
                        "\". Erro:" + Hex8(ERR_peek_last_error()));
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  std::string text(data, static_cast<std::size_t>(size));
  if (text.size() > 1024) text.resize(1024);
  return text;
}

// The bytes of an other name's value: the contents of a string or octet string.
std::string ValorOutroNome(const ASN1_TYPE* value) {
  if (value == nullptr) return {};
  switch (value->type) {
    case V_ASN1_OCTET_STRING:
    case V_ASN1_UTF8STRING:
    case V_ASN1_PRINTABLESTRING:
    case V_ASN1_IA5STRING:
    case V_ASN1_T61STRING:
    case V_ASN1_VISIBLESTRING: {
      const ASN1_STRING* text = value->value.asn1_string;
      return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)),
                         static_cast<std::size_t>(ASN1_STRING_length(text)));
    }
    default:
      return {};
  }
}

std::string Trim(std::string text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && blank(text[start])) ++start;
  return text.substr(start);
}

// CNPJ from the ICP-Brasil other name 2.16.76.1.3.3 (its first 14 characters), else the
// holder's CPF from 2.16.76.1.3.1 (characters 9 to 19, after the birth date).
std::string NumeroDoSAN(const X509* certificate) {
  int critical = -1;
  GeneralNamesPtr names(static_cast<GENERAL_NAMES*>(
      X509_get_ext_d2i(certificate, NID_subject_alt_name, &critical, nullptr)));
  if (!names) {
    if (critical >= 0)  // present but not decodable
      throw EDFeException("GetCertExtensionName: Falha ao executar \"CryptDecodeObject\". Erro:" +
                          Hex8(ERR_peek_last_error()));
    return {};
  }
  std::string cnpj;
  std::string cpf;
  for (int i = 0; i < sk_GENERAL_NAME_num(names.get()); ++i) {
    const GENERAL_NAME* entry = sk_GENERAL_NAME_value(names.get(), i);
    if (entry->type != GEN_OTHERNAME) continue;
    char oid[64];
    OBJ_obj2txt(oid, sizeof oid, entry->d.otherName->type_id, 1);
    const std::string valor = Trim(ValorOutroNome(entry->d.otherName->value));
    if (std::string_view(oid) == kOidCNPJ && cnpj.empty()) cnpj = valor.substr(0, 14);
    if (std::string_view(oid) == kOidCPF && cpf.empty() && valor.size() > 8)
      cpf = valor.substr(8, 11);
  }
  return !cnpj.empty() ? cnpj : cpf;
}

double DataVencimento(const X509* certificate) {
  std::tm utc{};
  if (ASN1_TIME_to_tm(X509_get0_notAfter(certificate), &utc) != 1) return 0;
  const std::time_t instante = timegm(&utc);
  std::tm local{};
  localtime_r(&instante, &local);
  DateTime valor = 0;
  const DateTimeParts partes{local.tm_year + 1900,
                             local.tm_mon + 1,
                             local.tm_mday,
                             local.tm_hour,
                             local.tm_min,
                             local.tm_sec,
                             0};
  return tryEncodeDateTime(partes, valor) ? valor : 0;
}

}  // namespace

std::string NumeroSerieCertificado(const X509* certificate) {
  const ASN1_INTEGER* serial = X509_get0_serialNumber(certificate);
  return HexUpper(std::string_view(reinterpret_cast<const char*>(ASN1_STRING_get0_data(serial)),
                                   static_cast<std::size_t>(ASN1_STRING_length(serial))));
}

bool MesmoNumeroSerie(std::string_view informado, std::string_view numeroSerie) {
  const auto semZeros = [](std::string_view serial) {
    while (serial.size() > 2 && serial.starts_with("00")) serial.remove_prefix(2);
    return serial;
  };
  return !informado.empty() && semZeros(informado) == semZeros(numeroSerie);
}

void LerDadosCertificado(TDadosCertificado& dados, const X509* certificate) {
  dados.Clear();
  dados.SetNumeroSerie(NumeroSerieCertificado(certificate));

  unsigned char sha1[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(certificate, EVP_sha1(), sha1, &length) != 1)
    throw EDFeException("GetHashSHA1: Erro obtendo \"CERT_HASH_PROP_ID\"");
  dados.SetThumbPrint(HexUpper(std::string_view(reinterpret_cast<char*>(sha1), length)));

  dados.SetSubjectName(NomeX500(X509_get_subject_name(certificate), "GetSubjectName"));
  if (dados.CNPJ().empty()) dados.SetCNPJ(NumeroDoSAN(certificate));
  dados.SetDataVenc(DataVencimento(certificate));
  dados.SetIssuerName(NomeX500(X509_get_issuer_name(certificate), "GetIssuerName"));

  unsigned char* der = nullptr;
  const int size = i2d_X509(certificate, &der);
  if (size > 0) {
    dados.SetDERBase64(Base64Encode(std::string_view(reinterpret_cast<char*>(der), size)));
    OPENSSL_free(der);
  }
}

ConteudoPFX AbrirPFX(std::string_view dados, const std::string& senha) {
  ERR_clear_error();
  const auto* bytes = reinterpret_cast<const unsigned char*>(dados.data());
  Pkcs12Ptr pfx(d2i_PKCS12(nullptr, &bytes, static_cast<long>(dados.size())));
  if (!pfx) {
    ERR_clear_error();
    throw EDFeException("PFXDataToCertContextWinApi: DadosPFX informado não são válidos");
  }
  // An empty password may have been encoded either as no password or as an empty one.
  const char* password = senha.c_str();
  if (PKCS12_verify_mac(pfx.get(), password, static_cast<int>(senha.size())) != 1) {
    if (senha.empty() && PKCS12_verify_mac(pfx.get(), nullptr, 0) == 1) {
      password = nullptr;
    } else {
      ERR_clear_error();
      throw EDFeException("PFXDataToCertContextWinApi: Senha informada está errada");
    }
  }
  EVP_PKEY* key = nullptr;
  X509* cert = nullptr;
  STACK_OF(X509)* chain = nullptr;
  ERR_clear_error();
  const int parsed = PKCS12_parse(pfx.get(), password, &key, &cert, &chain);
  ConteudoPFX conteudo{X509Ptr(cert), EvpPkeyPtr(key)};
  X509StackPtr ownedChain(chain);
  if (parsed != 1)
    throw EDFeException("PFXDataToCertContextWinApi: Falha em \"PFXImportCertStore\" Erro: " +
                        Hex8(ERR_peek_last_error()));
  if (!conteudo.certificate || !conteudo.privateKey ||
      X509_check_private_key(conteudo.certificate.get(), conteudo.privateKey.get()) != 1) {
    ERR_clear_error();
    throw EDFeException(
        "PFXDataToCertContextWinApi: Falha ao localizar o Certificado com a Chave Privada.");
  }
  return conteudo;
}

}  // namespace luvaro
