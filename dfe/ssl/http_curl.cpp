// The system HTTP back-end on libcurl with OpenSSL: one POST per request, presenting the loaded
// certificate with its token key, every failure turned into the WinHTTP code of the same
// meaning. The curl handles live as long as the back-end, so connections and TLS sessions are
// reused and a token signs one handshake per host instead of one per request.

#include "dfe/ssl/http_winhttp.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "dfe/raii/curl_server_identity.h"
#include "dfe/raii/openssl.h"
#include "dfe/ssl/cert_context_int.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/http_curl_int.h"
#include "dfe/ssl/http_exception.h"

namespace luvaro {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kUserAgent = "Luvaro/1.0";
// Time limits when no TimeOut is given: those of the system's HTTP stack.
constexpr milliseconds kDefaultConnectTimeout{60000};
constexpr milliseconds kDefaultIdleTimeout{30000};
// Longest single wait for network activity; the loop re-checks the limits after each.
constexpr milliseconds kLongestPoll{1000};

constexpr const char* kAbortedText = "Conexão foi abortada";

// A failed step of one request: its internal code and its text, the cause the user reads.
class RequestFailure : public std::runtime_error {
 public:
  RequestFailure(int code, const std::string& text) : std::runtime_error(text), m_code(code) {}
  int code() const noexcept { return m_code; }

 private:
  int m_code;
};

const char* protocolName(TSSLType type) {
  return type == TSSLType::LT_SSLv2 ? "SSL 2.0" : "SSL 3.0";
}

// Identifies a client certificate, so that a connection made with another one is not reused.
std::string certificateIdentity(const CertContext* cert) {
  if (cert == nullptr || !cert->certificate) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(cert->certificate.get(), EVP_sha256(), digest, &length) != 1) {
    ERR_clear_error();
    return "?";
  }
  return std::string(reinterpret_cast<const char*>(digest), length);
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

  // --- kept for the life of the back-end
  std::mutex handlesMutex;  // guards `multi` against Abortar from another thread
  CurlMultiPtr multi;       // declared before `easy`: the easy handle goes first
  CurlEasyPtr easy;
  // The client certificate and the server checks the kept connections were made with.
  std::string connectionIdentity;
  // The authorities of PastaCadeias, read on the first request that verifies a server, and
  // the folder they were read from.
  std::optional<TrustAnchors> anchors;
  std::filesystem::path anchorsFolder;
  std::atomic<bool> abortRequested{false};

  // --- the request in progress (requesting thread only)
  const CertContext* presented = nullptr;  // the certificate this request presents
  const TrustAnchors* trusted = nullptr;   // the authorities this request adds; null: none
  std::string host;                        // the server's host, for the identity message
  std::string reply;
  CurlSlistPtr headers;
  TlsHandshakeTrace trace;
  bool headerReceived = false;
  bool connected = false;
  curl_off_t uploaded = 0;
  curl_off_t downloaded = 0;
  Clock::time_point lastActivity;
  std::string tlsSetupError;
  std::string anchorError;
  std::exception_ptr callbackError;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  std::string Execute(const std::string& data);

 private:
  void PrepareHandles(const std::string& identity);
  void SetOptions(const UrlParts& url, const std::string& data, long sslVersion);
  CURLcode Perform(milliseconds idleLimit);
  void ThrowIfAborted();
  const TrustAnchors& Anchors();
  [[noreturn]] void FailIdentity(const ServerIdentityFailure& failure);
  [[noreturn]] void Fail(CURLcode result, const std::string& data);

  static CURLcode SslContextCallback(CURL*, void* sslContext, void* self) noexcept;
  static void TlsMessageCallback(int writing, int, int contentType, const void* buffer,
                                 size_t length, SSL*, void* self) noexcept;
  static size_t WriteCallback(char* data, size_t size, size_t count, void* self) noexcept;
  static size_t HeaderCallback(char* data, size_t size, size_t count, void* self) noexcept;
  static int ProgressCallback(void* self, curl_off_t, curl_off_t downloadNow, curl_off_t,
                              curl_off_t uploadNow) noexcept;
};

void TDFeHttpWinHttp::Impl::ThrowIfAborted() {
  // An abort is consumed by the request it breaks.
  if (abortRequested.exchange(false)) {
    throw RequestFailure(winhttp::kOperationCancelled, kAbortedText);
  }
}

const TrustAnchors& TDFeHttpWinHttp::Impl::Anchors() {
  if (!anchors || anchorsFolder != PastaCadeias) {
    anchors.reset();
    try {
      anchors = TrustAnchors::FromFolder(PastaCadeias);
    } catch (const EServerIdentity& failure) {
      FailIdentity(failure.Failure());
    }
    anchorsFolder = PastaCadeias;
  }
  return *anchors;
}

void TDFeHttpWinHttp::Impl::FailIdentity(const ServerIdentityFailure& failure) {
  InternalErrorCode = winHttpCodeFor(failure.fault);
  throw RequestFailure(InternalErrorCode, MensagemIdentidadeServidor(host, failure.Motivo()));
}

void TDFeHttpWinHttp::Impl::PrepareHandles(const std::string& identity) {
  std::lock_guard lock(handlesMutex);
  if (multi && easy && identity == connectionIdentity) return;
  easy.reset();
  multi.reset();
  multi.reset(curl_multi_init());
  easy.reset(curl_easy_init());
  if (!multi || !easy) {
    throw RequestFailure(
        winhttp::kNotEnoughMemory,
        "Falha abrindo HTTP ou Proxy. Erro:" +
            MensagemErroHttp(winhttp::kNotEnoughMemory, curl_easy_strerror(CURLE_FAILED_INIT)));
  }
  connectionIdentity = identity;
}

void TDFeHttpWinHttp::Impl::SetOptions(const UrlParts& url, const std::string& data,
                                       long sslVersion) {
  CURL* h = easy.get();
  CurlSlistPtr list;
  for (const auto& line : requestHeaderLines(url, MimeType, Charsets, SOAPAction)) {
    AppendCurlHeader(list, line.c_str());
  }
  // Headers curl would add on its own, which the services never saw.
  AppendCurlHeader(list, "Accept:");
  AppendCurlHeader(list, "Expect:");
  headers = std::move(list);

  const milliseconds connectLimit = TimeOut > 0 ? milliseconds(TimeOut) : kDefaultConnectTimeout;
  curl_easy_setopt(h, CURLOPT_URL, url.full.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  if (Get) {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, data.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(data.size()));
  }
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectLimit.count()));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteCallback);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &HeaderCallback);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ProgressCallback);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);

  // The server's chain and host name are verified during the handshake, before any byte of
  // the request leaves, against the system's roots plus the authorities of PastaCadeias.
  SetServerVerification(h, VerificarServidor);
  curl_easy_setopt(h, CURLOPT_SSLVERSION, sslVersion);
  curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, &SslContextCallback);
  curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, this);

  // A named proxy with no bypass list; without one, the environment's (https_proxy, no_proxy).
  if (!ProxyHost.empty()) {
    const std::string proxy =
        ProxyPort.empty() || ProxyPort == "0" ? ProxyHost : ProxyHost + ":" + ProxyPort;
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, ProxyUser.empty() ? nullptr : ProxyUser.c_str());
    curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, ProxyPass.empty() ? nullptr : ProxyPass.c_str());
    curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
  } else {
    curl_easy_setopt(h, CURLOPT_PROXY, nullptr);
    curl_easy_setopt(h, CURLOPT_NOPROXY, nullptr);
    curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, nullptr);
    curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, nullptr);
  }
}

std::string TDFeHttpWinHttp::Impl::Execute(const std::string& data) {
  HTTPResultCode = 0;
  InternalErrorCode = 0;
  reply.clear();
  trace = {};
  headerReceived = false;
  connected = false;
  uploaded = downloaded = 0;
  tlsSetupError.clear();
  anchorError.clear();
  callbackError = nullptr;
  errorBuffer[0] = '\0';

  const auto url = splitUrl(Url);
  if (!url) {
    throw RequestFailure(winhttp::kInvalidUrl,
                         "Falha ao conectar no Host. Erro:" +
                             MensagemErroHttp(winhttp::kInvalidUrl, "URL inválida: " + Url));
  }
  host = url->host;
  // The client certificate goes only to https servers.
  const CertContext* cert = url->https ? certContext : nullptr;
  trusted = url->https && VerificarServidor ? &Anchors() : nullptr;
  PrepareHandles(certificateIdentity(cert) + (VerificarServidor ? "|v|" : "|n|") +
                 PastaCadeias.string());
  ThrowIfAborted();

  long sslVersion = CURL_SSLVERSION_DEFAULT;
  if (url->https) {
    const auto version = curlSslVersionFor(SSLType);
    if (!version) {
      throw RequestFailure(
          winhttp::kInvalidParameter,
          "Falha ajustando WINHTTP_OPTION_SECURE_PROTOCOLS. Erro:" +
              MensagemErroHttp(winhttp::kInvalidParameter,
                               std::string(protocolName(SSLType)) +
                                   " não é oferecido pela biblioteca TLS deste sistema"));
    }
    sslVersion = *version;
  }
  presented = cert;
  trace.clientCertificate = cert != nullptr;
  trace.clientKeyMissing = cert != nullptr && !cert->privateKey;
  SetOptions(*url, data, sslVersion);
  const CURLcode result = Perform(TimeOut > 0 ? milliseconds(TimeOut) : kDefaultIdleTimeout);

  if (callbackError) std::rethrow_exception(callbackError);
  if (result != CURLE_OK) Fail(result, data);
  // The status is recorded once the whole reply is in.
  long status = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
  HTTPResultCode = static_cast<int>(status);
  return std::move(reply);
}

CURLcode TDFeHttpWinHttp::Impl::Perform(milliseconds idleLimit) {
  CURLM* m = multi.get();
  CURL* h = easy.get();
  if (curl_multi_add_handle(m, h) != CURLM_OK) return CURLE_FAILED_INIT;
  lastActivity = Clock::now();
  CURLcode result = CURLE_OK;
  bool done = false;
  while (!done) {
    int running = 0;
    if (curl_multi_perform(m, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == h) {
        result = message->data.result;
        done = true;
      }
    }
    if (done) break;
    if (abortRequested) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    // Until the connection stands, curl's connect limit rules; after that, each phase may wait
    // for the server up to the limit.
    if (!connected) {
      curl_off_t pretransfer = 0;
      curl_easy_getinfo(h, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
      if (pretransfer > 0) {
        connected = true;
        lastActivity = Clock::now();
      }
    }
    const auto now = Clock::now();
    if (connected && now - lastActivity >= idleLimit) {
      result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    auto wait = kLongestPoll;
    if (connected) {
      wait =
          std::min(wait, std::chrono::duration_cast<milliseconds>(lastActivity + idleLimit - now) +
                             milliseconds(1));
    }
    curl_multi_poll(m, nullptr, 0, static_cast<int>(wait.count()), nullptr);
  }
  // Removing an unfinished transfer ends it and closes its connection.
  curl_multi_remove_handle(m, h);
  return result;
}

void TDFeHttpWinHttp::Impl::Fail(CURLcode result, const std::string& data) {
  if (result == CURLE_ABORTED_BY_CALLBACK && abortRequested.exchange(false)) {
    InternalErrorCode = winhttp::kOperationCancelled;
    throw RequestFailure(InternalErrorCode, kAbortedText);
  }
  if (VerificarServidor) {
    if (!anchorError.empty()) FailIdentity({ServerIdentityFault::AnchorFile, anchorError});
    if (auto identity = ServerIdentityFailureOf(easy.get(), result, errorBuffer)) {
      FailIdentity(*identity);
    }
  }
  InternalErrorCode = winHttpCodeFor(result, trace);
  if (!tlsSetupError.empty()) {
    throw RequestFailure(InternalErrorCode,
                         "Falha ajustando WINHTTP_OPTION_CLIENT_CERT_CONTEXT. Erro:" +
                             MensagemErroHttp(InternalErrorCode, tlsSetupError));
  }
  const std::string detail = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(result);
  const std::string text = MensagemErroHttp(InternalErrorCode, detail);
  curl_off_t pretransfer = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
  // A refused or failing client certificate belongs to the sending of the request, also when
  // TLS 1.3 lets the refusal arrive after the handshake.
  const bool certificateFailure = trace.serverAlert ||
                                  InternalErrorCode == winhttp::kClientAuthCertNeeded ||
                                  InternalErrorCode == winhttp::kClientCertNoPrivateKey ||
                                  InternalErrorCode == winhttp::kClientCertNoAccessKey;
  if (certificateFailure || (pretransfer == 0 && uploaded == 0 && !headerReceived)) {
    throw RequestFailure(InternalErrorCode, "Falha no Envio da Requisição.\r\n" + text);
  }
  if (headerReceived) throw RequestFailure(InternalErrorCode, "Falha Lendo dados. Erro:" + text);
  if (uploaded < static_cast<curl_off_t>(data.size())) {
    throw RequestFailure(InternalErrorCode, "Falha Enviando Dados. Erro:" + text);
  }
  throw RequestFailure(InternalErrorCode, "Falha Recebendo Dados. Erro:" + text);
}

CURLcode TDFeHttpWinHttp::Impl::SslContextCallback(CURL*, void* sslContext, void* self) noexcept {
  auto* impl = static_cast<Impl*>(self);
  auto* context = static_cast<SSL_CTX*>(sslContext);
  SSL_CTX_set_msg_callback(context, &TlsMessageCallback);
  SSL_CTX_set_msg_callback_arg(context, impl);
  if (impl->trusted != nullptr && (!impl->trusted->AddTo(context, impl->anchorError) ||
                                   !RequireHost(context, impl->host, impl->anchorError))) {
    return CURLE_SSL_CACERT_BADFILE;
  }
  const CertContext* cert = impl->presented;
  if (cert == nullptr) return CURLE_OK;
  ERR_clear_error();
  if (SSL_CTX_use_certificate(context, cert->certificate.get()) != 1) {
    impl->tlsSetupError = "SSL_CTX_use_certificate: " + OpenSslErrors();
    return CURLE_SSL_CERTPROBLEM;
  }
  // Without a key the certificate cannot be used; the server's refusal tells the rest.
  if (cert->privateKey && SSL_CTX_use_PrivateKey(context, cert->privateKey.get()) != 1) {
    impl->tlsSetupError = "SSL_CTX_use_PrivateKey: " + OpenSslErrors();
    return CURLE_SSL_CERTPROBLEM;
  }
  return CURLE_OK;
}

void TDFeHttpWinHttp::Impl::TlsMessageCallback(int writing, int, int contentType,
                                               const void* buffer, size_t length, SSL*,
                                               void* self) noexcept {
  auto* impl = static_cast<Impl*>(self);
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  if (length == 0) return;
  if (contentType == SSL3_RT_HANDSHAKE) {
    if (!writing && bytes[0] == SSL3_MT_CERTIFICATE_REQUEST)
      impl->trace.certificateRequested = true;
    if (writing && bytes[0] == SSL3_MT_CERTIFICATE_VERIFY) impl->trace.certificateVerifySent = true;
  } else if (contentType == SSL3_RT_ALERT && !writing && length >= 2) {
    const unsigned char description = bytes[1];
    if (description != SSL3_AD_CLOSE_NOTIFY && description != SSL_AD_USER_CANCELLED) {
      impl->trace.serverAlert = true;
    }
  }
}

size_t TDFeHttpWinHttp::Impl::WriteCallback(char* data, size_t size, size_t count,
                                            void* self) noexcept {
  auto* impl = static_cast<Impl*>(self);
  try {
    impl->reply.append(data, size * count);
    impl->lastActivity = Clock::now();
    return size * count;
  } catch (...) {
    impl->callbackError = std::current_exception();
    return 0;
  }
}

size_t TDFeHttpWinHttp::Impl::HeaderCallback(char*, size_t size, size_t count,
                                             void* self) noexcept {
  auto* impl = static_cast<Impl*>(self);
  impl->headerReceived = true;
  impl->lastActivity = Clock::now();
  return size * count;
}

int TDFeHttpWinHttp::Impl::ProgressCallback(void* self, curl_off_t, curl_off_t downloadNow,
                                            curl_off_t, curl_off_t uploadNow) noexcept {
  auto* impl = static_cast<Impl*>(self);
  if (downloadNow != impl->downloaded || uploadNow != impl->uploaded) {
    impl->downloaded = downloadNow;
    impl->uploaded = uploadNow;
    impl->lastActivity = Clock::now();
  }
  return impl->abortRequested ? 1 : 0;
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
  FImpl->Get = std::string_view(AMetodo) == "GET";
  try {
    ConfigurarHTTP(AURL, ASoapAction, AMimeType);
  } catch (const EDFeExceptionPIN& failure) {
    // The token refused (or earlier refused) its PIN while the client key was being made
    // ready: to the caller this is the handshake's key failure, as on the system stack.
    FImpl->InternalErrorCode = winhttp::kClientCertNoAccessKey;
    throw EDFeHttpException(winhttp::kClientCertNoAccessKey, 0, AURL, failure.what());
  }
  if (!FImpl->VerificarServidor) {
    // The choice is never silent: every request to a server left unchecked says so.
    if (const auto url = splitUrl(AURL); url && url->https) {
      FpDFeSSL.Avisar(AvisoServidorNaoVerificado(url->host));
    }
  }
  std::string reply;
  try {
    reply = FImpl->Execute(Corpo);
  } catch (const RequestFailure& failure) {
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
  FImpl->abortRequested = true;
  std::lock_guard lock(FImpl->handlesMutex);
  if (FImpl->multi) curl_multi_wakeup(FImpl->multi.get());
}

}  // namespace luvaro
