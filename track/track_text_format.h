#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "track/track_file_format.h"
#include "track/track_output.h"
#include "track/track_record.h"

namespace stravener {

class TrackSummary;

// What one text format makes of a track: the text before the first point, the text of
// each point, and the text that closes the file. The record loop (TrackWriter) decides
// everything else: decoding, the validity rule, the segment rule, the track name and the
// buffered output. One object serves one file.
class TrackTextFormat {
 public:
  virtual ~TrackTextFormat() = default;
  // The figures of the track as the record loop gathers them, for a format that shows
  // them at its end (withLeftOut: the count of records left out is one of them). The
  // summary stays valid until End has returned.
  virtual void ShowSummary(const TrackSummary& /*summary*/, bool /*withLeftOut*/) {}
  // The start of the file. pointCount is the count the caller announces (0 when unknown).
  virtual void Begin(TrackOutput& out, const std::string& trackName, uint32_t pointCount) = 0;
  // One valid point; segmentStart is set for the first point and each one that begins a
  // new segment.
  virtual void Point(TrackOutput& out, const TrackPoint& point, bool segmentStart) = 0;
  // The end of the file, also after a run that ended early.
  virtual void End(TrackOutput& out) = 0;
};

// The text format of a track file format; nullptr for the raw memory image.
std::unique_ptr<TrackTextFormat> MakeTrackTextFormat(TrackFileFormat format);

}  // namespace stravener
