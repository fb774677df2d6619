// Wrong command lines: each ends with status 2, says what is wrong and where to look, and
// neither opens the port nor touches a file.

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

ProgramOutcome RunStravener(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), STRAVENER_EXE);
  return RunProgram(dir, args);
}

}  // namespace

TEST(CommandLineTest, WrongUsageSaysWhatAndEndsWithStatus2) {
  TempDir dir;
  WriteWholeFile(dir.File("a.bin"), std::vector<unsigned char>(16, 0));
  WriteWholeFile(dir.File("a.upg"), std::vector<unsigned char>(16, 0));
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{}, "Usage: stravener COMMAND"},  // the program's help, on stdout
      {{"bogus"}, "stravener: unknown command 'bogus'"},
      {{"help", "bogus"}, "stravener: unknown command 'bogus'"},
      {{"info", "--bogus"}, "stravener info: unknown option '--bogus'"},
      {{"info", "extra"}, "stravener info: unexpected operand 'extra'"},
      {{"info", "--port"}, "stravener info: option --port needs COMn|PATH|auto"},
      {{"info", "--port", "COM"}, "--port takes a COM name (COM3, or 3), a device path or auto"},
      {{"info", "--port", "COM0"}, "--port takes a COM name (COM3, or 3), a device path or auto"},
      {{"info", "--port", "COMx"}, "--port takes a COM name (COM3, or 3), a device path or auto"},
      {{"info", "--port", "COM99999999999"}, "--port takes a COM name (COM3, or 3), a device path or auto"},
      {{"read-track", "--max-speed", "9600"}, "--max-speed takes 460800, 230400, 115200, 57600 or 38400"},
      {{"read-track", "--max-speed", "-115200"}, "--max-speed takes 460800, 230400, 115200, 57600 or 38400"},
      {{"read-track", "--output", ""}, "--output takes a file name"},
      {{"info", "--lang", "de"}, "--lang takes en or pl"},
      {{"info", "--lang=en", "--lang=pl"}, "option --lang given twice"},
      {{"erase", "--yes=no"}, "option --yes takes no value"},
      {{"config", "--skip", "256"}, "Input number from 1 to 255."},
      {{"config", "--skip", "0"}, "Input number from 1 to 255."},
      {{"config", "--skip", "4294967297"}, "Input number from 1 to 255."},  // not 1 after a wrap
      {{"config", "--skip", "-5"}, "--skip takes a number from 1 to 255"},
      {{"config", "--skip", "5", "--no-skip"}, "--skip and --no-skip exclude each other"},
      {{"upgrade"}, "stravener upgrade: missing FILE.upg"},
      {{"upgrade", ""}, "the firmware file name is empty"},
      {{"convert", "a.bin", "b.bin"}, "unexpected operand 'b.bin'"},
      {{"setup", "--port", "LPT1"}, "--port takes a COM name such as COM7, or its number"},
      {{"setup", "--language", "de"}, "--language takes en or pl"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += " " + a;
    const ProgramOutcome o = RunStravener(dir, c.args);
    EXPECT_EQ(o.status, 2) << "stravener" << line << "\n" << o.err;
    EXPECT_NE((o.err + o.out).find(c.says), std::string::npos) << "stravener" << line << "\n" << o.err;
    EXPECT_EQ(o.err.find("Port opened."), std::string::npos) << "stravener" << line;
    EXPECT_EQ(o.err.find("opening port"), std::string::npos) << "stravener" << line;
  }
  // Nothing was written next to the inputs, and nothing was stored.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    if (entry.path().filename().string()[0] != '.' && entry.path().filename() != "config") ++files;
  }
  EXPECT_EQ(files, 2u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("config/Quillet/settings")));
}
