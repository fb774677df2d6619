#include "gui/common/operations.h"

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
  operations.openPort = [](Host&, PortConnection& connection) { OpenPort(connection, true); };
  operations.closePort = [](Host&, PortConnection& connection) { ClosePort(connection, true); };
  operations.showLoggerInfo = [](Host& host, PortConnection& connection) { ShowLoggerInfo(connection, host); };
  operations.configureLogger = [](Host& host, PortConnection& connection) { ConfigureLogger(connection, host); };
  operations.readTrack = [](Host& host, PortConnection& connection) { ReadTrack(connection, host); };
  operations.eraseTrackMemory = [](Host& host, PortConnection& connection) { EraseTrackMemory(connection, host); };
  operations.startFirmwareUpgrade = [](Host& host, PortConnection& connection) {
    StartFirmwareUpgrade(connection, host);
  };
  operations.restartLogger = [](Host& host, PortConnection& connection) { RestartLogger(connection, host); };
  operations.upgradeFirmware = [](Host& host, PortConnection& connection, const std::string& path) {
    UpgradeFirmware(connection, host, path, true);
  };
  operations.convertBinaryTrackFile = [](Host& host, PortConnection&, const std::string& path) {
    ConvertBinaryTrackFile(host, path);
  };
  return operations;
}

}  // namespace stravener::gui
