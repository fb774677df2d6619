#pragma once

// What the fuzz targets share besides the test doubles of tests/support (the serial line,
// the clock, the sink and the dialog's controls): a private folder for files, and a check
// that ends the run with a finding when a rule the tool promises is broken.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "logger/boot_loader_protocol.h"
#include "support/fake_serial_device.h"
#include "support/test_host.h"

// A broken promise is a finding: libFuzzer keeps the input that caused it. What the run
// did (FuzzContext, for instance the event log) is printed first.
#define FUZZ_CHECK(condition, what)                                                           \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: check failed: %s (%s)\n", __FILE__, __LINE__, #condition, \
                   std::string(what).c_str());                                                \
      if (::stravener::fuzz::FuzzContext()) ::stravener::fuzz::FuzzContext()();               \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)

namespace stravener::fuzz {

// Prints what the current run did when a check fails; each target sets it for its run.
inline std::function<void()>& FuzzContext() {
  static std::function<void()> context;
  return context;
}

// Sets FuzzContext for one run.
class FuzzContextScope {
 public:
  explicit FuzzContextScope(std::function<void()> context) { FuzzContext() = std::move(context); }
  ~FuzzContextScope() { FuzzContext() = nullptr; }
  FuzzContextScope(const FuzzContextScope&) = delete;
  FuzzContextScope& operator=(const FuzzContextScope&) = delete;
};

// Prints an event log, one line a line, for FuzzContext.
inline void PrintLog(const EventLog& log) {
  for (const LogEntry& entry : log.Entries()) {
    std::fprintf(stderr, "  log %s: %s\n", entry.kind == LogKind::Error ? "E" : "I", entry.text.c_str());
  }
}

}  // namespace stravener::fuzz

namespace stravener::fuzz {

// The sink of a fuzz run: sleeps return at once, and the counter moves on by a millisecond
// at every look.
inline void RunAtOnce(TestHost& host) {
  host.clock.counter = 0;
  host.clock.counterStep = 1;
}

// Whether a write is one of the bytes with which a command looks for the boot loader when
// the firmware stays silent: the signature request or the restart, alone, at the boot
// loader's speed.
inline bool IsBootLoaderSearch(const FakeSerialLine& line, const std::vector<uint8_t>& bytes) {
  return bytes.size() == 1 && line.speed == kBootLoaderSpeed &&
         (bytes[0] == kSignatureCommand || bytes[0] == kRestartCommand);
}

// A folder of this fuzzing process for the files a target reads and writes; removed at
// exit.
inline const std::filesystem::path& FuzzFolder() {
  static const struct Folder {
    Folder() {
      path = std::filesystem::temp_directory_path() / ("stravener-fuzz-" + std::to_string(::getpid()));
      std::filesystem::create_directories(path);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
  } folder;
  return folder.path;
}

inline std::string FuzzFile(const std::string& name) { return (FuzzFolder() / name).string(); }

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The lines of a PLT file: each ends with CR LF.
inline size_t CountLines(const std::vector<uint8_t>& bytes) {
  size_t lines = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) lines += bytes[i] == '\r' && bytes[i + 1] == '\n';
  return lines;
}

}  // namespace stravener::fuzz
