// Track records of any content decoded and written as PLT lines.
//
// Input: flags (bit 0 Polish), the layout number (a signed byte: 1 and 2 are the logger's,
// anything else must be refused), a chunk that is the output path the track name is made
// from, then 16-byte records, written as one PLT run until the first refusal.
//
// Promises checked: a record is written exactly when its point passes the validity rule;
// the file holds the header and one line for each point accepted; every point line is
// printable ASCII with its 10 comma-separated fields; the track name holds only graphic ASCII without a
// comma; the calendar of a layout-2 time count agrees with the simulated logger's own
// calendar; the seconds between two stamps agree with their second counts.

#include <cmath>
#include <limits>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "platform/file.h"
#include "sim/synthetic_track.h"
#include "track/track_name.h"
#include "track/track_record.h"
#include "track/track_writer.h"

using namespace stravener;
using namespace stravener::fuzz;

namespace {

void CheckLayout2Calendar(const uint8_t* record, const TrackPoint& point) {
  const uint32_t seconds =
      (uint32_t{record[2]} << 24) | (uint32_t{record[3]} << 16) | (uint32_t{record[4]} << 8) | uint32_t{record[5]};
  // The simulator's calendar does not wrap; past the wrap the stamp starts again in 1980.
  if (seconds > std::numeric_limits<uint32_t>::max() - 432000u) return;
  const sim::CivilTime civil = sim::CivilFromGpsSeconds(seconds);
  const TrackStamp& s = point.stamp;
  FUZZ_CHECK(s.year == static_cast<uint8_t>((civil.year - 2000) & 0xFF), "year");
  FUZZ_CHECK(s.month == civil.month && s.day == civil.day, "date");
  FUZZ_CHECK(s.hour == civil.hour && s.minute == civil.minute && s.second == civil.second, "time");
}

void CheckPointLine(const std::string& line) {
  int commas = 0;
  for (const char c : line) {
    FUZZ_CHECK(c >= 0x20 && c <= 0x7E, "a point line with a byte outside printable ASCII");
    commas += c == ',';
  }
  FUZZ_CHECK(commas == 9, "a point line with " + std::to_string(commas + 1) + " fields: " + line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  Language = (in.Byte() & 1) != 0 ? kPolish : kEnglish;
  const int layout = static_cast<int8_t>(in.Byte());
  const std::string path = in.Text(in.Byte());

  const std::string name = MakeTrackName(path);
  FUZZ_CHECK(name.size() <= path.size(), "track name longer than the path");
  for (const char c : name) FUZZ_CHECK(c >= 0x21 && c <= 0x7E && c != ',', "track name byte");

  const std::string output = FuzzFile("points.plt");
  File file;
  FUZZ_CHECK(file.Create(output) == 0, "cannot create " + output);
  EventLog log;
  TrackWriterOptions options;
  options.layout = layout;
  options.pointCount = static_cast<uint32_t>(size / 16);
  TrackWriter writer(log, file, path, options);
  size_t accepted = 0;
  TrackStamp previous;
  std::vector<std::string> lines;
  bool refused = false;
  while (in.Remaining() >= 16) {
    const std::vector<uint8_t> record = in.Bytes(16);
    const TrackPoint point = DecodeTrackRecord(record.data(), layout);
    const bool valid = IsValidTrackPoint(point);
    if (layout == 2) CheckLayout2Calendar(record.data(), point);
    if (layout != 1 && layout != 2) FUZZ_CHECK(!valid, "a record of an unknown layout passed");
    if (valid) {
      FUZZ_CHECK(point.stamp.month >= 1 && point.stamp.month <= 12, "month");
      FUZZ_CHECK(std::isfinite(DayNumber(point.stamp)), "day number");
      const int64_t difference = StampSeconds(point.stamp) - StampSeconds(previous);
      const int32_t between = SecondsBetween(previous, point.stamp);
      if (difference >= std::numeric_limits<int32_t>::min() && difference <= std::numeric_limits<int32_t>::max()) {
        FUZZ_CHECK(between == difference, "seconds between");
      }
    }

    const bool written = writer.Write(record.data());
    if (!valid) {
      FUZZ_CHECK(!written, "an invalid point was written");
      FUZZ_CHECK(!log.Entries().empty() && log.Entries().back().kind == LogKind::Error, "refusal not logged");
      refused = true;
      break;
    }
    FUZZ_CHECK(written, "a valid point was refused");
    ++accepted;
    previous = point.stamp;
  }
  // A refused record ends the run as a failure; the file is whole all the same.
  FUZZ_CHECK(writer.End() == !refused, refused ? "a refused run ended as a success" : "the end of the run failed");
  FUZZ_CHECK(file.Close() == 0, "close");

  const std::vector<uint8_t> written = ReadFileBytes(output);
  const std::string text(written.begin(), written.end());
  size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos, "a line without CR LF");
    if (++lineNumber > 6) CheckPointLine(text.substr(start, end - start));
    start = end + 2;
  }
  FUZZ_CHECK(static_cast<size_t>(lineNumber) == 6 + accepted, "lines in the file differ from the points accepted");
  return 0;
}
