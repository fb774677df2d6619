#include <gtest/gtest.h>

#include "sim/boot_loader.h"
#include "support/temp_dir.h"
#include "sim_fixture.h"

using namespace stravener::sim;
using namespace std::chrono_literals;

namespace {

// Feeds bytes to a boot loader and collects its answers.
std::vector<uint8_t> Feed(BootLoader& loader, std::initializer_list<uint8_t> bytes) {
  std::vector<uint8_t> answers;
  for (const uint8_t b : bytes) {
    const BootLoader::Reply reply = loader.Feed(b);
    answers.insert(answers.end(), reply.bytes.begin(), reply.bytes.end());
  }
  return answers;
}

// The tool's page: 'A' hi lo, 'c'/'C' for every word, 'A' hi lo again, 'm'.
std::vector<uint8_t> PageCommands(const ProcessorProfile& profile, uint32_t page, const std::vector<uint8_t>& image) {
  const uint32_t address = page * profile.wordsPerPage;
  std::vector<uint8_t> bytes{'A', static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
  for (uint32_t j = 0; j < profile.wordsPerPage; ++j) {
    const size_t at = 2 * (address + j);
    bytes.push_back('c');
    bytes.push_back(at < image.size() ? image[at] : 0xFF);
    bytes.push_back('C');
    bytes.push_back(at + 1 < image.size() ? image[at + 1] : 0xFF);
  }
  bytes.insert(bytes.end(), {'A', static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 'm'});
  return bytes;
}

std::vector<uint8_t> TestImage(size_t size) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  return image;
}

TEST(BootLoaderTest, ProgramsPagesWordByWordAndAcknowledgesEveryCommand) {
  const ProcessorProfile& profile = kProcessorProfiles[2];  // 128 words a page
  ProgramMemory memory(profile);
  FaultPlan faults;
  BootLoader loader(memory, faults, 0us, 0us);
  EXPECT_EQ(Feed(loader, {'s'}), (std::vector<uint8_t>{0x02, 0x97, 0x1E}));
  EXPECT_TRUE(loader.Feed('r').intoFirmware) << "not erased: the old firmware starts";
  EXPECT_EQ(Feed(loader, {'e'}), (std::vector<uint8_t>{0x0D}));
  EXPECT_TRUE(memory.ProgrammedImage().empty());

  // The last of the 508 pages sits at word address 0xFD80.
  const std::vector<uint8_t> image = TestImage(profile.applicationBytes);
  std::vector<uint8_t> answers;
  for (const uint32_t page : {0u, 507u}) {
    for (const uint8_t b : PageCommands(profile, page, image)) {
      const auto reply = loader.Feed(b);
      answers.insert(answers.end(), reply.bytes.begin(), reply.bytes.end());
    }
  }
  EXPECT_EQ(answers, std::vector<uint8_t>(2 * 259, 0x0D));
  EXPECT_EQ(PageCommands(profile, 507, image)[1], 0xFD);
  EXPECT_EQ(PageCommands(profile, 507, image)[2], 0x80);
  const std::vector<uint8_t> programmed = memory.ProgrammedImage();
  ASSERT_EQ(programmed.size(), profile.applicationBytes);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 256, programmed.begin()));
  EXPECT_TRUE(std::equal(image.end() - 256, image.end(), programmed.end() - 256));
  EXPECT_EQ(programmed[256], 0xFF) << "pages not written stay erased";

  // Beyond the program memory, and unknown commands.
  EXPECT_EQ(Feed(loader, {'A', 0xFE, 0x00, 'm'}), (std::vector<uint8_t>{0x0D, '?'}));
  EXPECT_EQ(Feed(loader, {'x', 0x00}), (std::vector<uint8_t>{'?', '?'}));
  // Erased, and the run not ended by an 'r' right after its last page write (stopped, or
  // its tool killed): the processor comes back into the boot loader, until a run ends.
  const BootLoader::Reply stopped = loader.Feed('r');
  EXPECT_TRUE(stopped.restart);
  EXPECT_FALSE(stopped.intoFirmware);
  EXPECT_FALSE(loader.Feed('r').intoFirmware);
  for (const uint8_t b : PageCommands(profile, 0, image)) loader.Feed(b);
  EXPECT_TRUE(loader.Feed('r').intoFirmware);
}

TEST(BootLoaderTest, FlashWrittenWithoutEraseKeepsOnlyTheBitsBothHave) {
  const ProcessorProfile& profile = kProcessorProfiles[0];
  ProgramMemory memory(profile);
  const std::vector<uint8_t> old(memory.Bytes().begin(), memory.Bytes().begin() + 64);
  FaultPlan faults;
  BootLoader loader(memory, faults, 0us, 0us);
  const std::vector<uint8_t> image = TestImage(64);
  for (const uint8_t b : PageCommands(profile, 0, image)) loader.Feed(b);
  const std::vector<uint8_t> programmed = memory.ProgrammedImage();
  ASSERT_EQ(programmed.size(), 64u);
  for (size_t i = 0; i < 64; ++i) EXPECT_EQ(programmed[i], old[i] & image[i]);
  EXPECT_NE(programmed, image);
}

class UpgradeTest : public SimFixture {
 protected:
  // The tool's way into the boot loader: the upgrade sentence at 4800, then 115200.
  void EnterBootLoader() {
    ASSERT_TRUE(Client().Command("$PQRVU,\r\n"));
    SleepMs(100);
    ASSERT_TRUE(Client().SetSpeed(115200));
    SleepMs(100);
  }
  // Sends one page byte by byte and reads its acknowledgements afterwards.
  std::vector<uint8_t> SendPage(const ProcessorProfile& profile, uint32_t page, const std::vector<uint8_t>& image) {
    const std::vector<uint8_t> bytes = PageCommands(profile, page, image);
    for (const uint8_t b : bytes) EXPECT_TRUE(Client().WriteByte(b));
    return Client().Read(2 * profile.wordsPerPage + 3, 2000ms);
  }
};

TEST_F(UpgradeTest, AFullUpgradeLeavesTheImageInTheProcessor) {
  TempDir dir;
  SimulatedLoggerOptions options;
  options.signature = {0x07, 0x93, 0x1E};
  options.imageOut = dir.File("programmed.bin");
  Launch(options);
  const ProcessorProfile& profile = kProcessorProfiles[0];
  // 65 bytes: two pages, the second padded with 0xFF.
  const std::vector<uint8_t> image = TestImage(65);
  EnterBootLoader();
  EXPECT_EQ(Logger().Mode(), LoggerMode::BootLoader);
  ASSERT_TRUE(Client().WriteByte('s'));
  EXPECT_EQ(Client().Read(3, 1000ms), (std::vector<uint8_t>{0x07, 0x93, 0x1E}));
  ASSERT_TRUE(Client().WriteByte('e'));
  EXPECT_EQ(Client().Read(1, 2000ms), (std::vector<uint8_t>{0x0D}));
  for (uint32_t page = 0; page < 2; ++page) {
    EXPECT_EQ(SendPage(profile, page, image), std::vector<uint8_t>(67, 0x0D)) << page;
  }
  SleepMs(20);
  ASSERT_TRUE(Client().WriteByte('r'));
  EXPECT_TRUE(Client().Read(1, 200ms).empty());

  std::vector<uint8_t> expected = image;
  expected.resize(128, 0xFF);
  EXPECT_EQ(Logger().ProgrammedImage(), expected);
  EXPECT_EQ(ReadWholeFile(dir.File("programmed.bin")), expected);
  EXPECT_EQ(Logger().Mode(), LoggerMode::Command);
  EXPECT_EQ(Logger().Speed(), 4800u);

  // Back at 4800 after the restart, the logger answers again.
  ASSERT_TRUE(Client().SetSpeed(4800));
  SleepMs(300);
  ASSERT_TRUE(Client().Command("$PQRVI,\r\n"));
  EXPECT_EQ(Client().Read(25, 1000ms).size(), 25u);

  const auto bootBytes = Trace().Events(TraceKind::BootByte);
  ASSERT_EQ(bootBytes.size(), 2u + 2u * (3 + 128 + 4) + 1u);
  for (const TraceEvent& e : bootBytes) {
    EXPECT_EQ(e.toolSpeed, 115200u);
    EXPECT_EQ(e.loggerSpeed, 115200u);
  }
}

TEST_F(UpgradeTest, AToolStillAt4800IsNotUnderstood) {
  Launch();
  ASSERT_TRUE(Client().Command("$PQRVU,\r\n"));
  SleepMs(100);
  ASSERT_TRUE(Client().WriteByte('s'));
  const std::vector<uint8_t> got = Client().Read(3, 300ms);
  EXPECT_NE(got, (std::vector<uint8_t>{0x02, 0x95, 0x1E}));
  const auto bootBytes = Trace().Events(TraceKind::BootByte);
  ASSERT_FALSE(bootBytes.empty());
  EXPECT_NE(bootBytes[0].bytes[0], 's');
}

TEST_F(UpgradeTest, BootLoaderFaultsReachTheTool) {
  SimulatedLoggerOptions options;
  options.signature = {0x07, 0x93, 0x1E};
  options.faults = {{FaultKind::Signature, 1}, {FaultKind::WrongAck, 0}, {FaultKind::MissingAck, 1}};
  Launch(options);
  const ProcessorProfile& profile = kProcessorProfiles[0];
  EnterBootLoader();
  ASSERT_TRUE(Client().WriteByte('s'));
  EXPECT_EQ(Client().Read(3, 1000ms), (std::vector<uint8_t>{0x1E, 0x93, 0x07}));
  ASSERT_TRUE(Client().WriteByte('s'));
  EXPECT_EQ(Client().Read(3, 1000ms), (std::vector<uint8_t>{0x07, 0x93, 0x1E}));
  ASSERT_TRUE(Client().WriteByte('e'));
  EXPECT_EQ(Client().Read(1, 2000ms), (std::vector<uint8_t>{0x0D}));
  const std::vector<uint8_t> image = TestImage(128);
  std::vector<uint8_t> wrong(67, 0x0D);
  wrong.back() = 0x0A;
  EXPECT_EQ(SendPage(profile, 0, image), wrong);
  EXPECT_EQ(SendPage(profile, 1, image), std::vector<uint8_t>(66, 0x0D));
  EXPECT_EQ(Trace().Events(TraceKind::Fault).size(), 3u);
}

}  // namespace
