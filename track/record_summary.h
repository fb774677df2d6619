#pragma once

#include <cstdint>

#include "track/track_record_loop.h"
#include "track/track_summary.h"

namespace stravener {

// The figures of records kept unchanged (the memory saved raw): those of the points a track
// file made of them would get, through the same record loop. A record that is not a valid
// point ends them, as it ends a track file, unless skipInvalid leaves it out.
class RecordSummary {
 public:
  RecordSummary(int layout, bool skipInvalid) : loop_(layout, skipInvalid) {}

  void Add(const uint8_t* record) {
    ++records_;
    if (endingRecord_ != 0) return;
    TrackPoint point;
    bool segmentStart = false;
    switch (loop_.Next(record, point, segmentStart)) {
      case RecordVerdict::Point: summary_.AddPoint(point, segmentStart); break;
      case RecordVerdict::LeftOut: summary_.AddLeftOut(); break;
      case RecordVerdict::Refused: endingRecord_ = records_; break;
    }
  }

  const TrackSummary& Summary() const { return summary_; }
  // The record (counting from 1) that ended them; 0 when none did.
  uint32_t EndingRecord() const { return endingRecord_; }

 private:
  TrackRecordLoop loop_;
  TrackSummary summary_;
  uint32_t records_ = 0;
  uint32_t endingRecord_ = 0;
};

}  // namespace stravener
