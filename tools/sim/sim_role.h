#pragma once

#include <span>
#include <string_view>

#include "tools/sim/sim_options.h"
#include "tools/sim/sim_server.h"

namespace luvaro::sim {

// One stand-in the simulator can play. A new role is one file that returns its SimRole and
// one entry in the table of main.cpp.
struct SimRole {
  std::string_view name;                         // the first command-line argument
  std::string_view summary;                      // one line for --help
  std::span<const OptionSpec> options;           // the role's own options
  std::span<const std::string_view> bodyFaults;  // the kinds accepted by --body
  // Registers the role's routes; a UsageError for missing or wrong role options.
  void (*install)(SimServer& server, const Options& options);
};

}  // namespace luvaro::sim
