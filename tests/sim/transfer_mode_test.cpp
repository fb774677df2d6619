#include <gtest/gtest.h>

#include "link/checksum.h"
#include "sim/uart_reclock.h"
#include "sim_fixture.h"

using namespace stravener::sim;
using namespace std::chrono_literals;

namespace {

class TransferModeTest : public SimFixture {
 protected:
  // The tool's speed switch: speed sentence, 100 ms, its own port, 100 ms.
  void SwitchTo(const char* sentence, uint32_t speed) {
    ASSERT_TRUE(Client().Command(sentence));
    SleepMs(100);
    ASSERT_TRUE(Client().SetSpeed(speed));
    SleepMs(100);
  }
  void ReturnTo4800() {
    ASSERT_TRUE(Client().Write("$PQRVS,0\r\n"));
    SleepMs(100);
    ASSERT_TRUE(Client().SetSpeed(4800));
  }
  // Requests one block and returns its payload after checking the frame.
  std::vector<uint8_t> ReadBlock(uint32_t page, uint32_t count) {
    const std::string request = "$PQRVT," + std::to_string(page) + "," + std::to_string(count) + ",\r\n";
    EXPECT_TRUE(Client().Write(request));
    const std::vector<uint8_t> frame = Client().Read(count + 3, 2000ms);
    EXPECT_EQ(frame.size(), count + 3);
    if (frame.size() != count + 3) return {};
    EXPECT_EQ(frame[0] | frame[1] << 8, static_cast<int>(count));
    EXPECT_EQ(stravener::Xor8(frame.data(), static_cast<uint16_t>(count + 2), 0), frame.back());
    return std::vector<uint8_t>(frame.begin() + 2, frame.end() - 1);
  }
};

TEST_F(TransferModeTest, DownloadsTheWholeTrackAndReturnsToCommandMode) {
  SimulatedLoggerOptions options;
  options.points = 1200;  // 75 pages: six blocks of 12 pages and one of 3
  Launch(options);
  const std::vector<uint8_t> used = Logger().UsedMemory();
  ASSERT_EQ(used.size(), 19200u);
  SwitchTo("$PQRVS,1\r\n", 115200);
  EXPECT_EQ(Logger().Mode(), LoggerMode::Transfer);
  EXPECT_EQ(Logger().Speed(), 115200u);

  std::vector<uint8_t> got;
  for (uint32_t page = 0; got.size() < used.size();) {
    const uint32_t count = std::min<uint32_t>(3072, static_cast<uint32_t>(used.size() - got.size()));
    const std::vector<uint8_t> block = ReadBlock(page, count);
    ASSERT_EQ(block.size(), count);
    got.insert(got.end(), block.begin(), block.end());
    page += count / 256;
  }
  EXPECT_EQ(got, used);

  ReturnTo4800();
  SleepMs(20);
  EXPECT_EQ(Logger().Mode(), LoggerMode::Command);
  EXPECT_EQ(Logger().Speed(), 4800u);
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  EXPECT_EQ(Client().Read(25, 1000ms).size(), 25u);

  // The logger switched about 50 ms after each speed sentence; the tool 100 ms after.
  const auto switches = Trace().SentencesOf(SentenceKind::SpeedSwitch);
  const auto loggerSpeeds = Trace().Events(TraceKind::LoggerSpeed);
  const auto toolSpeeds = Trace().Events(TraceKind::ToolSpeed);
  ASSERT_EQ(switches.size(), 2u);
  ASSERT_EQ(loggerSpeeds.size(), 2u);
  ASSERT_GE(toolSpeeds.size(), 2u);
  EXPECT_EQ(loggerSpeeds[0].loggerSpeed, 115200u);
  EXPECT_EQ(loggerSpeeds[1].loggerSpeed, 4800u);
  for (int i = 0; i < 2; ++i) {
    const double logger = MillisecondsBetween(switches[i].time, loggerSpeeds[i].time);
    EXPECT_GE(logger, 49.0);
    EXPECT_LT(logger, 80.0);
  }
  const auto toolAt115200 = std::find_if(toolSpeeds.begin(), toolSpeeds.end(),
                                         [](const TraceEvent& e) { return e.toolSpeed == 115200; });
  ASSERT_NE(toolAt115200, toolSpeeds.end());
  const double tool = MillisecondsBetween(switches[0].time, toolAt115200->time);
  EXPECT_GE(tool, 99.0);
  EXPECT_LT(tool, 150.0);
  const auto blocks = Trace().SentencesOf(SentenceKind::TrackBlock);
  ASSERT_EQ(blocks.size(), 7u);
  EXPECT_EQ(blocks[0].text, "$PQRVT,0,3072,\r\n");
  EXPECT_EQ(blocks.back().text, "$PQRVT,72,768,\r\n");
  EXPECT_GE(MillisecondsBetween(toolAt115200->time, blocks[0].time), 99.0);
}

TEST_F(TransferModeTest, EveryTransferSpeedWorks) {
  Launch();
  const std::vector<uint8_t> memory = Logger().MemoryImage();
  const struct {
    const char* sentence;
    uint32_t speed;
  } speeds[] = {{"$PQRVS,3\r\n", 38400}, {"$PQRVS,5\r\n", 57600}, {"$PQRVS,2\r\n", 230400}, {"$PQRVS,4\r\n", 460800}};
  for (const auto& s : speeds) {
    SwitchTo(s.sentence, s.speed);
    EXPECT_EQ(Logger().Speed(), s.speed);
    const std::vector<uint8_t> block = ReadBlock(10, 512);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.begin() + 2560)) << s.speed;
    ReturnTo4800();
  }
}

TEST_F(TransferModeTest, RequestsOutsideTheMemoryOrTheModeAreNotAnswered) {
  Launch();
  // A block request needs transfer mode.
  ASSERT_TRUE(Client().Command("$PQRVT,0,256,\r\n"));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());

  SwitchTo("$PQRVS,1\r\n", 115200);
  // The last page reads as erased memory.
  const std::vector<uint8_t> last = ReadBlock(2047, 256);
  EXPECT_EQ(last, std::vector<uint8_t>(256, 0xFF));
  for (const char* request : {"$PQRVT,2047,257,\r\n", "$PQRVT,4000,16,\r\n", "$PQRVT,0,65536,\r\n",
                              "$PQRVT,0,0256,\r\n", "$PQRVT,0,256\r\n", "$PQRVI,\r\n"}) {
    ASSERT_TRUE(Client().Write(request));
    EXPECT_TRUE(Client().Read(1, 200ms).empty()) << request;
  }
  // Still in transfer mode and still answering.
  EXPECT_EQ(ReadBlock(0, 16).size(), 16u);
  const auto blocks = Trace().SentencesOf(SentenceKind::TrackBlock);
  ASSERT_EQ(blocks.size(), 8u);
  EXPECT_EQ(blocks[0].verdict, Verdict::WrongMode);
  EXPECT_EQ(blocks[2].verdict, Verdict::BeyondMemory);
  EXPECT_EQ(blocks[3].verdict, Verdict::BeyondMemory);
  EXPECT_EQ(blocks[4].verdict, Verdict::Malformed);
  EXPECT_EQ(blocks[5].verdict, Verdict::Malformed);
}

TEST_F(TransferModeTest, AToolThatForgetsASpeedSwitchGetsNothing) {
  Launch();
  // The tool stays at 4800 after the speed sentence: its request is garbled.
  ASSERT_TRUE(Client().Command("$PQRVS,1\r\n"));
  SleepMs(200);
  ASSERT_TRUE(Client().Write("$PQRVT,0,256,\r\n"));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  EXPECT_TRUE(Trace().SentencesOf(SentenceKind::TrackBlock).empty());
  const auto noise = Trace().Events(TraceKind::Noise);
  ASSERT_FALSE(noise.empty());
  EXPECT_EQ(noise.back().toolSpeed, 4800u);
  EXPECT_EQ(noise.back().loggerSpeed, 115200u);

  // It catches up: now the request is understood.
  ASSERT_TRUE(Client().SetSpeed(115200));
  SleepMs(20);
  EXPECT_EQ(ReadBlock(0, 256).size(), 256u);

  // The tool goes back to 4800 without telling the logger: its next command is lost.
  ASSERT_TRUE(Client().SetSpeed(4800));
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  EXPECT_TRUE(Trace().SentencesOf(SentenceKind::Information).empty());
  EXPECT_EQ(Logger().Mode(), LoggerMode::Transfer);
}

TEST_F(TransferModeTest, ChangingSpeedRightAfterASentenceIsNoFault) {
  // On a real line the tool's drain waits until the bytes have left, so switching its port
  // at once after writing is sound; the pseudo-terminal must not garble them.
  Launch();
  ASSERT_TRUE(Client().Command("$PQRVS,2\r\n"));
  ASSERT_TRUE(Client().SetSpeed(230400));
  SleepMs(100);
  EXPECT_EQ(ReadBlock(0, 1024).size(), 1024u);
  const auto switches = Trace().SentencesOf(SentenceKind::SpeedSwitch);
  ASSERT_EQ(switches.size(), 1u);
  EXPECT_EQ(switches[0].verdict, Verdict::Accepted);
  EXPECT_EQ(switches[0].toolSpeed, 4800u);
}

TEST_F(TransferModeTest, AnswersAreGarbledWhenTheToolListensAtAnotherSpeed) {
  Launch();
  // The erase answer comes 200 ms after the sentence; by then the tool listens at 9600.
  ASSERT_TRUE(Client().Command("$PQRVE,\r\n"));
  ASSERT_TRUE(AwaitSentence(SentenceKind::Erase));
  ASSERT_TRUE(Client().SetSpeed(9600));
  const std::vector<uint8_t> got = Client().ReadUntilQuiet(400ms);
  const auto answer = Trace().WaitFor([](const TraceEvent& e) { return e.kind == TraceKind::Answer; }, 1000ms);
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->Garbled());
  EXPECT_EQ(answer->bytes, (std::vector<uint8_t>{0x01, 0x00, 0x01, 0x96}));
  EXPECT_EQ(got, answer->wire);
  EXPECT_NE(got, answer->bytes);
  EXPECT_EQ(got, ReclockBytes(answer->bytes.data(), answer->bytes.size(), 4800, 9600));
}

double LineMilliseconds(size_t bytes, uint32_t speed) { return bytes * 10.0 * 1000.0 / speed; }

TEST_F(TransferModeTest, AnswersTakeTheirLineTime) {
  Launch();
  // 25 bytes at 4800 bit/s: 52 ms.
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  auto sent = std::chrono::steady_clock::now();
  ASSERT_EQ(Client().Read(25, 1000ms).size(), 25u);
  double measured = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
  EXPECT_NEAR(measured, LineMilliseconds(25, 4800), LineMilliseconds(25, 4800) * 0.1 + 3);

  // 46 pages at 460800 bit/s: 11779 bytes in 256 ms.
  SwitchTo("$PQRVS,4\r\n", 460800);
  sent = std::chrono::steady_clock::now();
  ASSERT_TRUE(Client().Write("$PQRVT,0,11776,\r\n"));
  ASSERT_EQ(Client().Read(11779, 2000ms).size(), 11779u);
  measured = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
  EXPECT_NEAR(measured, LineMilliseconds(11779, 460800), LineMilliseconds(11779, 460800) * 0.1);

  ASSERT_TRUE(Trace().WaitFor([](const TraceEvent& e) { return e.kind == TraceKind::Answer && e.bytes.size() > 25; },
                              1000ms));
  const auto answers = Trace().Answers();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_NEAR(MillisecondsBetween(answers[0].start, answers[0].time), LineMilliseconds(25, 4800),
              LineMilliseconds(25, 4800) * 0.1);
  EXPECT_NEAR(MillisecondsBetween(answers[1].start, answers[1].time), LineMilliseconds(11779, 460800),
              LineMilliseconds(11779, 460800) * 0.1);
}

TEST_F(TransferModeTest, WithoutPacingAnswersComeAtOnce) {
  SimulatedLoggerOptions options;
  options.pace = false;
  Launch(options);
  SwitchTo("$PQRVS,3\r\n", 38400);
  const auto sent = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadBlock(0, 8192).size(), 8192u);  // 2.1 s of line time at 38400 bit/s
  EXPECT_LT(std::chrono::steady_clock::now() - sent, 200ms);
}

}  // namespace
