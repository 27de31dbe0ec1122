#include "dfe/xml/data_hora.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "dfe/dfe_exception.h"

namespace luvaro {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Day number of 30 December 1899 counted from 1 January 1970.
constexpr std::int64_t kEpochOffsetDays = -25569;

std::int64_t daysFromCivil(int y, unsigned m, unsigned d) noexcept {
  const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{m},
                                        std::chrono::day{d}};
  return std::chrono::sys_days{ymd}.time_since_epoch().count() - kEpochOffsetDays;
}

}  // namespace

bool tryEncodeDateTime(const DateTimeParts& p, DateTime& out) noexcept {
  if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1) return false;
  const std::chrono::year_month_day ymd{std::chrono::year{p.year},
                                        std::chrono::month{static_cast<unsigned>(p.month)},
                                        std::chrono::day{static_cast<unsigned>(p.day)}};
  if (!ymd.ok()) return false;
  if (p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59 ||
      p.millisecond < 0 || p.millisecond > 999) {
    return false;
  }
  const std::int64_t days =
      daysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day));
  const std::int64_t ms =
      ((static_cast<std::int64_t>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
  const double fraction = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  // Days before the zero date carry their time of day as a positive fraction away from zero.
  out = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return true;
}

DateTime encodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
  DateTime out = 0;
  if (!tryEncodeDateTime({year, month, day, hour, minute, second, millisecond}, out)) {
    throw EDFeException("Data ou hora inválida");
  }
  return out;
}

DateTimeParts decodeDateTime(DateTime value) noexcept {
  if (!std::isfinite(value) || std::fabs(value) > 3'000'000.0) return {};
  double whole = std::trunc(value);
  std::int64_t ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {  // rounding reached the next midnight
    ms -= kMsPerDay;
    whole += value >= 0 ? 1 : -1;
  }
  const std::chrono::sys_days day{
      std::chrono::days{static_cast<std::int64_t>(whole) + kEpochOffsetDays}};
  const std::chrono::year_month_day ymd{day};
  DateTimeParts p;
  p.year = static_cast<int>(ymd.year());
  p.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  p.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  p.hour = static_cast<int>(ms / 3'600'000);
  p.minute = static_cast<int>(ms / 60'000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

DateTime nowLocal() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  DateTime out = 0;
  tryEncodeDateTime({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec > 59 ? 59 : tm.tm_sec, static_cast<int>(ms)},
                    out);
  return out;
}

long localUtcOffsetSeconds() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  std::tm utc{};
  localtime_r(&t, &local);
  gmtime_r(&t, &utc);
  // Both broken-down times read as UTC differ by the offset (tm_gmtoff is not on every system).
  const auto asUtc = [](const std::tm& tm) {
    using namespace std::chrono;
    const sys_days day{year{tm.tm_year + 1900} / (tm.tm_mon + 1) / tm.tm_mday};
    return day.time_since_epoch().count() * 86400LL + tm.tm_hour * 3600LL + tm.tm_min * 60LL +
           tm.tm_sec;
  };
  return static_cast<long>(asUtc(local) - asUtc(utc));
}

}  // namespace luvaro
