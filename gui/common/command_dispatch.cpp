#include "gui/common/command_dispatch.h"

#include "app/format.h"
#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/common/dropped_file.h"
#include "platform/file.h"

namespace stravener::gui {

namespace {

void ReportUnavailable(WindowHost& host) {
  LOG_TEXT(host.Log(), LogKind::Error, "To polecenie nie jest dostępne w tej wersji programu.",
           "This command is not available in this version of the program.");
}

void RunOrReport(const Operation& operation, WindowHost& host, PortConnection& connection) {
  if (operation) {
    operation(host, connection);
  } else {
    ReportUnavailable(host);
  }
  // A port whose device went away during the operation is closed: the buttons follow.
  if (connection.deviceGone) ClosePort(connection, true);
}

// A firmware image dropped perhaps by mistake replaces the logger's firmware: the user
// confirms it first, with its size, and Enter declines. A file whose size cannot be read
// is not asked about: the upgrade reads the file before it sends anything and reports why
// it cannot.
bool ConfirmDroppedImage(WindowHost& host, const std::string& path) {
  File file;
  uint64_t size = 0;
  if (file.OpenForReading(path) != 0 || file.Size(size) != 0) return true;
  file.Close();
  // From 100 on, the Polish ending depends on the last two digits alone.
  const auto ending = static_cast<uint32_t>(size < 100 ? size : 100 + size % 100);
  const std::string question =
      FORMAT_PAIR("Załadować %s (%llu bajt%s) do loggera?", "Load %s (%llu bytes%s) into the logger?", path.c_str(),
                  static_cast<unsigned long long>(size), BytePluralEnding(ending));
  return host.AskOkCancel(question, DefaultButton::Cancel);
}

}  // namespace

const Operation* CommandOperation(const Operations& operations, int id) {
  switch (id) {
    case kIdOpenPort:
      return &operations.openPort;
    case kIdClosePort:
      return &operations.closePort;
    case kIdInformation:
      return &operations.showLoggerInfo;
    case kIdConfiguration:
      return &operations.configureLogger;
    case kIdReadTrack:
      return &operations.readTrack;
    case kIdEraseTrack:
      return &operations.eraseTrackMemory;
    case kIdUpgrade:
      return &operations.startFirmwareUpgrade;
    case kIdRestart:
      return &operations.restartLogger;
    default:
      return nullptr;
  }
}

bool RunCommandOperation(const Operations& operations, int id, WindowHost& host, PortConnection& connection) {
  const Operation* operation = CommandOperation(operations, id);
  if (operation == nullptr) return false;
  RunOrReport(*operation, host, connection);
  return true;
}

void HandleDroppedFiles(const Operations& operations, const std::vector<std::string>& paths, WindowHost& host,
                        PortConnection& connection) {
  if (paths.size() != 1) {
    host.ShowNotice(PickTextOrEmpty("Upuszczaj tylko jeden plik naraz.", "Drop only one file at a time."));
    return;
  }
  const std::string& path = paths.front();
  if (path.empty()) return;  // the shell gave no name: nothing to act on
  switch (ClassifyDroppedFile(path)) {
    case DroppedFileKind::FirmwareImage:
      if (!operations.upgradeFirmware) return ReportUnavailable(host);
      if (!ConfirmDroppedImage(host, path)) return;
      // The port is opened for the upgrade whatever its state, and closed afterwards.
      if (operations.openPort) operations.openPort(host, connection);
      operations.upgradeFirmware(host, connection, path);
      if (operations.closePort) operations.closePort(host, connection);
      return;
    case DroppedFileKind::BinaryTrack:
      if (!operations.convertBinaryTrackFile) return ReportUnavailable(host);
      operations.convertBinaryTrackFile(host, connection, path);
      return;
    case DroppedFileKind::Unsupported:
      host.ShowNotice(PickTextOrEmpty("Nieobsługiwany typ pliku.", "File type unsupported."));
      return;
  }
}

void AnnounceLanguageSwitch(WindowHost& host) {
  ToggleLanguage();
  host.ShowNotice(PickTextOrEmpty("Język interfejsu zostanie zmieniony przy następnym uruchomieniu programu.",
                                  "The interface language will change after next application start."));
}

}  // namespace stravener::gui
