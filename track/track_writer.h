#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/event_log.h"
#include "platform/file.h"
#include "track/track_file_format.h"
#include "track/record_summary.h"
#include "track/track_output.h"
#include "track/track_record.h"
#include "track/track_record_loop.h"
#include "track/track_summary.h"
#include "track/track_text_format.h"

namespace stravener {

// How a run of records becomes a track file.
struct TrackWriterOptions {
  TrackFileFormat format = TrackFileFormat::Plt;
  // The layout of the records: 1 or 2.
  int layout = 2;
  // The point count of the PLT header.
  uint32_t pointCount = 0;
  // A run without a single record leaves the file empty, as the conversion of an empty
  // binary file does, in a format that may stay empty (PLT, raw); otherwise such a PLT file
  // still gets its header. A GPX, KML or SVG file is always a whole document.
  bool emptyWithoutRecords = false;
  // A text format leaves a record that fails the validity rule out, counts it and goes on,
  // the next valid point starting a new segment; the end of the run says how many
  // ("%u invalid records left out.").
  bool skipInvalid = false;
  size_t bufferSize = kTrackOutputBufferSize;
};

// The record loop shared by the track download and the conversion of a binary track file:
// one call per 16-byte record, in order. A text format decodes each record by the layout,
// ends the run at the first point that fails the validity rule ("Error in track memory
// contents." after everything before it is in the file), marks segments by the segment
// rule and appends the point's text; the raw format appends the record unchanged. The
// file's text goes out in large writes. The caller creates the file before and closes it
// after; the writer only writes to it.
class TrackWriter {
 public:
  // The track name of the text formats is made from outputPath (MakeTrackName).
  TrackWriter(EventLog& log, File& file, const std::string& outputPath, const TrackWriterOptions& options);
  TrackWriter(const TrackWriter&) = delete;
  TrackWriter& operator=(const TrackWriter&) = delete;
  ~TrackWriter();

  // Adds one record. False when the run has ended: this record was refused or a write
  // failed (either reported), or the run was ended before. After a refusal the file holds
  // everything before the record and the closing text.
  bool Write(const uint8_t* record);
  // Adds one point that a record loop of the caller's has decoded and passed (a text
  // format only; a track split by day routes each point to the file of its day).
  // segmentStart as the caller's loop gives it; the first point of the file always starts
  // a segment. False when the run has ended: a write failed (reported), or it ended before.
  bool WritePoint(const TrackPoint& point, bool segmentStart);
  // Ends the run on every path: the header if none was written yet, the closing text (so
  // that a file cut short is still whole), the last buffer. False when a write failed
  // (reported) or the run had ended with a failure. Once ended, further calls do nothing.
  bool End();

  uint32_t PointsWritten() const { return points_; }
  uint32_t RecordsLeftOut() const { return text_ ? summary_.LeftOut() : 0; }
  // The figures of the points handed to a track format's file so far, and of the records
  // left out; for the raw format, of the points a track file of its records would get
  // (RecordSummary).
  const TrackSummary& Summary() const { return text_ ? summary_ : raw_.Summary(); }
  // For the raw format: the record that is not a valid point and would end a track file of
  // them (counting from 1); 0 when none would.
  uint32_t EndingRecord() const { return text_ ? 0 : raw_.EndingRecord(); }

 private:
  void Start();
  // After a record or point went to the output: false, ending the run, when a write failed.
  bool Counted();
  bool Refuse();
  bool Finish();

  EventLog& log_;
  const TrackWriterOptions options_;
  const std::string trackName_;
  TrackOutput output_;
  std::unique_ptr<TrackTextFormat> text_;
  TrackRecordLoop loop_;
  TrackSummary summary_;
  RecordSummary raw_;
  uint32_t points_ = 0;
  bool started_ = false;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace stravener
