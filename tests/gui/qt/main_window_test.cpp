#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QUrl>
#include <filesystem>
#include <vector>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/main_window.h"
#include "gui/qt/pictures.h"
#include "gui/qt/tool_application.h"
#include "gui_test_support.h"
#include "support/language_guard.h"
#include "support/recording_operations.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

QPushButton* ButtonOf(MainWindow& window, int id) { return Control<QPushButton>(window, id); }

const int kCommandIds[] = {kIdClosePort, kIdInformation, kIdConfiguration, kIdReadTrack,
                           kIdEraseTrack, kIdUpgrade,     kIdRestart};

}  // namespace

TEST(MainWindowTest, StartsWithThePortClosedAndOpenPortFocused) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  MainWindow window(Operations{}, SetupServices{});
  window.show();
  QApplication::setActiveWindow(&window);
  QApplication::processEvents();
  for (const int id : {kIdOpenPort, kIdCancel, kIdSetup, kIdAbout, kIdLanguage}) {
    EXPECT_TRUE(ButtonOf(window, id)->isEnabled()) << id;
  }
  for (const int id : kCommandIds) EXPECT_FALSE(ButtonOf(window, id)->isEnabled()) << id;
  EXPECT_EQ(window.focusWidget(), ButtonOf(window, kIdOpenPort));
  EXPECT_EQ(window.windowTitle().toStdString(), "Stravener Tool");
  EXPECT_FALSE(ButtonOf(window, kIdOpenPort)->isDefault());
  EXPECT_FALSE(ButtonOf(window, kIdOpenPort)->autoDefault());
}

TEST(MainWindowTest, ControlsInTheirOrderWithTextsAndGeometryInBothLanguages) {
  ScopedConfigHome home;
  struct Expected {
    int id;
    const char* polish;
    const char* english;
    int x, y, w, h;
  };
  const Expected buttons[] = {
      {kIdOpenPort, "O&twórz port", "&Open port", 7, 28, 50, 14},
      {kIdClosePort, "&Zamknij port", "&Close port", 7, 49, 50, 14},
      {kIdInformation, "&Informacje", "&Information", 7, 70, 50, 14},
      {kIdConfiguration, "&Konfiguracja", "Co&nfiguration", 7, 91, 50, 14},
      {kIdReadTrack, "&Odczytaj ślad", "&Read track", 7, 112, 50, 14},
      {kIdEraseTrack, "&Usuń ślad", "&Erase track", 7, 133, 50, 14},
      {kIdUpgrade, "&Apgrejd", "&Upgrade", 7, 154, 50, 14},
      {kIdRestart, "&Restart", "Res&tart", 7, 175, 50, 14},
      {kIdCancel, "Koniec", "Exit", 7, 206, 50, 14},
      {kIdSetup, "U&stawienia...", "&Setup...", 129, 7, 50, 14},
      {kIdAbout, "O &programie...", "&About...", 185, 7, 55, 14},
  };
  for (const int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    MainWindow window(Operations{}, SetupServices{});
    const DialogUnits du(window.font());
    EXPECT_EQ(window.size(), du.Size(247, 228));
    EXPECT_EQ(window.minimumSize(), du.Size(247, 228));  // it may grow, never shrink
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QWidget* previous = nullptr;
    for (const Expected& b : buttons) {
      QPushButton* button = ButtonOf(window, b.id);
      ASSERT_NE(button, nullptr) << b.id;
      EXPECT_EQ(button->text().toStdString(), language == kPolish ? b.polish : b.english);
      EXPECT_EQ(button->geometry(), du.Rect(b.x, b.y, b.w, b.h)) << b.id;
      if (previous != nullptr) {
        EXPECT_EQ(previous->nextInFocusChain(), button) << b.id;
      }
      previous = button;
    }
    EXPECT_EQ(Control<QWidget>(window, kIdLog)->geometry(), du.Rect(64, 28, 176, 161));
    EXPECT_EQ(Control<QWidget>(window, kIdProgress)->geometry(), du.Rect(64, 206, 148, 14));
    EXPECT_EQ(ButtonOf(window, kIdLanguage)->geometry(), du.Rect(218, 206, 22, 14));
    EXPECT_TRUE(ButtonOf(window, kIdLanguage)->text().isEmpty());
    // The flag of the other language: compare with the two flag drawings.
    const QImage shown = ButtonOf(window, kIdLanguage)->icon().pixmap(16, 16).toImage();
    const QImage polishFlag = PolishFlagIcon().pixmap(16, 16).toImage();
    const QImage britishFlag = BritishFlagIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(shown == polishFlag, language == kEnglish);
    EXPECT_EQ(shown == britishFlag, language == kPolish);
    // Tab reaches the log, not the progress bar.
    EXPECT_TRUE(Control<QWidget>(window, kIdLog)->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(ButtonOf(window, kIdCancel)->nextInFocusChain()->nextInFocusChain()->nextInFocusChain(),
              Control<QWidget>(window, kIdLog));
    EXPECT_EQ(Control<QWidget>(window, kIdProgress)->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(Control<QProgressBar>(window, kIdProgress)->isTextVisible());
  }
}

// Which command each id runs is WindowSessionTest's; here, that the buttons reach it.
TEST(MainWindowTest, AGrownWindowGrowsItsLogAndProgressBarAndKeepsTheButtonsInPlace) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  MainWindow window(Operations{}, SetupServices{});
  window.show();
  const DialogUnits du(window.font());
  window.resize(window.size() + QSize(150, 90));
  QApplication::processEvents();
  EXPECT_EQ(Control<QWidget>(window, kIdLog)->geometry(), du.Rect(64, 28, 176, 161).adjusted(0, 0, 150, 90));
  EXPECT_EQ(Control<QWidget>(window, kIdProgress)->geometry(),
            du.Rect(64, 206, 148, 14).translated(0, 90).adjusted(0, 0, 150, 0));
  // The bottom row stays at the bottom; the other buttons where they were.
  EXPECT_EQ(ButtonOf(window, kIdLanguage)->geometry(), du.Rect(218, 206, 22, 14).translated(150, 90));
  EXPECT_EQ(ButtonOf(window, kIdCancel)->geometry(), du.Rect(7, 206, 50, 14).translated(0, 90));
  EXPECT_EQ(ButtonOf(window, kIdOpenPort)->geometry(), du.Rect(7, 28, 50, 14));
  EXPECT_EQ(ButtonOf(window, kIdRestart)->geometry(), du.Rect(7, 175, 50, 14));
  EXPECT_EQ(ButtonOf(window, kIdAbout)->geometry(), du.Rect(185, 7, 55, 14));
  // Smaller than described it does not get.
  window.resize(100, 100);
  EXPECT_EQ(window.size(), du.Size(247, 228));
  // A line too long for the log is read whole in its tip.
  const std::string line(300, 'x');
  window.Log().Add(LogKind::Info, line);
  EXPECT_EQ(Control<QListWidget>(window, kIdLog)->item(0)->toolTip().toStdString(), line);
}

TEST(MainWindowTest, AClickOnAnEnabledButtonRunsItsCommand) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  RecordingOperations recorder;
  MainWindow window(recorder.Make(), SetupServices{});
  QTest::mouseClick(ButtonOf(window, kIdOpenPort), Qt::LeftButton);
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"open"});
  // A click on a disabled button does nothing.
  recorder.calls.clear();
  QTest::mouseClick(ButtonOf(window, kIdReadTrack), Qt::LeftButton);
  EXPECT_TRUE(recorder.calls.empty());
}

TEST(MainWindowTest, EscapeIsIgnoredExitAndTheCloseBoxEndTheWindow) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  {
    MainWindow window(Operations{}, SetupServices{});
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(ButtonOf(window, kIdOpenPort), Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    ButtonOf(window, kIdCancel)->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
  }
  {
    MainWindow window(Operations{}, SetupServices{});
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
  }
}

TEST(MainWindowTest, EnterClicksTheFocusedButtonElsewhereEndsTheWindow) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  RecordingOperations recorder;
  MainWindow window(recorder.Make(), SetupServices{});
  window.show();
  QApplication::setActiveWindow(&window);
  ButtonOf(window, kIdOpenPort)->setFocus();
  QTest::keyClick(ButtonOf(window, kIdOpenPort), Qt::Key_Return);
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"open"});
  EXPECT_TRUE(window.isVisible());

  auto* log = Control<QListWidget>(window, kIdLog);
  log->setFocus();
  QTest::keyClick(log, Qt::Key_Enter);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

// That the settings are loaded at the start and stored at the end is WindowSessionTest's;
// here, that the Setup dialog's values reach them.
TEST(MainWindowTest, SetupsValuesAreStoredAtTheEnd) {
  LanguageGuard english(kEnglish);
  ScopedConfigHome home;
  {
    SetupServices fake{[] { return std::vector<std::string>{"COM4"}; }, [](uint32_t) { return 460800u; }};
    MainWindow window(Operations{}, fake);
    window.show();
    OnNextModal save([](QWidget* modal) { Control<QPushButton>(*modal, kIdOk)->click(); });
    ButtonOf(window, kIdSetup)->click();
    EXPECT_TRUE(save.Seen());
  }
  // The port offers 460800, but the stored limit 115200 stays selected.
  EXPECT_EQ(ReadTextFile(home.SettingsFile()), "Language=1\nPort=4\nMaxSpeed=115200\n");
}

TEST(ToolApplicationTest, TheProgramTakesNoOrdersFromTheEnvironment) {
  ScopedConfigHome home;
  LanguageGuard guard(kEnglish);
  TempDir pictures;
  // What once made the program draw its windows into files instead of running.
  ::setenv("STRAVENER_TOOL_SCREENSHOTS", pictures.Path().c_str(), 1);
  bool windowRan = false;
  OnNextModal exit([&windowRan](QWidget* modal) {
    auto* window = qobject_cast<MainWindow*>(modal);
    windowRan = window != nullptr;
    if (window != nullptr) ButtonOf(*window, kIdCancel)->click();
    modal->close();
  });
  EXPECT_EQ(RunToolApplication(), 0);
  ::unsetenv("STRAVENER_TOOL_SCREENSHOTS");
  EXPECT_TRUE(windowRan);  // the main window ran until the user ended it
  EXPECT_TRUE(std::filesystem::is_empty(pictures.Path()));
  EXPECT_EQ(ReadTextFile(home.SettingsFile()), "Language=1\nPort=1\nMaxSpeed=115200\n");
}

// What the language button says and stores is WindowSessionTest's; here, that its notice
// is a message box and that the window ends with OK.
TEST(MainWindowTest, LanguageButtonShowsItsNoticeAndEndsTheWindow) {
  ScopedConfigHome home;
  LanguageGuard guard(kEnglish);
  NextMessageBox notice;
  MainWindow window(Operations{}, SetupServices{});
  window.show();
  ButtonOf(window, kIdLanguage)->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_TRUE(notice.watcher.Seen());
}

TEST(MainWindowTest, ADropFromTheDesktopReachesTheConversion) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  RecordingOperations recorder;
  MainWindow window(recorder.Make(), SetupServices{});
  window.show();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/data/my track.bin")});
  // Over the log: the list takes no drops, so they reach the window.
  QWidget* log = Control<QWidget>(window, kIdLog);
  const QPoint at = log->mapTo(&window, log->rect().center());
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QMimeData web;
  web.setUrls({QUrl("https://example.org/track.bin")});
  QDragEnterEvent refused(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &refused);
  EXPECT_FALSE(refused.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  EXPECT_TRUE(recorder.calls.empty());  // acted on after the drag has ended
  QApplication::processEvents();
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"convert /data/my track.bin"});
}

TEST(MainWindowTest, TooltipsInTheWindowsLanguageAndOnlyOnEnabledButtons) {
  ScopedConfigHome home;
  for (const int language : {kEnglish, kPolish}) {
    LanguageGuard guard(language);
    const bool polish = language == kPolish;
    MainWindow window(Operations{}, SetupServices{});
    window.show();
    QApplication::processEvents();
    auto tipOf = [&window](int id) {
      // A tip still showing from before is put away at once (hideText() waits a while).
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QTipLabel")) top->hide();
      }
      QWidget* widget = Control<QWidget>(window, id);
      QHelpEvent help(QEvent::ToolTip, widget->rect().center(), widget->mapToGlobal(widget->rect().center()));
      QApplication::sendEvent(widget, &help);
      return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
    };
    EXPECT_EQ(tipOf(kIdCancel), polish ? "Kończy pracę programu." : "Ends the program.");
    EXPECT_EQ(tipOf(kIdOpenPort), polish ? "Otwiera port COM do komunikacji z stravenerem."
                                         : "Opens the COM port to talk to the Stravener.");
    EXPECT_EQ(tipOf(kIdSetup), polish ? "Pozwala na zmianę ustawień programu." : "Lets you change the program settings.");
    EXPECT_EQ(tipOf(kIdAbout), polish ? "Wyświetla informacje o programie." : "Shows information about the program.");
    // The language button names the language it switches to, in that language.
    EXPECT_EQ(tipOf(kIdLanguage), polish ? "Switch to English" : "Przełącz na polski");
    EXPECT_EQ(tipOf(kIdClosePort), "");  // disabled while the port is closed
    EXPECT_EQ(tipOf(kIdReadTrack), "");
    EXPECT_EQ(tipOf(kIdLog), "");  // no tip at all
    // Enabled again, the same button has its tip.
    ButtonOf(window, kIdReadTrack)->setEnabled(true);
    EXPECT_EQ(tipOf(kIdReadTrack), polish ? "Odczytuje pamięć logu do pliku." : "Reads the log memory into a file.");
    QToolTip::hideText();
  }
}

TEST(MainWindowTest, TheLogKeepsItsNewest501LinesWithTheirPictures) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  MainWindow window(Operations{}, SetupServices{});
  window.show();
  auto* list = Control<QListWidget>(window, kIdLog);
  window.Log().Add(LogKind::Error, "error");
  window.Log().Add(LogKind::Info, "info");
  window.Log().Add(LogKind::Separator, "-----");
  const LogKind kinds[] = {LogKind::Error, LogKind::Info, LogKind::Separator};
  for (int i = 0; i < 3; ++i) {
    const QImage shown = list->item(i)->icon().pixmap(12, 12).toImage();
    EXPECT_EQ(shown, LogPicture(kinds[i]).pixmap(12, 12).toImage()) << i;
  }
  // The drawings: a red disc, a yellow letter, nothing at all.
  const QImage error = LogPicture(LogKind::Error).pixmap(12, 12).toImage();
  EXPECT_GT(qRed(error.pixel(2, 6)), 180);
  EXPECT_LT(qGreen(error.pixel(2, 6)), 80);
  EXPECT_EQ(error.pixel(6, 3), qRgb(255, 255, 255));
  const QImage info = LogPicture(LogKind::Info).pixmap(12, 12).toImage();
  bool yellow = false;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      const QRgb p = info.pixel(x, y);
      yellow |= qAlpha(p) == 255 && qRed(p) > 200 && qGreen(p) > 180 && qBlue(p) < 80;
    }
  }
  EXPECT_TRUE(yellow);
  const QImage none = LogPicture(LogKind::Separator).pixmap(12, 12).toImage();
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) EXPECT_EQ(qAlpha(none.pixel(x, y)), 0);
  }

  for (int i = 3; i < 500; ++i) window.Log().LogLine(LogKind::Info, "line %d", i);
  EXPECT_EQ(list->count(), 500);
  window.Log().LogLine(LogKind::Info, "line %d", 500);
  EXPECT_EQ(list->count(), 501);
  EXPECT_EQ(list->item(0)->text().toStdString(), "error");
  window.Log().LogLine(LogKind::Info, "line %d", 501);
  EXPECT_EQ(list->count(), 501);
  EXPECT_EQ(list->item(0)->text().toStdString(), "info");
  EXPECT_EQ(list->item(500)->text().toStdString(), "line 501");
  // The newest line is scrolled into view, whole.
  QApplication::processEvents();
  const QRect last = list->visualItemRect(list->item(500));
  EXPECT_TRUE(list->viewport()->rect().contains(last));
}

TEST(MainWindowTest, InputDuringACommandIsDroppedButTheWindowRepaints) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  Operations ops;
  int opened = 0;
  bool lineShownAtOnce = false;
  bool asked = false;
  MainWindow* running = nullptr;
  ops.openPort = [&](Host& host, PortConnection&) {
    MainWindow& window = *running;
    ++opened;
    host.Log().Add(LogKind::Info, "working");
    lineShownAtOnce = Control<QListWidget>(window, kIdLog)->count() == 1;
    // The user clicks Exit (and declines to stop), presses F1, clicks Open port again,
    // presses Tab and clicks the log line meanwhile.
    OnNextModal declineStop([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Cancel)->click(); });
    QTest::mouseClick(ButtonOf(window, kIdCancel), Qt::LeftButton);
    asked = declineStop.Seen();
    QTest::keyClick(&window, Qt::Key_F1);
    QTest::mouseClick(ButtonOf(window, kIdOpenPort), Qt::LeftButton);
    QTest::keyClick(ButtonOf(window, kIdOpenPort), Qt::Key_Tab);
    auto* log = Control<QListWidget>(window, kIdLog);
    const QPoint line = log->viewport()->mapTo(&window, log->visualItemRect(log->item(0)).center());
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, line);
    host.Repaint();
    host.SetProgressRange(10);
    host.SetProgressPosition(5);
  };
  MainWindow window(ops, SetupServices{});
  running = &window;
  window.show();
  QApplication::setActiveWindow(&window);
  QTest::mouseClick(ButtonOf(window, kIdOpenPort), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(lineShownAtOnce);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no About either
  EXPECT_FALSE(window.Busy());
  EXPECT_EQ(Control<QProgressBar>(window, kIdProgress)->value(), 5);
  EXPECT_EQ(window.focusWidget(), ButtonOf(window, kIdOpenPort));
  EXPECT_TRUE(Control<QListWidget>(window, kIdLog)->selectedItems().isEmpty());
  // Afterwards the window takes input again.
  QTest::mouseClick(ButtonOf(window, kIdOpenPort), Qt::LeftButton);
  EXPECT_EQ(opened, 2);
}
