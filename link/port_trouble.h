#pragma once

#include <cstdint>
#include <string>

#include "app/event_log.h"

namespace stravener {

// A port as the plain lines name it: its COM name with the device it stands for,
// "COM33 (/dev/ttyUSB0)" (a link followed to its device); a device path as it is; on
// Windows the COM name alone, which is the device.
std::string PortWithDevice(const std::string& name);

// After "Error 0x%x opening port %s." and the system's text: one line in plain words for
// the failures a user can mend, nothing for the others. A device the user may not open
// (POSIX): the group that owns it and how to join it, taken from the device itself. A port
// another program holds: that; for a ttyACM device also that ModemManager probes a newly
// plugged one for a few seconds.
void ExplainOpenFailure(EventLog& log, const std::string& name, uint32_t code);

}  // namespace stravener
