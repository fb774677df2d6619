// stravener summary: the figures of a saved binary track file, a line each, on stdout.

#include <cstdio>

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/track_file_options.h"
#include "track/binary_track_summary.h"

namespace stravener::cli {
namespace {

const OptionSpec kLayoutOption{"--layout", nullptr, "1|2",
                               "the layout of the records: 2 (the default) or 1, for a file saved from a logger "
                               "whose firmware version begins with 1"};

int RunSummary(Invocation& invocation) {
  const std::string input = invocation.Operands().front();
  if (input.empty()) return UsageError(invocation.Command(), "the input file name is empty");
  BinaryTrackSummaryOptions options;
  if (auto layout = invocation.Value(kLayoutOption.name)) {
    if (*layout != "1" && *layout != "2") return UsageError(invocation.Command(), "--layout takes 1 or 2");
    options.layout = *layout == "1" ? 1 : 2;
  }
  options.skipInvalid = invocation.Has(kSkipInvalidOption.name);
  TrackSummary summary;
  const BinaryTrackSummaryResult result =
      SummarizeBinaryTrackFile(invocation.Host().Log(), AbsolutePath(input), options, summary);
  if (result == BinaryTrackSummaryResult::Failed) return kExitFailure;
  for (const std::string& line : TrackSummaryLines(summary, options.skipInvalid)) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  return result == BinaryTrackSummaryResult::Whole ? kExitOk : kExitFailure;
}

const Command kSummaryCommand{
    "summary",
    "FILE.bin",
    "show the points, times, distance, altitudes and days of a saved binary track file",
    "Reads FILE.bin as stravener convert does (layout 2 unless --layout 1) and prints\n"
    "one line per figure on stdout: the points a track file would get, its segments,\n"
    "the first and the last time (as the track files show them), the duration, the\n"
    "distance along the segments (on a sphere of radius 6371.0088 km; the way between\n"
    "two segments adds nothing), the lowest and highest altitude, and the days. With\n"
    "--skip-invalid records that are not valid points are left out and counted\n"
    "(\"Left out: N\"). Exit status 0 when the whole file is a track; 1 when it holds no\n"
    "point (an empty file, a first record that is not a valid point) or cannot be read,\n"
    "and when a record that is not a valid point ends the track: the figures of the\n"
    "points before it are printed all the same.",
    {kLayoutOption, kSkipInvalidOption},
    1,
    1,
    RunSummary};

STRAVENER_REGISTER_COMMAND(kSummaryCommand);

}  // namespace
}  // namespace stravener::cli
