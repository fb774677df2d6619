#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace stravener {

// A speed of the logger's serial line, with the number its speed sentence ("$PQRVS,n")
// gives it.
struct LineSpeed {
  uint32_t bitsPerSecond;
  char sentenceCode;
};

// Every speed of the line, in this one table; the lists below derive from it.
// The command speed: every command runs at it, and "$PQRVS,0" brings the logger back.
inline constexpr LineSpeed kCommandLineSpeed{4800, '0'};
// The speeds of a track transfer, fastest first.
inline constexpr LineSpeed kTransferLineSpeeds[] = {
    {460800, '4'}, {230400, '2'}, {115200, '1'}, {57600, '5'}, {38400, '3'}};
// The transfer speed of a speed limit the table does not name, and the least a port's probe
// reports.
inline constexpr LineSpeed kDefaultTransferLineSpeed = kTransferLineSpeeds[2];

constexpr uint32_t kCommandSpeed = kCommandLineSpeed.bitsPerSecond;
constexpr uint32_t kDefaultTransferSpeed = kDefaultTransferLineSpeed.bitsPerSecond;

namespace line_speeds_detail {

constexpr size_t kTransferCount = std::size(kTransferLineSpeeds);

constexpr bool FastestFirst() {
  for (size_t i = 1; i < kTransferCount; ++i) {
    if (kTransferLineSpeeds[i].bitsPerSecond >= kTransferLineSpeeds[i - 1].bitsPerSecond) return false;
  }
  return true;
}
static_assert(FastestFirst(), "the transfer speeds go fastest first");

constexpr std::array<uint32_t, kTransferCount> TransferSpeeds() {
  std::array<uint32_t, kTransferCount> speeds{};
  for (size_t i = 0; i < kTransferCount; ++i) speeds[i] = kTransferLineSpeeds[i].bitsPerSecond;
  return speeds;
}

constexpr size_t kProbeCount = [] {
  size_t count = 0;
  for (const LineSpeed& s : kTransferLineSpeeds) count += s.bitsPerSecond >= kDefaultTransferSpeed ? 1 : 0;
  return count;
}();

constexpr std::array<uint32_t, kProbeCount> ProbeSpeeds() {
  std::array<uint32_t, kProbeCount> speeds{};
  size_t n = 0;
  for (size_t i = kTransferCount; i > 0; --i) {
    if (kTransferLineSpeeds[i - 1].bitsPerSecond >= kDefaultTransferSpeed) speeds[n++] = kTransferLineSpeeds[i - 1].bitsPerSecond;
  }
  return speeds;
}

}  // namespace line_speeds_detail

// The transfer speeds, fastest first: a download may leave the logger at any of them, and
// they are the speed limits a user may choose.
inline constexpr std::array<uint32_t, line_speeds_detail::kTransferCount> kTransferSpeeds =
    line_speeds_detail::TransferSpeeds();
// What a port's probe tries, slowest first: the transfer speeds from the default one up.
inline constexpr std::array<uint32_t, line_speeds_detail::kProbeCount> kProbeSpeeds = line_speeds_detail::ProbeSpeeds();

// The line speed of a speed limit: the transfer speed it names, else the default one.
constexpr const LineSpeed& TransferLineSpeedFor(uint32_t speedLimit) {
  for (const LineSpeed& s : kTransferLineSpeeds) {
    if (s.bitsPerSecond == speedLimit) return s;
  }
  return kDefaultTransferLineSpeed;
}

}  // namespace stravener
