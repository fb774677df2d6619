#include "gui/common/operations.h"

#include <optional>
#include <string>
#include <utility>

#include "app/format.h"
#include "gui/common/configuration_dialog.h"
#include "gui/common/file_choices.h"
#include "link/port_trouble.h"
#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "logger/track_download.h"
#include "track/binary_conversion.h"
#include "track/written_track.h"

namespace stravener::gui {

namespace {

// A download or a conversion that wrote its file ends with the summary of the track, as
// Info lines after the operation's own last lines.
void LogWrittenTrack(Host& host, const WrittenTrack& written) {
  for (std::string& line : WrittenTrackLines(written)) host.Log().Add(LogKind::Info, std::move(line));
}

}  // namespace

// Each command keeps its own order: what it asks the user comes where the core's operations
// leave room for it, and nothing is sent after a question that was declined.
Operations DefaultOperations() {
  Operations operations;
  // Which port is opened comes first, with the device it stands for: a new user sees that
  // the window opens COM1 unless Setup chose another.
  operations.openPort = [](WindowHost& window, PortConnection& connection) {
    if (connection.openFlag == 0) {
      const std::string port = PortWithDevice(PortDeviceName(connection));
      LOG_TEXT(window.Log(), LogKind::Info, "Otwieranie portu %s.", "Opening port %s.", port.c_str());
    }
    OpenPort(connection, true);
  };
  operations.closePort = [](WindowHost&, PortConnection& connection) { ClosePort(connection, true); };
  // The information request, then its report in a notice; the report is not logged.
  operations.showLoggerInfo = [](WindowHost& window, PortConnection& connection) {
    LoggerInfo info;
    if (ReadLoggerInfo(connection, window.GetClock(), info) != 0) return;
    window.ShowNotice(FormatLoggerInfoReport(info));
  };
  // The information request, the dialog opened on the logger's setting, and on Save the
  // setting sent; a dialog that ends otherwise sends nothing.
  operations.configureLogger = [](WindowHost& window, PortConnection& connection) {
    LoggerInfo info;
    if (ReadLoggerInfo(connection, window.GetClock(), info) != 0) return;
    ConfigurationDialog dialog;
    dialog.skipCount = info.SkipSetting();
    if (!window.RunConfigurationDialog(dialog)) return;
    ConfigureLogger(connection, window, dialog.ValueToSave());
  };
  // The information request and its checks (a notice when there is nothing to download),
  // then the save choice, then the download.
  operations.readTrack = [](WindowHost& window, PortConnection& connection) {
    const TrackReadStart start = PrepareTrackRead(connection, window);
    if (start.result == OperationResult::Stopped) window.ShowNotice(start.notice);
    if (start.result != OperationResult::Done) return;
    const std::optional<std::string> path = window.ChooseSaveFile(TrackSaveChoice(window.GetClock().Today()));
    if (!path) return;
    TrackReadSummary summary;
    if (ReadTrack(connection, window, start.info, *path, &summary) == OperationResult::Done) {
      LogWrittenTrack(window, summary.written);
    }
  };
  // The question first: declined, nothing is sent and nothing logged. Enter declines, as
  // the erase cannot be undone.
  operations.eraseTrackMemory = [](WindowHost& window, PortConnection& connection) {
    const char* question = PickTextOrEmpty("Czy chcesz wyczyścić pamięć śladu?", "Do you want to erase track memory?");
    if (!window.AskOkCancel(question, DefaultButton::Cancel)) return;
    EraseTrackMemory(connection, window);
  };
  operations.startFirmwareUpgrade = [](WindowHost& window, PortConnection& connection) {
    const std::optional<std::string> path = window.ChooseOpenFile(FirmwareOpenChoice());
    if (!path) return;
    UpgradeFirmware(connection, window, *path, true);
  };
  operations.restartLogger = [](WindowHost& window, PortConnection& connection) { RestartLogger(connection, window); };
  operations.upgradeFirmware = [](WindowHost& window, PortConnection& connection, const std::string& path) {
    UpgradeFirmware(connection, window, path, true);
  };
  // The save choice, then the conversion; cancelled, nothing is logged.
  operations.convertBinaryTrackFile = [](WindowHost& window, PortConnection&, const std::string& path) {
    const std::optional<std::string> output = window.ChooseSaveFile(ConversionSaveChoice(window.GetClock().Today()));
    if (!output) return;
    WrittenTrack written;
    if (ConvertBinaryTrackFile(window, path, *output, {}, &written)) LogWrittenTrack(window, written);
  };
  return operations;
}

}  // namespace stravener::gui
