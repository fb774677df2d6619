#pragma once

#include <string>

#include "app/event_log.h"
#include "track/track_summary.h"

namespace stravener {

// How a binary track file is read for its summary: as for its conversion.
struct BinaryTrackSummaryOptions {
  int layout = 2;
  bool skipInvalid = false;
};

enum class BinaryTrackSummaryResult {
  Whole,   // every record read; the summary holds at least one point
  Cut,     // a record that is not a valid point ends the track; the summary holds those before it
  Failed,  // nothing to show: the file could not be read, holds no record or no valid point
};

// The summary of the points a track file converted from the binary track file at the path
// would get, read through the same record loop, writing nothing. Every outcome but Whole
// is explained in the log: the file's open or read failure with the system's text; "The
// file holds no track records."; "The first record is not a valid point; the file holds no
// track."; "Record %u is not a valid point; the track ends before it."; "No record is a
// valid point (%u left out).".
BinaryTrackSummaryResult SummarizeBinaryTrackFile(EventLog& log, const std::string& path,
                                                  const BinaryTrackSummaryOptions& options, TrackSummary& summary);

}  // namespace stravener
