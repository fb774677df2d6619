#include "logger/stopwatch.h"

namespace stravener {

namespace {
int64_t startCount = 0;
int64_t frequency = 1;
}  // namespace

int32_t Stopwatch(Clock& clock, bool read) {
  if (!read) {
    frequency = clock.CounterFrequency();
    if (frequency <= 0) frequency = 1;
    startCount = clock.Counter();
    return 0;
  }
  const int64_t now = clock.Counter();
  return static_cast<int32_t>((now - startCount) * 1000 / frequency);
}

}  // namespace stravener
