#pragma once

// A serial port for tests, fuzz targets and benchmarks: scripted input, recorded output and
// calls, any single call made to fail with a chosen code (by its kind, or by its place among
// all calls), and a highest speed the line accepts. The line outlives the devices opened on
// it, so a test can look at it after the port was closed.
//
//   FakeSerialLine line;
//   EventLog log;
//   PortConnection connection(log, line.Opener());
//   line.Fail(FakeCall::Purge, 5);          // the next Purge fails with code 5
//   line.respond = [](FakeSerialLine& l, const std::vector<uint8_t>& written) { ... };

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/serial_device.h"

enum class FakeCall {
  Open,
  SetupQueues,
  GetLineState,
  SetLineState,
  SetTimeouts,
  Purge,
  ClearLineErrors,
  Read,
  Write,
  Flush,
  Close,
};

inline const char* FakeCallName(FakeCall call) {
  switch (call) {
    case FakeCall::Open: return "Open";
    case FakeCall::SetupQueues: return "SetupQueues";
    case FakeCall::GetLineState: return "GetLineState";
    case FakeCall::SetLineState: return "SetLineState";
    case FakeCall::SetTimeouts: return "SetTimeouts";
    case FakeCall::Purge: return "Purge";
    case FakeCall::ClearLineErrors: return "ClearLineErrors";
    case FakeCall::Read: return "Read";
    case FakeCall::Write: return "Write";
    case FakeCall::Flush: return "Flush";
    case FakeCall::Close: return "Close";
  }
  return "?";
}

class FakeSerialLine {
 public:
  // The code a refused speed gives (ERROR_INVALID_PARAMETER, as SetCommState gives it).
  static constexpr uint32_t kRefusedSpeedCode = 87;

  // Bytes the port will deliver, in order.
  std::deque<uint8_t> input;
  // Every byte written, in order.
  std::vector<uint8_t> output;
  // Every call made on the port, in order, by name ("Open COM3" for an open); only counted
  // in callCount when recordCalls is cleared (a fuzz target makes millions).
  std::vector<std::string> calls;
  size_t callCount = 0;
  bool recordCalls = true;
  // Called after each successful write with the bytes of that write: a scripted logger
  // puts its answer into `input` here.
  std::function<void(FakeSerialLine&, const std::vector<uint8_t>&)> respond;

  // The line's speed (changed by an accepted SetLineState) and the highest it accepts.
  uint32_t speed = 9600;
  uint32_t maxSpeed = 460800;
  // How many bytes the next writes may still move before their time-out runs out.
  size_t writeCapacity = SIZE_MAX;
  // The time-outs last set, and the queue sizes asked for.
  uint32_t readTimeoutMs = 0;
  uint32_t writeTimeoutMs = 0;
  uint32_t inputQueueSize = 0;
  uint32_t outputQueueSize = 0;
  bool isOpen = false;
  std::string openedName;
  // Bytes the reads took from `input`, in all.
  size_t bytesRead = 0;

  // Makes the call with this ordinal among all calls (callCount once it is counted) fail
  // with failAtCallCode; 0 for none. `failedAtCall` tells whether it came.
  size_t failAtCall = 0;
  uint32_t failAtCallCode = 5;
  bool failedAtCall = false;

  // Makes a call fail with `code`: the next one, or the one after `skip` successful calls.
  void Fail(FakeCall call, uint32_t code, int skip = 0) { failures_[call].push_back({skip, code}); }

  // Puts bytes into the input queue.
  void Feed(const std::vector<uint8_t>& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

  size_t Count(FakeCall call) const {
    size_t n = 0;
    for (const std::string& c : calls) {
      if (c == FakeCallName(call) || c.rfind(std::string(FakeCallName(call)) + " ", 0) == 0) ++n;
    }
    return n;
  }

  // The calls after the last one named `call` (all of them when there is none).
  std::vector<std::string> CallsAfterLast(FakeCall call) const {
    size_t i = calls.size();
    while (i > 0 && calls[i - 1] != FakeCallName(call)) --i;
    return std::vector<std::string>(calls.begin() + static_cast<std::ptrdiff_t>(i), calls.end());
  }

  // An opener for a PortConnection or ProbeMaxSpeed that opens this line (by any name).
  stravener::SerialOpener Opener();

  // 0, or the code of a failure set up for this call.
  uint32_t Take(FakeCall call) {
    Record(FakeCallName(call));
    if (FailsByPlace()) return failAtCallCode;
    auto it = failures_.find(call);
    if (it == failures_.end() || it->second.empty()) return 0;
    Pending& next = it->second.front();
    if (next.skip > 0) {
      --next.skip;
      return 0;
    }
    const uint32_t code = next.code;
    it->second.pop_front();
    return code;
  }

  void Record(const std::string& call) {
    ++callCount;
    if (recordCalls) calls.push_back(call);
  }
  // The bytes of the last write, handed to `respond`.
  std::vector<uint8_t> lastWrite;

 private:
  bool FailsByPlace() {
    if (failAtCall == 0 || callCount != failAtCall) return false;
    failedAtCall = true;
    return true;
  }

  struct Pending {
    int skip;
    uint32_t code;
  };
  std::map<FakeCall, std::deque<Pending>> failures_;
};

class FakeSerialDevice final : public stravener::SerialDevice {
 public:
  explicit FakeSerialDevice(FakeSerialLine& line) : line_(line) {}
  ~FakeSerialDevice() override {
    if (!closed_) line_.isOpen = false;
  }

  uint32_t SetupQueues(uint32_t inputSize, uint32_t outputSize) override {
    if (const uint32_t code = Call(FakeCall::SetupQueues)) return code;
    line_.inputQueueSize = inputSize;
    line_.outputQueueSize = outputSize;
    return 0;
  }
  uint32_t GetLineState(stravener::LineState& state) override {
    if (const uint32_t code = Call(FakeCall::GetLineState)) return code;
    state.speed = line_.speed;
    state.native.assign(4, 0xAB);
    return 0;
  }
  uint32_t SetLineState(const stravener::LineState& state) override {
    if (const uint32_t code = Call(FakeCall::SetLineState)) return code;
    if (state.speed > line_.maxSpeed) return FakeSerialLine::kRefusedSpeedCode;
    line_.speed = state.speed;
    return 0;
  }
  uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) override {
    if (const uint32_t code = Call(FakeCall::SetTimeouts)) return code;
    line_.readTimeoutMs = readTotalMs;
    line_.writeTimeoutMs = writeTotalMs;
    return 0;
  }
  uint32_t Purge() override {
    if (const uint32_t code = Call(FakeCall::Purge)) return code;
    line_.input.clear();
    return 0;
  }
  uint32_t ClearLineErrors() override { return Call(FakeCall::ClearLineErrors); }
  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    received = 0;
    if (const uint32_t code = Call(FakeCall::Read)) return code;
    while (received < count && !line_.input.empty()) {
      buffer[received++] = line_.input.front();
      line_.input.pop_front();
    }
    line_.bytesRead += received;
    return 0;
  }
  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    written = 0;
    if (const uint32_t code = Call(FakeCall::Write)) return code;
    written = count < line_.writeCapacity ? count : line_.writeCapacity;
    if (line_.writeCapacity != SIZE_MAX) line_.writeCapacity -= written;
    line_.output.insert(line_.output.end(), data, data + written);
    if (written == count && line_.respond) {
      line_.lastWrite.assign(data, data + count);
      line_.respond(line_, line_.lastWrite);
    }
    return 0;
  }
  uint32_t Flush() override { return Call(FakeCall::Flush); }
  uint32_t Close() override {
    if (closed_) return stravener::kInvalidHandleCode;
    const uint32_t code = line_.Take(FakeCall::Close);
    closed_ = true;
    line_.isOpen = false;
    return code;
  }

 private:
  uint32_t Call(FakeCall call) {
    if (closed_) {
      line_.Record(FakeCallName(call));
      return stravener::kInvalidHandleCode;
    }
    return line_.Take(call);
  }

  FakeSerialLine& line_;
  bool closed_ = false;
};

inline stravener::SerialOpener FakeSerialLine::Opener() {
  return [this](const std::string& name, std::unique_ptr<stravener::SerialDevice>& device) -> uint32_t {
    device.reset();
    Record("Open " + name);
    if (FailsByPlace()) return failAtCallCode;
    auto it = failures_.find(FakeCall::Open);
    if (it != failures_.end() && !it->second.empty()) {
      Pending& next = it->second.front();
      if (next.skip > 0) {
        --next.skip;
      } else {
        const uint32_t code = next.code;
        it->second.pop_front();
        return code;
      }
    }
    if (isOpen) return 16;  // EBUSY: the line is held by another handle
    isOpen = true;
    openedName = name;
    device = std::make_unique<FakeSerialDevice>(*this);
    return 0;
  };
}
