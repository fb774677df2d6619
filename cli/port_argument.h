#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace stravener {
struct PortConnection;
}

namespace stravener::cli {

class Invocation;

// "COM7", "com7" or "7" as the port number 7; nothing for anything else.
std::optional<uint32_t> ParseComPortNumber(const std::string& text);

// A speed limit the Setup dialog can offer: one of the transfer speeds (link/line_speeds.h).
std::optional<uint32_t> ParseSpeedLimit(const std::string& text);
// Those speeds for a text: "460800, 230400, 115200, 57600 or 38400", `lastJoin` ("or",
// "lub") before the last.
std::string SpeedLimitChoices(const char* lastJoin);

// What --port names: a COM port by number, or a device by its path (devicePath not empty).
struct PortArgument {
  uint32_t portNumber = 0;
  std::string devicePath;
};

// "COM7", "com7" or "7" (not 0), or a device path ("/dev/ttyUSB0", "./ttyX"; on Windows
// also "\\.\COM12"); nothing for anything else.
std::optional<PortArgument> ParsePortArgument(const std::string& text);

// Sets up the connection of a command that talks to the logger: the stored Port and
// MaxSpeed, then --port (a COM name or a device path) and --max-speed where given. --port
// auto looks for the logger on every port (SearchPortsForLogger) and takes the first where
// it answered, naming it in the log. kExitOk, or the exit status of the usage error it has
// reported, or kExitFailure when no logger answered on any port.
int ConfigurePortConnection(const Invocation& invocation, PortConnection& connection);

}  // namespace stravener::cli
