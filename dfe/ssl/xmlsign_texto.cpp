// Text-level steps of signing and verification: declarations, line breaks, the identifier,
// the signature template and the algorithm names.

#include <string>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/xmlsign_int.h"
#include "dfe/xml/texto.h"

namespace luvaro {

namespace {

constexpr std::string_view kXmlDsigMore = "http://www.w3.org/2001/04/xmldsig-more#";
constexpr std::string_view kXmlEnc = "http://www.w3.org/2001/04/xmlenc#";
constexpr std::string_view kC14N = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";

}  // namespace

void RemoverQuebrasDeLinha(std::string& texto) {
  std::erase_if(texto, [](char c) { return c == '\r' || c == '\n'; });
}

std::string_view SemPrefixo(std::string_view nome) {
  const std::size_t doisPontos = nome.find(':');
  return doisPontos == std::string_view::npos ? nome : nome.substr(doisPontos + 1);
}

// The value must open with a double quote right after "=": taking the next double quote
// anywhere further on would name the value of some other attribute as the signed element.
std::string ExtrairURI(std::string_view xml, std::string_view IdAttr) {
  const std::string marca = std::string(IdAttr.empty() ? "Id" : IdAttr) + "=";
  const std::size_t pos = xml.find(marca);
  if (pos == std::string_view::npos) return {};
  const std::size_t abre = pos + marca.size();
  if (abre >= xml.size() || xml[abre] != '"')
    throw EDFeException("Não encontrei inicio do URI: aspas inicial");
  const std::size_t fecha = xml.find('"', abre + 1);
  if (fecha == std::string_view::npos)
    throw EDFeException("Não encontrei inicio do URI: aspas final");
  return std::string(xml.substr(abre + 1, fecha - abre - 1));
}

std::string MontarTemplateAssinatura(std::string_view URI, std::string_view IdSignature,
                                     TSSLDgst Digest) {
  std::string metodoAssinatura;
  std::string metodoDigest;
  switch (Digest) {
    case TSSLDgst::dgstSHA256:
      metodoAssinatura = std::string(kXmlDsigMore) + "rsa-sha256";
      metodoDigest = std::string(kXmlEnc) + "sha256";
      break;
    case TSSLDgst::dgstSHA512:
      metodoAssinatura = std::string(kXmlDsigMore) + "rsa-sha512";
      metodoDigest = std::string(kXmlEnc) + "sha512";
      break;
    default:
      metodoAssinatura = std::string(kNamespaceXmlDsig) + "rsa-sha1";
      metodoDigest = std::string(kNamespaceXmlDsig) + "sha1";
      break;
  }
  const std::string referencia = URI.empty() ? std::string() : "#" + std::string(URI);

  std::string modelo;
  modelo.reserve(1024);
  modelo += "<Signature xmlns=\"";
  modelo += kNamespaceXmlDsig;
  modelo += "\"";
  modelo += IdSignature;
  modelo += "><SignedInfo><CanonicalizationMethod Algorithm=\"";
  modelo += kC14N;
  modelo += "\"/><SignatureMethod Algorithm=\"" + metodoAssinatura + "\"/>";
  modelo += "<Reference URI=\"" + referencia + "\"><Transforms><Transform Algorithm=\"";
  modelo += kNamespaceXmlDsig;
  modelo += "enveloped-signature\"/><Transform Algorithm=\"";
  modelo += kC14N;
  modelo += "\"/></Transforms><DigestMethod Algorithm=\"" + metodoDigest + "\"/>";
  modelo += "<DigestValue></DigestValue></Reference></SignedInfo>";
  modelo += "<SignatureValue></SignatureValue>";
  modelo += "<KeyInfo><X509Data><X509Certificate></X509Certificate></X509Data></KeyInfo>";
  modelo += "</Signature>";
  return modelo;
}

TSSLDgst DigestDaAssinatura(std::string_view algoritmo) {
  std::string valor;
  for (const std::string_view prefixo : {std::string_view(kNamespaceXmlDsig), kXmlDsigMore}) {
    if (algoritmo.substr(0, prefixo.size()) == prefixo) {
      valor = lowerAscii(algoritmo.substr(prefixo.size()));
      break;
    }
  }
  if (valor.empty())
    throw EDFeException("Não foi possivel recuperar o \"Digest Algorithm\" do XML");
  if (valor == "rsa-sha1") return TSSLDgst::dgstSHA1;
  if (valor == "rsa-sha256") return TSSLDgst::dgstSHA256;
  if (valor == "rsa-sha512") return TSSLDgst::dgstSHA512;
  throw EDFeException("Digest Algorithm, \"" + valor + "\" não suportado");
}

std::string TextoEntre(std::string_view texto, std::string_view inicio, std::string_view fim) {
  const std::size_t a = texto.find(inicio);
  if (a == std::string_view::npos) return {};
  const std::size_t b = texto.find(fim, a + inicio.size());
  if (b == std::string_view::npos) return {};
  return std::string(texto.substr(a + inicio.size(), b - a - inicio.size()));
}

}  // namespace luvaro
