#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/sim_options.h"

namespace luvaro::sim {

// What a run is told to do wrong in its replies.
struct Faults {
  int status = 0;                      // reply with this status instead (0: no)
  std::chrono::milliseconds delay{0};  // wait this long before replying
  bool closeMidReply = false;          // announce the whole body, send half, close
  std::string body;                    // a role-specific damage to the reply body
};

// The fault options every role accepts, on the command line and in the control file.
std::span<const OptionSpec> FaultOptionSpecs();

// Where the faults of a run come from: the command line, or the control file while it exists
// (then it alone decides, and is read again for every request, so that a test can switch
// faults on and off in a running simulator).
class FaultSource {
 public:
  FaultSource(Options commandLine, std::optional<std::filesystem::path> controlFile,
              std::vector<OptionSpec> specs, std::vector<std::string> bodyFaults);

  // Checks the command-line faults against the endpoint names the role serves.
  void Validate(std::span<const std::string> endpoints) const;

  // The faults for one request to `endpoint`; a UsageError for a bad control file.
  Faults For(std::string_view endpoint) const;

 private:
  Faults Interpret(const Options& options, std::string_view endpoint) const;

  Options m_commandLine;
  std::optional<std::filesystem::path> m_controlFile;
  std::vector<OptionSpec> m_specs;
  std::vector<std::string> m_bodyFaults;
};

}  // namespace luvaro::sim
