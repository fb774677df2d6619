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

// Whether the standard error is a console that takes escape sequences.
bool StderrTakesEscapes();

// Ctrl+C, Ctrl+Break, closing the console, logging off and shutting down become stop
// requests (app/stop_request.h); a second one ends the program at once with status 130.
// After a close, log-off or shut-down the system ends the program as soon as the handler
// returns, so the handler waits: the program ends when its operation has run its closing
// steps (or when the system stops waiting, after about five seconds).
void HearConsoleStopRequests();

}  // namespace stravener::cli
