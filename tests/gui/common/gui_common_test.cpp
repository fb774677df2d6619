#include <gtest/gtest.h>

#include "app/language.h"
#include "gui/common/build_text.h"
#include "gui/common/dropped_file.h"
#include "gui/common/file_filter.h"
#include "gui/common/startup_language.h"
#include "platform/program_version.h"

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
