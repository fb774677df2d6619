#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace stravener::cli {

class CliHost;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// A help text in both languages, written side by side where the option or command is
// defined; --help shows the member of the run's language.
struct HelpText {
  const char* polish;
  const char* english;
  const char* Text() const;
};

struct OptionSpec {
  const char* name;       // "--force"
  const char* shortName;  // "-o", or nullptr
  const char* valueName;  // "FILE" for an option that takes a value, nullptr for a flag
  HelpText help;
};

// One run of a command: its options and operands, and the terminal host it reports to.
class Invocation {
 public:
  Invocation(std::string command, std::map<std::string, std::string> options, std::vector<std::string> operands,
             CliHost& host)
      : command_(std::move(command)), options_(std::move(options)), operands_(std::move(operands)), host_(host) {}

  const std::string& Command() const { return command_; }
  // Options by their long name ("--force"); a flag has an empty value.
  bool Has(const std::string& name) const { return options_.count(name) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
  const std::vector<std::string>& Operands() const { return operands_; }
  CliHost& Host() const { return host_; }

 private:
  std::string command_;
  std::map<std::string, std::string> options_;
  std::vector<std::string> operands_;
  CliHost& host_;
};

struct Command {
  const char* name;
  const char* operands;  // "FILE.bin", shown in the usage line; "" when none
  HelpText summary;      // one line for the command list
  HelpText description;  // the rest of its --help text (may be "")
  std::vector<OptionSpec> options;
  size_t minOperands;
  size_t maxOperands;
  int (*run)(Invocation&);
};

// Adds a command to the program; each command file registers itself at start-up.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// Options every command takes.
extern const OptionSpec kHelpOption;
extern const OptionSpec kLanguageOption;
// Options of the commands that talk to a logger.
extern const OptionSpec kPortOption;
extern const OptionSpec kMaxSpeedOption;
extern const OptionSpec kTraceOption;
// Option of the commands that write a track file.
extern const OptionSpec kForceOption;
// The same for the other commands that talk to a logger: for the trace file alone.
extern const OptionSpec kForceTraceOption;

// Reports wrong usage on stderr (with a hint to --help) and gives exit status 2.
int UsageError(const std::string& command, const std::string& message);

}  // namespace stravener::cli

#define STRAVENER_CLI_CONCAT_(a, b) a##b
#define STRAVENER_CLI_CONCAT(a, b) STRAVENER_CLI_CONCAT_(a, b)
// Registers a command defined in this file.
#define STRAVENER_REGISTER_COMMAND(command) \
  static const bool STRAVENER_CLI_CONCAT(registered_, __LINE__) = ::stravener::cli::RegisterCommand(command)
