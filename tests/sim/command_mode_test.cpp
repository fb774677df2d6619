#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace stravener::sim;
using namespace std::chrono_literals;

namespace {

class CommandModeTest : public SimFixture {};

// The default logger: serial 01-001234, made 15.03.2006, firmware 2.10, 2048 pages of 256
// bytes, 5000 records of 16 bytes = 312 full pages and 128 bytes.
const std::vector<uint8_t> kDefaultRecord{0x01, 0x00, 0x12, 0x34, 0x15, 0x03, 0x20, 0x06, '2',  '.',  '1',
                                          '0',  0x00, 0x08, 0x00, 0x01, 0x38, 0x01, 0x80, 0x00, 0x00, 0x00};

TEST_F(CommandModeTest, AnswersTheInformationRequestWithACrcFrame) {
  Launch();
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  const std::vector<uint8_t> answer = Client().Read(25, 1000ms);
  EXPECT_EQ(answer, CrcFrame(kDefaultRecord));
  EXPECT_TRUE(Client().ReadUntilQuiet(100ms).empty()) << "nothing follows the frame";
  EXPECT_EQ(Logger().InfoRecord(), (std::array<uint8_t, 22>{0x01, 0x00, 0x12, 0x34, 0x15, 0x03, 0x20, 0x06,
                                                            '2', '.', '1', '0', 0x00, 0x08, 0x00, 0x01, 0x38,
                                                            0x01, 0x80, 0x00, 0x00, 0x00}));
  const auto sentence = AwaitSentence(SentenceKind::Information);
  ASSERT_TRUE(sentence);
  EXPECT_EQ(sentence->verdict, Verdict::Accepted);
  EXPECT_EQ(sentence->toolSpeed, 4800u);
  EXPECT_EQ(sentence->loggerSpeed, 4800u);
}

TEST_F(CommandModeTest, RecordFollowsTheOptions) {
  SimulatedLoggerOptions options;
  options.layout = 1;
  options.points = 3;  // 48 bytes
  options.pageCount = 16;
  options.pageSize = 32;
  options.serial = {0xAB, 0xCD, 0xEF, 0x01};
  options.productionDate = {0x31, 0x12, 0x20, 0x24};
  options.skip = 9;
  Launch(options);
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  const std::vector<uint8_t> record{0xAB, 0xCD, 0xEF, 0x01, 0x31, 0x12, 0x20, 0x24, '1', '.', '0',
                                    '5',  16,   0,    32,   0,    1,    0,    16,   0,   9,   0};
  EXPECT_EQ(Client().Read(25, 1000ms), CrcFrame(record));
  EXPECT_EQ(Logger().UsedMemory().size(), 48u);
  EXPECT_EQ(Logger().UsedMemory()[0] & 0xE0, 0) << "layout 1 keeps bits 5-7 of byte 0 clear";
}

TEST_F(CommandModeTest, EraseAnswersOneAndEmptiesTheMemory) {
  Launch();
  ASSERT_TRUE(Client().Command("$PQRVE,\r\n"));
  EXPECT_EQ(Client().Read(4, 1500ms), (std::vector<uint8_t>{0x01, 0x00, 0x01, 0x96}));
  EXPECT_EQ(Logger().UsedBytes(), 0u);
  const std::vector<uint8_t> image = Logger().MemoryImage();
  EXPECT_EQ(image.size(), 2048u * 256u);
  EXPECT_EQ(std::count(image.begin(), image.end(), 0xFF), static_cast<long>(image.size()));

  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  const std::vector<uint8_t> answer = Client().Read(25, 1000ms);
  ASSERT_EQ(answer.size(), 25u);
  EXPECT_EQ(std::vector<uint8_t>(answer.begin() + 18, answer.begin() + 22), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(CommandModeTest, ConfigurationStoresTheSkipSettingOrAnswersTwo) {
  Launch();
  ASSERT_TRUE(Client().Command("$PQRVC,0,255,\r\n"));
  EXPECT_EQ(Client().Read(4, 1000ms), CrcFrame({0}));
  EXPECT_EQ(Logger().SkipSetting(), 255);
  ASSERT_TRUE(Client().Command("$PQRVC,0,0,\r\n"));
  EXPECT_EQ(Client().Read(4, 1000ms), CrcFrame({0}));
  EXPECT_EQ(Logger().SkipSetting(), 0);
  ASSERT_TRUE(Client().Command("$PQRVC,0,7,\r\n"));
  EXPECT_EQ(Client().Read(4, 1000ms), CrcFrame({0}));

  for (const char* wrong : {"$PQRVC,0,256,\r\n", "$PQRVC,1,5,\r\n", "$PQRVC,0,05,\r\n", "$PQRVC,0,5\r\n",
                            "$PQRVC,0,-1,\r\n", "$PQRVC,0,,\r\n", "$PQRVC,0,5,\n"}) {
    ASSERT_TRUE(Client().Command(wrong));
    EXPECT_EQ(Client().Read(4, 1000ms), CrcFrame({2})) << wrong;
    EXPECT_EQ(Trace().Sentences().back().verdict, Verdict::Malformed) << wrong;
  }
  EXPECT_EQ(Logger().SkipSetting(), 7);

  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  const std::vector<uint8_t> answer = Client().Read(25, 1000ms);
  ASSERT_EQ(answer.size(), 25u);
  EXPECT_EQ(answer[2 + 20], 7);
}

TEST_F(CommandModeTest, UnknownSentencesAndStrayBytesGetNoAnswer) {
  Launch();
  for (const char* sentence : {"$PQRVZ,\r\n", "$PQRVI\r\n", "$PQRVI,\n", "$GPGGA,1,2,3\r\n", "$PQRVS,9\r\n",
                               "$PQRVS,01\r\n", "$PQRVT,0,256,\r\n"}) {
    ASSERT_TRUE(Client().Command(sentence));
    EXPECT_TRUE(Client().Read(1, 300ms).empty()) << sentence;
  }
  // The attention was spent on each of them: nothing is pending afterwards either.
  ASSERT_TRUE(Client().Write("\x01\x02garbage\r\n"));
  ASSERT_TRUE(Client().Write("$PQRVI,\r\n"));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  const auto sentences = Trace().Sentences();
  ASSERT_GE(sentences.size(), 15u);
  EXPECT_EQ(sentences[1].verdict, Verdict::Unknown);
  EXPECT_EQ(sentences[9].sentence, SentenceKind::SpeedSwitch);
  EXPECT_EQ(sentences[9].verdict, Verdict::Malformed);
  EXPECT_EQ(sentences[13].verdict, Verdict::WrongMode);
  EXPECT_EQ(sentences.back().verdict, Verdict::NoAttention);
  EXPECT_FALSE(Trace().Events(TraceKind::Noise).empty());
  EXPECT_EQ(Logger().FramesAnswered(), 0u);
}

TEST_F(CommandModeTest, RestartIsSilentAndDeafForAMoment) {
  Launch();
  ASSERT_TRUE(Client().Command("$PQRVX,\r\n"));
  EXPECT_TRUE(Client().Read(1, 100ms).empty());
  // Still restarting: the whole command goes unheard.
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n", 120ms));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  EXPECT_EQ(Client().Read(25, 1000ms).size(), 25u);
  EXPECT_EQ(Trace().SentencesOf(SentenceKind::Information).size(), 1u);
}

TEST_F(CommandModeTest, ACommandIsTakenOnlyAWakeUpTimeAfterTheAttention) {
  Launch();
  // Too soon: ignored, and the attention is spent.
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n", 50ms));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  ASSERT_TRUE(Client().Write("$PQRVI,\r\n"));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  // No attention at all.
  ASSERT_TRUE(Client().Write("$PQRVE,\r\n"));
  EXPECT_TRUE(Client().Read(1, 400ms).empty());
  EXPECT_EQ(Logger().UsedBytes(), 5000u * 16u);
  // One attention serves one command.
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  EXPECT_EQ(Client().Read(25, 1000ms).size(), 25u);
  SleepMs(150);
  ASSERT_TRUE(Client().Write("$PQRVI,\r\n"));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());

  const auto infos = Trace().SentencesOf(SentenceKind::Information);
  ASSERT_EQ(infos.size(), 4u);
  EXPECT_EQ(infos[0].verdict, Verdict::TooSoon);
  EXPECT_EQ(infos[1].verdict, Verdict::NoAttention);
  EXPECT_EQ(infos[2].verdict, Verdict::Accepted);
  EXPECT_EQ(infos[3].verdict, Verdict::NoAttention);
  EXPECT_EQ(Trace().SentencesOf(SentenceKind::Erase)[0].verdict, Verdict::NoAttention);

  // The trace measures the pause the tool made.
  const auto attentions = Trace().SentencesOf(SentenceKind::Attention);
  ASSERT_EQ(attentions.size(), 2u);
  const double tooSoon = MillisecondsBetween(attentions[0].time, infos[0].time);
  const double right = MillisecondsBetween(attentions[1].time, infos[2].time);
  EXPECT_GT(tooSoon, 45.0);
  EXPECT_LT(tooSoon, 100.0);
  EXPECT_GT(right, 148.0);
  EXPECT_LT(right, 300.0);
}

TEST_F(CommandModeTest, AnAttentionGoesStale) {
  SimulatedLoggerOptions options;
  options.attentionLifetime = 300ms;
  Launch(options);
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n", 400ms));
  EXPECT_TRUE(Client().Read(1, 300ms).empty());
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n", 200ms));
  EXPECT_EQ(Client().Read(25, 1000ms).size(), 25u);
}

}  // namespace
