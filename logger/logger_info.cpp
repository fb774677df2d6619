#include "logger/logger_info.h"

#include "app/format.h"
#include "app/language.h"
#include "logger/find_logger.h"
#include "logger/logger_commands.h"

namespace stravener {

std::string LoggerInfo::FirmwareVersion() const {
  std::string version;
  for (size_t i = 8; i < 12 && bytes[i] != 0; ++i) version.push_back(static_cast<char>(bytes[i]));
  return version;
}

int SendInfoCommand(PortConnection& connection, Clock& clock, ReportFlag report) {
  if (SendCommand(connection, clock, kInfoSentence, report) != 0) return -1;
  if (report) {
    LOG_TEXT(*connection.log, LogKind::Info, "Wysłano komendę odczytu informacji.", "Read info command sent.");
  }
  return 0;
}

int ReadLoggerInfo(PortConnection& connection, Clock& clock, LoggerInfo& info) {
  return FindLogger(connection, clock, info, true) == LoggerFound::Firmware ? 0 : -1;
}

std::string FormatLoggerInfoReport(const LoggerInfo& info) {
  const uint32_t memorySize = info.MemorySize();
  const uint32_t used = info.UsedBytes();
  const uint32_t free = info.FreeBytes();
  // A logger that reports no memory at all has nothing to take a share of.
  const double usedPercent = memorySize == 0 ? 0.0 : used * 100.0 / memorySize;
  const double freePercent = memorySize == 0 ? 0.0 : free * 100.0 / memorySize;
  const uint8_t* serial = info.SerialNumber();
  const uint8_t* date = info.ProductionDate();
  const std::string version = info.FirmwareVersion();
  return FORMAT_PAIR(
      "Informacje o stravenerze:\r\n\r\nNumer seryjny: %02x-%02x%02x%02x\r\nData produkcji: %02x.%02x.%02x%02x\r\n"
      "Wersja oprogramowania: %s\r\n\r\nRozmiar pamięci: %u bajt%s\r\nZajęte: %u bajt%s (%3.1f%%)\r\n"
      "Wolne: %u bajt%s (%3.1f%%)",
      "Information about stravener:\r\n\r\nSerial number: %02x-%02x%02x%02x\r\nProduction date: "
      "%02x.%02x.%02x%02x\r\nFirmware version: %s\r\n\r\nMemory size: %u bytes%s\r\nUsed: %u bytes%s (%3.1f%%)\r\n"
      "Free: %u bytes%s (%3.1f%%)",
      serial[0], serial[1], serial[2], serial[3], date[0], date[1], date[2], date[3], version.c_str(), memorySize,
      BytePluralEnding(memorySize), used, BytePluralEnding(used), usedPercent, free, BytePluralEnding(free),
      freePercent);
}

}  // namespace stravener
