#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/sim/faults.h"
#include "tools/sim/recorder.h"
#include "tools/sim/tls.h"

namespace luvaro::sim {

// Set once when the simulator is asked to end; waits (a delay fault) end early on it.
class StopSignal {
 public:
  void Trigger();
  bool Triggered() const;
  // Waits up to `duration`; true when the stop came first.
  bool WaitFor(std::chrono::milliseconds duration) const;

 private:
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  bool m_triggered = false;
};

struct ServerSettings {
  std::string role;                              // for messages on standard error
  int port = 0;                                  // 0: the system picks a free one
  std::optional<std::filesystem::path> output;   // where requests are recorded
  std::optional<std::filesystem::path> control;  // fault control file
  Options commandLine;                           // every option given
  std::vector<OptionSpec> faultSpecs;            // the fault options accepted
  std::vector<std::string> bodyFaults;           // the role's kinds of body damage
  // A line on standard output for every request recorded (--announce).
  bool announce = false;
  // How long an idle connection stays open, the wait for its first request included
  // (--keep-alive); short, so that the end of a run never waits long on an idle connection.
  int keepAliveSeconds = 1;
};

// The part every role shares: a loopback HTTP server whose routes record each request, apply
// the run's faults, then call the role's handler.
class SimServer {
 public:
  // The role fills the reply; `faults` tells it which body damage to do (status, delay and a
  // half-sent reply are done here).
  using Handler =
      std::function<void(const httplib::Request&, httplib::Response&, const Faults& faults)>;

  explicit SimServer(ServerSettings settings);
  SimServer(const SimServer&) = delete;  // the routes hold a pointer to this object
  SimServer& operator=(const SimServer&) = delete;

  // Serves over HTTPS from now on, requiring a client certificate; call before any route.
  void UseTls(const TlsSettings& tls);

  void Get(const std::string& pattern, const std::string& endpoint, Handler handler);
  void Post(const std::string& pattern, const std::string& endpoint, Handler handler);

  // Checks the fault options, binds 127.0.0.1, prints the base URL as the first line of
  // standard output and serves until SIGTERM or SIGINT. Returns the process exit code.
  int Run();

  // For roles that wait on something of their own.
  const StopSignal& Stop() const { return m_stop; }

 private:
  // What every server of a role gets, plain or TLS.
  void Tune(httplib::Server& server) const;
  httplib::Server::Handler Wrap(const std::string& endpoint, Handler handler);
  void Serve(const std::string& endpoint, const Handler& handler, const httplib::Request& request,
             httplib::Response& response);

  ServerSettings m_settings;
  // Plain HTTP, or an httplib::SSLServer (it derives from Server) after UseTls.
  std::unique_ptr<httplib::Server> m_server;
  std::string m_scheme = "http";
  Recorder m_recorder;
  FaultSource m_faults;
  StopSignal m_stop;
  std::vector<std::string> m_endpoints;
  std::mutex m_logMutex;  // keeps the stderr lines of parallel requests apart
};

// Replaces a reply's body by one that announces its full length, sends the first half and
// then breaks the connection.
void CloseMidReply(httplib::Response& response);

}  // namespace luvaro::sim
