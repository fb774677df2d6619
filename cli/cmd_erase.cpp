// stravener erase: erases the logger's track memory, after asking.

#include "app/format.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/port_session.h"
#include "logger/erase_track_memory.h"

namespace stravener::cli {
namespace {

const OptionSpec kYesOption{"--yes", "-y", nullptr, {"wyczyść bez pytania", "erase without asking"}};

int RunErase(Invocation& invocation) {
  const bool yes = invocation.Has(kYesOption.name);
  return RunOnPort(invocation, [yes](PortConnection& connection, CliHost& host) {
    // Asked once the port is open, before anything is sent; declined, nothing is.
    const char* question = PickTextOrEmpty("Czy chcesz wyczyścić pamięć śladu?", "Do you want to erase track memory?");
    if (!yes && !host.AskYesNo(question)) return ExitStatus(OperationResult::Cancelled);
    return ExitStatus(EraseTrackMemory(connection, host));
  });
}

const Command kEraseCommand{
    "erase",
    "",
    {"wyczyść pamięć śladu rejestratora (najpierw pyta)", "erase the logger's track memory (asks first)"},
    {"Zadaje na terminalu pytanie \"Czy chcesz wyczyścić pamięć śladu?\"; bez terminala\n"
     "odmawia, chyba że podano --yes. Ślad znika potem bezpowrotnie: najpierw zapisz go\n"
     "poleceniem stravener read-track (albo użyj read-track --erase-after).\n"
     "Kod wyjścia 0, gdy rejestrator potwierdził czyszczenie, 1, gdy nie potwierdził albo\n"
     "gdy odpowiedź na pytanie była przecząca.",
     "Asks \"Do you want to erase track memory?\" on the terminal; without a terminal it\n"
     "refuses unless --yes is given. The track is gone afterwards: save it first with\n"
     "stravener read-track (or use read-track --erase-after).\n"
     "Exit status 0 when the logger confirmed the erase, 1 when it did not or when the\n"
     "question was declined."},
    {kYesOption, kPortOption, kMaxSpeedOption, kTraceOption, kForceTraceOption},
    0,
    0,
    RunErase};

STRAVENER_REGISTER_COMMAND(kEraseCommand);

}  // namespace
}  // namespace stravener::cli
