#include <gtest/gtest.h>

#include "sim/sim_command_line.h"
#include "support/temp_dir.h"

using namespace stravener::sim;

namespace {

ParseOutcome Parse(std::vector<std::string> args, SimProgramOptions& options, std::string& error) {
  return ParseSimCommandLine(args, options, error);
}

TEST(SimCommandLineTest, DefaultsMakeTheStandardLogger) {
  SimProgramOptions options;
  std::string error;
  ASSERT_EQ(Parse({}, options, error), ParseOutcome::Run);
  EXPECT_EQ(options.logger.pageCount, 2048);
  EXPECT_EQ(options.logger.pageSize, 256);
  EXPECT_EQ(options.logger.layout, 2);
  EXPECT_EQ(options.logger.points, 5000u);
  EXPECT_TRUE(options.logger.pace);
  EXPECT_FALSE(options.comPort);
  EXPECT_TRUE(options.links.empty());
}

TEST(SimCommandLineTest, EveryOptionReachesTheLogger) {
  TempDir dir;
  WriteWholeFile(dir.File("t.bin"), std::vector<unsigned char>(48, 0x42));
  SimProgramOptions options;
  std::string error;
  ASSERT_EQ(Parse({"--com", "COM9", "--link", "/tmp/x/com9", "--pages", "16", "--page-size=32", "--layout", "1",
                   "--points", "7", "--track", dir.File("t.bin"), "--firmware", "1.7a", "--serial", "AB-CDEF01",
                   "--date", "31.12.2024", "--skip", "255", "--signature", "07 93 1E", "--image-out", "img.bin",
                   "--no-pace", "--fault", "checksum@3", "--fault", "noack@0", "-v", "--adapter-limit", "115200"},
                  options, error),
            ParseOutcome::Run)
      << error;
  EXPECT_EQ(options.comPort, 9u);
  EXPECT_EQ(options.links, (std::vector<std::string>{"/tmp/x/com9"}));
  const SimulatedLoggerOptions& l = options.logger;
  EXPECT_EQ(l.pageCount, 16);
  EXPECT_EQ(l.pageSize, 32);
  EXPECT_EQ(l.layout, 1);
  EXPECT_EQ(l.points, 7u);
  ASSERT_TRUE(l.track);
  EXPECT_EQ(l.track->size(), 48u);
  EXPECT_EQ(l.firmware, "1.7a");
  EXPECT_EQ(l.serial, (std::array<uint8_t, 4>{0xAB, 0xCD, 0xEF, 0x01}));
  EXPECT_EQ(l.productionDate, (std::array<uint8_t, 4>{0x31, 0x12, 0x20, 0x24}));
  EXPECT_EQ(l.skip, 255);
  EXPECT_EQ(l.signature, (std::array<uint8_t, 3>{0x07, 0x93, 0x1E}));
  EXPECT_EQ(l.imageOut, "img.bin");
  EXPECT_FALSE(l.pace);
  EXPECT_EQ(l.adapterCeiling, 115200u);
  ASSERT_EQ(l.faults.size(), 2u);
  EXPECT_EQ(l.faults[1].kind, FaultKind::MissingAck);
  EXPECT_TRUE(options.verbose);
}

TEST(SimCommandLineTest, WrongValuesAreUsageErrors) {
  const std::vector<std::vector<std::string>> wrong{
      {"--pages", "0"},          {"--page-size", "65536"}, {"--layout", "3"},         {"--points", "-1"},
      {"--firmware", "2.100"},   {"--firmware", ""},       {"--serial", "01-00123"},  {"--date", "32.01.2006"},
      {"--date", "1.1.2006"},    {"--skip", "256"},        {"--signature", "1E9307"}, {"--fault", "checksum"},
      {"--com", "0"},            {"--com", "COMx"},        {"--pages"},               {"--no-pace=1"},
      {"--bogus"},               {"extra"},                {"--adapter-limit", "1200"}};
  for (const auto& args : wrong) {
    SimProgramOptions options;
    std::string error;
    EXPECT_EQ(Parse(args, options, error), ParseOutcome::UsageError) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  SimProgramOptions options;
  std::string error;
  EXPECT_EQ(Parse({"--track", "/nonexistent/t.bin"}, options, error), ParseOutcome::Failure);
  EXPECT_EQ(Parse({"--pages", "9", "--help"}, options, error), ParseOutcome::Help);
  EXPECT_NE(SimHelpText().find("vanish@N"), std::string::npos);
}

}  // namespace
