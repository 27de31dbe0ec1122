#include "tools/sim/sim_server.h"

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <thread>

namespace luvaro::sim {

void StopSignal::Trigger() {
  {
    std::lock_guard lock(m_mutex);
    m_triggered = true;
  }
  m_changed.notify_all();
}

bool StopSignal::Triggered() const {
  std::lock_guard lock(m_mutex);
  return m_triggered;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, duration, [this] { return m_triggered; });
}

SimServer::SimServer(ServerSettings settings)
    : m_settings(std::move(settings)),
      m_server(std::make_unique<httplib::Server>()),
      m_recorder(m_settings.output),
      m_faults(m_settings.commandLine, m_settings.control, m_settings.faultSpecs,
               m_settings.bodyFaults) {
  Tune(*m_server);
}

void SimServer::UseTls(const TlsSettings& tls) {
  m_server = MakeTlsServer(tls);
  Tune(*m_server);
  m_scheme = "https";
}

void SimServer::Tune(httplib::Server& server) const {
  server.set_keep_alive_timeout(m_settings.keepAliveSeconds);
  // Replies leave at once: without it, a reply written in two parts (headers, then body)
  // waits for the client's delayed acknowledgement, some 40 ms a request. Set on the listening
  // socket; every accepted connection inherits it.
  server.set_tcp_nodelay(true);
}

void SimServer::Get(const std::string& pattern, const std::string& endpoint, Handler handler) {
  m_endpoints.push_back(endpoint);
  m_server->Get(pattern, Wrap(endpoint, std::move(handler)));
}

void SimServer::Post(const std::string& pattern, const std::string& endpoint, Handler handler) {
  m_endpoints.push_back(endpoint);
  m_server->Post(pattern, Wrap(endpoint, std::move(handler)));
}

httplib::Server::Handler SimServer::Wrap(const std::string& endpoint, Handler handler) {
  return [this, endpoint, handler = std::move(handler)](const httplib::Request& request,
                                                        httplib::Response& response) {
    Serve(endpoint, handler, request, response);
    std::lock_guard lock(m_logMutex);
    std::cerr << m_settings.role << ": " << request.method << " " << request.target << " -> "
              << response.status << std::endl;
  };
}

void SimServer::Serve(const std::string& endpoint, const Handler& handler,
                      const httplib::Request& request, httplib::Response& response) {
  try {
    m_recorder.Record(endpoint, request);
  } catch (const std::exception& e) {
    response.status = 500;
    response.set_content(std::string("simulator cannot record the request: ") + e.what(),
                         "text/plain; charset=utf-8");
    return;
  }
  if (m_settings.announce) {
    // Before any delay: a test knows the client is now waiting for this reply.
    std::lock_guard lock(m_logMutex);
    std::cout << "received " << endpoint << std::endl;
  }
  Faults faults;
  try {
    faults = m_faults.For(endpoint);
  } catch (const UsageError& e) {
    response.status = 500;
    response.set_content(std::string("simulator fault control: ") + e.what(),
                         "text/plain; charset=utf-8");
    return;
  }
  if (faults.delay.count() > 0 && m_stop.WaitFor(faults.delay)) {
    response.status = 503;
    response.set_content("simulator stopping", "text/plain; charset=utf-8");
    return;
  }
  if (faults.status != 0) {
    response.status = faults.status;
    response.set_content("simulated status " + std::to_string(faults.status),
                         "text/plain; charset=utf-8");
  } else {
    handler(request, response, faults);
    if (response.status == -1) response.status = 200;
  }
  if (faults.closeMidReply) CloseMidReply(response);
}

void CloseMidReply(httplib::Response& response) {
  auto body = std::make_shared<std::string>(std::move(response.body));
  response.body.clear();
  std::string type = response.get_header_value("Content-Type");
  if (type.empty()) type = "application/octet-stream";
  // At least one byte is announced, so the reply is always short.
  const size_t announced = std::max<size_t>(body->size(), 2);
  response.set_content_provider(announced, type,
                                [body](size_t offset, size_t, httplib::DataSink& sink) {
                                  if (offset == 0) sink.write(body->data(), body->size() / 2);
                                  return false;  // breaks the connection
                                });
}

int SimServer::Run() {
  m_faults.Validate(m_endpoints);

  // Every thread the server starts inherits this mask; one thread takes the signals.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  int port = m_settings.port;
  if (port == 0) {
    port = m_server->bind_to_any_port("127.0.0.1");
  } else if (!m_server->bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "luvaro-sim: cannot listen on 127.0.0.1:" << m_settings.port << std::endl;
    return 1;
  }
  std::cout << m_scheme << "://127.0.0.1:" << port << "/" << std::endl;

  std::mutex listenMutex;
  std::condition_variable listenEnded;
  bool ended = false;
  std::thread signalThread([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    m_stop.Trigger();
    // The server may not have started listening yet; ask again until it has ended.
    std::unique_lock lock(listenMutex);
    while (!ended) {
      m_server->stop();
      listenEnded.wait_for(lock, std::chrono::milliseconds(50));
    }
  });

  const bool listened = m_server->listen_after_bind();
  {
    std::lock_guard lock(listenMutex);
    ended = true;
  }
  listenEnded.notify_all();
  if (!m_stop.Triggered()) pthread_kill(signalThread.native_handle(), SIGTERM);
  signalThread.join();
  if (!listened) {
    std::cerr << "luvaro-sim: the server stopped with an error" << std::endl;
    return 1;
  }
  std::cerr << "luvaro-sim: stopped" << std::endl;
  return 0;
}

}  // namespace luvaro::sim
