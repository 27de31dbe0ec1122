#pragma once

#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace luvaro::sim {

// A wrong command line or control file; the text says what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One "--name [value]" option of the command line.
struct OptionSpec {
  std::string_view name;       // without the leading "--"
  std::string_view valueName;  // empty: a switch that takes no value
  std::string_view help;
  bool fault = false;  // may also stand in the control file
};

// Option values by name; a switch holds an empty value.
class Options {
 public:
  bool Has(std::string_view name) const;
  std::optional<std::string> Get(std::string_view name) const;
  void Set(std::string name, std::string value);

 private:
  std::map<std::string, std::string, std::less<>> m_values;
};

// Reads "--name value", "--name=value" and "--switch" arguments; anything else is a UsageError.
Options ParseArguments(std::span<const std::string> args, std::span<const OptionSpec> specs);

// Reads a control file's text: one "name=value" or "name" per line, blank lines and lines
// starting with '#' ignored. Only fault options are accepted.
Options ParseControlText(std::string_view text, std::span<const OptionSpec> specs);

// The options as help text, one per line.
std::string DescribeOptions(std::span<const OptionSpec> specs);

}  // namespace luvaro::sim
