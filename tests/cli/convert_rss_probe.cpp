// Runs a program and writes its exit status and peak resident memory (kB) to a file.
// A child's peak counts the memory of the process it was forked from, so the tests start
// the program through this small process rather than from the large test program.
//
//   convert_rss_probe RESULT_FILE PROGRAM [ARGS...]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const pid_t pid = fork();
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 2;
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 2;
  std::fprintf(out, "%d %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss);
  return std::fclose(out) == 0 ? 0 : 2;
}
