#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/serial_device.h"

namespace stravener {

// What a USB-serial adapter (FTDI, Prolific PL2303, CH340, CP210x) does to a line that a
// pseudo-terminal or a test double does not: its drain costs time (the USB transfer must
// complete, then the driver polls the chip's transmitter, sleeping at least a kernel tick
// between polls), it may not hold the fastest speeds it accepts, and it can be pulled out.
struct AdapterModelOptions {
  // What every Flush costs on top of the line's own: 1 to 25 ms on real adapters.
  std::chrono::microseconds drainCost{0};
  // The fastest speed the adapter carries cleanly; 0 for any. A faster speed is accepted,
  // as Linux accepts 460800 bit/s for nearly every adapter, but every read of more than
  // kShortReadBytes bytes while the line runs faster arrives spoiled: a block's checksum
  // fails, short answers get through.
  uint32_t speedCeiling = 0;
  // Pulled out once this many bytes have been read (0: only when PullOut is called).
  size_t pullOutAfterBytesRead = 0;
};

// The adapter as a wrapper around the devices an opener opens, the way the wire trace
// wraps them: the serial test double, or the machine's own port on a simulated logger's
// line, so that the logger tests run over it. Wrapped only where a test or a benchmark
// asks for it.
class AdapterModel {
 public:
  static constexpr size_t kShortReadBytes = 64;

  explicit AdapterModel(AdapterModelOptions options = {}) : options_(options) {}
  AdapterModel(const AdapterModel&) = delete;
  AdapterModel& operator=(const AdapterModel&) = delete;

  // An opener whose devices are those of `inner`, seen through this adapter. The model
  // must outlive every device opened through it. A pulled-out adapter opens nothing.
  SerialOpener Opener(SerialOpener inner);

  // From now on every call of every device opened through it fails with
  // kDeviceRemovedCode, as on a port whose adapter was pulled out (Close still closes).
  void PullOut() { pulledOut_ = true; }
  bool PulledOut() const { return pulledOut_; }

  // The calls that reached the line: writes and drains, counted for the tests and the
  // benchmark.
  size_t Writes() const { return writes_; }
  size_t Flushes() const { return flushes_; }

 private:
  friend class AdapterSerialDevice;

  AdapterModelOptions options_;
  bool pulledOut_ = false;
  size_t bytesRead_ = 0;
  size_t writes_ = 0;
  size_t flushes_ = 0;
};

}  // namespace stravener
