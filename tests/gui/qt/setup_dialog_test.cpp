#include <gtest/gtest.h>

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <map>
#include <vector>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui/qt/setup_dialog.h"
#include "gui_test_support.h"
#include "support/language_guard.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

// A system with the given ports, whose probe answers from a table (115200 for the rest)
// and records every port it was asked about.
struct FakeSystem {
  std::vector<std::string> ports;
  std::map<uint32_t, uint32_t> maxSpeeds;
  std::vector<uint32_t> probed;
  // What Find logger finds, and how often it was asked.
  LoggerSearch found = {};
  int searches = 0;

  SetupServices Services() {
    return SetupServices{[this] { return ports; },
                         [this](uint32_t port) {
                           probed.push_back(port);
                           auto it = maxSpeeds.find(port);
                           return it != maxSpeeds.end() ? it->second : 115200u;
                         },
                         [this] {
                           ++searches;
                           return found;
                         }};
  }
};

std::vector<std::string> Items(QComboBox* list) {
  std::vector<std::string> items;
  for (int i = 0; i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
  return items;
}

QComboBox* Ports(SetupDialog& dialog) { return Control<QComboBox>(dialog, kIdPortList); }
QComboBox* Speeds(SetupDialog& dialog) { return Control<QComboBox>(dialog, kIdSpeedList); }

void ClickSave(SetupDialog& dialog) { Control<QPushButton>(dialog, kIdOk)->click(); }

}  // namespace

TEST(SetupDialogTest, PortsAreSortedAsTextOnlyComNamesWithoutTheirColon) {
  FakeSystem system{{"COM2", "COM10", "LPT1:", "COM1", "com4", "COM3:", "FILE:"}, {}, {}};
  SetupDialog dialog(system.Services(), 2, 115200);
  EXPECT_EQ(Items(Ports(dialog)), (std::vector<std::string>{"COM1", "COM10", "COM2", "COM3"}));
  EXPECT_EQ(Ports(dialog)->currentText().toStdString(), "COM2");
  EXPECT_EQ(dialog.PortNumber(), 2u);
}

TEST(SetupDialogTest, StoredPortIsFoundAsAPrefixIgnoringCase) {
  // COM1 is gone: "COM1" is a prefix of COM10, which is chosen.
  FakeSystem system{{"COM2", "COM10"}, {}, {}};
  SetupDialog dialog(system.Services(), 1, 115200);
  EXPECT_EQ(Ports(dialog)->currentText().toStdString(), "COM10");
  EXPECT_EQ(dialog.PortNumber(), 10u);
  ClickSave(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.PortNumber(), 10u);

  // A missing port leaves the first entry selected, and its number is taken.
  FakeSystem other{{"COM7", "COM3"}, {}, {}};
  SetupDialog missing(other.Services(), 5, 115200);
  EXPECT_EQ(Ports(missing)->currentText().toStdString(), "COM3");
  EXPECT_EQ(missing.PortNumber(), 3u);
}

TEST(SetupDialogTest, EntriesWithTheirDeviceAreParsedByTheNumberAfterCom) {
  FakeSystem system{{"COM33 (ttyUSB0)", "COM1 (ttyS0)", "COM3 (ttyS2)"}, {{33, 460800}}, {}};
  SetupDialog dialog(system.Services(), 33, 38400);
  EXPECT_EQ(Items(Ports(dialog)), (std::vector<std::string>{"COM1 (ttyS0)", "COM3 (ttyS2)", "COM33 (ttyUSB0)"}));
  // "COM33" is not a prefix of "COM3 (ttyS2)", so the stored port is found exactly.
  EXPECT_EQ(Ports(dialog)->currentText().toStdString(), "COM33 (ttyUSB0)");
  EXPECT_EQ(dialog.PortNumber(), 33u);
  EXPECT_EQ(system.probed, (std::vector<uint32_t>{33}));
  EXPECT_EQ(Speeds(dialog)->currentText().toStdString(), "38400 bps");
}

TEST(SetupDialogTest, SpeedListFollowsTheProbeAndTheStoredLimit) {
  FakeSystem slow{{"COM1"}, {{1, 115200}}, {}};
  SetupDialog limited(slow.Services(), 1, 460800);
  EXPECT_EQ(Items(Speeds(limited)), (std::vector<std::string>{"115200 bps", "57600 bps", "38400 bps"}));
  EXPECT_EQ(Speeds(limited)->currentText().toStdString(), "115200 bps");
  ClickSave(limited);
  EXPECT_EQ(limited.Speed(), 115200u);

  FakeSystem fast{{"COM1"}, {{1, 460800}}, {}};
  SetupDialog all(fast.Services(), 1, 57600);
  EXPECT_EQ(Items(Speeds(all)),
            (std::vector<std::string>{"460800 bps", "230400 bps", "115200 bps", "57600 bps", "38400 bps"}));
  EXPECT_EQ(Speeds(all)->currentText().toStdString(), "57600 bps");
  ClickSave(all);
  EXPECT_EQ(all.Speed(), 57600u);
  EXPECT_EQ(all.PortNumber(), 1u);
}

TEST(SetupDialogTest, ChoosingAnotherPortProbesItAndSelectsItsFastestSpeed) {
  FakeSystem system{{"COM1", "COM2"}, {{1, 460800}, {2, 230400}}, {}};
  SetupDialog dialog(system.Services(), 1, 38400);
  EXPECT_EQ(Speeds(dialog)->currentText().toStdString(), "38400 bps");
  Ports(dialog)->setCurrentIndex(1);
  EXPECT_EQ(system.probed, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(Items(Speeds(dialog)).front(), "230400 bps");
  EXPECT_EQ(Speeds(dialog)->currentText().toStdString(), "230400 bps");  // the 38400 is not kept
  ClickSave(dialog);
  EXPECT_EQ(dialog.PortNumber(), 2u);
  EXPECT_EQ(dialog.Speed(), 230400u);
}

TEST(SetupDialogTest, FindLoggerSelectsThePortWhereItAnsweredOrSaysWhyNot) {
  LanguageGuard english(kEnglish);
  // The logger answers on COM1, whose entry is not the first that begins with "COM1".
  FakeSystem system{{"COM10", "COM1", "COM2"}, {{1, 230400}}, {}};
  system.found.portNumber = 1;
  SetupDialog dialog(system.Services(), 2, 460800);
  Control<QPushButton>(dialog, kIdFindLogger)->click();
  EXPECT_EQ(system.searches, 1);
  EXPECT_EQ(Ports(dialog)->currentText().toStdString(), "COM1");
  EXPECT_EQ(system.probed.back(), 1u);
  EXPECT_EQ(Speeds(dialog)->currentText().toStdString(), "230400 bps");
  ClickSave(dialog);
  EXPECT_EQ(dialog.PortNumber(), 1u);
  EXPECT_EQ(dialog.Speed(), 230400u);

  // None answered: a notice with the report, and the lists stay as they were.
  FakeSystem none{{"COM1", "COM2"}, {}, {}};
  none.found.report = "No logger answered on any port.\nPort COM1 does not open: Access denied (0x5).";
  SetupDialog silent(none.Services(), 2, 115200);
  std::string notice;
  OnNextModal read([&notice](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    notice = box->text().toStdString();
    box->accept();
  });
  Control<QPushButton>(silent, kIdFindLogger)->click();
  EXPECT_TRUE(read.Seen());
  EXPECT_EQ(notice, none.found.report);
  EXPECT_EQ(Ports(silent)->currentText().toStdString(), "COM2");
  EXPECT_EQ(none.probed.size(), 1u) << "nothing probed again";
}

TEST(SetupDialogTest, NoPortsLeaveTheListEmptyAndTheProbeGetsPortZero) {
  FakeSystem system{{"LPT1:"}, {}, {}};
  SetupDialog dialog(system.Services(), 4, 460800);
  EXPECT_EQ(Ports(dialog)->count(), 0);
  EXPECT_EQ(dialog.PortNumber(), 4u);  // nothing selected: the number stays until Save
  EXPECT_EQ(system.probed, (std::vector<uint32_t>{0}));
  EXPECT_EQ(Items(Speeds(dialog)), (std::vector<std::string>{"115200 bps", "57600 bps", "38400 bps"}));
  ClickSave(dialog);
  EXPECT_EQ(dialog.PortNumber(), 0u);
  EXPECT_EQ(dialog.Speed(), 115200u);
}

TEST(SetupDialogTest, TextsAndCaptionInBothLanguages) {
  FakeSystem system{{"COM1"}, {}, {}};
  {
    LanguageGuard polish(kPolish);
    SetupDialog dialog(system.Services(), 1, 115200);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Ustawienia programu");
    EXPECT_EQ(Control<QPushButton>(dialog, kIdOk)->text().toStdString(), "Zapisz");
    EXPECT_EQ(Control<QPushButton>(dialog, kIdFindLogger)->text().toStdString(), "Znajdź logger");
    EXPECT_EQ(Control<QPushButton>(dialog, kIdCancel)->text().toStdString(), "Anuluj");
  }
  {
    LanguageGuard english(kEnglish);
    SetupDialog dialog(system.Services(), 1, 115200);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Program setup");
    EXPECT_EQ(Control<QPushButton>(dialog, kIdOk)->text().toStdString(), "Save");
    EXPECT_EQ(Control<QPushButton>(dialog, kIdFindLogger)->text().toStdString(), "Find logger");
    EXPECT_EQ(Control<QPushButton>(dialog, kIdCancel)->text().toStdString(), "Cancel");
  }
}

TEST(SetupDialogTest, SaveHandsTheValuesToTheWindowAndCancelLeavesThemAlone) {
  ScopedConfigHome home;
  home.WriteSettings("Language=1\nPort=1\nMaxSpeed=460800\n");
  FakeSystem system{{"COM1", "COM2", "COM10"}, {{1, 460800}, {2, 460800}, {10, 460800}}, {}};
  MainWindow window(Operations{}, system.Services());
  window.show();

  // Cancel after changing both lists.
  OnNextModal cancel([](QWidget* modal) {
    auto* dialog = qobject_cast<SetupDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    Ports(*dialog)->setCurrentIndex(2);
    Speeds(*dialog)->setCurrentIndex(3);
    Control<QPushButton>(*dialog, kIdCancel)->click();
  });
  Control<QPushButton>(window, kIdSetup)->click();
  EXPECT_TRUE(cancel.Seen());
  EXPECT_EQ(window.PortNumber(), 1u);
  EXPECT_EQ(window.SpeedLimit(), 460800u);

  // Enter on the focused Cancel cancels too.
  OnNextModal enterOnCancel([](QWidget* modal) {
    Ports(*qobject_cast<SetupDialog*>(modal))->setCurrentIndex(2);
    QPushButton* cancelButton = Control<QPushButton>(*modal, kIdCancel);
    cancelButton->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cancelButton, Qt::Key_Return);
  });
  Control<QPushButton>(window, kIdSetup)->click();
  EXPECT_TRUE(enterOnCancel.Seen());
  EXPECT_EQ(window.PortNumber(), 1u);
  EXPECT_EQ(window.SpeedLimit(), 460800u);

  // Escape ends it as Cancel does.
  OnNextModal escape([](QWidget* modal) {
    Ports(*qobject_cast<SetupDialog*>(modal))->setCurrentIndex(2);
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  Control<QPushButton>(window, kIdSetup)->click();
  EXPECT_TRUE(escape.Seen());
  EXPECT_EQ(window.PortNumber(), 1u);

  OnNextModal save([](QWidget* modal) {
    auto* dialog = qobject_cast<SetupDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    Ports(*dialog)->setCurrentIndex(2);  // COM2
    Speeds(*dialog)->setCurrentIndex(3);  // 57600
    // Enter with a list focused is Save's.
    Speeds(*dialog)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Speeds(*dialog), Qt::Key_Return);
  });
  Control<QPushButton>(window, kIdSetup)->click();
  EXPECT_TRUE(save.Seen());
  EXPECT_EQ(window.PortNumber(), 2u);
  EXPECT_EQ(window.SpeedLimit(), 57600u);
  // Stored at once, where the command line reads them while the window is open.
  EXPECT_EQ(ReadTextFile(home.SettingsFile()), "Language=1\nPort=2\nMaxSpeed=57600\n");
}
