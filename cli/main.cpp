// stravener: the tool's operations from a terminal, for scripts and headless use.

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/settings_store.h"
#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/console_text.h"
#if defined(_WIN32)
#include "cli/windows_console.h"
#endif

namespace stravener::cli {
namespace {

std::vector<const OptionSpec*> OptionsOf(const Command& command) {
  std::vector<const OptionSpec*> all{&kHelpOption, &kLanguageOption};
  for (const OptionSpec& option : command.options) all.push_back(&option);
  return all;
}

const OptionSpec* FindOption(const std::vector<const OptionSpec*>& options, const std::string& name) {
  for (const OptionSpec* option : options) {
    if (name == option->name || (option->shortName != nullptr && name == option->shortName)) return option;
  }
  return nullptr;
}

// Whether any command's option of this name takes a value: needed to find the command
// name when options stand before it.
bool AnyOptionTakesValue(const std::string& name) {
  if (name == kLanguageOption.name) return true;
  for (const Command& command : Commands()) {
    for (const OptionSpec& option : command.options) {
      if ((name == option.name || (option.shortName != nullptr && name == option.shortName)) &&
          option.valueName != nullptr) {
        return true;
      }
    }
  }
  return false;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : Commands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

const OptionSpec kVersionOption{"--version", nullptr, nullptr,
                                {"pokaż wersję i zakończ", "show the version and exit"}};

void PrintOptions(const std::vector<const OptionSpec*>& options) {
  for (const OptionSpec* option : options) {
    std::string left = "  ";
    left += option->shortName != nullptr ? std::string(option->shortName) + ", " : std::string("    ");
    left += option->name;
    if (option->valueName != nullptr) left += std::string(" ") + option->valueName;
    PrintText(stdout, "%-30s %s\n", left.c_str(), option->help.Text());
  }
}

void PrintClosingLines() {
  PrintText(stdout, "\n%s\n%s\n",
            PickTextOrEmpty("Opcje mogą stać przed nazwą polecenia albo po niej.",
                            "Options may stand before or after the command name."),
            PickTextOrEmpty("Kod wyjścia: 0 po powodzeniu, 1 po niepowodzeniu, 2 przy błędnym użyciu, 130 po "
                            "przerwaniu (Ctrl+C).",
                            "Exit status: 0 on success, 1 on failure, 2 on wrong usage, 130 when stopped (Ctrl+C)."));
}

void PrintCommandHelp(const Command& command) {
  PrintText(stdout, "%s stravener %s%s%s [%s]\n\n%s\n", PickTextOrEmpty("Użycie:", "Usage:"), command.name,
            command.operands[0] ? " " : "", command.operands, PickTextOrEmpty("OPCJE", "OPTIONS"),
            command.summary.Text());
  if (command.description.Text()[0] != '\0') PrintText(stdout, "\n%s\n", command.description.Text());
  PrintText(stdout, "\n%s\n", PickTextOrEmpty("Opcje:", "Options:"));
  PrintOptions(OptionsOf(command));
  PrintClosingLines();
}

void PrintProgramHelp() {
  PrintText(stdout, "%s\n\n%s\n\n%s\n",
            PickTextOrEmpty("Użycie: stravener POLECENIE [OPCJE]", "Usage: stravener COMMAND [OPTIONS]"),
            PickTextOrEmpty("Obsługuje rejestrator GPS Stravener przez port szeregowy i przekształca zapisane\n"
                            "binarne pliki śladu w pliki PLT, GPX lub KML albo obrazy SVG.",
                            "Services the Stravener GPS track logger over a serial port, and converts saved\n"
                            "binary track files into PLT, GPX or KML files or SVG pictures."),
            PickTextOrEmpty("Polecenia:", "Commands:"));
  for (const Command& command : Commands()) PrintText(stdout, "  %-12s %s\n", command.name, command.summary.Text());
  PrintText(stdout, "\n%s\n",
            PickTextOrEmpty("Opcje ogólne (stravener POLECENIE --help pokazuje opcje polecenia):",
                            "Global options (stravener COMMAND --help shows a command's options):"));
  PrintOptions({&kHelpOption, &kLanguageOption, &kVersionOption});
  PrintClosingLines();
}

// The language of the run: --lang when it names one, else the stored setting (at a first
// start the system's), English for a stored value that is neither. A wrong --lang is
// reported once the command line has been read.
int LanguageOfRun(const std::string& languageArgument) {
  if (languageArgument == "pl") return kPolish;
  if (languageArgument == "en") return kEnglish;
  const int32_t stored = ReadLanguageSetting();
  return stored == kPolish || stored == kEnglish ? stored : kEnglish;
}

// What a first look at the command line finds, before the command is known: the command
// name (the first operand that is not an option's value), the --lang argument, which the
// help follows too, and whether --help or --version stand there.
struct CommandLineOutline {
  std::string commandName;
  std::string languageArgument;
  bool sawHelp = false;
  bool sawVersion = false;
};

CommandLineOutline OutlineOf(const std::vector<std::string>& args) {
  CommandLineOutline outline;
  const std::string languagePrefix = std::string(kLanguageOption.name) + "=";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      if (i + 1 < args.size() && outline.commandName.empty()) outline.commandName = args[i + 1];
      break;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      if (arg == "--help" || arg == "-h") outline.sawHelp = true;
      if (arg == "--version") outline.sawVersion = true;
      if (outline.languageArgument.empty() && arg == kLanguageOption.name && i + 1 < args.size()) {
        outline.languageArgument = args[i + 1];
      } else if (outline.languageArgument.empty() && arg.rfind(languagePrefix, 0) == 0) {
        outline.languageArgument = arg.substr(languagePrefix.size());
      }
      if (arg.find('=') == std::string::npos && AnyOptionTakesValue(arg)) ++i;
      continue;
    }
    if (outline.commandName.empty()) outline.commandName = arg;
  }
  return outline;
}

// "stravener help [COMMAND]"
int RunHelpCommand(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "help" && i + 1 < args.size()) {
      if (const Command* command = FindCommand(args[i + 1])) {
        PrintCommandHelp(*command);
        return kExitOk;
      }
      return UsageError("", "unknown command '" + args[i + 1] + "'");
    }
  }
  PrintProgramHelp();
  return kExitOk;
}

struct CommandArguments {
  std::map<std::string, std::string> options;  // by their long names
  std::vector<std::string> operands;
};

// Reads every option against the command's list; the command name itself is skipped once.
// A wrong option is reported as wrong usage, and nothing is returned.
std::optional<CommandArguments> ReadCommandArguments(const Command& command, const std::vector<std::string>& args) {
  const std::string commandName = command.name;
  const std::vector<const OptionSpec*> known = OptionsOf(command);
  const auto wrongUsage = [&](const std::string& message) {
    UsageError(commandName, message);
    return std::nullopt;
  };
  CommandArguments read;
  std::map<std::string, std::string>& options = read.options;
  bool commandSkipped = false;
  bool onlyOperands = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (!onlyOperands && arg == "--") {
      onlyOperands = true;
      continue;
    }
    if (onlyOperands || arg.size() < 2 || arg[0] != '-') {
      if (!commandSkipped && arg == commandName) {
        commandSkipped = true;
      } else {
        read.operands.push_back(arg);
      }
      continue;
    }
    std::string value;
    bool hasInlineValue = false;
    if (const size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasInlineValue = true;
    }
    const OptionSpec* option = FindOption(known, arg);
    if (option == nullptr) return wrongUsage("unknown option '" + arg + "'");
    if (option->valueName != nullptr) {
      if (!hasInlineValue) {
        if (i + 1 >= args.size()) {
          return wrongUsage(std::string("option ") + option->name + " needs " + option->valueName);
        }
        value = args[++i];
      }
    } else if (hasInlineValue) {
      return wrongUsage(std::string("option ") + option->name + " takes no value");
    }
    if (options.count(option->name) != 0 && option->valueName != nullptr && options[option->name] != value) {
      return wrongUsage(std::string("option ") + option->name + " given twice");
    }
    options[option->name] = value;
  }
  return read;
}

// Whether the --lang value and the number of operands fit the command; wrong usage is
// reported.
bool ArgumentsFitCommand(const Command& command, const CommandArguments& read) {
  if (auto it = read.options.find(kLanguageOption.name);
      it != read.options.end() && it->second != "pl" && it->second != "en") {
    UsageError(command.name, "--lang takes en or pl");
    return false;
  }
  if (read.operands.size() < command.minOperands) {
    UsageError(command.name, std::string("missing ") + command.operands);
    return false;
  }
  if (read.operands.size() > command.maxOperands) {
    UsageError(command.name, "unexpected operand '" + read.operands[command.maxOperands] + "'");
    return false;
  }
  return true;
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CommandLineOutline outline = OutlineOf(args);
  if (outline.commandName.empty() && outline.sawVersion) {
    PrintText(stdout, "stravener %s\n", STRAVENER_VERSION_TEXT);
    return kExitOk;
  }
  Language = LanguageOfRun(outline.languageArgument);
  if (outline.commandName.empty()) {
    PrintProgramHelp();
    return outline.sawHelp ? kExitOk : kExitUsage;
  }
  if (outline.commandName == "help") return RunHelpCommand(args);
  const Command* command = FindCommand(outline.commandName);
  if (command == nullptr) return UsageError("", "unknown command '" + outline.commandName + "'");

  std::optional<CommandArguments> read = ReadCommandArguments(*command, args);
  if (!read) return kExitUsage;
  if (read->options.count(kHelpOption.name) != 0) {
    PrintCommandHelp(*command);
    return kExitOk;
  }
  if (!ArgumentsFitCommand(*command, *read)) return kExitUsage;

  CliHost host;
  Invocation invocation(command->name, std::move(read->options), std::move(read->operands), host);
  return command->run(invocation);
}

}  // namespace
}  // namespace stravener::cli

#if defined(_WIN32)
int main() {
  stravener::cli::WindowsConsole console;
  std::vector<std::string> arguments = stravener::cli::Utf8Arguments();
  if (arguments.empty()) arguments.push_back("stravener");
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return stravener::cli::Run(static_cast<int>(arguments.size()), pointers.data());
}
#else
int main(int argc, char** argv) { return stravener::cli::Run(argc, argv); }
#endif
