#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/sentence.h"

namespace stravener::sim {

using SteadyClock = std::chrono::steady_clock;
using SteadyTime = SteadyClock::time_point;

enum class TraceKind {
  Sentence,     // a sentence arrived (command or transfer mode)
  BootByte,     // one byte arrived at the boot loader
  Noise,        // bytes that were not part of any sentence, or arrived while deaf
  ToolSpeed,    // the tool's side of the line changed its speed
  LoggerSpeed,  // the logger changed its own speed
  Mode,         // the logger changed mode (command, transfer, boot loader, gone)
  Answer,       // the logger finished sending an answer
  Fault,        // an injected fault fired
  Note,         // anything else worth knowing (the programmed image saved, a write error)
};

// What the logger did with a sentence.
enum class Verdict {
  None,          // not a sentence
  Attention,     // the attention sentence: the logger is awake
  Accepted,      // taken and carried out
  TooSoon,       // a command less than the wake-up time after the attention: ignored
  NoAttention,   // a command without a fresh attention before it: ignored
  Unknown,       // a sentence the logger does not know: ignored
  Malformed,     // a known command with wrong fields (configuration answers 2; others ignored)
  WrongMode,     // not taken in the mode the logger is in
  BeyondMemory,  // a block request reaching past the track memory: ignored
};

const char* TraceKindName(TraceKind kind);
const char* VerdictName(Verdict verdict);

struct TraceEvent {
  size_t index = 0;
  TraceKind kind = TraceKind::Noise;
  // Sentences and boot bytes: when the last byte arrived (a pseudo-terminal delivers a
  // write at once, so this is when the tool wrote it). Answers: when the last byte was put
  // on the line. Speed and mode changes: when they happened (the tool's speed is watched
  // about every millisecond).
  SteadyTime time{};
  SteadyTime start{};        // answers: when their first byte was put on the line
  uint32_t toolSpeed = 0;    // the tool's side of the line at that time (new speed for ToolSpeed)
  uint32_t loggerSpeed = 0;  // the logger's speed at that time (new speed for LoggerSpeed)
  std::string text;          // the sentence as received; a description for the other kinds
  std::vector<uint8_t> bytes;  // boot byte, noise, or the answer as the logger meant it
  std::vector<uint8_t> wire;   // answers: the bytes the tool's side received (garbled
                               // when the speeds differ)
  SentenceKind sentence = SentenceKind::Unknown;
  Verdict verdict = Verdict::None;

  bool Garbled() const { return toolSpeed != loggerSpeed; }
};

// Milliseconds from a to b (negative when b is earlier).
double MillisecondsBetween(SteadyTime a, SteadyTime b);

// One line of text for an event, with its time from `origin` in seconds.
std::string FormatTraceEvent(const TraceEvent& event, SteadyTime origin);

// A thread-safe record of everything that crossed the line, for tests and -v.
class SimTrace {
 public:
  SimTrace() : origin_(SteadyClock::now()) {}

  void Record(TraceEvent event);
  // Receives every event as it is recorded, on the logger's thread.
  void SetListener(std::function<void(const TraceEvent&)> listener);
  // Whether events are kept (a long-running program may only want the listener).
  void SetKeeping(bool keep);

  SteadyTime Origin() const { return origin_; }
  size_t Size() const;  // the index the next event will get
  std::vector<TraceEvent> Events() const;
  std::vector<TraceEvent> Events(TraceKind kind) const;
  std::vector<TraceEvent> Sentences() const { return Events(TraceKind::Sentence); }
  std::vector<TraceEvent> Answers() const { return Events(TraceKind::Answer); }
  // The sentences of one kind, in order.
  std::vector<TraceEvent> SentencesOf(SentenceKind kind) const;
  // The first event with an index of at least `from` that matches, waiting up to
  // `timeout` for it to happen.
  std::optional<TraceEvent> WaitFor(const std::function<bool(const TraceEvent&)>& match,
                                    std::chrono::milliseconds timeout, size_t from = 0) const;
  // Forgets the kept events; indices go on counting.
  void Clear();

 private:
  const SteadyTime origin_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<TraceEvent> events_;
  size_t next_ = 0;
  bool keep_ = true;
  std::function<void(const TraceEvent&)> listener_;
};

}  // namespace stravener::sim
