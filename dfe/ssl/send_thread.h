#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "dfe/ssl/ssl_types.h"

namespace luvaro {

class TDFeSSL;
class TDFeSSLHttpClass;

// One request on a thread of its own, for a caller that stops waiting at a deadline of its own.
// The thread sends through a fresh HTTP back-end of the given kind, under the facade's critical
// section. The owner takes the outcome, aborts an unfinished request and, on destruction, waits
// for the thread: an abandoned request breaks at once, and the thread never outlives the
// facade it uses.
class TDFeSendThread {
 public:
  // Starts at once. Fails with "TDFeSendThread, parâmetros inválidos" without a facade, an
  // envelope or a URL.
  TDFeSendThread(TDFeSSL* ADFeSSL, std::mutex& ACriticalSection, TSSLHttpLib AHttpLib,
                 const std::string& AMimeType, const std::string& ASoapAction,
                 const std::string& AURL, const std::string& AEnvelope);
  ~TDFeSendThread();
  TDFeSendThread(const TDFeSendThread&) = delete;  // owns a running thread
  TDFeSendThread& operator=(const TDFeSendThread&) = delete;

  // Waits until the thread is done (ended, or holding a reply or an error text) or the
  // deadline passes; true when done.
  bool AguardarAte(std::chrono::steady_clock::time_point deadline);

  // The outcome so far: the reply, and the failure's message (both empty while in flight).
  struct Resultado {
    std::string resposta;
    std::string erro;
    std::exception_ptr falhaNaoTratavel;  // a failure that is not an error text (the stop)
  };
  Resultado LerResultado() const;

  // Breaks the request in flight; the thread then ends on its own.
  void Abort();

 private:
  void Executar();
  bool Concluido() const;  // with m_mutex held

  std::mutex& m_criticalSection;
  std::unique_ptr<TDFeSSLHttpClass> m_http;
  std::string m_mimeType, m_soapAction, m_url, m_envelope;

  mutable std::mutex m_mutex;
  std::condition_variable m_done;
  std::string m_resposta;
  std::string m_erro;
  std::exception_ptr m_falhaNaoTratavel;
  bool m_terminou = false;
  bool m_abortado = false;
  bool m_emAndamento = false;

  std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace luvaro
