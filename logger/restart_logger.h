#pragma once

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener {

// The Restart button: tells the logger's processor to restart ("$PQRVX,\r\n" after the
// attention sentence), logs "Processor restart command sent." and closes the port. No
// answer is awaited. Done, or Failed when the sentence could not be sent (the port then
// stays open).
OperationResult RestartLogger(PortConnection& connection, Host& host);

}  // namespace stravener
