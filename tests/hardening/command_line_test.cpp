// Wrong command lines: each ends with status 2, says what is wrong and where to look, and
// neither opens the port nor touches a file.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome RunStravener(const TempDir& dir, const std::vector<std::string>& args) {
  const std::string outPath = dir.File(".stdout"), errPath = dir.File(".stderr");
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.Path().c_str()) != 0) _exit(126);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(STRAVENER_EXE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Outcome outcome;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  outcome.out = ReadTextFile(outPath);
  outcome.err = ReadTextFile(errPath);
  return outcome;
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
      {{"info", "--port"}, "stravener info: option --port needs COMn|PATH"},
      {{"info", "--port", "COM"}, "--port takes a COM name (COM3, or 3) or a device path"},
      {{"info", "--port", "COM0"}, "--port takes a COM name (COM3, or 3) or a device path"},
      {{"info", "--port", "COMx"}, "--port takes a COM name (COM3, or 3) or a device path"},
      {{"info", "--port", "COM99999999999"}, "--port takes a COM name (COM3, or 3) or a device path"},
      {{"read-track", "--max-speed", "9600"}, "--max-speed takes 460800, 230400, 115200, 57600 or 38400"},
      {{"read-track", "--max-speed", "-115200"}, "--max-speed takes 460800, 230400, 115200, 57600 or 38400"},
      {{"read-track", "--output", ""}, "--output takes a file name"},
      {{"info", "--lang", "de"}, "--lang takes en or pl"},
      {{"info", "--lang=en", "--lang=pl"}, "option --lang given twice"},
      {{"erase", "--yes=no"}, "option --yes takes no value"},
      {{"config", "--skip", "256"}, "Input number from 1 to 255."},
      {{"config", "--skip", "0"}, "Input number from 1 to 255."},
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
    const Outcome o = RunStravener(dir, c.args);
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
