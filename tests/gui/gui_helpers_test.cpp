#include <gtest/gtest.h>

#include "app/language.h"
#include "gui/build_text.h"
#include "gui/dialog_units.h"
#include "gui/dropped_file.h"
#include "gui/file_filter.h"
#include "gui/tool_application.h"
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

TEST(FileFilterTest, OperationFiltersBecomeDialogFilters) {
  EXPECT_EQ(DialogFilter("PLT track (*.plt)|*.plt|Binary track (*.bin)|*.bin||").toStdString(),
            "PLT track (*.plt);;Binary track (*.bin)");
  EXPECT_EQ(DialogFilter("Firmware|*.upg|All files|*.*||").toStdString(), "Firmware (*.upg);;All files (*)");
  EXPECT_EQ(DialogFilter("Tracks|*.plt;*.bin||").toStdString(), "Tracks (*.plt *.bin)");
  EXPECT_EQ(DialogFilter("Pliki śladu (*.plt)|*.plt||").toStdString(), "Pliki śladu (*.plt)");
  EXPECT_EQ(DialogFilter("").toStdString(), "");
}

TEST(DialogUnitsTest, ConvertsWithTheFontsBaseUnitsRoundingToTheNearestPixel) {
  const DialogUnits du(6, 13);
  EXPECT_EQ(du.X(4), 6);
  EXPECT_EQ(du.X(247), 371);  // 370.5 rounds up
  EXPECT_EQ(du.Y(8), 13);
  EXPECT_EQ(du.Y(228), 371);  // 370.5
  EXPECT_EQ(du.Y(3), 5);      // 4.875
  // Neighbouring rectangles share their edges: both corners are converted.
  const QRect a = du.Rect(7, 28, 50, 14);
  const QRect b = du.Rect(57, 28, 10, 14);
  EXPECT_EQ(a.x() + a.width(), b.x());
  EXPECT_EQ(a, QRect(11, 46, 75, 22));
}
