#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/language.h"
#include "gui/qt/about_dialog.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui_test_support.h"
#include "support/language_guard.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

std::string LabelText(QWidget& dialog, int id) { return Control<QLabel>(dialog, id)->text().toStdString(); }

bool HasLabel(QWidget& dialog, const char* text) {
  for (QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->text() == QString::fromUtf8(text)) return true;
  }
  return false;
}

}  // namespace

TEST(AboutDialogTest, ShowsVersionAndBuildInEnglish) {
  LanguageGuard english(kEnglish);
  AboutDialog dialog(nullptr, "May  1 2006", "01:08:41");
  EXPECT_EQ(LabelText(dialog, kIdVersionText), "1.8.0.0");
  EXPECT_EQ(LabelText(dialog, kIdBuildText), "5/1/2006, 01:08:41");
  EXPECT_TRUE(HasLabel(dialog, "Stravener Tool"));
  EXPECT_TRUE(HasLabel(dialog, "Version"));
  EXPECT_TRUE(HasLabel(dialog, "Compiled"));
  EXPECT_FALSE(HasLabel(dialog, "Wersja"));
}

TEST(AboutDialogTest, ShowsVersionAndBuildInPolish) {
  LanguageGuard polish(kPolish);
  AboutDialog dialog(nullptr, "May  1 2006", "01:08:41");
  EXPECT_EQ(LabelText(dialog, kIdVersionText), "1.8.0.0");
  EXPECT_EQ(LabelText(dialog, kIdBuildText), "1.05.2006, 01:08:41");
  EXPECT_TRUE(HasLabel(dialog, "Wersja"));
  EXPECT_TRUE(HasLabel(dialog, "Kompilacja"));
}

TEST(AboutDialogTest, PopUpWithoutTitleBarWithABlueContactLine) {
  LanguageGuard english(kEnglish);
  AboutDialog dialog;
  EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
  QLabel* contact = Control<QLabel>(dialog, kIdContactLine);
  ASSERT_NE(contact, nullptr);
  EXPECT_FALSE(contact->text().isEmpty());
  EXPECT_EQ(contact->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  // The other labels keep the platform's colour.
  EXPECT_NE(Control<QLabel>(dialog, kIdVersionText)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  // The compiler's own date has the form the conversion expects.
  AboutDialog built;
  EXPECT_NE(LabelText(built, kIdBuildText).find(", " __TIME__), std::string::npos);
}

TEST(AboutDialogTest, AboutButtonAndF1OpenItAndOkOrEscapeCloseIt) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  MainWindow window(Operations{}, SetupServices{});
  window.show();

  OnNextModal byButton([](QWidget* modal) {
    EXPECT_NE(qobject_cast<AboutDialog*>(modal), nullptr);
    Control<QPushButton>(*modal, kIdOk)->click();
  });
  Control<QPushButton>(window, kIdAbout)->click();
  EXPECT_TRUE(byButton.Seen());

  OnNextModal byKey([](QWidget* modal) {
    EXPECT_NE(qobject_cast<AboutDialog*>(modal), nullptr);
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_TRUE(byKey.Seen());
  EXPECT_TRUE(window.isVisible());
}
