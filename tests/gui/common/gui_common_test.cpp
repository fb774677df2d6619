#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/language.h"
#include "gui/common/build_text.h"
#include "gui/common/dropped_file.h"
#include "gui/common/file_choices.h"
#include "gui/common/file_filter.h"
#include "gui/common/startup_language.h"
#include "platform/program_version.h"
#include "support/language_guard.h"
#include "track/track_file_format.h"
#include "track/track_text_format.h"

using namespace stravener;
using namespace stravener::gui;

TEST(BuildTextTest, BothLanguageFormsOfTheCompilersDateAndTime) {
  EXPECT_EQ(BuildText("May  1 2006", "01:08:41", kEnglish), "5/1/2006, 01:08:41");
  EXPECT_EQ(BuildText("May  1 2006", "01:08:41", kPolish), "1.05.2006, 01:08:41");
  // Two-digit days and months: no leading zeros in English, the month padded in Polish.
  EXPECT_EQ(BuildText("Dec 31 2024", "23:59:59", kEnglish), "12/31/2024, 23:59:59");
  EXPECT_EQ(BuildText("Dec 31 2024", "23:59:59", kPolish), "31.12.2024, 23:59:59");
  EXPECT_EQ(BuildText("Oct 10 2010", "10:10:10", kPolish), "10.10.2010, 10:10:10");
  EXPECT_EQ(BuildText("Jan  9 2000", "00:00:00", kPolish), "9.01.2000, 00:00:00");
}

TEST(BuildTextTest, AnUnknownMonthCountsAsJanuaryAndShortTextsDoNotCrash) {
  EXPECT_EQ(BuildText("Foo  3 2021", "12:00:00", kEnglish), "1/3/2021, 12:00:00");
  EXPECT_EQ(BuildText("may  3 2021", "12:00:00", kEnglish), "1/3/2021, 12:00:00");  // names are exact
  EXPECT_EQ(BuildText("", "", kEnglish), "1//, ");
  EXPECT_EQ(BuildText("Mar", "", kPolish), ".03., ");
}

TEST(BuildTextTest, VersionComesFromTheBuild) { EXPECT_EQ(ProgramVersionText(), "1.8.0.0"); }

TEST(StartupLanguageTest, StoredValuesOutsidePolishAndEnglishStartInEnglish) {
  EXPECT_EQ(StartupLanguage(0), kPolish);
  EXPECT_EQ(StartupLanguage(1), kEnglish);
  EXPECT_EQ(StartupLanguage(2), kEnglish);
  EXPECT_EQ(StartupLanguage(-1), kEnglish);
  EXPECT_EQ(StartupLanguage(0x7fffffff), kEnglish);
}

TEST(DroppedFileTest, OnlyTheExactLowerCaseExtensionsAfterTheLastDotCount) {
  EXPECT_EQ(ClassifyDroppedFile("/home/u/track.bin"), DroppedFileKind::BinaryTrack);
  EXPECT_EQ(ClassifyDroppedFile("/home/u/firmware.upg"), DroppedFileKind::FirmwareImage);
  EXPECT_EQ(ClassifyDroppedFile("/home/u/track.BIN"), DroppedFileKind::Unsupported);
  EXPECT_EQ(ClassifyDroppedFile("/home/u/firmware.Upg"), DroppedFileKind::Unsupported);
  EXPECT_EQ(ClassifyDroppedFile("/home/u/track"), DroppedFileKind::Unsupported);
  EXPECT_EQ(ClassifyDroppedFile("/home/u.bin/track"), DroppedFileKind::Unsupported);  // the folder's dot is last
  EXPECT_EQ(ClassifyDroppedFile("/home/u/track.bin.plt"), DroppedFileKind::Unsupported);
  EXPECT_EQ(ClassifyDroppedFile("/home/u/track.plt.bin"), DroppedFileKind::BinaryTrack);
  EXPECT_EQ(ClassifyDroppedFile("/home/u/track.bin "), DroppedFileKind::Unsupported);
  EXPECT_EQ(ClassifyDroppedFile(".bin"), DroppedFileKind::BinaryTrack);
}

TEST(FileFilterTest, LabelsStayAsWrittenAndPatternsComeApart) {
  const std::vector<FileFilterEntry> entries =
      ParseFileFilter("Track files (*.plt)|*.plt|All files (*.*)|*.*|Tracks| *.plt ; *.bin;|Empty||||Late|*.x||");
  ASSERT_EQ(entries.size(), 3u);  // the type without patterns is dropped; "||" ends the list
  EXPECT_EQ(entries[0].label, "Track files (*.plt)");
  EXPECT_EQ(entries[0].patterns, std::vector<std::string>{"*.plt"});
  EXPECT_EQ(entries[1].label, "All files (*.*)");
  EXPECT_EQ(entries[1].patterns, std::vector<std::string>{"*.*"});
  EXPECT_EQ(entries[2].label, "Tracks");
  EXPECT_EQ(entries[2].patterns, (std::vector<std::string>{"*.plt", "*.bin"}));
  EXPECT_TRUE(ParseFileFilter("").empty());
  EXPECT_TRUE(ParseFileFilter("||").empty());
}

// Each track format comes from its one entry: the extension that names it in any letter
// case, the --format word, the writer, and the save dialogs' file types in both languages.
TEST(TrackFileFormatsTest, EveryEntryIsRecognisedNamedWrittenAndOffered) {
  for (const int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    const std::vector<FileFilterEntry> download = ParseFileFilter(TrackSaveChoice({2006, 3, 15}).filter);
    const std::vector<FileFilterEntry> conversion = ParseFileFilter(ConversionSaveChoice({2006, 3, 15}).filter);
    size_t offeredForConversion = 0;
    ASSERT_EQ(download.size(), std::size(kTrackFileFormats) + 1);
    for (size_t i = 0; i < std::size(kTrackFileFormats); ++i) {
      const TrackFileFormatEntry& entry = kTrackFileFormats[i];
      const std::string extension = entry.extension;
      std::string upper = extension;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_EQ(TrackFileFormatFor("in.dir/track." + upper), entry.format) << extension;
      EXPECT_EQ(TrackFileFormatNamed(extension), entry.format) << extension;
      EXPECT_EQ(TrackFileFormatNamed(upper), std::nullopt) << "the command line's words are lower-case";
      EXPECT_STREQ(TrackFileFormatExtension(entry.format), entry.extension);
      EXPECT_EQ(MakeTrackTextFormat(entry.format) != nullptr, entry.format != TrackFileFormat::Raw) << extension;
      const std::string label = language == kPolish ? entry.filterPolish : entry.filterEnglish;
      EXPECT_EQ(download[i].label, label + " (*." + extension + ")");
      EXPECT_EQ(download[i].patterns, std::vector<std::string>{"*." + extension});
      // A dropped binary file is not offered to be saved as what it already is.
      if (entry.format == TrackFileFormat::Raw) continue;
      ASSERT_LT(offeredForConversion, conversion.size());
      EXPECT_EQ(conversion[offeredForConversion++].label, download[i].label);
    }
    EXPECT_EQ(offeredForConversion + 1, conversion.size());
    EXPECT_EQ(download.back().patterns, std::vector<std::string>{"*.*"});
    EXPECT_EQ(conversion.back().label, download.back().label);
  }
  EXPECT_EQ(TrackFileFormatFor("track.txt"), TrackFileFormat::Raw);
  EXPECT_EQ(TrackFileFormatFor("track.plt/x"), TrackFileFormat::Raw);
  LanguageGuard polish(kPolish);
  EXPECT_EQ(TrackSaveChoice({2006, 3, 15}).filter,
            "Pliki śladu (*.plt)|*.plt|Pliki GPX (*.gpx)|*.gpx|Pliki KML (*.kml)|*.kml|Obraz SVG (*.svg)|*.svg|"
            "Pliki binarne (*.bin)|*.bin|Wszystkie pliki (*.*)|*.*||");
}
