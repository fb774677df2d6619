// The commands of the desktop window on the core's operations, run by the window session
// against the scripted logger: what each asks the user, at which moment of the command,
// and that nothing is sent after a question that was declined.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "gui/common/control_ids.h"
#include "gui/common/window_session.h"
#include "logger/scripted_logger.h"
#include "support/fake_serial_device.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/recording_surface.h"
#include "support/scoped_config_home.h"
#include "support/temp_dir.h"
#include "support/stop_request_guard.h"
#include "support/test_clock.h"

using namespace stravener;
using namespace stravener::gui;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kAttention = "$PMLR,06,00,02A9\r\n";
const std::string kInformation = kAttention + "$PQRVI,\r\n";

// The window session on the scripted logger, with the port already open (silently).
struct Commands {
  Commands() {
    logger.SetUsedMemory(2592);
    OpenPort(session.Connection(), false);
    line.output.clear();
    line.calls.clear();
  }
  void Run(int id) { session.RunCommand(id); }
  // Everything written to the port, as text.
  std::string Wire() const { return std::string(line.output.begin(), line.output.end()); }
  const EventLog& Log() { return session.Log(); }

  ScopedConfigHome settings;
  FakeSerialLine line;
  TestClock clock;
  RecordingSurface window;
  WindowSession session{window, DefaultOperations(), {}, line.Opener(), clock};
  ScriptedLogger logger{line};
  TempDir dir;
};

}  // namespace

TEST(WindowCommandsTest, InformationShowsTheReportWithoutLoggingIt) {
  LanguageGuard english(kEnglish);
  Commands c;
  c.Run(kIdInformation);
  const std::vector<std::string> notices = c.window.Calls("notice");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].rfind("notice Information about stravener:\r\n\r\nSerial number: 01-001234\r\n", 0), 0u);
  EXPECT_THAT(LogLines(c.Log()), ElementsAre("I Read info command sent."));

  Commands silent;
  silent.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.clear(); };
  silent.Run(kIdInformation);
  EXPECT_THAT(silent.window.Calls("notice"), IsEmpty());
}

TEST(WindowCommandsTest, ReadTrackAsksForTheFileBetweenTheRecordAndTheDownload) {
  LanguageGuard english(kEnglish);
  // Cancelled: nothing after the information request.
  Commands cancelled;
  cancelled.Run(kIdReadTrack);
  EXPECT_EQ(cancelled.Wire(), kInformation);
  EXPECT_EQ(cancelled.Log().Entries().size(), 1u) << "only the information request's line";
  ASSERT_EQ(cancelled.window.saveChoices.size(), 1u);
  const FileChoice& choice = cancelled.window.saveChoices[0];
  EXPECT_EQ(choice.title, "Save track as");
  EXPECT_EQ(choice.filter,
            "Track files (*.plt)|*.plt|GPX files (*.gpx)|*.gpx|KML files (*.kml)|*.kml|SVG picture (*.svg)|*.svg|"
            "Binary files (*.bin)|*.bin|All files (*.*)|*.*||");
  EXPECT_EQ(choice.defaultExtension, "plt");
  EXPECT_EQ(choice.defaultName, "20060315_log");

  Commands chosen;
  chosen.window.saveAnswer = chosen.dir.File("t.bin");
  chosen.Run(kIdReadTrack);
  EXPECT_EQ(chosen.Wire(), kInformation + kAttention + "$PQRVS,1\r\n$PQRVT,0,2592,\r\n$PQRVS,0\r\n");
  EXPECT_EQ(std::filesystem::file_size(chosen.dir.File("t.bin")), 2592u);
  // The summary of the track, naming the file, in Info lines after the download's last.
  std::vector<std::string> log = LogLines(chosen.Log());
  auto file = std::find(log.begin(), log.end(), "I File: " + chosen.dir.File("t.bin"));
  ASSERT_NE(file, log.end()) << ::testing::PrintToString(log);
  EXPECT_EQ(file[-1], "I Changing port speed to 4800 bps.");
  EXPECT_EQ(log.back().rfind("I Days: ", 0), 0u) << log.back();

  // Nothing to download: the notice, and no file is asked for.
  Commands empty;
  empty.logger.SetGeometry(2048, 256, 0, 0);
  empty.Run(kIdReadTrack);
  EXPECT_THAT(empty.window.Calls("notice"), ElementsAre("notice The track memory is clear."));
  EXPECT_THAT(empty.window.saveChoices, IsEmpty());
  EXPECT_EQ(empty.Wire(), kInformation);
}

// Enter answers the question with its default button, Cancel.
TEST(WindowCommandsTest, EraseAsksFirstAndSendsNothingWhenDeclined) {
  LanguageGuard polish(kPolish);
  Commands declined;
  declined.window.pressEnter = true;
  declined.Run(kIdEraseTrack);
  EXPECT_THAT(declined.window.Calls("question"), ElementsAre("question [Cancel] Czy chcesz wyczyścić pamięć śladu?"));
  EXPECT_THAT(declined.line.calls, IsEmpty());
  EXPECT_THAT(LogLines(declined.Log()), IsEmpty());

  Commands confirmed;
  confirmed.Run(kIdEraseTrack);
  EXPECT_EQ(confirmed.Wire(), kInformation + kAttention + "$PQRVE,\r\n");
}

// What the user does in the dialog itself is ConfigurationDialogTest's; here, that the
// dialog opens on the logger's setting and what it saves is sent.
TEST(WindowCommandsTest, ConfigurationOpensTheDialogOnTheLoggersSettingAndSendsWhatItSaves) {
  LanguageGuard english(kEnglish);
  Commands saved;
  saved.logger.info[20] = 5;
  saved.window.user = [](ConfigurationDialog&, DialogControls& controls) {
    controls.field = "9";
    return true;
  };
  saved.Run(kIdConfiguration);
  EXPECT_TRUE(saved.window.dialogOpenedWith.boxChecked);
  EXPECT_EQ(saved.window.dialogOpenedWith.field, "5");
  EXPECT_EQ(saved.Wire(), kInformation + kAttention + "$PQRVC,0,9,\r\n");

  // Cancel (here after a number Save refuses): nothing after the information request.
  Commands cancelled;
  cancelled.logger.info[20] = 5;
  cancelled.window.user = [](ConfigurationDialog& dialog, DialogControls& controls) {
    controls.field = "256";
    EXPECT_FALSE(dialog.OnSave());
    return false;
  };
  cancelled.Run(kIdConfiguration);
  EXPECT_EQ(cancelled.Wire(), kInformation);
  EXPECT_THAT(LogLines(cancelled.Log()), ElementsAre("I Read info command sent."));

  // No dialog without the logger's setting.
  Commands silent;
  silent.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.clear(); };
  silent.Run(kIdConfiguration);
  EXPECT_EQ(silent.window.dialogsRun, 0);
}

TEST(WindowCommandsTest, UpgradeAsksForTheImage) {
  LanguageGuard english(kEnglish);
  Commands cancelled;
  cancelled.Run(kIdUpgrade);
  ASSERT_EQ(cancelled.window.openChoices.size(), 1u);
  EXPECT_EQ(cancelled.window.openChoices[0].title, "Choose firmware file");
  EXPECT_EQ(cancelled.window.openChoices[0].filter, "Firmware files (*.upg)|*.upg|All files (*.*)|*.*||");
  EXPECT_EQ(cancelled.window.openChoices[0].defaultExtension, "upg");
  EXPECT_EQ(cancelled.window.openChoices[0].defaultName, "");
  EXPECT_EQ(cancelled.Wire(), "");

  Commands chosen;
  chosen.window.openAnswer = chosen.dir.File("image.upg");
  WriteWholeFile(*chosen.window.openAnswer, std::vector<unsigned char>(64, 0x5A));
  chosen.Run(kIdUpgrade);
  EXPECT_EQ(chosen.logger.pagesWritten, 1u);

  LanguageGuard polish(kPolish);
  Commands polishChoice;
  polishChoice.Run(kIdUpgrade);
  EXPECT_EQ(polishChoice.window.openChoices[0].title, "Wybierz plik apgrejdu");
  EXPECT_EQ(polishChoice.window.openChoices[0].filter, "Pliki apgrejdu (*.upg)|*.upg|Wszystkie pliki (*.*)|*.*||");
}

// Escape during a download stops it between two blocks, with what came so far kept in the
// partial file, and the window stays open; the stop is then forgotten.
TEST(WindowCommandsTest, EscapeStopsADownloadAndKeepsWhatCame) {
  LanguageGuard english(kEnglish);
  StopRequestGuard stop;
  Commands c;
  c.logger.SetUsedMemory(20000);  // seven blocks of 3072 bytes at 115200 bit/s
  c.window.saveAnswer = c.dir.File("t.bin");
  int blocks = 0;
  c.window.onRepaint = [&c, &blocks] {
    if (!c.window.Calls("position").empty() && ++blocks == 3) c.session.PressEscape();
  };
  c.Run(kIdReadTrack);
  const std::string partial = c.dir.File("t.partial.bin");
  const std::vector<std::string> log = LogLines(c.Log());
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{"E Transfer aborted.", "I The incomplete track is in " + partial + "."}));
  EXPECT_FALSE(std::filesystem::exists(c.dir.File("t.bin")));
  const uintmax_t kept = std::filesystem::file_size(partial);
  EXPECT_GT(kept, 0u);
  EXPECT_LT(kept, 20000u);
  EXPECT_THAT(c.window.Calls("question"), IsEmpty());
  EXPECT_THAT(c.window.Calls("end "), IsEmpty());
  EXPECT_FALSE(StopRequested());
}

// During an upgrade Escape, and the close box, ask first, Cancel being the default:
// declined, the upgrade runs to its end; a confirmed close stops it at the end of the page
// being written, and the window ends once it has returned.
TEST(WindowCommandsTest, AStopDuringAnUpgradeIsAskedFirst) {
  StopRequestGuard stop;
  LanguageGuard polish(kPolish);
  for (const bool confirmed : {false, true}) {
    Commands c;
    c.window.openAnswer = c.dir.File("image.upg");
    WriteWholeFile(*c.window.openAnswer, std::vector<unsigned char>(1024, 0x5A));  // 16 pages of 64 bytes
    c.window.pressEnter = !confirmed;
    c.window.onRepaint = [&c, confirmed] {
      if (c.logger.pagesWritten == 2 && !confirmed) c.session.PressEscape();
      if (c.logger.pagesWritten == 3) c.session.RequestClose();
    };
    c.Run(kIdUpgrade);
    const std::string loss = " Logger pozostanie bez oprogramowania, dopóki apgrejd nie zostanie wykonany ponownie.";
    if (!confirmed) {
      EXPECT_THAT(c.window.Calls("question"), ElementsAre("question [Cancel] Przerwać apgrejd?" + loss,
                                                          "question [Cancel] Przerwać apgrejd i zamknąć program?" + loss));
      EXPECT_EQ(c.logger.pagesWritten, 16u);
      EXPECT_THAT(c.window.Calls("end "), IsEmpty());
    } else {
      EXPECT_EQ(c.logger.pagesWritten, 4u);
      EXPECT_EQ(LogLines(c.Log()).back().rfind("E Apgrejd przerwany: pamięć programu loggera jest niekompletna.", 0),
                0u);
      EXPECT_EQ(c.window.calls.back(), "end cancel");
    }
    EXPECT_FALSE(StopRequested());
  }
}

TEST(WindowCommandsTest, ADroppedTrackFileAsksWhereToSaveIt) {
  for (const int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    Commands c;
    c.clock.today = {2006, 11, 7};
    const std::string input = c.dir.File("track.bin");
    WriteWholeFile(input, std::vector<unsigned char>(16, 0));
    c.session.DropFiles({input});
    ASSERT_EQ(c.window.saveChoices.size(), 1u);
    const FileChoice& choice = c.window.saveChoices[0];
    EXPECT_EQ(choice.defaultName, "20061107_log");
    EXPECT_EQ(choice.defaultExtension, "plt");
    if (language == kPolish) {
      EXPECT_EQ(choice.title, "Zapisz ślad jako");
      EXPECT_EQ(choice.filter,
                "Pliki śladu (*.plt)|*.plt|Pliki GPX (*.gpx)|*.gpx|Pliki KML (*.kml)|*.kml|Obraz SVG (*.svg)|*.svg|"
                "Wszystkie pliki (*.*)|*.*||");
    } else {
      EXPECT_EQ(choice.title, "Save track as");
      EXPECT_EQ(choice.filter,
                "Track files (*.plt)|*.plt|GPX files (*.gpx)|*.gpx|KML files (*.kml)|*.kml|SVG picture (*.svg)|*.svg|"
                "All files (*.*)|*.*||");
    }
    // Cancelled: nothing logged, nothing created.
    EXPECT_TRUE(c.Log().Entries().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.dir.Path()), {}), 1);
  }
  // Chosen: the conversion, then the summary of the track naming the file, in Info lines.
  LanguageGuard english(kEnglish);
  Commands c;
  const std::string input = c.dir.File("track.bin");
  WriteWholeFile(input, std::vector<unsigned char>(32, 0));
  c.window.saveAnswer = c.dir.File("out.plt");
  c.session.DropFiles({input});
  const std::vector<std::string> log = LogLines(c.Log());
  ASSERT_EQ(log.size(), 13u) << ::testing::PrintToString(log);
  EXPECT_EQ(log[3], "I OK, 2 points written.");
  EXPECT_EQ(log[4], "I File: " + c.dir.File("out.plt"));
  EXPECT_EQ(log[12], "I Days: 2236-01-06");
}
