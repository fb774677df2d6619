#include "cli/port_argument.h"

#include <cctype>

#include "app/settings_store.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "link/line_speeds.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "link/port_trouble.h"
#include "logger/port_search.h"
#include "platform/path_separator.h"

namespace stravener::cli {

namespace {
std::optional<uint32_t> ParseDecimal(const std::string& digits) {
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xffffffffull) return std::nullopt;
  return static_cast<uint32_t>(value);
}
}  // namespace

std::optional<uint32_t> ParseComPortNumber(const std::string& text) {
  if (text.size() > 3 && std::toupper(static_cast<unsigned char>(text[0])) == 'C' &&
      std::toupper(static_cast<unsigned char>(text[1])) == 'O' &&
      std::toupper(static_cast<unsigned char>(text[2])) == 'M') {
    return ParseDecimal(text.substr(3));
  }
  return ParseDecimal(text);
}

std::optional<uint32_t> ParseSpeedLimit(const std::string& text) {
  std::string digits = text;
  if (digits.size() > 3 && digits.compare(digits.size() - 3, 3, "bps") == 0) digits.resize(digits.size() - 3);
  while (!digits.empty() && digits.back() == ' ') digits.pop_back();
  const std::optional<uint32_t> value = ParseDecimal(digits);
  if (!value) return std::nullopt;
  for (const uint32_t speed : kTransferSpeeds) {
    if (*value == speed) return value;
  }
  return std::nullopt;
}

std::string SpeedLimitChoices(const char* lastJoin) {
  std::string text;
  for (size_t i = 0; i < kTransferSpeeds.size(); ++i) {
    if (i > 0) text += i + 1 < kTransferSpeeds.size() ? ", " : std::string(" ") + lastJoin + " ";
    text += std::to_string(kTransferSpeeds[i]);
  }
  return text;
}

std::optional<PortArgument> ParsePortArgument(const std::string& text) {
  if (const auto number = ParseComPortNumber(text)) {
    if (*number == 0) return std::nullopt;
    return PortArgument{*number, std::string()};
  }
  if (LastPathSeparator(text) == std::string::npos) return std::nullopt;
  return PortArgument{0, text};
}

bool IsAutoPort(const std::string& text) {
  if (text.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != "auto"[i]) return false;
  }
  return true;
}

// --port auto: the first port where a logger answers, named in the log; false after saying
// that none did (and why the ports that did not open did not).
bool FindLoggerPort(CliHost& host, PortConnection& connection) {
  EventLog& log = host.Log();
  const std::vector<PortSearchResult> results =
      SearchPortsForLogger(EnumeratePorts(), connection.opener, host.GetClock(), [](const PortSearchResult& result) {
        return result.outcome != PortSearchResult::Outcome::Answered;
      });
  for (const PortSearchResult& result : results) {
    if (result.outcome != PortSearchResult::Outcome::Answered) continue;
    const std::string found = DescribeLoggerFound(result.info);
    LOG_TEXT(log, LogKind::Info, "Logger znaleziony na porcie %s: %s.", "Logger found on %s: %s.",
             PortWithDevice(PortSearchName(result.port)).c_str(), found.c_str());
    if (const auto number = ComNumberOf(result.port.comName)) {
      connection.portNumber = *number;
    } else {
      connection.devicePath = result.port.device;
    }
    return true;
  }
  for (const PortSearchResult& result : results) {
    if (result.outcome != PortSearchResult::Outcome::CannotOpen) continue;
    const std::string why = DescribeOpenFailure(result.code);
    LOG_TEXT(log, LogKind::Info, "Port %s nie otwiera się: %s.", "Port %s does not open: %s.",
             PortWithDevice(PortSearchName(result.port)).c_str(), why.c_str());
  }
  LOG_TEXT(log, LogKind::Error, "Na żadnym porcie nie odpowiedział logger.", "No logger answered on any port.");
  return false;
}

int ConfigurePortConnection(const Invocation& invocation, PortConnection& connection) {
  LoadPortSettings(connection.portNumber, connection.speedLimit);
  connection.devicePath.clear();
  if (auto text = invocation.Value(kPortOption.name); text && IsAutoPort(*text)) {
    if (!FindLoggerPort(invocation.Host(), connection)) return kExitFailure;
  } else if (text) {
    const auto port = ParsePortArgument(*text);
    if (!port) {
      return UsageError(invocation.Command(), "--port takes a COM name (COM3, or 3), a device path or auto");
    }
    if (port->devicePath.empty()) {
      connection.portNumber = port->portNumber;
    } else {
      connection.devicePath = port->devicePath;
    }
  }
  if (auto text = invocation.Value(kMaxSpeedOption.name)) {
    const auto limit = ParseSpeedLimit(*text);
    if (!limit) return UsageError(invocation.Command(), "--max-speed takes " + SpeedLimitChoices("or"));
    connection.speedLimit = *limit;
  }
  return kExitOk;
}

}  // namespace stravener::cli
