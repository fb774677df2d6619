#include "track/written_track.h"

#include "app/format.h"
#include "app/language.h"

namespace stravener {

std::vector<std::string> WrittenTrackLines(const WrittenTrack& written) {
  std::vector<std::string> lines;
  if (!written.path.empty()) lines.push_back(FORMAT_PAIR("Plik: %s", "File: %s", written.path.c_str()));
  for (const DayFile& file : written.dayFiles) {
    // The days of the files are the user's local days; the summary's times are those the
    // files hold (UTC), so its days may differ from them near midnight.
    lines.push_back(FORMAT_PAIR("Dzień %04d-%02d-%02d (czas lokalny): %s, punkty: %u",
                                "Day %04d-%02d-%02d (local time): %s, points: %u", file.day.year, file.day.month,
                                file.day.day, file.path.c_str(), file.points));
  }
  if (!written.rawCopy.empty()) {
    lines.push_back(FORMAT_PAIR("Surowa kopia: %s", "Raw copy: %s", written.rawCopy.c_str()));
  }
  for (std::string& line : TrackSummaryLines(written.summary, written.withLeftOut)) lines.push_back(std::move(line));
  if (written.endingRecord != 0) {
    lines.push_back(FORMAT_PAIR("Rekord %u nie jest prawidłowym punktem; plik śladu z tej pamięci kończy się przed nim.",
                                "Record %u is not a valid point; a track file of this memory ends before it.",
                                written.endingRecord));
  }
  return lines;
}

}  // namespace stravener
