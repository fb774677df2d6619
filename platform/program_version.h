#pragma once

#include <string>

namespace stravener {

// The version the About dialog shows, "%d.%d.%d.%d" of the product version. On Windows it
// is read from the program file's own version information, and is empty when that cannot
// be read; elsewhere it is the version the program was built as.
std::string ProgramVersionText();

#if defined(_WIN32)
// The product version of any file's version information, empty when it has none.
std::string FileVersionText(const std::string& path);
#endif

}  // namespace stravener
