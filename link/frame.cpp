#include "link/frame.h"

#include "link/checksum.h"
#include "platform/stop_request.h"

namespace stravener {

namespace {

// After a read that brought fewer bytes than asked for: a read error (reported by ReadPort)
// or a time-out both end with the time-out line, unless the time-out is the caller's to
// report; a read that a stop request cut short ends without a line.
FrameOutcome ShortRead(PortConnection& connection, int got, ReportFlag report, bool reportTimeout) {
  ClearLineErrors(connection);
  // A device that went away has said so; it did not time out.
  if (connection.deviceGone) return FrameOutcome::Failed;
  const bool timedOut = got >= 0;
  if (timedOut && StopRequested()) return FrameOutcome::Failed;
  if (report && (reportTimeout || !timedOut)) {
    LOG_TEXT(*connection.log, LogKind::Error, "Przekroczony limit czasu operacji odczytu z portu.",
             "Port read timeout exceeded.");
  }
  return timedOut ? FrameOutcome::TimedOut : FrameOutcome::Failed;
}

FrameOutcome ReadFrameReporting(PortConnection& connection, uint8_t* payload, uint16_t expected, bool xorChecksum,
                                ReportFlag report, bool reportTimeout) {
  uint8_t length[2] = {0, 0};
  if (const int got = ReadPort(connection, length, 2, report); got != 2) {
    return ShortRead(connection, got, report, reportTimeout);
  }

  const uint16_t received = static_cast<uint16_t>(length[0] | (length[1] << 8));
  if (received != expected) {
    // The rest of the frame stays in the input queue until the next purge.
    if (report) LOG_TEXT(*connection.log, LogKind::Error, "Błąd protokołu.", "Protocol error.");
    ClearLineErrors(connection);
    return FrameOutcome::Garbled;
  }
  if (expected > 0) {
    if (const int got = ReadPort(connection, payload, expected, report); got != static_cast<int>(expected)) {
      return ShortRead(connection, got, report, reportTimeout);
    }
  }
  uint8_t checksum = 0;
  if (const int got = ReadPort(connection, &checksum, 1, report); got != 1) {
    return ShortRead(connection, got, report, reportTimeout);
  }

  const uint8_t computed = xorChecksum ? Xor8(payload, expected, Xor8(length, 2, 0))
                                       : Crc8(payload, expected, Crc8(length, 2, 0));
  if (computed != checksum) {
    if (report) LOG_TEXT(*connection.log, LogKind::Error, "Błąd sumy kontrolnej.", "Checksum error.");
    return FrameOutcome::Garbled;
  }
  return FrameOutcome::Read;
}

}  // namespace

int ReadFrame(PortConnection& connection, uint8_t* payload, uint16_t expected, bool xorChecksum, ReportFlag report) {
  return ReadFrameReporting(connection, payload, expected, xorChecksum, report, true) == FrameOutcome::Read ? 0 : -1;
}

FrameOutcome ReadFrameUnlessTimedOut(PortConnection& connection, uint8_t* payload, uint16_t expected,
                                     bool xorChecksum, ReportFlag report) {
  return ReadFrameReporting(connection, payload, expected, xorChecksum, report, false);
}

}  // namespace stravener
