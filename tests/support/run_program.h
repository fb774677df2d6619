#pragma once

// Runs a program of this project as a user would: in its own process, in a test's folder,
// with stdin from /dev/null, stdout and stderr caught in files, and its settings in the
// folder's "config" so the user's own settings are never read or written. POSIX only.

#include <fcntl.h>
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

// `argv` holds the program's path first. `inChild` runs in the child just before exec,
// for changes to its environment.
inline ProgramOutcome RunProgram(const TempDir& dir, const std::vector<std::string>& argv,
                                 const std::function<void()>& inChild = {}) {
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
    if (inChild) inChild();
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  ProgramOutcome outcome;
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.peakKilobytes = usage.ru_maxrss;
  }
  outcome.out = ReadTextFile(outPath);
  outcome.err = ReadTextFile(errPath);
  return outcome;
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
