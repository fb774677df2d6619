#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/answer_frame.h"
#include "sim/boot_loader.h"
#include "sim/fault_plan.h"
#include "sim/program_memory.h"
#include "sim/pseudo_terminal.h"
#include "sim/sentence.h"
#include "sim/sim_trace.h"
#include "sim/simulated_logger_options.h"

namespace stravener::sim {

enum class LoggerMode {
  Command,     // 4800 bit/s, commands after the attention sentence
  Transfer,    // the transfer speed, block requests and the way back
  BootLoader,  // the processor's boot loader at 115200 bit/s
  Gone,        // the device vanished from the line
};

const char* LoggerModeName(LoggerMode mode);

// A Stravener logger on a pseudo-terminal, run on its own thread. The tool opens
// SlavePath() as its serial port.
//
// How the firmware behaves where the tool's side of the protocol says nothing:
// - A command is taken only when the attention sentence came before it, at least the
//   wake-up time (100 ms) and at most the attention lifetime (5 s) earlier; one attention
//   serves one sentence. A command too soon, or without attention, is ignored and the
//   logger waits for a new attention.
// - Sentences are taken only in their exact form. An unknown sentence, or a malformed
//   speed or block sentence, is ignored without an answer; a configuration sentence with
//   wrong fields is answered with 2, as the firmware does for wrong configuration data.
// - In transfer mode only block requests and speed sentences are taken (without
//   attention); everything else is ignored. A block request that reaches past the track
//   memory, or asks for more than a frame can hold, is not answered.
// - Speed switches (including the way back to 4800 and the hand-over to the boot loader)
//   take effect the speed switch delay (50 ms) after the sentence. The logger stays in
//   transfer mode until it is told to return; it has no time-out of its own.
// - After a restart (the restart sentence, or the boot loader's 'r') the logger is in
//   command mode at 4800 bit/s and ignores whatever arrives for the restart time. When its
//   program memory holds no firmware (erased, or an upgrade stopped halfway: see
//   BootLoader), the boot loader's 'r' brings it back into the boot loader at 115200
//   bit/s instead, after the same time.
// - When the two sides of the line run at different speeds, every byte is garbled in
//   both directions as a UART would garble it (ReclockBytes). A pseudo-terminal's drain
//   does not wait until the logger has the bytes, so bytes that arrive within a couple of
//   milliseconds of a speed change on the tool's side may have been written before or
//   after it; they count as
//   sent at the logger's speed if either speed was that one. (On a real line the tool's
//   flush waits until the bytes have left, so writing and changing speed right after, or
//   changing speed and writing right after, are both sound.)
//
// What a pseudo-terminal cannot do like a real line: a byte the tool writes reaches the
// logger some tens of microseconds later, and a purge of the tool's output queue in that
// time (tcflush with TCOFLUSH or TCIOFLUSH on the port) throws it away, although the
// tool's drain has already returned. The pauses of the protocol leave far more time than
// that everywhere but after the last byte of an exchange that has no answer (the restart
// sentence, the boot loader's 'r'); a test that opens the port and purges it at once after
// one of those should first wait for the logger to take it, for instance with
// Trace().WaitFor(...) on the mode change to command mode.
class SimulatedLogger {
 public:
  explicit SimulatedLogger(SimulatedLoggerOptions options);
  ~SimulatedLogger();
  SimulatedLogger(const SimulatedLogger&) = delete;
  SimulatedLogger& operator=(const SimulatedLogger&) = delete;

  // Opens the line and starts the logger's thread: 0, or -1 with the reason.
  int Start(std::string* error = nullptr);
  // Stops the thread and closes the line. Also done by the destructor.
  void Stop();

  // The path of the slave side, which the tool opens as its port.
  std::string SlavePath() const;

  // What the logger holds now; safe to call while it runs.
  std::vector<uint8_t> MemoryImage() const;  // the whole track memory
  std::vector<uint8_t> UsedMemory() const;   // the used part: what a download should save
  uint32_t UsedBytes() const;
  std::array<uint8_t, 22> InfoRecord() const;
  uint8_t SkipSetting() const;
  // The program memory as far as it has been written (see ProgramMemory).
  std::vector<uint8_t> ProgrammedImage() const;
  LoggerMode Mode() const { return mode_.load(); }
  uint32_t Speed() const { return loggerSpeed_.load(); }
  uint32_t ToolSpeed() const { return toolSpeed_.load(); }
  bool Vanished() const { return mode_.load() == LoggerMode::Gone; }
  uint32_t FramesAnswered() const { return framesAnswered_.load(); }

  SimTrace& Trace() { return trace_; }
  const SimTrace& Trace() const { return trace_; }
  const SimulatedLoggerOptions& Options() const { return options_; }

 private:
  struct OutputItem {
    std::vector<uint8_t> bytes;  // as the logger means them
    std::string text;            // what it is, for the trace
    SteadyTime notBefore{};
    std::optional<size_t> vanishAfter;  // the device disappears after this many bytes
    bool started = false;
    std::vector<uint8_t> wire;  // as the tool's side receives them
    SteadyTime start{};
    std::chrono::nanoseconds lineTime{0};
    size_t written = 0;
    uint32_t toolSpeed = 0;
    uint32_t loggerSpeed = 0;
  };
  struct PendingSwitch {
    SteadyTime at;
    uint32_t speed;
    LoggerMode mode;
  };

  int BuildMemory(std::string* error);
  void Run();
  void WatchToolSpeed(SteadyTime now);
  uint32_t SenderSpeed(SteadyTime time) const;
  void FireSwitch(SteadyTime now);
  void ReadInput();
  void HandleBytes(const uint8_t* data, size_t count, SteadyTime time);
  void HandleSentence(const std::string& text, SteadyTime time);
  Verdict Decide(const Sentence& sentence, SteadyTime time);
  void Carry(const Sentence& sentence, Verdict& verdict, SteadyTime time);
  void HandleBootByte(uint8_t byte, SteadyTime time);
  void RecordNoise(std::string& noise, SteadyTime time, const char* why);
  void QueueFrame(const uint8_t* payload, size_t count, FrameCheck check, std::string text, SteadyTime time,
                  std::chrono::microseconds delay = std::chrono::microseconds(0));
  void QueueAnswer(OutputItem item);
  // Writes what is due; returns the time it wants to run again, if any.
  std::optional<SteadyTime> PumpOutput();
  void Restart(SteadyTime time, const char* why);
  void RestartIntoBootLoader(SteadyTime time);
  void SetMode(LoggerMode mode, SteadyTime time, const std::string& why);
  void SetSpeed(uint32_t speed, SteadyTime time);
  void Vanish(SteadyTime time);
  void SaveProgrammedImage(SteadyTime time);
  void RecordFault(SteadyTime time, std::string text);
  void RecordNote(SteadyTime time, std::string text);
  // An event with the speeds both sides have now.
  TraceEvent MakeEvent(TraceKind kind, SteadyTime time, std::string text = {}) const;

  SimulatedLoggerOptions options_;
  SimTrace trace_;
  PseudoTerminal line_;
  std::thread thread_;
  int wakePipe_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  bool started_ = false;
  std::string firmware_;

  // Shared with the callers' threads.
  mutable std::mutex stateMutex_;
  std::vector<uint8_t> memory_;
  uint32_t usedBytes_ = 0;
  uint8_t skip_ = 0;
  std::unique_ptr<ProgramMemory> programMemory_;
  std::atomic<LoggerMode> mode_{LoggerMode::Command};
  std::atomic<uint32_t> loggerSpeed_{4800};
  std::atomic<uint32_t> toolSpeed_{0};
  std::atomic<uint32_t> framesAnswered_{0};

  // The logger's thread only.
  FaultPlan faults_;
  std::unique_ptr<BootLoader> bootLoader_;
  SentenceAssembler assembler_;
  std::optional<SteadyTime> attention_;
  SteadyTime deafUntil_{};
  std::optional<PendingSwitch> switch_;
  std::deque<OutputItem> output_;
  SteadyTime lineFreeAt_{};
  bool writeBlocked_ = false;
  struct SpeedChange {
    SteadyTime time;
    uint32_t from;
  };
  std::deque<SpeedChange> toolSpeedChanges_;  // the last few milliseconds' changes
};

}  // namespace stravener::sim
