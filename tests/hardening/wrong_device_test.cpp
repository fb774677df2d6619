// What the user sees when the port holds something other than a working logger: nothing at
// all, a loopback plug, a GPS receiver talking NMEA, a device that sends noise, and a USB
// adapter that fails every write or every read. Every command must fail with its message,
// show nothing, create no file, and give up within its time-outs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <numeric>

#include "link/port_trouble.h"
#include "logger/erase_track_memory.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "logger/track_download.h"
#include "support/fake_serial_device.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/temp_dir.h"
#include "support/test_host.h"

using namespace stravener;
using ::testing::Contains;
using ::testing::ElementsAreArray;

namespace {

enum class Device { Nothing, Loopback, GpsReceiver, Noise, WritesFail, ReadsFail };

const char* Name(Device device) {
  switch (device) {
    case Device::Nothing: return "nothing connected";
    case Device::Loopback: return "loopback plug";
    case Device::GpsReceiver: return "GPS receiver";
    case Device::Noise: return "noise";
    case Device::WritesFail: return "adapter failing writes";
    case Device::ReadsFail: return "adapter failing reads";
  }
  return "?";
}

// The port with the device behind it, opened as the Open port button opens it.
struct WrongDeviceBench {
  explicit WrongDeviceBench(Device device) {
    line.respond = [device](FakeSerialLine& l, const std::vector<uint8_t>& written) {
      switch (device) {
        case Device::Loopback: l.Feed(written); break;
        case Device::GpsReceiver: {
          const std::string nmea = "$GPGGA,102030,5213.500,N,02100.732,E,1,07,1.2,112.0,M,,,,*4F\r\n";
          l.Feed(std::vector<uint8_t>(nmea.begin(), nmea.end()));
          break;
        }
        case Device::Noise:
          for (size_t i = 0; i < 3 * written.size(); ++i) l.input.push_back(static_cast<uint8_t>(i * 97 + 13));
          break;
        default: break;
      }
    };
    connection.speedLimit = 115200;
    EXPECT_EQ(OpenPort(connection, false), 0);
    if (device == Device::WritesFail) {
      for (int i = 0; i < 50; ++i) line.Fail(FakeCall::Write, EIO);
    }
    if (device == Device::ReadsFail) {
      for (int i = 0; i < 50; ++i) line.Fail(FakeCall::Read, EIO);
    }
  }

  // The longest the command could have taken on a real port: its pauses, and each read
  // running out its whole time-out.
  uint32_t WorstCaseMs() const {
    const uint32_t sleeps = std::accumulate(host.clock.sleeps.begin(), host.clock.sleeps.end(), 0u);
    return sleeps + static_cast<uint32_t>(line.Count(FakeCall::Read)) * kPortTimeoutMs;
  }
  std::vector<std::string> Lines() const { return LogLines(host.log); }

  FakeSerialLine line;
  TestHost host;
  PortConnection connection{host.log, line.Opener()};
  TempDir dir;
};

// The lines the Information command ends with behind each device (after "Read info
// command sent." where the sentence went out). When nothing answers, or only noise, the
// logger may be one left at a transfer speed: it is asked back to 4800 bit/s and asked
// once more.
// An adapter that fails with EIO has been pulled out: the first failure is reported with a
// plain line, and nothing more is tried on the port. Where nothing answers as the logger,
// the last line names the port and says what to do.
std::vector<std::string> InformationFailure(Device device) {
  const std::string pulled = "E The port went away: was the logger's cable pulled?";
  const std::string noLogger = "E No logger answered on " + PortWithDevice("COM1") +
                               ". Check the cable, or choose the port in Setup (Find logger).";
  switch (device) {
    case Device::Nothing:
      return {"I Read info command sent.", "I The logger did not answer; asking it to return to 4800 bit/s.",
              "E Port read timeout exceeded.", noLogger};
    case Device::WritesFail: return {"E Error 0x5 writing port.", SystemTextLine(EIO), pulled};
    case Device::ReadsFail:
      return {"I Read info command sent.", "E Error 0x5 reading port.", SystemTextLine(EIO), pulled};
    default:
      return {"I Read info command sent.", "E Protocol error.",
              "I The logger's answer was garbled; asking it to return to 4800 bit/s.", "E Protocol error.", noLogger};
  }
}

// The longest the information request may take behind each device; unless the port
// itself fails, also the way back from the five transfer speeds (a pause after each), the
// second request, its pause and its time-out, and the boot loader's signature request
// after a pause, asked twice when something but a signature answers, each with its
// time-out.
uint32_t InformationWorstCaseMs(Device device) {
  const uint32_t once = 2150u + kPortTimeoutMs;
  const bool portFails = device == Device::WritesFail || device == Device::ReadsFail;
  return portFails ? once : once + 5 * 100u + 150u + kPortTimeoutMs + 100u + 2 * kPortTimeoutMs;
}

bool Sent(const FakeSerialLine& line, const std::string& sentence) {
  return std::search(line.output.begin(), line.output.end(), sentence.begin(), sentence.end()) != line.output.end();
}

class WrongDeviceTest : public ::testing::TestWithParam<Device> {
 protected:
  LanguageGuard english_{kEnglish};
};

}  // namespace

TEST_P(WrongDeviceTest, InformationFailsWithTheLinksMessage) {
  WrongDeviceBench bench(GetParam());
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), -1);
  EXPECT_THAT(bench.Lines(), ElementsAreArray(InformationFailure(GetParam())));
  EXPECT_LE(bench.WorstCaseMs(), InformationWorstCaseMs(GetParam()));
}

TEST_P(WrongDeviceTest, ReadTrackStopsAtTheInformationRequest) {
  WrongDeviceBench bench(GetParam());
  EXPECT_EQ(PrepareTrackRead(bench.connection, bench.host).result, OperationResult::Failed);
  EXPECT_THAT(bench.Lines(), ElementsAreArray(InformationFailure(GetParam())));
  // Nothing but the information request was sent: the device was never told to change speed.
  EXPECT_EQ(bench.line.speed, kCommandSpeed);
}

TEST_P(WrongDeviceTest, EraseReportsAndChangesNothing) {
  // The erase sentence goes only to a logger that answered the information request.
  WrongDeviceBench erase(GetParam());
  EXPECT_EQ(EraseTrackMemory(erase.connection, erase.host), OperationResult::Failed);
  EXPECT_THAT(erase.Lines(), ElementsAreArray(InformationFailure(GetParam())));
  EXPECT_FALSE(Sent(erase.line, "$PQRVE,\r\n"));
  EXPECT_LE(erase.WorstCaseMs(), InformationWorstCaseMs(GetParam()));
}

TEST_P(WrongDeviceTest, UpgradeFindsNoBootLoaderAndErasesNothing) {
  WrongDeviceBench bench(GetParam());
  const std::string image = bench.dir.File("image.upg");
  WriteWholeFile(image, std::vector<unsigned char>(300, 0x5A));
  EXPECT_EQ(UpgradeFirmware(bench.connection, bench.host, image, true), -1);
  const std::vector<std::string> lines = bench.Lines();
  switch (GetParam()) {
    case Device::WritesFail:
    case Device::ReadsFail:
      EXPECT_THAT(lines, ElementsAreArray(InformationFailure(GetParam())));
      break;
    case Device::Nothing:
      EXPECT_THAT(lines, Contains("E Bad processor signature (00,00,00)."));
      break;
    case Device::Loopback:  // the 's' comes back alone
      EXPECT_THAT(lines, Contains("E Bad processor signature (73,00,00)."));
      break;
    case Device::GpsReceiver:  // the first bytes of a sentence
      EXPECT_THAT(lines, Contains("E Bad processor signature (24,47,50)."));
      break;
    case Device::Noise:
      EXPECT_THAT(lines, Contains(::testing::StartsWith("E Bad processor signature (")));
      break;
  }
  // Nothing answered the information request: no firmware was told to hand over.
  EXPECT_FALSE(Sent(bench.line, "$PQRVU,\r\n"));
  if (GetParam() != Device::WritesFail && GetParam() != Device::ReadsFail) {
    EXPECT_THAT(lines, Contains("I The logger's firmware did not answer; looking for its boot loader."));
    // Where nothing at all answered, the port is named.
    EXPECT_EQ(lines.back(), GetParam() == Device::Nothing ? InformationFailure(Device::Nothing).back()
                                                          : "E Connect stravener and begin upgrade again.");
    // The information request without the signature requests of its own, then ten
    // requests for the signature, each waiting its time-out at most.
    EXPECT_LE(bench.WorstCaseMs(), InformationWorstCaseMs(GetParam()) - 2 * kPortTimeoutMs + 10 * kPortTimeoutMs);
  }
  // No erase command reached the device, and the port stays open for another try.
  const std::vector<uint8_t>& out = bench.line.output;
  EXPECT_EQ(std::count(out.begin(), out.end(), static_cast<uint8_t>('e')), 0);
  EXPECT_EQ(bench.connection.openFlag, 1);
}

INSTANTIATE_TEST_SUITE_P(Devices, WrongDeviceTest,
                         ::testing::Values(Device::Nothing, Device::Loopback, Device::GpsReceiver, Device::Noise,
                                           Device::WritesFail, Device::ReadsFail),
                         [](const ::testing::TestParamInfo<Device>& param) {
                           std::string name = Name(param.param);
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });
