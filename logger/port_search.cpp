#include "logger/port_search.h"

#include "app/format.h"
#include "app/language.h"
#include "link/frame.h"
#include "link/port_connection.h"
#include "platform/system_error.h"

namespace stravener {

std::string PortSearchName(const PortEntry& port) { return port.comName.empty() ? port.device : port.comName; }

std::vector<PortSearchResult> SearchPortsForLogger(const std::vector<PortEntry>& ports, const SerialOpener& opener,
                                                   Clock& clock,
                                                   const std::function<bool(const PortSearchResult&)>& onResult) {
  std::vector<PortSearchResult> results;
  for (const PortEntry& port : ports) {
    PortSearchResult result;
    result.port = port;
    EventLog quiet;
    uint32_t openCode = 0;
    PortConnection connection(quiet, [&opener, &openCode](const std::string& name, std::unique_ptr<SerialDevice>& device) {
      openCode = opener ? opener(name, device) : kInvalidHandleCode;
      return openCode;
    });
    connection.devicePath = PortSearchName(port);
    if (OpenPort(connection, false) != 0) {
      result.outcome = PortSearchResult::Outcome::CannotOpen;
      result.code = openCode != 0 ? openCode : kInvalidHandleCode;
    } else if (SendInfoCommand(connection, clock, false) == 0 &&
               // One quiet question: a port is not woken from a transfer speed or a boot loader.
               ReadFrame(connection, result.info.bytes.data(), LoggerInfo::kSize, false, false) == 0) {
      result.outcome = PortSearchResult::Outcome::Answered;
    }
    CloseHandleSilently(connection);
    results.push_back(std::move(result));
    if (onResult && !onResult(results.back())) break;
  }
  return results;
}

std::string DescribeLoggerFound(const LoggerInfo& info) {
  const uint8_t* serial = info.SerialNumber();
  const std::string version = info.FirmwareVersion();
  return FORMAT_PAIR("logger %02x-%02x%02x%02x, oprogramowanie %s", "logger %02x-%02x%02x%02x, firmware %s", serial[0],
                     serial[1], serial[2], serial[3], version.c_str());
}

std::string DescribeOpenFailure(uint32_t code) {
  std::string text;
  if (!SystemErrorText(code, text)) text = PickTextOrEmpty("błąd", "error");
  return FormatText("%s (0x%x)", text.c_str(), code);
}

}  // namespace stravener
