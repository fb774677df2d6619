#pragma once

#include <string>

#include "platform/clock.h"

namespace stravener {

// "%04d%02d%02d_log" of a date (20060315_log): the default name of a saved track.
std::string DefaultTrackName(const LocalDate& date);

// The track name of a track file's header, from the output path: the file name without its
// last extension, every comma, blank, control character and non-ASCII character (a whole
// UTF-8 sequence) replaced by one "_". The folder separators are those of
// IsPathSeparator (platform/path_separator.h).
std::string MakeTrackName(const std::string& outputPath);

}  // namespace stravener
