#include "gui/operations.h"

#include "gui/main_window.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "logger/track_download.h"
#include "track/binary_conversion.h"

namespace stravener::gui {

Operations DefaultOperations() {
  Operations operations;
  operations.openPort = [](MainWindow& window) { OpenPort(window.Connection(), true); };
  operations.closePort = [](MainWindow& window) { ClosePort(window.Connection(), true); };
  operations.showLoggerInfo = [](MainWindow& window) { ShowLoggerInfo(window.Connection(), window); };
  operations.configureLogger = [](MainWindow& window) { ConfigureLogger(window.Connection(), window); };
  operations.readTrack = [](MainWindow& window) { ReadTrack(window.Connection(), window); };
  operations.eraseTrackMemory = [](MainWindow& window) { EraseTrackMemory(window.Connection(), window); };
  operations.startFirmwareUpgrade = [](MainWindow& window) { StartFirmwareUpgrade(window.Connection(), window); };
  operations.restartLogger = [](MainWindow& window) { RestartLogger(window.Connection(), window); };
  operations.upgradeFirmware = [](MainWindow& window, const std::string& path) {
    UpgradeFirmware(window.Connection(), window, path, true);
  };
  operations.convertBinaryTrackFile = [](MainWindow& window, const std::string& path) {
    ConvertBinaryTrackFile(window, path);
  };
  return operations;
}

SetupServices DefaultSetupServices() {
  SetupServices services;
  services.enumeratePorts = [] {
    std::vector<std::string> labels;
    for (const PortEntry& entry : EnumeratePorts()) labels.push_back(PortLabel(entry));
    return labels;
  };
  // The Setup dialog is reachable only while the connection is closed: the probe opens
  // the port by its name itself.
  services.probeMaxSpeed = [](uint32_t portNumber) { return ProbeMaxSpeed(0, portNumber, nullptr); };
  return services;
}

}  // namespace stravener::gui
