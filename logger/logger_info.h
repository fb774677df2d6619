#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/port_connection.h"
#include "platform/clock.h"

namespace stravener {

// The logger's information record: the 22-byte answer to the information sentence.
// Multi-byte fields are little-endian and unsigned.
struct LoggerInfo {
  static constexpr uint16_t kSize = 22;

  std::array<uint8_t, kSize> bytes{};

  // Bytes 0-3, shown as "%02x-%02x%02x%02x" in stored order.
  const uint8_t* SerialNumber() const { return &bytes[0]; }
  // Bytes 4-7, packed decimal digits (day, month, century, year), shown as "%02x.%02x.%02x%02x".
  const uint8_t* ProductionDate() const { return &bytes[4]; }
  // Bytes 8-11 as text, at most four characters, ending early at a zero byte.
  std::string FirmwareVersion() const;
  // The first character of the firmware version minus '0': 1 or 2 name the layout of the
  // track records; anything else is a firmware the download does not know.
  int FormatDigit() const { return static_cast<int>(bytes[8]) - '0'; }

  uint16_t PageCount() const { return Word(12); }
  uint16_t PageSize() const { return Word(14); }
  uint16_t FullPagesUsed() const { return Word(16); }
  uint16_t PartialPageBytes() const { return Word(18); }
  // Points skipped between two writes to the track memory; 0 = none.
  uint8_t SkipSetting() const { return bytes[20]; }

  // Page count × page size.
  uint32_t MemorySize() const { return static_cast<uint32_t>(PageCount()) * PageSize(); }
  // Full pages × page size + the bytes of the partly used page.
  uint32_t UsedBytes() const { return static_cast<uint32_t>(FullPagesUsed()) * PageSize() + PartialPageBytes(); }
  // Memory size − used bytes; 0 when the logger counts more used bytes than it has.
  uint32_t FreeBytes() const { return UsedBytes() > MemorySize() ? 0 : MemorySize() - UsedBytes(); }
  // Whole 16-byte records in the used memory.
  uint32_t PointCount() const { return UsedBytes() / 16; }

 private:
  uint16_t Word(size_t offset) const { return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8)); }
};

// The information request that opens a command: FindLogger (logger/find_logger.h) into a
// record, report set, which brings back a logger left at a transfer speed or in its boot
// loader. 0 when the firmware answered, -1 otherwise (reported).
int ReadLoggerInfo(PortConnection& connection, Clock& clock, LoggerInfo& info);
// The command prologue with "$PQRVI,\r\n" and, with the flag set, the line "Read info
// command sent.". 0 or -1.
int SendInfoCommand(PortConnection& connection, Clock& clock, ReportFlag report);

// The information report in the current language, as the Information command shows it
// (in a notice, not in the log) once ReadLoggerInfo has read the record.
std::string FormatLoggerInfoReport(const LoggerInfo& info);

}  // namespace stravener
