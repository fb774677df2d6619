#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "track/track_summary.h"

namespace stravener {

// One track file of a run split by day: the local day of its points, its path and how many
// points it holds.
struct DayFile {
  LocalDate day{};
  std::string path;
  uint32_t points = 0;
};

// What a successful download or conversion wrote, for the lines that end it.
struct WrittenTrack {
  // The file written: a track file, or the memory unchanged. Empty for a run split by day.
  std::string path;
  // The memory unchanged, saved beside the track file(s); empty without.
  std::string rawCopy;
  // The track files of a run split by day, in the order of their days.
  std::vector<DayFile> dayFiles;
  // The figures of the points the track files got; for the memory unchanged, of the points
  // a track file made from it would get.
  TrackSummary summary;
  // Records that are not valid points were left out, and counted ("Left out: N").
  bool withLeftOut = false;
  // For the memory unchanged: the record (counting from 1) that is not a valid point and
  // ends a track file made from it; 0 when none does.
  uint32_t endingRecord = 0;
};

// The lines that end a successful download or conversion, in the current language, without
// line ends: the file written ("File: %s", and "Raw copy: %s"), or for a run split by day a
// line per file ("Day 2026-06-20 (local time): %s, points: 1200"), then the summary's lines
// (TrackSummaryLines), then for the memory unchanged the record that ends a track file made
// from it. The command line prints them on stdout, the desktop programs add them to their
// event log.
std::vector<std::string> WrittenTrackLines(const WrittenTrack& written);

}  // namespace stravener
