// The information, restart, erase and configuration commands against a scripted logger
// behind the serial test double: what goes on the wire, what is shown and logged.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_logger_bench.h"
#include "link/port_trouble.h"
#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/logger_commands.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/stop_request_guard.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kAttention = "$PMLR,06,00,02A9\r\n";

LoggerInfo InfoWith(uint16_t pageCount, uint16_t pageSize, uint16_t fullPages, uint16_t partial) {
  LoggerInfo info;
  const uint8_t head[12] = {0x01, 0x00, 0x12, 0x34, 0x15, 0x03, 0x20, 0x06, '2', '.', '1', '0'};
  std::copy(std::begin(head), std::end(head), info.bytes.begin());
  const uint16_t words[4] = {pageCount, pageSize, fullPages, partial};
  for (int i = 0; i < 4; ++i) {
    info.bytes[12 + 2 * i] = static_cast<uint8_t>(words[i] & 0xff);
    info.bytes[13 + 2 * i] = static_cast<uint8_t>(words[i] >> 8);
  }
  return info;
}

}  // namespace

TEST(LoggerInfoTest, InformationGoesOutAfterAttentionAndAPause) {
  LanguageGuard english(kEnglish);
  FakeLoggerBench bench;
  bench.logger.SetGeometry(2048, 256, 10, 32);
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);

  EXPECT_EQ(bench.Wire(), kAttention + "$PQRVI,\r\n");
  EXPECT_THAT(bench.host.clock.sleeps, ElementsAre(150u));
  // The port was cleared and purged before the attention sentence; 4800 was set already.
  EXPECT_THAT(bench.line.calls, ::testing::IsSupersetOf({"ClearLineErrors", "Purge"}));
  EXPECT_EQ(bench.line.calls[0], "ClearLineErrors");
  EXPECT_EQ(bench.line.calls[1], "Purge");
  // The report is not logged; the only log line is the command's.
  EXPECT_THAT(LogLines(bench.host.log), ElementsAre("I Read info command sent."));
  EXPECT_EQ(FormatLoggerInfoReport(info),
            "Information about stravener:\r\n\r\nSerial number: 01-001234\r\nProduction date: 15.03.2006\r\n"
            "Firmware version: 2.10\r\n\r\nMemory size: 524288 bytes\r\nUsed: 2592 bytes (0.5%)\r\n"
            "Free: 521696 bytes (99.5%)");
}

TEST(LoggerInfoTest, ReportInPolishWithItsEndings) {
  LanguageGuard polish(kPolish);
  EXPECT_EQ(FormatLoggerInfoReport(InfoWith(2048, 256, 10, 32)),
            "Informacje o stravenerze:\r\n\r\nNumer seryjny: 01-001234\r\nData produkcji: 15.03.2006\r\n"
            "Wersja oprogramowania: 2.10\r\n\r\nRozmiar pamięci: 524288 bajtów\r\nZajęte: 2592 bajty (0.5%)\r\n"
            "Wolne: 521696 bajtów (99.5%)");
}

TEST(LoggerInfoTest, RecordFieldsAndTheirEdges) {
  LanguageGuard english(kEnglish);
  LoggerInfo info = InfoWith(2048, 256, 10, 32);
  EXPECT_EQ(info.FirmwareVersion(), "2.10");
  EXPECT_EQ(info.FormatDigit(), 2);
  EXPECT_EQ(info.PointCount(), 162u);
  info.bytes[9] = 0;  // a version whose second byte is zero shows only its first character
  EXPECT_EQ(info.FirmwareVersion(), "2");
  info.bytes[9] = '.';
  info.bytes[20] = 7;
  EXPECT_EQ(info.SkipSetting(), 7);

  // No memory at all: both shares are 0.0, and nothing divides by zero.
  const std::string empty = FormatLoggerInfoReport(InfoWith(0, 256, 0, 0));
  EXPECT_NE(empty.find("Memory size: 0 bytes\r\nUsed: 0 bytes (0.0%)\r\nFree: 0 bytes (0.0%)"), std::string::npos)
      << empty;

  // More used than there is: free shows 0, not a wrapped-around count.
  const LoggerInfo over = InfoWith(4, 256, 5, 0);
  EXPECT_EQ(over.FreeBytes(), 0u);
  const std::string overReport = FormatLoggerInfoReport(over);
  EXPECT_NE(overReport.find("Used: 1280 bytes (125.0%)\r\nFree: 0 bytes (0.0%)"), std::string::npos) << overReport;

  // Counts beyond the signed range print as the unsigned numbers they are.
  const std::string huge = FormatLoggerInfoReport(InfoWith(65535, 65535, 65535, 0));
  EXPECT_NE(huge.find("Memory size: 4294836225 bytes"), std::string::npos) << huge;
  EXPECT_NE(huge.find("Used: 4294836225 bytes (100.0%)"), std::string::npos) << huge;
}

TEST(LoggerInfoTest, AFailedAnswerIsReported) {
  LanguageGuard english(kEnglish);
  FakeLoggerBench bench;
  bench.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.back() ^= 0x55; };
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), -1);
  // A wrong answer may be a logger heard at another speed: asked back, it is asked again.
  // The last line names the port with its device and says what to do.
  const std::string noLogger = "E No logger answered on " + PortWithDevice("COM1") +
                               ". Check the cable, or choose the port in Setup (Find logger).";
  EXPECT_THAT(LogLines(bench.host.log),
              ElementsAre("I Read info command sent.", "E Checksum error.",
                          "I The logger's answer was garbled; asking it to return to 4800 bit/s.", "E Checksum error.",
                          noLogger));

  // A logger that never answers: asked back from the transfer speeds and asked once more,
  // and only the second time-out is reported.
  FakeLoggerBench silent;
  silent.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.clear(); };
  EXPECT_EQ(ReadLoggerInfo(silent.connection, silent.host.clock, info), -1);
  EXPECT_THAT(LogLines(silent.host.log),
              ElementsAre("I Read info command sent.", "I The logger did not answer; asking it to return to 4800 bit/s.",
                          "E Port read timeout exceeded.", noLogger));
  // In Polish, for a port named by its device.
  LanguageGuard polish(kPolish);
  FakeLoggerBench elsewhere;
  elsewhere.connection.devicePath = "/dev/ttyUSB3";
  elsewhere.logger.alterFrame = [](int, std::vector<uint8_t>& frame) { frame.clear(); };
  EXPECT_EQ(ReadLoggerInfo(elsewhere.connection, elsewhere.host.clock, info), -1);
  EXPECT_EQ(LogLines(elsewhere.host.log).back(),
            "E Na porcie /dev/ttyUSB3 nie odpowiedział żaden logger. Sprawdź kabel albo wybierz port w Ustawieniach "
            "(Znajdź logger).");
  EXPECT_EQ(silent.connection.currentSpeed, 4800u);
}

TEST(LoggerInfoTest, ALoggerLeftAtATransferSpeedIsAskedBackAtEachAndAskedAgain) {
  LanguageGuard english(kEnglish);
  for (const bool noisy : {false, true}) {
    FakeLoggerBench bench;
    bench.logger.SetGeometry(2048, 256, 10, 32);
    // Deaf at 4800 bit/s to the first request, as a logger in transfer mode is; or still
    // sending the blocks an earlier run asked for, heard at 4800 bit/s as noise.
    bench.logger.alterFrame = [noisy](int ordinal, std::vector<uint8_t>& frame) {
      if (ordinal == 1) frame = noisy ? std::vector<uint8_t>{0xB2, 0x24, 0x00} : std::vector<uint8_t>{};
    };
    std::vector<std::pair<std::string, uint32_t>> written;
    bench.line.respond = [&, logger = bench.line.respond](FakeSerialLine& line, const std::vector<uint8_t>& bytes) {
      written.emplace_back(std::string(bytes.begin(), bytes.end()), line.speed);
      logger(line, bytes);
    };
    LoggerInfo info;
    EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);

    const std::string back = "$PQRVS,0\r\n";
    EXPECT_THAT(written, ElementsAre(std::pair{kAttention, 4800u}, std::pair{std::string("$PQRVI,\r\n"), 4800u},
                                     std::pair{back, 460800u}, std::pair{back, 230400u}, std::pair{back, 115200u},
                                     std::pair{back, 57600u}, std::pair{back, 38400u}, std::pair{kAttention, 4800u},
                                     std::pair{std::string("$PQRVI,\r\n"), 4800u}));
    // After each sentence the logger's time to switch, then the attention's pause again.
    EXPECT_THAT(bench.host.clock.sleeps, ElementsAre(150u, 100u, 100u, 100u, 100u, 100u, 150u));
    // One line more than a plain request, and the speed changes are not logged.
    if (noisy) {
      EXPECT_THAT(LogLines(bench.host.log),
                  ElementsAre("I Read info command sent.", "E Protocol error.",
                              "I The logger's answer was garbled; asking it to return to 4800 bit/s."));
    } else {
      EXPECT_THAT(LogLines(bench.host.log),
                  ElementsAre("I Read info command sent.", "I The logger did not answer; asking it to return to 4800 bit/s."));
    }
    EXPECT_EQ(info.PageSize(), 256u);
    EXPECT_EQ(bench.connection.currentSpeed, 4800u);
  }
}

TEST(LoggerInfoTest, ALoggerLeftInItsBootLoaderIsRestartedIntoItsFirmwareOrSaysSo) {
  LanguageGuard english(kEnglish);
  for (const bool whole : {true, false}) {
    FakeLoggerBench bench;
    bench.logger.inBootLoader = true;  // where an upgrade killed after the hand-over left it
    bench.logger.firmwareWhole = whole;
    std::vector<std::pair<uint8_t, uint32_t>> single;  // single bytes written, at their speed
    bench.line.respond = [&, logger = bench.line.respond](FakeSerialLine& line, const std::vector<uint8_t>& bytes) {
      if (bytes.size() == 1) single.emplace_back(bytes[0], line.speed);
      logger(line, bytes);
    };
    EXPECT_EQ(RestartLogger(bench.connection, bench.host), whole ? OperationResult::Done : OperationResult::Failed);
    // Nothing at 4800 bit/s even after the way back from the transfer speeds: the boot
    // loader's signature is asked for at its speed, and it is told to restart.
    EXPECT_THAT(single, ElementsAre(std::pair<uint8_t, uint32_t>{'s', 115200u}, std::pair<uint8_t, uint32_t>{'r', 115200u}));
    std::vector<std::string> expected{"I Read info command sent.",
                                      "I The logger did not answer; asking it to return to 4800 bit/s.",
                                      "I The logger's boot loader answered; restarting the logger."};
    if (whole) {
      expected.insert(expected.end(), {"I Processor restart command sent.", "I Port closed.", "S -----"});
      EXPECT_EQ(bench.logger.sentences.back(), "$PQRVX,\r\n");
    } else {
      // Its program memory blank or half written, the processor is back in its boot loader.
      expected.push_back("E The logger is in its boot loader: its firmware must be loaded again with Upgrade.");
      EXPECT_EQ(bench.connection.currentSpeed, 4800u);
    }
    EXPECT_THAT(LogLines(bench.host.log), ::testing::ElementsAreArray(expected)) << whole;
    // The firmware is given a second to start before it is asked again.
    ASSERT_GE(bench.host.clock.sleeps.size(), 10u);
    EXPECT_EQ(bench.host.clock.sleeps[8], 1000u);
  }
}

TEST(LoggerInfoTest, AFailedAttentionEndsBeforeTheCommand) {
  LanguageGuard english(kEnglish);
  FakeLoggerBench bench;
  bench.line.Fail(FakeCall::Write, 13);
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), -1);
  EXPECT_EQ(bench.Wire(), "");
  EXPECT_THAT(bench.host.clock.sleeps, IsEmpty()) << "no pause after an attention that did not go out";
  EXPECT_THAT(LogLines(bench.host.log), ElementsAre("E Error 0xd writing port.", SystemTextLine(13)));
}

TEST(LoggerInfoTest, AStopRequestDuringTheAttentionsPauseSendsNoCommand) {
  LanguageGuard english(kEnglish);
  StopRequestGuard stop;
  FakeLoggerBench bench;
  bench.host.clock.onSleep = [](uint32_t) { RequestStop(); };
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), -1);
  EXPECT_EQ(bench.Wire(), kAttention);
  EXPECT_THAT(LogLines(bench.host.log), IsEmpty());
}

TEST(RestartLoggerTest, SendsTheSentenceAndClosesThePort) {
  LanguageGuard english(kEnglish);
  FakeLoggerBench bench;
  EXPECT_EQ(RestartLogger(bench.connection, bench.host), OperationResult::Done);
  // The information request first: only a logger that answered is known to hear it.
  EXPECT_EQ(bench.Wire(), kAttention + "$PQRVI,\r\n" + kAttention + "$PQRVX,\r\n");
  EXPECT_EQ(bench.connection.openFlag, 0);
  EXPECT_THAT(LogLines(bench.host.log),
              ElementsAre("I Read info command sent.", "I Processor restart command sent.", "I Port closed.", "S -----"));
  EXPECT_THAT(bench.line.CallsAfterLast(FakeCall::Write), ::testing::Not(::testing::Contains("Read")))
      << "no answer is awaited";

  FakeLoggerBench failing;
  failing.line.Fail(FakeCall::Write, 5, 3);  // the attention goes out, the command does not
  EXPECT_EQ(RestartLogger(failing.connection, failing.host), OperationResult::Failed);
  EXPECT_EQ(failing.connection.openFlag, 1);
}

TEST(EraseTrackMemoryTest, TheAnswerDecides) {
  LanguageGuard english(kEnglish);
  FakeLoggerBench erased;
  EXPECT_EQ(EraseTrackMemory(erased.connection, erased.host), OperationResult::Done);
  EXPECT_EQ(erased.Wire(), kAttention + "$PQRVI,\r\n" + kAttention + "$PQRVE,\r\n");
  EXPECT_THAT(LogLines(erased.host.log), ElementsAre("I Read info command sent.", "I Track memory erase command sent."));

  for (uint8_t answer : {0, 2, 255}) {
    FakeLoggerBench bench;
    bench.logger.eraseAnswer = answer;
    EXPECT_EQ(EraseTrackMemory(bench.connection, bench.host), OperationResult::Failed);
    EXPECT_THAT(LogLines(bench.host.log),
                ElementsAre("I Read info command sent.", "I Track memory erase command sent.", "E Protocol error."));
    EXPECT_EQ(bench.line.calls.back(), "ClearLineErrors") << "the line errors are cleared after the protocol error";
  }
}

namespace {

// The Configuration command with the logger's setting: the information request, then the
// value the user chose saved.
struct Configuration {
  explicit Configuration(uint8_t loggerSkip) { bench.logger.info[20] = loggerSkip; }
  OperationResult Run(uint8_t value) {
    LoggerInfo info;
    if (ReadLoggerInfo(bench.connection, bench.host.clock, info) != 0) return OperationResult::Failed;
    return ConfigureLogger(bench.connection, bench.host, value);
  }
  FakeLoggerBench bench;
};

}  // namespace

TEST(ConfigureLoggerTest, TheSaveSentenceFollowsTheInformationRequestWithoutASpeedStep) {
  LanguageGuard english(kEnglish);
  for (const uint8_t value : {0, 5, 255}) {
    Configuration configuration(3);
    EXPECT_EQ(configuration.Run(value), OperationResult::Done);
    // Information (its own prologue), then attention and the save sentence with no speed step.
    EXPECT_EQ(configuration.bench.Wire(),
              kAttention + "$PQRVI,\r\n" + kAttention + "$PQRVC,0," + std::to_string(value) + ",\r\n");
    EXPECT_THAT(configuration.bench.host.clock.sleeps, ElementsAre(150u, 150u));
    EXPECT_EQ(configuration.bench.line.Count(FakeCall::Purge), 1u) << "only the information request's speed step purges";
    EXPECT_THAT(LogLines(configuration.bench.host.log),
                ElementsAre("I Read info command sent.", "I Save configuration command sent.",
                            "I The configuration was saved."));
  }
}

TEST(ConfigureLoggerTest, TheLoggersAnswer) {
  LanguageGuard english(kEnglish);
  struct Case {
    uint8_t answer;
    OperationResult result;
    const char* last;
  };
  for (const Case& c : {Case{0, OperationResult::Done, "I The configuration was saved."},
                        Case{1, OperationResult::Failed, "E Protocol error."},
                        Case{2, OperationResult::Failed, "E Configuration data error."}}) {
    Configuration configuration(3);
    configuration.bench.logger.configurationAnswer = c.answer;
    EXPECT_EQ(configuration.Run(3), c.result) << int(c.answer);
    EXPECT_THAT(LogLines(configuration.bench.host.log),
                ElementsAre("I Read info command sent.", "I Save configuration command sent.", c.last));
  }
  LanguageGuard polish(kPolish);
  Configuration configuration(3);
  configuration.bench.logger.configurationAnswer = 2;
  configuration.Run(3);
  EXPECT_THAT(LogLines(configuration.bench.host.log),
              ElementsAre("I Wysłano komendę odczytu informacji.", "I Wysłano komendę zapisu konfiguracji.",
                          "E Błąd danych konfiguracji."));
}
