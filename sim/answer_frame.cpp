#include "sim/answer_frame.h"

#include "link/checksum.h"

namespace stravener::sim {

std::vector<uint8_t> BuildFrame(const uint8_t* payload, size_t count, FrameCheck check) {
  const auto length = static_cast<uint16_t>(count);
  std::vector<uint8_t> frame;
  frame.reserve(count + 3);
  frame.push_back(static_cast<uint8_t>(length));
  frame.push_back(static_cast<uint8_t>(length >> 8));
  frame.insert(frame.end(), payload, payload + length);
  uint8_t sum = 0;
  if (check == FrameCheck::Crc) {
    sum = Crc8(frame.data(), 2, 0);
    sum = Crc8(frame.data() + 2, length, sum);
  } else {
    sum = Xor8(frame.data(), 2, 0);
    sum = Xor8(frame.data() + 2, length, sum);
  }
  frame.push_back(sum);
  return frame;
}

}  // namespace stravener::sim
