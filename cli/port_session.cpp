#include "cli/port_session.h"

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/port_argument.h"

namespace stravener::cli {

int RunOnPort(Invocation& invocation, const std::function<int(PortConnection&, CliHost&)>& operation) {
  CliHost& host = invocation.Host();
  PortConnection connection(host.Log());
  if (const int status = ConfigurePortConnection(invocation, connection); status != kExitOk) return status;
  if (OpenPort(connection, true) != 0) return kExitFailure;
  const int status = operation(connection, host);
  ClosePort(connection, true);
  return status;
}

int ExitStatus(OperationResult result) { return result == OperationResult::Done ? kExitOk : kExitFailure; }

}  // namespace stravener::cli
