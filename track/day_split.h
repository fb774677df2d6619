#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/host.h"
#include "track/track_file_format.h"
#include "track/written_track.h"

namespace stravener {

// The most track files one run split by day writes.
constexpr size_t kMostDayFiles = 1000;

// The caller's check of the day files' names, once they are known and before a byte is
// written: true when all may be written, false after saying why not. Unset, any that
// exists is refused ("The file %s already exists."); the command line replaces them with
// --force, and refuses one named for two of its files.
using DayFilesCheck = std::function<bool(const std::vector<std::string>& paths)>;

// How a binary track file is written as one track file per day.
struct DaySplitOptions {
  // A track format: PLT, GPX, KML or SVG.
  TrackFileFormat format = TrackFileFormat::Plt;
  // The layout of the records: 1 or 2.
  int layout = 2;
  // Records that are not valid points are left out and counted instead of ending the track.
  bool skipInvalid = false;
  // The PLT header of each file gives the file's own point count, as a download's header
  // gives the count it brings; else 0, as a conversion's.
  bool pointCountInHeaders = false;
  // The check of the day files' names.
  DayFilesCheck approveFiles;
};

// Writes the whole records of the binary track file at `input` as one track file per
// calendar day of its points, the days counted in the machine's local time zone (TZ where
// it is set): NAME-YYYY-MM-DD.EXT beside outputPath NAME.EXT (DayFilePath), in which the
// times stay as the records give them. The records go through the record loop of the track
// formats once to find the days; the names of all the files are then checked (none may be
// the input; options.approveFiles) before a byte is written, and logged ("--> %s").
// Each file is a whole file of its format: its first point starts a segment, as does a
// point whose predecessor in the track went to another file.
//
// The files take their names only once all are whole. After a failure (a record that is
// not a valid point, unless skipInvalid: "Error in track memory contents." once the points
// before it are written; a read or write failure; a stop request: "Conversion stopped.")
// no file that was there is replaced, and each file keeps what it got as
// NAME-YYYY-MM-DD.partial.EXT, said in the log. True when every file has its name;
// `written` then lists them with their points (dayFiles) and holds the figures of the
// whole track (summary, withLeftOut). No points, no files.
bool SplitTrackByDay(Host& host, const std::string& input, const std::string& outputPath,
                     const DaySplitOptions& options, WrittenTrack& written);

}  // namespace stravener
