#include "sim/info_record.h"

namespace stravener::sim {

namespace {

void PutLittle16(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

std::array<uint8_t, 22> BuildInfoRecord(const InfoRecordFields& f) {
  std::array<uint8_t, 22> r{};
  for (int i = 0; i < 4; ++i) {
    r[i] = f.serial[i];
    r[4 + i] = f.productionDate[i];
    r[8 + i] = i < static_cast<int>(f.firmware.size()) ? static_cast<uint8_t>(f.firmware[i]) : 0;
  }
  PutLittle16(&r[12], f.pageCount);
  PutLittle16(&r[14], f.pageSize);
  const uint32_t fullPages = f.pageSize ? f.usedBytes / f.pageSize : 0;
  const uint32_t partial = f.pageSize ? f.usedBytes % f.pageSize : 0;
  PutLittle16(&r[16], fullPages);
  PutLittle16(&r[18], partial);
  r[20] = f.skip;
  r[21] = 0;
  return r;
}

}  // namespace stravener::sim
