#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace stravener {

// The logger's processor's boot loader: single-byte commands at 115200 bit/s.
constexpr uint32_t kBootLoaderSpeed = 115200;

// The boot loader's one-byte commands.
constexpr uint8_t kSignatureCommand = 's';  // answered with the three signature bytes
constexpr uint8_t kEraseCommand = 'e';
constexpr uint8_t kAddressCommand = 'A';
constexpr uint8_t kLowByteCommand = 'c';
constexpr uint8_t kHighByteCommand = 'C';
constexpr uint8_t kWritePageCommand = 'm';
constexpr uint8_t kRestartCommand = 'r';  // restarts the processor; no answer

// A processor the boot loader may report, by its three signature bytes in received order.
struct ProcessorProfile {
  std::array<uint8_t, 3> signature;
  uint32_t wordsPerPage;  // a word is 16 bits; boot loader addresses count words
  uint32_t largestImage;  // bytes
  uint32_t BytesPerPage() const { return wordsPerPage * 2; }
};

inline constexpr ProcessorProfile kProcessorProfiles[] = {
    {{0x07, 0x93, 0x1E}, 32, 7936},
    {{0x02, 0x95, 0x1E}, 64, 32256},
    {{0x02, 0x97, 0x1E}, 128, 130048},
};
// The largest image of all profiles: the size of the image buffer, and the longest
// firmware file that any processor takes.
constexpr uint32_t kLargestFirmwareImage = 130048;

// The profile of a signature, if it is one of the three.
std::optional<ProcessorProfile> FindProcessorProfile(const uint8_t* signature);

}  // namespace stravener
