#include "cli/console_text.h"

#include <algorithm>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace stravener::cli {

namespace {

#if defined(_WIN32)
// The console a standard stream writes to, or null for a file, a pipe or another stream.
HANDLE ConsoleOf(FILE* stream) {
  if (stream != stdout && stream != stderr) return nullptr;
  const HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0 ? handle : nullptr;
}

void WriteConsoleText(HANDLE console, std::string_view text) {
  if (text.empty()) return;
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  // In pieces that every console takes, none ending inside a surrogate pair.
  constexpr size_t kPiece = 8192;
  for (size_t start = 0; start < wide.size();) {
    size_t count = std::min(kPiece, wide.size() - start);
    if (start + count < wide.size() && IS_HIGH_SURROGATE(wide[start + count - 1])) --count;
    DWORD written = 0;
    if (!WriteConsoleW(console, wide.data() + start, static_cast<DWORD>(count), &written, nullptr) || written == 0) {
      return;
    }
    start += written;
  }
}
#endif

}  // namespace

void WriteText(FILE* stream, std::string_view text) {
#if defined(_WIN32)
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);  // what the C library still holds goes first
    WriteConsoleText(console, text);
    return;
  }
#endif
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace stravener::cli
