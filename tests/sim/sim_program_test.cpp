#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "pty_client.h"
#include "support/temp_dir.h"

using namespace std::chrono_literals;

namespace {

// stravener-sim started as a separate process with its own settings folder.
class SimProgram {
 public:
  SimProgram(const std::vector<std::string>& args, const std::string& configHome, const std::string& errorFile) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (err >= 0) dup2(err, 2);
      setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(STRAVENER_SIM_PROGRAM)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(STRAVENER_SIM_PROGRAM, argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
  }
  ~SimProgram() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }

  // The first line of its output, within a few seconds.
  std::string FirstLine() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      if (read(out_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }

  // Sends a signal and returns the exit status (or -1).
  int StopWith(int signalNumber) {
    kill(pid_, signalNumber);
    return Wait();
  }
  int Wait() {
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
};

std::string LinkTarget(const std::string& path) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

TEST(SimProgramTest, ServesALoggerBehindTheComLinkUntilTerminated) {
  TempDir dir;
  const std::string com = dir.File("cfg") + "/Quillet/ports/COM9";
  const std::string extra = dir.File("wine/dosdevices/com9");
  SimProgram sim({"--com", "9", "--link", extra, "--points", "100", "-v"}, dir.File("cfg"), dir.File("err.txt"));
  const std::string path = sim.FirstLine();
  ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
  EXPECT_EQ(LinkTarget(com), path);
  EXPECT_EQ(LinkTarget(extra), path);

  {
    PtyClient client(com);
    ASSERT_TRUE(client.IsOpen());
    ASSERT_TRUE(client.Command("$PQRVI,\r\n"));
    const std::vector<uint8_t> answer = client.Read(25, 1000ms);
    ASSERT_EQ(answer.size(), 25u);
    EXPECT_EQ(answer[2 + 16], 6) << "100 points: 6 full pages";
    EXPECT_EQ(answer[2 + 18], 64) << "and 64 bytes";
  }
  // The tool closing its port does not hang up the line: it opens again.
  {
    PtyClient client(com);
    ASSERT_TRUE(client.Command("$PQRVE,\r\n"));
    EXPECT_EQ(client.Read(4, 1500ms), (std::vector<uint8_t>{0x01, 0x00, 0x01, 0x96}));
  }

  EXPECT_EQ(sim.StopWith(SIGTERM), 0);
  EXPECT_FALSE(Exists(com));
  EXPECT_FALSE(Exists(extra));
  const std::string trace = ReadTextFile(dir.File("err.txt"));
  EXPECT_NE(trace.find("$PQRVI,\\r\\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("information record"), std::string::npos) << trace;
}

TEST(SimProgramTest, ReplacesAStaleLinkButNothingElse) {
  TempDir dir;
  const std::string link = dir.File("com5");
  ASSERT_EQ(symlink("/dev/pts/does-not-exist", link.c_str()), 0);
  {
    SimProgram sim({"--link", link, "--points", "0"}, dir.File("cfg"), dir.File("err.txt"));
    const std::string path = sim.FirstLine();
    EXPECT_EQ(LinkTarget(link), path);
    EXPECT_EQ(sim.StopWith(SIGINT), 0);
    EXPECT_FALSE(Exists(link));
  }
  WriteWholeFile(link, {'x'});
  SimProgram sim({"--link", link}, dir.File("cfg"), dir.File("err.txt"));
  EXPECT_EQ(sim.Wait(), 1);
  EXPECT_EQ(ReadTextFile(link), "x");
  EXPECT_NE(ReadTextFile(dir.File("err.txt")).find("is not a link"), std::string::npos);
}

TEST(SimProgramTest, HelpAndUsageErrors) {
  TempDir dir;
  SimProgram help({"--help"}, dir.File("cfg"), dir.File("err.txt"));
  EXPECT_EQ(help.FirstLine(), "Usage: stravener-sim [OPTIONS]");
  EXPECT_EQ(help.Wait(), 0);
  SimProgram wrong({"--fault", "sometimes@1"}, dir.File("cfg"), dir.File("err.txt"));
  EXPECT_EQ(wrong.Wait(), 2);
  EXPECT_NE(ReadTextFile(dir.File("err.txt")).find("unknown fault kind"), std::string::npos);
  SimProgram tooMuch({"--pages", "1", "--points", "100"}, dir.File("cfg"), dir.File("err.txt"));
  EXPECT_EQ(tooMuch.Wait(), 1);
  EXPECT_NE(ReadTextFile(dir.File("err.txt")).find("do not fit"), std::string::npos);
}

}  // namespace
