#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/system_error.h"
#include "sim/synthetic_track.h"
#include "support/language_guard.h"
#include "support/scoped_locale.h"
#include "support/scoped_time_zone.h"
#include "support/stop_request_guard.h"
#include "support/test_host.h"
#include "support/temp_dir.h"
#include "track/binary_conversion.h"
#include "track/day_split.h"
#include "worked_records.h"

using namespace stravener;

namespace {

const std::vector<unsigned char> kWorkedRecord(kWorkedLayout2.begin(), kWorkedLayout2.end());

std::string Header(const std::string& name) {
  return "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,16776960," +
         name + ",1,0,2,8421376\r\n0\r\n";
}

std::string SystemText(uint32_t code) {
  std::string text;
  EXPECT_TRUE(SystemErrorText(code, text));
  return text;
}

std::string Hex(uint32_t code) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", code);
  return buffer;
}

// The error a direct attempt to create a file at the path meets (0 when it succeeds).
uint32_t CreateError(const std::string& path) {
  File probe;
  const uint32_t code = probe.Create(path);
  if (code == 0) {
    probe.Close();
    std::filesystem::remove(path);
  }
  return code;
}

struct Conversion {
  TempDir dir;
  TestHost host;
  std::string input = dir.File("track.bin");
  std::string output = dir.File("out.plt");

  bool Run() { return ConvertBinaryTrackFile(host, input, output); }
  std::vector<std::string> Intro() const { return {"Converting file", input, "--> " + output}; }
  std::vector<std::string> IntroPl() const { return {"Konwersja pliku", input, "--> " + output}; }
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(BinaryConversionTest, ConvertsWholeRecordsAndIgnoresATail) {
  LanguageGuard english(kEnglish);
  Conversion c;
  std::vector<unsigned char> bytes = kWorkedRecord;
  bytes.insert(bytes.end(), kWorkedRecord.begin(), kWorkedRecord.end());
  for (int i = 0; i < 8; ++i) bytes.push_back(0xEE);  // 40 bytes: the last 8 are no record
  WriteWholeFile(c.input, bytes);
  WriteWholeFile(c.output, std::vector<unsigned char>(5000, 'x'));  // replaced
  EXPECT_TRUE(c.Run());
  EXPECT_EQ(ReadTextFile(c.output), Header("out") + kWorkedLine +
                                        "52.225000,21.012200,1,367,38854.4309028,17-May-06,10:20:30,7,1.2,3D\r\n");
  EXPECT_EQ(c.host.Lines(), Concat(c.Intro(), {"OK, 2 points written."}));
  EXPECT_EQ(c.host.Kinds(), std::vector<LogKind>(4, LogKind::Info));
  EXPECT_EQ(ReadWholeFile(c.input), bytes);
}

TEST(BinaryConversionTest, EmptyInputGivesAnEmptyOutput) {
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    Conversion c;
    WriteWholeFile(c.input, {});
    EXPECT_TRUE(c.Run());
    EXPECT_TRUE(PathExists(c.output));
    EXPECT_EQ(ReadTextFile(c.output), "");
    EXPECT_EQ(c.host.log.Entries().back().text, language == kPolish ? "OK, zapisano 0 punktów." : "OK, 0 points written.");
    EXPECT_EQ(c.host.log.Entries().front().text, language == kPolish ? "Konwersja pliku" : "Converting file");
  }
}

TEST(BinaryConversionTest, GarbageStopsAtTheFirstInvalidRecord) {
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    Conversion c;
    std::vector<unsigned char> bytes = kWorkedRecord;
    // A record saved by a layout-1 logger at 70 degrees north: read as layout 2 its
    // latitude is beyond 90 degrees.
    const std::vector<unsigned char> layout1{0x17, 0x0C, 0xB1, 0x0C, 0x8A, 0x7A, 0x46, 0x0D,
                                             0x88, 0x13, 0x15, 0x00, 0x98, 0x1C, 0x70, 0x00};
    bytes.insert(bytes.end(), layout1.begin(), layout1.end());
    bytes.insert(bytes.end(), kWorkedRecord.begin(), kWorkedRecord.end());
    WriteWholeFile(c.input, bytes);
    EXPECT_FALSE(c.Run());
    // What was written is kept, never under the chosen name.
    const std::string partial = c.dir.File("out.partial.plt");
    EXPECT_FALSE(PathExists(c.output));
    EXPECT_EQ(ReadTextFile(partial), Header("out") + (language == kPolish
                                                          ? "52.225000,21.012200,1,367,38854.4309028,17-maj-06,"
                                                            "10:20:30,7,1.2,3D\r\n"
                                                          : kWorkedLine));
    const std::string error = language == kPolish ? "Błąd zawartości pamięci śladu." : "Error in track memory contents.";
    const std::string kept = language == kPolish ? "Niekompletny ślad zapisano w " + partial + "."
                                                 : "The incomplete track is in " + partial + ".";
    EXPECT_EQ(c.host.Lines(), Concat(language == kPolish ? c.IntroPl() : c.Intro(), {error, kept}));
    EXPECT_EQ(c.host.Kinds()[c.host.Kinds().size() - 2], LogKind::Error);
  }
}

TEST(BinaryConversionTest, AnInvalidRecordLeftOutOrAFailureThatLeavesTheOldFileAsItWas) {
  LanguageGuard english(kEnglish);
  Conversion c;
  // The worked point, a record that is no valid point (its latitude beyond 90 degrees),
  // and a point a second later that goes on the segment.
  std::vector<unsigned char> later = kWorkedRecord;
  later[0] &= 0xFE;
  later[5] += 1;
  std::vector<unsigned char> bytes = kWorkedRecord;
  bytes.insert(bytes.end(), {0x73, 0x0C, 0x31, 0x95, 0xBB, 0x6E, 0x7F, 0xFF, 0xFF, 0xFF, 0x0E, 0xF1, 0x27, 0x7F, 0x70, 0x00});
  bytes.insert(bytes.end(), later.begin(), later.end());
  WriteWholeFile(c.input, bytes);
  const std::vector<unsigned char> old{'o', 'l', 'd'};
  WriteWholeFile(c.output, old);
  const std::string partial = c.dir.File("out.partial.plt");

  // The invalid record ends the conversion: the old file stays, what came before is beside it.
  EXPECT_FALSE(c.Run());
  EXPECT_EQ(ReadWholeFile(c.output), old);
  EXPECT_EQ(ReadTextFile(partial), Header("out") + kWorkedLine);
  EXPECT_EQ(c.host.Lines(), Concat(c.Intro(), {"Error in track memory contents.",
                                               c.output + " was left as it was; the incomplete track is in " +
                                                   partial + "."}));

  // Left out: the next point begins a segment of its own, and the old file is replaced.
  c.host.log = EventLog();
  BinaryConversionOptions skip;
  skip.skipInvalid = true;
  EXPECT_TRUE(ConvertBinaryTrackFile(c.host, c.input, c.output, skip));
  const std::string text = ReadTextFile(c.output);
  ASSERT_EQ(text.rfind(Header("out") + kWorkedLine, 0), 0u) << text;
  const std::string second = text.substr(Header("out").size() + std::string(kWorkedLine).size());
  EXPECT_EQ(second.rfind("52.225000,21.012200,1,367,", 0), 0u) << second;
  EXPECT_EQ(c.host.Lines(), Concat(c.Intro(), {"1 invalid records left out.", "OK, 2 points written."}));
  // Without the record between, the point a second later goes on the segment.
  WriteWholeFile(c.input, [&] {
    std::vector<unsigned char> two = kWorkedRecord;
    two.insert(two.end(), later.begin(), later.end());
    return two;
  }());
  EXPECT_TRUE(ConvertBinaryTrackFile(c.host, c.input, c.output, skip));
  EXPECT_EQ(ReadTextFile(c.output).substr(Header("out").size() + std::string(kWorkedLine).size(), 26),
            "52.225000,21.012200,0,367,");
  // Nothing else is left in the folder: no temporary file on either path.
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(c.dir.Path())) ++files;
  EXPECT_EQ(files, 3u);
}

TEST(BinaryConversionTest, InputThatCannotBeOpened) {
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    const auto expect = [language](Conversion& c, uint32_t code) {
      EXPECT_FALSE(c.Run());
      const std::string line = language == kPolish ? "Błąd " + Hex(code) + " otwarcia binarnego pliku śladu."
                                                   : "Error " + Hex(code) + " opening binary track file.";
      EXPECT_EQ(c.host.Lines(), Concat(language == kPolish ? c.IntroPl() : c.Intro(), {line, SystemText(code)}));
      EXPECT_EQ(c.host.Kinds(), (std::vector<LogKind>{LogKind::Info, LogKind::Info, LogKind::Info, LogKind::Error,
                                                       LogKind::Error}));
      EXPECT_FALSE(PathExists(c.output));
    };
    {
      Conversion missing;
      expect(missing, ENOENT);
    }
    {
      Conversion folder;
      std::filesystem::create_directory(folder.input);
      expect(folder, EISDIR);
    }
    {
      Conversion underFile;
      WriteWholeFile(underFile.dir.File("plain"), {1});
      underFile.input = underFile.dir.File("plain") + "/track.bin";
      expect(underFile, ENOTDIR);
    }
    if (geteuid() != 0) {  // permissions do not stop root
      Conversion locked;
      WriteWholeFile(locked.input, kWorkedRecord);
      std::filesystem::permissions(locked.input, std::filesystem::perms::none);
      expect(locked, EACCES);
    }
  }
}

TEST(BinaryConversionTest, ReadFailureKeepsWhatWasWritten) {
  // Reading a process's own memory from address 0 fails with an input/output error.
  Conversion c;
  c.input = "/proc/self/mem";
  {
    File probe;
    if (probe.OpenForReading(c.input) != 0) GTEST_SKIP() << "no /proc/self/mem";
  }
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    c.host.log = EventLog();
    // Nothing was read, so nothing is kept: no file under the chosen name, none beside it.
    EXPECT_FALSE(c.Run());
    const std::string line = language == kPolish ? "Błąd 0x5 odczytu pliku." : "Error 0x5 reading file.";
    EXPECT_EQ(c.host.Lines(), Concat(language == kPolish ? c.IntroPl() : c.Intro(), {line, SystemText(EIO)}));
    EXPECT_TRUE(std::filesystem::is_empty(c.dir.Path()));
  }
}

TEST(BinaryConversionTest, OutputThatCannotBeCreated) {
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    const auto expect = [language](Conversion& c, uint32_t code) {
      WriteWholeFile(c.input, kWorkedRecord);
      EXPECT_FALSE(c.Run());
      const std::string line = language == kPolish ? "Błąd " + Hex(code) + " tworzenia pliku śladu."
                                                   : "Error " + Hex(code) + " creating track file.";
      EXPECT_EQ(c.host.Lines(), Concat(language == kPolish ? c.IntroPl() : c.Intro(), {line, SystemText(code)}));
      EXPECT_EQ(ReadWholeFile(c.input), kWorkedRecord);
    };
    {
      Conversion noFolder;
      noFolder.output = noFolder.dir.File("gone") + "/out.plt";
      expect(noFolder, ENOENT);
    }
    {
      Conversion underFile;
      WriteWholeFile(underFile.dir.File("plain"), {1});
      underFile.output = underFile.dir.File("plain") + "/out.plt";
      expect(underFile, ENOTDIR);
    }
    {
      // A read-only folder: by its permissions, or for root (whom permissions do not stop)
      // the sysfs root, where no file can be created.
      Conversion readOnly;
      if (geteuid() != 0) {
        std::filesystem::create_directory(readOnly.dir.File("ro"));
        std::filesystem::permissions(readOnly.dir.File("ro"),
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        readOnly.output = readOnly.dir.File("ro") + "/out.plt";
      } else {
        readOnly.output = "/sys/stravener-test.plt";
      }
      const uint32_t code = CreateError(readOnly.output);
      ASSERT_NE(code, 0u) << readOnly.output << " can be created";
      expect(readOnly, code);
    }
  }
}

TEST(BinaryConversionTest, FullDiskEndsWithoutTheSuccessLine) {
  if (!PathExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    Conversion c;
    c.output = "/dev/full";
    WriteWholeFile(c.input, kWorkedRecord);
    EXPECT_FALSE(c.Run());
    const std::string line = language == kPolish ? "Błąd 0x1c zapisu do pliku śladu." : "Error 0x1c writing track file.";
    EXPECT_EQ(c.host.Lines(), Concat(language == kPolish ? c.IntroPl() : c.Intro(), {line, SystemText(ENOSPC)}));
  }
}

TEST(BinaryConversionTest, RefusesToReplaceTheInputItself) {
  for (int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    Conversion c;
    WriteWholeFile(c.input, kWorkedRecord);
    // The same file under another spelling of its path.
    c.output = c.dir.File(".") + "/track.bin";
    EXPECT_FALSE(c.Run());
    EXPECT_EQ(ReadWholeFile(c.input), kWorkedRecord);
    ASSERT_EQ(c.host.log.Entries().size(), 4u);
    EXPECT_EQ(c.host.log.Entries().back().kind, LogKind::Error);
    EXPECT_EQ(c.host.log.Entries().back().text, language == kPolish
                                                    ? "Plik śladu nie może zastąpić konwertowanego pliku binarnego."
                                                    : "The track file cannot replace the binary file being converted.");
  }
}

TEST(BinaryConversionTest, LargeTrackShowsProgressAndIsTheSameInAnyLocale) {
  sim::SyntheticTrackOptions options;
  options.points = 20000;
  const std::vector<uint8_t> track = sim::MakeSyntheticTrack(options);
  LanguageGuard english(kEnglish);
  Conversion plain;
  WriteWholeFile(plain.input, track);
  ASSERT_TRUE(plain.Run());
  EXPECT_EQ(plain.host.Lines().back(), "OK, 20000 points written.");
  EXPECT_EQ(plain.host.progressRanges, std::vector<uint32_t>{20000});
  ASSERT_GE(plain.host.progressPositions.size(), 3u);
  EXPECT_EQ(plain.host.progressPositions.front(), 0u);
  EXPECT_EQ(plain.host.progressPositions[1], 4096u);
  EXPECT_EQ(plain.host.progressPositions.back(), 0u);
  const std::string text = ReadTextFile(plain.output);
  size_t lines = 0;
  for (char ch : text) lines += ch == '\n' ? 1 : 0;
  EXPECT_EQ(lines, 20000u + 6);

  ScopedLocale polish(kPolishLocale);
  if (!polish.Active()) GTEST_SKIP() << "the locale " << kPolishLocale << " is not there on this machine";
  Conversion localised;
  WriteWholeFile(localised.input, track);
  localised.output = localised.dir.File("out.plt");
  ASSERT_TRUE(localised.Run());
  EXPECT_EQ(ReadTextFile(localised.output), text);
}

TEST(BinaryConversionTest, AStopRequestEndsTheConversionAndLeavesAnExistingFileAsItWas) {
  LanguageGuard english(kEnglish);
  StopRequestGuard stop;
  // Ctrl+C while the first block of records is converted.
  Conversion c;
  TestHost& host = c.host;
  host.onProgress = [](uint32_t position) {
    if (position == 4096) RequestStop();
  };
  sim::SyntheticTrackOptions options;
  options.points = 20000;
  WriteWholeFile(c.input, sim::MakeSyntheticTrack(options));
  WriteWholeFile(c.output, {'o', 'l', 'd'});
  EXPECT_FALSE(c.Run());
  EXPECT_EQ(ReadTextFile(c.output), "old");
  const std::string partial = ReadTextFile(c.dir.File("out.partial.plt"));
  EXPECT_EQ(std::count(partial.begin(), partial.end(), '\n'), 6 + 4096);
  const std::vector<std::string> lines = host.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Conversion stopped.");
}

TEST(BinaryConversionTest, SplitByDayCountsLocalDaysAcrossMidnightAndDaylightSavingChanges) {
  ScopedTimeZone warsaw("Europe/Warsaw");
  // Records a second before and at local midnight: in summer (UTC+2), and around the day
  // summer time begins (23 hours long) and ends (25 hours long). UTC or a fixed offset
  // would put some of them on the wrong day.
  const struct {
    sim::CivilTime utc;
    const char* localDay;
  } fixes[] = {{{2026, 3, 28, 22, 59, 59}, "2026-03-28"}, {{2026, 3, 28, 23, 0, 0}, "2026-03-29"},
               {{2026, 3, 29, 21, 59, 59}, "2026-03-29"}, {{2026, 3, 29, 22, 0, 0}, "2026-03-30"},
               {{2026, 6, 20, 21, 59, 59}, "2026-06-20"}, {{2026, 6, 20, 22, 0, 0}, "2026-06-21"},
               {{2026, 10, 24, 21, 59, 59}, "2026-10-24"}, {{2026, 10, 24, 22, 0, 0}, "2026-10-25"},
               {{2026, 10, 25, 22, 59, 59}, "2026-10-25"}, {{2026, 10, 25, 23, 0, 0}, "2026-10-26"}};
  Conversion c;
  std::vector<unsigned char> records;
  std::map<std::string, uint32_t> expected;
  for (const auto& fix : fixes) {
    const std::array<uint8_t, 16> record =
        sim::EncodeLayout2(sim::SyntheticPoint{52.2, 21.0, 100, sim::GpsSecondsFromCivil(fix.utc), 7, 12});
    records.insert(records.end(), record.begin(), record.end());
    ++expected[fix.localDay];
  }
  WriteWholeFile(c.input, records);
  BinaryConversionOptions options;
  options.splitByDay = true;
  WrittenTrack written;
  ASSERT_TRUE(ConvertBinaryTrackFile(c.host, c.input, c.output, options, &written)) << ::testing::PrintToString(c.host.Lines());

  std::map<std::string, uint32_t> days;
  std::vector<std::string> log{"Converting file", c.input};
  for (const DayFile& file : written.dayFiles) {
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", file.day.year, file.day.month, file.day.day);
    days[day] = file.points;
    EXPECT_EQ(file.path, c.dir.File("out-" + std::string(day) + ".plt"));
    log.push_back("--> " + file.path);
  }
  EXPECT_EQ(days, expected);
  log.push_back("OK, 10 points written.");
  EXPECT_EQ(c.host.Lines(), log);
  EXPECT_EQ(written.summary.Points(), 10u);
  EXPECT_FALSE(std::filesystem::exists(c.output)) << "the chosen name itself is not written";
  // Each file is a whole PLT file named after its day, its first point starting a segment;
  // the times are the records' own.
  EXPECT_EQ(ReadTextFile(c.dir.File("out-2026-03-29.plt")),
            Header("out-2026-03-29") + "52.200000,21.000000,1,328,46109.9583333,28-Mar-26,23:00:00,7,1.2,3D\r\n" +
                "52.200000,21.000000,0,328,46110.9166551,29-Mar-26,21:59:59,7,1.2,3D\r\n");

  // More days than a split writes: refused before anything is written.
  Conversion many;
  records.clear();
  for (uint32_t day = 0; day <= kMostDayFiles; ++day) {
    const std::array<uint8_t, 16> record = sim::EncodeLayout2(
        sim::SyntheticPoint{52.2, 21.0, 100, sim::GpsSecondsFromCivil({2020, 1, 1, 12, 0, 0}) + day * 86400, 7, 12});
    records.insert(records.end(), record.begin(), record.end());
  }
  WriteWholeFile(many.input, records);
  EXPECT_FALSE(ConvertBinaryTrackFile(many.host, many.input, many.output, options, &written));
  EXPECT_EQ(many.host.Lines().back(), "The track's points fall on 1001 days; a split writes at most 1000 files.");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(many.dir.Path()), std::filesystem::directory_iterator()),
            1);
}
