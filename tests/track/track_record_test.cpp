#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

#include "app/format.h"
#include "sim/synthetic_track.h"
#include "worked_records.h"
#include "track/track_record.h"

using namespace stravener;

namespace {

using Record = std::array<uint8_t, 16>;

TrackStamp Stamp(int year, int month, int day, int hour, int minute, int second) {
  return TrackStamp{static_cast<uint8_t>(year - 2000), static_cast<uint8_t>(month), static_cast<uint8_t>(day),
                    static_cast<uint8_t>(hour),        static_cast<uint8_t>(minute), static_cast<uint8_t>(second)};
}

// Days from 1899-12-30 counted the slow way, year by year and month by month.
int64_t CountedDays(int year, int month, int day) {
  auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
  const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int64_t days = 2;  // 1899-12-30 to 1900-01-01
  for (int y = 1900; y < year; ++y) days += leap(y) ? 366 : 365;
  for (int m = 1; m < month; ++m) days += lengths[m - 1] + (m == 2 && leap(year) ? 1 : 0);
  return days + day - 1;
}

// A layout-1 record with the given date and time words and position bytes.
Record Layout1(uint16_t date, uint16_t time, std::array<uint8_t, 4> latitude = {52, 13, 0x88, 0x13},
               std::array<uint8_t, 4> longitude = {21, 0, 0x98, 0x1C}) {
  Record r = kWorkedLayout1;
  r[2] = static_cast<uint8_t>(date);
  r[3] = static_cast<uint8_t>(date >> 8);
  r[4] = static_cast<uint8_t>(time);
  r[5] = static_cast<uint8_t>(time >> 8);
  for (int i = 0; i < 4; ++i) {
    r[6 + i] = latitude[static_cast<size_t>(i)];
    r[10 + i] = longitude[static_cast<size_t>(i)];
  }
  return r;
}

uint16_t DateWord(int yearField, int month, int day) {
  return static_cast<uint16_t>((yearField << 9) | (month << 5) | day);
}
uint16_t TimeWord(int hour, int minute, int halfSeconds) {
  return static_cast<uint16_t>((halfSeconds << 11) | (minute << 5) | hour);
}

// A layout-2 record with the given time count and raw coordinates.
Record Layout2(uint32_t seconds, int32_t latitude, int32_t longitude) {
  Record r = kWorkedLayout2;
  const auto put = [&r](size_t at, uint32_t v) {
    r[at] = static_cast<uint8_t>(v >> 24);
    r[at + 1] = static_cast<uint8_t>(v >> 16);
    r[at + 2] = static_cast<uint8_t>(v >> 8);
    r[at + 3] = static_cast<uint8_t>(v);
  };
  put(2, seconds);
  put(6, static_cast<uint32_t>(latitude));
  put(10, static_cast<uint32_t>(longitude));
  return r;
}

}  // namespace

TEST(TrackRecordTest, DecodesTheWorkedLayout1Record) {
  const TrackPoint p = DecodeTrackRecord(kWorkedLayout1.data(), 1);
  EXPECT_EQ(p.satellites, 7);
  EXPECT_TRUE(p.fix3d);
  EXPECT_EQ(p.hdop, 12);
  EXPECT_EQ(p.stamp, Stamp(2006, 5, 17, 10, 20, 30));
  EXPECT_EQ(FormatText("%.6f", p.latitude), "52.225000");
  EXPECT_EQ(FormatText("%.6f", p.longitude), "21.012200");
  EXPECT_NEAR(p.latitude, 52.225, 1e-12);
  EXPECT_NEAR(p.longitude, 21.0122, 1e-12);
  EXPECT_EQ(p.altitude, 112);
  EXPECT_FALSE(p.segmentStart);
  EXPECT_TRUE(IsValidTrackPoint(p));
  EXPECT_EQ(StampSeconds(p.stamp), 3357022830);
  EXPECT_NEAR(DayNumber(p.stamp), 38854.430902777, 1e-9);
  EXPECT_EQ(FormatText("%5.7f", DayNumber(p.stamp)), "38854.4309028");
}

TEST(TrackRecordTest, DecodesTheWorkedLayout2Record) {
  const TrackPoint p = DecodeTrackRecord(kWorkedLayout2.data(), 2);
  EXPECT_TRUE(p.segmentStart);
  EXPECT_TRUE(p.fix3d);
  EXPECT_EQ(p.satellites, 7);
  EXPECT_EQ(p.hdop, 12);
  EXPECT_EQ(p.stamp, Stamp(2006, 5, 17, 10, 20, 30));
  EXPECT_EQ(FormatText("%.6f", p.latitude), "52.225000");
  EXPECT_EQ(FormatText("%.6f", p.longitude), "21.012200");
  EXPECT_DOUBLE_EQ(p.latitude, 623068520 * 8.381903171539307e-08);
  EXPECT_EQ(p.altitude, 112);
  EXPECT_TRUE(IsValidTrackPoint(p));

  Record flags = kWorkedLayout2;
  flags[0] = 0xF0;  // 15 satellites, 2D, no segment start
  const TrackPoint q = DecodeTrackRecord(flags.data(), 2);
  EXPECT_EQ(q.satellites, 15);
  EXPECT_FALSE(q.fix3d);
  EXPECT_FALSE(q.segmentStart);
}

TEST(TrackRecordTest, UnknownLayoutGivesAnInvalidPoint) {
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(kWorkedLayout2.data(), 0)));
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(kWorkedLayout2.data(), 3)));
}

TEST(TrackRecordTest, Layout1SignsFractionsAndAltitudes) {
  // South and west: the sign bits on top of the fractions.
  Record r = Layout1(DateWord(6, 5, 17), TimeWord(10, 20, 15), {33, 51, 0x10, 0x27 | 0x80}, {151, 12, 0x00, 0x80});
  TrackPoint p = DecodeTrackRecord(r.data(), 1);
  EXPECT_DOUBLE_EQ(p.latitude, -((10000 * 0.0001 + 51) * 0.016666666666666666 + 33));
  EXPECT_DOUBLE_EQ(p.longitude, -(12 * 0.016666666666666666 + 151));
  EXPECT_TRUE(IsValidTrackPoint(p));

  // A fraction of 0x7FFF is 3.2767 minutes and is accepted while the value stays in range.
  r = Layout1(DateWord(6, 5, 17), TimeWord(10, 20, 15), {89, 56, 0xFF, 0x7F});
  p = DecodeTrackRecord(r.data(), 1);
  EXPECT_NEAR(p.latitude, 89 + 59.2767 / 60, 1e-12);
  EXPECT_TRUE(IsValidTrackPoint(p));
  r = Layout1(DateWord(6, 5, 17), TimeWord(10, 20, 15), {89, 57, 0xFF, 0x7F});
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(r.data(), 1)));
  r = Layout1(DateWord(6, 5, 17), TimeWord(10, 20, 15), {52, 13, 0, 0}, {180, 0, 1, 0});
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(r.data(), 1)));
  r = Layout1(DateWord(6, 5, 17), TimeWord(10, 20, 15), {52, 13, 0, 0}, {180, 0, 0, 0x80});
  EXPECT_TRUE(IsValidTrackPoint(DecodeTrackRecord(r.data(), 1)));

  // Altitude FF FF is -1 m and 00 80 is -32768 m, in both layouts.
  for (int layout : {1, 2}) {
    Record a = layout == 1 ? kWorkedLayout1 : kWorkedLayout2;
    a[14] = 0xFF;
    a[15] = 0xFF;
    EXPECT_EQ(DecodeTrackRecord(a.data(), layout).altitude, -1) << layout;
    a[14] = 0x00;
    a[15] = 0x80;
    EXPECT_EQ(DecodeTrackRecord(a.data(), layout).altitude, -32768) << layout;
  }
}

TEST(TrackRecordTest, Layout1ValidityOfDateAndTime) {
  auto valid = [](uint16_t date, uint16_t time) {
    const Record r = Layout1(date, time);
    return IsValidTrackPoint(DecodeTrackRecord(r.data(), 1));
  };
  EXPECT_TRUE(valid(DateWord(6, 5, 17), TimeWord(23, 59, 29)));  // 23:59:58
  EXPECT_FALSE(valid(DateWord(6, 5, 17), TimeWord(10, 20, 30)));  // 60 seconds
  EXPECT_FALSE(valid(DateWord(6, 5, 17), TimeWord(10, 20, 31)));  // 62 seconds
  EXPECT_EQ(DecodeTrackRecord(Layout1(DateWord(6, 5, 17), TimeWord(10, 20, 31)).data(), 1).stamp.second, 62);
  EXPECT_FALSE(valid(DateWord(6, 5, 17), TimeWord(24, 0, 0)));
  EXPECT_FALSE(valid(DateWord(6, 5, 17), TimeWord(10, 60, 0)));
  EXPECT_FALSE(valid(DateWord(6, 5, 0), TimeWord(10, 20, 15)));
  EXPECT_FALSE(valid(DateWord(6, 0, 17), TimeWord(10, 20, 15)));
  for (int month = 13; month <= 15; ++month) EXPECT_FALSE(valid(DateWord(6, month, 17), TimeWord(10, 0, 0)));
  EXPECT_TRUE(valid(DateWord(6, 12, 31), TimeWord(0, 0, 0)));
  // Year field 127 (2127) is accepted, and so is a day that its month lacks.
  EXPECT_TRUE(valid(DateWord(127, 1, 1), TimeWord(0, 0, 0)));
  EXPECT_TRUE(valid(DateWord(6, 2, 30), TimeWord(0, 0, 0)));
  EXPECT_EQ(DecodeTrackRecord(Layout1(DateWord(127, 1, 1), 0).data(), 1).stamp.year, 127);
}

TEST(TrackRecordTest, Layout2PositionLimits) {
  constexpr int32_t k90 = 1 << 30;
  EXPECT_DOUBLE_EQ(DecodeTrackRecord(Layout2(0, k90, 0).data(), 2).latitude, 90.0);
  EXPECT_TRUE(IsValidTrackPoint(DecodeTrackRecord(Layout2(0, k90, 0).data(), 2)));
  EXPECT_TRUE(IsValidTrackPoint(DecodeTrackRecord(Layout2(0, -k90, 0).data(), 2)));
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(Layout2(0, k90 + 1, 0).data(), 2)));
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(Layout2(0, -k90 - 1, 0).data(), 2)));
  const int32_t minimum = std::numeric_limits<int32_t>::min();
  EXPECT_DOUBLE_EQ(DecodeTrackRecord(Layout2(0, 0, minimum).data(), 2).longitude, -180.0);
  EXPECT_TRUE(IsValidTrackPoint(DecodeTrackRecord(Layout2(0, 0, minimum).data(), 2)));
  EXPECT_TRUE(IsValidTrackPoint(DecodeTrackRecord(Layout2(0, 0, std::numeric_limits<int32_t>::max()).data(), 2)));
  // A layout-1 record at 70 degrees north read as layout 2: its latitude is beyond 90.
  Record north = kWorkedLayout1;
  north[6] = 70;
  EXPECT_GT(DecodeTrackRecord(north.data(), 2).latitude, 90.0);
  EXPECT_FALSE(IsValidTrackPoint(DecodeTrackRecord(north.data(), 2)));
}

TEST(TrackRecordTest, GpsSecondsBecomeCalendarStamps) {
  EXPECT_EQ(StampFromGpsSeconds(0), (TrackStamp{236, 1, 6, 0, 0, 0}));
  EXPECT_EQ(StampFromGpsSeconds(0xFFFFFFFFu), (TrackStamp{236, 1, 5, 23, 59, 59}));
  EXPECT_EQ(StampFromGpsSeconds(831896430), Stamp(2006, 5, 17, 10, 20, 30));
  // The last count before the wrap lands in 2116; 2100 is not a leap year, 2000 is.
  EXPECT_EQ(StampFromGpsSeconds(0xFFFFFFFFu - 432000u), Stamp(2116, 2, 7, 6, 28, 15));
  using stravener::sim::CivilTime;
  using stravener::sim::GpsSecondsFromCivil;
  const CivilTime dates[] = {{1999, 12, 31, 23, 59, 59}, {2000, 2, 29, 12, 0, 0},   {2000, 12, 31, 23, 59, 59},
                             {2001, 1, 1, 0, 0, 0},      {2004, 2, 29, 0, 0, 0},    {2100, 2, 28, 23, 59, 59},
                             {2100, 3, 1, 0, 0, 0},      {2006, 12, 31, 23, 59, 50}, {2016, 12, 31, 23, 59, 59}};
  for (const CivilTime& t : dates) {
    const TrackStamp s = StampFromGpsSeconds(GpsSecondsFromCivil(t));
    EXPECT_EQ(s.year, static_cast<uint8_t>((t.year - 2000 + 256) % 256)) << t.year;
    EXPECT_EQ(s.month, t.month) << t.year;
    EXPECT_EQ(s.day, t.day) << t.year << "-" << t.month;
    EXPECT_EQ(s.hour, t.hour);
    EXPECT_EQ(s.minute, t.minute);
    EXPECT_EQ(s.second, t.second);
  }
  // Every day across the whole range against the slow count.
  for (uint32_t day = 0; day < 0xFFFFFFFFu / 86400u - 5; day += 1) {
    const uint32_t seconds = day * 86400u + 43200u;
    const TrackStamp s = StampFromGpsSeconds(seconds);
    const int64_t expected = CountedDays(1980, 1, 6) + day;
    const int year = s.year >= 236 ? 1980 + (s.year - 236) : 2000 + s.year;
    ASSERT_EQ(CountedDays(year, s.month, s.day), expected) << day;
    ASSERT_EQ(s.hour, 12);
  }
}

TEST(TrackRecordTest, DayNumbersAreExactGregorianCounts) {
  EXPECT_EQ(DayNumber(Stamp(2000, 1, 1, 0, 0, 0)), 36526.0);
  EXPECT_EQ(StampSeconds(Stamp(2000, 1, 1, 0, 0, 0)), 36526 * 86400LL);
  EXPECT_DOUBLE_EQ(DayNumber(Stamp(2000, 1, 1, 12, 0, 0)), 36526.5);
  for (int year = 2000; year <= 2255; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day : {1, 28}) {
        ASSERT_EQ(StampSeconds(Stamp(year, month, day, 23, 59, 59)), CountedDays(year, month, day) * 86400 + 86399)
            << year << "-" << month << "-" << day;
      }
    }
  }
  EXPECT_EQ(StampSeconds(Stamp(2000, 2, 29, 0, 0, 0)), CountedDays(2000, 2, 29) * 86400);
  EXPECT_EQ(StampSeconds(Stamp(2255, 12, 31, 0, 0, 0)), CountedDays(2255, 12, 31) * 86400);
}

TEST(TrackRecordTest, SecondsBetweenAcrossYearsAndLeapDays) {
  const TrackStamp a = Stamp(2006, 5, 17, 10, 20, 30);
  EXPECT_EQ(SecondsBetween(a, Stamp(2006, 5, 17, 10, 20, 29)), -1);
  EXPECT_EQ(SecondsBetween(a, a), 0);
  EXPECT_EQ(SecondsBetween(Stamp(2006, 12, 31, 23, 59, 50), Stamp(2007, 1, 1, 0, 0, 10)), 20);
  EXPECT_EQ(SecondsBetween(Stamp(2007, 1, 1, 0, 0, 10), Stamp(2006, 12, 31, 23, 59, 50)), -20);
  EXPECT_EQ(SecondsBetween(Stamp(2008, 2, 28, 23, 59, 0), Stamp(2008, 3, 1, 0, 1, 0)), 86400 + 120);
  EXPECT_EQ(SecondsBetween(Stamp(2007, 2, 28, 23, 59, 0), Stamp(2007, 3, 1, 0, 1, 0)), 120);
  EXPECT_EQ(SecondsBetween(Stamp(2100, 2, 28, 23, 59, 0), Stamp(2100, 3, 1, 0, 1, 0)), 120);
  EXPECT_EQ(SecondsBetween(Stamp(2000, 2, 28, 23, 59, 0), Stamp(2000, 3, 1, 0, 1, 0)), 86400 + 120);
  EXPECT_EQ(SecondsBetween(Stamp(2006, 1, 1, 0, 0, 0), Stamp(2007, 1, 1, 0, 0, 0)), 365 * 86400);
  EXPECT_EQ(SecondsBetween(Stamp(2008, 1, 1, 0, 0, 0), Stamp(2009, 1, 1, 0, 0, 0)), 366 * 86400);
  // 68 years still fit; the whole range of stamps does not and is held at the ends.
  EXPECT_EQ(SecondsBetween(Stamp(2000, 1, 1, 0, 0, 0), Stamp(2068, 1, 1, 0, 0, 0)),
            (CountedDays(2068, 1, 1) - CountedDays(2000, 1, 1)) * 86400);
  EXPECT_EQ(SecondsBetween(Stamp(2000, 1, 1, 0, 0, 0), Stamp(2255, 1, 1, 0, 0, 0)),
            std::numeric_limits<int32_t>::max());
  EXPECT_EQ(SecondsBetween(Stamp(2255, 1, 1, 0, 0, 0), Stamp(2000, 1, 1, 0, 0, 0)),
            std::numeric_limits<int32_t>::min());
}

TEST(TrackRecordTest, DaysMissingFromTheirMonthCountIntoTheNextMonth) {
  EXPECT_EQ(StampSeconds(Stamp(2006, 2, 30, 8, 0, 0)), StampSeconds(Stamp(2006, 3, 2, 8, 0, 0)));
  EXPECT_EQ(StampSeconds(Stamp(2006, 2, 31, 0, 0, 0)), StampSeconds(Stamp(2006, 3, 3, 0, 0, 0)));
  EXPECT_EQ(StampSeconds(Stamp(2006, 4, 31, 0, 0, 0)), StampSeconds(Stamp(2006, 5, 1, 0, 0, 0)));
  EXPECT_EQ(StampSeconds(Stamp(2007, 2, 29, 0, 0, 0)), StampSeconds(Stamp(2007, 3, 1, 0, 0, 0)));
  EXPECT_EQ(StampSeconds(Stamp(2008, 2, 30, 0, 0, 0)), StampSeconds(Stamp(2008, 3, 1, 0, 0, 0)));
  EXPECT_EQ(DayNumber(Stamp(2006, 2, 30, 0, 0, 0)), DayNumber(Stamp(2006, 3, 2, 0, 0, 0)));
  // 31 April 23:59:58 to 1 May 00:00:02 of the following record is 4 seconds, not a gap.
  EXPECT_EQ(SecondsBetween(Stamp(2006, 4, 30, 23, 59, 58), Stamp(2006, 4, 31, 0, 0, 2)), 4);
  EXPECT_EQ(SecondsBetween(Stamp(2006, 4, 31, 23, 59, 58), Stamp(2006, 5, 2, 0, 0, 2)), 4);
}
