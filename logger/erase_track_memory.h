#pragma once

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener {

// Erases the logger's track memory: finds the logger listening at 4800 bit/s with the
// information request (which brings back a logger left at a transfer speed or in its boot
// loader), then sends "$PQRVE,\r\n" after the attention sentence and reads the logger's
// one-byte answer, 1 for erased. It asks nothing: the Erase track command asks "Do you
// want to erase track memory?" before it calls this. Done when the logger answered 1;
// Failed otherwise (another answer gives "Protocol error.").
OperationResult EraseTrackMemory(PortConnection& connection, Host& host);

}  // namespace stravener
