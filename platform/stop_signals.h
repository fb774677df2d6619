#pragma once

namespace stravener {

// Makes the system's requests to end the program stop requests (platform/stop_request.h).
// A second request ends the program at once with kStoppedExitStatus, without any closing
// steps, removing only the temporary files held by RemovedAtAbruptEnd.
//
// POSIX: SIGINT, SIGTERM and SIGHUP, heard by the thread that calls this whichever thread
// the system hands them to, so that a serial read waiting there ends at once. SIGPIPE is
// ignored: a closed pipe on stdout or stderr makes a write fail, not the program.
//
// Windows: Ctrl+C, Ctrl+Break, closing the console, logging off and shutting down. After a
// close, log-off or shut-down the system ends the program as soon as the handler returns,
// so the handler waits: the program ends when its operation has run its closing steps (or
// when the system stops waiting, after about five seconds).
void InstallStopSignals();

}  // namespace stravener
