// stravener setup: shows or stores the settings the desktop program and the command line
// share (the COM port, the speed limit and the interface language).

#include <cstdio>
#include <string>

#include "app/language.h"
#include "app/settings_store.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/console_text.h"
#include "cli/port_argument.h"

namespace stravener::cli {
namespace {

const OptionSpec kSetupPort{"--port", "-p", "COMn", {"zapisz port COM (COM7 lub 7)", "store the COM port (COM7 or 7)"}};
const std::string kSetupSpeedPolish = "zapisz ograniczenie prędkości: " + SpeedLimitChoices("lub");
const std::string kSetupSpeedEnglish = "store the speed limit: " + SpeedLimitChoices("or");
const OptionSpec kSetupSpeed{"--max-speed", nullptr, "BPS", {kSetupSpeedPolish.c_str(), kSetupSpeedEnglish.c_str()}};
const OptionSpec kSetupLanguage{"--language", nullptr, "en|pl",
                                {"zapisz język interfejsu", "store the interface language"}};

int RunSetup(Invocation& invocation) {
  uint32_t port = 0;
  uint32_t speed = 0;
  LoadPortSettings(port, speed);
  int32_t language = ReadLanguageSetting();
  bool changed = false;

  if (auto text = invocation.Value(kSetupPort.name)) {
    const auto number = ParseComPortNumber(*text);
    if (!number) return UsageError(invocation.Command(), "--port takes a COM name such as COM7, or its number");
    port = *number;
    changed = true;
  }
  if (auto text = invocation.Value(kSetupSpeed.name)) {
    const auto limit = ParseSpeedLimit(*text);
    if (!limit) {
      return UsageError(invocation.Command(), "--max-speed takes " + SpeedLimitChoices("or"));
    }
    speed = *limit;
    changed = true;
  }
  if (auto text = invocation.Value(kSetupLanguage.name)) {
    if (*text == "pl") {
      language = kPolish;
    } else if (*text == "en") {
      language = kEnglish;
    } else {
      return UsageError(invocation.Command(), "--language takes en or pl");
    }
    changed = true;
  }
  if (changed) SaveSettings(language, port, speed);

  const char* languageName = language == kPolish ? "pl" : language == kEnglish ? "en" : "?";
  PrintText(stdout, "%s COM%u\n", PickTextOrEmpty("Port:", "Port:"), port);
  PrintText(stdout, "%s %u bps\n", PickTextOrEmpty("Maksymalna prędkość transferu:", "Data transfer speed limit:"),
            speed);
  PrintText(stdout, "%s %s (%d)\n", PickTextOrEmpty("Język:", "Language:"), languageName, language);
  return kExitOk;
}

const Command kSetupCommand{
    "setup",
    "",
    {"pokaż lub zapisz port COM, ograniczenie prędkości i język",
     "show or store the COM port, the speed limit and the language"},
    {"Bez opcji pokazuje zapisane ustawienia (bez zapisanego języka: język systemu). Z\n"
     "opcjami zapisuje podane wartości i zachowuje pozostałe. Program okienkowy czyta te\n"
     "same ustawienia.",
     "Without options, shows the stored settings (with no stored language: the system's).\n"
     "With options, stores the values given and keeps the others. The desktop program reads\n"
     "the same settings."},
    {kSetupPort, kSetupSpeed, kSetupLanguage},
    0,
    0,
    RunSetup};

STRAVENER_REGISTER_COMMAND(kSetupCommand);

}  // namespace
}  // namespace stravener::cli
