#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui/common/configuration_dialog.h"
#include "platform/stop_signals.h"
#include "gui_test_support.h"
#include "sim/simulated_logger.h"
#include "support/language_guard.h"
#include "support/stop_request_guard.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

// A simulated logger reachable as COM7 through the per-user ports folder, and the window
// set up to use it, with the program's own operations.
struct LoggerAndWindow {
  ScopedConfigHome home;
  LanguageGuard english{kEnglish};
  sim::SimulatedLogger logger;
  std::unique_ptr<MainWindow> window;

  explicit LoggerAndWindow(sim::SimulatedLoggerOptions options) : logger(std::move(options)) {
    std::string error;
    if (logger.Start(&error) != 0) {
      ADD_FAILURE() << "the simulated logger did not start: " << error;
      return;
    }
    const std::filesystem::path ports = std::filesystem::path(home.SettingsFile()).parent_path() / "ports";
    std::filesystem::create_directories(ports);
    std::filesystem::create_symlink(logger.SlavePath(), ports / "COM7");
    home.WriteSettings("Language=1\nPort=7\nMaxSpeed=460800\n");
    window = std::make_unique<MainWindow>();
    window->show();
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
  }

  QPushButton* Button(int id) { return Control<QPushButton>(*window, id); }
  void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
  std::vector<std::string> Log() const {
    std::vector<std::string> texts;
    for (const LogEntry& entry : window->Log().Entries()) texts.push_back(entry.text);
    return texts;
  }
};

// Answers the save dialog with this file.
std::function<void(QWidget*)> SaveAs(const std::string& path) {
  return [path](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
  };
}

sim::SimulatedLoggerOptions SmallLogger() {
  sim::SimulatedLoggerOptions options;
  options.points = 300;
  return options;
}

}  // namespace

TEST(SimulatedLoggerWindowTest, OpenPortAndClosePortFollowTheLogger) {
  LoggerAndWindow setup(SmallLogger());
  ASSERT_NE(setup.window, nullptr);
  MainWindow& window = *setup.window;
  // The buttons and the log lines that follow are MainWindowPortTest's; here, the line.
  setup.Click(kIdOpenPort);
  ASSERT_TRUE(window.PortOpen());
  // The logger sees the line at 4800 bit/s (it looks at the line now and then).
  EXPECT_TRUE(QTest::qWaitFor([&setup] { return setup.logger.ToolSpeed() == 4800u; }, 2000));
  setup.Click(kIdClosePort);
  EXPECT_FALSE(window.PortOpen());
}

TEST(SimulatedLoggerWindowTest, EveryButtonServicesTheLogger) {
  sim::SimulatedLoggerOptions options = SmallLogger();
  options.skip = 0;
  LoggerAndWindow setup(options);
  ASSERT_NE(setup.window, nullptr);
  MainWindow& window = *setup.window;
  TempDir folder;
  setup.Click(kIdOpenPort);
  ASSERT_TRUE(window.PortOpen());

  // Information: the report comes as a notice.
  std::string report;
  OnNextModal information([&report](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    report = box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
  });
  setup.Click(kIdInformation);
  EXPECT_TRUE(information.Seen());
  EXPECT_FALSE(report.empty());

  // Configuration: tick the box, answer the range message for the 0 shown, type 3, Save.
  OnNextModal configuration([](QWidget* modal) {
    auto* box = Control<QCheckBox>(*modal, kSkipCheckBoxId);
    ASSERT_NE(box, nullptr);
    OnNextModal range([](QWidget* message) { qobject_cast<QMessageBox*>(message)->button(QMessageBox::Ok)->click(); });
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(range.Seen());
    Control<QLineEdit>(*modal, kSkipCountFieldId)->setText("3");
    Control<QPushButton>(*modal, kIdOk)->click();
  });
  setup.Click(kIdConfiguration);
  EXPECT_TRUE(configuration.Seen());
  EXPECT_EQ(setup.logger.SkipSetting(), 3);
  EXPECT_EQ(setup.Log().back(), "The configuration was saved.");

  // Read track into a binary file: the logger's used memory byte for byte.
  const std::string saved = folder.File("track.bin");
  OnNextModal read(SaveAs(saved));
  setup.Click(kIdReadTrack);
  EXPECT_TRUE(read.Seen());
  EXPECT_EQ(ReadWholeFile(saved), setup.logger.UsedMemory());

  // Erase track, after the question.
  OnNextModal erase([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    box->button(QMessageBox::Ok)->click();
  });
  setup.Click(kIdEraseTrack);
  EXPECT_TRUE(erase.Seen());
  EXPECT_EQ(setup.logger.UsedBytes(), 0u);

  // Restart: the port is closed afterwards.
  setup.Click(kIdRestart);
  EXPECT_FALSE(window.PortOpen());
  EXPECT_EQ(window.focusWidget(), setup.Button(kIdOpenPort));
}

TEST(SimulatedLoggerWindowTest, ADroppedFirmwareImageIsLoadedAndThePortLeftClosed) {
  LoggerAndWindow setup(SmallLogger());
  ASSERT_NE(setup.window, nullptr);
  TempDir folder;
  std::vector<unsigned char> image(256);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i * 7 + 1);
  const std::string path = folder.File("new.upg");
  WriteWholeFile(path, image);
  // The question before the image is loaded, answered with OK.
  OnNextModal question([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Ok)->click();
  });
  setup.window->HandleDroppedFiles({QString::fromStdString(path)});
  EXPECT_TRUE(question.Seen());
  EXPECT_FALSE(setup.window->PortOpen());
  const std::vector<uint8_t> programmed = setup.logger.ProgrammedImage();
  ASSERT_GE(programmed.size(), image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), programmed.begin()));
  EXPECT_EQ(setup.Log().at(1), "Port opened.");
}

TEST(SimulatedLoggerWindowTest, ASessionsEndDuringADownloadTakesTheLoggerBackThenEndsTheWindow) {
  StopRequestGuard stop;
  InstallStopSignals();  // as the program's main() does
  // SIGTERM to the whole program, as the end of a session sends it, once the second block
  // has gone out: the system hands it to any thread, here likely the logger's own.
  std::atomic<int> blocks{0};
  sim::SimulatedLoggerOptions options;
  options.points = 2000;  // 32000 bytes, three blocks at 460800 bit/s, paced
  options.traceListener = [&blocks](const sim::TraceEvent& e) {
    if (e.kind == sim::TraceKind::Answer && e.text.find("track block") != std::string::npos && ++blocks == 2) {
      kill(getpid(), SIGTERM);
    }
  };
  LoggerAndWindow setup(options);
  ASSERT_NE(setup.window, nullptr);
  TempDir folder;
  setup.Click(kIdOpenPort);
  ASSERT_TRUE(setup.window->PortOpen());
  const std::string saved = folder.File("track.bin");
  OnNextModal read(SaveAs(saved));
  setup.Click(kIdReadTrack);
  ASSERT_TRUE(read.Seen());

  const std::vector<std::string> log = setup.Log();
  ASSERT_GE(log.size(), 4u);
  const std::string partial = folder.File("track.partial.bin");
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"Speed change command sent.", "Changing port speed to 4800 bps.",
                                      "Transfer aborted.", "The incomplete track is in " + partial + "."}));
  EXPECT_FALSE(std::filesystem::exists(saved));
  const std::vector<unsigned char> file = ReadWholeFile(partial);
  const std::vector<uint8_t> used = setup.logger.UsedMemory();
  EXPECT_GE(file.size(), 11776u);
  EXPECT_LT(file.size(), used.size());
  EXPECT_TRUE(std::equal(file.begin(), file.end(), used.begin())) << "an exact prefix";
  EXPECT_TRUE(QTest::qWaitFor([&setup] { return setup.logger.Mode() == sim::LoggerMode::Command; }, 2000));
  // Then the window ends, as Exit ends it.
  EXPECT_TRUE(QTest::qWaitFor([&setup] { return !setup.window->isVisible(); }, 2000));
  EXPECT_EQ(setup.window->result(), QDialog::Rejected);
}

// Escape and the close box reach the session during a paced download: the close box asks
// whether to stop and close (declined here), and Escape stops the download in the window
// that stays open.
TEST(SimulatedLoggerWindowTest, EscapeStopsADownloadAndTheCloseBoxAsksFirst) {
  StopRequestGuard stop;
  std::atomic<int> blocks{0};
  sim::SimulatedLoggerOptions options;
  options.points = 4000;  // 64000 bytes, six blocks at 460800 bit/s, paced
  options.traceListener = [&blocks](const sim::TraceEvent& e) {
    if (e.kind == sim::TraceKind::Answer && e.text.find("track block") != std::string::npos) ++blocks;
  };
  LoggerAndWindow setup(options);
  ASSERT_NE(setup.window, nullptr);
  MainWindow& window = *setup.window;
  TempDir folder;
  setup.Click(kIdOpenPort);
  ASSERT_TRUE(window.PortOpen());

  // What the user does while the download repaints the window.
  std::string question;
  std::unique_ptr<OnNextModal> declineClose;
  int step = 0;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (!window.Busy() || blocks < 1 || step == 2) return;
    if (step++ == 0) {
      declineClose = std::make_unique<OnNextModal>([&question](QWidget* modal) {
        question = qobject_cast<QMessageBox*>(modal)->text().toStdString();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Cancel)->click();
      });
      window.windowHandle()->close();
    } else {
      QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    }
  });
  user.start(10);
  OnNextModal read(SaveAs(folder.File("track.bin")));
  setup.Click(kIdReadTrack);
  user.stop();
  ASSERT_TRUE(read.Seen());

  EXPECT_EQ(question, "Stop the running command and close the program?");
  EXPECT_EQ(setup.Log().back(), "The incomplete track is in " + folder.File("track.partial.bin") + ".");
  QApplication::processEvents();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(setup.Button(kIdReadTrack)->isEnabled());
}
