#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/common/configuration_dialog.h"
#include "support/dialog_controls.h"
#include "support/language_guard.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

struct Opened {
  DialogControls controls;
  ConfigurationDialog dialog;
  explicit Opened(uint8_t loggerValue) {
    dialog.skipCount = loggerValue;
    dialog.Attach(&controls);
    dialog.InitDialog();
  }
  // The user clicks the check box: it toggles, then the dialog reacts.
  void ClickBox() {
    controls.boxChecked = !controls.boxChecked;
    dialog.OnSkipClicked();
  }
};

}  // namespace

TEST(ConfigurationDialogTest, OpensWithTheLoggersValue) {
  Opened zero(0);
  EXPECT_FALSE(zero.controls.boxChecked);
  EXPECT_FALSE(zero.controls.fieldEnabled);
  EXPECT_EQ(zero.controls.field, "0");
  EXPECT_TRUE(zero.dialog.OnSave());
  EXPECT_EQ(zero.dialog.ValueToSave(), 0);

  Opened five(5);
  EXPECT_TRUE(five.controls.boxChecked);
  EXPECT_TRUE(five.controls.fieldEnabled);
  EXPECT_EQ(five.controls.field, "5");
  EXPECT_TRUE(five.dialog.OnSave());
  EXPECT_EQ(five.dialog.ValueToSave(), 5);
}

TEST(ConfigurationDialogTest, TickingTheBoxOverZeroWarnsAtOnceButTicksAndFocuses) {
  LanguageGuard english(kEnglish);
  Opened opened(0);
  opened.ClickBox();
  ASSERT_EQ(opened.controls.warnings, std::vector<std::string>{"Input number from 1 to 255."});
  EXPECT_TRUE(opened.dialog.skipEnabled);
  EXPECT_TRUE(opened.controls.fieldEnabled);
  // Focus and selection from the validation, then the focus of the click.
  EXPECT_EQ(opened.controls.events, (std::vector<std::string>{"focus", "select", "focus"}));
}

TEST(ConfigurationDialogTest, OutOfRangeNumbersKeepTheDialogOpen) {
  LanguageGuard polish(kPolish);
  for (const char* text : {"256", "0", "-3", "", "abc", "99999999999999999999"}) {
    Opened opened(5);
    opened.controls.field = text;
    EXPECT_FALSE(opened.dialog.OnSave()) << text;
    ASSERT_EQ(opened.controls.warnings.size(), 1u) << text;
    EXPECT_EQ(opened.controls.warnings[0], "Podaj liczbę z zakresu od 1 do 255.");
    EXPECT_EQ(opened.dialog.skipCount, 5) << "a refused number must not be stored";
  }
}

TEST(ConfigurationDialogTest, NumbersAreReadAsStrtolReadsThem) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"1", 1}, {"255", 255}, {"  42", 42}, {"+7", 7}, {"12abc", 12}, {"007", 7}};
  for (const auto& [text, value] : cases) {
    Opened opened(5);
    opened.controls.field = text;
    EXPECT_TRUE(opened.dialog.OnSave()) << text;
    EXPECT_EQ(opened.dialog.ValueToSave(), value) << text;
    EXPECT_TRUE(opened.controls.warnings.empty()) << text;
  }
}

TEST(ConfigurationDialogTest, ClearedBoxIgnoresTheField) {
  Opened opened(5);
  opened.controls.field = "7";
  opened.ClickBox();  // clears it
  EXPECT_FALSE(opened.controls.fieldEnabled);
  opened.controls.field = "not even a number";
  EXPECT_TRUE(opened.dialog.OnSave());
  EXPECT_EQ(opened.dialog.ValueToSave(), 0);
  EXPECT_TRUE(opened.controls.warnings.empty());
}
