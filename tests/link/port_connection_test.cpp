// The port connection's operations through the serial test double: what each does to the
// line, what it logs in both languages, and what it does after every kind of failure.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#if !defined(_WIN32)
#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#endif

#include "link/port_connection.h"
#include "support/adapter_model.h"
#include "support/fake_serial_device.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/temp_dir.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Any system error code with a text that does not say the device went away (13: EACCES on
// POSIX, ERROR_INVALID_DATA on Windows).
constexpr uint32_t kCode = 13;

struct Fixture {
  FakeSerialLine line;
  EventLog log;
  PortConnection connection{log, line.Opener()};
  int buttonUpdates = 0;
  std::vector<int> flagsSeen;

  Fixture() {
    connection.portNumber = 3;
    connection.speedLimit = 460800;
    connection.updateButtonStates = [this] {
      ++buttonUpdates;
      flagsSeen.push_back(connection.openFlag);
    };
  }

  // Opens the port and forgets what that logged and called.
  void OpenQuietly() {
    ASSERT_EQ(OpenPort(connection, false), 0);
    line.calls.clear();
    buttonUpdates = 0;
    flagsSeen.clear();
  }
};

}  // namespace

TEST(PortConnectionTest, OpenSetsTheLineUpAndSaysSoInOrder) {
  LanguageGuard english(kEnglish);
  Fixture f;
  EXPECT_EQ(OpenPort(f.connection, true), 0);

  EXPECT_THAT(LogLines(f.log), ElementsAre("I Port opened.", "I Changing port speed to 4800 bps."));
  EXPECT_EQ(f.connection.openFlag, 1);
  EXPECT_EQ(f.connection.currentSpeed, 4800u);
  EXPECT_EQ(f.line.openedName, "COM3");
  EXPECT_EQ(f.line.speed, 4800u);
  EXPECT_EQ(f.line.readTimeoutMs, 2000u);
  EXPECT_EQ(f.line.writeTimeoutMs, 2000u);
  EXPECT_EQ(f.line.inputQueueSize, 16384u);
  EXPECT_EQ(f.line.outputQueueSize, 256u);
  // The probe first, then the queues, then the speed change with its error clearing and purge.
  EXPECT_THAT(f.line.calls, ElementsAre("Open COM3", "GetLineState", "SetLineState", "SetLineState", "SetLineState",
                                        "SetupQueues", "ClearLineErrors", "Purge", "GetLineState", "SetLineState",
                                        "SetTimeouts"));
  // The owner hears of the change once, with the flag already set.
  EXPECT_THAT(f.flagsSeen, ElementsAre(1));

  // Open again: nothing happens.
  f.line.calls.clear();
  EXPECT_EQ(OpenPort(f.connection, true), 0);
  EXPECT_THAT(f.line.calls, IsEmpty());
  EXPECT_EQ(f.log.Entries().size(), 2u);
}

TEST(PortConnectionTest, OpenInPolishAndWithTheFlagClear) {
  {
    LanguageGuard polish(kPolish);
    Fixture f;
    EXPECT_EQ(OpenPort(f.connection, true), 0);
    EXPECT_THAT(LogLines(f.log), ElementsAre("I Port otwarty.", "I Zmiana prędkości portu na 4800 bps."));
  }
  {
    Fixture f;
    EXPECT_EQ(OpenPort(f.connection, false), 0);
    EXPECT_THAT(LogLines(f.log), IsEmpty());
    EXPECT_EQ(f.connection.currentSpeed, 4800u);
  }
}

TEST(PortConnectionTest, CloseWritesItsLinesWhateverTheFlag) {
  for (bool report : {true, false}) {
    LanguageGuard english(kEnglish);
    Fixture f;
    f.OpenQuietly();
    EXPECT_EQ(ClosePort(f.connection, report), 0);
    EXPECT_THAT(LogLines(f.log), ElementsAre("I Port closed.", "S -----"));
    EXPECT_EQ(f.connection.openFlag, 0);
    EXPECT_EQ(f.connection.currentSpeed, 0u);
    EXPECT_FALSE(f.line.isOpen);
    EXPECT_THAT(f.flagsSeen, ElementsAre(0));

    // Closed already: nothing more.
    EXPECT_EQ(ClosePort(f.connection, report), 0);
    EXPECT_EQ(f.log.Entries().size(), 2u);
  }
  LanguageGuard polish(kPolish);
  Fixture f;
  f.OpenQuietly();
  ClosePort(f.connection, false);
  EXPECT_THAT(LogLines(f.log), ElementsAre("I Port zamknięty.", "S -----"));
}

TEST(PortConnectionTest, ReopeningChangesTheSpeedAgain) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  ClosePort(f.connection, true);
  EXPECT_EQ(OpenPort(f.connection, true), 0);
  EXPECT_THAT(LogLines(f.log), ElementsAre("I Port closed.", "S -----", "I Port opened.",
                                           "I Changing port speed to 4800 bps."));
}

TEST(PortConnectionTest, CloseHandleSilentlyLogsNothing) {
  Fixture f;
  f.OpenQuietly();
  CloseHandleSilently(f.connection);
  EXPECT_THAT(LogLines(f.log), IsEmpty());
  EXPECT_EQ(f.buttonUpdates, 0);
  EXPECT_FALSE(f.line.isOpen);
  EXPECT_EQ(f.connection.openFlag, 0);
  EXPECT_EQ(f.connection.currentSpeed, 0u);
}

TEST(PortConnectionTest, FailedOpenLeavesAnInvalidHandle) {
  for (int language : {kEnglish, kPolish}) {
    LanguageGuard guard(language);
    Fixture f;
    f.connection.portNumber = 9;
    f.line.Fail(FakeCall::Open, 2);
    EXPECT_EQ(OpenPort(f.connection, true), -1);
    const char* opening = language == kEnglish ? "E Error 0x2 opening port COM9." : "E Błąd 0x2 otwarcia portu COM9.";
    EXPECT_THAT(LogLines(f.log), ElementsAre(opening, SystemTextLine(2)));
    EXPECT_EQ(f.connection.openFlag, 0);
    EXPECT_EQ(f.buttonUpdates, 0);  // the buttons stay as they were

    // An operation called now fails at its first call with the invalid-handle code.
    const uint8_t byte = 0x55;
    EXPECT_EQ(WritePort(f.connection, &byte, 1, true), -1);
    const std::string writing = FormatText(language == kEnglish ? "E Error 0x%x writing port." : "E Błąd 0x%x zapisu do portu.",
                                           kInvalidHandleCode);
    EXPECT_THAT(LogLines(f.log),
                ElementsAre(opening, SystemTextLine(2), writing, SystemTextLine(kInvalidHandleCode)));
    EXPECT_TRUE(f.line.output.empty());
  }
  // Silent with the flag clear.
  Fixture f;
  f.line.Fail(FakeCall::Open, 2);
  EXPECT_EQ(OpenPort(f.connection, false), -1);
  EXPECT_THAT(LogLines(f.log), IsEmpty());
}

#if !defined(_WIN32)
TEST(PortConnectionTest, APortTheUserMayNotOpenNamesTheGroupToJoin) {
  LanguageGuard english(kEnglish);
  TempDir dir;
  const std::string device = dir.File("ttyUSB0");
  WriteWholeFile(device, {});
  struct stat st {};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  const group* owner = ::getgrgid(st.st_gid);
  ASSERT_NE(owner, nullptr);
  const std::string groupName = owner->gr_name;
  for (const mode_t mode : {mode_t{0660}, mode_t{0600}}) {
    ASSERT_EQ(::chmod(device.c_str(), mode), 0);
    Fixture f;
    f.connection.devicePath = device;
    f.line.Fail(FakeCall::Open, EACCES);
    EXPECT_EQ(OpenPort(f.connection, true), -1);
    const std::vector<std::string> lines = LogLines(f.log);
    ASSERT_EQ(lines.size(), 3u) << mode;
    EXPECT_EQ(lines[0], "E Error 0xd opening port " + device + ".");
    if (mode == 0660) {
      EXPECT_EQ(lines[2], "E Your user may not open " + device + ": add it to the group " + groupName +
                              " (sudo usermod -aG " + groupName + " $USER) and log in again.");
    } else {  // the group may not use it either: only its owner may
      EXPECT_THAT(lines[2], ::testing::StartsWith("E Your user may not open " + device + ", which only its owner "));
    }
  }
  // Busy: another program; for a ttyACM device ModemManager's probing too.
  for (const char* name : {"ttyS4", "ttyACM0"}) {
    const std::string path = dir.File(name);
    WriteWholeFile(path, {});
    Fixture f;
    f.connection.devicePath = path;
    f.line.Fail(FakeCall::Open, EBUSY);
    EXPECT_EQ(OpenPort(f.connection, true), -1);
    const std::string plain = LogLines(f.log).back();
    EXPECT_THAT(plain, ::testing::StartsWith("E Another program holds " + path)) << name;
    EXPECT_EQ(plain.find("ModemManager") != std::string::npos, std::string(name) == "ttyACM0") << plain;
  }
}
#endif

TEST(PortConnectionTest, APulledDeviceIsReportedOnceAndNothingMoreReachesIt) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  f.line.Fail(FakeCall::Read, kDeviceRemovedCode);
  uint8_t buffer[4] = {};
  EXPECT_EQ(ReadPort(f.connection, buffer, 4, true), -1);
  const std::string pulled = "E The port went away: was the logger's cable pulled?";
  EXPECT_THAT(LogLines(f.log), ElementsAre(FormatText("E Error 0x%x reading port.", kDeviceRemovedCode),
                                           SystemTextLine(kDeviceRemovedCode), pulled));
  EXPECT_TRUE(f.connection.deviceGone);
  // Nothing more goes to the dead handle, and nothing more is said.
  EXPECT_EQ(WritePortByte(f.connection, 's', true), -1);
  EXPECT_EQ(PurgePort(f.connection, true), -1);
  EXPECT_EQ(SetPortSpeed(f.connection, 115200, true), -1);
  EXPECT_EQ(ReadPort(f.connection, buffer, 4, true), -1);
  ClearLineErrors(f.connection);
  EXPECT_THAT(f.line.calls, ElementsAre("Read"));
  EXPECT_EQ(f.log.Entries().size(), 3u);
  // Closing releases the handle; the next open starts afresh.
  EXPECT_EQ(ClosePort(f.connection, true), 0);
  EXPECT_EQ(f.line.Count(FakeCall::Close), 1u);
  EXPECT_EQ(f.buttonUpdates, 1);
  EXPECT_FALSE(f.connection.deviceGone);
  EXPECT_EQ(OpenPort(f.connection, false), 0);
  EXPECT_EQ(WritePortByte(f.connection, 's', true), 0);

  // Found by a silent call, it is said at the next call that reports, once, in the
  // user's language.
  LanguageGuard polish(kPolish);
  Fixture g;
  g.OpenQuietly();
  g.line.Fail(FakeCall::Write, kDeviceRemovedCode);
  EXPECT_EQ(WritePortByte(g.connection, 's', false), -1);
  EXPECT_THAT(LogLines(g.log), IsEmpty());
  EXPECT_EQ(PurgePort(g.connection, true), -1);
  EXPECT_EQ(PurgePort(g.connection, true), -1);
  EXPECT_THAT(LogLines(g.log), ElementsAre("E Port zniknął: czy kabel loggera został odłączony?"));
}

TEST(AdapterModelTest, LongReadsAboveItsCeilingArriveSpoiledAndItCanBePulledOut) {
  LanguageGuard english(kEnglish);
  FakeSerialLine line;
  EventLog log;
  AdapterModelOptions options;
  options.speedCeiling = 115200;
  options.pullOutAfterBytesRead = 300;
  AdapterModel adapter(options);
  PortConnection connection(log, adapter.Opener(line.Opener()));
  ASSERT_EQ(OpenPort(connection, false), 0);  // the probe leaves the line at 4800 after it
  const std::vector<uint8_t> bytes(100, 0x11);
  uint8_t buffer[100] = {};
  for (const uint32_t speed : {115200u, 460800u}) {
    ASSERT_EQ(SetPortSpeed(connection, speed, false), 0);
    line.Feed(bytes);
    EXPECT_EQ(ReadPort(connection, buffer, 100, true), 100);
    EXPECT_EQ(buffer[0] != 0x11, speed > options.speedCeiling) << speed;
    EXPECT_EQ(std::vector<uint8_t>(buffer + 1, buffer + 100), std::vector<uint8_t>(bytes.begin() + 1, bytes.end()));
  }
  line.Feed({1, 2, 3});
  EXPECT_EQ(ReadPort(connection, buffer, 3, true), 3) << "short answers get through";
  EXPECT_EQ(buffer[0], 1);
  // The 300th byte read is its last: then every call fails as on a pulled adapter.
  line.Feed(bytes);
  EXPECT_EQ(ReadPort(connection, buffer, 100, true), -1);
  EXPECT_TRUE(adapter.PulledOut());
  EXPECT_EQ(LogLines(log).back(), "E The port went away: was the logger's cable pulled?");
  EXPECT_EQ(adapter.Writes(), 0u);
  ClosePort(connection, false);
  EXPECT_FALSE(line.isOpen);
  EXPECT_EQ(OpenPort(connection, false), -1) << "a pulled adapter opens nothing";
}

TEST(PortConnectionTest, ADevicePathReplacesTheComName) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.connection.devicePath = "/dev/ttyUSB0";
  f.line.Fail(FakeCall::Open, 13);
  EXPECT_EQ(OpenPort(f.connection, true), -1);
  EXPECT_EQ(LogLines(f.log).at(0), "E Error 0xd opening port /dev/ttyUSB0.");
  EXPECT_EQ(OpenPort(f.connection, true), 0);
  EXPECT_EQ(f.line.openedName, "/dev/ttyUSB0");
}

TEST(PortConnectionTest, OpenLowersTheSpeedLimitToWhatThePortAccepts) {
  struct Case {
    uint32_t portMax;
    uint32_t limitBefore;
    uint32_t limitAfter;
  };
  const Case cases[] = {
      {115200, 460800, 115200},  // accepts 115200, refuses 230400
      {460800, 115200, 115200},  // accepts all three: a lower limit stays
      {230400, 460800, 230400},
      {460800, 460800, 460800},
      {57600, 460800, 115200},   // refuses even the first: 115200
      {460800, 38400, 38400},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.line.maxSpeed = c.portMax;
    f.connection.speedLimit = c.limitBefore;
    EXPECT_EQ(OpenPort(f.connection, true), 0) << c.portMax;
    EXPECT_EQ(f.connection.speedLimit, c.limitAfter) << c.portMax << " " << c.limitBefore;
  }
}

TEST(PortConnectionTest, FailedQueueSetupClosesThePortAgain) {
  for (bool report : {true, false}) {
    LanguageGuard english(kEnglish);
    Fixture f;
    f.line.Fail(FakeCall::SetupQueues, kCode);
    EXPECT_EQ(OpenPort(f.connection, report), -1);
    if (report) {
      EXPECT_THAT(LogLines(f.log), ElementsAre("I Port opened.", "E Error 0xd setting port buffers.",
                                               SystemTextLine(kCode), "I Port closed.", "S -----"));
    } else {
      EXPECT_THAT(LogLines(f.log), ElementsAre("I Port closed.", "S -----"));
    }
    EXPECT_THAT(f.line.CallsAfterLast(FakeCall::SetupQueues), ElementsAre("ClearLineErrors", "Close"));
    EXPECT_EQ(f.connection.openFlag, 0);
    EXPECT_FALSE(f.line.isOpen);
    EXPECT_THAT(f.flagsSeen, ElementsAre(1, 0));
  }
  LanguageGuard polish(kPolish);
  Fixture f;
  f.line.Fail(FakeCall::SetupQueues, kCode);
  OpenPort(f.connection, true);
  EXPECT_EQ(LogLines(f.log).at(1), "E Błąd 0xd ustawiania buforów portu.");
}

TEST(PortConnectionTest, FailedSpeedChangeAtOpenClosesThePortAgain) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.line.Fail(FakeCall::GetLineState, kCode, 1);  // the probe's read succeeds, the speed change's fails
  EXPECT_EQ(OpenPort(f.connection, true), -1);
  EXPECT_THAT(LogLines(f.log),
              ElementsAre("I Port opened.", "I Changing port speed to 4800 bps.", "E Error 0xd reading port state.",
                          SystemTextLine(kCode), "I Port closed.", "S -----"));
  EXPECT_EQ(f.connection.openFlag, 0);
  EXPECT_EQ(f.connection.currentSpeed, 0u);
}

// Each failing call of SetPortSpeed on an open port at 4800 asked for 115200: its lines in
// both languages, the line errors cleared afterwards (except after ClearCommError itself),
// silence with the flag clear, and the connection left open.
TEST(PortConnectionTest, SetPortSpeedFailures) {
  struct Case {
    FakeCall call;
    const char* english;
    const char* polish;
    bool announced;  // "Changing port speed" came before the failure
    bool cleared;
  };
  const Case cases[] = {
      {FakeCall::ClearLineErrors, "E Error 0xd reading port state.", "E Błąd 0xd pobierania stanu portu.", false,
       false},
      {FakeCall::Purge, "E Error 0xd purging port buffers.", "E Błąd 0xd czyszczenia buforów portu.", false, true},
      {FakeCall::GetLineState, "E Error 0xd reading port state.", "E Błąd 0xd pobierania stanu portu.", true, true},
      {FakeCall::SetLineState, "E Error 0xd setting port state.", "E Błąd 0xd ustawiania stanu portu.", true, true},
      {FakeCall::SetTimeouts, "E Error 0xd setting port timeouts.",
       "E Błąd 0xd ustawiania parametrów czasowych portu.", true, true},
  };
  for (const Case& c : cases) {
    for (int language : {kEnglish, kPolish}) {
      for (bool report : {true, false}) {
        SCOPED_TRACE(std::string(FakeCallName(c.call)) + (language == kEnglish ? " en" : " pl") +
                     (report ? " reported" : " silent"));
        LanguageGuard guard(language);
        Fixture f;
        f.OpenQuietly();
        f.line.Fail(c.call, kCode);
        EXPECT_EQ(SetPortSpeed(f.connection, 115200, report), -1);

        std::vector<std::string> expected;
        if (report) {
          if (c.announced) {
            expected.push_back(language == kEnglish ? "I Changing port speed to 115200 bps."
                                                    : "I Zmiana prędkości portu na 115200 bps.");
          }
          expected.push_back(language == kEnglish ? c.english : c.polish);
          expected.push_back(SystemTextLine(kCode));
        }
        EXPECT_EQ(LogLines(f.log), expected);
        const std::vector<std::string> after = f.line.CallsAfterLast(c.call);
        if (c.cleared) {
          EXPECT_THAT(after, ElementsAre("ClearLineErrors"));
        } else {
          EXPECT_THAT(after, IsEmpty());
        }
        EXPECT_EQ(f.connection.openFlag, 1);
        EXPECT_EQ(f.buttonUpdates, 0);
      }
    }
  }
}

TEST(PortConnectionTest, SpeedStaysKnownAfterARefusedSpeed) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  f.line.maxSpeed = 115200;
  EXPECT_EQ(SetPortSpeed(f.connection, 230400, true), -1);
  EXPECT_EQ(f.connection.currentSpeed, 4800u);
  EXPECT_EQ(f.line.speed, 4800u);
  EXPECT_EQ(LogLines(f.log).at(1), FormatText("E Error 0x%x setting port state.", FakeSerialLine::kRefusedSpeedCode));
}

// After a failed time-out setting the line already runs at the new speed; the next change
// back must really set the line again.
TEST(PortConnectionTest, SpeedIsSetAgainAfterFailedTimeouts) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  f.line.Fail(FakeCall::SetTimeouts, kCode);
  EXPECT_EQ(SetPortSpeed(f.connection, 460800, true), -1);
  EXPECT_EQ(f.line.speed, 460800u);
  EXPECT_EQ(SetPortSpeed(f.connection, 4800, true), 0);
  EXPECT_EQ(f.line.speed, 4800u);
  EXPECT_EQ(f.connection.currentSpeed, 4800u);
  EXPECT_EQ(LogLines(f.log).back(), "I Changing port speed to 4800 bps.");
}

TEST(PortConnectionTest, SameSpeedOnlyClearsAndPurges) {
  Fixture f;
  f.OpenQuietly();
  f.line.Feed({1, 2, 3});
  EXPECT_EQ(SetPortSpeed(f.connection, 4800, true), 0);
  EXPECT_THAT(f.line.calls, ElementsAre("ClearLineErrors", "Purge"));
  EXPECT_TRUE(f.line.input.empty());
  EXPECT_THAT(LogLines(f.log), IsEmpty());

  EXPECT_EQ(SetPortSpeed(f.connection, 115200, true), 0);
  EXPECT_EQ(f.connection.currentSpeed, 115200u);
  EXPECT_EQ(f.line.speed, 115200u);
}

TEST(PortConnectionTest, PurgeFailureOnItsOwn) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  f.line.Fail(FakeCall::Purge, kCode);
  EXPECT_EQ(PurgePort(f.connection, true), -1);
  EXPECT_THAT(LogLines(f.log), ElementsAre("E Error 0xd purging port buffers.", SystemTextLine(kCode)));
  EXPECT_THAT(f.line.CallsAfterLast(FakeCall::Purge), ElementsAre("ClearLineErrors"));
  EXPECT_EQ(PurgePort(f.connection, true), 0);
}

TEST(PortConnectionTest, WritePortSendsFlushesAndReportsFailures) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  const uint8_t sentence[] = {'$', 'P', 'Q', 'R', 'V', 'I', ',', '\r', '\n'};
  EXPECT_EQ(WritePort(f.connection, sentence, sizeof sentence, true), 0);
  EXPECT_EQ(f.line.output, std::vector<uint8_t>(sentence, sentence + sizeof sentence));
  EXPECT_THAT(f.line.calls, ElementsAre("Write", "Flush"));

  // Only the low 8 bits of the value go.
  EXPECT_EQ(WritePortByte(f.connection, 0x1A5, true), 0);
  EXPECT_EQ(f.line.output.back(), 0xA5);

  // The flush's own result does not matter.
  f.line.Fail(FakeCall::Flush, kCode);
  EXPECT_EQ(WritePortByte(f.connection, 0x00, true), 0);
  EXPECT_THAT(LogLines(f.log), IsEmpty());

  // A failed write: the code, the system's text, the errors cleared, no flush.
  f.line.calls.clear();
  f.line.Fail(FakeCall::Write, kCode);
  EXPECT_EQ(WritePort(f.connection, sentence, sizeof sentence, true), -1);
  EXPECT_THAT(LogLines(f.log), ElementsAre("E Error 0xd writing port.", SystemTextLine(kCode)));
  EXPECT_THAT(f.line.calls, ElementsAre("Write", "ClearLineErrors"));

  // A write the time-out cut short: one line without a code.
  f.line.calls.clear();
  f.line.writeCapacity = 4;
  EXPECT_EQ(WritePort(f.connection, sentence, sizeof sentence, true), -1);
  EXPECT_EQ(LogLines(f.log).back(), "E Port write timeout exceeded.");
  EXPECT_EQ(f.log.Entries().size(), 3u);
  EXPECT_THAT(f.line.calls, ElementsAre("Write", "ClearLineErrors"));
}

TEST(PortConnectionTest, WritePortFailuresInPolishAndSilent) {
  {
    LanguageGuard polish(kPolish);
    Fixture f;
    f.OpenQuietly();
    f.line.Fail(FakeCall::Write, kCode);
    WritePortByte(f.connection, 1, true);
    f.line.writeCapacity = 0;
    WritePortByte(f.connection, 1, true);
    EXPECT_THAT(LogLines(f.log), ElementsAre("E Błąd 0xd zapisu do portu.", SystemTextLine(kCode),
                                             "E Przekroczony limit czasu operacji zapisu do portu."));
  }
  Fixture f;
  f.OpenQuietly();
  f.line.Fail(FakeCall::Write, kCode);
  EXPECT_EQ(WritePortByte(f.connection, 1, false), -1);
  f.line.writeCapacity = 0;
  EXPECT_EQ(WritePortByte(f.connection, 1, false), -1);
  EXPECT_THAT(LogLines(f.log), IsEmpty());
  EXPECT_EQ(f.line.Count(FakeCall::ClearLineErrors), 2u);
}

TEST(PortConnectionTest, ReadPortReturnsWhatCame) {
  LanguageGuard english(kEnglish);
  Fixture f;
  f.OpenQuietly();
  f.line.Feed({10, 20, 30});
  uint8_t buffer[8] = {};
  EXPECT_EQ(ReadPort(f.connection, buffer, 2, true), 2);
  EXPECT_EQ(buffer[0], 10);
  EXPECT_EQ(buffer[1], 20);
  // Fewer than asked for: the time-out, not reported here.
  EXPECT_EQ(ReadPort(f.connection, buffer, 8, true), 1);
  EXPECT_EQ(buffer[0], 30);
  EXPECT_EQ(ReadPort(f.connection, buffer, 8, true), 0);
  EXPECT_THAT(LogLines(f.log), IsEmpty());

  f.line.calls.clear();
  f.line.Fail(FakeCall::Read, kCode);
  EXPECT_EQ(ReadPort(f.connection, buffer, 8, true), -1);
  EXPECT_THAT(LogLines(f.log), ElementsAre("E Error 0xd reading port.", SystemTextLine(kCode)));
  EXPECT_THAT(f.line.calls, ElementsAre("Read", "ClearLineErrors"));

  LanguageGuard polish(kPolish);
  f.line.Fail(FakeCall::Read, kCode);
  EXPECT_EQ(ReadPort(f.connection, buffer, 8, true), -1);
  EXPECT_EQ(LogLines(f.log).at(2), "E Błąd 0xd odczytu portu.");
  f.line.Fail(FakeCall::Read, kCode);
  EXPECT_EQ(ReadPort(f.connection, buffer, 8, false), -1);
  EXPECT_EQ(f.log.Entries().size(), 4u);
}

TEST(ProbeMaxSpeedTest, OpensProbesAndClosesAPortByNumber) {
  FakeSerialLine line;
  line.maxSpeed = 230400;
  EXPECT_EQ(ProbeMaxSpeed(0, 7, nullptr, line.Opener()), 230400u);
  EXPECT_EQ(line.openedName, "COM7");
  EXPECT_FALSE(line.isOpen);
  EXPECT_EQ(line.Count(FakeCall::ClearLineErrors), 0u);
  EXPECT_EQ(line.Count(FakeCall::SetTimeouts), 0u);

  line.maxSpeed = 460800;
  EXPECT_EQ(ProbeMaxSpeed(0, 7, nullptr, line.Opener()), 460800u);
  line.maxSpeed = 9600;
  EXPECT_EQ(ProbeMaxSpeed(0, 7, nullptr, line.Opener()), 115200u);
}

TEST(ProbeMaxSpeedTest, FailuresGive115200) {
  FakeSerialLine line;
  line.Fail(FakeCall::Open, 2);
  EXPECT_EQ(ProbeMaxSpeed(0, 99, nullptr, line.Opener()), 115200u);

  line.Fail(FakeCall::GetLineState, kCode);
  EXPECT_EQ(ProbeMaxSpeed(0, 1, nullptr, line.Opener()), 115200u);
  EXPECT_FALSE(line.isOpen);
  EXPECT_EQ(line.Count(FakeCall::SetLineState), 0u);

  // A refusal for another reason than the speed also ends the probe.
  line.Fail(FakeCall::SetLineState, kCode, 1);
  EXPECT_EQ(ProbeMaxSpeed(0, 1, nullptr, line.Opener()), 115200u);
  EXPECT_EQ(ProbeMaxSpeed(0, 1, nullptr, nullptr), 115200u);
}

TEST(ProbeMaxSpeedTest, AGivenHandleStaysOpenAtTheLastSpeedAccepted) {
  FakeSerialLine line;
  line.maxSpeed = 230400;
  std::unique_ptr<SerialDevice> device;
  ASSERT_EQ(line.Opener()("COM1", device), 0u);
  EXPECT_EQ(ProbeMaxSpeed(1, 1, device.get(), line.Opener()), 230400u);
  EXPECT_TRUE(line.isOpen);
  EXPECT_EQ(line.speed, 230400u);
  EXPECT_EQ(line.Count(FakeCall::SetTimeouts), 0u);
  EXPECT_EQ(line.Count(FakeCall::Open), 1u);
}
