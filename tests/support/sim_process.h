#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

// One request as luvaro-sim recorded it (see tools/sim/README.md).
struct RecordedRequest {
  std::string name;      // the recording's folder name, e.g. "0002-POST-lotesRetorno"
  std::string method;    // "GET", "POST"
  std::string target;    // path and query as sent, undecoded
  std::string endpoint;  // the role's endpoint name, e.g. "lotesRetorno"
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;  // the bytes as received
  // What an HTTPS role saw of the TLS connection (tls.txt): "subject", "issuer", "serial",
  // "protocol", "resumed", "connection"; empty for plain HTTP.
  std::map<std::string, std::string, std::less<>> tls;

  // The first header of that name (letter case ignored), "" when absent.
  std::string Header(std::string_view headerName) const;
};

// luvaro-sim running for a test, with its own output folder and control file in a temporary
// folder; ended with SIGTERM when the owner goes away.
class SimProcess {
 public:
  // Starts `program` as `program <role> --output <tmp>/requests --control <tmp>/control
  // <args...>` and reads the base URL from its first line.
  SimProcess(const std::filesystem::path& program, const std::string& role,
             const std::vector<std::string>& args);

  const std::string& BaseUrl() const { return m_baseUrl; }

  // Writes the control file (faults for the following requests) / removes it.
  void SetFaults(std::string_view controlText);
  void ClearFaults();

  // Every request recorded so far, in arrival order.
  std::vector<RecordedRequest> Requests() const;

  // The next line on the simulator's standard output after the base URL: with --announce,
  // "received <endpoint>" once a request has been recorded (and before any delay fault).
  std::string ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    return m_process.ReadLine(limit);
  }

  // Sends SIGTERM; the exit code (-1 when ended by a signal).
  int Terminate() { return m_process.Terminate(); }
  std::string StdErr() const { return m_process.StdErr(); }

 private:
  TempDir m_dir;
  BackgroundProcess m_process;
  std::string m_baseUrl;
};

}  // namespace luvaro::test
