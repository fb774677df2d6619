// Kept apart from <termios.h>: the kernel's own terminal structures, which carry the speed
// as a plain number, clash with the C library's.
#include "sim/line_speed.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace stravener::sim {

uint32_t ReadTerminalSpeed(int fd) {
  struct termios2 settings {};
  if (ioctl(fd, TCGETS2, &settings) != 0) return 0;
  return settings.c_ospeed;
}

}  // namespace stravener::sim

#else
#include <termios.h>

namespace stravener::sim {

uint32_t ReadTerminalSpeed(int fd) {
  struct termios settings {};
  if (tcgetattr(fd, &settings) != 0) return 0;
  // Elsewhere the speed constants are the numbers themselves.
  return static_cast<uint32_t>(cfgetospeed(&settings));
}

}  // namespace stravener::sim
#endif
