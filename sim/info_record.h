#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace stravener::sim {

// The 22-byte information record the logger answers "$PQRVI,\r\n" with: serial number,
// production date (packed decimal day, month, century, year), four firmware characters
// (zero-filled), then little-endian page count, page size, full pages used, bytes in the
// partly used page, the skip setting and one spare byte.
struct InfoRecordFields {
  std::array<uint8_t, 4> serial{};
  std::array<uint8_t, 4> productionDate{};
  std::string firmware;
  uint16_t pageCount = 0;
  uint16_t pageSize = 0;
  uint32_t usedBytes = 0;
  uint8_t skip = 0;
};

std::array<uint8_t, 22> BuildInfoRecord(const InfoRecordFields& fields);

}  // namespace stravener::sim
