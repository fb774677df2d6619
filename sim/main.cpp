// stravener-sim: a simulated Stravener logger on a pseudo-terminal, for trying the tool
// without hardware, for the tests and for the demonstration.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/settings_store_posix.h"
#include "sim/sim_command_line.h"
#include "sim/simulated_logger.h"

namespace {

using namespace stravener::sim;

// Creates the folders of a path that are missing.
bool MakeParents(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::string LinkTarget(const std::string& link) {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Points `link` at the line. A symbolic link already there (left by a simulator that was
// killed) is replaced; anything else is left alone and refused.
bool MakeLink(const std::string& link, const std::string& target, std::string& error) {
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = link + " exists and is not a link";
    return false;
  }
  if (!MakeParents(link)) {
    error = "cannot create the folder of " + link + ": " + std::strerror(errno);
    return false;
  }
  const std::string temporary = link + ".stravener-sim-" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(target.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), link.c_str()) != 0) {
    error = "cannot make the link " + link + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

// Removes our links, but not one that another simulator has taken over meanwhile.
void RemoveLinks(const std::vector<std::string>& links, const std::string& target) {
  for (const std::string& link : links) {
    if (LinkTarget(link) == target) ::unlink(link.c_str());
  }
}

void PrintEvent(const TraceEvent& event, SteadyTime origin, bool verbose) {
  if (!verbose && event.kind != TraceKind::Fault && event.kind != TraceKind::Note &&
      !(event.kind == TraceKind::Mode && event.text.rfind("gone", 0) == 0)) {
    return;
  }
  std::fprintf(stderr, "%s\n", FormatTraceEvent(event, origin).c_str());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  SimProgramOptions options;
  std::string error;
  const ParseOutcome outcome = ParseSimCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error);
  switch (outcome) {
    case ParseOutcome::Help:
      std::fputs(SimHelpText().c_str(), stdout);
      return 0;
    case ParseOutcome::UsageError:
      std::fprintf(stderr, "stravener-sim: %s\nTry 'stravener-sim --help' for more information.\n", error.c_str());
      return 2;
    case ParseOutcome::Failure:
      std::fprintf(stderr, "stravener-sim: %s\n", error.c_str());
      return 1;
    case ParseOutcome::Run:
      break;
  }

  // The signals that end the program are taken by sigwait below; the logger's thread
  // inherits the blocked set and never sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // A long run keeps no trace in memory: -v prints it as it happens.
  options.logger.keepTrace = false;
  const bool verbose = options.verbose;
  SimulatedLogger* running = nullptr;
  options.logger.traceListener = [&running, verbose](const TraceEvent& event) {
    if (running != nullptr) PrintEvent(event, running->Trace().Origin(), verbose);
  };
  SimulatedLogger logger(options.logger);
  running = &logger;
  if (logger.Start(&error) != 0) {
    std::fprintf(stderr, "stravener-sim: %s\n", error.c_str());
    return 1;
  }
  const std::string path = logger.SlavePath();

  std::vector<std::string> links = options.links;
  if (options.comPort) {
    links.push_back(stravener::SettingsDirectory() + "/ports/COM" + std::to_string(*options.comPort));
  }
  std::vector<std::string> made;
  for (const std::string& link : links) {
    if (!MakeLink(link, path, error)) {
      std::fprintf(stderr, "stravener-sim: %s\n", error.c_str());
      logger.Stop();
      RemoveLinks(made, path);
      return 1;
    }
    made.push_back(link);
  }

  std::printf("%s\n", path.c_str());
  std::fflush(stdout);
  const std::array<uint8_t, 22> record = logger.InfoRecord();
  std::fprintf(stderr,
               "stravener-sim: logger %02x-%02x%02x%02x, firmware %.4s, %u pages of %u bytes, %u bytes used%s\n",
               record[0], record[1], record[2], record[3], reinterpret_cast<const char*>(&record[8]),
               options.logger.pageCount, options.logger.pageSize, logger.UsedBytes(),
               options.logger.pace ? "" : ", answers not paced");
  for (const std::string& link : made) std::fprintf(stderr, "stravener-sim: %s -> %s\n", link.c_str(), path.c_str());
  std::fflush(stderr);

  int signalNumber = 0;
  while (sigwait(&stopSignals, &signalNumber) != 0) {
  }

  logger.Stop();
  RemoveLinks(made, path);
  return 0;
}
