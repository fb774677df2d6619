#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace stravener {

LocalDateTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return LocalDateTime{{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour, local.tm_min,
                       local.tm_sec};
}

LocalDate LocalDateOf(int64_t unixSeconds) {
  std::tm local{};
#if defined(_WIN32)
  const __time64_t time = unixSeconds;
  _localtime64_s(&local, &time);
#else
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  localtime_r(&time, &local);
#endif
  return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

LocalDate Clock::Today() { return LocalNow().date; }

void Clock::Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

int64_t Clock::Counter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t Clock::CounterFrequency() { return 1000000000; }

Clock& SystemClock() {
  static Clock clock;
  return clock;
}

}  // namespace stravener
