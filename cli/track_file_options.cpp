#include "cli/track_file_options.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/cli_host.h"
#include "cli/console_text.h"
#include "platform/clock.h"
#include "track/track_name.h"

namespace stravener::cli {

namespace {

constexpr auto kFormatWords = ComposeText<[](TextSink& s) {
  bool first = true;
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    s << (first ? "" : "|") << entry.extension;
    first = false;
  }
}>();
constexpr auto kFormatHelpPolish = ComposeText<[](TextSink& s) {
  s << "format pliku wyjściowego, bez względu na rozszerzenie: ";
  ListTrackFormats<&TrackFileFormatEntry::helpPolish>(s, "", " albo ", true);
  s << " (domyślnie wg rozszerzenia pliku wyjściowego)";
}>();
constexpr auto kFormatHelpEnglish = ComposeText<[](TextSink& s) {
  s << "the output's format, whatever its extension: ";
  ListTrackFormats<&TrackFileFormatEntry::helpEnglish>(s, "", " or ", true);
  s << " (default: by the output's extension)";
}>();
constexpr auto kSplitHelpPolish = ComposeText<[](TextSink& s) {
  s << "zapisz osobny plik śladu na każdy dzień punktów (wg lokalnej strefy czasowej, TZ): NAZWA-RRRR-MM-DD.ROZ "
       "obok NAZWA.ROZ; nie dla pamięci bez zmian (."
    << RawTrackExtension() << ")";
}>();
constexpr auto kSplitHelpEnglish = ComposeText<[](TextSink& s) {
  s << "write a track file for each day of the points (in the local time zone, TZ): NAME-YYYY-MM-DD.EXT beside "
       "NAME.EXT; not for the memory unchanged (."
    << RawTrackExtension() << ")";
}>();

// A runtime list of the same pieces.
template <const char* TrackFileFormatEntry::*Member>
std::string TrackFormatList(std::string_view before, std::string_view last, bool withRaw) {
  const auto size = [&] {
    TextSink counter(nullptr);
    ListTrackFormats<Member>(counter, before, last, withRaw);
    return counter.Size();
  }();
  std::string list(size, '\0');
  TextSink sink(list.data());
  ListTrackFormats<Member>(sink, before, last, withRaw);
  return list;
}

}  // namespace

const OptionSpec kFormatOption{"--format", nullptr, kFormatWords.text,
                               {kFormatHelpPolish.text, kFormatHelpEnglish.text}};

const OptionSpec kSkipInvalidOption{"--skip-invalid", nullptr, nullptr,
                                    {"pomiń rekord, który nie jest prawidłowym punktem, policz go i idź dalej; "
                                     "następny punkt zaczyna nowy segment (domyślnie pierwszy taki kończy plik)",
                                     "leave a record that is not a valid point out, count it and go on, the next "
                                     "point starting a new segment (default: the first one ends the file)"}};

const OptionSpec kSplitOption{"--split", nullptr, "day", {kSplitHelpPolish.text, kSplitHelpEnglish.text}};

int ApplyTrackFileOptions(const Invocation& invocation, CommandFiles& files, std::optional<TrackFileFormat>& format) {
  if (auto output = invocation.Value("--output")) {
    if (output->empty()) return UsageError(invocation.Command(), "--output takes a file name");
    files.output = *output;
  }
  files.defaultOutputName = DefaultTrackName(invocation.Host().GetClock().Today());
  files.outputExtension = "plt";
  files.force = invocation.Has(kForceOption.name);
  format.reset();
  if (auto name = invocation.Value(kFormatOption.name)) {
    format = TrackFileFormatNamed(*name);
    if (!format) {
      return UsageError(invocation.Command(),
                        "--format takes " + TrackFormatList<&TrackFileFormatEntry::extension>("", " or ", true));
    }
    files.outputExtension = TrackFileFormatExtension(*format);
  }
  return 0;
}

int ApplySplitOption(const Invocation& invocation, CommandFiles& files, const std::optional<TrackFileFormat>& format,
                     bool& splitByDay) {
  splitByDay = false;
  const std::optional<std::string> split = invocation.Value(kSplitOption.name);
  if (!split) return 0;
  if (*split != "day") return UsageError(invocation.Command(), "--split takes day");
  // The output's format as the command will choose it: --format, else the extension of -o
  // (a name without one gets ".plt"), else the default name's ".plt".
  const std::optional<std::string> output = invocation.Value("--output");
  const TrackFileFormat chosen =
      format ? *format : output ? TrackFileFormatFor(WithDefaultExtension(*output, "plt")) : TrackFileFormat::Plt;
  if (chosen == TrackFileFormat::Raw) {
    return UsageError(invocation.Command(),
                      "--split day writes track files (" +
                          TrackFormatList<&TrackFileFormatEntry::extension>(".", ", ", false) +
                          "); the memory unchanged (." + std::string(RawTrackExtension()) + ") stays one file");
  }
  splitByDay = true;
  files.splitByDay = true;
  return 0;
}

void PrintWrittenTrack(const WrittenTrack& written) {
  for (const std::string& line : WrittenTrackLines(written)) PrintText(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace stravener::cli
