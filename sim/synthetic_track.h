#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace stravener::sim {

// One fix as the logger stores it.
struct SyntheticPoint {
  double latitude = 0;   // decimal degrees, negative = south
  double longitude = 0;  // decimal degrees, negative = west
  int altitude = 0;      // metres
  uint32_t gpsSeconds = 0;  // seconds since 1980-01-06 00:00:00 GPS time
  uint8_t satellites = 0;   // 0-15
  uint8_t hdop = 0;         // tenths
  bool fix3d = true;
  bool segmentStart = false;
};

// The 16-byte records the logger writes. Layout 1 keeps the calendar date and an even
// second, degrees and minutes with 0.0001-minute fractions; layout 2 the GPS second count
// and the coordinates in units of 180/2^31 degree.
std::array<uint8_t, 16> EncodeLayout1(const SyntheticPoint& point);
std::array<uint8_t, 16> EncodeLayout2(const SyntheticPoint& point);

// Calendar date and time of a GPS second count (no leap seconds).
struct CivilTime {
  int year, month, day, hour, minute, second;
};
CivilTime CivilFromGpsSeconds(uint32_t gpsSeconds);
uint32_t GpsSecondsFromCivil(const CivilTime& time);

struct SyntheticTrackOptions {
  int layout = 2;          // 1 or 2
  uint32_t points = 5000;  // number of records
  uint32_t seed = 1;
  // 2026-06-20 06:00:00, GPS time.
  uint32_t startGpsSeconds = 0;
  double startLatitude = 52.2297;
  double startLongitude = 21.0122;
};

// A realistic track: a moving route at changing speeds and headings, the altitude rising
// and falling (below sea level in places), the satellites and HDOP varying, 2D fixes when
// few satellites are seen, and breaks of several minutes that start new segments. The same
// options always give the same bytes.
std::vector<uint8_t> MakeSyntheticTrack(const SyntheticTrackOptions& options);

// The points behind MakeSyntheticTrack, before encoding.
std::vector<SyntheticPoint> MakeSyntheticPoints(const SyntheticTrackOptions& options);

}  // namespace stravener::sim
