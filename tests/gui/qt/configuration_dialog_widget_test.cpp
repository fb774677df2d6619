#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/language.h"
#include "gui/qt/configuration_dialog_widget.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui_test_support.h"
#include "support/language_guard.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

// The dialog as the user sees it, opened for a logger whose skip setting is value.
struct Shown {
  ConfigurationDialog model;
  std::unique_ptr<ConfigurationDialogWidget> widget;

  explicit Shown(uint8_t value) {
    model.skipCount = value;
    widget = std::make_unique<ConfigurationDialogWidget>(model);
    widget->show();
    widget->activateWindow();
    QApplication::processEvents();
  }
  QCheckBox* Box() { return Control<QCheckBox>(*widget, kSkipCheckBoxId); }
  QLineEdit* Field() { return Control<QLineEdit>(*widget, kSkipCountFieldId); }
  QPushButton* SaveButton() { return Control<QPushButton>(*widget, kIdOk); }
};

}  // namespace

// Which values the dialog opens with is ConfigurationDialogTest's; here, that the widgets
// show them and Save ends the dialog with the value.
TEST(ConfigurationDialogWidgetTest, OpensWithTheLoggersValue) {
  LanguageGuard english(kEnglish);
  Shown five(5);
  EXPECT_TRUE(five.Box()->isChecked());
  EXPECT_TRUE(five.Field()->isEnabled());
  EXPECT_EQ(five.Field()->text().toStdString(), "5");
  five.SaveButton()->click();
  EXPECT_EQ(five.widget->result(), QDialog::Accepted);
  EXPECT_EQ(five.model.ValueToSave(), 5);
}

TEST(ConfigurationDialogWidgetTest, TickingTheBoxOverZeroWarnsThenFocusesAndSelectsTheField) {
  LanguageGuard english(kEnglish);
  Shown dialog(0);
  NextMessageBox message;
  QTest::mouseClick(dialog.Box(), Qt::LeftButton);
  EXPECT_TRUE(message.watcher.Seen());
  EXPECT_EQ(message.text, "Input number from 1 to 255.");
  EXPECT_EQ(message.caption, "Stravener Tool");
  EXPECT_EQ(message.icon, QMessageBox::Warning);
  EXPECT_TRUE(dialog.Box()->isChecked());
  EXPECT_TRUE(dialog.Field()->isEnabled());
  EXPECT_EQ(dialog.widget->focusWidget(), dialog.Field());
  EXPECT_EQ(dialog.Field()->selectedText().toStdString(), "0");
}

TEST(ConfigurationDialogWidgetTest, OutOfRangeNumbersKeepTheDialogOpen) {
  LanguageGuard polish(kPolish);
  {
    // Which numbers are refused is ConfigurationDialogTest's.
    Shown dialog(5);
    dialog.Field()->setText("256");
    NextMessageBox message;
    dialog.SaveButton()->click();
    EXPECT_TRUE(message.watcher.Seen());
    EXPECT_EQ(message.text, "Podaj liczbę z zakresu od 1 do 255.");
    EXPECT_TRUE(dialog.widget->isVisible());
    EXPECT_EQ(dialog.widget->result(), 0);  // not ended
    EXPECT_EQ(dialog.Field()->selectedText(), dialog.Field()->text());
  }
  Shown dialog(5);
  dialog.Field()->setText("255");
  dialog.SaveButton()->click();
  EXPECT_EQ(dialog.widget->result(), QDialog::Accepted);
  EXPECT_EQ(dialog.model.ValueToSave(), 255);
}

TEST(ConfigurationDialogWidgetTest, ClearingTheBoxSendsZeroWithoutValidatingTheField) {
  LanguageGuard english(kEnglish);
  Shown dialog(5);
  dialog.Field()->setText("7");
  QTest::mouseClick(dialog.Box(), Qt::LeftButton);  // clears the box: the 7 is not validated
  EXPECT_FALSE(dialog.Box()->isChecked());
  EXPECT_FALSE(dialog.Field()->isEnabled());
  dialog.SaveButton()->click();
  EXPECT_EQ(dialog.widget->result(), QDialog::Accepted);
  EXPECT_EQ(dialog.model.ValueToSave(), 0);
}

TEST(ConfigurationDialogWidgetTest, TheFieldTakesDigitsOnly) {
  LanguageGuard english(kEnglish);
  Shown dialog(5);
  dialog.Field()->clear();
  dialog.Field()->setFocus();
  QTest::keyClicks(dialog.Field(), "1a-2 .3");
  EXPECT_EQ(dialog.Field()->text().toStdString(), "123");
}

TEST(ConfigurationDialogWidgetTest, TextsInBothLanguagesAndCancelEndsWithoutSaving) {
  {
    LanguageGuard polish(kPolish);
    Shown dialog(3);
    EXPECT_EQ(dialog.widget->windowTitle().toStdString(), "Konfiguracja");
    EXPECT_EQ(dialog.Box()->text().toStdString(), "Pomijaj ");
    EXPECT_EQ(dialog.SaveButton()->text().toStdString(), "Zapisz");
  }
  LanguageGuard english(kEnglish);
  Shown dialog(3);
  EXPECT_EQ(dialog.widget->windowTitle().toStdString(), "Configuration");
  EXPECT_EQ(dialog.Box()->text().toStdString(), "Skip ");
  dialog.Field()->setText("0");  // would fail validation: Cancel does not look at it
  Control<QPushButton>(*dialog.widget, kIdCancel)->click();
  EXPECT_EQ(dialog.widget->result(), QDialog::Rejected);
}

TEST(ConfigurationDialogWidgetTest, EnterClicksTheFocusedButtonAndElseSave) {
  LanguageGuard english(kEnglish);
  {
    // Cancel focused: Enter cancels; the number, which Save would refuse, is not looked at.
    Shown dialog(5);
    dialog.Field()->setText("0");
    QPushButton* cancel = Control<QPushButton>(*dialog.widget, kIdCancel);
    cancel->setFocus(Qt::TabFocusReason);
    NextMessageBox rangeWarning;  // what Save would show
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_FALSE(rangeWarning.watcher.Seen());
    EXPECT_EQ(dialog.widget->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.widget->isVisible());
  }
  {
    // The number field focused: Enter is Save's.
    Shown dialog(5);
    dialog.Field()->setText("9");
    dialog.Field()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dialog.Field(), Qt::Key_Enter);
    EXPECT_EQ(dialog.widget->result(), QDialog::Accepted);
    EXPECT_EQ(dialog.model.ValueToSave(), 9);
  }
  {
    // From Cancel back to the check box: Save is the default again.
    Shown dialog(5);
    Control<QPushButton>(*dialog.widget, kIdCancel)->setFocus(Qt::TabFocusReason);
    dialog.Box()->setFocus(Qt::BacktabFocusReason);
    QTest::keyClick(dialog.Box(), Qt::Key_Return);
    EXPECT_EQ(dialog.widget->result(), QDialog::Accepted);
  }
}

TEST(ConfigurationDialogWidgetTest, TheWindowRunsItAsTheHostsConfigurationDialog) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  MainWindow window(Operations{}, SetupServices{});
  ConfigurationDialog model;
  model.skipCount = 9;
  OnNextModal save([](QWidget* modal) {
    auto* field = Control<QLineEdit>(*modal, kSkipCountFieldId);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text().toStdString(), "9");
    field->setText("12");
    Control<QPushButton>(*modal, kIdOk)->click();
  });
  EXPECT_TRUE(window.RunConfigurationDialog(model));
  EXPECT_TRUE(save.Seen());
  EXPECT_EQ(model.ValueToSave(), 12);

  OnNextModal cancel([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(window.RunConfigurationDialog(model));
  EXPECT_TRUE(cancel.Seen());
}
