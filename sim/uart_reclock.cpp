#include "sim/uart_reclock.h"

namespace stravener::sim {

namespace {

// Time is counted in units of 1 / (2 × sender × receiver) seconds, so that a sender bit
// (2 × receiver units) and half a receiver bit (sender units) are both whole numbers.
class Waveform {
 public:
  Waveform(const uint8_t* bytes, size_t count, uint32_t receiverSpeed)
      : bytes_(bytes), count_(count), bit_(2 * static_cast<int64_t>(receiverSpeed)) {}

  int64_t End() const { return static_cast<int64_t>(count_) * 10 * bit_; }

  int Level(int64_t t) const {
    if (t < 0 || t >= End()) return 1;
    const int64_t frame = t / (10 * bit_);
    const int64_t bit = (t - frame * 10 * bit_) / bit_;
    if (bit == 0) return 0;
    if (bit == 9) return 1;
    return (bytes_[frame] >> (bit - 1)) & 1;
  }

  // The first time at or after t where the line is low, or -1 when it stays idle.
  int64_t NextLow(int64_t t) const {
    if (t >= End()) return -1;
    if (Level(t) == 0) return t;
    // The level changes only on sender bit boundaries.
    for (int64_t edge = (t / bit_ + 1) * bit_; edge < End(); edge += bit_) {
      if (Level(edge) == 0) return edge;
    }
    return -1;
  }

 private:
  const uint8_t* bytes_;
  size_t count_;
  int64_t bit_;
};

}  // namespace

std::vector<uint8_t> ReclockBytes(const uint8_t* bytes, size_t count, uint32_t senderSpeed,
                                  uint32_t receiverSpeed) {
  if (senderSpeed == receiverSpeed) return std::vector<uint8_t>(bytes, bytes + count);
  std::vector<uint8_t> received;
  if (senderSpeed == 0 || receiverSpeed == 0 || count == 0) return received;

  const Waveform line(bytes, count, receiverSpeed);
  const int64_t half = senderSpeed;  // half a receiver bit
  int64_t t = 0;
  for (;;) {
    const int64_t start = line.NextLow(t);
    if (start < 0) break;
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
      const int64_t sample = start + (2 * (bit + 1) + 1) * half;
      value = static_cast<uint8_t>(value | (line.Level(sample) << bit));
    }
    received.push_back(value);
    // The receiver looks for the next start bit from the middle of the stop bit on.
    t = start + 19 * half;
  }
  return received;
}

}  // namespace stravener::sim
