// stravener upgrade: loads a firmware image into the logger through its boot loader.

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/format.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/command_files.h"
#include "cli/console_text.h"
#include "cli/port_session.h"
#include "logger/firmware_upgrade.h"
#include "platform/utf8_path.h"

namespace stravener::cli {
namespace {

const OptionSpec kByteByByteOption{
    "--byte-by-byte", nullptr, nullptr,
    {"wysyłaj programowi rozruchowemu każdy bajt osobno, czekając na jego wysłanie (wolniej; dla programu "
     "rozruchowego, który nie przyjmuje bajtów strony jednym ciągiem)",
     "send the boot loader every byte by itself, waiting until it has left (slower; for a boot loader that cannot "
     "take a page's bytes back to back)"}};

int RunUpgrade(Invocation& invocation) {
  const std::string file = invocation.Operands().front();
  if (file.empty()) return UsageError(invocation.Command(), "the firmware file name is empty");
  // As the file dialog does: only an existing file can be chosen. The logger is not handed
  // over to its boot loader for a file that is not there.
  std::error_code error;
  if (!std::filesystem::is_regular_file(PathFromUtf8(file), error)) {
    const std::string message = FORMAT_PAIR("stravener upgrade: %s: nie ma takiego pliku", 
                                            "stravener upgrade: %s: no such file", file.c_str());
    PrintText(stderr, "%s\n", message.c_str());
    return kExitFailure;
  }
  // The image is the command's input: the trace may not take its name.
  CommandFiles files;
  files.input = file;
  const std::string path = AbsolutePath(file);
  UpgradeOptions options;
  options.byteByByte = invocation.Has(kByteByByteOption.name);
  return RunOnPort(
      invocation,
      [&path, options](PortConnection& connection, CliHost& cliHost) {
        const int result = UpgradeFirmware(connection, cliHost, path, true, options);
        return ExitStatus(result == 0 ? OperationResult::Done : OperationResult::Failed);
      },
      &files);
}

const Command kUpgradeCommand{
    "upgrade",
    "FILE.upg",
    {"wgraj nowe oprogramowanie do rejestratora przez jego program rozruchowy",
     "load new firmware into the logger through its boot loader"},
    {"Przekazuje rejestrator programowi rozruchowemu jego procesora (albo zastaje go tam,\n"
     "gdzie zostawił go przerwany apgrejd), rozpoznaje procesor, czyści jego pamięć programu\n"
     "i zapisuje FILE.upg strona po stronie, po czym go restartuje. Port jest potem\n"
     "zamykany. Nie odłączaj rejestratora w trakcie. Pasek postępu idzie na stderr. Kod\n"
     "wyjścia 0, gdy obraz zapisano i procesor zrestartowano. Każda strona idzie jednym\n"
     "zapisem; gdy program rozruchowy jej nie przyjmie, apgrejd biegnie jeszcze raz, każdy\n"
     "bajt wysyłany osobno, jak od początku z --byte-by-byte.",
     "Hands the logger over to its processor's boot loader (or finds it there, where a stopped\n"
     "upgrade left it), identifies the processor, erases its program memory and writes\n"
     "FILE.upg page by page, then restarts it. The port is closed afterwards. Do not\n"
     "disconnect the logger while this runs. A progress bar goes to stderr. Exit status 0\n"
     "when the image was written and the processor restarted. Each page goes out in one\n"
     "write; when the boot loader does not take it, the upgrade runs once more with every\n"
     "byte sent by itself, as --byte-by-byte does from the start."},
    {kPortOption, kMaxSpeedOption, kTraceOption, kForceTraceOption, kByteByByteOption},
    1,
    1,
    RunUpgrade};

STRAVENER_REGISTER_COMMAND(kUpgradeCommand);

}  // namespace
}  // namespace stravener::cli
