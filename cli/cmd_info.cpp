// stravener info: the logger's serial number, production date, firmware and memory use.

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/port_session.h"
#include "logger/logger_info.h"

namespace stravener::cli {
namespace {

int RunInfo(Invocation& invocation) {
  return RunOnPort(invocation, [](PortConnection& connection, CliHost& host) {
    LoggerInfo info;
    if (ReadLoggerInfo(connection, host.GetClock(), info) != 0) return ExitStatus(OperationResult::Failed);
    host.ShowNotice(FormatLoggerInfoReport(info));
    return kExitOk;
  });
}

const Command kInfoCommand{
    "info",
    "",
    {"pokaż numer seryjny rejestratora, datę produkcji, oprogramowanie i zajętość pamięci",
     "show the logger's serial number, production date, firmware and memory use"},
    {"Prosi rejestrator o rekord informacji i wypisuje raport na stdout; dziennik zdarzeń\n"
     "idzie na stderr. Kod wyjścia 1, gdy rejestrator nie odpowiedział poprawnie.",
     "Asks the logger for its information record and prints the report on stdout; the\n"
     "event log goes to stderr. Exit status 1 when the logger did not answer properly."},
    {kPortOption, kMaxSpeedOption, kTraceOption, kForceTraceOption},
    0,
    0,
    RunInfo};

STRAVENER_REGISTER_COMMAND(kInfoCommand);

}  // namespace
}  // namespace stravener::cli
