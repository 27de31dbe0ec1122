#include "tools/sim/sim_options.h"

#include <algorithm>

namespace luvaro::sim {
namespace {

const OptionSpec* FindSpec(std::span<const OptionSpec> specs, std::string_view name) {
  auto it =
      std::find_if(specs.begin(), specs.end(), [&](const OptionSpec& s) { return s.name == name; });
  return it == specs.end() ? nullptr : &*it;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

bool Options::Has(std::string_view name) const {
  return m_values.find(name) != m_values.end();
}

std::optional<std::string> Options::Get(std::string_view name) const {
  auto it = m_values.find(name);
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

void Options::Set(std::string name, std::string value) {
  m_values.insert_or_assign(std::move(name), std::move(value));
}

Options ParseArguments(std::span<const std::string> args, std::span<const OptionSpec> specs) {
  Options result;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (!arg.starts_with("--")) throw UsageError("unexpected argument: " + std::string(arg));
    arg.remove_prefix(2);
    std::optional<std::string> inlineValue;
    if (auto eq = arg.find('='); eq != std::string_view::npos) {
      inlineValue = std::string(arg.substr(eq + 1));
      arg = arg.substr(0, eq);
    }
    const OptionSpec* spec = FindSpec(specs, arg);
    if (!spec) throw UsageError("unknown option: --" + std::string(arg));
    if (spec->valueName.empty()) {
      if (inlineValue) throw UsageError("--" + std::string(arg) + " takes no value");
      result.Set(std::string(arg), {});
    } else if (inlineValue) {
      result.Set(std::string(arg), *inlineValue);
    } else {
      if (i + 1 >= args.size()) throw UsageError("--" + std::string(arg) + " needs a value");
      result.Set(std::string(arg), args[++i]);
    }
  }
  return result;
}

Options ParseControlText(std::string_view text, std::span<const OptionSpec> specs) {
  Options result;
  while (!text.empty()) {
    auto nl = text.find('\n');
    std::string_view line = Trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    if (line.empty() || line.front() == '#') continue;
    std::string_view name = line;
    std::optional<std::string_view> value;
    if (auto eq = line.find('='); eq != std::string_view::npos) {
      name = Trim(line.substr(0, eq));
      value = Trim(line.substr(eq + 1));
    }
    const OptionSpec* spec = FindSpec(specs, name);
    if (!spec || !spec->fault)
      throw UsageError("control file: unknown fault \"" + std::string(name) + "\"");
    if (spec->valueName.empty() && value)
      throw UsageError("control file: " + std::string(name) + " takes no value");
    if (!spec->valueName.empty() && !value)
      throw UsageError("control file: " + std::string(name) + " needs a value");
    result.Set(std::string(name), std::string(value.value_or("")));
  }
  return result;
}

std::string DescribeOptions(std::span<const OptionSpec> specs) {
  std::string text;
  for (const auto& spec : specs) {
    std::string head = "  --" + std::string(spec.name);
    if (!spec.valueName.empty()) head += " " + std::string(spec.valueName);
    if (head.size() < 28)
      head.resize(28, ' ');
    else
      head += "  ";
    text += head + std::string(spec.help) + "\n";
  }
  return text;
}

}  // namespace luvaro::sim
