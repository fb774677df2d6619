// The window session of both desktop programs against a recording surface: which command
// each control id runs, one command at a time, dropped files, the settings over the
// session's life, the language button and the progress bar's range.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "gui/common/command_table.h"
#include "gui/common/control_ids.h"
#include "gui/common/window_session.h"
#include "support/fake_serial_device.h"
#include "support/language_guard.h"
#include "support/recording_operations.h"
#include "support/log_lines.h"
#include "support/recording_surface.h"
#include "support/scoped_config_home.h"
#include "support/stop_request_guard.h"
#include "support/temp_dir.h"
#include "support/test_clock.h"

using namespace stravener;
using namespace stravener::gui;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(WindowSessionTest, EachIdRunsItsCommandAndTheOthersGoToTheSurface) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  RecordingOperations recorder;
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
  EXPECT_FALSE(session.AskOkCancel("b", DefaultButton::Ok));
  session.ShowWarning("c");
  EXPECT_THAT(surface.calls, ElementsAre("notice a", "question b", "warning c"));

  // A command without its operation says so in the log and runs nothing else.
  WindowSession bare(surface, Operations{}, SetupServices{});
  bare.RunCommand(kIdReadTrack);
  EXPECT_THAT(LogLines(bare.Log()), ElementsAre("E This command is not available in this version of the program."));
}

// The user clicks, presses keys and drops files while a command runs: none of it starts
// anything, during the command or after it. Exit asks to stop the command; declined, it
// runs on.
TEST(WindowSessionTest, OneCommandAtATimeAndWhatComesMeanwhileIsDropped) {
  ScopedConfigHome settings;
  StopRequestGuard stop;
  LanguageGuard english(kEnglish);
  RecordingSurface surface;
  surface.answerOk = false;
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
  EXPECT_THAT(surface.calls, ElementsAre("starting", "question Stop the running command and close the program?",
                                         "repaint busy", "ending", "ended"));
  EXPECT_FALSE(StopRequested());
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
  RecordingOperations recorder;
  Operations ops = recorder.Make();
  ops.openPort = DefaultOperations().openPort;
  ops.closePort = DefaultOperations().closePort;
  ops.upgradeFirmware = [&recorder](WindowHost&, PortConnection& connection, const std::string& path) {
    recorder.calls.push_back((connection.openFlag != 0 ? "open " : "closed ") + path);
  };
  FakeSerialLine line;
  RecordingSurface surface;
  WindowSession session(surface, ops, SetupServices{}, line.Opener());
  TempDir dir;
  const std::string image = dir.File("fw.upg");
  WriteWholeFile(image, std::vector<unsigned char>(1022, 0xFF));

  // A firmware image is loaded only when the user says so; Enter declines: the port is not
  // even opened.
  surface.pressEnter = true;
  session.DropFiles({image});
  {
    LanguageGuard polish(kPolish);
    session.DropFiles({image});
  }
  EXPECT_THAT(surface.Calls("question"),
              ElementsAre("question [Cancel] Load " + image + " (1022 bytes) into the logger?",
                          "question [Cancel] Załadować " + image + " (1022 bajty) do loggera?"));
  EXPECT_EQ(line.Count(FakeCall::Open), 0u);
  EXPECT_THAT(LogLines(session.Log()), IsEmpty());
  surface.pressEnter = false;

  session.DropFiles({"/data/track.bin"});
  EXPECT_THAT(recorder.calls, ElementsAre("convert /data/track.bin"));
  // Confirmed, dropped while the port is closed, and while it is open: it runs on the port
  // opened for it, which is closed after it.
  session.DropFiles({image});
  EXPECT_FALSE(session.PortOpen());
  EXPECT_THAT(LogLines(session.Log()),
              ElementsAre(::testing::StartsWith("I Opening port COM1"), "I Port opened.",
                          "I Changing port speed to 4800 bps.", "I Port closed.", "S -----"));
  session.RunCommand(kIdOpenPort);
  session.DropFiles({image});
  EXPECT_FALSE(session.PortOpen());
  // Even when the port cannot be opened. A file whose size cannot be read is not asked
  // about: the upgrade itself says why it cannot be loaded.
  line.Fail(FakeCall::Open, 2);
  surface.calls.clear();
  session.DropFiles({"/data/gone.upg"});
  EXPECT_THAT(surface.Calls("question"), IsEmpty());
  EXPECT_THAT(recorder.calls, ElementsAre("convert /data/track.bin", "open " + image, "open " + image,
                                          "closed /data/gone.upg"));

  // Several files, or one of another type (which types, DroppedFileTest's): a notice only.
  recorder.calls.clear();
  surface.calls.clear();
  session.DropFiles({"/data/a.bin", "/data/b.bin"});
  session.DropFiles({"/data/notes.txt"});
  EXPECT_THAT(surface.Calls("notice"),
              ElementsAre("notice Drop only one file at a time.", "notice File type unsupported."));
  EXPECT_THAT(recorder.calls, IsEmpty());
}

// The settings are loaded when the session starts and stored when Setup is saved (where
// another reader sees them while the window is open) and when it ends, with an open port
// closed without a word and the speed limit lowered by its opening; Setup changes them
// only with Save.
TEST(WindowSessionTest, TheSettingsOverTheSessionsLife) {
  ScopedConfigHome settings;
  LanguageGuard english(kEnglish);
  SaveSettings(kEnglish, 3, 57600);
  FakeSerialLine line;
  line.maxSpeed = 115200;
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
    uint32_t port = 0, speed = 0;
    LoadPortSettings(port, speed);
    EXPECT_EQ(port, 7u);
    EXPECT_EQ(speed, 230400u);
    session.RunCommand(kIdOpenPort);
    ASSERT_TRUE(session.PortOpen());
    line.calls.clear();
  }
  EXPECT_EQ(line.Count(FakeCall::Close), 1u) << "the port was not closed";
  uint32_t port = 0, speed = 0;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 7u);
  EXPECT_EQ(speed, 115200u);
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

namespace {

// The enabled state of each control, as the surface's calls from `from` on left it.
std::map<int, bool> EnabledStates(const RecordingSurface& surface, size_t from = 0) {
  std::map<int, bool> states;
  for (size_t i = from; i < surface.calls.size(); ++i) {
    int id = 0, enabled = 0;
    if (std::sscanf(surface.calls[i].c_str(), "enable %d %d", &id, &enabled) == 2) states[id] = enabled != 0;
  }
  return states;
}

}  // namespace

// While a logger command runs every button but Exit is disabled, even when the command
// itself changes the port's state, and Exit has the focus; afterwards the port's states
// come back. Escape asks the command to stop; Exit, once confirmed, too, and the window
// ends after the command has returned. The stop is forgotten before the next command.
TEST(WindowSessionTest, WhileACommandRunsOnlyEscapeAndExitCountAndTheyStopIt) {
  ScopedConfigHome settings;
  StopRequestGuard stop;
  LanguageGuard english(kEnglish);
  FakeSerialLine line;
  RecordingSurface surface;
  Operations ops = DefaultOperations();
  WindowSession* running = nullptr;
  std::map<int, bool> during;
  std::vector<bool> stopSeen;
  ops.restartLogger = [&](WindowHost&, PortConnection& connection) {
    ClosePort(connection, true);  // the port's state changes during the command
    during = EnabledStates(surface);
    running->PressEscape();
    stopSeen.push_back(StopRequested());
    running->RunCommand(kIdCancel);
  };
  ops.showLoggerInfo = [&](WindowHost&, PortConnection&) { stopSeen.push_back(StopRequested()); };
  WindowSession session(surface, ops, SetupServices{}, line.Opener());
  running = &session;
  session.Attach();
  session.RunCommand(kIdOpenPort);
  surface.calls.clear();

  // Exit declined: the command was stopped by Escape all the same; the window stays.
  surface.answerOk = false;
  session.RunCommand(kIdRestart);
  for (const MainWindowControl& control : MainWindowControls()) {
    const bool button = control.kind == ControlKind::PushButton || control.kind == ControlKind::FlagButton;
    EXPECT_EQ(during.at(control.id), !button || control.id == kIdCancel) << control.id;
  }
  EXPECT_EQ(surface.Calls("focus").front(), "focus 2");
  EXPECT_EQ(surface.Calls("focus").back(), "focus 1006");
  const std::map<int, bool> after = EnabledStates(surface);
  for (const MainWindowControl& control : MainWindowControls()) {
    EXPECT_EQ(after.at(control.id), ControlEnabled(control, false)) << control.id << " after the command";
  }
  EXPECT_THAT(surface.Calls("end "), IsEmpty());
  EXPECT_THAT(surface.Calls("question"), ElementsAre("question Stop the running command and close the program?"));
  EXPECT_FALSE(StopRequested()) << "the next command would find it";

  // Exit confirmed: the window ends once the command has returned.
  session.RunCommand(kIdOpenPort);
  surface.answerOk = true;
  surface.calls.clear();
  session.RunCommand(kIdRestart);
  EXPECT_EQ(surface.calls.back(), "end cancel");
  EXPECT_EQ(std::count(surface.calls.begin(), surface.calls.end(), "ended"), 1);
  EXPECT_LT(std::find(surface.calls.begin(), surface.calls.end(), "ended"), surface.calls.end() - 1);
  EXPECT_FALSE(StopRequested());
  session.RunCommand(kIdOpenPort);
  session.RunCommand(kIdInformation);
  EXPECT_EQ(stopSeen, (std::vector<bool>{true, true, false}));

  // Outside a command Escape does nothing, and Exit ends the window without a question.
  surface.calls.clear();
  session.PressEscape();
  EXPECT_FALSE(StopRequested());
  session.RequestClose();
  EXPECT_THAT(surface.calls, ElementsAre("end cancel"));
}

// The bar shows the percentage and the time left at the rate measured since its range was
// set, once a second has gone; the text goes at a new range and when the command ends.
TEST(WindowSessionTest, TheBarShowsThePercentageAndTheTimeLeft) {
  ScopedConfigHome settings;
  TestClock clock;
  clock.counter = 0;
  RecordingSurface surface;
  Operations ops;
  ops.restartLogger = [&clock](WindowHost& host, PortConnection&) {
    host.SetProgressRange(10000);
    *clock.counter = 900;
    host.SetProgressPosition(1000);  // too early to tell
    *clock.counter = 2000;
    host.SetProgressPosition(4000);  // 2 s for 40 %: 3 s left
    {
      LanguageGuard polish(kPolish);
      host.SetProgressPosition(4000);
    }
    *clock.counter = 3'600'000;
    host.SetProgressPosition(5000);  // an hour for half: an hour left
    *clock.counter = 3'600'001;
    host.SetProgressPosition(9999);  // under a second left: still a second
    host.SetProgressPosition(10000);  // done: the log says the rest
    host.SetProgressPosition(9999);
    host.SetProgressRange(100);
    *clock.counter = 3'602'000;
    host.SetProgressPosition(1);
  };
  LanguageGuard english(kEnglish);
  WindowSession session(surface, ops, SetupServices{}, SerialOpener{}, clock);
  session.RunCommand(kIdRestart);
  EXPECT_THAT(surface.Calls("text"), ElementsAre("text 40% – 0:03 left", "text 40% – zostało 0:03",
                                                 "text 50% – 1:00:00 left", "text 99% – 0:01 left", "text ",
                                                 "text 99% – 0:01 left", "text ", "text 1% – 3:18 left", "text "));
}
