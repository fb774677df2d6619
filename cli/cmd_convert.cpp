// stravener convert: turns a saved binary track file into a PLT, GPX or KML file or an SVG
// picture, as dropping the file on the desktop window does.

#include <optional>
#include <string>
#include <vector>

#include "app/language.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/port_session.h"
#include "cli/track_file_options.h"
#include "platform/stop_request.h"
#include "track/binary_conversion.h"

namespace stravener::cli {
namespace {

// -o lists the extensions of the track formats.
constexpr auto kOutputHelpPolish =
    ComposeText<[](TextSink& s) { WriteOutputHelpPolish(s, "plik śladu", "rekordy"); }>();
constexpr auto kOutputHelpEnglish =
    ComposeText<[](TextSink& s) { WriteOutputHelpEnglish(s, "track file", "records"); }>();
const OptionSpec kOutputOption{"--output", "-o", "OUT", {kOutputHelpPolish.text, kOutputHelpEnglish.text}};
const OptionSpec kLayoutOption{"--layout", nullptr, "1|2",
                               {"układ rekordów: 2 (domyślny, tak czytany jest upuszczony plik) albo 1, dla pliku "
                                "zapisanego z rejestratora, którego wersja oprogramowania zaczyna się od 1",
                                "the layout of the records: 2 (the default, as a dropped file is read) or 1, for a "
                                "file saved from a logger whose firmware version begins with 1"}};

int RunConvert(Invocation& invocation) {
  CliHost& host = invocation.Host();
  const std::string input = invocation.Operands().front();
  if (input.empty()) return UsageError(invocation.Command(), "the input file name is empty");
  BinaryConversionOptions options;
  CommandFiles files;
  if (const int usage = ApplyTrackFileOptions(invocation, files, options.format); usage != 0) return usage;
  if (auto layout = invocation.Value(kLayoutOption.name)) {
    if (*layout != "1" && *layout != "2") return UsageError(invocation.Command(), "--layout takes 1 or 2");
    options.layout = *layout == "1" ? 1 : 2;
  }
  options.skipInvalid = invocation.Has(kSkipInvalidOption.name);
  if (const int usage = ApplySplitOption(invocation, files, options.format, options.splitByDay); usage != 0) {
    return usage;
  }
  files.input = input;
  // The day files of a split are checked as the output is, once they are known.
  options.approveDayFiles = [&](const std::vector<std::string>& days) { return files.ApproveDayFiles(host.Log(), days); };
  HearStopRequests();
  const std::optional<std::string> output = files.ChooseOutput(host.Log());
  WrittenTrack written;
  if (output && ConvertBinaryTrackFile(host, AbsolutePath(input), *output, options, &written)) {
    PrintWrittenTrack(written);
    return kExitOk;
  }
  return StopRequested() ? kStoppedExitStatus : kExitFailure;
}

const Command kConvertCommand{
    "convert",
    "FILE.bin",
    {"przekształć zapisany binarny plik śladu w plik PLT, GPX lub KML albo obraz SVG",
     "convert a saved binary track file into a PLT, GPX or KML file or an SVG picture"},
    {"Czyta każdy 16-bajtowy rekord pliku FILE.bin tak, jak przechowuje go rejestrator\n"
     "(układ 2, chyba że --layout 1), i zapisuje dla każdego jeden punkt: wiersz PLT\n"
     "OziExplorera, punkt śladu GPX 1.1 albo punkt gx:Track KML 2.2, wg rozszerzenia pliku\n"
     "wyjściowego albo --format; .svg rysuje ślad, jego profil wysokości i podsumowanie jako\n"
     "obraz SVG. Dziennik zdarzeń idzie na stderr. Kod wyjścia to 0 tylko wtedy, gdy\n"
     "przekształcono cały plik. Plik wyjściowy dostaje swoją nazwę dopiero jako cały plik:\n"
     "po błędzie punkty zapisane przed nim zostają jako NAZWA.partial.ROZ\n"
     "(NAZWA.partial-2.ROZ, ... gdy ta nazwa jest zajęta; plik GPX lub KML mimo to\n"
     "domknięty), a istniejący plik wyjściowy zostaje taki, jaki był; z --force jest\n"
     "zastępowany, z zachowaniem jego uprawnień. Z --skip-invalid nieprawidłowy rekord jest\n"
     "zamiast tego pomijany i liczony. Plik PLT, GPX, KML lub SVG podany jako FILE.bin\n"
     "jest odrzucany. Z --split day każdy dzień punktów (wg lokalnej strefy czasowej\n"
     "komputera, TZ) dostaje własny plik NAZWA-RRRR-MM-DD.ROZ, z tymi samymi zasadami: każda\n"
     "nazwa sprawdzona przed zapisem, nazwy dopiero dla całych plików. Na koniec na stdout\n"
     "idzie podsumowanie: zapisane pliki, a potem wiersze stravener summary.",
     "Reads every 16-byte record of FILE.bin as the logger stores it (layout 2 unless\n"
     "--layout 1) and writes one point for each: an OziExplorer PLT line, a GPX 1.1 track\n"
     "point or a KML 2.2 gx:Track point, by the output's extension or --format; .svg draws\n"
     "the track, its altitude profile and its summary as an SVG picture. The event\n"
     "log goes to stderr. The status is 0 only when the whole file was converted. The\n"
     "output gets its name only as a whole file: after a failure the points written\n"
     "before it are kept as NAME.partial.EXT (NAME.partial-2.EXT, ... when taken; a GPX or\n"
     "KML file still closed) and an existing output stays as it was; with --force it is\n"
     "replaced, keeping its permissions. With --skip-invalid an invalid record is left out\n"
     "and counted instead. A PLT, GPX, KML or SVG file given as FILE.bin is refused. With\n"
     "--split day each day of the points (in the computer's local time zone, TZ) gets a\n"
     "file of its own, NAME-YYYY-MM-DD.EXT, by the same rules: every name checked before\n"
     "anything is written, names only for whole files. At the end the summary goes to\n"
     "stdout: the files written, then the lines of stravener summary."},
    {kOutputOption, kFormatOption, kLayoutOption, kSkipInvalidOption, kSplitOption, kForceOption},
    1,
    1,
    RunConvert};

STRAVENER_REGISTER_COMMAND(kConvertCommand);

}  // namespace
}  // namespace stravener::cli
