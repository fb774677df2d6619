#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "sim/synthetic_track.h"

using namespace stravener::sim;

TEST(SyntheticTrackTest, CivilTimeRoundTripsAcrossYearEnds) {
  EXPECT_EQ(GpsSecondsFromCivil(CivilTime{1980, 1, 6, 0, 0, 0}), 0u);
  EXPECT_EQ(GpsSecondsFromCivil(CivilTime{2006, 5, 17, 10, 20, 30}), 831896430u);
  for (uint32_t s : {0u, 831896430u, 1293839999u, 1293840000u, 4294967295u}) {
    const CivilTime t = CivilFromGpsSeconds(s);
    EXPECT_EQ(GpsSecondsFromCivil(t), s) << s;
  }
  const CivilTime leap = CivilFromGpsSeconds(GpsSecondsFromCivil(CivilTime{2024, 2, 29, 23, 59, 59}) + 1);
  EXPECT_EQ(leap.month, 3);
  EXPECT_EQ(leap.day, 1);
}

TEST(SyntheticTrackTest, EncodesTheWorkedExampleRecords) {
  SyntheticPoint p;
  p.latitude = 52.225;
  p.longitude = 21.0122;
  p.altitude = 112;
  p.gpsSeconds = 831896430;
  p.satellites = 7;
  p.hdop = 12;
  p.fix3d = true;
  p.segmentStart = true;
  const std::array<uint8_t, 16> one{0x17, 0x0C, 0xB1, 0x0C, 0x8A, 0x7A, 0x34, 0x0D,
                                    0x88, 0x13, 0x15, 0x00, 0x98, 0x1C, 0x70, 0x00};
  EXPECT_EQ(EncodeLayout1(p), one);
  const std::array<uint8_t, 16> two{0x73, 0x0C, 0x31, 0x95, 0xBB, 0x6E, 0x25, 0x23,
                                    0x45, 0x68, 0x0E, 0xF1, 0x27, 0x7F, 0x70, 0x00};
  EXPECT_EQ(EncodeLayout2(p), two);
}

TEST(SyntheticTrackTest, TrackIsRepeatableAndVaried) {
  SyntheticTrackOptions options;
  options.points = 5000;
  const auto a = MakeSyntheticTrack(options);
  EXPECT_EQ(a.size(), 5000u * 16);
  EXPECT_EQ(a, MakeSyntheticTrack(options));
  options.layout = 1;
  EXPECT_NE(a, MakeSyntheticTrack(options));

  options.layout = 2;
  const auto points = MakeSyntheticPoints(options);
  int segments = 0, below = 0, twoD = 0;
  uint8_t minSat = 15, maxSat = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    segments += points[i].segmentStart ? 1 : 0;
    below += points[i].altitude < 0 ? 1 : 0;
    twoD += points[i].fix3d ? 0 : 1;
    minSat = std::min(minSat, points[i].satellites);
    maxSat = std::max(maxSat, points[i].satellites);
    if (i > 0) {
      const uint32_t gap = points[i].gpsSeconds - points[i - 1].gpsSeconds;
      EXPECT_EQ(gap % 2, 0u);
      EXPECT_EQ(points[i].segmentStart, gap > 119) << i;
    }
  }
  EXPECT_GE(segments, 3);
  EXPECT_GT(below, 0);
  EXPECT_GT(twoD, 0);
  EXPECT_LT(minSat, maxSat);
}
