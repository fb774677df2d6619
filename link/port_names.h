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

#if !defined(_WIN32)
// Where the POSIX port names come from; tests build a fake tree under a temporary folder.
struct PortNameRoots {
  std::string sysfs;  // "/sys"
  std::string dev;    // "/dev"
  std::string links;  // the per-user folder of COMn links: SettingsDirectory() + "/ports"
};
PortNameRoots SystemPortNameRoots();

// The families of serial devices that have COM numbers, 32 of each:
// ttyS k -> COM(k+1), ttyUSB k -> COM(k+33), ttyACM k -> COM(k+65), rfcomm k -> COM(k+97).
std::optional<uint32_t> ComNumberForDevice(const std::string& kernelName);
// The other way: 33 -> "ttyUSB0"; empty for a number outside the families.
std::string DeviceForComNumber(uint32_t number);

// "COMn": the link ports/COMn when there is one (a link whose target is missing still
// resolves, so opening it tells that the device is gone), else the device of its family
// number under `dev` (whether or not it exists). Anything else is a path, taken as it is.
std::string ResolvePortName(const std::string& name, const PortNameRoots& roots);

// Every link ports/COMn whose target is a character device, then every detected device:
// the entries of sysfs class/tty that belong to hardware (not the virtual consoles and
// pseudo-terminals), without the serial-core ports whose UART type is unknown (the
// phantom ttyS ports of a PC without them). A device whose COM number a link has taken is
// listed without a COM name.
std::vector<PortEntry> EnumeratePorts(const PortNameRoots& roots);
#endif

}  // namespace stravener
