#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stravener {

// One serial port of the machine, as the Setup dialog and `stravener ports` list it.
struct PortEntry {
  std::string comName;      // "COM33"; empty for a device that has no COM number
  std::string device;       // what is opened: "/dev/ttyUSB0", a link's target; "COM3" on Windows
  std::string description;  // "FT232R USB UART", "Serial port", ...; may be empty
  bool isLink = false;      // named by a link in the per-user ports folder
};

// What the port list shows for an entry: "COM33 (ttyUSB0)" on POSIX, "COM3" on Windows.
// It begins with the COM name, so the number can be read from its fourth character on; an
// entry without a COM name shows only its device ("ttyUSB40") and so does not begin with
// "COM", which keeps it out of a list of COM ports.
std::string PortLabel(const PortEntry& entry);

// The number of "COMn" (case-insensitive "com" followed by decimal digits only), if it is one.
std::optional<uint32_t> ComNumberOf(const std::string& name);

// The machine's serial ports that really exist, ordered by COM number (entries without one
// last, by device). Never fails: what cannot be read is left out.
std::vector<PortEntry> EnumeratePorts();

// The device to open for a port name: on POSIX "COMn" is resolved (below) and any other
// name is taken as a path; empty when a COM name resolves to nothing. On Windows the name
// is returned as it is.
std::string ResolvePortName(const std::string& name);

}  // namespace stravener
