#include "logger/find_logger.h"

#include "app/language.h"
#include "link/frame.h"
#include "link/port_trouble.h"
#include "logger/boot_loader_protocol.h"
#include "logger/logger_commands.h"

namespace stravener {

namespace {

// How long the processor takes after the boot loader's restart before its firmware takes
// commands.
constexpr uint32_t kFirmwareStartMs = 1000;

FrameOutcome ReadInfoFrame(PortConnection& connection, LoggerInfo& info, ReportFlag report) {
  return ReadFrameUnlessTimedOut(connection, info.bytes.data(), LoggerInfo::kSize, false, report);
}

// Whether one of the known processors' boot loaders answers the signature request at its
// speed. The line is given a moment first to carry what a boot loader answers to the
// bytes it heard at other speeds. A device that answered something else is asked once
// more (a boot loader may have taken the first request for the operand of a command that
// an abruptly ended upgrade left half sent). Nothing is reported.
bool BootLoaderAnswers(PortConnection& connection, Clock& clock) {
  if (SetPortSpeed(connection, kBootLoaderSpeed, false) != 0) return false;
  clock.Sleep(kSpeedSwitchPauseMs);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (PurgePort(connection, false) != 0 || WritePortByte(connection, kSignatureCommand, false) != 0) return false;
    uint8_t signature[3] = {0, 0, 0};
    const int got = ReadPort(connection, signature, 3, false);
    if (got == 3 && FindProcessorProfile(signature).has_value()) return true;
    if (got <= 0) return false;
  }
  return false;
}

}  // namespace

LoggerFound FindLogger(PortConnection& connection, Clock& clock, LoggerInfo& info, ReportFlag report,
                       BootLoaderSearch search) {
  if (SendInfoCommand(connection, clock, report) != 0) return LoggerFound::Failed;
  FrameOutcome outcome = ReadInfoFrame(connection, info, report);
  if (outcome == FrameOutcome::Read) return LoggerFound::Firmware;
  if (outcome == FrameOutcome::Failed) return LoggerFound::Failed;

  // No answer at 4800 bit/s, or noise: the logger may still be at a transfer speed, where
  // an earlier run that was stopped abruptly left it (still sending the blocks that run
  // asked for, it is heard at 4800 bit/s as noise). It is asked to come back, and asked
  // once more.
  AskLoggerBackTo4800(connection, clock, outcome == FrameOutcome::Garbled, report);
  if (SendCommand(connection, clock, kInfoSentence, report) != 0) return LoggerFound::Failed;
  outcome = ReadInfoFrame(connection, info, report);
  if (outcome == FrameOutcome::Read) return LoggerFound::Firmware;
  if (outcome == FrameOutcome::Failed) return LoggerFound::Failed;
  if (search == BootLoaderSearch::LeaveToCaller) return LoggerFound::NoLogger;

  // Still nothing: the logger may be in its processor's boot loader, where an upgrade that
  // was stopped or killed after the hand-over left it. A boot loader that answers is told
  // to restart the processor, which starts the firmware when the program memory holds it.
  if (!BootLoaderAnswers(connection, clock)) {
    SetPortSpeed(connection, kCommandSpeed, false);
    if (PortWentAway(connection, report)) return LoggerFound::Failed;
    if (report && outcome == FrameOutcome::TimedOut) {
      LOG_TEXT(*connection.log, LogKind::Error, "Przekroczony limit czasu operacji odczytu z portu.",
               "Port read timeout exceeded.");
    }
    if (report) ReportNoLoggerAnswered(connection);
    return LoggerFound::NoLogger;
  }
  if (report) {
    LOG_TEXT(*connection.log, LogKind::Info, "Odpowiedział program ładujący loggera; ponowne uruchomienie loggera.",
             "The logger's boot loader answered; restarting the logger.");
  }
  if (WritePortByte(connection, kRestartCommand, report) != 0) return LoggerFound::Failed;
  clock.Sleep(kFirmwareStartMs);
  SetPortSpeed(connection, kCommandSpeed, false);
  if (SendCommand(connection, clock, kInfoSentence, report) != 0) return LoggerFound::Failed;
  if (ReadInfoFrame(connection, info, false) == FrameOutcome::Read) return LoggerFound::Firmware;
  if (PortWentAway(connection, report)) return LoggerFound::Failed;
  if (report) {
    LOG_TEXT(*connection.log, LogKind::Error,
             "Logger jest w swoim programie ładującym: jego oprogramowanie trzeba załadować ponownie poleceniem "
             "Apgrejd.",
             "The logger is in its boot loader: its firmware must be loaded again with Upgrade.");
  }
  return LoggerFound::BootLoader;
}

void ReportNoLoggerAnswered(PortConnection& connection) {
  const std::string port = PortWithDevice(PortDeviceName(connection));
  LOG_TEXT(*connection.log, LogKind::Error,
           "Na porcie %s nie odpowiedział żaden logger. Sprawdź kabel albo wybierz port w Ustawieniach (Znajdź "
           "logger).",
           "No logger answered on %s. Check the cable, or choose the port in Setup (Find logger).", port.c_str());
}

void AskLoggerBackTo4800(PortConnection& connection, Clock& clock, bool garbled, ReportFlag report) {
  if (report && garbled) {
    LOG_TEXT(*connection.log, LogKind::Info, "Odpowiedź loggera nieczytelna; polecenie powrotu do 4800 bit/s.",
             "The logger's answer was garbled; asking it to return to 4800 bit/s.");
  } else if (report) {
    LOG_TEXT(*connection.log, LogKind::Info, "Logger nie odpowiedział; polecenie powrotu do 4800 bit/s.",
             "The logger did not answer; asking it to return to 4800 bit/s.");
  }
  for (const uint32_t speed : kTransferSpeeds) {
    if (SetPortSpeed(connection, speed, false) != 0) continue;
    WriteSentence(connection, SpeedSentence(kCommandLineSpeed), false);
    clock.Sleep(kSpeedSwitchPauseMs);
  }
  SetPortSpeed(connection, kCommandSpeed, false);
}

}  // namespace stravener
