#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

#include "sim_fixture.h"

using namespace stravener::sim;
using namespace std::chrono_literals;

namespace {

TEST(FaultPlanTest, ParsesKindAtOrdinal) {
  std::string error;
  const auto fault = ParseFault("checksum@3", &error);
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->kind, FaultKind::Checksum);
  EXPECT_EQ(fault->at, 3u);
  EXPECT_EQ(ParseFault("ack@0", &error)->kind, FaultKind::WrongAck) << "pages count from 0";
  for (const char* wrong : {"checksum", "checksum@", "checksum@x", "checksum@0", "bogus@1", "@1", "short@1x",
                            "silent@-1", "garbage@99999999999"}) {
    EXPECT_FALSE(ParseFault(wrong, &error)) << wrong;
    EXPECT_FALSE(error.empty());
  }
}

class FrameFaultTest : public SimFixture {};

TEST_F(FrameFaultTest, EachFrameFaultSpoilsItsOwnFrameOnly) {
  SimulatedLoggerOptions options;
  options.faults = {{FaultKind::Checksum, 1}, {FaultKind::Length, 2}, {FaultKind::Short, 3},
                    {FaultKind::Silent, 4},   {FaultKind::Garbage, 5}};
  Launch(options);
  const std::array<uint8_t, 22> record = Logger().InfoRecord();
  const std::vector<uint8_t> good = CrcFrame(std::vector<uint8_t>(record.begin(), record.end()));

  const auto ask = [&](size_t expect, std::chrono::milliseconds wait) {
    Client().Purge();
    EXPECT_TRUE(Client().Command("$PQRVI,\r\n"));
    return Client().Read(expect, wait);
  };
  // 1: wrong checksum.
  std::vector<uint8_t> got = ask(25, 1000ms);
  ASSERT_EQ(got.size(), 25u);
  EXPECT_TRUE(std::equal(good.begin(), good.end() - 1, got.begin()));
  EXPECT_EQ(got.back(), good.back() ^ 0xFF);
  // 2: the length word says 23.
  got = ask(25, 1000ms);
  ASSERT_EQ(got.size(), 25u);
  EXPECT_EQ(got[0], 23);
  EXPECT_EQ(got[1], 0);
  // 3: cut short after the length and half the payload.
  got = ask(25, 500ms);
  EXPECT_EQ(got, std::vector<uint8_t>(good.begin(), good.begin() + 13));
  // 4: no answer.
  EXPECT_TRUE(ask(1, 400ms).empty());
  // 5: three stray bytes, then the frame.
  got = ask(28, 1000ms);
  ASSERT_EQ(got.size(), 28u);
  EXPECT_EQ(std::vector<uint8_t>(got.begin() + 3, got.end()), good);
  // 6: the faults are spent.
  EXPECT_EQ(ask(25, 1000ms), good);
  EXPECT_EQ(Logger().FramesAnswered(), 6u);
  EXPECT_EQ(Trace().Events(TraceKind::Fault).size(), 5u);
}

TEST_F(FrameFaultTest, ABlockFrameCanBeFaultedLikeAnyOther) {
  SimulatedLoggerOptions options;
  options.faults = {{FaultKind::Checksum, 1}};  // the first block is the first frame
  Launch(options);
  ASSERT_TRUE(Client().Command("$PQRVS,1\r\n"));
  SleepMs(100);
  ASSERT_TRUE(Client().SetSpeed(115200));
  SleepMs(100);
  const std::vector<uint8_t> memory = Logger().MemoryImage();
  const std::vector<uint8_t> good = XorFrame(std::vector<uint8_t>(memory.begin(), memory.begin() + 512));
  ASSERT_TRUE(Client().Write("$PQRVT,0,512,\r\n"));
  const std::vector<uint8_t> first = Client().Read(515, 1000ms);
  ASSERT_EQ(first.size(), 515u);
  EXPECT_NE(first.back(), good.back());
  ASSERT_TRUE(Client().Write("$PQRVT,0,512,\r\n"));
  EXPECT_EQ(Client().Read(515, 1000ms), good);
}

TEST_F(FrameFaultTest, TheDeviceVanishesHalfwayThroughAFrame) {
  SimulatedLoggerOptions options;
  options.faults = {{FaultKind::Vanish, 1}};
  Launch(options);
  ASSERT_TRUE(Client().Command("$PQRVS,1\r\n"));
  SleepMs(100);
  ASSERT_TRUE(Client().SetSpeed(115200));
  SleepMs(100);
  ASSERT_TRUE(Client().Write("$PQRVT,0,3072,\r\n"));
  const std::vector<uint8_t> got = Client().Read(3075, 2000ms);
  // Half the frame went out; what the tool had not read yet is lost with the line.
  EXPECT_GT(got.size(), 1000u);
  EXPECT_LE(got.size(), 3075u / 2);
  EXPECT_TRUE(Client().HungUp());
  EXPECT_TRUE(Logger().Vanished());
  // The tool's port is dead: writes fail and reads end at once.
  EXPECT_FALSE(Client().Write("$PQRVT,0,3072,\r\n"));
  EXPECT_EQ(Client().LastError(), EIO);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Client().Read(1, 1000ms).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
  const auto modes = Trace().Events(TraceKind::Mode);
  ASSERT_FALSE(modes.empty());
  EXPECT_EQ(modes.back().text.rfind("gone", 0), 0u);
}

}  // namespace
