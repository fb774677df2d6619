// logger_bench: how close the track download and the firmware upgrade come to the line
// speed, against the simulated logger with its answers paced at the line speed, through
// the machine's own serial code on a pseudo-terminal.
//
//   build/bench/logger_bench [--runs N] [--speeds 38400,115200,460800] [--no-upgrade]
//
// Every speed downloads twice: saved raw, and converted to PLT.
//
// The download's figure is its own "Average transfer" (10 bits a byte, from the first
// request to the last block written) as a share of the line speed. The upgrade's is its
// wall time, from the upgrade sentence to the restart, beside the line time of the bytes
// the tool sends at 115200 bit/s and of the acknowledgements the boot loader sends back;
// it runs three times, through a model of a USB adapter whose drain is free, costs 1 ms
// and costs 5 ms (real adapters take 1 to 25 ms), each set beside the free one.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/language.h"
#include "link/port_connection.h"
#include "logger/firmware_upgrade.h"
#include "logger/track_download.h"
#include "sim/simulated_logger.h"
#include "support/adapter_model.h"
#include "support/read_track_into.h"
#include "support/test_host.h"

namespace {

using namespace stravener;

void PrintLogOnFailure(const TestHost& host) {
  for (const LogEntry& e : host.log.Entries()) std::fprintf(stderr, "  %s\n", e.text.c_str());
}

struct Session {
  explicit Session(sim::SimulatedLoggerOptions options, AdapterModelOptions adapterOptions = {})
      : logger(std::move(options)), adapter(adapterOptions), connection(host.log) {
    host.clock.realSleeps = true;  // the logger needs its pauses
    std::string error;
    if (logger.Start(&error) != 0) {
      std::fprintf(stderr, "logger_bench: the simulated logger does not start: %s\n", error.c_str());
      std::exit(1);
    }
    connection.opener = adapter.Opener(SystemSerialOpener());
    connection.devicePath = logger.SlavePath();
    connection.speedLimit = 460800;
    if (OpenPort(connection, true) != 0) {
      PrintLogOnFailure(host);
      std::exit(1);
    }
  }
  ~Session() { CloseHandleSilently(connection); }

  sim::SimulatedLogger logger;
  AdapterModel adapter;
  TestHost host;
  PortConnection connection;
};

// Points whose records take about eight seconds of line time at the speed, within the
// logger's 2048 pages of 256 bytes.
uint32_t PointsFor(uint32_t speed) {
  const uint64_t bytes = uint64_t{speed} / 10 * 8;
  const uint64_t points = bytes / 16;
  return static_cast<uint32_t>(points > 32768 ? 32768 : points);
}

// One download at the speed, saved raw or converted to PLT (which converts each block
// while the logger sends the next).
bool Download(uint32_t speed, const std::filesystem::path& folder, bool plt) {
  sim::SimulatedLoggerOptions options;
  options.points = PointsFor(speed);
  options.keepTrace = false;
  Session session(options);
  session.connection.speedLimit = speed;
  const std::string path = (folder / (plt ? "track.plt" : "track.bin")).string();
  TrackReadSummary summary;
  if (ReadTrackInto(session.connection, session.host, path, &summary) != OperationResult::Done) {
    PrintLogOnFailure(session.host);
    return false;
  }
  const double share = 100.0 * static_cast<double>(summary.averageBps) / speed;
  const double lineMs = summary.bytes * 10.0 * 1000.0 / speed;
  std::printf("download %-3s %6u bit/s  %7u bytes  %6d ms (line %6.0f ms)  Average transfer %6lld bps  %6.2f %%  %s\n",
              plt ? "PLT" : "raw", speed, summary.bytes, summary.elapsedMs, lineMs,
              static_cast<long long>(summary.averageBps), share, share >= 99.0 ? "ok" : "below 99 %");
  std::fflush(stdout);
  return true;
}

// One upgrade of the largest image through an adapter whose drain costs `drain`; its wall
// time in seconds, or a negative number when it failed.
double Upgrade(const std::filesystem::path& folder, std::chrono::microseconds drain) {
  const ProcessorProfile& profile = kProcessorProfiles[2];
  sim::SimulatedLoggerOptions options;
  options.points = 10;
  options.signature = profile.signature;
  options.keepTrace = false;
  AdapterModelOptions adapter;
  adapter.drainCost = drain;
  Session session(options, adapter);
  const std::string path = (folder / "image.upg").string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (uint32_t i = 0; i < profile.largestImage; ++i) out.put(static_cast<char>((i * 37 + i / 256) & 0xff));
  }
  const auto start = std::chrono::steady_clock::now();
  const int result = UpgradeFirmware(session.connection, session.host, path, true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (result != 0) {
    PrintLogOnFailure(session.host);
    return -1.0;
  }
  const uint32_t pages = profile.largestImage / profile.BytesPerPage();
  // Per page: 'A' and the address twice, 'c' low 'C' high for every word, 'm'.
  const uint64_t sent = uint64_t{pages} * (3 + 4 * profile.wordsPerPage + 3 + 1) + 2;  // and 's', 'e', 'r'
  const uint64_t acknowledged = uint64_t{pages} * (2 * profile.wordsPerPage + 3) + 3 + 1;
  const double sendLine = sent * 10.0 / 115200;
  const double ackLine = acknowledged * 10.0 / 115200;
  std::printf("upgrade  %u bytes, %u pages, drains of %4.1f ms (%zu of them)  %.2f s  (line time of its %llu bytes "
              "sent %.2f s, of the %llu acknowledgements %.2f s; wall time / sent line time %.2f)\n",
              profile.largestImage, pages, static_cast<double>(drain.count()) / 1000.0, session.adapter.Flushes(),
              seconds, static_cast<unsigned long long>(sent), sendLine, static_cast<unsigned long long>(acknowledged),
              ackLine, seconds / sendLine);
  std::fflush(stdout);
  return seconds;
}

// The upgrade with free, 1 ms and 5 ms drains; each costly one as a multiple of the free.
bool Upgrades(const std::filesystem::path& folder) {
  const double free = Upgrade(folder, std::chrono::microseconds(0));
  if (free <= 0) return false;
  bool ok = true;
  for (const int ms : {1, 5}) {
    const double costly = Upgrade(folder, std::chrono::milliseconds(ms));
    if (costly <= 0) return false;
    const double ratio = costly / free;
    std::printf("upgrade  drains of %d ms: %.2f times the time with free drains  %s\n", ms, ratio,
                ms != 1 || ratio <= 1.2 ? "ok" : "above 1.2");
    std::fflush(stdout);
    ok = ok && (ms != 1 || ratio <= 1.2);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  stravener::Language = stravener::kEnglish;
  int runs = 1;
  bool upgrade = true;
  std::vector<uint32_t> speeds{38400, 57600, 115200, 230400, 460800};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--speeds" && i + 1 < argc) {
      speeds.clear();
      for (const char* p = argv[++i]; *p != '\0';) {
        char* end = nullptr;
        speeds.push_back(static_cast<uint32_t>(std::strtoul(p, &end, 10)));
        p = *end == ',' ? end + 1 : end;
        if (end == p && *p != '\0') break;
      }
    } else if (arg == "--no-upgrade") {
      upgrade = false;
    } else {
      std::fprintf(stderr, "usage: logger_bench [--runs N] [--speeds S,S,...] [--no-upgrade]\n");
      return 2;
    }
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "stravener-logger-bench";
  std::filesystem::create_directories(folder);
  bool ok = true;
  for (int run = 0; run < runs; ++run) {
    for (uint32_t speed : speeds) {
      ok = Download(speed, folder, false) && ok;
      ok = Download(speed, folder, true) && ok;
    }
    if (upgrade) ok = Upgrades(folder) && ok;
  }
  std::filesystem::remove_all(folder);
  return ok ? 0 : 1;
}
