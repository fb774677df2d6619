#include "sim/sim_command_line.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "app/format.h"
#include "sim/program_memory.h"

namespace stravener::sim {

namespace {

bool ParseUnsigned(const std::string& text, uint64_t low, uint64_t high, uint64_t& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hex digits with optional separators (space, comma, colon, dash) into exactly `count`
// bytes.
bool ParseHexBytes(const std::string& text, uint8_t* out, size_t count) {
  std::string digits;
  for (const char c : text) {
    if (c == ' ' || c == ',' || c == ':' || c == '-') continue;
    if (HexDigit(c) < 0) return false;
    digits += c;
  }
  if (digits.size() != count * 2) return false;
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<uint8_t>(HexDigit(digits[2 * i]) << 4 | HexDigit(digits[2 * i + 1]));
  }
  return true;
}

// DD.MM.YYYY into the packed decimal day, month, century and year.
bool ParseDate(const std::string& text, std::array<uint8_t, 4>& out) {
  if (text.size() != 10 || text[2] != '.' || text[5] != '.') return false;
  for (const size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u}) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  const auto pack = [&](size_t i) { return static_cast<uint8_t>((text[i] - '0') << 4 | (text[i + 1] - '0')); };
  const int day = (text[0] - '0') * 10 + (text[1] - '0');
  const int month = (text[3] - '0') * 10 + (text[4] - '0');
  if (day < 1 || day > 31 || month < 1 || month > 12) return false;
  out = {pack(0), pack(3), pack(6), pack(8)};
  return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

std::string SimHelpText() {
  return "Usage: stravener-sim [OPTIONS]\n"
         "\n"
         "A simulated Stravener GPS track logger, with its processor's boot loader, on a\n"
         "pseudo-terminal. Prints the path of the line (the serial port the tool opens) on\n"
         "the first line of its output and runs until it is interrupted (Ctrl+C or SIGTERM).\n"
         "The line behaves like the real one: commands at 4800 bit/s only 100 ms or more\n"
         "after the attention sentence, answers paced at the line speed, and bytes garbled\n"
         "when the two sides run at different speeds.\n"
         "\n"
         "The line:\n"
         "  --com N              also make the port COMN for the tool: a link\n"
         "                       ~/.config/Quillet/ports/COMN (removed on exit)\n"
         "  --link PATH          also make a link to the line at PATH (for instance in a\n"
         "                       Wine prefix's dosdevices folder; removed on exit)\n"
         "  --no-pace            send answers at once instead of at the line speed\n"
         "  --adapter-limit N    a USB adapter that cannot hold more than N bit/s: every\n"
         "                       track block sent faster arrives with a bad checksum\n"
         "  -v, --verbose        trace every sentence, byte and answer with times on stderr\n"
         "\n"
         "The logger:\n"
         "  --pages N            pages of track memory (default 2048)\n"
         "  --page-size N        bytes per page (default 256)\n"
         "  --layout 1|2         record layout of the synthetic track (default 2)\n"
         "  --points N           points of the synthetic track (default 5000)\n"
         "  --track FILE.bin     fill the memory with this file instead\n"
         "  --firmware TEXT      firmware version, up to 4 characters (default 2.10, or\n"
         "                       1.05 with --layout 1); its first character is the layout\n"
         "  --serial XX-XXXXXX   serial number, 8 hex digits (default 01-001234)\n"
         "  --date DD.MM.YYYY    production date (default 15.03.2006)\n"
         "  --skip N             points skipped between writes, 0-255 (default 0)\n"
         "\n"
         "The boot loader:\n"
         "  --signature XXXXXX   processor signature: 07931E (64-byte pages), 02951E\n"
         "                       (128-byte pages, the default) or 02971E (256-byte pages)\n"
         "  --image-out FILE     save the programmed image to FILE when the boot loader\n"
         "                       restarts the logger ('r'): program memory from address 0\n"
         "                       to the end of the highest page written since the erase\n"
         "\n"
         "Faults (--fault KIND@N, repeatable; each fires once):\n"
         "  N counts the frames the logger answers (information, erase, configuration\n"
         "  and track block frames together), from 1:\n"
         "    checksum@N         the frame carries a wrong checksum\n"
         "    length@N           its length word is one more than its payload\n"
         "    short@N            it stops halfway through its payload\n"
         "    silent@N           it is not sent at all\n"
         "    garbage@N          three stray bytes go out before it\n"
         "    vanish@N           the device disappears halfway through it: the line is\n"
         "                       closed as when a USB adapter is unplugged\n"
         "  For the boot loader:\n"
         "    signature@K        the first K signature requests get the bytes reversed\n"
         "    ack@P              the page write of page P (from 0) is acknowledged with 0x0A\n"
         "    noack@P            the page write of page P is not acknowledged\n"
         "\n"
         "  -h, --help           show this help\n"
         "\n"
         "Exit status: 0 after an interruption, 1 when the line cannot be set up, 2 on\n"
         "wrong usage.\n";
}

namespace {

// One run of the arguments: where the reading is, and what it has found so far.
class ArgumentReader {
 public:
  ArgumentReader(const std::vector<std::string>& args, std::string& error) : args_(args), error_(error) {}

  // Moves to the next argument: false after the last. An option "--name=value" has its
  // value inline.
  bool Next() {
    if (++index_ >= args_.size()) return false;
    name_ = args_[index_];
    inlineValue_.reset();
    if (name_.rfind("--", 0) == 0) {
      const size_t equals = name_.find('=');
      if (equals != std::string::npos) {
        inlineValue_ = name_.substr(equals + 1);
        name_.resize(equals);
      }
    }
    return true;
  }
  // The option's name, without an inline value.
  const std::string& Name() const { return name_; }
  // The argument as given.
  const std::string& Argument() const { return args_[index_]; }
  // The option's value: inline, else the next argument.
  bool Value(std::string& out) {
    if (inlineValue_) {
      out = *inlineValue_;
      return true;
    }
    if (index_ + 1 >= args_.size()) {
      error_ = name_ + " needs a value";
      return false;
    }
    out = args_[++index_];
    return true;
  }
  // A flag takes no value.
  bool Flag() {
    if (inlineValue_) {
      error_ = name_ + " takes no value";
      return false;
    }
    return true;
  }

 private:
  const std::vector<std::string>& args_;
  std::string& error_;
  size_t index_ = static_cast<size_t>(-1);
  std::string name_;
  std::optional<std::string> inlineValue_;
};

// What the options set: the program's options and the track file to read once all are in.
struct ParsedOptions {
  SimProgramOptions& options;
  std::optional<std::string> trackPath;
};

// An option with a value: takes the value into `parsed`, or says in `error` why not.
using ValueRule = bool (*)(const std::string& name, std::string& value, ParsedOptions& parsed, std::string& error);

bool Refuse(std::string& error, std::string why) {
  error = std::move(why);
  return false;
}

bool TakeAdapterLimit(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  uint64_t number = 0;
  if (!ParseUnsigned(value, 4800, 460800, number)) {
    return Refuse(error, "--adapter-limit takes a speed from 4800 to 460800 bit/s");
  }
  parsed.options.logger.adapterCeiling = static_cast<uint32_t>(number);
  return true;
}

bool TakeComPort(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  if (value.rfind("COM", 0) == 0 || value.rfind("com", 0) == 0) value.erase(0, 3);
  uint64_t number = 0;
  if (!ParseUnsigned(value, 1, 255, number)) return Refuse(error, "--com takes a port number from 1 to 255");
  parsed.options.comPort = static_cast<uint32_t>(number);
  return true;
}

bool TakeLink(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  if (value.empty()) return Refuse(error, "--link needs a path");
  parsed.options.links.push_back(value);
  return true;
}

// --pages and --page-size.
bool TakePages(const std::string& name, std::string& value, ParsedOptions& parsed, std::string& error) {
  uint64_t number = 0;
  if (!ParseUnsigned(value, 1, 65535, number)) return Refuse(error, name + " takes a number from 1 to 65535");
  SimulatedLoggerOptions& logger = parsed.options.logger;
  (name == "--pages" ? logger.pageCount : logger.pageSize) = static_cast<uint16_t>(number);
  return true;
}

bool TakeLayout(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  if (value != "1" && value != "2") return Refuse(error, "--layout takes 1 or 2");
  parsed.options.logger.layout = value[0] - '0';
  return true;
}

bool TakePoints(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  uint64_t number = 0;
  if (!ParseUnsigned(value, 0, 0xFFFFFFFFu, number)) return Refuse(error, "--points takes a number");
  parsed.options.logger.points = static_cast<uint32_t>(number);
  return true;
}

bool TakeTrack(const std::string&, std::string& value, ParsedOptions& parsed, std::string&) {
  parsed.trackPath = value;
  return true;
}

bool TakeFirmware(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  bool printable = !value.empty() && value.size() <= 4;
  for (const char c : value) printable = printable && c > ' ' && c < 0x7F;
  if (!printable) return Refuse(error, "--firmware takes one to four printable characters");
  parsed.options.logger.firmware = value;
  return true;
}

bool TakeSerial(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  if (!ParseHexBytes(value, parsed.options.logger.serial.data(), 4)) {
    return Refuse(error, "--serial takes 8 hex digits, for instance 01-001234");
  }
  return true;
}

bool TakeDate(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  if (!ParseDate(value, parsed.options.logger.productionDate)) {
    return Refuse(error, "--date takes a date as DD.MM.YYYY, for instance 15.03.2006");
  }
  return true;
}

bool TakeSkip(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  uint64_t number = 0;
  if (!ParseUnsigned(value, 0, 255, number)) return Refuse(error, "--skip takes a number from 0 to 255");
  parsed.options.logger.skip = static_cast<uint8_t>(number);
  return true;
}

bool TakeSignature(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  std::array<uint8_t, 3> signature{};
  if (!ParseHexBytes(value, signature.data(), 3) || FindProcessorProfile(signature) == nullptr) {
    return Refuse(error, "--signature takes 07931E, 02951E or 02971E");
  }
  parsed.options.logger.signature = signature;
  return true;
}

bool TakeImageOut(const std::string&, std::string& value, ParsedOptions& parsed, std::string&) {
  parsed.options.logger.imageOut = value;
  return true;
}

bool TakeFault(const std::string&, std::string& value, ParsedOptions& parsed, std::string& error) {
  std::string why;
  const std::optional<Fault> fault = ParseFault(value, &why);
  if (!fault) return Refuse(error, "--fault " + value + ": " + why);
  parsed.options.logger.faults.push_back(*fault);
  return true;
}

struct ValueOption {
  const char* name;
  ValueRule take;
};

constexpr ValueOption kValueOptions[] = {
    {"--adapter-limit", TakeAdapterLimit}, {"--com", TakeComPort},         {"--link", TakeLink},
    {"--pages", TakePages},                {"--page-size", TakePages},     {"--layout", TakeLayout},
    {"--points", TakePoints},              {"--track", TakeTrack},         {"--firmware", TakeFirmware},
    {"--serial", TakeSerial},              {"--date", TakeDate},           {"--skip", TakeSkip},
    {"--signature", TakeSignature},        {"--image-out", TakeImageOut},  {"--fault", TakeFault},
};

// Takes the option the reader is at (with its value): false on wrong usage, said in `error`.
bool TakeOption(ArgumentReader& reader, ParsedOptions& parsed, std::string& error) {
  const std::string& name = reader.Name();
  SimProgramOptions& options = parsed.options;
  if (name == "-h" || name == "--help") {
    options.help = true;
    return true;
  }
  if (name == "-v" || name == "--verbose") {
    if (!reader.Flag()) return false;
    options.verbose = true;
    return true;
  }
  if (name == "--no-pace") {
    if (!reader.Flag()) return false;
    options.logger.pace = false;
    return true;
  }
  for (const ValueOption& option : kValueOptions) {
    if (name != option.name) continue;
    std::string value;
    return reader.Value(value) && option.take(name, value, parsed, error);
  }
  return Refuse(error, "unknown option " + reader.Argument());
}

}  // namespace

ParseOutcome ParseSimCommandLine(const std::vector<std::string>& args, SimProgramOptions& options,
                                 std::string& error) {
  ParsedOptions parsed{options, std::nullopt};
  ArgumentReader reader(args, error);
  while (reader.Next()) {
    if (!TakeOption(reader, parsed, error)) return ParseOutcome::UsageError;
  }
  if (options.help) return ParseOutcome::Help;

  if (parsed.trackPath) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(*parsed.trackPath, bytes)) {
      error = "cannot read the track file " + *parsed.trackPath;
      return ParseOutcome::Failure;
    }
    options.logger.track = std::move(bytes);
  }
  return ParseOutcome::Run;
}

}  // namespace stravener::sim
