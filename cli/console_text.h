#pragma once

// Everything the command line shows the user goes out through here. On a Windows console the
// text is written as UTF-16 (WriteConsoleW), so Polish letters show whatever the console's
// code page; to a file or a pipe, and on POSIX, it is the UTF-8 bytes as they are.

#include <cstdio>
#include <string_view>

#include "app/format.h"

namespace stravener::cli {

// Writes UTF-8 text to stdout or stderr.
void WriteText(FILE* stream, std::string_view text);

// printf-style formatting (FormatText: never depending on the C locale) into WriteText.
template <typename... Args>
void PrintText(FILE* stream, const char* format, const Args&... args) {
  WriteText(stream, FormatText(format, args...));
}

}  // namespace stravener::cli
