// The --port argument every logger command takes, and `stravener ports` run as a program.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/port_argument.h"
#include "link/line_speeds.h"
#include "link/port_connection.h"
#include "logger/logger_commands.h"
#include "support/temp_dir.h"

using namespace stravener;
using namespace stravener::cli;
using ::testing::HasSubstr;

TEST(PortArgumentTest, ComNamesNumbersAndPaths) {
  EXPECT_EQ(ParsePortArgument("COM3")->portNumber, 3u);
  EXPECT_EQ(ParsePortArgument("com12")->portNumber, 12u);
  EXPECT_EQ(ParsePortArgument("7")->portNumber, 7u);
  EXPECT_TRUE(ParsePortArgument("7")->devicePath.empty());
  EXPECT_EQ(ParsePortArgument("/dev/ttyUSB0")->devicePath, "/dev/ttyUSB0");
  EXPECT_EQ(ParsePortArgument("./pty")->devicePath, "./pty");
  for (const char* bad : {"", "COM", "COM0", "0", "ttyUSB0", "COM3x", "99999999999"}) {
    EXPECT_FALSE(ParsePortArgument(bad).has_value()) << bad;
  }
}

// The one speed table and what derives from it: each speed's sentence, the probe's order,
// the limits the command line takes and the text that names them.
TEST(SpeedTableTest, EachSpeedWithItsSentenceAndTheListsMadeFromIt) {
  std::map<uint32_t, std::string> sentences;
  for (const uint32_t speed : kTransferSpeeds) sentences[speed] = SpeedSentence(TransferLineSpeedFor(speed));
  EXPECT_EQ(sentences, (std::map<uint32_t, std::string>{{38400, "$PQRVS,3\r\n"},
                                                        {57600, "$PQRVS,5\r\n"},
                                                        {115200, "$PQRVS,1\r\n"},
                                                        {230400, "$PQRVS,2\r\n"},
                                                        {460800, "$PQRVS,4\r\n"}}));
  EXPECT_EQ(SpeedSentence(kCommandLineSpeed), "$PQRVS,0\r\n");
  EXPECT_EQ(kCommandSpeed, 4800u);
  EXPECT_EQ(TransferLineSpeedFor(19200).bitsPerSecond, 115200u);
  EXPECT_EQ(std::vector<uint32_t>(kProbeSpeeds.begin(), kProbeSpeeds.end()),
            (std::vector<uint32_t>{115200, 230400, 460800}));
  EXPECT_EQ(SpeedLimitChoices("or"), "460800, 230400, 115200, 57600 or 38400");
  for (const char* text : {"38400", "460800 bps", "57600bps"}) EXPECT_TRUE(ParseSpeedLimit(text).has_value()) << text;
  for (const char* text : {"4800", "19200", "115201"}) EXPECT_FALSE(ParseSpeedLimit(text).has_value()) << text;
}

TEST(PortArgumentTest, OptionsOverTheStoredSettings) {
  TempDir home;
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);

  CliHost host;
  EventLog log;
  PortConnection connection(log);
  {
    Invocation none("read", {}, {}, host);
    EXPECT_EQ(ConfigurePortConnection(none, connection), kExitOk);
    EXPECT_EQ(connection.portNumber, 1u);  // nothing stored: the defaults
    EXPECT_EQ(connection.speedLimit, 115200u);
  }
  {
    Invocation both("read", {{"--port", "COM4"}, {"--max-speed", "460800"}}, {}, host);
    EXPECT_EQ(ConfigurePortConnection(both, connection), kExitOk);
    EXPECT_EQ(connection.portNumber, 4u);
    EXPECT_EQ(connection.speedLimit, 460800u);
    EXPECT_EQ(PortDeviceName(connection), "COM4");
  }
  {
    Invocation path("read", {{"--port", "/dev/ttyACM0"}}, {}, host);
    EXPECT_EQ(ConfigurePortConnection(path, connection), kExitOk);
    EXPECT_EQ(PortDeviceName(connection), "/dev/ttyACM0");
  }
  {
    Invocation bad("read", {{"--port", "ttyACM0"}}, {}, host);
    EXPECT_EQ(ConfigurePortConnection(bad, connection), kExitUsage);
    Invocation badSpeed("read", {{"--max-speed", "9600"}}, {}, host);
    EXPECT_EQ(ConfigurePortConnection(badSpeed, connection), kExitUsage);
  }
  if (old != nullptr) {
    ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(PortsCommandTest, ListsALinkToAPseudoTerminal) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string slave = ::ptsname(master);

  TempDir home;
  std::filesystem::create_directories(home.Path() / "Quillet" / "ports");
  std::filesystem::create_symlink(slave, home.Path() / "Quillet" / "ports" / "COM77");
  const std::string command = "XDG_CONFIG_HOME='" + home.Path().string() + "' '" STRAVENER_PROGRAM "' ports --lang en";
  FILE* out = ::popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string text;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, out) != nullptr) text += buffer;
  EXPECT_EQ(::pclose(out), 0);
  ::close(master);
  EXPECT_THAT(text, HasSubstr("COM77  " + slave));
  EXPECT_THAT(text, HasSubstr("user link"));
}
