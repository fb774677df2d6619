#pragma once

// What the command line needs to know of the terminal it runs in.

namespace stravener::cli {

// Whether the standard input is a terminal a question can be asked on.
bool StdinIsTerminal();

// Whether the standard error is a terminal that shows colour escapes (on Windows, a console
// that was told to take them: WindowsConsole).
bool StderrTakesEscapes();

}  // namespace stravener::cli
