// What fuzzing found, each case kept so that it stays fixed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "logger/expected_plt.h"
#include "logger/fake_logger_bench.h"
#include "logger/track_download.h"
#include "sim/sentence.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/read_track_into.h"
#include "support/temp_dir.h"

using namespace stravener;

namespace {

// Feeds a text to the simulated logger's assembler; the sentences it completes.
std::vector<std::string> Assemble(const std::string& text, std::string* noise = nullptr) {
  sim::SentenceAssembler assembler;
  std::vector<std::string> sentences;
  for (const char c : text) {
    sim::SentenceAssembler::Result r = assembler.Add(static_cast<uint8_t>(c));
    if (noise != nullptr) *noise += r.noise;
    if (r.sentence) sentences.push_back(*r.sentence);
  }
  return sentences;
}

}  // namespace

// The simulated logger took a line one byte longer than any sentence it knows as a
// sentence when that byte was the line feed.
TEST(FuzzFindingsTest, TheSimulatorsLongestSentenceIncludesItsLineFeed) {
  const size_t longest = sim::SentenceAssembler::kMaxSentence;
  const std::string fits = "$" + std::string(longest - 3, 'Q') + "\r\n";
  ASSERT_EQ(fits.size(), longest);
  EXPECT_EQ(Assemble(fits), std::vector<std::string>{fits});

  const std::string tooLong = "$" + std::string(longest - 2, 'Q') + "\r\n";
  std::string noise;
  EXPECT_TRUE(Assemble(tooLong + "$PQRVI,\r\n", &noise) == std::vector<std::string>{"$PQRVI,\r\n"});
  EXPECT_EQ(noise, tooLong) << "the whole over-long line is noise, and the next sentence still counts";
}

// A logger whose memory pages are not a multiple of the 16-byte record long sends blocks
// that end inside a record. Saved as PLT, each block's cut-off record was dropped and
// every record after it read from the wrong offset; the record now joins its rest.
TEST(FuzzFindingsTest, ARecordCutBetweenTwoBlocksIsWrittenWhole) {
  LanguageGuard english(kEnglish);
  // Pages of 25 bytes at 115200 bit/s: blocks of 116 pages, 2900 bytes, 181.25 records.
  constexpr uint32_t kUsed = 400 * 16;
  FakeLoggerBench bench;
  bench.logger.SetGeometry(2048, 25, kUsed / 25, kUsed % 25);
  bench.logger.SetUsedMemory(kUsed);
  TempDir dir;
  ASSERT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("track.plt")), OperationResult::Done);
  EXPECT_THAT(bench.logger.sentences, ::testing::Contains("$PQRVT,116,2900,\r\n"));

  TempDir other;
  const std::vector<unsigned char> used(bench.logger.memory.begin(), bench.logger.memory.begin() + kUsed);
  EXPECT_EQ(ReadTextFile(dir.File("track.plt")), ExpectedPlt(other.File("track.plt"), used, 2));
  for (const std::string& line : LogLines(bench.host.log)) EXPECT_EQ(line[0], 'I') << line;

  // A last block of a few bytes that ends the cut record and leaves a tail of a record the
  // logger had not finished: pages of 7 bytes at 38400 bit/s make a block of 138 pages, 966
  // bytes, 60 records and 6 bytes; the last block has 12 bytes, 10 of them the record's rest.
  FakeLoggerBench small;
  small.connection.speedLimit = 38400;
  constexpr uint32_t kSmallUsed = 61 * 16 + 2;
  small.logger.SetGeometry(2048, 7, kSmallUsed / 7, kSmallUsed % 7);
  small.logger.SetUsedMemory(kSmallUsed);
  ASSERT_EQ(ReadTrackInto(small.connection, small.host, dir.File("small.plt")), OperationResult::Done);
  EXPECT_THAT(small.logger.sentences, ::testing::Contains("$PQRVT,138,12,\r\n"));
  const std::vector<unsigned char> smallUsed(small.logger.memory.begin(), small.logger.memory.begin() + 61 * 16);
  EXPECT_EQ(ReadTextFile(dir.File("small.plt")), ExpectedPlt(other.File("small.plt"), smallUsed, 2));
}
