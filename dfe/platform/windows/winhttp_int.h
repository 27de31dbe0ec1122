#pragma once

// Private to dfe/platform/windows: what the two WinHTTP clients share (the SOAP transport of
// TDFeSSL and the program's own exchanges of dfe/http_transfer.h): the parts of a URL, the
// error texts, and the server's identity (WinHTTP's own checks against the Windows store plus
// the authorities of the application folder's cadeias/).

#include <filesystem>
#include <optional>
#include <string>

#include "dfe/dfe_exception.h"
#include "dfe/platform/windows/windows_int.h"
#include "dfe/server_identity.h"

namespace luvaro {

// An http or https URL as WinHTTP takes it.
struct PartesUrl {
  std::wstring host;
  std::wstring path;  // query included; "/" when empty
  INTERNET_PORT port = 0;
  bool https = false;
  bool portaPadrao = true;
};

// The parts of `url` (http when it names no scheme); nothing when WinHTTP cannot read it.
std::optional<PartesUrl> DividirUrl(const std::string& url);

// "Erro: <code> - <text>" with the system's text from WinHTTP's message table as the detail.
std::string TextoErroWinHttp(DWORD code);

// What the check refused, and the system's words or the file's name.
struct FalhaIdentidade {
  ServerIdentityFault fault = ServerIdentityFault::Invalid;
  std::string detail;

  std::string Motivo() const { return MotivoIdentidadeServidor(fault, detail); }
};

// The WinHTTP code of the same meaning as a refused server's fault (12045, 12037, 12038, 12170,
// else 12169), for the failure reporting.
DWORD CodigoWinHttpDe(ServerIdentityFault fault) noexcept;

// How one request checks its server, as `check` says. With the check on, WinHTTP keeps its own
// checks of dates and host name; it is told to let an unknown root through, and Confirmar,
// called after the handshake and before any body byte leaves, accepts the server only when its
// chain ends at a root the Windows store trusts or at one of the authorities of cadeias/ (and
// judges dates and host name again). With the check off, every certificate fault is ignored (the
// caller logs the warning).
class IdentidadeServidor {
 public:
  // Reads the authorities of check.pastaCadeias (every "*.pem", any letter case; a missing
  // folder holds none). A file that cannot be read, or holds no certificate, fails with
  // AnchorFile naming it: FalhaLeitura() then tells it, and every request must stop.
  explicit IdentidadeServidor(const ServerIdentityCheck& check);

  const std::optional<FalhaIdentidade>& FalhaLeitura() const noexcept { return m_falhaLeitura; }

  // Reads and extends the request's security flags; before WinHttpSendRequest. The failed
  // step's text ("Falha lendo WINHTTP_OPTION_SECURITY_FLAGS. Erro:", "Falha ajustando ...")
  // when WinHTTP refuses, else null.
  const char* Preparar(HINTERNET request) const;

  // The fault of a server whose chain reaches none of the trusted roots; nothing when it is
  // accepted. After WinHttpSendRequest (the handshake), before WinHttpWriteData.
  std::optional<FalhaIdentidade> Confirmar(HINTERNET request, const std::wstring& host) const;

  // The fault behind a failed WinHttpSendRequest when WinHTTP's own check refused the server
  // (`flags`: the WINHTTP_CALLBACK_STATUS_FLAG_* bits a secure-failure notice gave, if any);
  // nothing for any other failure or with the check off.
  std::optional<FalhaIdentidade> FalhaDoEnvio(DWORD erro, DWORD flags) const;

 private:
  bool m_verificar = true;
  CertStorePtr m_autoridades;  // memory store of cadeias/ (possibly empty); null: check off
  std::optional<FalhaIdentidade> m_falhaLeitura;
};

// Registers the callback that keeps the bits of WinHTTP's secure-failure notice in *flags (the
// reason behind 12175 on Windows); the request's context value is set to `flags`.
void ObservarFalhaSegura(HINTERNET request, DWORD* flags);

}  // namespace luvaro
