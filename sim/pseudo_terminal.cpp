#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/line_speed.h"

namespace stravener::sim {

namespace {

speed_t SpeedConstant(uint32_t speed) {
  switch (speed) {
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    default: return B9600;
  }
}

std::string Failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

int PseudoTerminal::Open(uint32_t initialSpeed, std::string* error) {
  Close();
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) {
    if (error) *error = Failure("cannot open a pseudo-terminal");
    return -1;
  }
  const char* name = nullptr;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || (name = ptsname(master_)) == nullptr) {
    if (error) *error = Failure("cannot unlock the pseudo-terminal");
    Close();
    return -1;
  }
  slavePath_ = name;
  slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    if (error) *error = Failure("cannot open the pseudo-terminal's slave side");
    Close();
    return -1;
  }
  (void)fcntl(master_, F_SETFD, FD_CLOEXEC);
  const int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
    if (error) *error = Failure("cannot make the pseudo-terminal non-blocking");
    Close();
    return -1;
  }
  // Raw, so nothing is echoed or translated before the tool sets the line up itself.
  struct termios settings {};
  if (tcgetattr(slave_, &settings) != 0) {
    if (error) *error = Failure("cannot read the pseudo-terminal's settings");
    Close();
    return -1;
  }
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&settings, SpeedConstant(initialSpeed));
  cfsetospeed(&settings, SpeedConstant(initialSpeed));
  if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
    if (error) *error = Failure("cannot set the pseudo-terminal up");
    Close();
    return -1;
  }
  return 0;
}

void PseudoTerminal::Close() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = -1;
  master_ = -1;
}

uint32_t PseudoTerminal::ToolSpeed() const { return master_ >= 0 ? ReadTerminalSpeed(master_) : 0; }

}  // namespace stravener::sim
