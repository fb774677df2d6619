#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/serial_device.h"
#include "platform/clock.h"
#include "platform/file.h"

namespace stravener {

// A readable record of everything that crosses the serial line, for support: each byte
// written and read (in hex and as ASCII), each speed set or refused, each purge, time-out
// setting, open and close, and each pause, with milliseconds since the trace began. It is
// what a user sends when a logger misbehaves.
//
// It sits at two seams, wrapped around them only when a trace is wanted: the port's opener
// (every device it opens records its calls here) and the clock (its sleeps are the pauses).
// Without a trace nothing is wrapped, and the serial calls cost what they always did.
class WireTrace {
 public:
  WireTrace() = default;
  WireTrace(const WireTrace&) = delete;
  WireTrace& operator=(const WireTrace&) = delete;

  // Creates the file and writes its first line. 0, or the platform's error code.
  uint32_t Create(const std::string& path);

  // An opener whose devices are those of `opener`, each call recorded here. The trace must
  // outlive every device opened through it.
  SerialOpener Opener(SerialOpener opener);

  // A line of its own, with the time stamp.
  void Note(std::string_view text);
  // A line, then the bytes in rows of 16: offset, hex, and ASCII with '.' for the rest.
  void Bytes(std::string_view text, const uint8_t* data, size_t count);

 private:
  std::string Stamp() const;
  void Put(const std::string& text);

  File file_;
  std::chrono::steady_clock::time_point start_{};
};

// A clock whose sleeps are written to a trace as pauses; everything else is `inner`'s.
class TracingClock final : public Clock {
 public:
  TracingClock(Clock& inner, WireTrace& trace) : inner_(inner), trace_(trace) {}
  LocalDate Today() override { return inner_.Today(); }
  void Sleep(uint32_t milliseconds) override;
  int64_t Counter() override { return inner_.Counter(); }
  int64_t CounterFrequency() override { return inner_.CounterFrequency(); }

 private:
  Clock& inner_;
  WireTrace& trace_;
};

}  // namespace stravener
