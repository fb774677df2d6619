#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <stdlib.h>
#include <unistd.h>

#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui_test_support.h"
#include "support/language_guard.h"
#include "support/log_lines.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

const int kCommandIds[] = {kIdClosePort, kIdInformation, kIdConfiguration, kIdReadTrack,
                           kIdEraseTrack, kIdUpgrade,     kIdRestart};

QPushButton* ButtonOf(MainWindow& window, int id) { return Control<QPushButton>(window, id); }

std::vector<std::string> LogTexts(MainWindow& window) {
  std::vector<std::string> texts;
  auto* list = Control<QListWidget>(window, kIdLog);
  for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
  return texts;
}

void ExpectPortState(MainWindow& window, bool open) {
  EXPECT_EQ(window.PortOpen(), open);
  EXPECT_EQ(ButtonOf(window, kIdOpenPort)->isEnabled(), !open);
  EXPECT_EQ(ButtonOf(window, kIdSetup)->isEnabled(), !open);
  for (const int id : kCommandIds) EXPECT_EQ(ButtonOf(window, id)->isEnabled(), open) << id;
  for (const int id : {kIdCancel, kIdAbout, kIdLanguage}) EXPECT_TRUE(ButtonOf(window, id)->isEnabled()) << id;
  EXPECT_EQ(window.focusWidget(), ButtonOf(window, open ? kIdClosePort : kIdOpenPort));
}

// A pseudo-terminal whose slave side stands in for a serial port.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      const char* name = ::ptsname(master_);
      if (name != nullptr) slave_ = name;
    }
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
  const std::string& SlavePath() const { return slave_; }
  // As when the adapter is pulled out: the port's device is gone.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slave_;
};

// The pseudo-terminal as COM7 in the settings' ports folder, and the settings that name it.
void UseAsCom7(const ScopedConfigHome& home, const Pty& pty, const char* settings) {
  ASSERT_FALSE(pty.SlavePath().empty());
  const std::filesystem::path ports = std::filesystem::path(home.SettingsFile()).parent_path() / "ports";
  std::filesystem::create_directories(ports);
  std::filesystem::create_symlink(pty.SlavePath(), ports / "COM7");
  home.WriteSettings(settings);
}

}  // namespace

TEST(MainWindowPortTest, OpenAndClosePortOnAPseudoTerminalSwitchTheButtonsAndTheFocus) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  Pty pty;
  UseAsCom7(home, pty, "Language=1\nPort=7\nMaxSpeed=460800\n");
  {
    MainWindow window;
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    ExpectPortState(window, false);

    QTest::mouseClick(ButtonOf(window, kIdOpenPort), Qt::LeftButton);
    ExpectPortState(window, true);
    // Which port, with the device its number stands for.
    EXPECT_EQ(LogTexts(window), (std::vector<std::string>{"Opening port COM7 (" + pty.SlavePath() + ").",
                                                          "Port opened.", "Changing port speed to 4800 bps."}));

    QTest::mouseClick(ButtonOf(window, kIdClosePort), Qt::LeftButton);
    ExpectPortState(window, false);
    EXPECT_EQ(LogTexts(window).size(), 5u);
    EXPECT_EQ(LogTexts(window)[3], "Port closed.");
    EXPECT_EQ(LogTexts(window)[4], "-----");
    EXPECT_EQ(window.Log().Entries().back().kind, LogKind::Separator);
  }
  EXPECT_EQ(ReadTextFile(home.SettingsFile()), "Language=1\nPort=7\nMaxSpeed=460800\n");
}

TEST(MainWindowPortTest, APulledCableEndsTheCommandInPlainWordsAndTheButtonsFollow) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  Pty pty;
  UseAsCom7(home, pty, "Language=1\nPort=7\nMaxSpeed=115200\n");
  MainWindow window;
  window.show();
  QApplication::setActiveWindow(&window);
  window.RunCommand(kIdOpenPort);
  ASSERT_TRUE(window.PortOpen());
  pty.CloseMaster();
  QTest::mouseClick(ButtonOf(window, kIdInformation), Qt::LeftButton);
  ExpectPortState(window, false);
  const std::vector<std::string> log = LogTexts(window);
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()),
            (std::vector<std::string>{"Error 0x5 purging port buffers.", SystemTextLine(EIO).substr(2),
                                      "The port went away: was the logger's cable pulled?", "Port closed.", "-----"}));
}

// A failed open, which leaves the buttons as they were, is PortConnectionTest's.
// Closing with the port open and a dropped firmware image's port are WindowSessionTest's.
TEST(MainWindowPortTest, ADroppedBinaryTrackFileIsConvertedIntoTheChosenFile) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  TempDir folder;
  const std::string input = folder.File("track.bin");
  WriteWholeFile(input, std::vector<unsigned char>(32, 0));
  MainWindow window;
  window.show();
  OnNextModal save([&folder](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(folder.Path().string()));
    dialog->selectFile("out");
    static_cast<QDialog*>(dialog)->accept();
  });
  window.HandleDroppedFiles({QString::fromStdString(input)});
  EXPECT_TRUE(save.Seen());
  // What the conversion logs is WindowCommandsTest's; here, the file the dialog chose.
  const std::vector<std::string> log = LogTexts(window);
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[2], "--> " + folder.File("out.plt"));
  EXPECT_TRUE(std::filesystem::exists(folder.File("out.plt")));
}
