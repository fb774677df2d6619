#include <gtest/gtest.h>

#include "gui/qt/file_choice_dialog.h"
#include "gui/qt/dialog_units.h"

using namespace stravener;
using namespace stravener::gui;

TEST(DialogFilterTest, EachTypeKeepsItsLabelAndGivesItsPatternsInTheLastBrackets) {
  EXPECT_EQ(DialogFilters("Track files (*.plt)|*.plt|All files (*.*)|*.*||"),
            QStringList({"Track files (*.plt) (*.plt)", "All files (*.*) (*)"}));
  EXPECT_EQ(DialogFilters("Firmware|*.upg|All files|*.*||"), QStringList({"Firmware (*.upg)", "All files (*)"}));
  EXPECT_EQ(DialogFilters("Tracks|*.plt;*.bin||"), QStringList({"Tracks (*.plt *.bin)"}));
  EXPECT_EQ(DialogFilters("Pliki śladu (*.plt)|*.plt||"), QStringList({"Pliki śladu (*.plt) (*.plt)"}));
  EXPECT_TRUE(DialogFilters("").isEmpty());
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
