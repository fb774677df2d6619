// The window session of both desktop programs against a recording surface: which command
// each control id runs, one command at a time, dropped files, the settings over the
// session's life, the language button and the progress bar's range.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "gui/common/control_ids.h"
#include "gui/common/window_session.h"
#include "support/fake_serial_device.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/recording_surface.h"
#include "support/scoped_config_home.h"

using namespace stravener;
using namespace stravener::gui;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Operations that only record that they were reached, in order.
struct Recorder {
  std::vector<std::string> calls;

  Operations Make() {
    Operations ops;
    auto record = [this](const char* name) {
      return [this, name](WindowHost&, PortConnection&) { calls.push_back(name); };
    };
    ops.openPort = record("open");
    ops.closePort = record("close");
    ops.showLoggerInfo = record("information");
    ops.configureLogger = record("configuration");
    ops.readTrack = record("read");
    ops.eraseTrackMemory = record("erase");
    ops.startFirmwareUpgrade = record("upgrade");
    ops.restartLogger = record("restart");
    ops.upgradeFirmware = [this](WindowHost&, PortConnection&, const std::string& path) {
      calls.push_back("upgrade " + path);
    };
    ops.convertBinaryTrackFile = [this](WindowHost&, PortConnection&, const std::string& path) {
      calls.push_back("convert " + path);
    };
    return ops;
  }
};

}  // namespace

TEST(WindowSessionTest, EachIdRunsItsCommandAndTheOthersGoToTheSurface) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  Recorder recorder;
  RecordingSurface surface;
  WindowSession session(surface, recorder.Make(), SetupServices{});
  const std::pair<int, const char*> commands[] = {
      {kIdOpenPort, "open"},          {kIdClosePort, "close"},       {kIdInformation, "information"},
      {kIdConfiguration, "configuration"}, {kIdReadTrack, "read"}, {kIdEraseTrack, "erase"},
      {kIdUpgrade, "upgrade"},        {kIdRestart, "restart"}};
  for (const auto& [id, name] : commands) {
    recorder.calls.clear();
    surface.calls.clear();
    session.RunCommand(id);
    EXPECT_THAT(recorder.calls, ElementsAre(name)) << id;
    EXPECT_THAT(surface.calls, ElementsAre("starting", "ending", "ended")) << id;
  }
  recorder.calls.clear();
  surface.calls.clear();
  session.RunCommand(kIdAbout);
  session.RunCommand(kIdSetup);
  session.RunCommand(kIdLog);  // not a command
  session.RunCommand(kIdOk);
  session.RunCommand(kIdCancel);
  EXPECT_THAT(recorder.calls, IsEmpty());
  EXPECT_THAT(surface.calls, ElementsAre("starting", "about", "ending", "ended", "starting", "setup 1 115200",
                                         "ending", "ended", "end ok", "end cancel"));

  // The message box trio, each of its kind; only the question's answer counts.
  surface.calls.clear();
  surface.answerOk = false;
  session.ShowNotice("a");
  EXPECT_FALSE(session.AskOkCancel("b"));
  session.ShowWarning("c");
  EXPECT_THAT(surface.calls, ElementsAre("notice a", "question b", "warning c"));

  // A command without its operation says so in the log and runs nothing else.
  WindowSession bare(surface, Operations{}, SetupServices{});
  bare.RunCommand(kIdReadTrack);
  EXPECT_THAT(LogLines(bare.Log()), ElementsAre("E This command is not available in this version of the program."));
}

// The user clicks, presses keys and drops files while a command runs: none of it starts
// anything, during the command or after it.
TEST(WindowSessionTest, OneCommandAtATimeAndWhatComesMeanwhileIsDropped) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  RecordingSurface surface;
  Operations ops;
  int opened = 0;
  WindowSession* running = nullptr;
  ops.openPort = [&](WindowHost& host, PortConnection&) {
    ++opened;
    EXPECT_TRUE(running->Busy());
    running->RunCommand(kIdOpenPort);
    running->RunCommand(kIdAbout);
    running->RunCommand(kIdLanguage);
    running->RunCommand(kIdCancel);
    running->DropFiles({"/data/track.bin"});
    host.Repaint();
  };
  ops.convertBinaryTrackFile = [&](WindowHost&, PortConnection&, const std::string&) { ++opened; };
  WindowSession session(surface, ops, SetupServices{});
  running = &session;
  session.RunCommand(kIdOpenPort);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(session.Busy());
  EXPECT_THAT(surface.calls, ElementsAre("starting", "repaint busy", "ending", "ended"));
  // Outside a command the repaint is an ordinary one, and the next command runs.
  session.Repaint();
  EXPECT_EQ(surface.calls.back(), "repaint");
  session.RunCommand(kIdOpenPort);
  EXPECT_EQ(opened, 2);

  // While a dialog of the window is open, likewise.
  surface.calls.clear();
  surface.during = [&session] {
    session.RunCommand(kIdSetup);
    session.DropFiles({"/data/track.bin"});
  };
  session.RunCommand(kIdAbout);
  EXPECT_EQ(opened, 2);
  EXPECT_THAT(surface.calls, ElementsAre("starting", "about", "ending", "ended"));
}

TEST(WindowSessionTest, DroppedFiles) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  Recorder recorder;
  RecordingSurface surface;
  WindowSession session(surface, recorder.Make(), SetupServices{});

  session.DropFiles({"/data/track.bin"});
  EXPECT_THAT(recorder.calls, ElementsAre("convert /data/track.bin"));
  // A firmware image: the port is opened, the upgrade runs, the port is closed.
  recorder.calls.clear();
  session.DropFiles({"/data/new.upg"});
  EXPECT_THAT(recorder.calls, ElementsAre("open", "upgrade /data/new.upg", "close"));

  struct Case {
    std::vector<std::string> paths;
    const char* message;
  };
  const Case refused[] = {
      {{"/data/a.bin", "/data/b.bin"}, "notice Drop only one file at a time."},
      {{"/data/track.BIN"}, "notice File type unsupported."},
      {{"/data/track"}, "notice File type unsupported."},
      {{"/data.d/track"}, "notice File type unsupported."},
      {{"/data/notes.txt"}, "notice File type unsupported."},
  };
  for (const Case& c : refused) {
    recorder.calls.clear();
    surface.calls.clear();
    session.DropFiles(c.paths);
    EXPECT_THAT(surface.calls, ElementsAre("starting", c.message, "ending", "ended")) << c.paths[0];
    EXPECT_THAT(recorder.calls, IsEmpty()) << c.paths[0];
  }
}

// The settings are loaded when the session starts and stored when it ends, with an open
// port closed without a word; Setup changes them only with Save.
TEST(WindowSessionTest, TheSettingsOverTheSessionsLife) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  SaveSettings(kEnglish, 3, 57600);
  FakeSerialLine line;
  RecordingSurface surface;
  {
    WindowSession session(surface, DefaultOperations(), SetupServices{}, line.Opener());
    EXPECT_EQ(session.PortNumber(), 3u);
    EXPECT_EQ(session.SpeedLimit(), 57600u);
    surface.setup = [](SetupChoice&) { return false; };  // Cancel
    session.RunCommand(kIdSetup);
    EXPECT_EQ(session.PortNumber(), 3u);
    surface.setup = [](SetupChoice& choice) {
      choice.portNumber = 7;
      choice.speedLimit = 230400;
      return true;
    };
    session.RunCommand(kIdSetup);
    EXPECT_THAT(surface.Calls("setup"), ElementsAre("setup 3 57600", "setup 3 57600"));
    EXPECT_EQ(session.PortNumber(), 7u);
    EXPECT_EQ(session.SpeedLimit(), 230400u);
    session.RunCommand(kIdOpenPort);
    ASSERT_TRUE(session.PortOpen());
    surface.calls.clear();
  }
  EXPECT_FALSE(line.isOpen) << "the port was left open";
  EXPECT_THAT(surface.Calls("log"), IsEmpty()) << "closed without a word";
  uint32_t port = 0, speed = 0;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 7u);
  EXPECT_EQ(speed, 230400u);
}

// The language button: the notice in the new language, then the window ends with OK, and
// the session's end stores the new language.
TEST(WindowSessionTest, TheLanguageButtonSwitchesTellsAndEndsTheWindow) {
  for (const int language : {kEnglish, kPolish}) {
    ScopedConfigHome settings;
    LanguageGuard guard(language);
    RecordingSurface surface;
    {
      WindowSession session(surface, Operations{}, SetupServices{});
      session.Attach();
      session.RunCommand(kIdLanguage);
    }
    const char* notice = language == kEnglish
                             ? "notice Język interfejsu zostanie zmieniony przy następnym uruchomieniu programu."
                             : "notice The interface language will change after next application start.";
    EXPECT_THAT(surface.calls, ElementsAre(language == kEnglish ? "flag polish" : "flag british", "starting",
                                           notice, "ending", "ended", "end ok"));
    EXPECT_EQ(ReadLanguageSetting(), language == kEnglish ? kPolish : kEnglish);
  }
}

TEST(WindowSessionTest, ButtonsFollowThePortAndLogLinesShowAtOnce) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  FakeSerialLine line;
  RecordingSurface surface;
  WindowSession session(surface, DefaultOperations(), SetupServices{}, line.Opener());
  session.UpdateButtonStates();
  EXPECT_THAT(surface.calls, IsEmpty()) << "before the surface's controls exist";
  session.Attach();
  session.RunCommand(kIdOpenPort);
  // The port opens: Setup and Open port off, the logger commands on, the focus on Close port.
  EXPECT_THAT(surface.Calls("enable 10"), ::testing::IsSupersetOf({"enable 1006 0", "enable 1007 1", "enable 1012 1"}));
  EXPECT_THAT(surface.Calls("enable 1021"), ElementsAre("enable 1021 0"));
  EXPECT_EQ(surface.Calls("focus").back(), "focus 1007");
  // Each log line is shown and painted while the command runs.
  const auto at = std::find(surface.calls.begin(), surface.calls.end(), "log Port opened.");
  ASSERT_NE(at + 1, surface.calls.end());
  EXPECT_EQ(at[1], "repaint busy");
  session.Detach();
  surface.calls.clear();
  session.Log().Add(LogKind::Info, "after");
  EXPECT_THAT(surface.calls, IsEmpty());
}

// A range above what a bar holds (a signed 32-bit number) is scaled down, and the
// positions with it.
TEST(WindowSessionTest, TheProgressBarTakesTheWhole32BitRange) {
  ScopedConfigHome settings;
  RecordingSurface surface;
  WindowSession session(surface, Operations{}, SetupServices{});
  session.SetProgressRange(2048);
  session.SetProgressPosition(1024);
  session.SetProgressRange(0xffffffffu);
  session.SetProgressPosition(0x80000000u);
  session.SetProgressPosition(0xffffffffu);
  session.SetProgressRange(0x7fffffffu);
  session.SetProgressPosition(0x7fffffffu);
  EXPECT_THAT(surface.calls, ElementsAre("range 2048", "position 1024", "range 2147483647", "position 1073741824",
                                         "position 2147483647", "range 2147483647", "position 2147483647"));
}
