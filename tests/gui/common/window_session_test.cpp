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
#include "support/recording_operations.h"
#include "support/log_lines.h"
#include "support/recording_surface.h"
#include "support/scoped_config_home.h"
#include "support/temp_dir.h"

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
  EXPECT_THAT(LogLines(session.Log()), ElementsAre("I Port opened.", "I Changing port speed to 4800 bps.",
                                                   "I Port closed.", "S -----"));
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
