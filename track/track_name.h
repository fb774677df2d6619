#pragma once

#include <cstdint>
#include <string>

#include "app/event_log.h"
#include "platform/file.h"
#include "track/track_record.h"

namespace stravener {

// Appends one track record to an OziExplorer track point file (version 2.1), unbuffered:
// the record loop of the download and the conversion is TrackWriter, which writes the
// same text in large writes. The first
// call for a file (firstPoint) writes the header, with the track name made from
// outputPath and pointCount as the point count, and resets the previous stamp; later calls
// pass an empty outputPath. The record is decoded by its layout (1 or 2); an invalid point
// is an error that is always logged and nothing of it is written. Each line goes to the
// file in a single write; a failed or short write is logged only when reportFlag is set.
//
// Returns -1 on any failure, otherwise the bytes written by this call (the header's
// included on the first call). Callers stop at the first -1. Only one file can be in
// writing at a time, as the previous stamp is process-wide.
int32_t WritePltPoint(EventLog& log, File& file, const std::string& outputPath, int layout, const uint8_t* record,
                      bool firstPoint, bool reportFlag, uint32_t pointCount);

// The track name of the header, from the output path: the file name without its last
// extension, every comma, blank, control character and non-ASCII character (a whole UTF-8
// sequence) replaced by one "_". The folder separator is "/" on POSIX (a backslash is an
// ordinary file-name character there) and the backslash on Windows.
std::string MakeTrackName(const std::string& outputPath);

// The stamp of the last point whose line was written in full (all zero after a first call
// until its line is written).
TrackStamp PreviousPltStamp();

}  // namespace stravener
