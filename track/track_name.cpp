#include "track/plt_writer.h"

#include "app/format.h"
#include "app/language.h"
#include "platform/system_error.h"
#include "track/plt_text.h"
#include "track/text_line.h"
#include "track/track_output.h"

namespace stravener {

namespace {

// The stamp of the last point written, shared by all calls of one file's run.
TrackStamp previousStamp;

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
bool WriteWhole(EventLog& log, File& file, const char* text, size_t size, bool reportFlag) {
  size_t written = 0;
  uint32_t code = file.Write(text, size, written);
  if (code == 0 && written == size) return true;
  if (code == 0) code = LastSystemError();
  if (reportFlag) ReportTrackWriteFailure(log, code);
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

int32_t WritePltPoint(EventLog& log, File& file, const std::string& outputPath, int layout, const uint8_t* record,
                      bool firstPoint, bool reportFlag, uint32_t pointCount) {
  int32_t headerBytes = 0;
  if (firstPoint) {
    previousStamp = TrackStamp{};
    const std::string header = PltHeaderText(MakeTrackName(outputPath), pointCount);
    if (!WriteWhole(log, file, header.data(), header.size(), reportFlag)) return -1;
    headerBytes = static_cast<int32_t>(header.size());
  }

  const TrackPoint point = DecodeTrackRecord(record, layout);
  if (!IsValidTrackPoint(point)) {
    LOG_TEXT(log, LogKind::Error, "Błąd zawartości pamięci śladu.", "Error in track memory contents.");
    return -1;
  }

  TextLine line;
  FormatPltLine(line, point, StartsNewSegment(layout, firstPoint, previousStamp, point));
  if (!WriteWhole(log, file, line.data(), line.size(), reportFlag)) return -1;

  previousStamp = point.stamp;
  return headerBytes + static_cast<int32_t>(line.size());
}

}  // namespace stravener
