#pragma once

#include <functional>
#include <string>

#include "gui/setup_ports.h"

namespace stravener::gui {

class MainWindow;

// The operation behind each command of the main window. Each one takes the window, which
// owns the port connection and is the Host the operation reports through. The program
// uses DefaultOperations(); tests put recorders in their place. A command whose operation
// is empty reports that it is not available.
struct Operations {
  std::function<void(MainWindow&)> openPort;          // Open port: OpenPort, reporting
  std::function<void(MainWindow&)> closePort;         // Close port: ClosePort, reporting
  std::function<void(MainWindow&)> showLoggerInfo;    // Information
  std::function<void(MainWindow&)> configureLogger;   // Configuration
  std::function<void(MainWindow&)> readTrack;         // Read track
  std::function<void(MainWindow&)> eraseTrackMemory;  // Erase track
  std::function<void(MainWindow&)> startFirmwareUpgrade;  // Upgrade: asks for the image
  std::function<void(MainWindow&)> restartLogger;     // Restart
  // A dropped firmware image: UpgradeFirmware on the given file (the window opens the port
  // before and closes it after).
  std::function<void(MainWindow&, const std::string& path)> upgradeFirmware;
  // A dropped binary track file: ConvertBinaryTrackFile.
  std::function<void(MainWindow&, const std::string& path)> convertBinaryTrackFile;
};

// The operations of the core library.
Operations DefaultOperations();

// The Setup dialog's port enumeration and speed probe of the core library.
SetupServices DefaultSetupServices();

}  // namespace stravener::gui
