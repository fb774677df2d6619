#pragma once

#include <string>

namespace stravener {

// The track name of a track file's header, from the output path: the file name without its
// last extension, every comma, blank, control character and non-ASCII character (a whole
// UTF-8 sequence) replaced by one "_". The folder separator is "/" on POSIX (a backslash is an
// ordinary file-name character there) and the backslash on Windows.
std::string MakeTrackName(const std::string& outputPath);

}  // namespace stravener
