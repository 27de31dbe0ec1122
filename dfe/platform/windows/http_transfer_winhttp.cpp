// The program's own HTTP(S) exchanges on WinHTTP (dfe/http_transfer.h): one session per
// exchange, redirects followed here (WinHTTP would turn a redirected POST into a GET), the
// read time-out as WinHTTP's receive time-out.

#include "dfe/http_transfer.h"

#include "dfe/platform/windows/winhttp_int.h"

namespace luvaro {
namespace {

constexpr int kMaximoRedirecionamentos = 10;

[[noreturn]] void Falhar(DWORD code, std::chrono::milliseconds tempoLimite) {
  if (code == ERROR_WINHTTP_TIMEOUT)
    throw EDFeException("Tempo limite de leitura esgotado: nenhum dado em " +
                        std::to_string(tempoLimite.count()) + " ms.");
  throw EDFeException(TextoErroWinHttp(code));
}

// A header of the response as text; empty when absent.
std::wstring Cabecalho(HINTERNET request, DWORD info) {
  DWORD tamanho = 0;
  WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                      &tamanho, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || tamanho == 0) return {};
  std::wstring texto(tamanho / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, texto.data(), &tamanho,
                           WINHTTP_NO_HEADER_INDEX))
    return {};
  texto.resize(tamanho / sizeof(wchar_t));
  return texto;
}

// The address a Location header points to, from the address that answered with it.
std::string Destino(const std::string& atual, const std::string& location) {
  if (location.find("://") != std::string::npos) return location;
  const std::size_t inicioHost = atual.find("://");
  const std::size_t inicioCaminho =
      inicioHost == std::string::npos ? std::string::npos : atual.find('/', inicioHost + 3);
  const std::string origem = atual.substr(0, inicioCaminho);
  if (location.starts_with("//")) return atual.substr(0, inicioHost + 1) + location;
  if (location.starts_with("/")) return origem + location;
  // Relative to the current path's folder.
  std::string caminho = inicioCaminho == std::string::npos ? "/" : atual.substr(inicioCaminho);
  caminho = caminho.substr(0, caminho.find_first_of("?#"));
  return origem + caminho.substr(0, caminho.rfind('/') + 1) + location;
}

}  // namespace

HttpTransferHead PerformHttpTransfer(const HttpTransfer& pedido) {
  std::optional<IdentidadeServidor> identidade;
  if (pedido.identity) identidade.emplace(*pedido.identity);
  const bool somenteHttps = pedido.identity && pedido.url.starts_with("https:");
  const int tempo = static_cast<int>(pedido.readTimeout.count());

  std::string url = pedido.url;
  const std::string* corpo = pedido.body;
  bool repetido = false;
  for (int redirecionamentos = 0;; ++redirecionamentos) {
    const std::optional<PartesUrl> partes = DividirUrl(url);
    if (!partes) Falhar(ERROR_WINHTTP_INVALID_URL, pedido.readTimeout);
    const std::string host = Utf8(partes->host);
    if (partes->https && identidade) {
      if (const auto& falha = identidade->FalhaLeitura())
        throw EDFeException(MensagemIdentidadeServidor(host, falha->Motivo()));
      if (!pedido.identity->verificar && pedido.identity->aviso)
        pedido.identity->aviso(AvisoServidorNaoVerificado(host));
    }

    const InternetPtr sessao(WinHttpOpen(Utf16(pedido.userAgent).c_str(),
                                         WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0));
    if (!sessao) Falhar(GetLastError(), pedido.readTimeout);
    if (tempo > 0 && !WinHttpSetTimeouts(sessao.get(), tempo, tempo, tempo, tempo))
      Falhar(GetLastError(), pedido.readTimeout);
    DWORD protocolos = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    WinHttpSetOption(sessao.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocolos, sizeof protocolos);
    const InternetPtr conexao(WinHttpConnect(sessao.get(), partes->host.c_str(), partes->port, 0));
    if (!conexao) Falhar(GetLastError(), pedido.readTimeout);
    const wchar_t* metodo = corpo ? L"POST" : L"GET";
    const InternetPtr requisicao(WinHttpOpenRequest(
        conexao.get(), metodo, partes->path.c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, partes->https ? WINHTTP_FLAG_SECURE : 0));
    if (!requisicao) Falhar(GetLastError(), pedido.readTimeout);
    HINTERNET r = requisicao.get();
    DWORD desligar = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE;
    WinHttpSetOption(r, WINHTTP_OPTION_DISABLE_FEATURE, &desligar, sizeof desligar);
    DWORD falhaSegura = 0;
    if (partes->https && identidade) {
      if (identidade->Preparar(r) != nullptr) Falhar(GetLastError(), pedido.readTimeout);
      ObservarFalhaSegura(r, &falhaSegura);
    }

    std::string linhas;
    for (const std::string& linha : pedido.headers) linhas += linha + "\r\n";
    const std::wstring cabecalhos = Utf16(linhas);
    const DWORD tamanhoCorpo = corpo ? static_cast<DWORD>(corpo->size()) : 0;
    if (!WinHttpSendRequest(r, cabecalhos.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : cabecalhos.c_str(),
                            static_cast<DWORD>(cabecalhos.size()), WINHTTP_NO_REQUEST_DATA, 0,
                            tamanhoCorpo, 0)) {
      const DWORD erro = GetLastError();
      if (partes->https && identidade)
        if (const auto falha = identidade->FalhaDoEnvio(erro, falhaSegura))
          throw EDFeException(MensagemIdentidadeServidor(host, falha->Motivo()));
      Falhar(erro, pedido.readTimeout);
    }
    // The server's identity is settled before a body byte leaves.
    if (partes->https && identidade)
      if (const auto falha = identidade->Confirmar(r, partes->host))
        throw EDFeException(MensagemIdentidadeServidor(host, falha->Motivo()));
    for (DWORD enviados = 0; enviados < tamanhoCorpo;) {
      DWORD escritos = 0;
      if (!WinHttpWriteData(r, corpo->data() + enviados, tamanhoCorpo - enviados, &escritos))
        Falhar(GetLastError(), pedido.readTimeout);
      enviados += escritos;
    }
    if (!WinHttpReceiveResponse(r, nullptr)) {
      const DWORD erro = GetLastError();
      // A GET that met a connection the server had already closed (Wine keeps connections
      // between sessions) is sent once more; a POST never is.
      if (!corpo && !repetido && (erro == ERROR_WINHTTP_INVALID_SERVER_RESPONSE ||
                                  erro == ERROR_WINHTTP_CONNECTION_ERROR)) {
        repetido = true;
        --redirecionamentos;
        continue;
      }
      Falhar(erro, pedido.readTimeout);
    }

    HttpTransferHead resposta;
    DWORD status = 0;
    DWORD tamanho = sizeof status;
    WinHttpQueryHeaders(r, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &tamanho, WINHTTP_NO_HEADER_INDEX);
    resposta.status = static_cast<long>(status);
    resposta.reason = Utf8(Cabecalho(r, WINHTTP_QUERY_STATUS_TEXT));
    resposta.contentType = Utf8(Cabecalho(r, WINHTTP_QUERY_CONTENT_TYPE));
    const std::wstring anunciado = Cabecalho(r, WINHTTP_QUERY_CONTENT_LENGTH);
    resposta.announced = anunciado.empty() ? 0 : std::wcstoll(anunciado.c_str(), nullptr, 10);
    resposta.method = corpo ? "POST" : "GET";
    resposta.url = url;

    const std::string location = Utf8(Cabecalho(r, WINHTTP_QUERY_LOCATION));
    const bool redireciona = (status == 301 || status == 302 || status == 303 || status == 307 ||
                              status == 308) && !location.empty();
    if (redireciona) {
      if (redirecionamentos == kMaximoRedirecionamentos)
        throw EDFeException("Número máximo de redirecionamentos (" +
                            std::to_string(kMaximoRedirecionamentos) + ") atingido.");
      const std::string proximo = Destino(url, location);
      if (somenteHttps && !proximo.starts_with("https:"))
        throw EDFeException(
            "O servidor redirecionou para um endereço sem HTTPS, que não foi seguido (" +
            proximo + ").");
      url = proximo;
      if (status == 303) corpo = nullptr;
      continue;
    }

    bool iniciado = false;
    for (;;) {
      char bloco[16384];
      DWORD lidos = 0;
      if (!WinHttpReadData(r, bloco, sizeof bloco, &lidos)) Falhar(GetLastError(), pedido.readTimeout);
      if (lidos == 0) break;
      if (!iniciado) {
        iniciado = true;
        if (pedido.onResponse) pedido.onResponse(resposta);
      }
      if (pedido.onBody) pedido.onBody(std::string_view(bloco, lidos));
    }
    return resposta;
  }
}

}  // namespace luvaro
