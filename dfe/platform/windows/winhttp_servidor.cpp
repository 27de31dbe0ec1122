// What the WinHTTP clients share: URL parts, error texts and the server's identity.

#include <algorithm>
#include <cstddef>
#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "dfe/platform/windows/winhttp_int.h"
#include "dfe/ssl/http_textos.h"

namespace luvaro {
namespace fs = std::filesystem;

namespace {

// Every certificate of the "-----BEGIN CERTIFICATE-----" blocks of a PEM file, added to
// `store`; the count added, or the reason the file is refused.
std::optional<std::string> LerPem(const fs::path& arquivo, HCERTSTORE store, int& adicionados) {
  std::ifstream entrada(arquivo, std::ios::binary);
  std::string texto;
  if (entrada) texto.assign(std::istreambuf_iterator<char>(entrada), {});
  if (!entrada || entrada.bad()) return "não pôde ser lido";
  constexpr std::string_view kInicio = "-----BEGIN CERTIFICATE-----";
  constexpr std::string_view kFim = "-----END CERTIFICATE-----";
  for (std::size_t at = texto.find(kInicio); at != std::string::npos;
       at = texto.find(kInicio, at)) {
    const std::size_t fim = texto.find(kFim, at);
    if (fim == std::string::npos) return "bloco de certificado sem o seu fim";
    const std::string bloco = texto.substr(at, fim + kFim.size() - at);
    DWORD tamanho = 0;
    if (!CryptStringToBinaryA(bloco.data(), static_cast<DWORD>(bloco.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &tamanho, nullptr, nullptr))
      return "certificado ilegível";
    std::vector<BYTE> der(tamanho);
    if (!CryptStringToBinaryA(bloco.data(), static_cast<DWORD>(bloco.size()),
                              CRYPT_STRING_BASE64HEADER, der.data(), &tamanho, nullptr, nullptr) ||
        !CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), tamanho,
                                          CERT_STORE_ADD_USE_EXISTING, nullptr))
      return "certificado ilegível (" + Hex8(GetLastError()) + ")";
    ++adicionados;
    at = fim + kFim.size();
  }
  return std::nullopt;
}

bool PemPeloNome(const fs::path& arquivo) {
  std::string extensao = Utf8(arquivo.extension().wstring());
  std::transform(extensao.begin(), extensao.end(), extensao.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extensao == ".pem";
}

// The fault of a chain policy's error code.
FalhaIdentidade FalhaDaPolitica(DWORD erro) {
  switch (erro) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE):
      return {ServerIdentityFault::UntrustedAuthority, ""};
    case static_cast<DWORD>(CERT_E_EXPIRED):
      return {ServerIdentityFault::Expired, ""};
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
      return {ServerIdentityFault::NameMismatch, ""};
    case static_cast<DWORD>(CRYPT_E_REVOKED):
      return {ServerIdentityFault::Revoked, ""};
    default:
      return {ServerIdentityFault::Invalid, "$" + Hex8(erro)};
  }
}

}  // namespace

std::optional<PartesUrl> DividirUrl(const std::string& url) {
  const std::wstring completa = Utf16(url.find("://") == std::string::npos ? "http://" + url : url);
  URL_COMPONENTS partes{};
  partes.dwStructSize = sizeof partes;
  partes.dwSchemeLength = partes.dwHostNameLength = partes.dwUrlPathLength =
      partes.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(completa.c_str(), static_cast<DWORD>(completa.size()), 0, &partes))
    return std::nullopt;
  if (partes.nScheme != INTERNET_SCHEME_HTTPS && partes.nScheme != INTERNET_SCHEME_HTTP)
    return std::nullopt;
  PartesUrl resultado;
  resultado.https = partes.nScheme == INTERNET_SCHEME_HTTPS;
  resultado.host.assign(partes.lpszHostName, partes.dwHostNameLength);
  resultado.path.assign(partes.lpszUrlPath, partes.dwUrlPathLength);
  resultado.path.append(partes.lpszExtraInfo, partes.dwExtraInfoLength);
  if (resultado.path.empty()) resultado.path = L"/";
  resultado.port = partes.nPort;
  resultado.portaPadrao = partes.nPort == (resultado.https ? 443 : 80);
  return resultado;
}

std::string TextoErroWinHttp(DWORD code) {
  return MensagemErroHttp(static_cast<int>(code),
                          SystemMessage(code, GetModuleHandleW(L"winhttp.dll")));
}

DWORD CodigoWinHttpDe(ServerIdentityFault fault) noexcept {
  switch (fault) {
    case ServerIdentityFault::UntrustedAuthority:
      return ERROR_WINHTTP_SECURE_INVALID_CA;
    case ServerIdentityFault::Expired:
    case ServerIdentityFault::NotYetValid:
      return ERROR_WINHTTP_SECURE_CERT_DATE_INVALID;
    case ServerIdentityFault::NameMismatch:
      return ERROR_WINHTTP_SECURE_CERT_CN_INVALID;
    case ServerIdentityFault::Revoked:
      return ERROR_WINHTTP_SECURE_CERT_REVOKED;
    case ServerIdentityFault::Invalid:
    case ServerIdentityFault::AnchorFile:
      break;
  }
  return ERROR_WINHTTP_SECURE_INVALID_CERT;
}

IdentidadeServidor::IdentidadeServidor(const ServerIdentityCheck& check)
    : m_verificar(check.verificar) {
  if (!m_verificar) return;
  m_autoridades.reset(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  if (!m_autoridades) {
    m_falhaLeitura = FalhaIdentidade{ServerIdentityFault::AnchorFile, Hex8(GetLastError())};
    return;
  }
  std::error_code erro;
  if (check.pastaCadeias.empty() || !fs::is_directory(check.pastaCadeias, erro)) return;
  std::vector<fs::path> arquivos;
  for (fs::directory_iterator it(check.pastaCadeias, erro), fim; !erro && it != fim;
       it.increment(erro))
    if (PemPeloNome(it->path())) arquivos.push_back(it->path());
  if (erro) {
    m_falhaLeitura = FalhaIdentidade{ServerIdentityFault::AnchorFile,
                                     Utf8(check.pastaCadeias.wstring()) + ": " + erro.message()};
    return;
  }
  std::sort(arquivos.begin(), arquivos.end());
  for (const fs::path& arquivo : arquivos) {
    int adicionados = 0;
    std::optional<std::string> motivo = LerPem(arquivo, m_autoridades.get(), adicionados);
    if (!motivo && adicionados == 0) motivo = "nenhum certificado";
    if (motivo) {
      m_falhaLeitura = FalhaIdentidade{ServerIdentityFault::AnchorFile,
                                       Utf8(arquivo.filename().wstring()) + ": " + *motivo};
      return;
    }
  }
}

const char* IdentidadeServidor::Preparar(HINTERNET request) const {
  DWORD ignorar = 0;
  if (!m_verificar)
    ignorar = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
              SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
  else
    ignorar = SECURITY_FLAG_IGNORE_UNKNOWN_CA;  // Confirmar judges the root
  if (ignorar == 0) return nullptr;
  DWORD flags = 0;
  DWORD tamanho = sizeof flags;
  if (!WinHttpQueryOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, &tamanho))
    return "Falha lendo WINHTTP_OPTION_SECURITY_FLAGS. Erro:";
  // What the read gives beyond the settable flags (the connection's strength) cannot be set.
  flags &= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
           SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
  flags |= ignorar;
  if (!WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags))
    return "Falha ajustando WINHTTP_OPTION_SECURITY_FLAGS. Erro:";
  return nullptr;
}

std::optional<FalhaIdentidade> IdentidadeServidor::Confirmar(HINTERNET request,
                                                             const std::wstring& host) const {
  if (!m_verificar) return std::nullopt;
  PCCERT_CONTEXT recebido = nullptr;
  DWORD tamanho = sizeof recebido;
  if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &recebido, &tamanho) ||
      recebido == nullptr)
    return FalhaIdentidade{ServerIdentityFault::Invalid,
                           "certificado do servidor indisponível, " + Hex8(GetLastError())};
  const CertPtr certificado(recebido);

  // The shipped authorities join the Windows store's as candidates; the chain's root is then
  // trusted when the store trusts it or when it is one of them.
  HCERTSTORE adicionais[] = {m_autoridades.get()};
  CERT_CHAIN_ENGINE_CONFIG configuracao{};
  configuracao.cbSize = sizeof configuracao;
  configuracao.cAdditionalStore = 1;
  configuracao.rghAdditionalStore = adicionais;
  HCERTCHAINENGINE motor = nullptr;
  // Systems older than the structure (Wine 8.0 among them) know it without its last fields.
  for (const DWORD tamanhoConfiguracao :
       {DWORD{sizeof configuracao},
        static_cast<DWORD>(offsetof(CERT_CHAIN_ENGINE_CONFIG, dwExclusiveFlags)),
        static_cast<DWORD>(offsetof(CERT_CHAIN_ENGINE_CONFIG, hExclusiveRoot))}) {
    configuracao.cbSize = tamanhoConfiguracao;
    if (CertCreateCertificateChainEngine(&configuracao, &motor)) break;
    if (GetLastError() != static_cast<DWORD>(E_INVALIDARG)) break;
  }
  if (motor == nullptr)
    return FalhaIdentidade{ServerIdentityFault::Invalid, "$" + Hex8(GetLastError())};
  const std::unique_ptr<void, CFree<&CertFreeCertificateChainEngine>> motorDono(motor);

  LPSTR usos[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
  CERT_CHAIN_PARA parametros{};
  parametros.cbSize = sizeof parametros;
  parametros.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  parametros.RequestedUsage.Usage.cUsageIdentifier = 1;
  parametros.RequestedUsage.Usage.rgpszUsageIdentifier = usos;
  PCCERT_CHAIN_CONTEXT cadeia = nullptr;
  if (!CertGetCertificateChain(motor, certificado.get(), nullptr, certificado->hCertStore,
                               &parametros, 0, nullptr, &cadeia))
    return FalhaIdentidade{ServerIdentityFault::Invalid, "$" + Hex8(GetLastError())};
  const std::unique_ptr<const CERT_CHAIN_CONTEXT, CFree<&CertFreeCertificateChain>> cadeiaDona(
      cadeia);

  DWORD ignorar = 0;
  const DWORD estado = cadeia->TrustStatus.dwErrorStatus;
  // A chain that reaches no root at all (Wine's policy check lets it through).
  if ((estado & CERT_TRUST_IS_PARTIAL_CHAIN) != 0 || cadeia->cChain == 0 ||
      cadeia->rgpChain[0]->cElement == 0)
    return FalhaIdentidade{ServerIdentityFault::UntrustedAuthority, ""};
  if ((estado & CERT_TRUST_IS_UNTRUSTED_ROOT) != 0) {
    const CERT_SIMPLE_CHAIN* simples = cadeia->rgpChain[0];
    PCCERT_CONTEXT raiz = simples->rgpElement[simples->cElement - 1]->pCertContext;
    if (PCCERT_CONTEXT nossa = CertFindCertificateInStore(
            m_autoridades.get(), X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, raiz, nullptr)) {
      CertFreeCertificateContext(nossa);
      ignorar = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    } else {
      return FalhaIdentidade{ServerIdentityFault::UntrustedAuthority, ""};
    }
  }
  // The whole judgement again, host name and dates included, with the shipped root trusted.
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = ignorar;
  ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
  CERT_CHAIN_POLICY_PARA politica{};
  politica.cbSize = sizeof politica;
  politica.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS resultado{};
  resultado.cbSize = sizeof resultado;
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, cadeia, &politica, &resultado))
    return FalhaIdentidade{ServerIdentityFault::Invalid, "$" + Hex8(GetLastError())};
  if (resultado.dwError == 0) return std::nullopt;
  return FalhaDaPolitica(resultado.dwError);
}

std::optional<FalhaIdentidade> IdentidadeServidor::FalhaDoEnvio(DWORD erro, DWORD flags) const {
  if (!m_verificar) return std::nullopt;
  switch (erro) {
    case ERROR_WINHTTP_SECURE_INVALID_CA:
      return FalhaIdentidade{ServerIdentityFault::UntrustedAuthority, ""};
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
      return FalhaIdentidade{ServerIdentityFault::Expired, ""};
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
      return FalhaIdentidade{ServerIdentityFault::NameMismatch, ""};
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
      return FalhaIdentidade{ServerIdentityFault::Revoked, ""};
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
      return FalhaIdentidade{ServerIdentityFault::Invalid, ""};
    case ERROR_WINHTTP_SECURE_FAILURE:
      // Windows gives the reason in the secure-failure notice.
      if (flags & WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA)
        return FalhaIdentidade{ServerIdentityFault::UntrustedAuthority, ""};
      if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID)
        return FalhaIdentidade{ServerIdentityFault::Expired, ""};
      if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID)
        return FalhaIdentidade{ServerIdentityFault::NameMismatch, ""};
      if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED)
        return FalhaIdentidade{ServerIdentityFault::Revoked, ""};
      if (flags & WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT)
        return FalhaIdentidade{ServerIdentityFault::Invalid, ""};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

namespace {

void CALLBACK AoNotificar(HINTERNET, DWORD_PTR contexto, DWORD estado, LPVOID informacao,
                          DWORD tamanho) {
  if (estado == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && contexto != 0 &&
      informacao != nullptr && tamanho >= sizeof(DWORD))
    *reinterpret_cast<DWORD*>(contexto) = *static_cast<DWORD*>(informacao);
}

}  // namespace

void ObservarFalhaSegura(HINTERNET request, DWORD* flags) {
  DWORD_PTR contexto = reinterpret_cast<DWORD_PTR>(flags);
  WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &contexto, sizeof contexto);
  WinHttpSetStatusCallback(request, &AoNotificar, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
}

}  // namespace luvaro
