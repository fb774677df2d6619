#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "track/track_record.h"

namespace stravener {

// The mean radius of the Earth, of the sphere distances are measured on.
constexpr double kEarthRadiusKm = 6371.0088;

// The great-circle distance between two positions (decimal degrees) on that sphere, in
// kilometres. Longitudes on both sides of the antimeridian are as near as they are.
double GreatCircleKm(double latitude1, double longitude1, double latitude2, double longitude2);

// The figures of a track, gathered point by point from the record loop (TrackRecordLoop):
// the points a track file gets, its segments, its first and last time, the distance along
// each segment, the altitudes and the calendar days. Its memory does not grow with the
// track.
class TrackSummary {
 public:
  TrackSummary();

  // A point handed on by the record loop; segmentStart as the loop gives it.
  void AddPoint(const TrackPoint& point, bool segmentStart);
  // A record the loop left out.
  void AddLeftOut() { ++leftOut_; }

  uint32_t Points() const { return points_; }
  uint32_t Segments() const { return segments_; }
  uint32_t LeftOut() const { return leftOut_; }
  // The earliest and the latest stamp among the points (all zero without points).
  const TrackStamp& Start() const { return start_; }
  const TrackStamp& End() const { return end_; }
  // Seconds from Start to End.
  int64_t DurationSeconds() const;
  // The sum of the great-circle distances between consecutive points of each segment; the
  // way from one segment to the next adds nothing.
  double DistanceKm() const { return distanceKm_; }
  int32_t LowestAltitude() const { return lowest_; }
  int32_t HighestAltitude() const { return highest_; }
  // The calendar days of the points' stamps, as the track files show them, in order
  // (hour, minute and second zero).
  std::vector<TrackStamp> Days() const;

 private:
  uint32_t points_ = 0;
  uint32_t segments_ = 0;
  uint32_t leftOut_ = 0;
  TrackStamp start_;
  TrackStamp end_;
  int64_t startSeconds_ = 0;
  int64_t endSeconds_ = 0;
  double distanceKm_ = 0;
  double lastLatitude_ = 0;
  double lastLongitude_ = 0;
  int32_t lowest_ = 0;
  int32_t highest_ = 0;
  // One bit for each date a valid point can carry: year field, month 1-12, day 1-31.
  std::vector<bool> days_;
};

// The summary's lines in the current language, without line ends: "Points: 5000",
// "Segments: 3", "Start: 2026-06-20 06:00:00", "End: ...", "Duration: 2:46:38",
// "Distance: 42.31 km", "Altitude: 96 to 312 m", "Days: 2026-06-20", and with
// withLeftOut "Left out: N". A summary without points has the first two lines only. The
// command line prints them, a desktop program adds them to its event log, a picture shows
// them.
std::vector<std::string> TrackSummaryLines(const TrackSummary& summary, bool withLeftOut);

}  // namespace stravener
