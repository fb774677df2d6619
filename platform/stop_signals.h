#pragma once

namespace stravener {

// POSIX only (on Windows the command line's console control handler does this). SIGINT,
// SIGTERM and SIGHUP become stop requests (app/stop_request.h), heard by the thread that
// calls this whichever thread the system hands them to, so that a serial read waiting
// there ends at once. A second request ends the program at once with kStoppedExitStatus,
// without any closing steps, removing only the temporary files held by RemovedAtAbruptEnd.
// SIGPIPE is ignored: a closed pipe on stdout or stderr makes a write fail, not the program.
void InstallStopSignals();

}  // namespace stravener
