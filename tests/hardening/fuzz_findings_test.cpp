// What fuzzing found, each case kept so that it stays fixed.

#include <gtest/gtest.h>

#include <string>

#include "sim/sentence.h"

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
