#pragma once

#include <cstdint>

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener {

// The logger's answers to the save-configuration sentence.
constexpr uint8_t kConfigurationSaved = 0;
constexpr uint8_t kConfigurationDataError = 2;

// Saves the logger's skip setting: "$PQRVC,0,<skip>,\r\n" after the attention sentence, and
// the logger's answer reported. It is the end of the Configuration command, whose caller
// first asks for the information record (ReadLoggerInfo, which leaves the port at 4800
// bit/s: no speed step precedes the sentence) and lets the user choose the value from the
// record's setting. Done when the logger answered 0 ("The configuration was saved.");
// Failed otherwise.
OperationResult ConfigureLogger(PortConnection& connection, Host& host, uint8_t skip);

}  // namespace stravener
