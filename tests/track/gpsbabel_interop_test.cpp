// Reads the PLT, GPX and KML files we write back with GPSBabel, one of the programs our
// users load them into, and checks that positions, times, altitudes and track breaks
// survive; xmllint checks that every GPX and KML file is well-formed XML.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/format.h"
#include "platform/file.h"
#include "sim/synthetic_track.h"
#include "support/test_host.h"
#include "support/language_guard.h"
#include "support/temp_dir.h"
#include "support/track_read_back.h"
#include "track/binary_conversion.h"
#include "track/track_record.h"
#include "worked_records.h"

using namespace stravener;
using stravener::sim::CivilTime;
using stravener::sim::GpsSecondsFromCivil;
using stravener::sim::SyntheticPoint;

namespace {

// Seconds from 1970-01-01 to the GPS time origin 1980-01-06.
constexpr int64_t kGpsEpoch = 315964800;

struct GpxPoint {
  std::string latitude;   // as written, "-33.856784000"
  std::string longitude;
  double elevation = 0;
  double time = 0;  // seconds since 1970-01-01, with the fraction GPSBabel gives
};

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

std::string Attribute(const std::string& text, size_t from, const std::string& name) {
  const size_t start = text.find(name + "=\"", from);
  if (start == std::string::npos) return {};
  const size_t end = text.find('"', start + name.size() + 2);
  return text.substr(start + name.size() + 2, end - start - name.size() - 2);
}

std::string Element(const std::string& text, size_t from, size_t to, const std::string& name) {
  const size_t start = text.find("<" + name + ">", from);
  if (start == std::string::npos || start > to) return {};
  const size_t end = text.find("</" + name + ">", start);
  return text.substr(start + name.size() + 2, end - start - name.size() - 2);
}

// The track segments of a GPX file, each a list of its points in order. GPSBabel makes a
// track of one segment of each PLT segment and each KML gx:Track, and keeps the segments
// of a GPX track.
std::vector<std::vector<GpxPoint>> ReadGpxTracks(const std::string& gpx) {
  std::vector<std::vector<GpxPoint>> tracks;
  size_t at = 0;
  while ((at = gpx.find("<trkseg>", at)) != std::string::npos) {
    const size_t end = gpx.find("</trkseg>", at);
    std::vector<GpxPoint> points;
    size_t p = at;
    while ((p = gpx.find("<trkpt ", p)) != std::string::npos && p < end) {
      const size_t close = gpx.find("</trkpt>", p);
      GpxPoint point;
      point.latitude = Attribute(gpx, p, "lat");
      point.longitude = Attribute(gpx, p, "lon");
      point.elevation = std::atof(Element(gpx, p, close, "ele").c_str());
      const std::string time = Element(gpx, p, close, "time");
      int y = 0, mo = 0, d = 0, h = 0, mi = 0;
      double s = 0;
      if (std::sscanf(time.c_str(), "%d-%d-%dT%d:%d:%lfZ", &y, &mo, &d, &h, &mi, &s) == 6) {
        point.time = static_cast<double>(DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60) + s;
      }
      points.push_back(point);
      p = close;
    }
    tracks.push_back(points);
    at = end;
  }
  return tracks;
}

SyntheticPoint Point(CivilTime time, double latitude, double longitude, int altitude, bool segmentStart) {
  SyntheticPoint p;
  p.gpsSeconds = GpsSecondsFromCivil(time);
  p.latitude = latitude;
  p.longitude = longitude;
  p.altitude = altitude;
  p.satellites = 6;
  p.hdop = 17;
  p.segmentStart = segmentStart;
  return p;
}

// A track through all four quarters of the globe, below sea level, across midnights,
// a leap day and year ends, in several segments.
std::vector<SyntheticPoint> InteropTrack() {
  std::vector<SyntheticPoint> points;
  // Sydney harbour on New Year's Eve, into the new year.
  for (int i = 0; i < 30; ++i) {
    points.push_back(Point(CivilTime{2006, 12, 31, 23, 59, 45 + i % 15}, -33.8567844 - i * 1e-5,
                           151.2152967 + i * 2e-5, 3 - i, false));
    if (i >= 15) points.back().gpsSeconds += 15;
  }
  // The Dead Sea shore, well below sea level, around midnight of a leap day.
  for (int i = 0; i < 30; ++i) {
    points.push_back(Point(CivilTime{2008, 2, 29, 23, 59, 30}, 31.5590 + i * 3e-6, 35.4732 - i * 4e-6, -430 + i,
                           i == 0));
    points.back().gpsSeconds += static_cast<uint32_t>(i * 2);
  }
  // South America, south and west, a year end in a leap year.
  for (int i = 0; i < 30; ++i) {
    points.push_back(
        Point(CivilTime{2016, 12, 31, 23, 59, 50}, -22.9518993, -43.2104872 + i * 1e-6, -2 + i % 5, i == 0));
    points.back().gpsSeconds += static_cast<uint32_t>(i);
  }
  // West of Greenwich in the north, the turn of the century's first year.
  for (int i = 0; i < 20; ++i) {
    points.push_back(Point(CivilTime{2000, 1, 1, 0, 0, 0}, 51.4778, -0.0014 - i * 1e-6, 0, i == 0 || i == 10));
    points.back().gpsSeconds += static_cast<uint32_t>(i * 5);
  }
  return points;
}

// Converts the records into dir/track.EXTENSION with the conversion of saved files, then
// has GPSBabel read that into GPX. False (with the reason added to the test's output) when
// either fails.
bool ConvertAndReadBack(const TempDir& dir, const std::vector<unsigned char>& records, std::string& gpx,
                        const std::string& extension = "plt", int layout = 2) {
  WriteWholeFile(dir.File("track.bin"), records);
  TestHost host;
  const std::string output = dir.File("track." + extension);
  BinaryConversionOptions options;
  options.layout = layout;
  if (!ConvertBinaryTrackFile(host, dir.File("track.bin"), output, options)) {
    ADD_FAILURE() << "the conversion failed: " << host.LastLine();
    return false;
  }
  if (extension == "gpx" && !ValidGpx(dir, output)) return false;
  if (extension == "kml" && !WellFormedXml(dir, output)) return false;
  return GpsBabelReadsBack(dir, output, extension == "plt" ? "ozi" : extension, gpx);
}

std::vector<unsigned char> Encoded(const std::vector<SyntheticPoint>& points, int layout) {
  std::vector<unsigned char> bytes;
  for (const SyntheticPoint& p : points) {
    const auto record = layout == 1 ? sim::EncodeLayout1(p) : sim::EncodeLayout2(p);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  return bytes;
}

// Seconds since 1970-01-01 of a stamp, counted here.
int64_t UnixSeconds(const TrackStamp& s) {
  return DaysFromCivil(2000 + s.year, s.month, s.day) * 86400 + s.hour * 3600 + s.minute * 60 + s.second;
}

}  // namespace

TEST(GpsBabelInteropTest, PositionsTimesAltitudesAndBreaksSurvive) {
  LanguageGuard english(kEnglish);
  TempDir dir;
  const std::vector<SyntheticPoint> points = InteropTrack();
  std::vector<unsigned char> bytes;
  for (const SyntheticPoint& p : points) {
    const auto record = sim::EncodeLayout2(p);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  std::string gpx;
  ASSERT_TRUE(ConvertAndReadBack(dir, bytes, gpx));
  const auto tracks = ReadGpxTracks(gpx);

  // One GPX track per segment: the first point, then every point with its bit set.
  std::vector<size_t> expectedSizes;
  for (size_t i = 0; i < points.size(); ++i) {
    if (i == 0 || points[i].segmentStart) expectedSizes.push_back(0);
    ++expectedSizes.back();
  }
  std::vector<size_t> sizes;
  for (const auto& track : tracks) sizes.push_back(track.size());
  ASSERT_EQ(sizes, expectedSizes);

  size_t index = 0;
  int exactSeconds = 0;
  for (const auto& track : tracks) {
    for (const GpxPoint& read : track) {
      const auto record = sim::EncodeLayout2(points[index]);
      const TrackPoint written = DecodeTrackRecord(record.data(), 2);
      EXPECT_EQ(read.latitude, FormatText("%.9f", std::stod(FormatText("%.6f", written.latitude)))) << index;
      EXPECT_EQ(read.longitude, FormatText("%.9f", std::stod(FormatText("%.6f", written.longitude)))) << index;
      EXPECT_NEAR(read.latitude.empty() ? 0 : std::stod(read.latitude), points[index].latitude, 5e-7) << index;
      EXPECT_NEAR(read.longitude.empty() ? 0 : std::stod(read.longitude), points[index].longitude, 5e-7) << index;
      // Whole feet, back in metres.
      EXPECT_NEAR(read.elevation, std::trunc(points[index].altitude * 3.2808399) * 0.3048, 0.001) << index;
      // GPSBabel's reading of the day number (seven decimals, under 9 ms) is off by up to
      // a second: it adds a millisecond part of its own and rounds the seconds either way.
      // The time read back must be within one second of the one written; the file itself
      // holds the exact second (checked below).
      const int64_t expected = kGpsEpoch + points[index].gpsSeconds;
      EXPECT_LE(std::fabs(read.time - static_cast<double>(expected)), 1.0)
          << index << ": read " << FormatText("%.3f", read.time) << ", written " << expected;
      exactSeconds += static_cast<int64_t>(std::floor(read.time)) == expected ? 1 : 0;
      ++index;
    }
  }
  EXPECT_EQ(index, points.size());
  EXPECT_GT(exactSeconds, static_cast<int>(points.size()) / 3);

  // The file's own times: the day number to within its seven decimals, the date and time
  // fields to the second.
  const std::string plt = ReadTextFile(dir.File("track.plt"));
  size_t start = 0;
  for (int header = 0; header < 6; ++header) start = plt.find("\r\n", start) + 2;
  for (size_t i = 0; i < points.size(); ++i) {
    const size_t end = plt.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = plt.substr(start, end - start);
    start = end + 2;
    std::vector<std::string> fields;
    for (size_t from = 0;;) {
      const size_t comma = line.find(',', from);
      fields.push_back(line.substr(from, comma - from));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    ASSERT_EQ(fields.size(), 10u) << line;
    EXPECT_EQ(fields[2], (i == 0 || points[i].segmentStart) ? "1" : "0") << line;
    const int64_t unixSeconds = kGpsEpoch + points[i].gpsSeconds;
    EXPECT_NEAR(std::stod(fields[4]) * 86400.0 - 25569.0 * 86400.0, static_cast<double>(unixSeconds), 0.005) << line;
    const CivilTime t = sim::CivilFromGpsSeconds(points[i].gpsSeconds);
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    EXPECT_EQ(fields[5], FormatText("%02d-%s-%02d", t.day, months[t.month - 1], t.year - 2000)) << line;
    EXPECT_EQ(fields[6], FormatText("%02d:%02d:%02d", t.hour, t.minute, t.second)) << line;
  }
}

TEST(GpsBabelInteropTest, RealisticSampleTrackReadsBack) {
  TempDir dir;
  sim::SyntheticTrackOptions options;
  options.points = 3000;
  std::string gpx;
  ASSERT_TRUE(ConvertAndReadBack(dir, sim::MakeSyntheticTrack(options), gpx));
  const auto tracks = ReadGpxTracks(gpx);
  const auto points = sim::MakeSyntheticPoints(options);
  size_t segments = 0;
  for (size_t i = 0; i < points.size(); ++i) segments += (i == 0 || points[i].segmentStart) ? 1 : 0;
  EXPECT_EQ(tracks.size(), segments);
  EXPECT_GT(segments, 1u);
  size_t total = 0;
  for (const auto& track : tracks) total += track.size();
  EXPECT_EQ(total, points.size());
  ASSERT_FALSE(tracks.empty());
  ASSERT_FALSE(tracks.back().empty());
  EXPECT_NEAR(std::stod(tracks.back().back().latitude), points.back().latitude, 5e-7);
  EXPECT_NEAR(std::stod(tracks.back().back().longitude), points.back().longitude, 5e-7);
}

TEST(GpsBabelInteropTest, GpxAndKmlKeepEveryPointSegmentPositionAndSecond) {
  const std::vector<SyntheticPoint> points = InteropTrack();
  for (int layout : {1, 2}) {
    const std::vector<unsigned char> bytes = Encoded(points, layout);
    // The segments: for layout 2 the first point and each with its bit set; for layout 1
    // the first point and each more than 119 s from the one before (here the four places).
    std::vector<size_t> expectedSizes;
    std::vector<TrackPoint> written;
    for (size_t i = 0; i < points.size(); ++i) {
      written.push_back(DecodeTrackRecord(bytes.data() + 16 * i, layout));
      const bool starts = i == 0 || (layout == 2 ? points[i].segmentStart
                                                 : std::llabs(UnixSeconds(written[i].stamp) -
                                                              UnixSeconds(written[i - 1].stamp)) > 119);
      if (starts) expectedSizes.push_back(0);
      ++expectedSizes.back();
    }
    ASSERT_EQ(expectedSizes.size(), layout == 2 ? 5u : 4u);
    for (const char* extension : {"gpx", "kml"}) {
      TempDir dir;
      std::string gpx;
      ASSERT_TRUE(ConvertAndReadBack(dir, bytes, gpx, extension, layout)) << extension << " layout " << layout;
      const auto tracks = ReadGpxTracks(gpx);
      std::vector<size_t> sizes;
      for (const auto& track : tracks) sizes.push_back(track.size());
      ASSERT_EQ(sizes, expectedSizes) << extension << " layout " << layout;
      size_t index = 0;
      for (const auto& track : tracks) {
        for (const GpxPoint& read : track) {
          const TrackPoint& w = written[index];
          const std::string where = std::string(extension) + " layout " + std::to_string(layout) + " point " +
                                    std::to_string(index);
          EXPECT_EQ(read.latitude, FormatText("%.9f", std::stod(FormatText("%.6f", w.latitude)))) << where;
          EXPECT_EQ(read.longitude, FormatText("%.9f", std::stod(FormatText("%.6f", w.longitude)))) << where;
          EXPECT_EQ(read.elevation, w.altitude) << where;
          EXPECT_EQ(read.time, static_cast<double>(UnixSeconds(w.stamp))) << where;
          ++index;
        }
      }
      EXPECT_EQ(index, points.size());
    }
  }
}

TEST(GpsBabelInteropTest, GpxAndKmlCutShortOrEmptyAreStillWholeDocuments) {
  // Ten good records, then one beyond the pole, then more that never reach the file.
  std::vector<SyntheticPoint> points = InteropTrack();
  points.resize(21);
  std::vector<unsigned char> bytes = Encoded(points, 2);
  bytes[10 * 16 + 6] = 0x7F;
  for (const std::string extension : {"gpx", "kml", "svg"}) {
    TempDir dir;
    WriteWholeFile(dir.File("track.bin"), bytes);
    TestHost host;
    LanguageGuard english(kEnglish);
    EXPECT_FALSE(ConvertBinaryTrackFile(host, dir.File("track.bin"), dir.File("cut." + extension)));
    const std::string partial = dir.File(std::string("cut.partial.") + extension);
    EXPECT_EQ(host.Lines().back(), "The incomplete track is in " + partial + ".");
    ASSERT_TRUE(WellFormedXml(dir, partial)) << extension;
    if (extension == "svg") {
      EXPECT_NE(ReadTextFile(partial).find(">Points: 10</text>"), std::string::npos);
    } else {
      std::string gpx;
      ASSERT_TRUE(GpsBabelReadsBack(dir, partial, extension, gpx));
      size_t read = 0;
      for (const auto& track : ReadGpxTracks(gpx)) read += track.size();
      EXPECT_EQ(read, 10u) << extension;
    }

    // An empty binary file: a document without a point.
    WriteWholeFile(dir.File("empty.bin"), {});
    const std::string empty = dir.File("empty." + extension);
    EXPECT_TRUE(ConvertBinaryTrackFile(host, dir.File("empty.bin"), empty));
    EXPECT_TRUE(WellFormedXml(dir, empty)) << extension;
  }
}

namespace {

// The part of an SVG picture in the group of the id.
std::string SvgGroup(const std::string& svg, const std::string& id) {
  const size_t start = svg.find("<g id=\"" + id + "\"");
  if (start == std::string::npos) return {};
  return svg.substr(start, svg.find("</g>", start) - start);
}

// The times and the coordinates of each gx:Track of a KML text, in the order they stand;
// false (with the reason added to the test's output) when a <when> follows a <gx:coord>.
bool KmlTracks(const std::string& kml, std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>& tracks) {
  tracks.clear();
  for (size_t at = kml.find("<gx:Track>"); at != std::string::npos; at = kml.find("<gx:Track>", at + 1)) {
    const size_t end = kml.find("</gx:Track>", at);
    auto& [whens, coords] = tracks.emplace_back();
    for (size_t p = kml.find('<', at + 1); p < end; p = kml.find('<', p + 1)) {
      const bool when = kml.compare(p, 6, "<when>") == 0;
      if (!when && kml.compare(p, 10, "<gx:coord>") != 0) continue;
      const size_t open = p + (when ? 6 : 10);
      const std::string text = kml.substr(open, kml.find('<', open) - open);
      if (when && !coords.empty()) {
        ADD_FAILURE() << "<when>" << text << "</when> after a <gx:coord> in track " << tracks.size();
        return false;
      }
      (when ? whens : coords).push_back(text);
    }
  }
  return true;
}

}  // namespace

TEST(GpsBabelInteropTest, SvgPictureHasALinePerSegmentAndRendersInLibrsvg) {
  // A logger's track; one thinned for drawing; one of far more points than a logger
  // holds, thinned as it comes.
  for (uint32_t count : {5000u, 30000u, 100000u}) {
    sim::SyntheticTrackOptions options;
    options.points = count;
    const std::vector<uint8_t> bytes = sim::MakeSyntheticTrack(options);
    size_t segments = 0;
    for (size_t at = 0; at < bytes.size(); at += 16) segments += (at == 0 || (bytes[at] & 1) != 0) ? 1 : 0;
    ASSERT_GT(segments, 2u);
    TempDir dir;
    WriteWholeFile(dir.File("track.bin"), bytes);
    TestHost host;
    const std::string output = dir.File("trip.svg");
    LanguageGuard polish(kPolish);
    ASSERT_TRUE(ConvertBinaryTrackFile(host, dir.File("track.bin"), output));
    ASSERT_TRUE(WellFormedXml(dir, output));
    EXPECT_TRUE(RendersWithLibrsvg(dir, output));
    const std::string svg = ReadTextFile(output);
    const std::string track = SvgGroup(svg, "track");
    EXPECT_EQ(Occurrences(track, "<polyline "), segments) << count;
    EXPECT_EQ(Occurrences(SvgGroup(svg, "profile"), "<polyline "), segments) << count;
    // Every point of a logger's track is drawn; of a larger one, at most 20,000.
    const size_t drawn = Occurrences(track, ",");
    if (count <= 20000) {
      EXPECT_GE(drawn, count);
    } else {
      EXPECT_LE(drawn, 20000u);
      EXPECT_GT(drawn, 10000u);
    }
    EXPECT_NE(svg.find(">Punkty: " + std::to_string(count) + "</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Odcinki: " + std::to_string(segments) + "</text>"), std::string::npos);
  }

  // Some 3 km across the antimeridian: drawn as they lie, not around the world.
  std::vector<SyntheticPoint> points(3);
  for (size_t i = 0; i < points.size(); ++i) {
    points[i].gpsSeconds = GpsSecondsFromCivil(CivilTime{2026, 6, 20, 12, 0, static_cast<int>(i)});
    points[i].longitude = i == 0 ? 179.99 : -179.99 + static_cast<double>(i - 1) * 0.01;
  }
  TempDir dir;
  WriteWholeFile(dir.File("track.bin"), Encoded(points, 2));
  TestHost host;
  LanguageGuard english(kEnglish);
  ASSERT_TRUE(ConvertBinaryTrackFile(host, dir.File("track.bin"), dir.File("dateline.svg")));
  const std::string svg = ReadTextFile(dir.File("dateline.svg"));
  EXPECT_NE(svg.find(">500 m</text>"), std::string::npos) << SvgGroup(svg, "scale");
  EXPECT_NE(svg.find(">Distance: 3.34 km</text>"), std::string::npos);
}

TEST(GpsBabelInteropTest, GpxMeetsItsSchemaAndKmlGivesEachTracksTimesBeforeItsCoordinates) {
  LanguageGuard english(kEnglish);
  // Layout 1: the worked point dated 30 February 2006, valid by the rule though no such day
  // exists, at 180 degrees east; then, a segment later, at 180 degrees west.
  std::vector<unsigned char> layout1(kWorkedLayout1.begin(), kWorkedLayout1.end());
  layout1[2] = 0x5E;  // day 30, month 2, year field 6
  layout1[10] = 180, layout1[11] = 0, layout1[12] = 0, layout1[13] = 0;
  std::vector<unsigned char> west = layout1;
  west[4] = 0x8B;  // an hour later
  west[13] = 0x80;
  layout1.insert(layout1.end(), west.begin(), west.end());
  // Layout 2: the worked point at 2^31 - 1 units east, which prints as 180.000000.
  std::vector<unsigned char> layout2(kWorkedLayout2.begin(), kWorkedLayout2.end());
  layout2[10] = 0x7F, layout2[11] = 0xFF, layout2[12] = 0xFF, layout2[13] = 0xFF;
  for (const auto& [records, layout] : {std::pair{layout1, 1}, std::pair{layout2, 2}}) {
    TempDir dir;
    std::string read;
    ASSERT_TRUE(ConvertAndReadBack(dir, records, read, "gpx", layout)) << "layout " << layout;
    const std::string gpx = ReadTextFile(dir.File("track.gpx"));
    EXPECT_EQ(Occurrences(gpx, "lon=\"-180.000000\""), layout == 1 ? 2u : 1u) << gpx;
    if (layout == 1) {
      // The instant the PLT file's day number gives.
      EXPECT_EQ(Occurrences(gpx, "<time>2006-03-02T10:20:30Z</time>"), 1u) << gpx;
      ASSERT_TRUE(ConvertAndReadBack(dir, records, read, "kml", layout));
      EXPECT_EQ(Occurrences(ReadTextFile(dir.File("track.kml")), "<when>2006-03-02T10:20:30Z</when>"), 1u);
    }
  }

  // Many segments, and one long enough for its coordinates to wait in a file.
  sim::SyntheticTrackOptions options;
  options.points = 20000;
  std::vector<unsigned char> records = sim::MakeSyntheticTrack(options);
  for (size_t i = 16 * 15000; i < records.size(); i += 16) records[i] &= 0xFE;
  TempDir dir;
  std::string read;
  ASSERT_TRUE(ConvertAndReadBack(dir, records, read, "kml"));
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> tracks;
  ASSERT_TRUE(KmlTracks(ReadTextFile(dir.File("track.kml")), tracks));
  ASSERT_GT(tracks.size(), 2u);
  size_t index = 0;
  for (const auto& [whens, coords] : tracks) {
    ASSERT_EQ(whens.size(), coords.size()) << "track of point " << index;
    for (size_t k = 0; k < coords.size(); ++k, ++index) {
      const TrackPoint point = DecodeTrackRecord(records.data() + 16 * index, 2);
      ASSERT_EQ(coords[k], FormatText("%.6f %.6f %d", point.longitude, point.latitude, point.altitude)) << index;
    }
  }
  EXPECT_EQ(index, 20000u);
  EXPECT_GE(tracks.back().second.size(), 5000u);
}
