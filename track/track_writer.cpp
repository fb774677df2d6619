#include "track/track_writer.h"

#include "app/format.h"
#include "app/language.h"
#include "track/track_name.h"

namespace stravener {

std::unique_ptr<TrackTextFormat> MakeTrackTextFormat(TrackFileFormat format) {
  const auto make = TrackFileFormatInfo(format).makeText;
  return make ? make() : nullptr;
}

TrackWriter::TrackWriter(EventLog& log, File& file, const std::string& outputPath, const TrackWriterOptions& options)
    : log_(log),
      options_(options),
      trackName_(MakeTrackName(outputPath)),
      output_(log, file, options.bufferSize),
      text_(MakeTrackTextFormat(options.format)),
      loop_(options.layout, options.skipInvalid),
      raw_(options.layout, options.skipInvalid) {
  if (text_) text_->ShowSummary(summary_, options.skipInvalid);
}

TrackWriter::~TrackWriter() = default;

void TrackWriter::Start() {
  started_ = true;
  if (text_) text_->Begin(output_, trackName_, options_.pointCount);
}

bool TrackWriter::Write(const uint8_t* record) {
  if (ended_) return false;
  if (!started_) Start();
  if (!text_) {
    output_.Append(reinterpret_cast<const char*>(record), kTrackRecordSize);
    raw_.Add(record);
    return Counted();
  }
  TrackPoint point;
  bool segmentStart = false;
  switch (loop_.Next(record, point, segmentStart)) {
    case RecordVerdict::Refused: return Refuse();
    case RecordVerdict::LeftOut: summary_.AddLeftOut(); return true;
    case RecordVerdict::Point: break;
  }
  summary_.AddPoint(point, segmentStart);
  text_->Point(output_, point, segmentStart);
  return Counted();
}

bool TrackWriter::WritePoint(const TrackPoint& point, bool segmentStart) {
  if (ended_ || !text_) return false;
  if (!started_) Start();
  segmentStart = segmentStart || points_ == 0;
  summary_.AddPoint(point, segmentStart);
  text_->Point(output_, point, segmentStart);
  return Counted();
}

bool TrackWriter::Counted() {
  if (output_.Failed()) {
    ended_ = failed_ = true;
    return false;
  }
  ++points_;
  return true;
}

bool TrackWriter::Refuse() {
  // Everything before the record reaches the file before the message does.
  if (Finish()) LOG_TEXT(log_, LogKind::Error, "Błąd zawartości pamięci śladu.", "Error in track memory contents.");
  failed_ = true;
  return false;
}

bool TrackWriter::Finish() {
  ended_ = true;
  if (text_) text_->End(output_);
  if (!output_.Flush()) failed_ = true;
  if (summary_.LeftOut() > 0) {
    LOG_TEXT(log_, LogKind::Info, "Pominięto %u nieprawidłowych rekordów.", "%u invalid records left out.",
             summary_.LeftOut());
  }
  return !failed_;
}

bool TrackWriter::End() {
  if (ended_) return !failed_;
  // A GPX or KML file is a whole document even without a point.
  const bool staysEmpty = options_.emptyWithoutRecords && TrackFileFormatInfo(options_.format).mayStayEmpty;
  if (!started_ && !staysEmpty) Start();
  if (!started_) {
    ended_ = true;
    return true;
  }
  return Finish();
}

}  // namespace stravener
