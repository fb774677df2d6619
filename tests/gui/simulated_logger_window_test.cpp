#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/language.h"
#include "gui/control_ids.h"
#include "gui/main_window.h"
#include "gui_test_support.h"
#include "sim/simulated_logger.h"
#include "support/language_guard.h"

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
  setup.Click(kIdOpenPort);
  ASSERT_TRUE(window.PortOpen());
  EXPECT_EQ(window.focusWidget(), setup.Button(kIdClosePort));
  EXPECT_FALSE(setup.Button(kIdSetup)->isEnabled());
  EXPECT_TRUE(setup.Button(kIdReadTrack)->isEnabled());
  EXPECT_EQ(setup.Log(), (std::vector<std::string>{"Port opened.", "Changing port speed to 4800 bps."}));
  // The logger sees the line at 4800 bit/s (it looks at the line now and then).
  EXPECT_TRUE(QTest::qWaitFor([&setup] { return setup.logger.ToolSpeed() == 4800u; }, 2000));

  setup.Click(kIdClosePort);
  EXPECT_FALSE(window.PortOpen());
  EXPECT_EQ(window.focusWidget(), setup.Button(kIdOpenPort));
  EXPECT_TRUE(setup.Button(kIdSetup)->isEnabled());
  EXPECT_FALSE(setup.Button(kIdReadTrack)->isEnabled());
  EXPECT_EQ(setup.Log().back(), "-----");
}
