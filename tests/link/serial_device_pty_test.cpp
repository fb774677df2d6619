// The POSIX serial device and the port connection on a real pseudo-terminal: the test
// holds the master side, the connection opens the slave side by a COMn link or its path.

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/frame.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/temp_dir.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Seconds = std::chrono::duration<double>;

// A pseudo-terminal whose master side the test holds.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const char* name = ::ptsname(master_);
    if (name != nullptr) slave_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool Ok() const { return master_ >= 0 && !slave_.empty(); }
  const std::string& SlavePath() const { return slave_; }

  void Send(const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // What arrives at the master within the time given.
  std::vector<uint8_t> Receive(size_t count, int timeoutMs = 1000) {
    std::vector<uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      uint8_t buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
  }

  // The line speed as the master sees it.
  speed_t Speed() const {
    termios t{};
    ::tcgetattr(master_, &t);
    return ::cfgetospeed(&t);
  }

  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slave_;
};

// A per-user settings folder in a temporary place, with a ports folder for COMn links.
class ScopedConfigHome {
 public:
  ScopedConfigHome() {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) previous_ = old;
    hadPrevious_ = old != nullptr;
    ::setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
    std::filesystem::create_directories(dir_.Path() / "Quillet" / "ports");
  }
  ~ScopedConfigHome() {
    if (hadPrevious_) {
      ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }
  void Link(const std::string& comName, const std::string& target) {
    std::filesystem::create_symlink(target, dir_.Path() / "Quillet" / "ports" / comName);
  }

 private:
  TempDir dir_;
  std::string previous_;
  bool hadPrevious_ = false;
};

double ElapsedSince(std::chrono::steady_clock::time_point start) {
  return Seconds(std::chrono::steady_clock::now() - start).count();
}

// A connection on the slave side of a pseudo-terminal, opened by its path, in English.
struct PtyConnection {
  LanguageGuard english{kEnglish};
  Pty pty;
  EventLog log;
  PortConnection connection{log};

  PtyConnection() { connection.devicePath = pty.SlavePath(); }
  bool Open() { return pty.Ok() && OpenPort(connection, false) == 0; }
};

}  // namespace

TEST(SerialDevicePtyTest, AComLinkOpensSwitchesSpeedsReadsWritesAndCloses) {
  LanguageGuard english(kEnglish);
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  ScopedConfigHome home;
  home.Link("COM5", pty.SlavePath());

  EventLog log;
  PortConnection connection(log);
  connection.portNumber = 5;
  connection.speedLimit = 460800;
  ASSERT_EQ(OpenPort(connection, true), 0);
  EXPECT_THAT(LogLines(log), ElementsAre("I Port opened.", "I Changing port speed to 4800 bps."));
  EXPECT_EQ(pty.Speed(), B4800);
  EXPECT_EQ(connection.speedLimit, 460800u);  // a pseudo-terminal takes every speed

  // Bytes written arrive unchanged: no CR/LF translation on the way out.
  const std::string sentence = "$PQRVI,\r\n";
  EXPECT_EQ(WritePort(connection, reinterpret_cast<const uint8_t*>(sentence.data()), sentence.size(), true), 0);
  const std::vector<uint8_t> sent = pty.Receive(sentence.size());
  EXPECT_EQ(std::string(sent.begin(), sent.end()), sentence);

  // Every byte value comes in unchanged: no signals, no flow control characters, no CR/LF
  // translation, no parity marking.
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  pty.Send(all);
  std::vector<uint8_t> got(256);
  EXPECT_EQ(ReadPort(connection, got.data(), got.size(), true), 256);
  EXPECT_EQ(got, all);

  // A frame through the real line.
  pty.Send({0x03, 0x00, 'a', 'b', 'c', 0x95});
  uint8_t payload[3];
  EXPECT_EQ(ReadFrame(connection, payload, 3, false, true), 0);

  // Speeds: each one read back by the master.
  for (const auto& [speed, code] : {std::pair{115200u, B115200}, {230400u, B230400}, {460800u, B460800},
                                    {38400u, B38400}, {4800u, B4800}}) {
    EXPECT_EQ(SetPortSpeed(connection, speed, true), 0);
    EXPECT_EQ(pty.Speed(), code) << speed;
    EXPECT_EQ(connection.currentSpeed, speed);
  }

  // Purge empties the input queue.
  pty.Send({1, 2, 3, 4});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(PurgePort(connection, true), 0);
  pty.Send({'Z'});
  uint8_t byte = 0;
  EXPECT_EQ(ReadPort(connection, &byte, 1, true), 1);
  EXPECT_EQ(byte, 'Z');

  // A speed the line cannot take is refused, and the line keeps its speed.
  EXPECT_EQ(SetPortSpeed(connection, 12345, true), -1);
  EXPECT_EQ(pty.Speed(), B4800);
  EXPECT_EQ(connection.currentSpeed, 4800u);
  EXPECT_EQ(LogLines(log).at(8), "E Error 0x16 setting port state.");

  EXPECT_EQ(ClosePort(connection, true), 0);
  EXPECT_EQ(LogLines(log).back(), "S -----");
}

TEST(SerialDevicePtyTest, TheLineIsRawEightBitsWithoutFlowControl) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  std::unique_ptr<SerialDevice> device;
  ASSERT_EQ(OpenSerialDevice(pty.SlavePath(), device), 0u);
  LineState state;
  ASSERT_EQ(device->GetLineState(state), 0u);
  state.speed = 4800;
  ASSERT_EQ(device->SetLineState(state), 0u);

  // A second descriptor on the slave sees what the device set.
  const int fd = ::open(pty.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(::tcgetattr(fd, &t), 0);
  ::close(fd);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(::cfgetispeed(&t), B4800);
}

// The 2-second time-outs, each measured once.
TEST(SerialDevicePtyTest, ReadsAndWritesEndAfterTwoSeconds) {
  PtyConnection p;
  ASSERT_TRUE(p.Open());
  Pty& pty = p.pty;
  PortConnection& connection = p.connection;
  EventLog& log = p.log;

  // A read that gets fewer bytes returns what came when the time-out runs out.
  pty.Send({7, 8, 9});
  uint8_t buffer[10] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadPort(connection, buffer, sizeof buffer, true), 3);
  double elapsed = ElapsedSince(start);
  EXPECT_GE(elapsed, 1.9);
  EXPECT_LE(elapsed, 2.5);
  EXPECT_EQ(buffer[2], 9);
  EXPECT_THAT(LogLines(log), IsEmpty());

  // A write nobody takes fills the line's buffers, then the time-out ends it.
  std::vector<uint8_t> big(4 * 1024 * 1024, 0x55);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(WritePort(connection, big.data(), big.size(), true), -1);
  elapsed = ElapsedSince(start);
  EXPECT_GE(elapsed, 1.9);
  EXPECT_LE(elapsed, 2.5);
  EXPECT_THAT(LogLines(log), ElementsAre("E Port write timeout exceeded."));
}

TEST(SerialDevicePtyTest, AHeldPortCannotBeOpenedAgain) {
  PtyConnection p;
  ASSERT_TRUE(p.Open());
  const Pty& pty = p.pty;
  PortConnection& first = p.connection;
  EventLog& log = p.log;

  // Also for root, who is not kept out by TIOCEXCL.
  PortConnection second(log);
  second.devicePath = pty.SlavePath();
  EXPECT_EQ(OpenPort(second, true), -1);
  EXPECT_THAT(LogLines(log), ElementsAre("E Error 0x10 opening port " + pty.SlavePath() + ".", SystemTextLine(16),
                                         "E Another program holds " + pty.SlavePath() + ": close it, then try again."));
  EXPECT_EQ(second.openFlag, 0);

  // The probe cannot open it either.
  EXPECT_EQ(ProbeMaxSpeedOf(pty.SlavePath()), 115200u);

  ClosePort(first, false);
  EXPECT_EQ(OpenPort(second, false), 0);
  EXPECT_EQ(ProbeMaxSpeed(1, 0, second.handle.get()), 460800u);
}

TEST(SerialDevicePtyTest, MissingPortsAndNonTerminals) {
  LanguageGuard english(kEnglish);
  ScopedConfigHome home;
  home.Link("COM9", "/nonexistent/stravener-port");
  EventLog log;
  {
    PortConnection connection(log);
    connection.portNumber = 9;  // a link to a device that is gone
    EXPECT_EQ(OpenPort(connection, true), -1);
    connection.portNumber = 200;  // a number no device family has
    EXPECT_EQ(OpenPort(connection, true), -1);
  }
  EXPECT_THAT(LogLines(log), ElementsAre("E Error 0x2 opening port COM9.", "E No such file or directory",
                                         "E Error 0x2 opening port COM200.", "E No such file or directory"));

  // A file that is not a terminal is refused.
  TempDir dir;
  WriteWholeFile(dir.File("plain"), {1, 2, 3});
  std::unique_ptr<SerialDevice> device;
  EXPECT_EQ(OpenSerialDevice(dir.File("plain"), device), static_cast<uint32_t>(ENOTTY));
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(ProbeMaxSpeed(0, 200, nullptr), 115200u);
}

TEST(SerialDevicePtyTest, AHangUpIsAReadErrorAndThePortIsGone) {
  PtyConnection p;
  ASSERT_TRUE(p.Open());
  p.pty.CloseMaster();
  uint8_t buffer[4];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadPort(p.connection, buffer, sizeof buffer, true), -1);
  EXPECT_LT(ElapsedSince(start), 1.0);  // at once, not after the time-out
  EXPECT_THAT(LogLines(p.log), ElementsAre("E Error 0x5 reading port.", SystemTextLine(5),
                                           "E The port went away: was the logger's cable pulled?"));
  EXPECT_EQ(WritePortByte(p.connection, 's', true), -1);
  EXPECT_EQ(p.log.Entries().size(), 3u);
}
