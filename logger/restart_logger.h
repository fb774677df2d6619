#pragma once

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener {

// The Restart button: finds the logger listening at 4800 bit/s with the information request
// (which brings back a logger left at a transfer speed or in its boot loader), then tells
// its processor to restart ("$PQRVX,\r\n" after the attention sentence), logs "Processor
// restart command sent." and closes the port. No answer is awaited. Done, or Failed when
// the logger did not answer or the sentence could not be sent (the port then stays open).
OperationResult RestartLogger(PortConnection& connection, Host& host);

}  // namespace stravener
