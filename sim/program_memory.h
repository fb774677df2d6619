#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace stravener::sim {

// The logger's processor as its boot loader describes it: the three signature bytes in the
// order they are sent, the page size and the program memory below the boot section.
struct ProcessorProfile {
  std::array<uint8_t, 3> signature;
  uint32_t wordsPerPage;
  uint32_t applicationBytes;

  uint32_t PageBytes() const { return wordsPerPage * 2; }
  uint32_t Pages() const { return applicationBytes / PageBytes(); }
};

inline constexpr ProcessorProfile kProcessorProfiles[] = {
    {{0x07, 0x93, 0x1E}, 32, 7936},
    {{0x02, 0x95, 0x1E}, 64, 32256},
    {{0x02, 0x97, 0x1E}, 128, 130048},
};

const ProcessorProfile* FindProcessorProfile(const std::array<uint8_t, 3>& signature);

// The processor's flash below the boot section. It starts out holding the old firmware; an
// erase sets every byte to 0xFF, and a page write can only clear bits (the page becomes the
// old bytes AND the new ones), as flash does, so a page written without an erase comes
// out wrong. After an erase the memory holds no firmware the processor could start until
// the boot loader marks a programming run complete (see BootLoader).
class ProgramMemory {
 public:
  explicit ProgramMemory(const ProcessorProfile& profile);

  const ProcessorProfile& Profile() const { return profile_; }
  void Erase();
  // Writes one page from a page buffer of PageBytes() bytes; false beyond the memory.
  bool WritePage(uint32_t page, const uint8_t* buffer);
  // The memory from address 0 up to the end of the highest page written since the last
  // erase (or since the start): what a firmware image file loaded into it looks like,
  // padded with 0xFF to whole pages. Empty when nothing was written.
  std::vector<uint8_t> ProgrammedImage() const;
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  // Whether a restart starts firmware: not since an erase, until MarkFirmwareComplete.
  bool HoldsFirmware() const { return holdsFirmware_; }
  void MarkFirmwareComplete() { holdsFirmware_ = true; }

 private:
  ProcessorProfile profile_;
  std::vector<uint8_t> bytes_;
  std::optional<uint32_t> highestPage_;
  bool holdsFirmware_ = true;
};

}  // namespace stravener::sim
