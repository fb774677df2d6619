#pragma once

#include <cstdint>

namespace stravener {

// One step of the logger's 8-bit CRC: shifts the eight bits of `data`, top bit first, into
// the register, XORing it with 0x85 whenever a set bit leaves the top. With start value 0
// a run of steps gives the remainder of the message divided by x^8 + x^7 + x^2 + 1, with
// no eight zero bits appended, no reflection and no final XOR.
uint8_t CrcStep(uint8_t data, uint8_t reg);

// The CRC register after `count` bytes, starting from `start`.
uint8_t Crc8(const uint8_t* bytes, uint16_t count, uint8_t start);

// `start` XORed with every byte.
uint8_t Xor8(const uint8_t* bytes, uint16_t count, uint8_t start);

}  // namespace stravener
