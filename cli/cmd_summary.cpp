// stravener summary: the figures of a saved binary track file, a line each, on stdout.

#include <cstdio>

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/console_text.h"
#include "cli/track_file_options.h"
#include "track/binary_track_summary.h"

namespace stravener::cli {
namespace {

const OptionSpec kLayoutOption{"--layout", nullptr, "1|2",
                               {"układ rekordów: 2 (domyślny) albo 1, dla pliku zapisanego z rejestratora, którego "
                                "wersja oprogramowania zaczyna się od 1",
                                "the layout of the records: 2 (the default) or 1, for a file saved from a logger "
                                "whose firmware version begins with 1"}};

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
  for (const std::string& line : TrackSummaryLines(summary, options.skipInvalid)) {
    PrintText(stdout, "%s\n", line.c_str());
  }
  std::fflush(stdout);
  return result == BinaryTrackSummaryResult::Whole ? kExitOk : kExitFailure;
}

const Command kSummaryCommand{
    "summary",
    "FILE.bin",
    {"pokaż punkty, czasy, dystans, wysokości i dni zapisanego binarnego pliku śladu",
     "show the points, times, distance, altitudes and days of a saved binary track file"},
    {"Czyta FILE.bin tak jak stravener convert (układ 2, chyba że --layout 1) i wypisuje\n"
     "na stdout po wierszu na każdą wielkość: punkty, które dostałby plik śladu, jego\n"
     "odcinki, pierwszy i ostatni czas (tak jak pokazują je pliki śladu), czas trwania,\n"
     "dystans wzdłuż odcinków (na kuli o promieniu 6371,0088 km; droga między dwoma\n"
     "odcinkami nic nie dodaje), najniższą i najwyższą wysokość oraz dni. Z --skip-invalid\n"
     "rekordy, które nie są prawidłowymi punktami, są pomijane i liczone (\"Pominięto: N\").\n"
     "Kod wyjścia 0, gdy cały plik jest śladem; 1, gdy nie zawiera żadnego punktu (pusty\n"
     "plik, pierwszy rekord nie jest prawidłowym punktem) albo nie da się go odczytać, oraz\n"
     "gdy rekord, który nie jest prawidłowym punktem, kończy ślad: wielkości punktów przed\n"
     "nim są mimo to wypisywane.",
     "Reads FILE.bin as stravener convert does (layout 2 unless --layout 1) and prints\n"
     "one line per figure on stdout: the points a track file would get, its segments,\n"
     "the first and the last time (as the track files show them), the duration, the\n"
     "distance along the segments (on a sphere of radius 6371.0088 km; the way between\n"
     "two segments adds nothing), the lowest and highest altitude, and the days. With\n"
     "--skip-invalid records that are not valid points are left out and counted\n"
     "(\"Left out: N\"). Exit status 0 when the whole file is a track; 1 when it holds no\n"
     "point (an empty file, a first record that is not a valid point) or cannot be read,\n"
     "and when a record that is not a valid point ends the track: the figures of the\n"
     "points before it are printed all the same."},
    {kLayoutOption, kSkipInvalidOption},
    1,
    1,
    RunSummary};

STRAVENER_REGISTER_COMMAND(kSummaryCommand);

}  // namespace
}  // namespace stravener::cli
