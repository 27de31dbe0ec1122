#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "dfe/xml/data_hora.h"

namespace luvaro {

// A date-time carried by a Variant, kept apart from a plain number.
struct DateTimeValue {
  DateTime value = 0;
  bool operator==(const DateTimeValue&) const = default;
};

// The tagged value the XML writer takes and the reader gives: nothing, text (UTF-8), an
// integer, a floating number, a date-time or a Boolean.
class Variant {
 public:
  Variant() = default;
  Variant(const char* text) : m_value(std::string(text ? text : "")) {}
  Variant(std::string text) : m_value(std::move(text)) {}
  Variant(std::string_view text) : m_value(std::string(text)) {}
  template <std::integral T>
  requires(!std::same_as<T, bool>) Variant(T number) : m_value(static_cast<std::int64_t>(number)) {}
  template <std::floating_point T>
  Variant(T number) : m_value(static_cast<double>(number)) {}
  Variant(bool flag) : m_value(flag) {}
  Variant(DateTimeValue date) : m_value(date) {}

  static Variant Date(DateTime value) { return Variant(DateTimeValue{value}); }

  bool IsNull() const noexcept { return std::holds_alternative<std::monostate>(m_value); }
  bool IsString() const noexcept { return std::holds_alternative<std::string>(m_value); }
  bool IsInteger() const noexcept { return std::holds_alternative<std::int64_t>(m_value); }
  bool IsFloat() const noexcept { return std::holds_alternative<double>(m_value); }
  bool IsDateTime() const noexcept { return std::holds_alternative<DateTimeValue>(m_value); }
  bool IsBoolean() const noexcept { return std::holds_alternative<bool>(m_value); }

  // The value as text: numbers with "." and at most 15 significant digits, Booleans as
  // "True"/"False", date-times as dd/mm/yyyy hh:nn:ss, nothing as "".
  std::string AsString() const;
  // An integer value, a whole floating number or a text holding an integer; else nothing.
  std::optional<std::int64_t> AsInteger() const;
  // A number, or a text holding one ("." or "," as separator); else nothing.
  std::optional<double> AsFloat() const;
  // A date-time, or a number taken as one; else 0 (the zero date).
  DateTime AsDateTime() const;
  bool AsBoolean() const;

  bool operator==(const Variant& other) const;

 private:
  std::variant<std::monostate, std::string, std::int64_t, double, bool, DateTimeValue> m_value;
};

}  // namespace luvaro
