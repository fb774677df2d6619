// The serial device on POSIX systems: termios, poll with a deadline, flock and TIOCEXCL.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/port_names.h"
#include "link/serial_device.h"
#include "platform/stop_request.h"

namespace stravener {

const uint32_t kInvalidHandleCode = EBADF;
const uint32_t kDeviceRemovedCode = EIO;

bool IsDeviceRemovedCode(uint32_t code) { return code == EIO || code == ENXIO || code == ENODEV; }

namespace {

using SteadyClock = std::chrono::steady_clock;

struct SpeedCode {
  uint32_t speed;
  speed_t code;
};

// The speeds a line can be set to; the logger and its boot loader use 4800 to 460800.
constexpr SpeedCode kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},   {9600, B9600},   {19200, B19200},
    {38400, B38400},   {57600, B57600},   {115200, B115200},
#if defined(B230400)
    {230400, B230400},
#endif
#if defined(B460800)
    {460800, B460800},
#endif
};

bool SpeedCodeFor(uint32_t speed, speed_t& code) {
  for (const SpeedCode& s : kSpeeds) {
    if (s.speed == speed) {
      code = s.code;
      return true;
    }
  }
  return false;
}

uint32_t SpeedOf(speed_t code) {
  for (const SpeedCode& s : kSpeeds) {
    if (s.code == code) return s.speed;
  }
  return 0;
}

// Milliseconds left until the deadline, rounded up so that poll never wakes early and
// spins; 0 once it has passed.
int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = deadline - SteadyClock::now();
  if (left <= SteadyClock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > 60000 ? 60000 : static_cast<int>(ms);
}

// Waits until the descriptor is ready for `events` or the deadline passes. Returns 0 and
// sets `ready`, or an errno code. With `endOnStop`, a stop request that interrupts the wait
// ends it as if the deadline had passed: a read gives back what came so far, and the
// operation notices the request at once instead of after the read's whole time-out.
uint32_t WaitFor(int fd, short events, SteadyClock::time_point deadline, bool endOnStop, bool& ready) {
  ready = false;
  for (;;) {
    const int timeout = MillisecondsLeft(deadline);
    if (timeout == 0) return 0;
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, timeout);
    if (n < 0) {
      if (errno != EINTR) return static_cast<uint32_t>(errno);
      if (endOnStop && StopRequested()) return 0;
      continue;
    }
    if (n == 0) continue;  // the loop ends once the deadline has passed
    if (p.revents & POLLNVAL) return EBADF;
    // An error or a hang-up is ready too: the read or write that follows tells which.
    ready = true;
    return 0;
  }
}

class PosixSerialDevice final : public SerialDevice {
 public:
  explicit PosixSerialDevice(int fd) : fd_(fd) {}
  ~PosixSerialDevice() override { Close(); }
  PosixSerialDevice(const PosixSerialDevice&) = delete;
  PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

  // The driver keeps its own queues; nothing to ask for.
  uint32_t SetupQueues(uint32_t, uint32_t) override { return fd_ < 0 ? EBADF : 0; }

  uint32_t GetLineState(LineState& state) override {
    if (fd_ < 0) return EBADF;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return static_cast<uint32_t>(errno);
    state.speed = SpeedOf(::cfgetospeed(&t));
    state.native.assign(reinterpret_cast<const unsigned char*>(&t), reinterpret_cast<const unsigned char*>(&t) + sizeof t);
    return 0;
  }

  uint32_t SetLineState(const LineState& state) override {
    if (fd_ < 0) return EBADF;
    speed_t code{};
    if (!SpeedCodeFor(state.speed, code)) return EINVAL;
    termios before{};
    if (::tcgetattr(fd_, &before) != 0) return static_cast<uint32_t>(errno);
    termios t = before;
    if (state.native.size() == sizeof t) std::memcpy(&t, state.native.data(), sizeof t);

    // Raw bytes both ways: no echo, no line editing, no signals, no translation of CR or
    // LF, null bytes and 0xFF passed on, no software flow control.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // 8 data bits, no parity, one stop bit, no hardware flow control, the modem lines
    // ignored, the receiver on.
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#if defined(CRTSCTS)
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    t.c_cflag |= static_cast<tcflag_t>(CS8 | CLOCAL | CREAD);
    // With O_NONBLOCK an empty queue gives EAGAIN (VMIN 1), and a read of 0 bytes means
    // the line hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, code) != 0 || ::cfsetospeed(&t, code) != 0) return EINVAL;

    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
      const uint32_t error = static_cast<uint32_t>(errno);
      ::tcsetattr(fd_, TCSANOW, &before);
      return error;
    }
    // tcsetattr succeeds when any part of the request was taken: the speed counts as set
    // only when the line, read back, shows it.
    termios check{};
    if (::tcgetattr(fd_, &check) != 0) return static_cast<uint32_t>(errno);
    if (::cfgetospeed(&check) != code || ::cfgetispeed(&check) != code || (check.c_cflag & CSIZE) != CS8 ||
        (check.c_cflag & (PARENB | CSTOPB)) != 0) {
      ::tcsetattr(fd_, TCSANOW, &before);
      return EINVAL;
    }
    RaiseModemLines();
    return 0;
  }

  uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) override {
    if (fd_ < 0) return EBADF;
    readTimeoutMs_ = readTotalMs;
    writeTimeoutMs_ = writeTotalMs;
    return 0;
  }

  uint32_t Purge() override {
    if (fd_ < 0) return EBADF;
    return ::tcflush(fd_, TCIOFLUSH) == 0 ? 0 : static_cast<uint32_t>(errno);
  }

  // POSIX latches no line errors (a framing or parity fault only spoils the bytes it hits),
  // so there is nothing to clear; the port is only checked to be still there.
  uint32_t ClearLineErrors() override {
    if (fd_ < 0) return EBADF;
    return ::fcntl(fd_, F_GETFL) == -1 ? static_cast<uint32_t>(errno) : 0;
  }

  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    received = 0;
    if (fd_ < 0) return EBADF;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(readTimeoutMs_);
    // A stop request that comes while the read waits ends it (the signal interrupts the
    // wait, or the next turn of the loop sees it); a read begun after one runs its course.
    const bool endOnStop = !StopRequested();
    while (received < count) {
      if (endOnStop && StopRequested()) break;
      const ssize_t n = ::read(fd_, buffer + received, count - received);
      if (n > 0) {
        received += static_cast<size_t>(n);
        continue;
      }
      if (n == 0) return EIO;  // hung up: the adapter was unplugged or the other side went
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return static_cast<uint32_t>(errno);
      bool ready = false;
      if (const uint32_t error = WaitFor(fd_, POLLIN, deadline, endOnStop, ready); error != 0) return error;
      if (!ready) break;  // the time-out ran out, or a stop was requested: what came is the result
    }
    return 0;
  }

  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    written = 0;
    if (fd_ < 0) return EBADF;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(writeTimeoutMs_);
    while (written < count) {
      const ssize_t n = ::write(fd_, data + written, count - written);
      if (n > 0) {
        written += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return static_cast<uint32_t>(errno);
      bool ready = false;
      // A sentence is never cut short by a stop request: the logger would take its remains
      // for the start of the next one.
      if (const uint32_t error = WaitFor(fd_, POLLOUT, deadline, false, ready); error != 0) return error;
      if (!ready) break;  // the time-out ran out
    }
    return 0;
  }

  uint32_t Flush() override {
    if (fd_ < 0) return EBADF;
    while (::tcdrain(fd_) != 0) {
      if (errno != EINTR) return static_cast<uint32_t>(errno);
    }
    return 0;
  }

  uint32_t Close() override {
    if (fd_ < 0) return EBADF;
#if defined(TIOCNXCL)
    ::ioctl(fd_, TIOCNXCL);
#endif
    // The lock goes with the descriptor.
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 || errno == EINTR ? 0 : static_cast<uint32_t>(errno);
  }

 private:
  // DTR and RTS raised while the port is open. A line without modem control (a
  // pseudo-terminal) refuses, which does not matter.
  void RaiseModemLines() {
#if defined(TIOCMBIS)
    int bits = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIS, &bits);
#endif
  }

  int fd_;
  uint32_t readTimeoutMs_ = 2000;
  uint32_t writeTimeoutMs_ = 2000;
};

// Asks the driver to hand over every byte at once: USB adapters otherwise hold bytes
// back for up to 16 ms, on every request and every answer. A refusal is of no concern.
void RequestLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
  }
#else
  (void)fd;
#endif
}

}  // namespace

uint32_t OpenSerialDevice(const std::string& name, std::unique_ptr<SerialDevice>& device) {
  device.reset();
  const std::string path = ResolvePortName(name);
  if (path.empty()) return ENOENT;

  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return static_cast<uint32_t>(errno);

  if (!::isatty(fd)) {
    ::close(fd);
    return ENOTTY;
  }
  // Exclusive: flock holds against every other opener that asks for it, root included;
  // TIOCEXCL also keeps out programs that do not lock (but not root).
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? EBUSY : static_cast<uint32_t>(error);
  }
#if defined(TIOCEXCL)
  ::ioctl(fd, TIOCEXCL);
#endif
  RequestLowLatency(fd);
  device = std::make_unique<PosixSerialDevice>(fd);
  return 0;
}

SerialOpener SystemSerialOpener() { return &OpenSerialDevice; }

}  // namespace stravener
