#include "gui/common/operations.h"

#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "logger/track_download.h"
#include "track/binary_conversion.h"

namespace stravener::gui {

namespace {

// A download or a conversion that wrote its file ends with the summary of the track, as
// Info lines after the operation's own last lines.
void LogWrittenTrack(Host& host, const WrittenTrack& written) {
  for (std::string& line : WrittenTrackLines(written)) host.Log().Add(LogKind::Info, std::move(line));
}

}  // namespace

Operations DefaultOperations() {
  Operations operations;
  operations.openPort = [](Host&, PortConnection& connection) { OpenPort(connection, true); };
  operations.closePort = [](Host&, PortConnection& connection) { ClosePort(connection, true); };
  operations.showLoggerInfo = [](Host& host, PortConnection& connection) { ShowLoggerInfo(connection, host); };
  operations.configureLogger = [](Host& host, PortConnection& connection) { ConfigureLogger(connection, host); };
  operations.readTrack = [](Host& host, PortConnection& connection) {
    TrackReadSummary summary;
    if (ReadTrack(connection, host, &summary) == OperationResult::Done) LogWrittenTrack(host, summary.written);
  };
  operations.eraseTrackMemory = [](Host& host, PortConnection& connection) { EraseTrackMemory(connection, host); };
  operations.startFirmwareUpgrade = [](Host& host, PortConnection& connection) {
    StartFirmwareUpgrade(connection, host);
  };
  operations.restartLogger = [](Host& host, PortConnection& connection) { RestartLogger(connection, host); };
  operations.upgradeFirmware = [](Host& host, PortConnection& connection, const std::string& path) {
    UpgradeFirmware(connection, host, path, true);
  };
  operations.convertBinaryTrackFile = [](Host& host, PortConnection&, const std::string& path) {
    WrittenTrack written;
    if (ConvertBinaryTrackFile(host, path, {}, &written)) LogWrittenTrack(host, written);
  };
  return operations;
}

}  // namespace stravener::gui
