#pragma once

// The command line on Windows: its arguments as UTF-8, and a console that understands the
// colour and line-clearing escapes for as long as the program runs. (Text reaches the
// console in UTF-16: cli/console_text.h.)

#include <string>
#include <vector>

namespace stravener::cli {

// The program's arguments (the program name first) as UTF-8, from the system's wide
// command line: every path and text of the program is UTF-8, whatever the 8-bit code page.
std::vector<std::string> Utf8Arguments();

// Switches the console to escape sequences, and back when it goes. Does nothing where the
// output is not a console.
class WindowsConsole {
 public:
  WindowsConsole();
  ~WindowsConsole();
  WindowsConsole(const WindowsConsole&) = delete;
  WindowsConsole& operator=(const WindowsConsole&) = delete;

 private:
  unsigned long stdoutMode_ = 0;
  unsigned long stderrMode_ = 0;
  bool stdoutConsole_ = false;
  bool stderrConsole_ = false;
};

}  // namespace stravener::cli
