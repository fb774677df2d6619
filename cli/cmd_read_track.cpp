// stravener read-track: downloads the logger's track into a PLT, GPX or KML file, an SVG
// picture or a raw binary file.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/format.h"
#include "app/language.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/command_files.h"
#include "cli/port_session.h"
#include "cli/track_file_options.h"
#include "logger/erase_track_memory.h"
#include "logger/logger_info.h"
#include "logger/track_download.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "track/track_file_replacement.h"

namespace stravener::cli {
namespace {

// -o lists the extensions of the track formats.
constexpr auto kOutputHelpPolish =
    ComposeText<[](TextSink& s) { WriteOutputHelpPolish(s, "plik", "pamięć"); }>();
constexpr auto kOutputHelpEnglish =
    ComposeText<[](TextSink& s) { WriteOutputHelpEnglish(s, "file", "memory"); }>();
const OptionSpec kOutputOption{"--output", "-o", "FILE", {kOutputHelpPolish.text, kOutputHelpEnglish.text}};
const OptionSpec kKeepRawOption{"--keep-raw", nullptr, nullptr,
                                {"zapisz też pamięć bez zmian jako NAZWA.bin obok pliku śladu NAZWA.ROZ",
                                 "also save the memory unchanged as NAME.bin beside a track file NAME.EXT"}};
const OptionSpec kEraseAfterOption{"--erase-after", nullptr, nullptr,
                                   {"WYCZYŚĆ pamięć śladu rejestratora, gdy cały ślad jest zapisany",
                                    "ERASE the logger's track memory once the whole track is saved"}};

// Whether the file at the path is a regular file (not a device or a pipe, which keep
// nothing) of exactly `bytes` bytes, or of any length but 0 when `bytes` is unset.
bool SavedWhole(const std::string& path, std::optional<uint32_t> bytes) {
  if (KindOfPath(path) != PathKind::RegularFile) return false;
  File file;
  uint64_t size = 0;
  if (file.OpenForReading(path) != 0 || file.Size(size) != 0) return false;
  return bytes ? size == *bytes : size > 0;
}

// Erases the track just saved, without a second question, unless the logger has stored
// more since, or the saved track is not all on disk: records left out of a track file
// without a raw copy, or a memory image that is not under its name with the used bytes'
// length (written to a device, or changed since).
OperationResult EraseSavedTrack(PortConnection& connection, CliHost& host, const TrackReadSummary& saved) {
  // Records left out of the track file would be gone for good; only a raw copy keeps them.
  if (saved.recordsLeftOut > 0 && !saved.raw && !saved.rawCopy) {
    LOG_TEXT(host.Log(), LogKind::Error,
             "Pominięto rekordy śladu; pamięć śladu nie została wyczyszczona (zapisz ją opcją --keep-raw).",
             "Records were left out of the track file; the track memory was not erased (save it with --keep-raw).");
    return OperationResult::Failed;
  }
  // What the erase must not outlive: the raw file, with the used bytes' length; else every
  // track file (each day's of a split), and the raw copy when there is one.
  std::vector<std::pair<std::string, std::optional<uint32_t>>> kept;
  if (saved.raw) {
    kept.emplace_back(saved.path, saved.bytes);
  } else if (saved.splitByDay) {
    for (const DayFile& day : saved.written.dayFiles) kept.emplace_back(day.path, std::nullopt);
  } else {
    kept.emplace_back(saved.path, std::nullopt);
  }
  if (saved.rawCopy) kept.emplace_back(RawCopyPath(saved.path), saved.bytes);
  for (const auto& [path, bytes] : kept) {
    if (SavedWhole(path, bytes)) continue;
    LOG_TEXT(host.Log(), LogKind::Error,
             "Plik %s nie zawiera całego śladu; pamięć śladu nie została wyczyszczona.",
             "%s does not hold the whole track; the track memory was not erased.", path.c_str());
    return OperationResult::Failed;
  }
  LoggerInfo info;
  if (ReadLoggerInfo(connection, host.GetClock(), info) != 0) return OperationResult::Failed;
  if (info.UsedBytes() != saved.bytes) {
    LOG_TEXT(host.Log(), LogKind::Error,
             "Logger zapisał nowe punkty od odczytu śladu; pamięć śladu nie została wyczyszczona.",
             "The logger has stored new points since the track was read; its track memory was not erased.");
    return OperationResult::Failed;
  }
  // The download was the question: no other is asked.
  return EraseTrackMemory(connection, host);
}

int RunReadTrack(Invocation& invocation) {
  TrackReadOptions options;
  CommandFiles files;
  if (const int usage = ApplyTrackFileOptions(invocation, files, options.format); usage != 0) return usage;
  options.skipInvalid = invocation.Has(kSkipInvalidOption.name);
  options.keepRaw = invocation.Has(kKeepRawOption.name);
  if (const int usage = ApplySplitOption(invocation, files, options.format, options.splitByDay); usage != 0) {
    return usage;
  }
  if (options.keepRaw) {
    // The raw copy is refused or replaced as the track file is.
    files.companions = [format = options.format](const std::string& path) {
      const bool raw = (format ? *format : TrackFileFormatFor(path)) == TrackFileFormat::Raw;
      return raw ? std::vector<std::string>{} : std::vector<std::string>{RawCopyPath(path)};
    };
  }
  const bool eraseAfter = invocation.Has(kEraseAfterOption.name);
  return RunOnPort(
      invocation,
      [eraseAfter, &options, &files](PortConnection& connection, CliHost& cliHost) {
        // The information request and its checks, then the output, then the download.
        const TrackReadStart start = PrepareTrackRead(connection, cliHost);
        if (start.result == OperationResult::Stopped) cliHost.ShowNotice(start.notice);
        if (start.result != OperationResult::Done) return ExitStatus(start.result);
        const std::optional<std::string> path = files.ChooseOutput(cliHost.Log());
        if (!path) return ExitStatus(OperationResult::Cancelled);
        TrackReadOptions read = options;
        // The day files of a split are checked as the output is, once they are known.
        read.approveDayFiles = [&](const std::vector<std::string>& days) {
          return files.ApproveDayFiles(cliHost.Log(), days);
        };
        TrackReadSummary summary;
        const OperationResult result = ReadTrack(connection, cliHost, start.info, *path, &summary, read);
        if (result != OperationResult::Done) return ExitStatus(result);
        PrintWrittenTrack(summary.written);
        if (!eraseAfter) return kExitOk;
        return ExitStatus(EraseSavedTrack(connection, cliHost, summary));
      },
      &files);
}

const Command kReadTrackCommand{
    "read-track",
    "",
    {"odczytaj ślad z rejestratora do pliku PLT, GPX lub KML, obrazu SVG albo surowego pliku binarnego",
     "download the logger's track into a PLT, GPX or KML file, an SVG picture or a raw binary file"},
    {"Odczytuje całą zajętą pamięć śladu z ograniczeniem prędkości i zapisuje ją wg\n"
     "rozszerzenia nazwy (wielkość liter bez znaczenia) albo --format: .plt jako plik PLT\n"
     "OziExplorera, .gpx jako plik GPX 1.1, .kml jako plik KML 2.2 dla Google Earth, .svg\n"
     "jako obraz śladu z profilem wysokości i podsumowaniem; każda inna nazwa dostaje pamięć\n"
     "bez zmian (binarny plik śladu, który czyta potem stravener convert).\n"
     "Plik dostaje swoją nazwę dopiero z całym śladem: po nieudanym lub przerwanym odczycie\n"
     "to, co nadeszło, zostaje jako NAZWA.partial.ROZ (NAZWA.partial-2.ROZ, ... gdy ta nazwa\n"
     "jest zajęta), a istniejący plik zostaje taki, jaki był. Istniejący plik jest\n"
     "zastępowany tylko z --force, z zachowaniem jego uprawnień. --keep-raw zapisuje też\n"
     "pamięć bez zmian jako NAZWA.bin; z --skip-invalid rekord, który nie jest prawidłowym\n"
     "punktem, jest pomijany i liczony. Dziennik zdarzeń i pasek postępu idą na stderr.\n"
     "Z --erase-after pamięć śladu rejestratora jest czyszczona, bez dodatkowego pytania,\n"
     "gdy cały ślad jest już w pliku pod jego nazwą (obraz pamięci o długości zajętej\n"
     "pamięci), chyba że rejestrator zapisał w tym czasie nowe punkty albo --skip-invalid\n"
     "pominęło w nim rekordy bez --keep-raw.\n"
     "Z --split day każdy dzień punktów (wg lokalnej strefy czasowej komputera, TZ) dostaje\n"
     "własny plik śladu NAZWA-RRRR-MM-DD.ROZ; czasy w plikach się nie zmieniają. Pamięć\n"
     "trafia najpierw do NAZWA.bin (zostaje z --keep-raw), z którego po odczycie powstają\n"
     "pliki dni: każda nazwa jest sprawdzana, zanim cokolwiek zostanie zapisane, a pliki\n"
     "dostają nazwy dopiero wszystkie w całości. Na koniec na stdout idzie podsumowanie:\n"
     "zapisane pliki (z --split day każdy ze swoim dniem i punktami), a potem wiersze\n"
     "stravener summary.\n"
     "Kod wyjścia 0, gdy ślad zapisano (i wyczyszczono, z --erase-after); 1, gdy nie,\n"
     "także gdy pamięć śladu jest pusta (\"Pamięć śladu jest czysta.\"), gdy oprogramowanie\n"
     "rejestratora jest nieznane i gdy plik wyjściowy istnieje.",
     "Reads the whole used track memory at the speed limit and saves it by the name's\n"
     "extension (any letter case) or --format: .plt an OziExplorer PLT file, .gpx a GPX 1.1\n"
     "file, .kml a KML 2.2 file for Google Earth, .svg a picture of the track with its\n"
     "altitude profile and summary; any other name gets the memory unchanged\n"
     "(a binary track file, which stravener convert reads later).\n"
     "The file gets its name only once the whole track is in it: after a failed or stopped\n"
     "download what came is kept as NAME.partial.EXT (NAME.partial-2.EXT, ... when taken)\n"
     "and an existing file stays as it was. An existing file is replaced only with --force,\n"
     "keeping its permissions. --keep-raw also saves the memory unchanged as NAME.bin; with\n"
     "--skip-invalid a record that is not a valid point is left out and counted. The\n"
     "event log and a progress bar go to stderr.\n"
     "With --erase-after the logger's track memory is erased, without a further question,\n"
     "once the whole track is in the file under its name (a memory image of the used\n"
     "memory's length), unless the logger stored new points meanwhile or --skip-invalid\n"
     "left records out of it without --keep-raw.\n"
     "With --split day each day of the points (in the computer's local time zone, TZ)\n"
     "gets a track file of its own, NAME-YYYY-MM-DD.EXT; the times in the files stay as they\n"
     "are. The memory goes first to NAME.bin (kept with --keep-raw), from which the day\n"
     "files are made after the download: every name is checked before anything is\n"
     "written, and the files take their names only once all are whole. At the end the\n"
     "summary goes to stdout: the files written (with --split day each with its day and\n"
     "points), then the lines of stravener summary.\n"
     "Exit status 0 when the track was saved (and erased, with --erase-after); 1 when it\n"
     "was not, including when the track memory is empty (\"The track memory is clear.\"),\n"
     "when the logger's firmware is not known, and when the output file exists."},
    {kOutputOption, kFormatOption, kSkipInvalidOption, kSplitOption, kKeepRawOption, kForceOption, kEraseAfterOption,
     kPortOption,
     kMaxSpeedOption, kTraceOption},
    0,
    0,
    RunReadTrack};

STRAVENER_REGISTER_COMMAND(kReadTrackCommand);

}  // namespace
}  // namespace stravener::cli
