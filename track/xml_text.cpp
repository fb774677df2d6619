#include "track/xml_text.h"

#include <cstdint>

namespace stravener {

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr int64_t kDays1899To1970 = 25569;

}  // namespace

std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

void AppendIsoTime(TextLine& line, const TrackStamp& stamp) {
  // The instant the stamp's second count gives, so that a day beyond its month (a layout-1
  // 30 February) is the day it counts into (2 March), as in the PLT file's day number. The
  // count is never negative: the years begin at 2000.
  const int64_t seconds = StampSeconds(stamp);
  const int64_t secondsOfDay = seconds % 86400;
  // The calendar date of a day count, in closed form: days since 0000-03-01, 400-year eras
  // of 146097 days, years of the era beginning in March.
  const int64_t z = seconds / 86400 - kDays1899To1970 + 719468;
  const int64_t era = z / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  const int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  line.Int(year).Char('-').TwoDigits(static_cast<unsigned>(month)).Char('-').TwoDigits(static_cast<unsigned>(day));
  line.Char('T').TwoDigits(static_cast<unsigned>(secondsOfDay / 3600)).Char(':');
  line.TwoDigits(static_cast<unsigned>(secondsOfDay % 3600 / 60)).Char(':');
  line.TwoDigits(static_cast<unsigned>(secondsOfDay % 60)).Char('Z');
}

void AppendLongitude(TextLine& line, double longitude) {
  // GPX wants a longitude below 180 degrees: 180 itself (or what rounds to it, as 2^31 - 1
  // units of layout 2 do) is the meridian of -180.
  TextLine digits;
  digits.Fixed(longitude, 6);
  line.Text(digits.View() == "180.000000" ? std::string_view("-180.000000") : digits.View());
}

}  // namespace stravener
