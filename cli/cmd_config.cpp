// stravener config: shows or changes the logger's one setting, the number of points it
// skips between two writes to its track memory.

#include <cstdio>
#include <string>

#include "app/format.h"
#include "app/language.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/console_text.h"
#include "cli/port_session.h"
#include "logger/configuration_dialog.h"
#include "logger/configure_logger.h"
#include "logger/logger_info.h"

namespace stravener::cli {
namespace {

const OptionSpec kSkipOption{"--skip", nullptr, "N",
                             {"pomijaj N punktów (od 1 do 255) pomiędzy dwoma zapisami",
                              "skip N points (1 to 255) between two writes"}};
const OptionSpec kNoSkipOption{"--no-skip", nullptr, nullptr, {"zapisuj każdy punkt", "write every point"}};

// The configuration dialog's controls as the options set them: the box ticked for --skip
// with N in the number field, cleared for --no-skip.
class OptionControls : public ConfigurationDialogView {
 public:
  OptionControls(bool skip, std::string number) : skip_(skip), number_(std::move(number)) {}

  std::string NumberFieldText() const override { return field_; }
  void SetNumberFieldText(const std::string& text) override { field_ = text; }
  void EnableNumberField(bool) override {}
  void FocusNumberField() override {}
  void SelectAllOfNumberField() override {}
  bool SkipBoxChecked() const override { return box_; }
  void SetSkipBoxChecked(bool checked) override { box_ = checked; }
  void ShowRangeWarning(const std::string& text) override { PrintText(stderr, "%s\n", text.c_str()); }

  // Opens the dialog on the logger's value, sets the controls as the user would, and
  // presses Save: true when the dialog accepts it.
  bool Answer(ConfigurationDialog& dialog) {
    dialog.Attach(this);
    dialog.InitDialog();
    box_ = skip_;
    field_ = number_;
    const bool saved = dialog.OnSave();
    dialog.Attach(nullptr);
    return saved;
  }

 private:
  bool skip_;
  std::string number_;
  std::string field_;
  bool box_ = false;
};

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

int RunConfig(Invocation& invocation) {
  const bool skip = invocation.Has(kSkipOption.name);
  const bool noSkip = invocation.Has(kNoSkipOption.name);
  if (skip && noSkip) return UsageError(invocation.Command(), "--skip and --no-skip exclude each other");
  if (!skip && !noSkip) return ShowSetting(invocation);

  std::string number;
  if (skip) {
    number = *invocation.Value(kSkipOption.name);
    // The dialog's number field takes digits only.
    if (!AllDigits(number)) return UsageError(invocation.Command(), "--skip takes a number from 1 to 255");
    // The same check the dialog makes, before the logger is touched.
    ConfigurationDialog check;
    OptionControls controls(true, number);
    if (!controls.Answer(check)) return kExitUsage;
  }
  invocation.Host().SetConfigurationHandler([skip, number](ConfigurationDialog& dialog) {
    OptionControls controls(skip, number);
    return controls.Answer(dialog);
  });
  return RunOnPort(invocation, [](PortConnection& connection, CliHost& host) {
    return ExitStatus(ConfigureLogger(connection, host));
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
