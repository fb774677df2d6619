#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/simulated_logger_options.h"

namespace stravener::sim {

// What the stravener-sim program was asked to do.
struct SimProgramOptions {
  SimulatedLoggerOptions logger;
  std::optional<uint32_t> comPort;  // --com N: the per-user ports/COMN link
  std::vector<std::string> links;   // --link PATH
  bool verbose = false;
  bool help = false;
};

enum class ParseOutcome { Run, Help, UsageError, Failure };

// Reads the program's arguments (without the program name). On UsageError or Failure,
// `error` says why.
ParseOutcome ParseSimCommandLine(const std::vector<std::string>& args, SimProgramOptions& options,
                                 std::string& error);

// The --help text.
std::string SimHelpText();

}  // namespace stravener::sim
