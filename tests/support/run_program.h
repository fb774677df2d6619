#pragma once

// Runs a program of this project as a user would: in its own process, in a test's folder,
// with stdin from /dev/null, stdout and stderr caught in files, and its settings in the
// folder's "config" so the user's own settings are never read or written. POSIX only.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

struct ProgramOutcome {
  int status = -1;  // the exit status, -1 when the program did not exit by itself
  std::string out;
  std::string err;
  long peakKilobytes = 0;  // the child's peak resident memory, as the system counts it
};

// A program started as a user starts it and left running, for a test that signals it
// while it works. `argv` holds the program's path first. `inChild` runs in the child just
// before exec, for changes to its environment.
class StartedProgram {
 public:
  StartedProgram(const TempDir& dir, const std::vector<std::string>& argv, const std::function<void()>& inChild = {})
      : outPath_(dir.File(".stdout")), errPath_(dir.File(".stderr")) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir.Path().c_str()) != 0) _exit(126);
      const int in = open("/dev/null", O_RDONLY);
      const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
      if (inChild) inChild();
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
  }
  ~StartedProgram() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  void Signal(int signal) const {
    if (pid_ > 0) kill(pid_, signal);
  }

  // Waits for the program to end.
  ProgramOutcome Wait() {
    ProgramOutcome outcome;
    int status = 0;
    struct rusage usage {};
    if (pid_ > 0 && wait4(pid_, &status, 0, &usage) == pid_) {
      outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      outcome.peakKilobytes = usage.ru_maxrss;
    }
    waited_ = true;
    outcome.out = ReadTextFile(outPath_);
    outcome.err = ReadTextFile(errPath_);
    return outcome;
  }

 private:
  std::string outPath_, errPath_;
  pid_t pid_ = -1;
  bool waited_ = false;
};

// Runs a program to its end, as StartedProgram starts it.
inline ProgramOutcome RunProgram(const TempDir& dir, const std::vector<std::string>& argv,
                                 const std::function<void()>& inChild = {}) {
  return StartedProgram(dir, argv, inChild).Wait();
}

// The name the commands give a track file by default: today's date, as the save dialog does.
inline std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char name[32];
  std::strftime(name, sizeof name, "%Y%m%d_log.plt", &local);
  return name;
}
