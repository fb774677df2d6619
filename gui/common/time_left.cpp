#include "gui/common/time_left.h"

#include "app/format.h"

namespace stravener::gui {

namespace {

// A rate measured over less than this says little.
constexpr int64_t kFirstEstimateMs = 1000;

}  // namespace

std::string TimeLeftText(uint64_t position, uint64_t maximum, int64_t elapsedMs) {
  if (position == 0 || position >= maximum || elapsedMs < kFirstEstimateMs) return {};
  const auto percent = static_cast<unsigned>(position * 100 / maximum);
  // What is left at the rate so far, in whole seconds rounded up: "0:00" only at the end.
  const auto leftMs = static_cast<uint64_t>(elapsedMs) * (maximum - position) / position;
  const uint64_t seconds = (leftMs + 999) / 1000;
  const auto hours = static_cast<unsigned>(seconds / 3600);
  const auto minutes = static_cast<unsigned>(seconds / 60 % 60);
  const auto rest = static_cast<unsigned>(seconds % 60);
  const std::string left = hours > 0 ? FormatText("%u:%02u:%02u", hours, minutes, rest)
                                     : FormatText("%u:%02u", minutes, rest);
  return FORMAT_PAIR("%u%% – zostało %s", "%u%% – %s left", percent, left.c_str());
}

}  // namespace stravener::gui
