#include <unistd.h>

#include <cstdio>

#include "cli/terminal.h"

namespace stravener::cli {

bool StdinIsTerminal() { return isatty(fileno(stdin)) != 0; }

bool StderrTakesEscapes() { return isatty(fileno(stderr)) != 0; }

}  // namespace stravener::cli
