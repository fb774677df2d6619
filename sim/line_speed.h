#pragma once

#include <cstdint>

namespace stravener::sim {

// The output speed in bit/s that a terminal is set to (on a pseudo-terminal's master side:
// the speed the program on the slave side chose), or 0 when it cannot be read.
uint32_t ReadTerminalSpeed(int fd);

}  // namespace stravener::sim
