#include "dfe/xml/variante.h"

#include <cmath>
#include <cstdio>

#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

template <class... F>
struct Overload : F... {
  using F::operator()...;
};
// Spelled out for compilers without C++20's deduction for aggregates (clang before 17).
template <class... F>
Overload(F...) -> Overload<F...>;

std::string formatDateTimeText(DateTime value) {
  const DateTimeParts p = decodeDateTime(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour,
                p.minute, p.second);
  return buf;
}

}  // namespace

std::string Variant::AsString() const {
  return std::visit(
      Overload{[](std::monostate) { return std::string(); }, [](const std::string& s) { return s; },
               [](std::int64_t i) { return std::to_string(i); },
               [](double d) { return formatGeneral(d); },
               [](bool b) { return std::string(b ? "True" : "False"); },
               [](DateTimeValue d) { return formatDateTimeText(d.value); }},
      m_value);
}

std::optional<std::int64_t> Variant::AsInteger() const {
  return std::visit(
      Overload{[](std::monostate) -> std::optional<std::int64_t> { return std::nullopt; },
               [](const std::string& s) -> std::optional<std::int64_t> {
                 const auto v = parseInteger(s);
                 if (!v) return std::nullopt;
                 return static_cast<std::int64_t>(*v);
               },
               [](std::int64_t i) -> std::optional<std::int64_t> { return i; },
               [](double d) -> std::optional<std::int64_t> {
                 if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e18) {
                   return std::nullopt;
                 }
                 return static_cast<std::int64_t>(d);
               },
               [](bool b) -> std::optional<std::int64_t> { return b ? 1 : 0; },
               [](DateTimeValue) -> std::optional<std::int64_t> { return std::nullopt; }},
      m_value);
}

std::optional<double> Variant::AsFloat() const {
  return std::visit(
      Overload{[](std::monostate) -> std::optional<double> { return std::nullopt; },
               [](const std::string& s) { return parseDecimal(s); },
               [](std::int64_t i) -> std::optional<double> { return static_cast<double>(i); },
               [](double d) -> std::optional<double> {
                 if (!std::isfinite(d)) return std::nullopt;
                 return d;
               },
               [](bool b) -> std::optional<double> { return b ? 1.0 : 0.0; },
               [](DateTimeValue d) -> std::optional<double> { return d.value; }},
      m_value);
}

DateTime Variant::AsDateTime() const {
  if (const auto* d = std::get_if<DateTimeValue>(&m_value)) return d->value;
  if (const auto* d = std::get_if<double>(&m_value)) return std::isfinite(*d) ? *d : 0;
  if (const auto* i = std::get_if<std::int64_t>(&m_value)) return static_cast<double>(*i);
  return 0;
}

bool Variant::AsBoolean() const {
  if (const auto* b = std::get_if<bool>(&m_value)) return *b;
  if (const auto* s = std::get_if<std::string>(&m_value)) {
    return equalsNoCase(trimText(*s), "true") || trimText(*s) == "1";
  }
  const auto n = AsFloat();
  return n && *n != 0;
}

bool Variant::operator==(const Variant& other) const {
  if (m_value.index() != other.m_value.index()) return false;
  if (IsDateTime()) return AsDateTime() == other.AsDateTime();
  return m_value == other.m_value;
}

}  // namespace luvaro
