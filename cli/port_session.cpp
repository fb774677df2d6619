#include "cli/port_session.h"

#include <memory>
#include <optional>
#include <string>

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/command_files.h"
#include "cli/port_argument.h"
#include "link/wire_trace.h"
#include "platform/stop_request.h"
#include "platform/stop_signals.h"

namespace stravener::cli {

int RunOnPort(Invocation& invocation, const std::function<int(PortConnection&, CliHost&)>& operation,
              CommandFiles* files) {
  CliHost& host = invocation.Host();
  // Declared first, so that it outlives the connection and the clock that write to it.
  WireTrace trace;
  std::unique_ptr<TracingClock> tracingClock;
  PortConnection connection(host.Log());
  if (const int status = ConfigurePortConnection(invocation, connection); status != kExitOk) return status;
  if (const std::optional<std::string> tracePath = invocation.Value(kTraceOption.name)) {
    // The trace follows the rules of an output file, checked before anything is emptied.
    CommandFiles none;
    CommandFiles& checked = files != nullptr ? *files : none;
    checked.force = invocation.Has(kForceOption.name);
    if (!checked.CheckTrace(host.Log(), *tracePath)) return kExitFailure;
    if (const uint32_t code = trace.Create(*tracePath); code != 0) {
      LOG_TEXT(host.Log(), LogKind::Error, "Błąd 0x%x tworzenia pliku zapisu transmisji %s.",
               "Error 0x%x creating trace file %s.", code, tracePath->c_str());
      host.Log().LogSystemError(LogKind::Error, code);
      return kExitFailure;
    }
    connection.opener = trace.Opener(std::move(connection.opener));
    tracingClock = std::make_unique<TracingClock>(host.GetClock(), trace);
    host.SetClock(tracingClock.get());
  }
  // From here on Ctrl+C asks the operation to stop at its next safe point: the logger is
  // never left at a transfer speed, nor a sentence cut in half.
  HearStopRequests();
  if (OpenPort(connection, true) != 0) return kExitFailure;
  const int status = operation(connection, host);
  ClosePort(connection, true);
  host.SetClock(nullptr);
  return status;
}

void HearStopRequests() { InstallStopSignals(); }

int ExitStatus(OperationResult result) {
  if (result == OperationResult::Done) return kExitOk;
  return StopRequested() ? kStoppedExitStatus : kExitFailure;
}

}  // namespace stravener::cli
