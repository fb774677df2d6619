#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/terminal.h"

namespace stravener::cli {

bool StdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool StderrTakesEscapes() {
  if (_isatty(_fileno(stderr)) == 0) return false;
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace stravener::cli
