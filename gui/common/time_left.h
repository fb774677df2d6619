#pragma once

#include <cstdint>
#include <string>

namespace stravener::gui {

// The text in the progress bar while it moves: the percentage done and the time left at
// the rate measured since the bar started, "42% – 1:23 left" / "42% – zostało 1:23" (hours,
// when there are any, as "1:02:03"). Empty while the rate is not known yet (less than a
// second gone, or nothing done) and once everything is done.
std::string TimeLeftText(uint64_t position, uint64_t maximum, int64_t elapsedMs);

}  // namespace stravener::gui
