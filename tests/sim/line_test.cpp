#include <gtest/gtest.h>

#include "sim/sentence.h"
#include "sim/uart_reclock.h"

using namespace stravener::sim;

namespace {

std::vector<uint8_t> Reclock(std::vector<uint8_t> bytes, uint32_t from, uint32_t to) {
  return ReclockBytes(bytes.data(), bytes.size(), from, to);
}

TEST(UartReclockTest, EqualSpeedsPassBytesUnchanged) {
  const std::vector<uint8_t> all = [] {
    std::vector<uint8_t> v(256);
    for (int i = 0; i < 256; ++i) v[i] = static_cast<uint8_t>(i);
    return v;
  }();
  EXPECT_EQ(Reclock(all, 115200, 115200), all);
  EXPECT_TRUE(Reclock(all, 0, 4800).empty()) << "a line without a speed carries nothing";
}

TEST(UartReclockTest, DifferentSpeedsGarbleAsAUartWould) {
  // 0x00 at twice the receiver's speed: low for 4.5 receiver bits, then idle; the
  // receiver reads bits 0-2 low and the rest high.
  EXPECT_EQ(Reclock({0x00}, 9600, 4800), (std::vector<uint8_t>{0xF8}));
  // 0xFF at half the receiver's speed: only the start bit is low, and it lasts two
  // receiver bits, so bit 0 reads 0.
  EXPECT_EQ(Reclock({0xFF}, 4800, 9600), (std::vector<uint8_t>{0xFE}));

  // A fast sentence at a slow receiver melts into a byte or two.
  const std::vector<uint8_t> sentence{'$', 'P', 'Q', 'R', 'V', 'I', ',', '\r', '\n'};
  const std::vector<uint8_t> slow = Reclock(sentence, 115200, 4800);
  EXPECT_FALSE(slow.empty());
  EXPECT_LT(slow.size(), sentence.size());
  // A slow byte at a fast receiver falls apart into many, framing errors included.
  const std::vector<uint8_t> fast = Reclock({'$'}, 4800, 115200);
  EXPECT_GT(fast.size(), 3u);
  EXPECT_NE(std::find(fast.begin(), fast.end(), 0x00), fast.end());
  // Always the same for the same input.
  EXPECT_EQ(Reclock(sentence, 115200, 4800), slow);
  EXPECT_EQ(Reclock(sentence, 57600, 38400), Reclock(sentence, 57600, 38400));
  EXPECT_NE(Reclock(sentence, 57600, 38400), sentence);
}

TEST(SentenceTest, KnownSentencesOnlyInTheirExactForm) {
  EXPECT_EQ(ParseSentence("$PMLR,06,00,02A9\r\n").kind, SentenceKind::Attention);
  EXPECT_EQ(ParseSentence("$PQRVI,\r\n").kind, SentenceKind::Information);
  EXPECT_EQ(ParseSentence("$PQRVX,\r\n").kind, SentenceKind::Restart);
  EXPECT_EQ(ParseSentence("$PQRVE,\r\n").kind, SentenceKind::Erase);
  EXPECT_EQ(ParseSentence("$PQRVU,\r\n").kind, SentenceKind::Upgrade);
  for (const char* other : {"$PQRVI\r\n", "$PQRVI,\n", "$pqrvi,\r\n", "$PQRVI, \r\n", "$PMLR,06,00,02a9\r\n"}) {
    EXPECT_EQ(ParseSentence(other).kind, SentenceKind::Unknown) << other;
  }

  Sentence s = ParseSentence("$PQRVC,0,255,\r\n");
  EXPECT_EQ(s.kind, SentenceKind::Configuration);
  EXPECT_TRUE(s.wellFormed);
  EXPECT_EQ(s.second, 255u);
  for (const char* wrong : {"$PQRVC,0,256,\r\n", "$PQRVC,00,5,\r\n", "$PQRVC,0,+5,\r\n", "$PQRVC,0,5,,\r\n",
                            "$PQRVC,0,5,\n"}) {
    s = ParseSentence(wrong);
    EXPECT_EQ(s.kind, SentenceKind::Configuration) << wrong;
    EXPECT_FALSE(s.wellFormed) << wrong;
  }

  s = ParseSentence("$PQRVS,5\r\n");
  EXPECT_TRUE(s.wellFormed);
  EXPECT_EQ(SpeedOfCode(s.first), 57600u);
  EXPECT_EQ(SpeedOfCode(3), 38400u);
  EXPECT_FALSE(ParseSentence("$PQRVS,6\r\n").wellFormed);
  EXPECT_FALSE(ParseSentence("$PQRVS,1,\r\n").wellFormed);

  s = ParseSentence("$PQRVT,65535,65535,\r\n");
  EXPECT_TRUE(s.wellFormed);
  EXPECT_EQ(s.first, 65535u);
  EXPECT_FALSE(ParseSentence("$PQRVT,4294967296,1,\r\n").wellFormed);
  EXPECT_FALSE(ParseSentence("$PQRVT,0,1\r\n").wellFormed);
}

TEST(SentenceTest, AssemblerSeparatesSentencesFromNoise) {
  SentenceAssembler assembler;
  std::vector<std::string> sentences;
  std::string noise;
  for (const char c : std::string("xy$PQR$PQRVI,\r\nz$PQRVE,\r\n")) {
    SentenceAssembler::Result r = assembler.Add(static_cast<uint8_t>(c));
    noise += r.noise;
    if (r.sentence) sentences.push_back(*r.sentence);
  }
  EXPECT_EQ(sentences, (std::vector<std::string>{"$PQRVI,\r\n", "$PQRVE,\r\n"}));
  EXPECT_EQ(noise, "xy$PQRz");

  // A run that never ends is dropped once it is longer than any sentence.
  std::string dropped;
  assembler.Add('$');
  for (int i = 0; i < 100; ++i) dropped += assembler.Add('A').noise;
  EXPECT_EQ(dropped.size(), 101u) << "the '$' and every byte after it";
  EXPECT_FALSE(assembler.InSentence());
  EXPECT_FALSE(assembler.Add('\n').sentence);
}

}  // namespace
