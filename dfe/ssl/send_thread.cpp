#include "dfe/ssl/send_thread.h"

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ssl/ssl_backends.h"

namespace luvaro {

namespace {

std::unique_ptr<TDFeSSLHttpClass> novoBackEnd(TDFeSSL* facade, TSSLHttpLib lib,
                                              const std::string& url, const std::string& envelope) {
  if (facade == nullptr || envelope.empty() || url.empty()) {
    throw EDFeException("TDFeSendThread, parâmetros inválidos");
  }
  return CriarHttpClass(lib, *facade);
}

}  // namespace

TDFeSendThread::TDFeSendThread(TDFeSSL* ADFeSSL, std::mutex& ACriticalSection, TSSLHttpLib AHttpLib,
                               const std::string& AMimeType, const std::string& ASoapAction,
                               const std::string& AURL, const std::string& AEnvelope)
    : m_criticalSection(ACriticalSection),
      m_http(novoBackEnd(ADFeSSL, AHttpLib, AURL, AEnvelope)),
      m_mimeType(AMimeType),
      m_soapAction(ASoapAction),
      m_url(AURL),
      m_envelope(AEnvelope),
      m_thread([this] { Executar(); }) {}

TDFeSendThread::~TDFeSendThread() {
  Abort();
  m_thread.join();
}

void TDFeSendThread::Executar() {
  std::string resposta;
  std::string erro;
  std::exception_ptr naoTratavel;
  try {
    const std::lock_guard section(m_criticalSection);
    {
      const std::lock_guard lock(m_mutex);
      if (m_abortado) throw EDFeException("Conexão foi abortada");
      m_emAndamento = true;
    }
    resposta = m_http->Enviar(m_envelope, m_url, m_soapAction, m_mimeType);
  } catch (const std::exception& failure) {
    erro = failure.what();
  } catch (...) {
    // The stop abort is no error text; the owner rethrows it on its own thread.
    naoTratavel = std::current_exception();
  }
  {
    const std::lock_guard lock(m_mutex);
    m_emAndamento = false;
    m_resposta = std::move(resposta);
    m_erro = std::move(erro);
    m_falhaNaoTratavel = naoTratavel;
    m_terminou = true;
  }
  m_done.notify_all();
}

bool TDFeSendThread::Concluido() const {
  return m_terminou || !m_resposta.empty() || !m_erro.empty();
}

bool TDFeSendThread::AguardarAte(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(m_mutex);
  return m_done.wait_until(lock, deadline, [this] { return Concluido(); });
}

TDFeSendThread::Resultado TDFeSendThread::LerResultado() const {
  const std::lock_guard lock(m_mutex);
  return {m_resposta, m_erro, m_falhaNaoTratavel};
}

void TDFeSendThread::Abort() {
  const std::lock_guard lock(m_mutex);
  if (m_terminou) return;
  m_abortado = true;
  if (m_emAndamento) m_http->Abortar();
}

}  // namespace luvaro
