#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "platform/file.h"
#include "platform/path_separator.h"
#include "platform/system_error.h"
#include "sim/synthetic_track.h"
#include "support/language_guard.h"
#include "support/scoped_locale.h"
#include "support/temp_dir.h"
#include "track/track_file_format.h"
#include "track/track_name.h"
#include "track/track_writer.h"
#include "worked_records.h"

using namespace stravener;
using stravener::sim::CivilTime;
using stravener::sim::EncodeLayout1;
using stravener::sim::EncodeLayout2;
using stravener::sim::GpsSecondsFromCivil;
using stravener::sim::SyntheticPoint;

namespace {

using Record = std::array<uint8_t, 16>;

// A layout-1 record at 70 degrees north: read as layout 2 its latitude is beyond 90.
const Record kNorthLayout1{0x17, 0x0C, 0xB1, 0x0C, 0x8A, 0x7A, 0x46, 0x0D,
                           0x88, 0x13, 0x15, 0x00, 0x98, 0x1C, 0x70, 0x00};

const char kHeaderStart[] =
    "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n";

// A point on 2006-05-17 at the given time, seconds since 10:00:00.
SyntheticPoint PointAt(int secondsAfterTen, bool segmentStart = false) {
  SyntheticPoint p;
  p.latitude = 52.225;
  p.longitude = 21.0122;
  p.altitude = 112;
  p.gpsSeconds = GpsSecondsFromCivil(CivilTime{2006, 5, 17, 10, 0, 0}) + static_cast<uint32_t>(secondsAfterTen);
  p.satellites = 7;
  p.hdop = 12;
  p.segmentStart = segmentStart;
  return p;
}

// One run of the PLT writer into a file of a temporary folder, record by record; the
// layout and point count are those of the first record's call.
class WriterRun {
 public:
  explicit WriterRun(const std::string& name = "20060517_log.plt") : path_(dir_.File(name)) {
    EXPECT_EQ(file_.Create(path_), 0u);
  }

  // False when the record was refused.
  bool Write(const Record& record, int layout, uint32_t pointCount = 0) {
    if (!writer_) {
      TrackWriterOptions options;
      options.layout = layout;
      options.pointCount = pointCount;
      writer_ = std::make_unique<TrackWriter>(log, file_, path_, options);
    }
    return writer_->Write(record.data());
  }

  // The point lines of the file, once the run has ended.
  std::vector<std::string> Lines() {
    const std::string text = Text();
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() >= 6) lines.erase(lines.begin(), lines.begin() + 6);
    return lines;
  }
  // The segment flags (third field) of the lines written.
  std::string Flags() {
    std::string flags;
    for (const std::string& line : Lines()) {
      const size_t a = line.find(',');
      const size_t b = line.find(',', a + 1);
      flags += line.substr(b + 1, 1);
    }
    return flags;
  }
  // Ends the run and gives the whole file.
  std::string Text() {
    if (writer_) writer_->End();
    file_.Close();
    return ReadTextFile(path_);
  }

  EventLog log;

 private:
  TempDir dir_;
  std::string path_;
  File file_;
  std::unique_ptr<TrackWriter> writer_;
};

}  // namespace

TEST(PltWriterTest, HeaderAndWorkedLineInBothLanguages) {
  LanguageGuard english(kEnglish);
  WriterRun run;
  EXPECT_TRUE(run.Write(kWorkedLayout1, 1, 1234));
  const std::string header = std::string(kHeaderStart) + "0,2,16776960,20060517_log,1,0,2,8421376\r\n1234\r\n";
  EXPECT_EQ(run.Text(), header + kWorkedLine);
  EXPECT_TRUE(run.log.Entries().empty());

  LanguageGuard polish(kPolish);
  WriterRun polishRun;
  polishRun.Write(kWorkedLayout1, 1);
  EXPECT_EQ(polishRun.Lines(),
            std::vector<std::string>{"52.225000,21.012200,1,367,38854.4309028,17-maj-06,10:20:30,7,1.2,3D"});
}

TEST(PltWriterTest, WorkedLayout2RecordGivesTheSameLineAsLayout1) {
  LanguageGuard english(kEnglish);
  WriterRun run;
  run.Write(kWorkedLayout2, 2);
  EXPECT_EQ(run.Lines(), std::vector<std::string>{std::string(kWorkedLine, sizeof kWorkedLine - 3)});
}

// A path written with "/" in the platform's own folder separator.
std::string NativePath(std::string path) {
#if defined(_WIN32)
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

TEST(PltWriterTest, TrackNameRules) {
  EXPECT_EQ(MakeTrackName(NativePath("/home/ola/My tracks/trip, day 1.plt")), "trip__day_1");
  EXPECT_EQ(MakeTrackName(NativePath("/home/ola/old.dir/track")), "track");
  EXPECT_EQ(MakeTrackName(NativePath("/home/ola/.plt")), "");
  EXPECT_EQ(MakeTrackName("archive.tar.plt"), "archive.tar");
  EXPECT_EQ(MakeTrackName("tab\there\x01.plt"), "tab_here_");
  // One underscore for each letter, however many bytes it takes in UTF-8.
  EXPECT_EQ(MakeTrackName(NativePath("/t/Łódź żółw.plt")), "__d_____w");
  EXPECT_EQ(MakeTrackName(NativePath("/t/a\xE2\x82\xAC" "b\xF0\x9F\x9A\xB4" "c.plt")), "a_b_c");
  // Bytes that are no UTF-8 sequence still each give one underscore.
  EXPECT_EQ(MakeTrackName(NativePath("/t/x\x80\x80y\xC5.plt")), "x__y_");
  WriterRun run(".plt");
  run.Write(kWorkedLayout2, 2);
  EXPECT_EQ(run.Text().rfind(std::string(kHeaderStart) + "0,2,16776960,,1,0,2,8421376\r\n0\r\n", 0), 0u);
}

// The one folder-separator rule, and the track name and the extension that follow it.
TEST(PathSeparatorTest, TheSlashEverywhereAndTheBackslashOnWindows) {
#if defined(_WIN32)
  const bool windows = true;
#else
  const bool windows = false;
#endif
  EXPECT_TRUE(IsPathSeparator('/'));
  EXPECT_EQ(IsPathSeparator('\\'), windows);
  EXPECT_EQ(kPathSeparator, windows ? '\\' : '/');
  EXPECT_EQ(LastPathSeparator("C:/t\\a.b/c\\d.plt"), windows ? 10u : 8u);
  EXPECT_EQ(LastPathSeparator("track.plt"), std::string::npos);
  EXPECT_EQ(MakeTrackName("t\\a/b.plt"), "b");
  EXPECT_EQ(MakeTrackName("t/a\\b.plt"), windows ? "b" : "a\\b");
  EXPECT_EQ(FileNameExtension("t/a.b\\c"), windows ? "" : "b\\c");
}

TEST(PltWriterTest, Layout1SegmentsStartAfterTwoMinutes) {
  // Each step: seconds after the previous written point, and the flag expected.
  WriterRun run;
  int t = 0;
  run.Write(EncodeLayout1(PointAt(t)), 1);
  for (int step : {118, 120, -4, -120, 2, -118, 122}) {
    t += step;
    run.Write(EncodeLayout1(PointAt(t)), 1);
  }
  EXPECT_EQ(run.Flags(), "10101001");
}

TEST(PltWriterTest, Layout1BoundaryIs119Seconds) {
  // A layout-1 second is always even, so the rule's odd gaps are taken from layout-2 stamps.
  const TrackPoint at120 = DecodeTrackRecord(EncodeLayout1(PointAt(120)).data(), 1);
  const auto stampAt = [](int t) { return DecodeTrackRecord(EncodeLayout2(PointAt(t)).data(), 2).stamp; };
  EXPECT_FALSE(StartsNewSegment(1, false, stampAt(1), at120));    // 119 s later
  EXPECT_TRUE(StartsNewSegment(1, false, stampAt(-1), at120));    // 121 s later
  EXPECT_FALSE(StartsNewSegment(1, false, stampAt(239), at120));  // 119 s earlier
  EXPECT_TRUE(StartsNewSegment(1, false, stampAt(241), at120));   // 121 s earlier
  EXPECT_TRUE(StartsNewSegment(1, true, at120.stamp, at120));
}

TEST(PltWriterTest, Layout2SegmentsFollowTheRecordBit) {
  WriterRun run;
  run.Write(EncodeLayout2(PointAt(0, false)), 2);
  run.Write(EncodeLayout2(PointAt(1, true)), 2);
  run.Write(EncodeLayout2(PointAt(5000, false)), 2);
  run.Write(EncodeLayout2(PointAt(1, false)), 2);
  run.Write(EncodeLayout2(PointAt(2, true)), 2);
  EXPECT_EQ(run.Flags(), "11001");
}

TEST(PltWriterTest, HdopAltitudeAndYearFields) {
  LanguageGuard english(kEnglish);
  WriterRun run;
  const struct {
    uint8_t hdop;
    int altitude;
    int year;
  } cases[] = {{0, -5, 2006}, {5, 1, 2006}, {255, 0, 2100}, {99, -32768, 2006}, {100, 32767, 2000}};
  for (const auto& c : cases) {
    SyntheticPoint p = PointAt(0);
    p.hdop = c.hdop;
    p.altitude = c.altitude;
    p.gpsSeconds = GpsSecondsFromCivil(CivilTime{c.year, 1, 2, 3, 4, 5});
    p.satellites = 0;
    p.fix3d = false;
    run.Write(EncodeLayout2(p), 2);
  }
  const std::vector<std::string> lines = run.Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_NE(lines[0].find(",-16,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(",02-Jan-06,03:04:05,0,0.0,2D"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find(",3,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find(",0,0.5,2D"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(",0,0,"), std::string::npos) << lines[2];  // segment 0, altitude 0
  EXPECT_NE(lines[2].find(",02-Jan-100,03:04:05,0,25.5,2D"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find(",-107506,"), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find(",9.9,2D"), std::string::npos) << lines[3];
  EXPECT_NE(lines[4].find(",107503,"), std::string::npos) << lines[4];
  EXPECT_NE(lines[4].find(",02-Jan-00,03:04:05,0,10.0,2D"), std::string::npos) << lines[4];
}

TEST(PltWriterTest, InvalidFirstRecordLeavesOnlyTheHeader) {
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    WriterRun run;
    EXPECT_FALSE(run.Write(kNorthLayout1, 2, 7));
    EXPECT_EQ(run.Text(), std::string(kHeaderStart) + "0,2,16776960,20060517_log,1,0,2,8421376\r\n7\r\n");
    ASSERT_EQ(run.log.Entries().size(), 1u);
    EXPECT_EQ(run.log.Entries()[0].kind, LogKind::Error);
    EXPECT_EQ(run.log.Entries()[0].text,
              language == kPolish ? "Błąd zawartości pamięci śladu." : "Error in track memory contents.");
  }
}

TEST(PltWriterTest, WriteFailuresAreReportedWithTheSystemText) {
  // A device that is always full: ENOSPC (0x1c); under Wine the same device gives the
  // disk-full code of Windows.
  uint32_t code = 0;
  {
    File probe;
    if (probe.Create("/dev/full") != 0) GTEST_SKIP() << "no /dev/full";
    const uint8_t bytes[16] = {};
    size_t written = 0;
    code = probe.Write(bytes, sizeof bytes, written);
    ASSERT_NE(code, 0u);
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", code);
  std::string systemText;
  ASSERT_TRUE(SystemErrorText(code, systemText));
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    File full;
    ASSERT_EQ(full.Create("/dev/full"), 0u);
    EventLog log;
    TrackWriter writer(log, full, "/dev/full", TrackWriterOptions{});
    writer.Write(kWorkedLayout2.data());
    EXPECT_FALSE(writer.End());
    ASSERT_EQ(log.Entries().size(), 2u);
    EXPECT_EQ(log.Entries()[0].text,
              language == kPolish ? std::string("Błąd ") + hex + " zapisu do pliku śladu."
                                  : std::string("Error ") + hex + " writing track file.");
    EXPECT_EQ(log.Entries()[1].text, systemText);
    EXPECT_EQ(log.Entries()[1].kind, LogKind::Error);
  }
}

TEST(PltWriterTest, FileIsTheSameWhateverTheLocale) {
  auto write = [] {
    WriterRun run;
    for (int i = 0; i < 50; ++i) {
      SyntheticPoint p = PointAt(i * 37, i % 7 == 0);
      p.latitude = -33.8567844 + i * 0.001;
      p.longitude = -151.2152967 - i * 0.001;
      p.altitude = -40 + i;
      run.Write(EncodeLayout2(p), 2);
    }
    return run.Text();
  };
  const std::string plain = write();
  ScopedLocale polish(kPolishLocale);
  if (!polish.Active()) GTEST_SKIP() << "the locale " << kPolishLocale << " is not there on this machine";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5");
  EXPECT_EQ(write(), plain);
  EXPECT_NE(plain.find("-33.856784,-151.215297,1,-131,"), std::string::npos);
}
