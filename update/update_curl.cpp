#include "update/update_curl_int.h"

#include <algorithm>
#include <string_view>

#include "update/versao.h"

namespace luvaro::update_curl {
namespace {

// Ends the transfer when nothing has arrived for the read time-out. curl calls this often
// while data flows and about once a second while it waits.
int AoProgredir(void* user, curl_off_t, curl_off_t recebido, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transferencia*>(user);
  const auto agora = std::chrono::steady_clock::now();
  if (recebido != t->ultimoRecebido) {
    t->ultimoRecebido = recebido;
    t->ultimaAtividade = agora;
    return 0;
  }
  if (agora - t->ultimaAtividade < t->tempoLimite) return 0;
  t->tempoEsgotado = true;
  return 1;  // curl ends the transfer with CURLE_ABORTED_BY_CALLBACK
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 404 Not Found").
size_t AoCabecalho(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transferencia*>(user);
  const std::string_view linha(data, size * count);
  try {
    if (linha.starts_with("HTTP/")) {
      std::string_view resto = linha.substr(std::min(linha.find(' '), linha.size()));
      resto.remove_prefix(std::min<size_t>(1, resto.size()));  // the blank before the code
      const size_t branco = resto.find(' ');
      std::string_view razao = branco == std::string_view::npos ? "" : resto.substr(branco + 1);
      while (!razao.empty() && (razao.back() == '\n' || razao.back() == '\r'))
        razao.remove_suffix(1);
      t->razao.assign(razao);
      if (t->aoNovoStatus) t->aoNovoStatus();
    }
    return size * count;
  } catch (...) {
    t->falha = std::current_exception();
    return 0;
  }
}

}  // namespace

CurlEasyPtr NovaRequisicao() {
  CurlEasyPtr curl(curl_easy_init());
  if (!curl) throw EDFeException("curl_easy_init: não foi possível criar a requisição");
  return curl;
}

void Preparar(CURL* h, Transferencia& t, std::chrono::milliseconds tempoLimite) {
  t.tempoLimite = tempoLimite;
  const std::string agente = "Luvaro/" + std::string(kVersaoLuvaro);  // curl keeps a copy
  Opcao(h, CURLOPT_ERRORBUFFER, t.erro);
  Opcao(h, CURLOPT_NOSIGNAL, 1L);
  Opcao(h, CURLOPT_PROTOCOLS_STR, "http,https");
  Opcao(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  Opcao(h, CURLOPT_FOLLOWLOCATION, 1L);
  Opcao(h, CURLOPT_MAXREDIRS, 10L);
  Opcao(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  Opcao(h, CURLOPT_USERAGENT, agente.c_str());
  Opcao(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(tempoLimite.count()));
  Opcao(h, CURLOPT_NOPROGRESS, 0L);
  Opcao(h, CURLOPT_XFERINFOFUNCTION, &AoProgredir);
  Opcao(h, CURLOPT_XFERINFODATA, static_cast<void*>(&t));
  Opcao(h, CURLOPT_HEADERFUNCTION, &AoCabecalho);
  Opcao(h, CURLOPT_HEADERDATA, static_cast<void*>(&t));
}

void Executar(CURL* h, Transferencia& t) {
  const CURLcode code = curl_easy_perform(h);
  if (t.falha) std::rethrow_exception(t.falha);
  if (t.tempoEsgotado)
    throw EDFeException("Tempo limite de leitura esgotado: nenhum dado em " +
                        std::to_string(t.tempoLimite.count()) + " ms.");
  if (code != CURLE_OK)
    throw EDFeException(t.erro[0] ? std::string(t.erro) : curl_easy_strerror(code));
}

long Status(CURL* h) {
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

std::string TextoStatus(long status, const std::string& razao) {
  return std::to_string(status) + " - " + razao;
}

}  // namespace luvaro::update_curl
