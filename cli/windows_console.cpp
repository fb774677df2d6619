#include "cli/windows_console.h"

#include <windows.h>
#include <shellapi.h>

namespace stravener::cli {

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string out(static_cast<size_t>(size - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

WindowsConsole::WindowsConsole() {
  DWORD mode = 0;
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  stdoutConsole_ = GetConsoleMode(out, &mode) != 0;
  if (stdoutConsole_) {
    stdoutMode_ = mode;
    SetConsoleMode(out, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
  stderrConsole_ = GetConsoleMode(err, &mode) != 0;
  if (stderrConsole_) {
    stderrMode_ = mode;
    SetConsoleMode(err, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

WindowsConsole::~WindowsConsole() {
  // The console belongs to the shell the program was started from.
  if (stdoutConsole_) SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), stdoutMode_);
  if (stderrConsole_) SetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), stderrMode_);
}

}  // namespace stravener::cli
