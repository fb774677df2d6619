// convert_bench: how fast `stravener convert` turns a 1,000,000-record binary track file
// into a PLT, a GPX and a KML file and how much memory it takes, beside GPSBabel converting
// the same points from PLT to PLT on the same machine in the same run.
//
//   build/bench/convert_bench [--points N] [--gpsbabel PATH]

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Measure {
  int status = -1;
  double seconds = 0;
  long peakKilobytes = 0;
};

// Runs a program with its output to a log file, and measures its wall time and peak
// resident memory.
Measure RunMeasured(const std::vector<std::string>& args, const std::string& logPath) {
  Measure m;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log, 1);
    dup2(log, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    std::fprintf(stderr, "cannot run %s: %s\n", argv[0], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m.peakKilobytes = usage.ru_maxrss;
  }
  return m;
}

std::string Tail(const std::string& path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line)) last = line;
  return last;
}

void Report(const char* what, const Measure& m, uint32_t points) {
  std::printf("%-34s %8.2f s  %12.0f points/s  peak memory %7.1f MB\n", what, m.seconds,
              m.seconds > 0 ? points / m.seconds : 0.0, m.peakKilobytes / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t points = 1000000;
  std::string gpsbabel = "gpsbabel";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--points" && i + 1 < argc) {
      const char* text = argv[++i];
      if (std::from_chars(text, text + std::strlen(text), points).ec != std::errc()) return 2;
    } else if (arg == "--gpsbabel" && i + 1 < argc) {
      gpsbabel = argv[++i];
    } else {
      std::fprintf(stderr, "Usage: convert_bench [--points N] [--gpsbabel PATH]\n");
      return 2;
    }
  }

  char folderTemplate[] = "/tmp/stravener-bench-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::filesystem::path folder(folderTemplate);
  const std::string bin = (folder / "track.bin").string();
  const std::string plt = (folder / "track.plt").string();
  const std::string babel = (folder / "gpsbabel.plt").string();
  const std::string log = (folder / "log.txt").string();

  // The sample is made by another process: a child's peak memory counts the memory of
  // the process it is forked from, so this one stays small.
  const Measure made = RunMeasured({SAMPLE_TRACK_EXE, "--points", std::to_string(points), "--layout", "2", bin}, log);
  if (made.status != 0) {
    std::fprintf(stderr, "making the sample failed: %s\n", Tail(log).c_str());
    return 1;
  }
  std::printf("%u records of layout 2 (%.1f MB) in %s\n", points, points * 16 / 1e6, folder.c_str());

  // The baseline: the same program converting a single record.
  const std::string one = (folder / "one.bin").string();
  std::filesystem::copy_file(bin, one);
  std::filesystem::resize_file(one, 16);
  const Measure small = RunMeasured({STRAVENER_EXE, "convert", one, "-o", (folder / "one.plt").string(), "--lang", "en"},
                                    log);

  // Each format of the same records, then GPSBabel on the PLT file.
  struct Output {
    const char* format;
    std::string path;
    Measure measure;
    std::string last;
  };
  std::vector<Output> outputs{{"PLT", plt, {}, {}},
                              {"GPX", (folder / "track.gpx").string(), {}, {}},
                              {"KML", (folder / "track.kml").string(), {}, {}}};
  // Three runs of each, the median run counting: a run of a fraction of a second feels
  // every other process of the machine.
  for (Output& output : outputs) {
    std::vector<Measure> runs;
    for (int run = 0; run < 3; ++run) {
      runs.push_back(RunMeasured({STRAVENER_EXE, "convert", bin, "-o", output.path, "--lang", "en", "--force"}, log));
      output.last = Tail(log);
    }
    std::sort(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    output.measure = runs[1];
    for (const Measure& m : runs) {
      if (m.status != 0) output.measure = m;
    }
  }
  const Measure theirs = RunMeasured({gpsbabel, "-i", "ozi", "-f", plt, "-o", "ozi", "-F", babel}, log);
  const std::string theirLast = Tail(log);

  int result = 0;
  for (const Output& output : outputs) {
    if (output.measure.status != 0) {
      std::printf("stravener convert to %s failed (%d): %s\n", output.format, output.measure.status,
                  output.last.c_str());
      result = 1;
      continue;
    }
    std::printf("stravener convert: %s (%.1f MB of %s)\n", output.last.c_str(),
                static_cast<double>(std::filesystem::file_size(output.path)) / 1e6, output.format);
    Report((std::string("stravener convert, .bin to ") + output.format).c_str(), output.measure, points);
  }
  std::printf("%-34s %.1f MB for one record, %.1f MB for %u\n", "  peak memory of the process (PLT)",
              small.peakKilobytes / 1024.0, outputs[0].measure.peakKilobytes / 1024.0, points);
  if (theirs.status != 0) {
    std::printf("gpsbabel failed (%d): %s\n", theirs.status, theirLast.c_str());
    result = 1;
  } else {
    Report("gpsbabel, PLT to PLT", theirs, points);
  }
  if (result == 0) {
    for (const Output& output : outputs) {
      if (output.measure.seconds <= 0) continue;
      std::printf("%-34s %8.1f times GPSBabel's PLT to PLT speed%s\n",
                  (std::string("stravener convert, ") + output.format).c_str(), theirs.seconds / output.measure.seconds,
                  output.format == outputs[0].format ? " (goal: 30 or more)" : "");
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
