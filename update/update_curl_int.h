#pragma once

// What the update folder's two requests (the version query and the installer download) share
// on libcurl. Private to update/: only its .cpp files include it.

#include <chrono>
#include <exception>
#include <functional>
#include <string>

#include <curl/curl.h>

#include "dfe/dfe_exception.h"
#include "dfe/raii/curl.h"

namespace luvaro::update_curl {

// The state of one transfer that every callback shares. An exception inside a callback is
// kept here and rethrown once curl has returned, since none may cross curl's C frames.
struct Transferencia {
  std::exception_ptr falha;
  // The read time-out: the longest stretch allowed without a byte arriving.
  std::chrono::milliseconds tempoLimite{0};
  std::chrono::steady_clock::time_point ultimaAtividade = std::chrono::steady_clock::now();
  curl_off_t ultimoRecebido = 0;
  bool tempoEsgotado = false;
  std::string razao;  // the reason phrase of the last status line
  // Called at every new status line (a redirect or an interim reply starts anew).
  std::function<void()> aoNovoStatus;
  char erro[CURL_ERROR_SIZE] = {};
};

template <typename T>
void Opcao(CURL* curl, CURLoption opcao, T valor) {
  if (const CURLcode code = curl_easy_setopt(curl, opcao, valor); code != CURLE_OK)
    throw EDFeException(std::string("curl_easy_setopt: ") + curl_easy_strerror(code));
}

// A fresh easy handle.
CurlEasyPtr NovaRequisicao();

// The options both requests use: http and https only, redirects followed, HTTP/1.1 (its
// reason phrase goes into messages), the connection and read time-out, and the callbacks
// that watch the time-out and keep the reason phrase. `transferencia` must outlive the call
// of Executar.
void Preparar(CURL* curl, Transferencia& transferencia, std::chrono::milliseconds tempoLimite);

// Runs the transfer; rethrows a callback's failure, or throws EDFeException with curl's text
// or the time-out text.
void Executar(CURL* curl, Transferencia& transferencia);

// The status code of the last reply.
long Status(CURL* curl);

// "404 - Not Found": the status and the reason phrase as the server wrote them.
std::string TextoStatus(long status, const std::string& razao);

}  // namespace luvaro::update_curl
