// The firmware upgrade against a scripted boot loader behind the serial test double: the
// bytes of every page, the padding, the profiles' limits, and every refusal.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "fake_logger_bench.h"
#include "logger/firmware_upgrade.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/stop_request_guard.h"
#include "support/temp_dir.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

std::vector<unsigned char> Image(size_t size) {
  std::vector<unsigned char> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<unsigned char>(i * 7 + 3);
  return image;
}

// The bytes one page sends: address, then 'c' low, 'C' high for every word, address, 'm'.
std::vector<uint8_t> PageBytes(uint32_t wordAddress, const std::vector<uint8_t>& page) {
  std::vector<uint8_t> bytes{'A', static_cast<uint8_t>(wordAddress >> 8), static_cast<uint8_t>(wordAddress & 0xff)};
  for (size_t j = 0; j + 1 < page.size(); j += 2) {
    bytes.insert(bytes.end(), {'c', page[j], 'C', page[j + 1]});
  }
  bytes.insert(bytes.end(), {'A', static_cast<uint8_t>(wordAddress >> 8), static_cast<uint8_t>(wordAddress & 0xff), 'm'});
  return bytes;
}

struct UpgradeBench : FakeLoggerBench {
  std::string WriteImage(size_t size) {
    const std::string path = dir.File("image.upg");
    WriteWholeFile(path, Image(size));
    return path;
  }
  int Run(const std::string& path, bool report = true) { return UpgradeFirmware(connection, host, path, report); }
  TempDir dir;
};

}  // namespace

TEST(FirmwareUpgradeTest, SixtyFiveBytesAreTwoPagesPaddedWithFF) {
  LanguageGuard english(kEnglish);
  UpgradeBench bench;
  const std::vector<unsigned char> image = Image(65);
  EXPECT_EQ(bench.Run(bench.WriteImage(65)), 0);

  std::vector<uint8_t> expected{'s', 'e'};
  const std::vector<uint8_t> first(image.begin(), image.begin() + 64);
  std::vector<uint8_t> second(64, 0xFF);
  second[0] = image[64];
  const std::vector<uint8_t> page0 = PageBytes(0, first), page1 = PageBytes(32, second);
  expected.insert(expected.end(), page0.begin(), page0.end());
  expected.insert(expected.end(), page1.begin(), page1.end());
  expected.push_back('r');
  EXPECT_EQ(bench.logger.bootBytes, expected);
  // Handed over only after the firmware answered the information request.
  EXPECT_EQ(bench.logger.sentences, (std::vector<std::string>{"$PMLR,06,00,02A9\r\n", "$PQRVI,\r\n",
                                                              "$PMLR,06,00,02A9\r\n", "$PQRVU,\r\n"}));

  EXPECT_THAT(LogLines(bench.host.log),
              ElementsAre("I Read info command sent.", "I Firmware upgrade command sent.", "I Changing port speed to 115200 bps.",
                          "I Erasing program memory.", "I Programming memory (65 bytes).",
                          "I Firmware loaded into stravener.", "I Processor restart command sent.", "I Port closed.",
                          "S -----"));
  EXPECT_THAT(bench.host.clock.sleeps, ElementsAre(150u, 150u, 100u, 100u, 20u));
  EXPECT_THAT(bench.host.progressRanges, ElementsAre(2u));
  EXPECT_THAT(bench.host.progressPositions, ElementsAre(0u, 1u, 2u, 0u));
  EXPECT_EQ(bench.connection.openFlag, 0);
  // One write and one drain for each page; the signature, erase and restart bytes alone.
  EXPECT_EQ(bench.line.Count(FakeCall::Write), 4u + 2u + 2u + 1u);
  EXPECT_EQ(bench.line.Count(FakeCall::Flush), 4u + 2u + 2u + 1u);

  // Byte by byte when asked: the same bytes, each written and drained by itself.
  UpgradeBench single;
  UpgradeOptions byteByByte;
  byteByByte.byteByByte = true;
  EXPECT_EQ(UpgradeFirmware(single.connection, single.host, single.WriteImage(65), true, byteByByte), 0);
  EXPECT_EQ(single.logger.bootBytes, expected);
  EXPECT_EQ(single.line.Count(FakeCall::Write), 4u + expected.size());
  EXPECT_EQ(single.line.Count(FakeCall::Flush), 4u + expected.size());
}

TEST(FirmwareUpgradeTest, ABootLoaderThatCannotTakeAPageAtOnceGetsItByteByByte) {
  LanguageGuard english(kEnglish);
  UpgradeBench bench;
  bench.logger.takesOneByteAtATime = true;
  const std::vector<unsigned char> image = Image(100);
  EXPECT_EQ(bench.Run(bench.WriteImage(100)), 0);
  // Of the first page only its 'A' came through, which then took two signature requests
  // for the address; the third was answered, and the upgrade ran again from the erase.
  const std::vector<uint8_t>& bytes = bench.logger.bootBytes;
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
            (std::vector<uint8_t>{'s', 'e', 'A', 's', 's', 's'}));
  std::vector<uint8_t> rerun{'e'};
  std::vector<uint8_t> second(64, 0xFF);
  std::copy(image.begin() + 64, image.end(), second.begin());
  for (const std::vector<uint8_t>& page : {PageBytes(0, std::vector<uint8_t>(image.begin(), image.begin() + 64)),
                                           PageBytes(32, second)}) {
    rerun.insert(rerun.end(), page.begin(), page.end());
  }
  rerun.push_back('r');
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 6, bytes.end()), rerun);
  EXPECT_FALSE(bench.logger.inBootLoader) << "the restart found whole firmware";
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_THAT(lines, ::testing::IsSupersetOf(
                         {"E Protocol error.",
                          "I The boot loader did not take page 0 sent whole; loading the firmware again, byte by byte."}));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "I Erasing program memory."), 2);
  EXPECT_EQ(lines.back(), "S -----");
  // The answers of the page it did not take are let pass before the signature is asked.
  EXPECT_THAT(bench.host.clock.sleeps, ::testing::Contains(200u));
}

TEST(FirmwareUpgradeTest, InPolishWithTheFlagClear) {
  {
    LanguageGuard polish(kPolish);
    UpgradeBench bench;
    EXPECT_EQ(bench.Run(bench.WriteImage(2)), 0);
    EXPECT_THAT(LogLines(bench.host.log),
                ElementsAre("I Wysłano komendę odczytu informacji.", "I Wysłano komendę aktualizacji oprogramowania.", "I Zmiana prędkości portu na 115200 bps.",
                            "I Czyszczenie pamięci programu.", "I Programowanie pamięci (2 bajty).",
                            "I Oprogramowanie załadowane do stravenera.", "I Wysłano komendę restartu procesora.",
                            "I Port zamknięty.", "S -----"));
  }
  UpgradeBench quiet;
  EXPECT_EQ(quiet.Run(quiet.WriteImage(2), false), 0);
  EXPECT_THAT(LogLines(quiet.host.log), ElementsAre("I Port closed.", "S -----"));
}

TEST(FirmwareUpgradeTest, ImageLengthLimitsOfEachProfile) {
  LanguageGuard english(kEnglish);
  for (const ProcessorProfile& profile : kProcessorProfiles) {
    UpgradeBench largest;
    largest.logger.signature = profile.signature;
    EXPECT_EQ(largest.Run(largest.WriteImage(profile.largestImage)), 0) << profile.largestImage;
    const uint32_t pages = profile.largestImage / profile.BytesPerPage();
    EXPECT_EQ(largest.logger.pagesWritten, pages);
    // The last page's word address.
    const uint32_t last = (pages - 1) * profile.wordsPerPage;
    const std::vector<uint8_t>& bytes = largest.logger.bootBytes;
    const size_t tail = 4 + 1;  // 'A', high, low, 'm', then 'r'
    ASSERT_GT(bytes.size(), tail);
    EXPECT_EQ(bytes[bytes.size() - tail + 1], last >> 8);
    EXPECT_EQ(bytes[bytes.size() - tail + 2], last & 0xff);

    // One byte more than this processor takes: known only once it is identified, so the
    // boot loader restarts the unchanged firmware before the refusal.
    if (profile.largestImage < kLargestFirmwareImage) {
      UpgradeBench refused;
      refused.logger.signature = profile.signature;
      EXPECT_EQ(refused.Run(refused.WriteImage(profile.largestImage + 1)), -1);
      EXPECT_EQ(refused.logger.bootBytes, (std::vector<uint8_t>{'s', 'r'})) << "nothing erased";
      EXPECT_FALSE(refused.logger.inBootLoader);
      EXPECT_EQ(LogLines(refused.host.log).back(), "E Unproper firmware file length.");
      EXPECT_EQ(refused.connection.openFlag, 1);
    }
  }
  // Empty, or longer than any processor takes: refused before anything is sent.
  for (size_t size : {size_t{0}, size_t{kLargestFirmwareImage} + 1}) {
    UpgradeBench refused;
    EXPECT_EQ(refused.Run(refused.WriteImage(size)), -1) << size;
    EXPECT_EQ(refused.Wire(), "") << size;
    EXPECT_THAT(LogLines(refused.host.log), ElementsAre("E Unproper firmware file length.")) << size;
  }
  // The 128-word profile's last page of 508 has the address FD 80.
  EXPECT_EQ((kLargestFirmwareImage / 256 - 1) * 128, 0xFD80u);
}

TEST(FirmwareUpgradeTest, AFileOfFourGibibytesAndAFewBytesIsNotAFewBytesLong) {
  UpgradeBench bench;
  const std::string path = bench.dir.File("huge.upg");
  WriteWholeFile(path, Image(1));
  std::error_code error;
  std::filesystem::resize_file(path, (std::uintmax_t{1} << 32) + 65, error);
  if (error) GTEST_SKIP() << "no sparse files here";
  LanguageGuard english(kEnglish);
  EXPECT_EQ(bench.Run(path), -1);
  EXPECT_EQ(LogLines(bench.host.log).back(), "E Unproper firmware file length.");
  EXPECT_EQ(bench.Wire(), "");
}

TEST(FirmwareUpgradeTest, SignatureIsAskedTenTimes) {
  LanguageGuard english(kEnglish);
  UpgradeBench reversed;
  reversed.logger.signature = {0x1E, 0x93, 0x07};
  EXPECT_EQ(reversed.Run(reversed.WriteImage(10)), -1);
  EXPECT_EQ(reversed.logger.bootBytes, std::vector<uint8_t>(10, 's'));
  const std::vector<std::string> lines = LogLines(reversed.host.log);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()),
              ElementsAre("E Bad processor signature (1E,93,07).", "E Connect stravener and begin upgrade again."));
  // A purge before every attempt, besides those of the information request and the two
  // speed steps.
  EXPECT_EQ(reversed.line.Count(FakeCall::Purge), 3u + 10u);

  // Bytes that never came show as 00.
  UpgradeBench shortAnswer;
  shortAnswer.logger.signatureLength = 2;
  EXPECT_EQ(shortAnswer.Run(shortAnswer.WriteImage(10)), -1);
  EXPECT_EQ(LogLines(shortAnswer.host.log).end()[-2], "E Bad processor signature (07,93,00).");

  LanguageGuard polish(kPolish);
  UpgradeBench none;
  none.logger.signatureLength = 0;
  EXPECT_EQ(none.Run(none.WriteImage(10)), -1);
  const std::vector<std::string> polishLines = LogLines(none.host.log);
  EXPECT_THAT(std::vector<std::string>(polishLines.end() - 2, polishLines.end()),
              ElementsAre("E Niewłaściwa sygnatura procesora (00,00,00).",
                          "E Podłącz stravener i rozpocznij apgrejd ponownie."));
}

TEST(FirmwareUpgradeTest, WrongAcknowledgementAndMissingFile) {
  LanguageGuard english(kEnglish);
  UpgradeBench wrong;
  wrong.logger.acknowledgement = 0x0A;
  EXPECT_EQ(wrong.Run(wrong.WriteImage(100)), -1);
  EXPECT_THAT(LogLines(wrong.host.log).back(), "E Protocol error.");
  EXPECT_EQ(wrong.logger.bootBytes, (std::vector<uint8_t>{'s', 'e'})) << "nothing after the erase's answer";
  EXPECT_EQ(wrong.connection.openFlag, 1);
  EXPECT_EQ(wrong.line.speed, 115200u);

  UpgradeBench missing;
  EXPECT_EQ(missing.Run(missing.dir.File("none.upg")), -1);
  const std::vector<std::string> lines = LogLines(missing.host.log);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()),
              ElementsAre("E Error 0x2 opening firmware file.", SystemTextLine(2)));
  EXPECT_EQ(missing.Wire(), "") << "the logger is not touched";
}

TEST(FirmwareUpgradeTest, AStopRequestBeforeTheEraseRestartsTheUnchangedFirmware) {
  LanguageGuard english(kEnglish);
  StopRequestGuard stop;
  UpgradeBench bench;
  bench.line.respond = [&, bootLoader = bench.line.respond](FakeSerialLine& line, const std::vector<uint8_t>& bytes) {
    if (bytes == std::vector<uint8_t>{'s'}) RequestStop();  // while the signature is asked for
    bootLoader(line, bytes);
  };
  EXPECT_EQ(bench.Run(bench.WriteImage(300)), -1);
  EXPECT_THAT(bench.logger.bootBytes, ElementsAre('s', 'r'));
  EXPECT_FALSE(bench.logger.erased);
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()),
              ElementsAre("E Upgrade stopped before the program memory was erased; the logger's firmware is unchanged.",
                          "I Processor restart command sent."));
}
