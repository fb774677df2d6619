#pragma once

#include <optional>
#include <string>

#include "app/host.h"
#include "track/day_split.h"
#include "track/track_file_format.h"
#include "track/written_track.h"

namespace stravener {

// How a binary track file is read and what it becomes.
struct BinaryConversionOptions {
  // The layout of its records. A file holds no firmware-format digit: a dropped file is
  // read as layout 2, as the logger's current firmware stores it.
  int layout = 2;
  // The output's format; unset, the chosen file's extension decides (TrackFileFormatFor).
  std::optional<TrackFileFormat> format;
  // A record that is not a valid point is left out and counted instead of ending the
  // conversion (TrackWriterOptions::skipInvalid).
  bool skipInvalid = false;
  // One track file a local day, NAME-YYYY-MM-DD.EXT beside the chosen NAME.EXT, which
  // itself is not written (SplitTrackByDay); for a track format only, not the records
  // unchanged.
  bool splitByDay = false;
  // The caller's check of the day files' names (DaySplitOptions::approveFiles).
  DayFilesCheck approveDayFiles;
};

// Converts the binary track file at `path` (the logger's track memory as saved, 16-byte
// records) into a PLT, GPX or KML file or an SVG picture at `outputPath`, the full path the
// caller chose (or copies its records, for any other extension), reporting every step in
// the host's event log. Returns true when the whole file was converted and the success
// line written; false on a failure (already logged). A PLT, GPX, KML or SVG
// file given in place of a binary one is refused before anything is created. The output
// takes the chosen name only once it is whole (TrackFileReplacement): after a failure a
// file that was there is left as it was, and what was written before the failure (a GPX
// or KML file with its closing tags) is kept as NAME.partial.EXT, never over the input or
// any other file. A stop request (platform/stop_request.h) ends the conversion as a failure:
// "Conversion stopped.". After a whole conversion, `written` (when given) holds the file
// written, or the day files, and the summary of the track, for the lines that end it
// (WrittenTrackLines).
bool ConvertBinaryTrackFile(Host& host, const std::string& path, const std::string& outputPath,
                            const BinaryConversionOptions& options = {}, WrittenTrack* written = nullptr);

}  // namespace stravener
