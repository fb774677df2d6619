#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stravener::sim {

// What a UART receiving at one speed makes of bytes sent back to back at another speed.
// The sender's waveform (start bit 0, eight data bits low bit first, stop bit 1, the line
// idle at 1 after the last byte) is sampled the way a receiver does it: a frame begins
// wherever it finds the line low, each data bit is read in the middle of its own bit time
// and the byte is delivered even when its stop bit reads 0 (a framing error, which a raw
// serial line passes on). At equal speeds the bytes come out unchanged; otherwise more,
// fewer or other bytes arrive, always the same for the same input.
std::vector<uint8_t> ReclockBytes(const uint8_t* bytes, size_t count, uint32_t senderSpeed,
                                  uint32_t receiverSpeed);

}  // namespace stravener::sim
