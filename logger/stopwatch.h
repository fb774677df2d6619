#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace stravener {

// The transfer stopwatch on the clock's high-resolution counter. With read false it takes
// the counter's frequency and the current count as the start (one start for the whole
// process) and returns 0; with read true it returns the whole milliseconds since the start.
int32_t Stopwatch(Clock& clock, bool read);

}  // namespace stravener
