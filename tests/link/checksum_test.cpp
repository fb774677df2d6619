#include <gtest/gtest.h>

#include <cstdint>

#include "link/checksum.h"

using namespace stravener;

TEST(ChecksumTest, WorkedValues) {
  const uint8_t oneByteFrame[] = {0x01, 0x00, 0x01};
  EXPECT_EQ(Crc8(oneByteFrame, 3, 0), 0x96);
  EXPECT_EQ(Xor8(oneByteFrame, 3, 0), 0x00);

  const uint8_t abcFrame[] = {0x03, 0x00, 'a', 'b', 'c'};
  EXPECT_EQ(Crc8(abcFrame, 5, 0), 0x95);
  EXPECT_EQ(Xor8(abcFrame, 5, 0), 0x63);

  EXPECT_EQ(Crc8(abcFrame + 2, 3, 0), 0xAF);
  EXPECT_EQ(Xor8(abcFrame + 2, 3, 0), 0x60);
}

TEST(ChecksumTest, RegisterCarriesAcrossCalls) {
  const uint8_t abcFrame[] = {0x03, 0x00, 'a', 'b', 'c'};
  EXPECT_EQ(Crc8(abcFrame + 2, 3, Crc8(abcFrame, 2, 0)), 0x95);
  EXPECT_EQ(Xor8(abcFrame + 2, 3, Xor8(abcFrame, 2, 0)), 0x63);
}

TEST(ChecksumTest, CrcStepOfAByteIntoAZeroRegisterIsTheByte) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(CrcStep(static_cast<uint8_t>(b), 0), b);
}

TEST(ChecksumTest, EmptyInputGivesTheStartValue) {
  EXPECT_EQ(Crc8(nullptr, 0, 0x5A), 0x5A);
  EXPECT_EQ(Xor8(nullptr, 0, 0xA5), 0xA5);
  const uint8_t zeroLength[] = {0x00, 0x00};
  EXPECT_EQ(Crc8(zeroLength, 2, 0), 0x00);
  EXPECT_EQ(Xor8(zeroLength, 2, 0), 0x00);
}

// The register is the remainder of polynomial division by x^8 + x^7 + x^2 + 1 (0x185)
// without appended zero bits: checked against a long division done bit by bit.
TEST(ChecksumTest, CrcIsTheRemainderOfTheMessagePolynomial) {
  const uint8_t message[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0xFF, 0x00, 0x85};
  uint32_t remainder = 0;
  for (uint8_t byte : message) {
    for (int bit = 7; bit >= 0; --bit) {
      remainder = (remainder << 1) | ((byte >> bit) & 1u);
      if (remainder & 0x100u) remainder ^= 0x185u;
    }
  }
  EXPECT_EQ(Crc8(message, sizeof message, 0), remainder);
}
