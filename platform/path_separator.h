#pragma once

#include <cstddef>
#include <string>

namespace stravener {

// The folder separator the system writes: '\' on Windows, '/' elsewhere.
extern const char kPathSeparator;

// Whether a character separates folders in a path: '/' everywhere, and on Windows the
// backslash too (on POSIX a backslash is an ordinary file-name character).
bool IsPathSeparator(char c);

// Where the last folder separator of a path is; npos when there is none.
inline size_t LastPathSeparator(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string::npos;
}

}  // namespace stravener
