#pragma once

#include <cstdint>

namespace luvaro {

// A date-time as the documents and messages count it: days since 30 December 1899 (0 is that
// day at midnight), the fraction being the time of day. Local time, no offset.
using DateTime = double;

struct DateTimeParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// False when a part is out of range (month 13, 30 February, hour 24...).
bool tryEncodeDateTime(const DateTimeParts& parts, DateTime& out) noexcept;
// Throws EDFeException when a part is out of range.
DateTime encodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                        int millisecond = 0);
DateTimeParts decodeDateTime(DateTime value) noexcept;

// The present moment in local time.
DateTime nowLocal();
// The system's current offset from UTC in seconds (negative west of Greenwich).
long localUtcOffsetSeconds();

}  // namespace luvaro
