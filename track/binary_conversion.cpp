#include "track/binary_conversion.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "app/format.h"
#include "app/language.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/stop_request.h"
#include "platform/utf8_path.h"
#include "track/binary_track_input.h"
#include "track/day_split.h"
#include "track/track_file_format.h"
#include "track/track_file_replacement.h"
#include "track/track_record.h"
#include "track/track_writer.h"

namespace stravener {

namespace {

// How many records pass between two progress updates; also how many one read takes.
constexpr uint32_t kProgressStep = 4096;
constexpr size_t kReadBlockSize = kProgressStep * kTrackRecordSize;

// How many bytes at its start tell a text track file given in place of a binary one.
constexpr size_t kSniffedBytes = 1024;

// What a text track file given in place of a binary one is, by its first bytes; nullptr
// for anything else.
const TrackFileFormatEntry* TextTrackFileKind(const std::string& path) {
  File probe;
  if (probe.OpenForReading(path) != 0) return nullptr;
  char head[kSniffedBytes];
  size_t got = 0;
  if (probe.Read(head, sizeof head, got) != 0) return nullptr;
  return TextTrackFormatOf(std::string_view(head, got));
}

void LogSystemFailure(EventLog& log, uint32_t code) { log.LogSystemError(LogKind::Error, code); }

// The progress bar over the records a file holds, when there are enough to watch.
class ConversionProgress {
 public:
  ConversionProgress(Host& host, File& input) : host_(host) {
    uint64_t size = 0;
    const uint64_t records = input.Size(size) == 0 ? size / kTrackRecordSize : 0;
    // The range is 32-bit.
    const uint32_t range = static_cast<uint32_t>(
        records > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : records);
    shown_ = range > kProgressStep;
    if (shown_) {
      host_.SetProgressRange(range);
      host_.SetProgressPosition(0);
    }
  }
  ~ConversionProgress() {
    if (shown_) host_.SetProgressPosition(0);
  }
  void Converted(uint32_t points) {
    if (shown_ && points % kProgressStep == 0) {
      host_.SetProgressPosition(points);
      host_.Repaint();
    }
  }

 private:
  Host& host_;
  bool shown_ = false;
};

// Feeds every whole record of the input to the writer, in large reads, and ends the
// writer. False when a read, a write or a record failed (each reported).
bool ConvertRecords(Host& host, File& input, TrackWriter& writer) {
  EventLog& log = host.Log();
  ConversionProgress progress(host, input);
  const std::unique_ptr<uint8_t[]> block(new uint8_t[kReadBlockSize]);
  for (;;) {
    if (StopRequested()) {
      writer.End();
      LOG_TEXT(log, LogKind::Error, "Konwersja przerwana.", "Conversion stopped.");
      return false;
    }
    size_t got = 0;
    const uint32_t readCode = input.Read(block.get(), kReadBlockSize, got);
    // The whole records that arrived before a failed read were read well.
    for (size_t p = 0; p + kTrackRecordSize <= got; p += kTrackRecordSize) {
      if (!writer.Write(block.get() + p)) return false;
      progress.Converted(writer.PointsWritten());
    }
    if (readCode != 0) {
      if (!writer.End()) return false;
      LOG_TEXT(log, LogKind::Error, "Błąd 0x%x odczytu pliku.", "Error 0x%x reading file.", readCode);
      LogSystemFailure(log, readCode);
      return false;
    }
    // Fewer bytes than asked for: the end of the file. Bytes of an incomplete last
    // record are ignored.
    if (got < kReadBlockSize) return writer.End();
  }
}

}  // namespace

bool ConvertBinaryTrackFile(Host& host, const std::string& path, const std::string& outputPath,
                            const BinaryConversionOptions& conversion, WrittenTrack* written) {
  EventLog& log = host.Log();
  const TrackFileFormat format = conversion.format ? *conversion.format : TrackFileFormatFor(outputPath);
  // The records unchanged are one file whatever their days.
  const bool split = conversion.splitByDay && format != TrackFileFormat::Raw;

  LOG_TEXT(log, LogKind::Info, "Konwersja pliku", "Converting file");
  log.LogLine(LogKind::Info, "%s", path.c_str());
  // A split names its day files once it knows them.
  if (!split) log.LogLine(LogKind::Info, "--> %s", outputPath.c_str());

  File input;
  if (!OpenBinaryTrackFile(log, input, path)) return false;

  // A track file given by mistake would be read as records and refused at its first bytes,
  // after an output of a header alone was made.
  if (const TrackFileFormatEntry* kind = TextTrackFileKind(path)) {
    const std::string name = Utf8FromPath(PathFromUtf8(path).filename());
    const std::string english = std::string(kind->englishArticle) + " " + kind->name;
    LOG_TEXT(log, LogKind::Error, "%s jest plikiem %s, a nie binarnym plikiem śladu (.bin).",
             "%s is %s file, not a raw track file (.bin).", name.c_str(),
             Language == kPolish ? kind->name : english.c_str());
    return false;
  }

  if (split) {
    input.Close();
    DaySplitOptions options;
    options.format = format;
    options.layout = conversion.layout;
    options.skipInvalid = conversion.skipInvalid;
    options.approveFiles = conversion.approveDayFiles;
    WrittenTrack days;
    if (!SplitTrackByDay(host, path, outputPath, options, days)) return false;
    LOG_TEXT(log, LogKind::Info, "OK, zapisano %u punktów.", "OK, %u points written.", days.summary.Points());
    if (written != nullptr) *written = std::move(days);
    return true;
  }

  // Creating the output replaces it: when it is the input itself, the track would be
  // gone before a single record is read.
  if (SameFile(path, outputPath)) {
    LOG_TEXT(log, LogKind::Error, "Plik śladu nie może zastąpić konwertowanego pliku binarnego.",
             "The track file cannot replace the binary file being converted.");
    return false;
  }

  TrackFileReplacement output(log);
  if (const uint32_t code = output.Create(outputPath); code != 0) {
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x tworzenia pliku śladu.", "Error 0x%x creating track file.", code);
    LogSystemFailure(log, code);
    return false;
  }

  TrackWriterOptions options;
  options.format = format;
  options.layout = conversion.layout;
  // An empty binary file gives an empty PLT file: the writer never saw a record.
  options.emptyWithoutRecords = true;
  options.skipInvalid = conversion.skipInvalid;
  TrackWriter writer(log, output.Output(), outputPath, options);
  const bool converted = ConvertRecords(host, input, writer);
  input.Close();
  // A write the system could only finish on closing fails here; it must not pass as done.
  if (!converted || !output.Keep()) {
    output.Abandon();
    output.ReportAbandoned();
    return false;
  }
  LOG_TEXT(log, LogKind::Info, "OK, zapisano %u punktów.", "OK, %u points written.", writer.PointsWritten());
  if (written != nullptr) {
    written->path = outputPath;
    written->summary = writer.Summary();
    written->withLeftOut = conversion.skipInvalid;
    written->endingRecord = writer.EndingRecord();
  }
  return true;
}

}  // namespace stravener
