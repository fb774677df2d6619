#pragma once

#include <cstdint>
#include <string>

namespace stravener {

// The platform's last error code: errno on POSIX, GetLastError() on Windows.
uint32_t LastSystemError();

// The operating system's own text for an error code, as one line (strerror on POSIX;
// FormatMessage from the system's table, inserts left untouched, on Windows). Returns
// false when the system has no text for the code.
bool SystemErrorText(uint32_t code, std::string& text);

}  // namespace stravener
