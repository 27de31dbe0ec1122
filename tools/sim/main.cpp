// luvaro-sim: local stand-ins for the servers the program talks to, one role per run.
#include <signal.h>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "tools/sim/erp_role.h"
#include "tools/sim/esocial_role.h"
#include "tools/sim/faults.h"
#include "tools/sim/gov_role.h"
#include "tools/sim/reinf_role.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/sim_role.h"
#include "tools/sim/sim_server.h"
#include "tools/sim/update_role.h"

namespace {

using luvaro::sim::Options;
using luvaro::sim::OptionSpec;
using luvaro::sim::SimRole;
using luvaro::sim::UsageError;

constexpr OptionSpec kCommonOptions[] = {
    {"port", "N", "listen on 127.0.0.1:N (default 0: a free port)", false},
    {"output", "DIR", "record every request into DIR (created when missing)", false},
    {"control", "FILE", "while FILE exists, its faults replace those of the command line", false},
    {"announce", "", "write \"received <endpoint>\" on standard output once a request is recorded",
     false},
    {"keep-alive", "S",
     "keep an idle connection open S seconds, the wait for its first request included (default "
     "1); clients slow to send after the TLS handshake, as Wine's WinHTTP, need more",
     false},
    {"help", "", "show this text", false},
};

std::vector<OptionSpec> AllOptions(const SimRole& role) {
  std::vector<OptionSpec> specs(std::begin(kCommonOptions), std::end(kCommonOptions));
  auto faults = luvaro::sim::FaultOptionSpecs();
  specs.insert(specs.end(), faults.begin(), faults.end());
  specs.insert(specs.end(), role.options.begin(), role.options.end());
  return specs;
}

std::string Usage(std::span<const SimRole> roles) {
  std::string text = "usage: luvaro-sim <role> [options]\n\nroles:\n";
  for (const auto& role : roles)
    text += "  " + std::string(role.name) + "  " + std::string(role.summary) + "\n";
  text += "\ncommon options:\n" + luvaro::sim::DescribeOptions(kCommonOptions);
  text += "\nfaults (command line, or name=value lines in the control file):\n" +
          luvaro::sim::DescribeOptions(luvaro::sim::FaultOptionSpecs());
  for (const auto& role : roles) {
    text +=
        "\n" + std::string(role.name) + " options:\n" + luvaro::sim::DescribeOptions(role.options);
    text += "  body faults:";
    for (auto kind : role.bodyFaults) text += " " + std::string(kind);
    text += "\n";
  }
  text += "\nThe base URL is the first line on standard output; SIGTERM ends the run.\n";
  return text;
}

// A whole number in [minimum, maximum] given to an option, else a usage error.
int ParseNumber(const std::string& option, const std::string& text, int minimum, int maximum,
                const char* what) {
  int value = minimum - 1;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < minimum || value > maximum)
    throw UsageError("--" + option + ": not " + what + ": \"" + text + "\"");
  return value;
}

int RunRole(const SimRole& role, const std::vector<std::string>& args) {
  const std::vector<OptionSpec> specs = AllOptions(role);
  const Options options = luvaro::sim::ParseArguments(args, specs);

  luvaro::sim::ServerSettings settings;
  settings.role = std::string(role.name);
  if (auto port = options.Get("port"))
    settings.port = ParseNumber("port", *port, 0, 65535, "a port number");
  if (auto seconds = options.Get("keep-alive"))
    settings.keepAliveSeconds = ParseNumber("keep-alive", *seconds, 1, 3600, "a number of seconds");
  if (auto output = options.Get("output")) settings.output = *output;
  if (auto control = options.Get("control")) settings.control = *control;
  settings.announce = options.Has("announce");
  settings.commandLine = options;
  for (const auto& spec : specs)
    if (spec.fault) settings.faultSpecs.push_back(spec);
  settings.bodyFaults.assign(role.bodyFaults.begin(), role.bodyFaults.end());

  luvaro::sim::SimServer server(std::move(settings));
  role.install(server, options);
  return server.Run();
}

}  // namespace

int main(int argc, char** argv) {
  // Each role is one file plus one line here.
  const SimRole roles[] = {
      luvaro::sim::ErpRole(),
      luvaro::sim::GovRole(),
      luvaro::sim::EsocialRole(),
      luvaro::sim::ReinfRole(),
      luvaro::sim::UpdateRole(),
  };

  // A client that goes away while a reply is written must not end the simulator.
  signal(SIGPIPE, SIG_IGN);

  std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
  const std::string name = argc > 1 ? argv[1] : "";
  if (name.empty() || name == "--help" || name == "-h") {
    std::cout << Usage(roles);
    return name.empty() ? 2 : 0;
  }
  auto role = std::find_if(std::begin(roles), std::end(roles),
                           [&](const SimRole& r) { return r.name == name; });
  if (role == std::end(roles)) {
    std::cerr << "luvaro-sim: unknown role \"" << name << "\"\n" << Usage(roles);
    return 2;
  }
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    std::cout << Usage(roles);
    return 0;
  }
  try {
    return RunRole(*role, args);
  } catch (const UsageError& e) {
    std::cerr << "luvaro-sim: " << e.what() << "\n\n" << Usage(roles);
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "luvaro-sim: " << e.what() << std::endl;
    return 1;
  }
}
