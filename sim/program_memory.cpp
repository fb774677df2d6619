#include "sim/program_memory.h"

#include <algorithm>

namespace stravener::sim {

const ProcessorProfile* FindProcessorProfile(const std::array<uint8_t, 3>& signature) {
  for (const ProcessorProfile& profile : kProcessorProfiles) {
    if (profile.signature == signature) return &profile;
  }
  return nullptr;
}

ProgramMemory::ProgramMemory(const ProcessorProfile& profile) : profile_(profile), bytes_(profile.applicationBytes) {
  // Some old firmware: a fixed pattern with few 0xFF bytes.
  uint32_t state = 0x2545F491u;
  for (uint8_t& b : bytes_) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(state >> 24) & 0x7F;
  }
}

void ProgramMemory::Erase() {
  std::fill(bytes_.begin(), bytes_.end(), 0xFF);
  highestPage_.reset();
  holdsFirmware_ = false;
}

bool ProgramMemory::WritePage(uint32_t page, const uint8_t* buffer) {
  if (page >= profile_.Pages()) return false;
  uint8_t* target = bytes_.data() + static_cast<size_t>(page) * profile_.PageBytes();
  for (uint32_t i = 0; i < profile_.PageBytes(); ++i) target[i] &= buffer[i];
  if (!highestPage_ || page > *highestPage_) highestPage_ = page;
  return true;
}

std::vector<uint8_t> ProgramMemory::ProgrammedImage() const {
  if (!highestPage_) return {};
  const size_t length = static_cast<size_t>(*highestPage_ + 1) * profile_.PageBytes();
  return std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length));
}

}  // namespace stravener::sim
