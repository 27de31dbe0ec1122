#include "tools/sim/faults.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace luvaro::sim {
namespace {

constexpr OptionSpec kFaultOptions[] = {
    {"status", "CODE", "reply with this HTTP status (its standard reason phrase)", true},
    {"delay", "MS", "wait this many milliseconds before replying", true},
    {"close-mid-reply", "", "announce the whole body, send half of it, close the connection", true},
    {"body", "KIND", "damage the reply body (the role lists the kinds)", true},
    {"only", "ENDPOINTS", "apply the faults only to these endpoints (comma-separated)", true},
};

long ParseNumber(const std::string& text, std::string_view option, long min, long max) {
  long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max)
    throw UsageError("--" + std::string(option) + ": not a number from " + std::to_string(min) +
                     " to " + std::to_string(max) + ": \"" + text + "\"");
  return value;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');)
    if (!item.empty()) items.push_back(item);
  return items;
}

}  // namespace

std::span<const OptionSpec> FaultOptionSpecs() {
  return kFaultOptions;
}

FaultSource::FaultSource(Options commandLine, std::optional<std::filesystem::path> controlFile,
                         std::vector<OptionSpec> specs, std::vector<std::string> bodyFaults)
    : m_commandLine(std::move(commandLine)),
      m_controlFile(std::move(controlFile)),
      m_specs(std::move(specs)),
      m_bodyFaults(std::move(bodyFaults)) {}

void FaultSource::Validate(std::span<const std::string> endpoints) const {
  Interpret(m_commandLine, {});
  if (auto only = m_commandLine.Get("only")) {
    for (const auto& name : SplitList(*only))
      if (std::find(endpoints.begin(), endpoints.end(), name) == endpoints.end())
        throw UsageError("--only: this role has no endpoint \"" + name + "\"");
  }
}

Faults FaultSource::For(std::string_view endpoint) const {
  if (m_controlFile) {
    std::ifstream in(*m_controlFile, std::ios::binary);
    if (in) {
      std::stringstream text;
      text << in.rdbuf();
      return Interpret(ParseControlText(text.str(), m_specs), endpoint);
    }
  }
  return Interpret(m_commandLine, endpoint);
}

Faults FaultSource::Interpret(const Options& options, std::string_view endpoint) const {
  Faults faults;
  if (auto v = options.Get("status"))
    faults.status = static_cast<int>(ParseNumber(*v, "status", 100, 599));
  if (auto v = options.Get("delay"))
    faults.delay = std::chrono::milliseconds(ParseNumber(*v, "delay", 0, 3'600'000));
  faults.closeMidReply = options.Has("close-mid-reply");
  if (auto v = options.Get("body")) {
    if (std::find(m_bodyFaults.begin(), m_bodyFaults.end(), *v) == m_bodyFaults.end())
      throw UsageError("--body: this role knows no body fault \"" + *v + "\"");
    faults.body = *v;
  }
  if (auto only = options.Get("only"); only && !endpoint.empty()) {
    auto names = SplitList(*only);
    if (std::find(names.begin(), names.end(), endpoint) == names.end()) return Faults{};
  }
  return faults;
}

}  // namespace luvaro::sim
