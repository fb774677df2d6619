// stravener ports: the machine's serial ports by COM name, with their devices.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/language.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/console_text.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "logger/port_search.h"
#include "platform/clock.h"

namespace stravener::cli {
namespace {

const OptionSpec kProbeOption{"--probe", nullptr, nullptr,
                              {"otwórz też każdy wolny port i pokaż najwyższą prędkość, jaką przyjmuje",
                               "also open each free port and show the fastest speed it accepts"}};

const OptionSpec kFindOption{
    "--find", nullptr, nullptr,
    {"wyślij do każdego portu, po kolei, zapytanie o informacje przy 4800 bit/s i wypisz porty, na których "
     "odpowiedział rejestrator",
     "send the information request to each port in turn at 4800 bit/s and list the ports where a logger answered"}};

// --find: one line on stdout for each port where a logger answered; the ports that do not
// open, with their reasons, and those that stay silent go to stderr as they are tried.
int FindLoggers(const std::vector<PortEntry>& entries, size_t nameWidth, size_t deviceWidth) {
  size_t answered = 0;
  SearchPortsForLogger(entries, SystemSerialOpener(), SystemClock(), [&](const PortSearchResult& result) {
    const std::string name = result.port.comName.empty() ? "-" : result.port.comName;
    switch (result.outcome) {
      case PortSearchResult::Outcome::Answered: {
        ++answered;
        const std::string found = DescribeLoggerFound(result.info);
        PrintText(stdout, "%-*s  %-*s  %s\n", static_cast<int>(nameWidth), name.c_str(), static_cast<int>(deviceWidth),
                  result.port.device.c_str(), found.c_str());
        std::fflush(stdout);
        break;
      }
      case PortSearchResult::Outcome::Silent:
        PrintText(stderr, "%-*s  %-*s  %s\n", static_cast<int>(nameWidth), name.c_str(), static_cast<int>(deviceWidth),
                  result.port.device.c_str(), PickTextOrEmpty("brak odpowiedzi", "no answer"));
        break;
      case PortSearchResult::Outcome::CannotOpen: {
        const std::string why = DescribeOpenFailure(result.code);
        PrintText(stderr, "%-*s  %-*s  %s: %s\n", static_cast<int>(nameWidth), name.c_str(),
                  static_cast<int>(deviceWidth), result.port.device.c_str(),
                  PickTextOrEmpty("nie otwiera się", "does not open"), why.c_str());
        break;
      }
    }
    return true;
  });
  if (answered != 0) return kExitOk;
  PrintText(stderr, "%s\n",
            PickTextOrEmpty("Na żadnym porcie nie odpowiedział logger.", "No logger answered on any port."));
  return kExitFailure;
}

int RunPorts(Invocation& invocation) {
  const std::vector<PortEntry> entries = EnumeratePorts();
  const bool find = invocation.Has(kFindOption.name);
  if (entries.empty()) {
    PrintText(stdout, "%s\n", PickTextOrEmpty("Nie znaleziono portów szeregowych.", "No serial ports found."));
    return find ? kExitFailure : kExitOk;
  }
  const bool probe = invocation.Has(kProbeOption.name);
  size_t nameWidth = 4;
  size_t deviceWidth = 6;
  for (const PortEntry& entry : entries) {
    nameWidth = std::max(nameWidth, entry.comName.size());
    deviceWidth = std::max(deviceWidth, entry.device.size());
  }
  if (find) return FindLoggers(entries, nameWidth, deviceWidth);
  for (const PortEntry& entry : entries) {
    // A device without a COM number is still usable with --port and its path.
    const std::string name = entry.comName.empty() ? "-" : entry.comName;
    std::string speed;
    if (probe) {
      // The probe opens the port exclusively; a port in use gives the lowest probe speed.
      const uint32_t fastest = ProbeMaxSpeedOf(entry.comName.empty() ? entry.device : entry.comName);
      speed = std::to_string(fastest) + " bps  ";
    }
    PrintText(stdout, "%-*s  %-*s  %s%s\n", static_cast<int>(nameWidth), name.c_str(), static_cast<int>(deviceWidth),
              entry.device.c_str(), speed.c_str(), entry.description.c_str());
  }
  return kExitOk;
}

const Command kPortsCommand{
    "ports",
    "",
    {"wypisz porty szeregowe wg nazw COM, z ich urządzeniami",
     "list the serial ports by COM name, with their devices"},
    {"Wypisuje istniejące porty szeregowe: dowiązania COMn w folderze portów użytkownika\n"
     "(~/.config/Quillet/ports/COMn, dowiązanie symboliczne do urządzenia), potem znalezione\n"
     "urządzenia, numerowane ttyS k -> COM(k+1), ttyUSB k -> COM(k+33), ttyACM k -> COM(k+65),\n"
     "rfcomm k -> COM(k+97). Urządzenie pokazane z \"-\" nie ma nazwy COM; podaj jego ścieżkę\n"
     "w --port. Z --find na stdout trafiają tylko porty, na których odpowiedział rejestrator\n"
     "(kod wyjścia 1, gdy nie odpowiedział na żadnym); wysyłane jest tylko zdanie uwagi i\n"
     "zapytanie o informacje.",
     "Lists the serial ports that exist: the links COMn in the per-user ports folder\n"
     "(~/.config/Quillet/ports/COMn, a symbolic link to a device), then the devices found,\n"
     "numbered ttyS k -> COM(k+1), ttyUSB k -> COM(k+33), ttyACM k -> COM(k+65),\n"
     "rfcomm k -> COM(k+97). A device shown with \"-\" has no COM name; give --port its path.\n"
     "With --find, only the ports where a logger answered are listed on stdout (exit status 1\n"
     "when none did); nothing but the attention and information sentences is sent."},
    {kProbeOption, kFindOption},
    0,
    0,
    RunPorts};

STRAVENER_REGISTER_COMMAND(kPortsCommand);

}  // namespace
}  // namespace stravener::cli
