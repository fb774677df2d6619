#pragma once

// One run of the fault soak: a simulated logger on a pseudo-terminal told to spoil some of
// its answers, the tool's own serial code, and what the run must end with.

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sim/fault_plan.h"

namespace stravener::soak {

// What a download run is made of, drawn at random.
struct DownloadPlan {
  int layout = 2;
  uint32_t points = 0;
  uint16_t pageSize = 256;
  uint32_t speedLimit = 115200;
  bool plt = false;
  bool paced = false;
  std::vector<sim::Fault> faults;
  int interruptAfterMs = -1;  // a user's Ctrl+C this long after the start; -1: none
};

// What a firmware upgrade run is made of.
struct UpgradePlan {
  int profile = 1;  // index of the processor
  uint32_t imageBytes = 0;
  std::vector<sim::Fault> faults;
  int interruptAfterMs = -1;  // a user's Ctrl+C this long after the start; -1: none
};

struct RunResult {
  bool completed = false;               // the file or the image is whole
  bool beforeTransfer = false;          // the information record was spoiled: the download never began
  bool vanished = false;                // the logger vanished from the line during the run
  bool interrupted = false;             // the user's Ctrl+C came while the operation ran
  int tries = 1;  // upgrades: the tries the user needed (a third only after an interruption)
  std::vector<std::string> violations;  // every promise the run broke
  double seconds = 0;
  std::map<sim::FaultKind, int> faultsFired;
};

DownloadPlan DrawDownload(std::mt19937& random);
UpgradePlan DrawUpgrade(std::mt19937& random);

// Downloads the track and checks the outcome: a file byte-identical to the logger's used
// memory (or, saved as PLT, to the PLT of it), or "Transfer aborted." and a file that is an
// exact prefix of it; then the logger in command mode at 4800 bit/s, the port at 4800 and
// the next command answered. After a vanished logger: the abort, the prefix, and the next
// command failing with a message instead of hanging. A planned interruption is SIGINT to
// the calling thread, which must have called InstallStopSignals(); it must end the same
// way. `folder` holds the run's files.
RunResult RunDownload(const DownloadPlan& plan, const std::string& folder);

// Loads an image through the boot loader and checks the outcome: the program memory equal
// to the image padded to whole pages and the port closed, or the boot loader's failure (or
// the interruption) told in the log, after which the user's next try loads the image.
RunResult RunUpgrade(const UpgradePlan& plan, const std::string& folder);

}  // namespace stravener::soak
