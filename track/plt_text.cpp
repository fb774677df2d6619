#include "track/plt_text.h"

#include "app/format.h"
#include "app/language.h"
#include "track/track_text_format.h"

namespace stravener {

namespace {

// Month abbreviations as 4-byte slots, Polish row first.
constexpr char kMonthNames[2][12][4] = {
    {"sty", "lut", "mar", "kwi", "maj", "cze", "lip", "sie", "wrz", "paz", "lis", "gru"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
};

constexpr double kFeetPerMetre = 3.2808399;

class PltTextFormat : public TrackTextFormat {
 public:
  void Begin(TrackOutput& out, const std::string& trackName, uint32_t pointCount) override {
    out.Append(PltHeaderText(trackName, pointCount));
  }
  void Point(TrackOutput& out, const TrackPoint& point, bool segmentStart) override {
    TextLine line;
    WritePltPoint(line, point, segmentStart);
    out.Append(line.data(), line.size());
  }
  void End(TrackOutput&) override {}
};

}  // namespace

std::string PltHeaderText(const std::string& trackName, uint32_t pointCount) {
  return FormatText(
      "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
      "0,2,%d,%s,1,0,2,8421376\r\n%u\r\n",
      kPltTrackColour, trackName.c_str(), pointCount);
}

void WritePltPoint(TextLine& line, const TrackPoint& point, bool segmentStart) {
  const TrackStamp& s = point.stamp;
  const int feet = static_cast<int>(point.altitude * kFeetPerMetre);
  const char* month = kMonthNames[Language == kPolish ? 0 : 1][s.month - 1];
  line.Fixed(point.latitude, 6).Char(',').Fixed(point.longitude, 6).Char(',');
  line.Char(segmentStart ? '1' : '0').Char(',').Int(feet).Char(',');
  line.Fixed(DayNumber(s), 7).Char(',');
  line.TwoDigits(s.day).Char('-').Text(month).Char('-').TwoDigits(s.year).Char(',');
  line.TwoDigits(s.hour).Char(':').TwoDigits(s.minute).Char(':').TwoDigits(s.second).Char(',');
  line.Int(point.satellites).Char(',').Int(point.hdop / 10).Char('.').Int(point.hdop % 10).Char(',');
  line.Text(point.fix3d ? "3D\r\n" : "2D\r\n");
}

std::unique_ptr<TrackTextFormat> MakePltTextFormat() { return std::make_unique<PltTextFormat>(); }

}  // namespace stravener
