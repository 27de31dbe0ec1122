// The system HTTP back-end on WinHTTP: one POST per request, presenting the loaded certificate
// context; failures carry WinHTTP's own codes. All handles live for one request only. The
// server's identity is checked as on Linux (winhttp_int.h): WinHTTP's own checks against the
// Windows store plus the authorities of cadeias/, before the body leaves.

#include "dfe/ssl/http_winhttp.h"

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "dfe/platform/windows/cert_context_int.h"
#include "dfe/platform/windows/winhttp_int.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/http_exception.h"
#include "dfe/ssl/http_textos.h"
#include "dfe/xml/texto.h"

namespace luvaro {

namespace {

constexpr const wchar_t* kUserAgent = L"Luvaro/1.0";
constexpr const char* kAbortedText = "Conexão foi abortada";

// A failed step of one request: its WinHTTP code and its text, the cause the user reads.
class RequestFailure : public std::runtime_error {
 public:
  RequestFailure(int code, const std::string& text) : std::runtime_error(text), m_code(code) {}
  int code() const noexcept { return m_code; }

 private:
  int m_code;
};

// A server whose identity could not be confirmed: the message Linux gives, WinHTTP's code.
[[noreturn]] void FalhaIdentidadeServidor(const PartesUrl& url, const FalhaIdentidade& falha) {
  throw RequestFailure(static_cast<int>(CodigoWinHttpDe(falha.fault)),
                       MensagemIdentidadeServidor(Utf8(url.host), falha.Motivo()));
}

[[noreturn]] void Falha(const std::string& passo) {
  const DWORD code = GetLastError();
  throw RequestFailure(static_cast<int>(code), passo + TextoErroWinHttp(code));
}

// The protocols a choice enables. Everything from TLS 1.2 on for LT_all: older versions reach
// no government service today.
DWORD ProtocolosDe(TSSLType type) {
  switch (type) {
    case TSSLType::LT_SSLv2:
      return WINHTTP_FLAG_SECURE_PROTOCOL_SSL2;
    case TSSLType::LT_SSLv3:
      return WINHTTP_FLAG_SECURE_PROTOCOL_SSL3;
    case TSSLType::LT_TLSv1:
      return WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
    case TSSLType::LT_TLSv1_1:
      return WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1;
    case TSSLType::LT_TLSv1_2:
      return WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    case TSSLType::LT_all:
    case TSSLType::LT_SSHv2:
      break;
  }
  return WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
}

// The request's own header lines, each ending in CR LF.
std::wstring Cabecalhos(const PartesUrl& url, const std::string& mimeType,
                        const std::string& charsets, const std::string& soapAction) {
  std::string linhas = "Host: " + Utf8(url.host);
  if (!url.portaPadrao) linhas += ":" + std::to_string(url.port);
  linhas += "\r\n";
  // A MIME type that already names its charset keeps it, so the header never carries two.
  if (lowerAscii(mimeType).find("charset=") != std::string::npos)
    linhas += "Content-Type: " + mimeType + "\r\n";
  else
    linhas += "Content-Type: " + mimeType + "; charset=" + charsets + "\r\n";
  linhas += "Accept-Charset: " + charsets + "\r\n";
  if (!soapAction.empty()) linhas += "SOAPAction: \"" + soapAction + "\"\r\n";
  return Utf16(linhas);
}

// The current user's manual proxy of the system's Internet options, if any.
std::string ProxyDoUsuario() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return {};
  std::string proxy = config.lpszProxy != nullptr ? Utf8(config.lpszProxy) : std::string();
  for (LPWSTR text : {config.lpszAutoConfigUrl, config.lpszProxy, config.lpszProxyBypass})
    if (text != nullptr) GlobalFree(text);
  return proxy;
}

}  // namespace

struct TDFeHttpWinHttp::Impl {
  // --- the request object's properties
  const CertContext* certContext = nullptr;  // borrowed from the crypto back-end
  std::string SOAPAction;
  std::string MimeType = "application/soap+xml";
  std::string Charsets = "utf-8";
  std::string Url;
  bool Get = false;  // a GET instead of the POST of the body
  std::string ProxyHost, ProxyPort, ProxyUser, ProxyPass;
  int TimeOut = 0;
  TSSLType SSLType = TSSLType::LT_all;
  int HTTPResultCode = 0;
  int InternalErrorCode = 0;
  bool VerificarServidor = true;
  std::filesystem::path PastaCadeias;

  // The handles of the request in progress. Abortar closes the root handle from another
  // thread, which makes a call in progress fail; so the handles are closed under the mutex and
  // only once.
  std::mutex handlesMutex;
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  std::atomic<bool> abortRequested{false};

  std::string Execute(const std::string& data);
  void Abort();

 private:
  void Step(HINTERNET handle, const char* passo);
  void CloseHandles() noexcept;
};

void TDFeHttpWinHttp::Impl::CloseHandles() noexcept {
  std::lock_guard lock(handlesMutex);
  for (HINTERNET* handle : {&request, &connection, &session}) {
    if (*handle != nullptr) WinHttpCloseHandle(*handle);
    *handle = nullptr;
  }
}

void TDFeHttpWinHttp::Impl::Abort() {
  abortRequested = true;
  CloseHandles();
}

// Checks a step's handle; an abort in between is reported as such.
void TDFeHttpWinHttp::Impl::Step(HINTERNET handle, const char* passo) {
  if (abortRequested.exchange(false))
    throw RequestFailure(ERROR_WINHTTP_OPERATION_CANCELLED, kAbortedText);
  if (handle == nullptr) Falha(passo);
}

std::string TDFeHttpWinHttp::Impl::Execute(const std::string& data) {
  HTTPResultCode = 0;
  InternalErrorCode = 0;
  struct Closer {
    Impl* impl;
    ~Closer() { impl->CloseHandles(); }
  } closer{this};

  const std::optional<PartesUrl> url = DividirUrl(Url);
  if (!url)
    throw RequestFailure(ERROR_WINHTTP_INVALID_URL,
                         "Falha ao conectar no Host. Erro:" + TextoErroWinHttp(ERROR_WINHTTP_INVALID_URL));
  // The client certificate goes only to https servers.
  const CertContext* cert = url->https ? certContext : nullptr;
  std::optional<IdentidadeServidor> identidade;
  if (url->https) {
    identidade.emplace(ServerIdentityCheck{VerificarServidor, PastaCadeias, {}});
    if (const auto& falha = identidade->FalhaLeitura()) FalhaIdentidadeServidor(*url, *falha);
  }

  std::string proxyHost = ProxyHost.empty() ? ProxyDoUsuario() : ProxyHost;
  {
    std::lock_guard lock(handlesMutex);
    if (!proxyHost.empty()) {
      if (!ProxyHost.empty() && !ProxyPort.empty() && ProxyPort != "0")
        proxyHost += ":" + ProxyPort;
      const std::wstring proxy = Utf16(proxyHost);
      session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                            WINHTTP_NO_PROXY_BYPASS, 0);
    } else {
      session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
    }
  }
  if (session == nullptr) Falha("Falha abrindo HTTP ou Proxy. Erro:");
  if (TimeOut > 0 && !WinHttpSetTimeouts(session, TimeOut, TimeOut, TimeOut, TimeOut))
    Falha("Falha ajustando Timeouts. Erro:");
  if (url->https) {
    DWORD protocolos = ProtocolosDe(SSLType);
    if (!WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocolos, sizeof protocolos))
      Falha("Falha ajustando WINHTTP_OPTION_SECURE_PROTOCOLS. Erro:");
  }

  {
    std::lock_guard lock(handlesMutex);
    if (session != nullptr) connection = WinHttpConnect(session, url->host.c_str(), url->port, 0);
  }
  Step(connection, "Falha ao conectar no Host. Erro:");
  {
    std::lock_guard lock(handlesMutex);
    if (connection != nullptr)
      request = WinHttpOpenRequest(connection, Get ? L"GET" : L"POST", url->path.c_str(), nullptr,
                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                   url->https ? WINHTTP_FLAG_SECURE : 0);
  }
  Step(request,
       Get ? "Falha ao fazer requisição GET. Erro:" : "Falha ao fazer requisição POST. Erro:");

  // A redirected request is not followed: its status is the answer. The connection is not
  // kept: every request has a session of its own, and a pooled connection (Wine pools them
  // across sessions) could carry another request's client certificate.
  DWORD desligar = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE;
  WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &desligar, sizeof desligar);
  if (cert != nullptr &&
      !WinHttpSetOption(request, WINHTTP_OPTION_CLIENT_CERT_CONTEXT,
                        const_cast<CERT_CONTEXT*>(cert->certificate.get()), sizeof(CERT_CONTEXT)))
    Falha("Falha ajustando WINHTTP_OPTION_CLIENT_CERT_CONTEXT. Erro:");
  if (!ProxyHost.empty() && !ProxyUser.empty()) {
    const std::wstring user = Utf16(ProxyUser);
    const std::wstring pass = Utf16(ProxyPass);
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(user.c_str()),
                     static_cast<DWORD>(user.size()));
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY_PASSWORD, const_cast<wchar_t*>(pass.c_str()),
                     static_cast<DWORD>(pass.size()));
  }

  DWORD falhaSegura = 0;
  if (identidade) {
    if (const char* passo = identidade->Preparar(request)) Falha(passo);
    ObservarFalhaSegura(request, &falhaSegura);
  }

  const std::wstring headers = Cabecalhos(*url, MimeType, Charsets, SOAPAction);
  Step(request, "");
  if (!WinHttpSendRequest(request, headers.c_str(), static_cast<DWORD>(headers.size()),
                          WINHTTP_NO_REQUEST_DATA, 0, static_cast<DWORD>(data.size()), 0)) {
    const DWORD erro = GetLastError();
    if (identidade)
      if (const auto falha = identidade->FalhaDoEnvio(erro, falhaSegura))
        FalhaIdentidadeServidor(*url, *falha);
    SetLastError(erro);
    Falha("Falha no Envio da Requisição.\r\n");
  }
  // The server's identity is settled after the handshake, before a body byte leaves.
  if (identidade)
    if (const auto falha = identidade->Confirmar(request, url->host))
      FalhaIdentidadeServidor(*url, *falha);
  for (std::size_t at = 0; at < data.size();) {
    DWORD written = 0;
    if (!WinHttpWriteData(request, data.data() + at, static_cast<DWORD>(data.size() - at),
                          &written))
      Falha("Falha Enviando Dados. Erro:");
    at += written;
  }
  Step(request, "");
  if (!WinHttpReceiveResponse(request, nullptr)) Falha("Falha Recebendo Dados. Erro:");

  std::string reply;
  for (;;) {
    char buffer[16384];
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer, sizeof buffer, &read)) Falha("Falha Lendo dados. Erro:");
    if (read == 0) break;
    reply.append(buffer, read);
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    HTTPResultCode = static_cast<int>(status);
  return reply;
}

// --- the back-end

TDFeHttpWinHttp::TDFeHttpWinHttp(TDFeSSL& AOwner)
    : TDFeSSLHttpClass(AOwner), FImpl(std::make_unique<Impl>()) {}

TDFeHttpWinHttp::~TDFeHttpWinHttp() = default;

int TDFeHttpWinHttp::GetHTTPResultCode() {
  return FImpl->HTTPResultCode;
}

int TDFeHttpWinHttp::GetInternalErrorCode() {
  return FImpl->InternalErrorCode;
}

void TDFeHttpWinHttp::ConfigurarHTTP(const std::string& AURL, const std::string& ASoapAction,
                                     const std::string& AMimeType) {
  FImpl->certContext = FpDFeSSL.UseCertificateHTTP() ? FpDFeSSL.CertContextWinApi() : nullptr;
  FImpl->SSLType = FpDFeSSL.SSLType();
  FImpl->ProxyHost = FpDFeSSL.ProxyHost();
  FImpl->ProxyPort = FpDFeSSL.ProxyPort();
  FImpl->ProxyUser = FpDFeSSL.ProxyUser();
  FImpl->ProxyPass = FpDFeSSL.ProxyPass();
  FImpl->TimeOut = FpDFeSSL.TimeOut();
  FImpl->VerificarServidor = FpDFeSSL.VerificarServidor();
  FImpl->PastaCadeias = FpDFeSSL.PastaCadeias();
  FImpl->Url = AURL;
  FImpl->SOAPAction = ASoapAction;
  if (!AMimeType.empty()) FImpl->MimeType = AMimeType;
}

std::string TDFeHttpWinHttp::Enviar(const std::string& ConteudoXML, const std::string& AURL,
                                    const std::string& ASoapAction, const std::string& AMimeType) {
  return Requisitar("POST", ConteudoXML, AURL, ASoapAction, AMimeType);
}

std::string TDFeHttpWinHttp::Obter(const std::string& AURL, const std::string& AMimeType) {
  return Requisitar("GET", {}, AURL, {}, AMimeType);
}

std::string TDFeHttpWinHttp::Requisitar(const char* AMetodo, const std::string& Corpo,
                                        const std::string& AURL, const std::string& ASoapAction,
                                        const std::string& AMimeType) {
  ConfigurarHTTP(AURL, ASoapAction, AMimeType);
  if (!FImpl->VerificarServidor) {
    // The choice is never silent: every request to a server left unchecked says so.
    if (const auto url = DividirUrl(AURL); url && url->https)
      FpDFeSSL.Avisar(AvisoServidorNaoVerificado(Utf8(url->host)));
  }
  FImpl->Get = std::string_view(AMetodo) == "GET";
  std::string reply;
  try {
    reply = FImpl->Execute(Corpo);
  } catch (const RequestFailure& failure) {
    // A call broken by Abortar fails on its closed handle: the abort is the cause.
    if (FImpl->abortRequested.exchange(false)) {
      FImpl->InternalErrorCode = ERROR_WINHTTP_OPERATION_CANCELLED;
      throw EDFeHttpException(ERROR_WINHTTP_OPERATION_CANCELLED, 0, AURL, kAbortedText);
    }
    FImpl->InternalErrorCode = failure.code();
    throw EDFeHttpException(failure.code(), FImpl->HTTPResultCode, AURL, failure.what());
  } catch (const std::exception& failure) {
    throw EDFeHttpException(FImpl->InternalErrorCode, FImpl->HTTPResultCode, AURL, failure.what());
  }
  const int status = FImpl->HTTPResultCode;
  if (status < 200 || status > 202) {
    // The reply to a failing status is no part of the message; the failure keeps it.
    throw EDFeHttpException(FImpl->InternalErrorCode, status, AURL, "", std::move(reply));
  }
  return reply;
}

void TDFeHttpWinHttp::Abortar() {
  FImpl->Abort();
}

}  // namespace luvaro
