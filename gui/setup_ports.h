#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace stravener::gui {

// What the Setup dialog asks of the system; tests give fakes.
struct SetupServices {
  // The serial port names the system reports, for example "COM1", "COM3:" or, where the
  // number alone says little, "COM33 (ttyUSB0)".
  std::function<std::vector<std::string>()> enumeratePorts;
  // The fastest speed the port with this number accepts, opened by its name for the probe
  // (115200 when it cannot be opened).
  std::function<uint32_t(uint32_t portNumber)> probeMaxSpeed;
};

// The speeds the speed list can offer, fastest first.
inline constexpr uint32_t kOfferedSpeeds[] = {460800, 230400, 115200, 57600, 38400};

// The port list's entries from the reported names: only names beginning with "COM"
// (capitals), a trailing ":" removed, sorted as text (so COM10 comes before COM2).
std::vector<std::string> PortListEntries(const std::vector<std::string>& reported);

// The port number of an entry: the decimal digits that follow its first three characters
// ("COM10" gives 10, "COM33 (ttyUSB0)" 33); 0 when no digit follows.
uint32_t PortNumberOfEntry(const std::string& entry);

// The index of the first entry that begins with prefix, ignoring case; -1 when none does.
int FindEntryWithPrefix(const std::vector<std::string>& entries, const std::string& prefix);

// The speed list for a port whose probe gave maxSpeed: every offered speed not above it,
// as "%d bps", fastest first.
std::vector<std::string> SpeedListEntries(uint32_t maxSpeed);

// The speed of a speed list entry: the number before its first blank.
uint32_t SpeedOfEntry(const std::string& entry);

}  // namespace stravener::gui
