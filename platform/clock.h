#pragma once

#include <cstdint>
#include <string>

namespace stravener {

struct LocalDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31
};

// The machine's local date and time of day, now.
struct LocalDateTime {
  LocalDate date;
  int hour;    // 0-23
  int minute;  // 0-59
  int second;  // 0-60
};
LocalDateTime LocalNow();

// The machine's local date (in the time zone TZ names where it is set) at an instant given
// as whole seconds since 1970-01-01 00:00:00 UTC, daylight-saving time as the zone had it
// then.
LocalDate LocalDateOf(int64_t unixSeconds);

// Time as the operations see it: today's local date, sleeps that pace the logger, and a
// high-resolution counter for transfer timing. Tests put in a clock that records sleeps.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDate Today();
  virtual void Sleep(uint32_t milliseconds);
  // A monotonic count and its ticks per second.
  virtual int64_t Counter();
  virtual int64_t CounterFrequency();
};

// The real clock of the machine.
Clock& SystemClock();

}  // namespace stravener
