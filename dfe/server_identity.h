#pragma once

// How the program makes sure it talks to the server it means before a request body leaves:
// the server's certificate chain and host name are verified against the system's roots plus
// the authorities in the application folder's `cadeias/` subfolder. The faults and the texts
// here are shared by every TLS back-end (libcurl with OpenSSL on Linux; the WinHTTP back-end
// maps its chain-status bits onto the same faults), so the user reads the same words.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace luvaro {

// The application folder's subfolder whose PEM files add trusted authorities.
inline constexpr std::string_view kPastaCadeias = "cadeias";

// The environment variable that turns the check off for one installation ("0": off).
inline constexpr const char* kVariavelVerificarServidor = "LUVARO_VERIFICAR_SERVIDOR";

// Why a server's identity could not be confirmed.
enum class ServerIdentityFault {
  UntrustedAuthority,  // the chain ends at no trusted authority (self-signed, unknown issuer)
  Expired,             // a certificate of the chain has expired
  NotYetValid,         // a certificate of the chain is not valid yet
  NameMismatch,        // the certificate names another host
  Revoked,             // a certificate of the chain was revoked
  Invalid,             // anything else the verification refused (the library's detail added)
  AnchorFile,          // a PEM file of cadeias/ cannot be read (its name and detail added)
};

// The reason, in the user's words, to follow "...do servidor <host>: ".
inline std::string MotivoIdentidadeServidor(ServerIdentityFault fault, std::string_view detail) {
  const std::string extra = detail.empty() ? std::string() : " (" + std::string(detail) + ")";
  switch (fault) {
    case ServerIdentityFault::UntrustedAuthority:
      return "o certificado do servidor não foi emitido por uma autoridade confiável" + extra;
    case ServerIdentityFault::Expired:
      return "o certificado do servidor está vencido" + extra;
    case ServerIdentityFault::NotYetValid:
      return "o certificado do servidor ainda não é válido" + extra;
    case ServerIdentityFault::NameMismatch:
      return "o certificado do servidor foi emitido para outro nome" + extra;
    case ServerIdentityFault::Revoked:
      return "o certificado do servidor foi revogado" + extra;
    case ServerIdentityFault::Invalid:
      return "o certificado do servidor não pôde ser verificado" + extra;
    case ServerIdentityFault::AnchorFile:
      return "não foi possível ler as autoridades confiáveis da pasta " +
             std::string(kPastaCadeias) + extra;
  }
  return "falha desconhecida" + extra;
}

// "Não foi possível confirmar a identidade do servidor <host>: <motivo>."
inline std::string MensagemIdentidadeServidor(std::string_view host, std::string_view motivo) {
  return "Não foi possível confirmar a identidade do servidor " + std::string(host) + ": " +
         std::string(motivo) + ".";
}

// The log line every request writes while the check is off.
inline std::string AvisoServidorNaoVerificado(std::string_view host) {
  return "ATENÇÃO: identidade do servidor " + std::string(host) + " não verificada.";
}

// The check as an installation sets it: on unless `valor` (the environment variable's value,
// null when unset) is "0".
inline bool VerificarServidorDoValor(const char* valor) {
  return valor == nullptr || std::string_view(valor) != "0";
}

// What a back-end needs to check a server: whether to check, the folder of extra authorities
// (empty: the system's roots only), and where the warning of an unchecked request goes.
struct ServerIdentityCheck {
  bool verificar = true;
  std::filesystem::path pastaCadeias;
  std::function<void(const std::string&)> aviso;
};

}  // namespace luvaro
