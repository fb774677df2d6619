#pragma once

#include <cstdint>

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener {

// The logger's answers to the save-configuration sentence.
constexpr uint8_t kConfigurationSaved = 0;
constexpr uint8_t kConfigurationDataError = 2;

// The Configuration button: reads the logger's skip setting from its information record,
// runs the configuration dialog through the host with it, and on Save sends
// "$PQRVC,0,<value>,\r\n" after the attention sentence (the port is still at 4800 bit/s from
// the information request) and reports the logger's answer. Done when the logger answered
// 0 ("The configuration was saved."); Cancelled when the dialog was not ended with Save
// (nothing sent, nothing logged); Failed otherwise.
OperationResult ConfigureLogger(PortConnection& connection, Host& host);

}  // namespace stravener
