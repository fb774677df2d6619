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
    {"Pyta rejestrator o jego rekord informacyjny, potem wysyła komendę restartu, na którą\n"
     "rejestrator nie odpowiada. Kod wyjścia 1, gdy rejestrator nie odpowiedział na pytanie\n"
     "albo nie udało się wysłać komendy.",
     "Asks the logger for its information record, then sends the restart command, to which\n"
     "the logger gives no answer. Exit status 1 when the logger did not answer the request\n"
     "or the command could not be sent."},
    {kPortOption, kMaxSpeedOption, kTraceOption, kForceTraceOption},
    0,
    0,
    RunRestart};

STRAVENER_REGISTER_COMMAND(kRestartCommand);

}  // namespace
}  // namespace stravener::cli
