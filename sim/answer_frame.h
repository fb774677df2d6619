#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stravener::sim {

enum class FrameCheck { Crc, Xor };

// The logger's answer frame: the payload length as a little-endian 16-bit word, the
// payload, and one checksum byte over the length word and the payload. The payload may
// not be longer than 65535 bytes.
std::vector<uint8_t> BuildFrame(const uint8_t* payload, size_t count, FrameCheck check);

}  // namespace stravener::sim
