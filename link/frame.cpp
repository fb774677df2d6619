#include "link/frame.h"

#include "link/checksum.h"

namespace stravener {

namespace {

int ReadTimedOut(PortConnection& connection, ReportFlag report) {
  if (report) {
    LOG_TEXT(*connection.log, LogKind::Error, "Przekroczony limit czasu operacji odczytu z portu.",
             "Port read timeout exceeded.");
  }
  ClearLineErrors(connection);
  return -1;
}

}  // namespace

int ReadFrame(PortConnection& connection, uint8_t* payload, uint16_t expected, bool xorChecksum, ReportFlag report) {
  uint8_t length[2] = {0, 0};
  if (ReadPort(connection, length, 2, report) != 2) return ReadTimedOut(connection, report);

  const uint16_t received = static_cast<uint16_t>(length[0] | (length[1] << 8));
  if (received != expected) {
    // The rest of the frame stays in the input queue until the next purge.
    if (report) LOG_TEXT(*connection.log, LogKind::Error, "Błąd protokołu.", "Protocol error.");
    ClearLineErrors(connection);
    return -1;
  }
  if (expected > 0 && ReadPort(connection, payload, expected, report) != static_cast<int>(expected)) {
    return ReadTimedOut(connection, report);
  }
  uint8_t checksum = 0;
  if (ReadPort(connection, &checksum, 1, report) != 1) return ReadTimedOut(connection, report);

  const uint8_t computed = xorChecksum ? Xor8(payload, expected, Xor8(length, 2, 0))
                                       : Crc8(payload, expected, Crc8(length, 2, 0));
  if (computed != checksum) {
    if (report) LOG_TEXT(*connection.log, LogKind::Error, "Błąd sumy kontrolnej.", "Checksum error.");
    return -1;
  }
  return 0;
}

}  // namespace stravener
