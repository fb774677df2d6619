#include "cli/command.h"

#include <cstdio>

#include "app/format.h"
#include "cli/console_text.h"

namespace stravener::cli {

const char* HelpText::Text() const { return PickTextOrEmpty(polish, english); }

const OptionSpec kHelpOption{"--help", "-h", nullptr, {"pokaż tę pomoc i zakończ", "show this help and exit"}};
const OptionSpec kLanguageOption{"--lang", nullptr, "en|pl",
                                 {"język komunikatów w tym uruchomieniu (domyślnie zapisane ustawienie, a bez "
                                  "niego język systemu)",
                                  "language of the messages for this run (default: the stored setting, else the "
                                  "system's language)"}};
const OptionSpec kPortOption{"--port", "-p", "COMn|PATH|auto",
                             {"port szeregowy: nazwa COM (COM3 lub 3), ścieżka urządzenia albo auto (port, na którym "
                              "odpowiada rejestrator) (domyślnie zapisany port)",
                              "serial port: a COM name (COM3, or 3), a device path, or auto (the port where a logger "
                              "answers) (default: the stored port)"}};
const OptionSpec kMaxSpeedOption{
    "--max-speed", nullptr, "BPS",
    {"ograniczenie prędkości odczytu śladu (domyślnie zapisane ograniczenie)",
     "speed limit for the track download (default: the stored limit)"}};
const OptionSpec kTraceOption{"--trace", nullptr, "FILE",
                              {"zapisz do pliku FILE każdy bajt wysłany do rejestratora i od niego odebrany, każdą "
                               "zmianę prędkości i pauzę, ze znacznikami czasu (dla pomocy technicznej); istniejący FILE tylko z --force",
                               "write every byte sent to and received from the logger, every speed change and pause, "
                               "with time stamps, into FILE (for support); an existing FILE only with --force"}};
const OptionSpec kForceOption{"--force", nullptr, nullptr,
                              {"zastąp plik wyjściowy, jeśli istnieje", "replace the output file when it exists"}};
const OptionSpec kForceTraceOption{"--force", nullptr, nullptr,
                                   {"zastąp plik zapisu transmisji, jeśli istnieje", "replace the trace file when it exists"}};

std::optional<std::string> Invocation::Value(const std::string& name) const {
  auto it = options_.find(name);
  if (it == options_.end()) return std::nullopt;
  return it->second;
}

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}
}  // namespace

bool RegisterCommand(const Command& command) {
  Registry().push_back(command);
  return true;
}

const std::vector<Command>& Commands() { return Registry(); }

int UsageError(const std::string& command, const std::string& message) {
  if (command.empty()) {
    PrintText(stderr, "stravener: %s\nTry 'stravener --help'.\n", message.c_str());
  } else {
    PrintText(stderr, "stravener %s: %s\nTry 'stravener %s --help'.\n", command.c_str(), message.c_str(),
              command.c_str());
  }
  return kExitUsage;
}

}  // namespace stravener::cli
