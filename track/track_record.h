#pragma once

#include <cstdint>

namespace stravener {

// The date and time of a point: year minus 2000 (years 2000 to 2255), month 1-12, day 1-31,
// hour, minute, second. Every date computation reads the year as 2000 plus the year field.
struct TrackStamp {
  uint8_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;

  friend bool operator==(const TrackStamp&, const TrackStamp&) = default;
};

// One decoded 16-byte track record.
struct TrackPoint {
  double latitude = 0;   // decimal degrees, negative = south
  double longitude = 0;  // decimal degrees, negative = west
  TrackStamp stamp;
  int32_t altitude = 0;  // metres
  uint8_t satellites = 0;
  uint8_t hdop = 0;  // tenths
  bool fix3d = false;
  bool segmentStart = false;  // layout 2 only; layout 1 records carry no such bit
};

// The size of one track record in either layout.
constexpr int kTrackRecordSize = 16;

// Decodes a 16-byte record of layout 1 (calendar date and time, degrees and minutes) or
// layout 2 (GPS second count, coordinates in units of 180/2^31 degree). Any other layout
// number gives a point with an all-zero stamp, which IsValidTrackPoint rejects.
TrackPoint DecodeTrackRecord(const uint8_t* record, int layout);

// The validity rule every decoded point must pass: day 1-31, month 1-12, hour 0-23,
// minute 0-59, second 0-59, latitude within ±90 and longitude within ±180 degrees.
bool IsValidTrackPoint(const TrackPoint& point);

// The calendar stamp of a layout-2 time count (seconds since 1980-01-06 00:00:00 on the GPS
// time scale, no leap seconds). The count wraps modulo 2^32 once moved to 1980-01-01.
TrackStamp StampFromGpsSeconds(uint32_t seconds);

// Whole seconds from 1899-12-30 00:00:00 to the stamp, by the proleptic Gregorian
// calendar. A day that does not exist in its month (30 February) counts its surplus days
// into the next month (2 March), as does any other field beyond its range.
int64_t StampSeconds(const TrackStamp& stamp);

// Days since 1899-12-30 00:00:00, the time of day as the fraction.
double DayNumber(const TrackStamp& stamp);

// Whole seconds from the first stamp to the second, positive when the second is later.
// Differences beyond the 32-bit range (more than 68 years) are held at its ends.
int32_t SecondsBetween(const TrackStamp& first, const TrackStamp& second);

// Whether a point begins a new track segment: the first point of a file always does; after
// it, a layout-2 point when its record's segment bit is set, a layout-1 point when more than
// 119 seconds lie between it and the previous point written, in either direction.
bool StartsNewSegment(int layout, bool firstPoint, const TrackStamp& previous, const TrackPoint& point);

}  // namespace stravener
