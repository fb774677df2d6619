#pragma once

#include <cstdint>

#include "track/track_record.h"

namespace stravener {

// What the record loop makes of one record.
enum class RecordVerdict {
  Point,    // a valid point, to be handed on
  LeftOut,  // not a valid point, left out (skipInvalid); the next point starts a segment
  Refused,  // not a valid point: the run ends before it
};

// The rules every track format applies to a run of 16-byte records, in order: each record
// is decoded by the layout and must pass the validity rule; the first point, each one the
// segment rule marks, and (with skipInvalid) the first point after a record left out start
// a new segment. The track files and the summary of a track go through the same loop, so
// the summary counts exactly the points a file gets.
class TrackRecordLoop {
 public:
  TrackRecordLoop(int layout, bool skipInvalid) : layout_(layout), skipInvalid_(skipInvalid) {}

  // Decodes the record into `point`; for a Point, `segmentStart` tells whether it begins
  // a new segment.
  RecordVerdict Next(const uint8_t* record, TrackPoint& point, bool& segmentStart) {
    point = DecodeTrackRecord(record, layout_);
    if (!IsValidTrackPoint(point)) {
      if (!skipInvalid_) return RecordVerdict::Refused;
      broken_ = true;
      return RecordVerdict::LeftOut;
    }
    segmentStart = broken_ || StartsNewSegment(layout_, first_, previous_, point);
    broken_ = first_ = false;
    previous_ = point.stamp;
    return RecordVerdict::Point;
  }

 private:
  const int layout_;
  const bool skipInvalid_;
  TrackStamp previous_;
  bool first_ = true;
  bool broken_ = false;  // a record was left out since the last point
};

}  // namespace stravener
