#include "track/binary_track_summary.h"

#include <cstdint>
#include <memory>

#include "app/format.h"
#include "app/language.h"
#include "platform/file.h"
#include "track/binary_track_input.h"
#include "track/track_record_loop.h"

namespace stravener {

namespace {

constexpr size_t kReadBlockSize = 4096 * kTrackRecordSize;

}  // namespace

BinaryTrackSummaryResult SummarizeBinaryTrackFile(EventLog& log, const std::string& path,
                                                  const BinaryTrackSummaryOptions& options, TrackSummary& summary) {
  File input;
  if (!OpenBinaryTrackFile(log, input, path)) return BinaryTrackSummaryResult::Failed;
  TrackRecordLoop loop(options.layout, options.skipInvalid);
  const std::unique_ptr<uint8_t[]> block(new uint8_t[kReadBlockSize]);
  uint32_t records = 0;
  for (;;) {
    size_t got = 0;
    if (const uint32_t code = input.Read(block.get(), kReadBlockSize, got); code != 0) {
      LOG_TEXT(log, LogKind::Error, "Błąd 0x%x odczytu pliku.", "Error 0x%x reading file.", code);
      log.LogSystemError(LogKind::Error, code);
      return BinaryTrackSummaryResult::Failed;
    }
    // Bytes of an incomplete last record are ignored, as the conversion ignores them.
    for (size_t p = 0; p + kTrackRecordSize <= got; p += kTrackRecordSize) {
      ++records;
      TrackPoint point;
      bool segmentStart = false;
      switch (loop.Next(block.get() + p, point, segmentStart)) {
        case RecordVerdict::Point: summary.AddPoint(point, segmentStart); break;
        case RecordVerdict::LeftOut: summary.AddLeftOut(); break;
        case RecordVerdict::Refused:
          if (records == 1) {
            LOG_TEXT(log, LogKind::Error, "Pierwszy rekord nie jest prawidłowym punktem; plik nie zawiera śladu.",
                     "The first record is not a valid point; the file holds no track.");
            return BinaryTrackSummaryResult::Failed;
          }
          LOG_TEXT(log, LogKind::Error, "Rekord %u nie jest prawidłowym punktem; ślad kończy się przed nim.",
                   "Record %u is not a valid point; the track ends before it.", records);
          return BinaryTrackSummaryResult::Cut;
      }
    }
    if (got < kReadBlockSize) break;
  }
  if (records == 0) {
    LOG_TEXT(log, LogKind::Error, "Plik nie zawiera żadnego rekordu śladu.", "The file holds no track records.");
    return BinaryTrackSummaryResult::Failed;
  }
  if (summary.Points() == 0) {
    LOG_TEXT(log, LogKind::Error, "Żaden rekord nie jest prawidłowym punktem (pominięto %u).",
             "No record is a valid point (%u left out).", summary.LeftOut());
    return BinaryTrackSummaryResult::Failed;
  }
  return BinaryTrackSummaryResult::Whole;
}

}  // namespace stravener
