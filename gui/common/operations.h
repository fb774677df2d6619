#pragma once

#include <functional>
#include <string>

#include "gui/common/window_host.h"
#include "link/port_connection.h"

namespace stravener::gui {

// A logger command's operation: it reports through the window, asks there what the command
// needs from the user, and works on the window's one port connection.
using Operation = std::function<void(WindowHost& window, PortConnection& connection)>;
// An operation on a dropped file.
using FileOperation = std::function<void(WindowHost& window, PortConnection& connection, const std::string& path)>;

// The operation behind each command of the main window. The programs use
// DefaultOperations(); tests put recorders in their place. A command whose operation is
// empty reports that it is not available.
struct Operations {
  Operation openPort;              // Open port: OpenPort, reporting
  Operation closePort;             // Close port: ClosePort, reporting
  Operation showLoggerInfo;        // Information
  Operation configureLogger;       // Configuration
  Operation readTrack;             // Read track
  Operation eraseTrackMemory;      // Erase track
  Operation startFirmwareUpgrade;  // Upgrade: asks for the image
  Operation restartLogger;         // Restart
  // A dropped firmware image: UpgradeFirmware on the given file (the drop opens the port
  // before and closes it after).
  FileOperation upgradeFirmware;
  // A dropped binary track file: ConvertBinaryTrackFile.
  FileOperation convertBinaryTrackFile;
};

// The commands of the core library's operations, each asking the user what it needs at its
// moment in the command's order.
Operations DefaultOperations();

}  // namespace stravener::gui
