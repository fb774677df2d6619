#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "link/checksum.h"
#include "sim/sentence.h"

namespace {

speed_t SpeedConstant(uint32_t speed) {
  switch (speed) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    default: return B0;
  }
}

std::vector<uint8_t> Frame(const std::vector<uint8_t>& payload, bool useXor) {
  std::vector<uint8_t> frame{static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8)};
  frame.insert(frame.end(), payload.begin(), payload.end());
  const auto n = static_cast<uint16_t>(frame.size());
  frame.push_back(useXor ? stravener::Xor8(frame.data(), n, 0) : stravener::Crc8(frame.data(), n, 0));
  return frame;
}

}  // namespace

PtyClient::PtyClient(const std::string& path, uint32_t speed) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return;
  if (!SetSpeed(speed)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  Purge();
}

PtyClient::~PtyClient() {
  if (fd_ >= 0) ::close(fd_);
}

bool PtyClient::SetSpeed(uint32_t speed) {
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  cfsetispeed(&t, SpeedConstant(speed));
  cfsetospeed(&t, SpeedConstant(speed));
  return tcsetattr(fd_, TCSANOW, &t) == 0;
}

void PtyClient::Purge() { tcflush(fd_, TCIOFLUSH); }

bool PtyClient::Write(std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, 100);
      continue;
    }
    lastError_ = errno;
    return false;
  }
  return true;
}

bool PtyClient::Write(const std::vector<uint8_t>& bytes) {
  return Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool PtyClient::WriteByte(uint8_t byte) { return Write(std::string_view(reinterpret_cast<const char*>(&byte), 1)); }

std::vector<uint8_t> PtyClient::Read(size_t count, std::chrono::milliseconds timeout) {
  std::vector<uint8_t> got;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (got.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left < 0) break;
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    uint8_t buffer[4096];
    const size_t want = std::min(sizeof buffer, count - got.size());
    const ssize_t n = ::read(fd_, buffer, want);
    if (n > 0) {
      got.insert(got.end(), buffer, buffer + n);
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    hungUp_ = true;
    lastError_ = n < 0 ? errno : 0;
    break;
  }
  return got;
}

std::vector<uint8_t> PtyClient::ReadUntilQuiet(std::chrono::milliseconds quiet) {
  std::vector<uint8_t> all;
  for (;;) {
    const std::vector<uint8_t> more = Read(65536, quiet);
    all.insert(all.end(), more.begin(), more.end());
    if (more.empty() || hungUp_) return all;
  }
}

bool PtyClient::Command(std::string_view sentence, std::chrono::milliseconds pause) {
  if (!Write(stravener::sim::kAttentionSentence)) return false;
  std::this_thread::sleep_for(pause);
  return Write(sentence);
}

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> CrcFrame(const std::vector<uint8_t>& payload) { return Frame(payload, false); }
std::vector<uint8_t> XorFrame(const std::vector<uint8_t>& payload) { return Frame(payload, true); }

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
