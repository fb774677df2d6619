#pragma once

#include <optional>
#include <string_view>

#include "cli/command.h"
#include "cli/command_files.h"
#include "cli/composed_text.h"
#include "track/track_file_format.h"
#include "track/written_track.h"

namespace stravener::cli {

// Pieces of the help texts, from the track formats' entries (in their order).
// Each entry's `Member` (an extension or a help text), `before` each, the entries joined by
// ", " and the last one by `last`; the records unchanged too only when `withRaw`.
template <const char* TrackFileFormatEntry::*Member>
constexpr void ListTrackFormats(TextSink& sink, std::string_view before, std::string_view last, bool withRaw) {
  size_t count = 0;
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) count += withRaw || WritesText(entry);
  size_t listed = 0;
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (!withRaw && !WritesText(entry)) continue;
    if (listed > 0) sink << (listed + 1 == count ? last : ", ");
    sink << before << entry.*Member;
    ++listed;
  }
}
// The extension of the records unchanged.
constexpr std::string_view RawTrackExtension() {
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (!WritesText(entry)) return entry.extension;
  }
  return {};
}

// The -o help of a command that writes a track file: what it writes (`file`) and what any
// other extension gives (`rest`), then the formats' extensions and the default name.
constexpr void WriteOutputHelpPolish(TextSink& sink, std::string_view file, std::string_view rest) {
  sink << file << " do zapisania, w formacie wg rozszerzenia: ";
  ListTrackFormats<&TrackFileFormatEntry::extension>(sink, ".", ", ", false);
  sink << ", każde inne to " << rest
       << " bez zmian (domyślnie dzisiejszy RRRRMMDD_log.plt w bieżącym folderze; nazwa bez rozszerzenia dostaje "
          "rozszerzenie formatu)";
}
constexpr void WriteOutputHelpEnglish(TextSink& sink, std::string_view file, std::string_view rest) {
  sink << "the " << file << " to write, its format by its extension: ";
  ListTrackFormats<&TrackFileFormatEntry::extension>(sink, ".", ", ", false);
  sink << ", any other the " << rest
       << " unchanged (default: YYYYMMDD_log.plt of today, in the current folder; a name without an extension "
          "gets the format's)";
}

// The --format and --skip-invalid options of the commands that write a track file.
extern const OptionSpec kFormatOption;
extern const OptionSpec kSkipInvalidOption;
// --split day, of read-track and convert.
extern const OptionSpec kSplitOption;

// The track file options of a command (-o/--output, --force, --format) as its files: the
// output path, today's default name, whether an existing file may be replaced, and the
// extension a name without one gets (--format's, else "plt"). `format` is what --format
// names (unset without it). Returns 0, or the exit status of wrong usage after reporting it.
int ApplyTrackFileOptions(const Invocation& invocation, CommandFiles& files, std::optional<TrackFileFormat>& format);

// Reads --split: `splitByDay` is set for "day", and the files then check the day files in
// place of the output's own name (CommandFiles::ApproveDayFiles). Wrong usage, reported,
// gives its exit status: another value, or an output of the memory unchanged (by --format
// or the output's extension), which is one file whatever its days. `format` is what
// --format names. Else 0.
int ApplySplitOption(const Invocation& invocation, CommandFiles& files, const std::optional<TrackFileFormat>& format,
                     bool& splitByDay);

// The lines that end a download or a conversion (WrittenTrackLines), on stdout.
void PrintWrittenTrack(const WrittenTrack& written);

}  // namespace stravener::cli
