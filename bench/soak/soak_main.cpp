// stravener-soak: many downloads (and some firmware upgrades) from a simulated logger that
// spoils its answers at random, through the tool's own serial code on a pseudo-terminal.
// Each run must end with a whole file or a clear abort and a prefix of it, and leave the
// logger and the port ready for the next command. Prints the counts; status 1 when any
// run broke a promise.
//
//   stravener-soak [--runs N] [--seed S] [--upgrade-every K] [-v]

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "app/language.h"
#include "bench/soak/soak_run.h"
#include "platform/stop_signals.h"

using namespace stravener;
using namespace stravener::soak;

namespace {

struct Totals {
  int runs = 0;
  int downloads = 0;
  int complete = 0;
  int aborted = 0;
  int beforeTransfer = 0;
  int vanished = 0;
  int interrupted = 0;
  int upgrades = 0;
  int upgradesFirstTry = 0;
  int upgradesLaterTry = 0;
  int violations = 0;
  double longest = 0;
  std::map<sim::FaultKind, int> planned;
  std::map<sim::FaultKind, int> fired;
};

std::string Interruption(int afterMs) {
  return afterMs < 0 ? std::string() : ", Ctrl+C at " + std::to_string(afterMs) + " ms";
}

std::string Describe(const DownloadPlan& plan) {
  std::string faults;
  for (const sim::Fault& f : plan.faults) {
    faults += std::string(faults.empty() ? "" : ",") + sim::FaultKindName(f.kind) + "@" + std::to_string(f.at);
  }
  return "layout " + std::to_string(plan.layout) + ", " + std::to_string(plan.points) + " points, pages of " +
         std::to_string(plan.pageSize) + ", " + std::to_string(plan.speedLimit) + " bps, " +
         (plan.plt ? "PLT" : "raw") + (plan.paced ? ", paced" : "") + (faults.empty() ? "" : ", faults " + faults) +
         Interruption(plan.interruptAfterMs);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 300;
  uint32_t seed = 1;
  int upgradeEvery = 8;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--runs" || arg == "--seed" || arg == "--upgrade-every") && i + 1 < argc) {
      const long value = std::strtol(argv[++i], nullptr, 10);
      if (arg == "--runs") runs = static_cast<int>(value);
      if (arg == "--seed") seed = static_cast<uint32_t>(value);
      if (arg == "--upgrade-every") upgradeEvery = static_cast<int>(value);
    } else if (arg == "-v") {
      verbose = true;
    } else {
      std::fprintf(stderr, "usage: stravener-soak [--runs N] [--seed S] [--upgrade-every K] [-v]\n");
      return 2;
    }
  }
  Language = kEnglish;
  // The runs' interruptions are SIGINT to this thread, heard as the command line hears them.
  InstallStopSignals();
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("stravener-soak-" + std::to_string(::getpid()))).string();
  std::mt19937 random(seed);
  Totals totals;
  const auto started = std::chrono::steady_clock::now();

  for (int i = 1; i <= runs; ++i) {
    const bool upgrade = upgradeEvery > 0 && i % upgradeEvery == 0;
    std::string description;
    RunResult result;
    const std::string runFolder = folder + "/run" + std::to_string(i);
    if (upgrade) {
      const UpgradePlan plan = DrawUpgrade(random);
      description = "upgrade, profile " + std::to_string(plan.profile) + ", " + std::to_string(plan.imageBytes) +
                    " bytes" +
                    (plan.faults.empty() ? ""
                                         : std::string(", fault ") + sim::FaultKindName(plan.faults[0].kind) + "@" +
                                               std::to_string(plan.faults[0].at)) +
                    Interruption(plan.interruptAfterMs);
      for (const sim::Fault& f : plan.faults) ++totals.planned[f.kind];
      result = RunUpgrade(plan, runFolder);
      ++totals.upgrades;
      if (result.completed) {
        ++(result.tries == 1 ? totals.upgradesFirstTry : totals.upgradesLaterTry);
      }
    } else {
      const DownloadPlan plan = DrawDownload(random);
      description = Describe(plan);
      for (const sim::Fault& f : plan.faults) ++totals.planned[f.kind];
      result = RunDownload(plan, runFolder);
      ++totals.downloads;
      if (result.completed) {
        ++totals.complete;
      } else if (result.beforeTransfer) {
        ++totals.beforeTransfer;
      } else {
        ++totals.aborted;
      }
      if (result.vanished) ++totals.vanished;
    }
    ++totals.runs;
    if (result.interrupted) ++totals.interrupted;
    for (const auto& [kind, count] : result.faultsFired) totals.fired[kind] += count;
    totals.longest = std::max(totals.longest, result.seconds);
    const std::string outcome = std::string(result.completed        ? "whole"
                                            : result.beforeTransfer ? "stopped before the transfer"
                                            : result.vanished       ? "aborted (the logger vanished)"
                                                                    : "aborted") +
                                (result.interrupted ? ", interrupted" : "");
    if (!result.violations.empty()) {
      ++totals.violations;
      std::printf("run %d FAILED (%s): %s\n", i, description.c_str(), outcome.c_str());
      for (const std::string& v : result.violations) std::printf("  %s\n", v.c_str());
    } else if (verbose) {
      std::printf("run %d: %s: %s, %.1f s\n", i, description.c_str(), outcome.c_str(), result.seconds);
    }
    std::fflush(stdout);
    if (result.violations.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(runFolder, ignored);
    }
  }

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("fault soak, seed %u: %d runs in %.0f s (longest %.1f s)\n", seed, totals.runs, seconds, totals.longest);
  std::printf(
      "  downloads %d: %d whole, %d aborted (%d of them with the logger vanished), %d stopped before the transfer "
      "(a spoiled information record, or Ctrl+C)\n",
      totals.downloads, totals.complete, totals.aborted, totals.vanished, totals.beforeTransfer);
  std::printf("  upgrades %d: %d loaded at the first try, %d at a later one\n", totals.upgrades,
              totals.upgradesFirstTry, totals.upgradesLaterTry);
  std::printf("  interrupted by Ctrl+C while the operation ran: %d runs\n", totals.interrupted);
  std::printf("  faults planned / fired:");
  for (int k = 0; k <= static_cast<int>(sim::FaultKind::MissingAck); ++k) {
    const auto kind = static_cast<sim::FaultKind>(k);
    std::printf(" %s %d/%d", sim::FaultKindName(kind), totals.planned[kind], totals.fired[kind]);
  }
  std::printf("\n");
  std::printf("%d passed, %d failed\n", totals.runs - totals.violations, totals.violations);
  if (totals.violations == 0) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  } else {
    std::printf("files of the failed runs are in %s\n", folder.c_str());
  }
  return totals.violations == 0 ? 0 : 1;
}
