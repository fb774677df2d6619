#include "track/binary_conversion.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

#include "app/format.h"
#include "app/language.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/utf8_path.h"
#include "track/plt_writer.h"
#include "track/track_record.h"

namespace stravener {

namespace {

// A binary file holds no firmware-format digit; the records are read as layout 2.
constexpr int kBinaryFileLayout = 2;

// How many records pass between two progress updates.
constexpr uint32_t kProgressStep = 4096;

// Whether both paths name one existing file (through links, another spelling of the path).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), error);
  return !error && same;
}

void LogSystemFailure(EventLog& log, uint32_t code) { log.LogSystemError(LogKind::Error, code); }

}  // namespace

bool ConvertBinaryTrackFile(Host& host, const std::string& path) {
  EventLog& log = host.Log();
  const std::string defaultName = DefaultTrackName(host.GetClock().Today());
  const FileChoice choice{
      PickTextOrEmpty("Zapisz ślad jako", "Save track as"),
      PickTextOrEmpty("Pliki śladu (*.plt)|*.plt|Wszystkie pliki (*.*)|*.*||",
                      "Track files (*.plt)|*.plt|All files (*.*)|*.*||"),
      "plt", defaultName};
  const std::optional<std::string> chosen = host.ChooseSaveFile(choice);
  if (!chosen) return false;
  const std::string& outputPath = *chosen;

  LOG_TEXT(log, LogKind::Info, "Konwersja pliku", "Converting file");
  log.LogLine(LogKind::Info, "%s", path.c_str());
  log.LogLine(LogKind::Info, "--> %s", outputPath.c_str());

  File input;
  if (const uint32_t code = input.OpenForReading(path); code != 0) {
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x otwarcia binarnego pliku śladu.", "Error 0x%x opening binary track file.",
             code);
    LogSystemFailure(log, code);
    return false;
  }

  // Creating the output replaces it: when it is the input itself, the track would be
  // gone before a single record is read.
  if (SameFile(path, outputPath)) {
    LOG_TEXT(log, LogKind::Error, "Plik śladu nie może zastąpić konwertowanego pliku binarnego.",
             "The track file cannot replace the binary file being converted.");
    return false;
  }

  File output;
  if (const uint32_t code = output.Create(outputPath); code != 0) {
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x tworzenia pliku śladu.", "Error 0x%x creating track file.", code);
    LogSystemFailure(log, code);
    return false;
  }

  // Progress over the records the file holds; the range is 32-bit.
  uint64_t size = 0;
  const uint64_t records = input.Size(size) == 0 ? size / kTrackRecordSize : 0;
  const uint32_t progressRange =
      static_cast<uint32_t>(records > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                                            : records);
  const bool showProgress = progressRange > kProgressStep;
  if (showProgress) {
    host.SetProgressRange(progressRange);
    host.SetProgressPosition(0);
  }
  auto endProgress = [&]() {
    if (showProgress) host.SetProgressPosition(0);
  };

  uint32_t pointCount = 0;
  bool firstPoint = true;
  static const std::string kNoPath;
  for (;;) {
    uint8_t record[kTrackRecordSize];
    size_t got = 0;
    if (const uint32_t code = input.Read(record, sizeof record, got); code != 0) {
      LOG_TEXT(log, LogKind::Error, "Błąd 0x%x odczytu pliku.", "Error 0x%x reading file.", code);
      LogSystemFailure(log, code);
      output.Close();
      input.Close();
      endProgress();
      return false;
    }
    if (got < sizeof record) break;
    if (WritePltPoint(log, output, firstPoint ? outputPath : kNoPath, kBinaryFileLayout, record, firstPoint, true,
                      0) == -1) {
      output.Close();
      input.Close();
      endProgress();
      return false;
    }
    firstPoint = false;
    ++pointCount;
    if (showProgress && pointCount % kProgressStep == 0) {
      host.SetProgressPosition(pointCount);
      host.Repaint();
    }
  }

  // A write the system could only finish on closing fails here; it must not pass as done.
  const uint32_t closeCode = output.Close();
  input.Close();
  endProgress();
  if (closeCode != 0) {
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x zapisu do pliku śladu.", "Error 0x%x writing track file.", closeCode);
    LogSystemFailure(log, closeCode);
    return false;
  }
  LOG_TEXT(log, LogKind::Info, "OK, zapisano %u punktów.", "OK, %u points written.", pointCount);
  return true;
}

}  // namespace stravener
