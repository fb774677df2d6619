#pragma once

// What the fuzz targets share: a serial line that answers at once, a clock that never
// sleeps, a host that answers every question as told, a private folder for files, and a
// check that ends the run with a finding when a rule the tool promises is broken.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/host.h"
#include "link/serial_device.h"
#include "logger/boot_loader_protocol.h"
#include "logger/configuration_dialog.h"
#include "platform/clock.h"

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

// A serial line whose calls all return at once. Reads take what `input` holds (a read that
// finds too few bytes is a time-out); each complete write goes to `respond`, which plays
// the other end. One call, counted over all calls from 1, can be made to fail.
class FuzzSerialLine {
 public:
  std::deque<uint8_t> input;
  std::function<void(const uint8_t* data, size_t count)> respond;
  uint32_t speed = 9600;
  uint32_t maxSpeed = 460800;
  uint64_t calls = 0;
  uint64_t failAt = 0;  // 0: no call fails
  uint32_t failCode = 5;
  bool failed = false;  // the chosen call has failed
  size_t bytesRead = 0;
  bool open = false;

  // The line's opener for a PortConnection.
  SerialOpener Opener();

  uint32_t Take() {
    ++calls;
    if (failAt != 0 && calls == failAt) {
      failed = true;
      return failCode;
    }
    return 0;
  }
};

class FuzzSerialDevice final : public SerialDevice {
 public:
  explicit FuzzSerialDevice(FuzzSerialLine& line) : line_(line) { line_.open = true; }
  ~FuzzSerialDevice() override { line_.open = false; }

  uint32_t SetupQueues(uint32_t, uint32_t) override { return Call(); }
  uint32_t GetLineState(LineState& state) override {
    if (const uint32_t code = Call()) return code;
    state.speed = line_.speed;
    state.native.assign(4, 0);
    return 0;
  }
  uint32_t SetLineState(const LineState& state) override {
    if (const uint32_t code = Call()) return code;
    if (state.speed > line_.maxSpeed) return 87;
    line_.speed = state.speed;
    return 0;
  }
  uint32_t SetTimeouts(uint32_t, uint32_t) override { return Call(); }
  uint32_t Purge() override {
    if (const uint32_t code = Call()) return code;
    line_.input.clear();
    return 0;
  }
  uint32_t ClearLineErrors() override { return Call(); }
  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    received = 0;
    if (const uint32_t code = Call()) return code;
    while (received < count && !line_.input.empty()) {
      buffer[received++] = line_.input.front();
      line_.input.pop_front();
    }
    line_.bytesRead += received;
    return 0;
  }
  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    written = 0;
    if (const uint32_t code = Call()) return code;
    written = count;
    if (line_.respond) line_.respond(data, count);
    return 0;
  }
  uint32_t Flush() override { return Call(); }
  uint32_t Close() override {
    if (closed_) return kInvalidHandleCode;
    closed_ = true;
    line_.open = false;
    return line_.Take();
  }

 private:
  uint32_t Call() { return closed_ ? kInvalidHandleCode : line_.Take(); }

  FuzzSerialLine& line_;
  bool closed_ = false;
};

inline SerialOpener FuzzSerialLine::Opener() {
  return [this](const std::string&, std::unique_ptr<SerialDevice>& device) -> uint32_t {
    device.reset();
    if (const uint32_t code = Take()) return code;
    device = std::make_unique<FuzzSerialDevice>(*this);
    return 0;
  };
}

// Whether a write is one of the bytes with which a command looks for the boot loader when
// the firmware stays silent: the signature request or the restart, alone, at the boot
// loader's speed.
inline bool IsBootLoaderSearch(const FuzzSerialLine& line, const uint8_t* bytes, size_t count) {
  return count == 1 && line.speed == kBootLoaderSpeed && (bytes[0] == kSignatureCommand || bytes[0] == kRestartCommand);
}

// Sleeps return at once; the counter moves on by a millisecond at every look.
class FuzzClock : public Clock {
 public:
  LocalDate Today() override { return {2006, 3, 15}; }
  void Sleep(uint32_t milliseconds) override { slept += milliseconds; }
  int64_t Counter() override { return ++counter; }
  int64_t CounterFrequency() override { return 1000; }

  uint64_t slept = 0;
  int64_t counter = 0;
};

// The configuration dialog's controls as a user leaves them.
class FuzzDialogControls : public ConfigurationDialogView {
 public:
  std::string NumberFieldText() const override { return field; }
  void SetNumberFieldText(const std::string& text) override { field = text; }
  void EnableNumberField(bool) override {}
  void FocusNumberField() override {}
  void SelectAllOfNumberField() override {}
  bool SkipBoxChecked() const override { return boxChecked; }
  void SetSkipBoxChecked(bool checked) override { boxChecked = checked; }
  void ShowRangeWarning(const std::string&) override { ++warnings; }

  std::string field;
  bool boxChecked = false;
  int warnings = 0;
};

class FuzzHost : public Host {
 public:
  EventLog& Log() override { return log; }
  void SetProgressRange(uint32_t maximum) override { progressRange = maximum; }
  void SetProgressPosition(uint32_t position) override { progressPosition = position; }
  void Repaint() override {}
  void ShowNotice(const std::string& text) override { notices.push_back(text); }
  bool AskOkCancel(const std::string&) override { return answerOk; }
  void ShowWarning(const std::string& text) override { notices.push_back(text); }
  std::optional<std::string> ChooseSaveFile(const FileChoice&) override { return saveAnswer; }
  std::optional<std::string> ChooseOpenFile(const FileChoice&) override { return openAnswer; }
  // Opens the dialog, lets the user type `typed` into the field and tick or clear the box
  // when `toggle` says so, then presses Save (or Cancel when `cancel`).
  bool RunConfigurationDialog(ConfigurationDialog& dialog) override {
    dialog.Attach(&controls);
    dialog.InitDialog();
    if (cancelDialog) return false;
    if (typed) controls.field = *typed;
    if (toggleBox) {
      controls.boxChecked = !controls.boxChecked;
      dialog.OnSkipClicked();
    }
    return dialog.OnSave();
  }
  Clock& GetClock() override { return clock; }

  bool HasError() const {
    for (const LogEntry& entry : log.Entries()) {
      if (entry.kind == LogKind::Error) return true;
    }
    return false;
  }
  bool HasLine(const std::string& text) const {
    for (const LogEntry& entry : log.Entries()) {
      if (entry.text == text) return true;
    }
    return false;
  }
  std::string LastLine() const { return log.Entries().empty() ? std::string() : log.Entries().back().text; }

  EventLog log;
  FuzzClock clock;
  bool answerOk = true;
  std::optional<std::string> saveAnswer;
  std::optional<std::string> openAnswer;
  bool cancelDialog = false;
  std::optional<std::string> typed;
  bool toggleBox = false;
  FuzzDialogControls controls;
  std::vector<std::string> notices;
  uint32_t progressRange = 0;
  uint32_t progressPosition = 0;
};

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
