#include "track/day_split.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/format.h"
#include "app/language.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/stop_request.h"
#include "track/binary_track_input.h"
#include "track/track_file_replacement.h"
#include "track/track_record_loop.h"
#include "track/track_writer.h"

namespace stravener {

namespace {

// The day files' names without a caller's check: any that exists is refused.
bool RefuseExistingFiles(EventLog& log, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (!PathExists(path)) continue;
    LOG_TEXT(log, LogKind::Error, "Plik %s już istnieje.", "The file %s already exists.", path.c_str());
    return false;
  }
  return true;
}

constexpr size_t kRecordsPerRead = 4096;
constexpr size_t kReadBlockSize = kRecordsPerRead * kTrackRecordSize;
// The files written during one reading of the input; a track of more days is read again
// for the next ones, so that open files and buffers stay few.
constexpr size_t kDayFilesAtOnce = 32;
constexpr size_t kDayFileBufferSize = 64 * 1024;
// Each file of a split waits under a temporary name until all are whole, and each of a
// group may spool text; none may outlive a program ended at once.
static_assert(kMostDayFiles + 2 * kDayFilesAtOnce + 8 <= kMostFilesRemovedAtAbruptEnd);
// Days from 1899-12-30, where the stamps count from, to 1970-01-01.
constexpr int64_t kUnixEpochDay = 25569;

LocalDate LocalDayOf(const TrackStamp& stamp) { return LocalDateOf(StampSeconds(stamp) - kUnixEpochDay * 86400); }

int64_t DayKey(const LocalDate& day) { return (static_cast<int64_t>(day.year) * 13 + day.month) * 32 + day.day; }

enum class PassEnd { Done, Failed, Stopped };

// One reading of the input from its start: each whole record, in large reads, goes to
// `take` until it returns false. Bytes of an incomplete last record are ignored, as the
// conversion ignores them. An open or read failure is reported; a stop request is not.
template <typename Take>
PassEnd ReadRecords(Host& host, const std::string& path, Take take) {
  EventLog& log = host.Log();
  File input;
  if (!OpenBinaryTrackFile(log, input, path)) return PassEnd::Failed;
  uint64_t size = 0;
  const uint64_t records = input.Size(size) == 0 ? size / kTrackRecordSize : 0;
  const bool progress = records > kRecordsPerRead;
  if (progress) {
    host.SetProgressRange(static_cast<uint32_t>(std::min<uint64_t>(records, UINT32_MAX)));
    host.SetProgressPosition(0);
  }
  const std::unique_ptr<uint8_t[]> block(new uint8_t[kReadBlockSize]);
  PassEnd end = PassEnd::Done;
  for (uint64_t read = 0; end == PassEnd::Done;) {
    if (StopRequested()) {
      end = PassEnd::Stopped;
      break;
    }
    size_t got = 0;
    if (const uint32_t code = input.Read(block.get(), kReadBlockSize, got); code != 0) {
      LOG_TEXT(log, LogKind::Error, "Błąd 0x%x odczytu pliku.", "Error 0x%x reading file.", code);
      log.LogSystemError(LogKind::Error, code);
      end = PassEnd::Failed;
      break;
    }
    bool goOn = true;
    for (size_t p = 0; goOn && p + kTrackRecordSize <= got; p += kTrackRecordSize) goOn = take(block.get() + p);
    read += got / kTrackRecordSize;
    if (progress) {
      host.SetProgressPosition(static_cast<uint32_t>(std::min<uint64_t>(read, UINT32_MAX)));
      host.Repaint();
    }
    if (!goOn || got < kReadBlockSize) break;
  }
  if (progress) host.SetProgressPosition(0);
  return end;
}

// A day of the track and how many of its points the first reading found.
struct Day {
  LocalDate date;
  uint32_t points = 0;
};

}  // namespace

bool SplitTrackByDay(Host& host, const std::string& input, const std::string& outputPath,
                     const DaySplitOptions& options, WrittenTrack& written) {
  EventLog& log = host.Log();
  written.dayFiles.clear();
  written.summary = TrackSummary();
  written.withLeftOut = options.skipInvalid;

  // The first reading finds the days, and how many records go to the files: all, or those
  // before the first that is not a valid point.
  std::vector<Day> days;
  std::unordered_map<int64_t, size_t> dayIndex;
  uint32_t usable = 0;
  bool refused = false;
  {
    TrackRecordLoop loop(options.layout, options.skipInvalid);
    const PassEnd end = ReadRecords(host, input, [&](const uint8_t* record) {
      TrackPoint point;
      bool segmentStart = false;
      switch (loop.Next(record, point, segmentStart)) {
        case RecordVerdict::Refused: refused = true; return false;
        case RecordVerdict::LeftOut: written.summary.AddLeftOut(); break;
        case RecordVerdict::Point: {
          written.summary.AddPoint(point, segmentStart);
          const LocalDate day = LocalDayOf(point.stamp);
          const auto [it, added] = dayIndex.try_emplace(DayKey(day), days.size());
          if (added) days.push_back(Day{day, 0});
          ++days[it->second].points;
          break;
        }
      }
      ++usable;
      return true;
    });
    if (end == PassEnd::Stopped) LOG_TEXT(log, LogKind::Error, "Konwersja przerwana.", "Conversion stopped.");
    if (end != PassEnd::Done) return false;
  }
  if (days.size() > kMostDayFiles) {
    LOG_TEXT(log, LogKind::Error, "Punkty śladu przypadają na %zu dni; podział zapisuje najwyżej %zu plików.",
             "The track's points fall on %zu days; a split writes at most %zu files.", days.size(), kMostDayFiles);
    return false;
  }
  std::sort(days.begin(), days.end(), [](const Day& a, const Day& b) { return DayKey(a.date) < DayKey(b.date); });
  std::vector<std::string> paths;
  for (size_t i = 0; i < days.size(); ++i) {
    dayIndex[DayKey(days[i].date)] = i;
    paths.push_back(DayFilePath(outputPath, days[i].date.year, days[i].date.month, days[i].date.day));
    if (SameFile(input, paths.back())) {
      LOG_TEXT(log, LogKind::Error, "Plik śladu nie może zastąpić konwertowanego pliku binarnego.",
               "The track file cannot replace the binary file being converted.");
      return false;
    }
  }
  // Every name is checked before the first byte is written.
  if (!(options.approveFiles ? options.approveFiles(paths) : RefuseExistingFiles(log, paths))) return false;
  for (const std::string& path : paths) log.LogLine(LogKind::Info, "--> %s", path.c_str());

  // Then the files are written, kDayFilesAtOnce days at a time, each group in a reading of
  // its own; they take their names once all are whole.
  std::vector<std::unique_ptr<TrackFileReplacement>> outputs(days.size());
  std::vector<uint32_t> points(days.size(), 0);
  bool whole = true;
  bool stopped = false;
  bool changed = false;
  for (size_t first = 0; whole && first < days.size(); first += kDayFilesAtOnce) {
    const size_t last = std::min(days.size(), first + kDayFilesAtOnce);
    std::vector<std::unique_ptr<TrackWriter>> writers;
    for (size_t i = first; i < last && whole; ++i) {
      outputs[i] = std::make_unique<TrackFileReplacement>(log);
      if (const uint32_t code = outputs[i]->Create(paths[i]); code != 0) {
        LOG_TEXT(log, LogKind::Error, "Błąd 0x%x tworzenia pliku śladu.", "Error 0x%x creating track file.", code);
        log.LogSystemError(LogKind::Error, code);
        whole = false;
        break;
      }
      TrackWriterOptions writerOptions;
      writerOptions.format = options.format;
      writerOptions.layout = options.layout;
      writerOptions.pointCount = options.pointCountInHeaders ? days[i].points : 0;
      writerOptions.bufferSize = kDayFileBufferSize;
      writers.push_back(std::make_unique<TrackWriter>(log, outputs[i]->Output(), paths[i], writerOptions));
    }
    if (whole) {
      TrackRecordLoop loop(options.layout, options.skipInvalid);
      uint32_t seen = 0;
      size_t previousDay = days.size();
      const PassEnd end = ReadRecords(host, input, [&](const uint8_t* record) {
        if (seen == usable) return false;  // the record that ends the track, and all after it
        ++seen;
        TrackPoint point;
        bool segmentStart = false;
        switch (loop.Next(record, point, segmentStart)) {
          case RecordVerdict::Refused: changed = true; return false;
          case RecordVerdict::LeftOut: return true;
          case RecordVerdict::Point: break;
        }
        const auto it = dayIndex.find(DayKey(LocalDayOf(point.stamp)));
        if (it == dayIndex.end()) {
          changed = true;
          return false;
        }
        const size_t day = it->second;
        // A point whose predecessor went to another file begins a segment in its own.
        segmentStart = segmentStart || day != previousDay;
        previousDay = day;
        if (day < first || day >= last) return true;
        ++points[day];
        return writers[day - first]->WritePoint(point, segmentStart);
      });
      stopped = end == PassEnd::Stopped;
      whole = end == PassEnd::Done && !changed;
    }
    // Every file ends whole, its closing text after the points it got.
    for (const auto& writer : writers) whole = writer->End() && whole;
    for (size_t i = first; i < last; ++i) {
      if (outputs[i] && !outputs[i]->Complete()) whole = false;
      if (whole && points[i] != days[i].points) changed = true;
    }
    if (changed) whole = false;
  }

  if (changed) {
    LOG_TEXT(log, LogKind::Error, "Plik %s zmienił się w trakcie odczytu.", "The file %s changed while it was read.",
             input.c_str());
  }
  if (written.summary.LeftOut() > 0) {
    LOG_TEXT(log, LogKind::Info, "Pominięto %u nieprawidłowych rekordów.", "%u invalid records left out.",
             written.summary.LeftOut());
  }
  if (whole && refused) {
    LOG_TEXT(log, LogKind::Error, "Błąd zawartości pamięci śladu.", "Error in track memory contents.");
    whole = false;
  }
  if (stopped) LOG_TEXT(log, LogKind::Error, "Konwersja przerwana.", "Conversion stopped.");
  for (const auto& output : outputs) {
    if (!output) continue;
    if (whole) {
      whole = output->Keep();
    } else {
      output->Abandon();
    }
  }
  for (const auto& output : outputs) {
    if (output) output->ReportAbandoned();
  }
  if (!whole) return false;
  for (size_t i = 0; i < days.size(); ++i) written.dayFiles.push_back(DayFile{days[i].date, paths[i], points[i]});
  return true;
}

}  // namespace stravener
