#pragma once

// The clock of the tests, fuzz targets and benchmarks: a fixed today, every sleep recorded
// (and really slept only with realSleeps, which a real device or the simulated logger
// needs), and the machine's counter unless `counter` holds one of its own.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/clock.h"

class TestClock : public stravener::Clock {
 public:
  stravener::LocalDate Today() override { return today; }
  void Sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    slept += milliseconds;
    if (realSleeps) stravener::Clock::Sleep(milliseconds);
    if (onSleep) onSleep(milliseconds);
  }
  // With `counter` set, a count of milliseconds that moves on by counterStep at every look
  // (0: time stands still).
  int64_t Counter() override {
    if (!counter) return stravener::Clock::Counter();
    *counter += counterStep;
    return *counter;
  }
  int64_t CounterFrequency() override { return counter ? 1000 : stravener::Clock::CounterFrequency(); }

  stravener::LocalDate today{2006, 3, 15};
  bool realSleeps = false;
  std::optional<int64_t> counter;
  int64_t counterStep = 0;
  std::vector<uint32_t> sleeps;
  uint64_t slept = 0;  // milliseconds in all
  // Called after each sleep, as something may happen while the operation waits.
  std::function<void(uint32_t)> onSleep;
};
