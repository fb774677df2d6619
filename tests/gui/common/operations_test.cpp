// The commands of the desktop window on the core's operations, against the scripted logger:
// what each asks the user, at which moment of the command, and that nothing is sent after
// a question that was declined.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/common/operations.h"
#include "logger/fake_logger_bench.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/temp_dir.h"
#include "support/test_window.h"

using namespace stravener;
using namespace stravener::gui;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kAttention = "$PMLR,06,00,02A9\r\n";
const std::string kInformation = kAttention + "$PQRVI,\r\n";

// The scripted logger behind the window's connection.
struct Commands : FakeLoggerBench {
  Commands() { logger.SetUsedMemory(2592); }
  void Run(const Operation& operation) { operation(window, connection); }
  TestWindow window{host};
  Operations operations = DefaultOperations();
  TempDir dir;
};

}  // namespace

TEST(WindowCommandsTest, InformationShowsTheReportWithoutLoggingIt) {
  LanguageGuard english(kEnglish);
  Commands c;
  c.Run(c.operations.showLoggerInfo);
  ASSERT_EQ(c.window.notices.size(), 1u);
  EXPECT_EQ(c.window.notices[0].rfind("Information about stravener:\r\n\r\nSerial number: 01-001234\r\n", 0), 0u);
  EXPECT_THAT(LogLines(c.host.log), ElementsAre("I Read info command sent."));

  Commands silent;
  silent.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.clear(); };
  silent.Run(silent.operations.showLoggerInfo);
  EXPECT_THAT(silent.window.notices, IsEmpty());
}

TEST(WindowCommandsTest, ReadTrackAsksForTheFileBetweenTheRecordAndTheDownload) {
  LanguageGuard english(kEnglish);
  // Cancelled: nothing after the information request.
  Commands cancelled;
  cancelled.Run(cancelled.operations.readTrack);
  EXPECT_EQ(cancelled.Wire(), kInformation);
  EXPECT_EQ(cancelled.host.log.Entries().size(), 1u) << "only the information request's line";
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
  chosen.Run(chosen.operations.readTrack);
  EXPECT_EQ(chosen.Wire(), kInformation + kAttention + "$PQRVS,1\r\n$PQRVT,0,2592,\r\n$PQRVS,0\r\n");
  EXPECT_EQ(std::filesystem::file_size(chosen.dir.File("t.bin")), 2592u);

  // Nothing to download: the notice, and no file is asked for.
  Commands empty;
  empty.logger.SetGeometry(2048, 256, 0, 0);
  empty.Run(empty.operations.readTrack);
  EXPECT_THAT(empty.window.notices, ElementsAre("The track memory is clear."));
  EXPECT_THAT(empty.window.saveChoices, IsEmpty());
  EXPECT_EQ(empty.Wire(), kInformation);
}

TEST(WindowCommandsTest, EraseAsksFirstAndSendsNothingWhenDeclined) {
  LanguageGuard polish(kPolish);
  Commands declined;
  declined.window.answerOk = false;
  declined.Run(declined.operations.eraseTrackMemory);
  EXPECT_THAT(declined.window.questions, ElementsAre("Czy chcesz wyczyścić pamięć śladu?"));
  EXPECT_THAT(declined.line.calls, IsEmpty());
  EXPECT_THAT(LogLines(declined.host.log), IsEmpty());

  Commands confirmed;
  confirmed.Run(confirmed.operations.eraseTrackMemory);
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
  saved.Run(saved.operations.configureLogger);
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
  cancelled.Run(cancelled.operations.configureLogger);
  EXPECT_EQ(cancelled.Wire(), kInformation);
  EXPECT_THAT(LogLines(cancelled.host.log), ElementsAre("I Read info command sent."));

  // No dialog without the logger's setting.
  Commands silent;
  silent.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.clear(); };
  silent.Run(silent.operations.configureLogger);
  EXPECT_EQ(silent.window.dialogsRun, 0);
}

TEST(WindowCommandsTest, UpgradeAsksForTheImage) {
  LanguageGuard english(kEnglish);
  Commands cancelled;
  cancelled.Run(cancelled.operations.startFirmwareUpgrade);
  ASSERT_EQ(cancelled.window.openChoices.size(), 1u);
  EXPECT_EQ(cancelled.window.openChoices[0].title, "Choose firmware file");
  EXPECT_EQ(cancelled.window.openChoices[0].filter, "Firmware files (*.upg)|*.upg|All files (*.*)|*.*||");
  EXPECT_EQ(cancelled.window.openChoices[0].defaultExtension, "upg");
  EXPECT_EQ(cancelled.window.openChoices[0].defaultName, "");
  EXPECT_EQ(cancelled.Wire(), "");

  Commands chosen;
  chosen.window.openAnswer = chosen.dir.File("image.upg");
  WriteWholeFile(*chosen.window.openAnswer, std::vector<unsigned char>(64, 0x5A));
  chosen.Run(chosen.operations.startFirmwareUpgrade);
  EXPECT_EQ(chosen.logger.pagesWritten, 1u);

  LanguageGuard polish(kPolish);
  Commands polishChoice;
  polishChoice.Run(polishChoice.operations.startFirmwareUpgrade);
  EXPECT_EQ(polishChoice.window.openChoices[0].title, "Wybierz plik apgrejdu");
  EXPECT_EQ(polishChoice.window.openChoices[0].filter, "Pliki apgrejdu (*.upg)|*.upg|Wszystkie pliki (*.*)|*.*||");
}

TEST(WindowCommandsTest, ADroppedTrackFileAsksWhereToSaveIt) {
  for (const int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    Commands c;
    c.host.clock.today = {2006, 11, 7};
    const std::string input = c.dir.File("track.bin");
    WriteWholeFile(input, std::vector<unsigned char>(16, 0));
    c.operations.convertBinaryTrackFile(c.window, c.connection, input);
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
    EXPECT_TRUE(c.host.log.Entries().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.dir.Path()), {}), 1);
  }
}
