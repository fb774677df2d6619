#include "track/plt_writer.h"

#include <cstdlib>

#include "app/format.h"
#include "app/language.h"
#include "platform/system_error.h"

namespace stravener {

namespace {

// The stamp of the last point written, shared by all calls of one file's run.
TrackStamp previousStamp;

// Month abbreviations as 4-byte slots, Polish row first.
constexpr char kMonthNames[2][12][4] = {
    {"sty", "lut", "mar", "kwi", "maj", "cze", "lip", "sie", "wrz", "paz", "lis", "gru"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
};

constexpr double kFeetPerMetre = 3.2808399;

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The length of the UTF-8 sequence a lead byte begins (1 for a byte that begins none).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Writes the whole text in one write. On failure logs it when asked and returns false.
bool WriteWhole(EventLog& log, File& file, const std::string& text, bool reportFlag) {
  size_t written = 0;
  uint32_t code = file.Write(text.data(), text.size(), written);
  if (code == 0 && written != text.size()) code = LastSystemError();
  if (code == 0 && written == text.size()) return true;
  if (reportFlag) {
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x zapisu do pliku śladu.", "Error 0x%x writing track file.", code);
    log.LogSystemError(LogKind::Error, code);
  }
  return false;
}

}  // namespace

std::string MakeTrackName(const std::string& outputPath) {
  std::string name = outputPath;
  if (const size_t separator = name.rfind(kPathSeparator); separator != std::string::npos) {
    name.erase(0, separator + 1);
  }
  if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);

  std::string clean;
  clean.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x21 && byte <= 0x7E && byte != ',') {
      clean.push_back(static_cast<char>(byte));
      ++i;
      continue;
    }
    clean.push_back('_');
    // A letter such as "ł" is one character however many bytes it takes.
    size_t length = byte >= 0x80 ? SequenceLength(byte) : 1;
    size_t next = i + 1;
    while (next < name.size() && next < i + length && IsContinuation(static_cast<unsigned char>(name[next]))) ++next;
    i = next;
  }
  return clean;
}

TrackStamp PreviousPltStamp() { return previousStamp; }

int32_t WritePltHeader(EventLog& log, File& file, const std::string& outputPath, bool reportFlag, uint32_t pointCount) {
  previousStamp = TrackStamp{};
  const std::string header = FormatText(
      "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
      "0,2,%d,%s,1,0,2,8421376\r\n%u\r\n",
      kPltTrackColour, MakeTrackName(outputPath).c_str(), pointCount);
  if (!WriteWhole(log, file, header, reportFlag)) return -1;
  return static_cast<int32_t>(header.size());
}

int32_t WritePltPoint(EventLog& log, File& file, const std::string& outputPath, int layout, const uint8_t* record,
                      bool firstPoint, bool reportFlag, uint32_t pointCount) {
  int32_t headerBytes = 0;
  if (firstPoint) {
    headerBytes = WritePltHeader(log, file, outputPath, reportFlag, pointCount);
    if (headerBytes == -1) return -1;
  }

  const TrackPoint point = DecodeTrackRecord(record, layout);
  if (!IsValidTrackPoint(point)) {
    LOG_TEXT(log, LogKind::Error, "Błąd zawartości pamięci śladu.", "Error in track memory contents.");
    return -1;
  }

  const int feet = static_cast<int>(point.altitude * kFeetPerMetre);
  const double dayNumber = DayNumber(point.stamp);
  int segment = 0;
  if (firstPoint) {
    segment = 1;
  } else if (layout == 1) {
    segment = std::llabs(static_cast<long long>(SecondsBetween(previousStamp, point.stamp))) > 119 ? 1 : 0;
  } else {
    segment = point.segmentStart ? 1 : 0;
  }

  const TrackStamp& s = point.stamp;
  const char* month = kMonthNames[Language == kPolish ? 0 : 1][s.month - 1];
  const std::string line =
      FormatText("%4.6f,%4.6f,%d,%d,%5.7f,%02d-%s-%02d,%02d:%02d:%02d,%d,%d.%d,%s\r\n", point.latitude,
                 point.longitude, segment, feet, dayNumber, s.day, month, s.year, s.hour, s.minute, s.second,
                 point.satellites, point.hdop / 10, point.hdop % 10, point.fix3d ? "3D" : "2D");
  if (!WriteWhole(log, file, line, reportFlag)) return -1;

  previousStamp = point.stamp;
  return headerBytes + static_cast<int32_t>(line.size());
}

}  // namespace stravener
