#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener {

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
// The largest image of all profiles: the size of the image buffer.
constexpr uint32_t kLargestFirmwareImage = 130048;

// The profile of a signature, if it is one of the three.
std::optional<ProcessorProfile> FindProcessorProfile(const uint8_t* signature);

// Loads a firmware image (.upg: program memory from address 0, low byte of each word
// first) into the logger: "$PQRVU,\r\n" hands it over to its boot loader, the port goes to
// 115200 bit/s, the signature picks the profile (asked up to ten times), the program memory
// is erased and written page by page, a last partial page padded with 0xFF, and 'r'
// restarts the processor; the port is then closed. Lines are logged only with the flag
// set. 0 when the image was written and the restart sent; -1 otherwise (reported, the
// connection left open at the speed it had then). A stop request (app/stop_request.h)
// before the erase restarts the processor into its unchanged firmware; after it, the page
// being written is finished, and the log says that the memory is incomplete and the upgrade
// must be run again.
int UpgradeFirmware(PortConnection& connection, Host& host, const std::string& path, ReportFlag report);

// The Upgrade button: asks for a firmware file and loads it with UpgradeFirmware. Done when
// the image was loaded, Cancelled when no file was chosen, Failed otherwise.
OperationResult StartFirmwareUpgrade(PortConnection& connection, Host& host);

}  // namespace stravener
