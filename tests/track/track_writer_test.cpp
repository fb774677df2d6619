// The record loop's buffered output: the text of every line against the printf template it
// replaces, the buffer's boundaries, and failures in the middle of a file.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/format.h"
#include "platform/file.h"
#include "platform/system_error.h"
#include "sim/synthetic_track.h"
#include "support/language_guard.h"
#include "support/temp_dir.h"
#include "track/text_line.h"
#include "track/track_summary.h"
#include "track/track_writer.h"
#include "track/xml_text.h"
#include "worked_records.h"

#if !defined(_WIN32)
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#endif

using namespace stravener;

namespace {

using Record = std::array<uint8_t, 16>;

// The text a PLT line had when printf made it, in the "C" locale.
std::string PrintfLine(const TrackPoint& p, bool segmentStart) {
  static const char* const kMonths[2][12] = {
      {"sty", "lut", "mar", "kwi", "maj", "cze", "lip", "sie", "wrz", "paz", "lis", "gru"},
      {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}};
  const TrackStamp& s = p.stamp;
  return FormatText("%4.6f,%4.6f,%d,%d,%5.7f,%02d-%s-%02d,%02d:%02d:%02d,%d,%d.%d,%s\r\n", p.latitude, p.longitude,
                    segmentStart ? 1 : 0, static_cast<int>(p.altitude * 3.2808399), DayNumber(s), s.day,
                    kMonths[Language == kPolish ? 0 : 1][s.month - 1], s.year, s.hour, s.minute, s.second,
                    p.satellites, p.hdop / 10, p.hdop % 10, p.fix3d ? "3D" : "2D");
}

// Runs the records through a writer into a file of the folder; the file's text.
std::string WriteAll(const TempDir& dir, const std::vector<uint8_t>& records, TrackWriterOptions options,
                     EventLog& log, const std::string& name = "t.plt") {
  File file;
  EXPECT_EQ(file.Create(dir.File(name)), 0u);
  TrackWriter writer(log, file, dir.File(name), options);
  for (size_t p = 0; p + 16 <= records.size(); p += 16) {
    if (!writer.Write(records.data() + p)) break;
  }
  writer.End();
  file.Close();
  return ReadTextFile(dir.File(name));
}

// The PLT file "t.plt" of these valid records, line by line from the printf template.
std::string PrintfPlt(const std::vector<uint8_t>& records, int layout, uint32_t pointCount = 0) {
  std::string text = FormatText(
      "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
      "0,2,16776960,t,1,0,2,8421376\r\n%u\r\n",
      pointCount);
  TrackStamp previous;
  for (size_t p = 0; p + 16 <= records.size(); p += 16) {
    const TrackPoint point = DecodeTrackRecord(records.data() + p, layout);
    text += PrintfLine(point, StartsNewSegment(layout, p == 0, previous, point));
    previous = point.stamp;
  }
  return text;
}

std::vector<uint8_t> Concat(const std::vector<Record>& records) {
  std::vector<uint8_t> bytes;
  for (const Record& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
  return bytes;
}

// Valid records of a layout drawn at random, with the fields' edges among them.
std::vector<Record> RandomValidRecords(int layout, size_t count) {
  std::mt19937 random(static_cast<uint32_t>(layout) * 7919u);
  std::vector<Record> records;
  if (layout == 1) {
    // Zero degrees with the sign bit set decode as -0.0.
    records.push_back({0x17, 0x0C, 0xB1, 0x0C, 0x8A, 0x7A, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0xFF, 0xFF});
    records.push_back({0xFF, 0xFF, 0xFF, 0xFE, 0x77, 0xBD, 90, 0, 0, 0x80, 180, 0, 0, 0x80, 0x00, 0x80});
  } else {
    // 2^30 units are 90 degrees, -2^31 units -180.
    records.push_back({0xF3, 0xFF, 0, 0, 0, 0, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0xFF, 0x7F});
    records.push_back({0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0x80});
  }
  while (records.size() < count) {
    Record r;
    for (uint8_t& b : r) b = static_cast<uint8_t>(random());
    if (layout == 1) {
      // A date and time that pass the rule; any degrees and minutes.
      const uint16_t date = static_cast<uint16_t>((random() % 31 + 1) | (random() % 12 + 1) << 5 | (random() % 128) << 9);
      const uint16_t time = static_cast<uint16_t>((random() % 24) | (random() % 60) << 5 | (random() % 30) << 11);
      r[2] = static_cast<uint8_t>(date), r[3] = static_cast<uint8_t>(date >> 8);
      r[4] = static_cast<uint8_t>(time), r[5] = static_cast<uint8_t>(time >> 8);
    }
    if (IsValidTrackPoint(DecodeTrackRecord(r.data(), layout))) records.push_back(r);
  }
  return records;
}

}  // namespace

TEST(TextLineTest, FixedDigitsAreThoseOfPrintf) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {-0.0, 6, "-0.000000"},          {-1e-9, 6, "-0.000000"},          {90.0, 6, "90.000000"},
      {-180.0, 6, "-180.000000"},      {180.0, 6, "180.000000"},         {0.0078125, 6, "0.007812"},  // tie to even
      {0.0234375, 6, "0.023438"},      {5e-7, 6, "0.000000"},            {1.0000005, 6, "1.000001"},
      {52.2250000001, 6, "52.225000"}, {38854.430902777778, 7, "38854.4309028"}, {0.5, 0, "0"},
      {2.5, 0, "2"},                   {9.5, 0, "10"},
  };
  for (const auto& c : cases) {
    TextLine line;
    line.Fixed(c.value, c.decimals);
    EXPECT_EQ(line.View(), c.text) << c.value;
#if !defined(_WIN32)
    // The C library's printf, in the "C" locale, agrees.
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.*f", c.decimals, c.value);
    EXPECT_STREQ(printed, c.text) << c.value;
#endif
  }
  TextLine line;
  line.TwoDigits(0).Char(' ').TwoDigits(7).Char(' ').TwoDigits(100).Char(' ').Int(-32768).Char(' ').Int(0);
  EXPECT_EQ(line.View(), "00 07 100 -32768 0");
}

TEST(TrackWriterTest, LinesAreThoseOfThePrintfTemplate) {
  TempDir dir;
  for (int layout : {1, 2}) {
    for (int language : {kPolish, kEnglish}) {
      LanguageGuard guard(language);
      const std::vector<Record> records = RandomValidRecords(layout, 4000);
      const std::string expected = PrintfPlt(Concat(records), layout, 4000);
      TrackWriterOptions options;
      options.layout = layout;
      options.pointCount = 4000;
      EventLog log;
      const std::string written = WriteAll(dir, Concat(records), options, log);
      ASSERT_EQ(written.size(), expected.size()) << "layout " << layout;
      for (size_t at = 0; at < written.size(); at += 4096) {
        ASSERT_EQ(written.substr(at, 4096), expected.substr(at, 4096)) << "layout " << layout;
      }
      EXPECT_TRUE(log.Entries().empty());
    }
  }
}

TEST(TrackWriterTest, GpxOfTheWorkedRecord) {
  // The worked record twice: its segment bit makes the second a segment of its own. The
  // name's "&" (and "<" and ">", which Windows file names cannot hold) become references.
  EXPECT_EQ(XmlEscaped("a&b<c>\"'"), "a&amp;b&lt;c&gt;\"'");
  TempDir dir;
  std::vector<uint8_t> records(kWorkedLayout2.begin(), kWorkedLayout2.end());
  records.insert(records.end(), kWorkedLayout2.begin(), kWorkedLayout2.end());
  records[16 + 14] = 0xFB;  // -5 m
  records[16 + 15] = 0xFF;
  records[16 + 0] = 0x01;   // 2D, no satellites
  TrackWriterOptions options;
  options.format = TrackFileFormat::Gpx;
  EventLog log;
  EXPECT_EQ(WriteAll(dir, records, options, log, "a&b.gpx"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<gpx version=\"1.1\" creator=\"Stravener Tool 1.8.0.0\" xmlns=\"http://www.topografix.com/GPX/1/1\">\r\n"
            "  <trk>\r\n    <name>a&amp;b</name>\r\n    <trkseg>\r\n"
            "      <trkpt lat=\"52.225000\" lon=\"21.012200\"><ele>112</ele><time>2006-05-17T10:20:30Z</time>"
            "<fix>3d</fix><sat>7</sat><hdop>1.2</hdop></trkpt>\r\n    </trkseg>\r\n    <trkseg>\r\n"
                "      <trkpt lat=\"52.225000\" lon=\"21.012200\"><ele>-5</ele><time>2006-05-17T10:20:30Z</time>"
                "<fix>2d</fix><sat>0</sat><hdop>1.2</hdop></trkpt>\r\n    </trkseg>\r\n  </trk>\r\n</gpx>\r\n");
  EXPECT_TRUE(log.Entries().empty());
}

TEST(TrackWriterTest, EveryBufferSizeGivesTheSameFile) {
  TempDir dir;
  for (int layout : {1, 2}) {
    sim::SyntheticTrackOptions track;
    track.layout = layout;
    track.points = 300;
    const std::vector<uint8_t> records = sim::MakeSyntheticTrack(track);
    const std::string reference = PrintfPlt(records, layout);
    // Lines are some 70 bytes long: with these sizes lines straddle the buffer's end, end
    // exactly on it, or span several buffers.
    for (size_t size : {size_t{1}, size_t{2}, size_t{69}, size_t{70}, size_t{71}, size_t{4096},
                        kTrackOutputBufferSize}) {
      TrackWriterOptions options;
      options.layout = layout;
      options.bufferSize = size;
      EventLog log;
      EXPECT_TRUE(WriteAll(dir, records, options, log) == reference) << "layout " << layout << ", buffer " << size;
    }
  }
}

TEST(TrackWriterTest, AnInvalidRecordFindsEverythingBeforeItInTheFile) {
  LanguageGuard english(kEnglish);
  TempDir dir;
  sim::SyntheticTrackOptions track;
  track.points = 200;
  std::vector<uint8_t> records = sim::MakeSyntheticTrack(track);
  // Record 150 lies beyond the pole.
  records[150 * 16 + 6] = 0x7F;
  const std::string reference = PrintfPlt(std::vector<uint8_t>(records.begin(), records.begin() + 150 * 16), 2);
  TrackWriterOptions options;
  options.bufferSize = 4096;
  EventLog log;
  uintmax_t sizeWhenReported = 0;
  log.SetListener([&](const LogEntry&, bool) { sizeWhenReported = std::filesystem::file_size(dir.File("t.plt")); });
  EXPECT_EQ(WriteAll(dir, records, options, log), reference);
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_EQ(log.Entries()[0].text, "Error in track memory contents.");
  EXPECT_EQ(sizeWhenReported, reference.size()) << "the lines before it were written before the message";
}

#if !defined(_WIN32)
// A limit on the size of the files the process writes: a write beyond it fails with EFBIG,
// as one on a disk that is full fails with ENOSPC. The signal that would end the process
// is ignored for the while.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  struct rlimit previous_ {};
  void (*previousHandler_)(int) = nullptr;
};

TEST(TrackWriterTest, AFailureInTheMiddleOfABufferIsReportedOnceAndKeepsWhatWasWritten) {
  TempDir dir;
  sim::SyntheticTrackOptions track;
  track.points = 300;
  const std::vector<uint8_t> records = sim::MakeSyntheticTrack(track);
  std::string systemText;
  ASSERT_TRUE(SystemErrorText(EFBIG, systemText));
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    const std::string reference = PrintfPlt(records, 2);
    ASSERT_GT(reference.size(), 20000u);
    EventLog log;
    File file;
    ASSERT_EQ(file.Create(dir.File("t.plt")), 0u);
    TrackWriterOptions options;
    options.bufferSize = 4096;
    size_t accepted = 0;
    {
      // The third buffer (8192 to 12288 bytes) meets the limit in its middle.
      FileSizeLimit limit(10000);
      TrackWriter writer(log, file, dir.File("t.plt"), options);
      for (size_t p = 0; p + 16 <= records.size() && writer.Write(records.data() + p); p += 16) ++accepted;
      EXPECT_FALSE(writer.Write(records.data())) << "the run has ended";
      EXPECT_FALSE(writer.End());
    }
    file.Close();
    EXPECT_LT(accepted, 300u);
    ASSERT_EQ(log.Entries().size(), 2u);
    EXPECT_EQ(log.Entries()[0].text,
              language == kPolish ? "Błąd 0x1b zapisu do pliku śladu." : "Error 0x1b writing track file.");
    EXPECT_EQ(log.Entries()[1].text, systemText);
    const std::string written = ReadTextFile(dir.File("t.plt"));
    EXPECT_EQ(written.size(), 10000u);
    EXPECT_TRUE(written == reference.substr(0, 10000)) << "the file is what came before the limit";
  }
}
#endif

namespace {

struct Fix {
  double latitude, longitude;
  int altitude;
  bool segmentStart;
};

// Layout-2 records of the fixes, a second apart from 2026-06-20 23:59:58, so that the
// track crosses midnight.
std::vector<uint8_t> FixRecords(const std::vector<Fix>& fixes) {
  std::vector<uint8_t> records;
  uint32_t seconds = sim::GpsSecondsFromCivil({2026, 6, 20, 23, 59, 58});
  for (const Fix& f : fixes) {
    sim::SyntheticPoint p;
    p.latitude = f.latitude, p.longitude = f.longitude, p.altitude = f.altitude;
    p.segmentStart = f.segmentStart, p.gpsSeconds = seconds++;
    const std::array<uint8_t, 16> r = sim::EncodeLayout2(p);
    records.insert(records.end(), r.begin(), r.end());
  }
  return records;
}

}  // namespace

TEST(TrackSummaryTest, TheDistanceRunsAlongEachSegmentOnTheSphere) {
  // A degree of a great circle on the sphere of 6371.0088 km is 111.19508 km, wherever it
  // lies; across the antimeridian it is one degree, not 359.
  const double degreeKm = 111.1950802;
  EXPECT_NEAR(GreatCircleKm(0, 0, 1, 0), degreeKm, 1e-6);
  EXPECT_NEAR(GreatCircleKm(52.5, 21, 53.5, 21), degreeKm, 1e-6);
  EXPECT_NEAR(GreatCircleKm(0, 179.5, 0, -179.5), degreeKm, 1e-6);
  EXPECT_NEAR(GreatCircleKm(0, 0, 90, 0), 90 * degreeKm, 1e-4);
  EXPECT_NEAR(GreatCircleKm(0, 0, 0, 180), 180 * degreeKm, 1e-4);
  EXPECT_EQ(GreatCircleKm(52.225, 21.0122, 52.225, 21.0122), 0.0);

  // Across the antimeridian, then a gap of ten degrees to a second segment: the gap adds
  // nothing. The summary counts what the file gets, through the writer's record loop.
  const std::vector<uint8_t> records =
      FixRecords({{0, 179.5, 100, true}, {0, -179.5, 120, false}, {10, 0, 7, true}, {11, 0, -5, false}});
  TempDir dir;
  TrackWriterOptions options;
  EventLog log;
  File file;
  ASSERT_EQ(file.Create(dir.File("t.plt")), 0u);
  TrackWriter writer(log, file, dir.File("t.plt"), options);
  for (size_t p = 0; p < records.size(); p += 16) ASSERT_TRUE(writer.Write(records.data() + p));
  EXPECT_TRUE(writer.End());
  const TrackSummary& summary = writer.Summary();
  EXPECT_NEAR(summary.DistanceKm(), 2 * degreeKm, 1e-5);
  {
    LanguageGuard english(kEnglish);
    EXPECT_EQ(TrackSummaryLines(summary, false),
              (std::vector<std::string>{"Points: 4", "Segments: 2", "Start: 2026-06-20 23:59:58",
                                        "End: 2026-06-21 00:00:01", "Duration: 0:00:03", "Distance: 222.39 km",
                                        "Altitude: -5 to 120 m", "Days: 2026-06-20, 2026-06-21"}));
  }
  {
    LanguageGuard polish(kPolish);
    EXPECT_EQ(TrackSummaryLines(summary, true),
              (std::vector<std::string>{"Punkty: 4", "Odcinki: 2", "Początek: 2026-06-20 23:59:58",
                                        "Koniec: 2026-06-21 00:00:01", "Czas: 0:00:03", "Dystans: 222,39 km",
                                        "Wysokość: od -5 do 120 m", "Dni: 2026-06-20, 2026-06-21", "Pominięto: 0"}));
  }

  // A record left out breaks its segment: the way across it adds nothing either. The
  // earliest and latest times bound the duration whatever the order of the records.
  std::vector<uint8_t> spoiled = FixRecords({{0, 0, 0, true}, {95, 0, 0, false}, {1, 0, 0, false}, {2, 0, 0, false}});
  const std::vector<uint8_t> earlier = FixRecords({{2, 0, 0, false}});
  spoiled.insert(spoiled.end(), earlier.begin(), earlier.end());
  spoiled[spoiled.size() - 16 + 2] -= 0x01;  // 2^24 s, some 194 days earlier
  options.skipInvalid = true;
  EventLog skipLog;
  TrackWriter skipping(skipLog, file, dir.File("t.plt"), options);
  for (size_t p = 0; p < spoiled.size(); p += 16) ASSERT_TRUE(skipping.Write(spoiled.data() + p));
  EXPECT_TRUE(skipping.End());
  file.Close();
  EXPECT_EQ(skipping.Summary().Points(), 4u);
  EXPECT_EQ(skipping.Summary().Segments(), 2u);
  EXPECT_EQ(skipping.Summary().LeftOut(), 1u);
  EXPECT_NEAR(skipping.Summary().DistanceKm(), degreeKm, 1e-5);
  LanguageGuard english(kEnglish);
  const std::vector<std::string> lines = TrackSummaryLines(skipping.Summary(), true);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[2], "Start: 2025-12-08 19:39:42");
  EXPECT_EQ(lines[3], "End: 2026-06-21 00:00:01");
  EXPECT_EQ(lines[4], "Duration: 4660:20:19");
  EXPECT_EQ(lines[7], "Days: 2025-12-08, 2026-06-20, 2026-06-21");
  EXPECT_EQ(lines[8], "Left out: 1");
}
