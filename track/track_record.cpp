#include "track/track_record.h"

#include <cstdlib>
#include <limits>

namespace stravener {

namespace {

// 1/60 and 180/2^31 as the logger's own firmware tools multiply by them.
constexpr double kOneSixtieth = 0.016666666666666666;
constexpr double kDegreesPerUnit = 8.381903171539307e-08;
constexpr double kDaysPerSecond = 1.1574074074074073e-05;

// Days from 1899-12-30 to 1970-01-01, and from 1970-01-01 to 1980-01-01.
constexpr int64_t kEpochDayOffset = 25569;
constexpr int64_t kDays1970To1980 = 3652;

uint16_t LittleEndian16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

uint32_t BigEndian32(const uint8_t* bytes) {
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | static_cast<uint32_t>(bytes[3]);
}

// Degrees, minutes and a 15-bit minute fraction in 0.0001 minute with a sign bit on top.
double DegreesMinutes(uint8_t degrees, uint8_t minutes, uint8_t fractionLow, uint8_t fractionHighAndSign) {
  const double fraction = (fractionHighAndSign & 0x7F) * 256.0 + fractionLow;
  const double value = (fraction * 0.0001 + minutes) * kOneSixtieth + degrees;
  return (fractionHighAndSign & 0x80) != 0 ? -value : value;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar; the month must be
// 1-12, the day may lie outside its month (it is simply counted on from the first).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + (day - 1);
}

TrackPoint DecodeLayout1(const uint8_t* r) {
  TrackPoint point;
  point.satellites = r[0] & 0x0F;
  point.fix3d = (r[0] & 0x10) != 0;
  point.hdop = r[1];
  const uint16_t date = LittleEndian16(r + 2);
  const uint16_t time = LittleEndian16(r + 4);
  point.stamp.day = static_cast<uint8_t>(date & 0x1F);
  point.stamp.month = static_cast<uint8_t>((date >> 5) & 0x0F);
  point.stamp.year = static_cast<uint8_t>((date >> 9) & 0x7F);
  point.stamp.hour = static_cast<uint8_t>(time & 0x1F);
  point.stamp.minute = static_cast<uint8_t>((time >> 5) & 0x3F);
  point.stamp.second = static_cast<uint8_t>(((time >> 11) & 0x1F) * 2);
  point.latitude = DegreesMinutes(r[6], r[7], r[8], r[9]);
  point.longitude = DegreesMinutes(r[10], r[11], r[12], r[13]);
  point.altitude = static_cast<int16_t>(LittleEndian16(r + 14));
  return point;
}

TrackPoint DecodeLayout2(const uint8_t* r) {
  TrackPoint point;
  point.stamp = StampFromGpsSeconds(BigEndian32(r + 2));
  point.latitude = static_cast<double>(static_cast<int32_t>(BigEndian32(r + 6))) * kDegreesPerUnit;
  point.longitude = static_cast<double>(static_cast<int32_t>(BigEndian32(r + 10))) * kDegreesPerUnit;
  point.altitude = static_cast<int16_t>(LittleEndian16(r + 14));
  point.segmentStart = (r[0] & 0x01) != 0;
  point.fix3d = (r[0] & 0x02) != 0;
  point.satellites = static_cast<uint8_t>(r[0] >> 4);
  point.hdop = r[1];
  return point;
}

}  // namespace

TrackPoint DecodeTrackRecord(const uint8_t* record, int layout) {
  if (layout == 1) return DecodeLayout1(record);
  if (layout == 2) return DecodeLayout2(record);
  return TrackPoint{};
}

bool IsValidTrackPoint(const TrackPoint& point) {
  const TrackStamp& s = point.stamp;
  if (s.day < 1 || s.day > 31 || s.month < 1 || s.month > 12) return false;
  if (s.hour > 23 || s.minute > 59 || s.second > 59) return false;
  // Written so that a NaN fails as well.
  if (!(point.latitude >= -90.0 && point.latitude <= 90.0)) return false;
  if (!(point.longitude >= -180.0 && point.longitude <= 180.0)) return false;
  return true;
}

TrackStamp StampFromGpsSeconds(uint32_t seconds) {
  // Five days move the origin from 1980-01-06 back to 1980-01-01; the sum wraps.
  const uint32_t t = seconds + 432000u;
  const uint32_t secondsOfDay = t % 86400u;
  TrackStamp stamp;
  stamp.hour = static_cast<uint8_t>(secondsOfDay / 3600u);
  stamp.minute = static_cast<uint8_t>((secondsOfDay % 3600u) / 60u);
  stamp.second = static_cast<uint8_t>(secondsOfDay % 60u);
  // The whole days since 1980-01-01 counted off in whole years, then whole months, of the
  // Gregorian calendar, in closed form: days since 0000-03-01, 400-year eras of 146097 days,
  // years of the era beginning in March.
  const int64_t z = static_cast<int64_t>(t / 86400u) + kDays1970To1980 + 719468;
  const int64_t era = z / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  stamp.year = static_cast<uint8_t>((year + 48) % 256);
  stamp.month = static_cast<uint8_t>(month);
  stamp.day = static_cast<uint8_t>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  return stamp;
}

int64_t StampSeconds(const TrackStamp& stamp) {
  // A month outside 1-12 (only in a point that fails the validity rule) is carried into
  // the year, so that every stamp still has a well-defined count.
  int64_t year = 2000 + static_cast<int64_t>(stamp.year);
  int64_t monthIndex = static_cast<int64_t>(stamp.month) - 1;
  year += monthIndex >= 0 ? monthIndex / 12 : -1;
  monthIndex = ((monthIndex % 12) + 12) % 12;
  const int64_t days = DaysFromCivil(year, monthIndex + 1, stamp.day) + kEpochDayOffset;
  return days * 86400 + static_cast<int64_t>(stamp.hour) * 3600 + static_cast<int64_t>(stamp.minute) * 60 +
         static_cast<int64_t>(stamp.second);
}

double DayNumber(const TrackStamp& stamp) { return static_cast<double>(StampSeconds(stamp)) * kDaysPerSecond; }

int32_t SecondsBetween(const TrackStamp& first, const TrackStamp& second) {
  const int64_t difference = StampSeconds(second) - StampSeconds(first);
  if (difference > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (difference < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(difference);
}

bool StartsNewSegment(int layout, bool firstPoint, const TrackStamp& previous, const TrackPoint& point) {
  if (firstPoint) return true;
  if (layout == 1) return std::llabs(static_cast<long long>(SecondsBetween(previous, point.stamp))) > 119;
  return point.segmentStart;
}

}  // namespace stravener
