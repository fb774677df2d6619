#pragma once

#include <functional>

#include "link/port_connection.h"
#include "logger/operation_result.h"

namespace stravener::cli {

class CliHost;
class Invocation;
struct CommandFiles;

// One run of a command that talks to the logger: the port named by --port (else the stored
// Port) with the speed limit of --max-speed (else the stored MaxSpeed) is opened, the
// operation runs on it, and the port is closed again if the operation left it open.
// Returns kExitUsage for a wrong --port or --max-speed, kExitFailure when the port cannot
// be opened, else what the operation returns. Nothing is stored. A trace (--trace) is
// checked first, against the command's other `files` when it names any. While it runs,
// Ctrl+C (SIGINT, SIGTERM, SIGHUP; on Windows also closing the console) is a stop request
// that the operation honours at its next safe point; a second one ends the program at once.
int RunOnPort(Invocation& invocation, const std::function<int(PortConnection&, CliHost&)>& operation,
              CommandFiles* files = nullptr);

// From here on Ctrl+C (SIGINT, SIGTERM, SIGHUP; on Windows also Ctrl+Break and closing
// the console) asks the operation that runs to stop at its next safe point; a second one
// ends the program at once. RunOnPort calls it; a command without the port calls it itself.
void HearStopRequests();

// The exit status of an operation's result: 0 for Done, 130 for anything else after a stop
// request, 1 otherwise.
int ExitStatus(OperationResult result);

}  // namespace stravener::cli
