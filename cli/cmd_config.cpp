// stravener config: shows or changes the logger's one setting, the number of points it
// skips between two writes to its track memory.

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "app/format.h"
#include "app/language.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/console_text.h"
#include "cli/port_session.h"
#include "logger/configure_logger.h"
#include "logger/logger_info.h"

namespace stravener::cli {
namespace {

const OptionSpec kSkipOption{"--skip", nullptr, "N",
                             {"pomijaj N punktów (od 1 do 255) pomiędzy dwoma zapisami",
                              "skip N points (1 to 255) between two writes"}};
const OptionSpec kNoSkipOption{"--no-skip", nullptr, nullptr, {"zapisuj każdy punkt", "write every point"}};

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int ShowSetting(Invocation& invocation) {
  return RunOnPort(invocation, [](PortConnection& connection, CliHost& host) {
    LoggerInfo info;
    if (ReadLoggerInfo(connection, host.GetClock(), info) != 0) return kExitFailure;
    const unsigned skip = info.SkipSetting();
    const std::string text =
        skip == 0 ? FORMAT_PAIR("Pomijane punkty pomiędzy zapisami: %u (zapisywany jest każdy punkt)",
                                "Points skipped between writes: %u (every point is written)", skip)
                  : FORMAT_PAIR("Pomijane punkty pomiędzy zapisami: %u", "Points skipped between writes: %u", skip);
    PrintText(stdout, "%s\n", text.c_str());
    std::fflush(stdout);
    return kExitOk;
  });
}

// The value of --skip: digits only, read as a number from 1 to 255; unset, after the range
// message on stderr, for any other.
std::optional<uint8_t> SkipValue(const std::string& text) {
  unsigned value = 0;
  for (char c : text) value = std::min(value * 10 + static_cast<unsigned>(c - '0'), 1000u);
  if (value < 1 || value > 255) {
    PrintText(stderr, "%s\n", PickTextOrEmpty("Podaj liczbę z zakresu od 1 do 255.", "Input number from 1 to 255."));
    return std::nullopt;
  }
  return static_cast<uint8_t>(value);
}

int RunConfig(Invocation& invocation) {
  const bool skip = invocation.Has(kSkipOption.name);
  const bool noSkip = invocation.Has(kNoSkipOption.name);
  if (skip && noSkip) return UsageError(invocation.Command(), "--skip and --no-skip exclude each other");
  if (!skip && !noSkip) return ShowSetting(invocation);

  uint8_t value = 0;
  if (skip) {
    const std::string number = *invocation.Value(kSkipOption.name);
    if (!AllDigits(number)) return UsageError(invocation.Command(), "--skip takes a number from 1 to 255");
    // Checked before the logger is touched.
    const std::optional<uint8_t> checked = SkipValue(number);
    if (!checked) return kExitUsage;
    value = *checked;
  }
  // The information request first, as the Configuration button makes it: it finds the
  // logger and leaves the port at 4800 bit/s for the save sentence.
  return RunOnPort(invocation, [value](PortConnection& connection, CliHost& host) {
    LoggerInfo info;
    if (ReadLoggerInfo(connection, host.GetClock(), info) != 0) return kExitFailure;
    return ExitStatus(ConfigureLogger(connection, host, value));
  });
}

const Command kConfigCommand{
    "config",
    "",
    {"pokaż lub zmień, ile punktów rejestrator pomija pomiędzy zapisami",
     "show or change how many points the logger skips between writes"},
    {"Bez opcji wypisuje ustawienie rejestratora na stdout. Z --skip N albo --no-skip\n"
     "zapisuje nowe ustawienie w rejestratorze i podaje jego odpowiedź.\n"
     "Kod wyjścia 0, gdy ustawienie pokazano albo rejestrator potwierdził zapis, 1, gdy\n"
     "nie, 2 dla liczby spoza zakresu od 1 do 255.",
     "Without options, prints the logger's setting on stdout. With --skip N or --no-skip,\n"
     "saves the new setting in the logger and reports its answer.\n"
     "Exit status 0 when the setting was shown or the logger confirmed the save, 1 when\n"
     "it did not, 2 for a number outside 1 to 255."},
    {kSkipOption, kNoSkipOption, kPortOption, kMaxSpeedOption, kTraceOption, kForceTraceOption},
    0,
    0,
    RunConfig};

STRAVENER_REGISTER_COMMAND(kConfigCommand);

}  // namespace
}  // namespace stravener::cli
