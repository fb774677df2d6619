// stravener restart: restarts the logger's processor.

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/port_session.h"
#include "logger/restart_logger.h"

namespace stravener::cli {
namespace {

int RunRestart(Invocation& invocation) {
  return RunOnPort(invocation, [](PortConnection& connection, CliHost& host) {
    return ExitStatus(RestartLogger(connection, host));
  });
}

const Command kRestartCommand{
    "restart",
    "",
    {"zrestartuj procesor rejestratora", "restart the logger's processor"},
    {"Wysyła komendę restartu; rejestrator na nią nie odpowiada. Kod wyjścia 1, gdy nie\n"
     "udało się wysłać komendy.",
     "Sends the restart command; the logger gives no answer to it. Exit status 1 when the\n"
     "command could not be sent."},
    {kPortOption, kMaxSpeedOption, kTraceOption, kForceTraceOption},
    0,
    0,
    RunRestart};

STRAVENER_REGISTER_COMMAND(kRestartCommand);

}  // namespace
}  // namespace stravener::cli
