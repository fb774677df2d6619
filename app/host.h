#pragma once

#include <cstdint>

#include "app/event_log.h"
#include "platform/clock.h"

namespace stravener {

// The sink an operation reports to while it runs: the event log, the progress bar, the
// repaint and the clock. The desktop window implements it with widgets, the command line
// with the terminal, tests with recorders. Every operation takes what it needs as
// parameters and runs to its end inside one call from the front end; it never asks the
// user anything through here (the caller asks before or between its calls). A stop
// request reaches it through platform/stop_request.h.
class Host {
 public:
  virtual ~Host() = default;

  virtual EventLog& Log() = 0;

  // The progress bar: a range 0..maximum and a position.
  virtual void SetProgressRange(uint32_t maximum) = 0;
  virtual void SetProgressPosition(uint32_t position) = 0;
  // Shows what changed (log lines, progress) at once, while the operation goes on.
  virtual void Repaint() = 0;

  // Dates, sleeps and the transfer stopwatch; tests replace it.
  virtual Clock& GetClock() { return SystemClock(); }
};

}  // namespace stravener
