// The Win32 serial device and the port connection on a real COM port: a pseudo-terminal
// that stravener-sim-service holds natively and links as one of this program's COM ports.
// The service holds the line's other end, so the test sees the exact bytes and the speed
// the port set.
//
// What Wine does not do as Windows does is left out: a second open of a port succeeds
// there, bytes are not paced, and a line that hangs up reads as a time-out.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/language.h"
#include "link/frame.h"
#include "link/port_connection.h"
#include "sim_service_session.h"
#include "support/language_guard.h"
#include "support/log_lines.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A bare line linked as COMn, and a connection in English set up to open it.
class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string error = line.OpenLine();
    ASSERT_EQ(error, "");
    ASSERT_GE(line.ComNumber(), 10u);
    connection.portNumber = line.ComNumber();
    connection.speedLimit = 460800;
    connection.updateButtonStates = [this] { ++buttonUpdates; };
  }

  std::string PortName() const { return "COM" + std::to_string(line.ComNumber()); }

  LanguageGuard english{kEnglish};
  SimServiceSession line;
  EventLog log;
  PortConnection connection{log};
  int buttonUpdates = 0;
};

}  // namespace

TEST_F(ComPortTest, OpensSwitchesSpeedsReadsWritesAndCloses) {
  ASSERT_EQ(OpenPort(connection, true), 0);
  EXPECT_THAT(LogLines(log), ElementsAre("I Port opened.", "I Changing port speed to 4800 bps."));
  EXPECT_EQ(connection.openFlag, 1);
  EXPECT_EQ(buttonUpdates, 1);
  EXPECT_EQ(line.ToolSpeed(), 4800u);
  EXPECT_EQ(connection.speedLimit, 460800u);  // the line takes every probe speed
  // Opening an open connection changes nothing.
  EXPECT_EQ(OpenPort(connection, true), 0);
  EXPECT_EQ(log.Entries().size(), 2u);

  // Bytes written arrive unchanged.
  const std::string sentence = "$PMLR,06,00,02A9\r\n";
  EXPECT_EQ(WritePort(connection, reinterpret_cast<const uint8_t*>(sentence.data()), sentence.size(), true), 0);
  EXPECT_EQ(line.Receive(sentence.size()), Bytes(sentence));
  EXPECT_EQ(WritePortByte(connection, 0x1B5, true), 0);
  EXPECT_EQ(line.Receive(1), std::vector<uint8_t>{0xB5});

  // Every byte value comes in unchanged: binary, no flow control characters, nulls kept.
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  ASSERT_TRUE(line.Send(all)) << line.LastError();
  std::vector<uint8_t> got(256);
  EXPECT_EQ(ReadPort(connection, got.data(), got.size(), true), 256);
  EXPECT_EQ(got, all);

  // A frame through the real line.
  ASSERT_TRUE(line.Send({0x03, 0x00, 'a', 'b', 'c', 0x95}));
  uint8_t payload[3];
  EXPECT_EQ(ReadFrame(connection, payload, 3, false, true), 0);

  // Speeds: each one seen on the line's other end and read back from the port.
  for (uint32_t speed : {9600u, 19200u, 38400u, 57600u, 115200u, 230400u, 460800u, 4800u}) {
    EXPECT_EQ(SetPortSpeed(connection, speed, true), 0);
    EXPECT_EQ(connection.currentSpeed, speed);
    EXPECT_EQ(line.ToolSpeed(), speed);
    LineState state;
    ASSERT_EQ(connection.handle->GetLineState(state), 0u);
    EXPECT_EQ(state.speed, speed);
  }
  EXPECT_EQ(LogLines(log).back(), "I Changing port speed to 4800 bps.");
  // The same speed again touches nothing and says nothing.
  const size_t logged = log.Entries().size();
  EXPECT_EQ(SetPortSpeed(connection, 4800, true), 0);
  EXPECT_EQ(log.Entries().size(), logged);

  // Purging empties the input queue.
  ASSERT_TRUE(line.Send({1, 2, 3, 4}));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(PurgePort(connection, true), 0);
  ASSERT_TRUE(line.Send({'Z'}));
  uint8_t one = 0;
  EXPECT_EQ(ReadPort(connection, &one, 1, true), 1);
  EXPECT_EQ(one, 'Z');
  // So does the speed step of every command, also when the speed stays.
  ASSERT_TRUE(line.Send({5, 6}));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(SetPortSpeed(connection, 4800, true), 0);
  ASSERT_TRUE(line.Send({'Y'}));
  EXPECT_EQ(ReadPort(connection, &one, 1, true), 1);
  EXPECT_EQ(one, 'Y');

  EXPECT_EQ(ClosePort(connection, false), 0);
  EXPECT_EQ(connection.openFlag, 0);
  EXPECT_EQ(connection.currentSpeed, 0u);
  EXPECT_EQ(buttonUpdates, 2);
  const std::vector<std::string> lines = LogLines(log);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()), ElementsAre("I Port closed.", "S -----"));
  // Nothing failed on the way: every other line was a speed change.
  EXPECT_THAT(std::vector<std::string>(lines.begin() + 2, lines.end() - 2),
              ::testing::Each(::testing::StartsWith("I Changing port speed to ")));

  // The port opens again after a close, and the speed is set anew.
  log = EventLog();
  ASSERT_EQ(OpenPort(connection, false), 0);
  EXPECT_THAT(LogLines(log), IsEmpty());
  EXPECT_EQ(line.ToolSpeed(), 4800u);
  EXPECT_EQ(ProbeMaxSpeed(1, connection.portNumber, connection.handle.get()), 460800u);
}

TEST_F(ComPortTest, AReadEndsAfterTwoSecondsWithWhatCame) {
  ASSERT_EQ(OpenPort(connection, false), 0);
  ASSERT_TRUE(line.Send({7, 8, 9}));
  uint8_t buffer[10] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadPort(connection, buffer, sizeof buffer, true), 3);
  double elapsed = SecondsSince(start);
  EXPECT_GE(elapsed, 1.9);
  EXPECT_LE(elapsed, 2.6);
  EXPECT_EQ(buffer[0], 7);
  EXPECT_EQ(buffer[2], 9);
  EXPECT_THAT(LogLines(log), IsEmpty());

  // Nothing at all: 0 bytes after the time-out, and the frame reader says so.
  start = std::chrono::steady_clock::now();
  uint8_t payload[22];
  EXPECT_EQ(ReadFrame(connection, payload, sizeof payload, false, true), -1);
  elapsed = SecondsSince(start);
  EXPECT_GE(elapsed, 1.9);
  EXPECT_LE(elapsed, 2.6);
  EXPECT_THAT(LogLines(log), ElementsAre("E Port read timeout exceeded."));
}

TEST_F(ComPortTest, AWriteNobodyTakesEndsAfterTwoSeconds) {
  ASSERT_EQ(OpenPort(connection, false), 0);
  std::vector<uint8_t> big(4 * 1024 * 1024, 0x55);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WritePort(connection, big.data(), big.size(), true), -1);
  const double elapsed = SecondsSince(start);
  EXPECT_GE(elapsed, 1.9);
  EXPECT_LE(elapsed, 2.6);
  EXPECT_THAT(LogLines(log), ElementsAre("E Port write timeout exceeded."));
}

TEST_F(ComPortTest, TheProbeOpensAClosedPortByItsNumber) {
  EXPECT_EQ(ProbeMaxSpeed(0, line.ComNumber(), nullptr), 460800u);
  // It left the port closed again: the connection opens it.
  EXPECT_EQ(OpenPort(connection, false), 0);
}

TEST(ComPortMissingTest, AMissingPortIsErrorTwo) {
  LanguageGuard english(kEnglish);
  EventLog log;
  PortConnection connection(log);
  int buttonUpdates = 0;
  connection.updateButtonStates = [&buttonUpdates] { ++buttonUpdates; };
  for (uint32_t number : {199u, 250u}) {
    connection.portNumber = number;
    log = EventLog();
    EXPECT_EQ(OpenPort(connection, true), -1);
    const std::string name = "COM" + std::to_string(number);
    EXPECT_THAT(LogLines(log), ElementsAre("E Error 0x2 opening port " + name + ".", SystemTextLine(2)));
    EXPECT_EQ(connection.openFlag, 0);
    EXPECT_EQ(ProbeMaxSpeed(0, number, nullptr), 115200u);
  }
  EXPECT_EQ(buttonUpdates, 0);

  // After a failed open the handle is invalid: the next operation fails at its first call
  // with the invalid-handle code, reported in the usual way.
  log = EventLog();
  EXPECT_EQ(SetPortSpeed(connection, 4800, true), -1);
  EXPECT_THAT(LogLines(log), ElementsAre("E Error 0x6 reading port state.", SystemTextLine(ERROR_INVALID_HANDLE)));
}
