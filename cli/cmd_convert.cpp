// stravener convert: turns a saved binary track file into an OziExplorer PLT file, as
// dropping the file on the desktop window does.

#include "app/language.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "track/binary_conversion.h"

namespace stravener::cli {
namespace {

const OptionSpec kOutputOption{"--output", "-o", "OUT",
                               "the PLT file to write (default: YYYYMMDD_log.plt of today, in the current folder; "
                               "\".plt\" is added to a name without an extension)"};

int RunConvert(Invocation& invocation) {
  CliHost& host = invocation.Host();
  const std::string input = invocation.Operands().front();
  if (input.empty()) return UsageError(invocation.Command(), "the input file name is empty");
  if (auto output = invocation.Value(kOutputOption.name)) {
    if (output->empty()) return UsageError(invocation.Command(), "--output takes a file name");
    host.SetOutputPath(*output);
  }
  host.SetForce(invocation.Has(kForceOption.name));
  host.SetInputPath(input);
  return ConvertBinaryTrackFile(host, AbsolutePath(input)) ? kExitOk : kExitFailure;
}

const Command kConvertCommand{
    "convert",
    "FILE.bin",
    "convert a saved binary track file into an OziExplorer PLT file",
    "Reads every 16-byte record of FILE.bin as the logger stores it (layout 2) and writes\n"
    "one PLT point line for each. The event log goes to stderr. The status is 0 only when\n"
    "the whole file was converted; a failure leaves the lines written before it.",
    {kOutputOption, kForceOption},
    1,
    1,
    RunConvert};

STRAVENER_REGISTER_COMMAND(kConvertCommand);

}  // namespace
}  // namespace stravener::cli
