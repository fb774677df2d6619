#include "link/checksum.h"

namespace stravener {

uint8_t CrcStep(uint8_t data, uint8_t reg) {
  for (int bit = 0; bit < 8; ++bit) {
    const bool top = (reg & 0x80) != 0;
    reg = static_cast<uint8_t>((reg << 1) | (data >> 7));
    if (top) reg ^= 0x85;
    data = static_cast<uint8_t>(data << 1);
  }
  return reg;
}

uint8_t Crc8(const uint8_t* bytes, uint16_t count, uint8_t start) {
  uint8_t reg = start;
  for (uint16_t i = 0; i < count; ++i) reg = CrcStep(bytes[i], reg);
  return reg;
}

uint8_t Xor8(const uint8_t* bytes, uint16_t count, uint8_t start) {
  uint8_t value = start;
  for (uint16_t i = 0; i < count; ++i) value ^= bytes[i];
  return value;
}

}  // namespace stravener
