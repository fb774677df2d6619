#pragma once

// The POSIX side of the port names: COM numbers of devices, the per-user links, and the
// folders they are read from.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/port_names.h"

namespace stravener {

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

}  // namespace stravener
