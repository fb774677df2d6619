#include <windows.h>

#include "platform/system_error.h"

namespace stravener {

uint32_t LastSystemError() { return static_cast<uint32_t>(GetLastError()); }

bool SystemErrorText(uint32_t code, std::string& text) {
  // The system's message table, in the user's default language, inserts such as %1
  // left untouched, as a single line (0xFF: line breaks become blanks).
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | 0xFF,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return false;
  // The text comes in the ANSI code page; the log holds UTF-8.
  std::string ansi(buffer, length);
  LocalFree(buffer);
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (wideLength <= 0) {
    text = ansi;
    return true;
  }
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), wideLength);
  const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  text.assign(static_cast<size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, text.data(), utf8Length, nullptr, nullptr);
  return true;
}

}  // namespace stravener
