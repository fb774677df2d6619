#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "link/serial_device.h"
#include "logger/logger_info.h"
#include "platform/clock.h"

namespace stravener {

// What one port gave when the logger was looked for on it.
struct PortSearchResult {
  enum class Outcome {
    Answered,    // a logger answered the information request: `info` holds its record
    Silent,      // the port opened, but nothing answered as the logger does
    CannotOpen,  // the port did not open: `code` says why
  };
  PortEntry port;
  Outcome outcome = Outcome::Silent;
  uint32_t code = 0;
  LoggerInfo info;
};

// The name a port is opened by: its COM name, else its device.
std::string PortSearchName(const PortEntry& port);

// Looks for the logger on each port in turn, one open at a time: opens it exclusively,
// sets it to 4800 bit/s and sends the attention and information sentences, nothing else
// (a logger left elsewhere is not asked back), waits for the record, and closes the port.
// Nothing is logged. `onResult`, when given, hears of each port as it is done and says
// whether to go on to the next; the results of the ports tried, in order.
std::vector<PortSearchResult> SearchPortsForLogger(const std::vector<PortEntry>& ports, const SerialOpener& opener,
                                                   Clock& clock,
                                                   const std::function<bool(const PortSearchResult&)>& onResult = {});

// "logger 01-001234, firmware 2.10" in the current language.
std::string DescribeLoggerFound(const LoggerInfo& info);
// Why a port did not open: the system's text with the code, "Permission denied (0xd)".
std::string DescribeOpenFailure(uint32_t code);

}  // namespace stravener
