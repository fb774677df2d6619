// Reading the logger's answer frames through the serial test double.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/checksum.h"
#include "link/frame.h"
#include "support/fake_serial_device.h"
#include "support/language_guard.h"
#include "support/log_lines.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr bool kXor = true;
constexpr bool kCrc = false;

struct Fixture {
  FakeSerialLine line;
  EventLog log;
  PortConnection connection{log, line.Opener()};
  uint8_t payload[64];

  Fixture() {
    std::memset(payload, 0xEE, sizeof payload);
    EXPECT_EQ(OpenPort(connection, false), 0);
    line.calls.clear();
  }
};

}  // namespace

TEST(ReadFrameTest, WorkedValues) {
  {
    Fixture f;
    f.line.Feed({0x01, 0x00, 0x01, 0x96});
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 1, kCrc, true), 0);
    EXPECT_EQ(f.payload[0], 0x01);
    EXPECT_EQ(f.payload[1], 0xEE);  // nothing beyond the expected length is written
  }
  {
    Fixture f;
    f.line.Feed({0x03, 0x00, 'a', 'b', 'c', 0x95});
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 3, kCrc, true), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(f.payload), 3), "abc");
    f.line.Feed({0x03, 0x00, 'a', 'b', 'c', 0x63});
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 3, kXor, true), 0);
    EXPECT_THAT(LogLines(f.log), IsEmpty());
    EXPECT_TRUE(f.line.input.empty());
  }
  {
    // A full 22-byte record, as the information request gets it.
    Fixture f;
    std::vector<uint8_t> frame = {22, 0};
    for (uint8_t i = 0; i < 22; ++i) frame.push_back(static_cast<uint8_t>(0x30 + i));
    uint8_t crc = 0;
    for (uint8_t b : frame) crc = CrcStep(b, crc);
    frame.push_back(crc);
    f.line.Feed(frame);
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 22, kCrc, true), 0);
    EXPECT_EQ(f.payload[21], 0x30 + 21);
  }
}

TEST(ReadFrameTest, ZeroLengthFrame) {
  for (bool xorChecksum : {kXor, kCrc}) {
    Fixture f;
    f.line.Feed({0x00, 0x00, 0x00, 0x77});
    EXPECT_EQ(ReadFrame(f.connection, nullptr, 0, xorChecksum, true), 0);
    EXPECT_THAT(LogLines(f.log), IsEmpty());
    EXPECT_THAT(f.line.input, ElementsAre(0x77));  // only the checksum byte was read
  }
}

TEST(ReadFrameTest, LengthHighByteFirstIsAProtocolError) {
  LanguageGuard english(kEnglish);
  Fixture f;
  std::vector<uint8_t> frame = {0x00, 0x16};
  frame.resize(2 + 22 + 1, 0x41);
  f.line.Feed(frame);
  EXPECT_EQ(ReadFrame(f.connection, f.payload, 22, kCrc, true), -1);
  EXPECT_THAT(LogLines(f.log), ElementsAre("E Protocol error."));
  EXPECT_EQ(f.line.input.size(), 23u);  // nothing after the length is consumed
  EXPECT_EQ(f.payload[0], 0xEE);
  EXPECT_THAT(f.line.calls, ElementsAre("Read", "ClearLineErrors"));
}

TEST(ReadFrameTest, TheXorIncludesTheLengthBytes) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.line.Feed({0x01, 0x00, 0x01, 0x01});  // the XOR of the payload alone
  EXPECT_EQ(ReadFrame(f.connection, f.payload, 1, kXor, true), -1);
  EXPECT_THAT(LogLines(f.log), ElementsAre("E Checksum error."));
  EXPECT_EQ(f.payload[0], 0x01);  // the payload stays in the buffer
  EXPECT_EQ(f.line.Count(FakeCall::ClearLineErrors), 0u);

  f.line.Feed({0x01, 0x00, 0x01, 0x00});
  EXPECT_EQ(ReadFrame(f.connection, f.payload, 1, kXor, true), 0);
}

TEST(ReadFrameTest, AFrameCutShortTimesOut) {
  LanguageGuard english(kEnglish);
  const std::vector<std::vector<uint8_t>> cut = {
      {},                          // nothing at all
      {0x03},                      // half the length
      {0x03, 0x00, 'a', 'b'},      // part of the payload
      {0x03, 0x00, 'a', 'b', 'c'}, // everything but the checksum
  };
  for (const auto& bytes : cut) {
    Fixture f;
    f.line.Feed(bytes);
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 3, kCrc, true), -1) << bytes.size();
    EXPECT_THAT(LogLines(f.log), ElementsAre("E Port read timeout exceeded.")) << bytes.size();
    EXPECT_EQ(f.line.calls.back(), "ClearLineErrors");
    if (bytes.size() == 5) {
      EXPECT_EQ(std::string(reinterpret_cast<char*>(f.payload), 3), "abc");
    }
  }
}

TEST(ReadFrameTest, AReadErrorIsReportedThenTheTimeout) {
  LanguageGuard english(kEnglish);
  for (int failingRead = 0; failingRead < 3; ++failingRead) {
    Fixture f;
    f.line.Feed({0x03, 0x00, 'a', 'b', 'c', 0x95});
    f.line.Fail(FakeCall::Read, 13, failingRead);
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 3, kCrc, true), -1);
    EXPECT_THAT(LogLines(f.log),
                ElementsAre("E Error 0xd reading port.", SystemTextLine(13), "E Port read timeout exceeded."));
  }
}

TEST(ReadFrameTest, PolishTexts) {
  LanguageGuard polish(kPolish);
  Fixture f;
  f.line.Feed({0x02, 0x00});
  ReadFrame(f.connection, f.payload, 1, kCrc, true);
  f.line.input.clear();
  f.line.Feed({0x01, 0x00, 0x01, 0x00});
  ReadFrame(f.connection, f.payload, 1, kCrc, true);
  ReadFrame(f.connection, f.payload, 1, kCrc, true);
  EXPECT_THAT(LogLines(f.log), ElementsAre("E Błąd protokołu.", "E Błąd sumy kontrolnej.",
                                           "E Przekroczony limit czasu operacji odczytu z portu."));
}

TEST(ReadFrameTest, EveryFailureIsSilentWithTheFlagClear) {
  struct Case {
    std::vector<uint8_t> bytes;
    bool readError;
    size_t clears;
  };
  const Case cases[] = {
      {{0x03, 0x00, 'a', 'b', 'c'}, false, 1},        // time-out
      {{0x00, 0x03, 'a', 'b', 'c', 0x95}, false, 1},  // protocol error
      {{0x03, 0x00, 'a', 'b', 'c', 0x94}, false, 0},  // checksum error
      {{0x03, 0x00, 'a', 'b', 'c', 0x95}, true, 2},   // read error: ReadPort's and ReadFrame's
  };
  for (const Case& c : cases) {
    Fixture f;
    f.line.Feed(c.bytes);
    if (c.readError) f.line.Fail(FakeCall::Read, 13);
    EXPECT_EQ(ReadFrame(f.connection, f.payload, 3, kCrc, false), -1);
    EXPECT_THAT(LogLines(f.log), IsEmpty());
    EXPECT_EQ(f.line.Count(FakeCall::ClearLineErrors), c.clears);
  }
}
