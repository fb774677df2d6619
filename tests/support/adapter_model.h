#pragma once

// What a USB-serial adapter (FTDI, Prolific PL2303, CH340, CP210x) does to a line that a
// pseudo-terminal or the serial test double does not: its drain costs time (the USB
// transfer must complete, then the driver polls the chip's transmitter, sleeping at least a
// kernel tick between polls), it may not hold the fastest speeds it accepts, and it can be
// pulled out. A wrapper around the devices an opener opens, the way the wire trace wraps
// them: the serial test double (support/fake_serial_device.h), or the machine's own port on
// a simulated logger's line, so that the logger tests and the benchmark run over it.
//
//   AdapterModel adapter(AdapterModelOptions{std::chrono::milliseconds(1)});
//   connection.opener = adapter.Opener(std::move(connection.opener));

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "link/serial_device.h"

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

class AdapterModel {
 public:
  static constexpr size_t kShortReadBytes = 64;

  explicit AdapterModel(AdapterModelOptions options = {}) : options_(options) {}
  AdapterModel(const AdapterModel&) = delete;
  AdapterModel& operator=(const AdapterModel&) = delete;

  // An opener whose devices are those of `inner`, seen through this adapter. The model
  // must outlive every device opened through it. A pulled-out adapter opens nothing.
  stravener::SerialOpener Opener(stravener::SerialOpener inner);

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

class AdapterSerialDevice final : public stravener::SerialDevice {
 public:
  AdapterSerialDevice(std::unique_ptr<stravener::SerialDevice> inner, AdapterModel& model)
      : inner_(std::move(inner)), model_(model) {}

  uint32_t SetupQueues(uint32_t inputSize, uint32_t outputSize) override {
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    return inner_->SetupQueues(inputSize, outputSize);
  }
  uint32_t GetLineState(stravener::LineState& state) override {
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    return inner_->GetLineState(state);
  }
  uint32_t SetLineState(const stravener::LineState& state) override {
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    const uint32_t code = inner_->SetLineState(state);
    if (code == 0) speed_ = state.speed;
    return code;
  }
  uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) override {
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    return inner_->SetTimeouts(readTotalMs, writeTotalMs);
  }
  uint32_t Purge() override { return model_.pulledOut_ ? stravener::kDeviceRemovedCode : inner_->Purge(); }
  uint32_t ClearLineErrors() override {
    return model_.pulledOut_ ? stravener::kDeviceRemovedCode : inner_->ClearLineErrors();
  }

  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    received = 0;
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    const size_t limit = model_.options_.pullOutAfterBytesRead;
    size_t want = count;
    if (limit != 0) want = std::min(count, limit > model_.bytesRead_ ? limit - model_.bytesRead_ : 0);
    const uint32_t code = want == 0 ? 0 : inner_->Read(buffer, want, received);
    model_.bytesRead_ += received;
    if (code != 0) return code;
    if (limit != 0 && model_.bytesRead_ >= limit && received < count) {
      model_.pulledOut_ = true;
      return stravener::kDeviceRemovedCode;
    }
    const uint32_t ceiling = model_.options_.speedCeiling;
    if (ceiling != 0 && speed_ > ceiling && count > AdapterModel::kShortReadBytes && received > 0) {
      buffer[0] = static_cast<uint8_t>(buffer[0] ^ 0x5A);  // a bit time too short for the chip
    }
    return 0;
  }
  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    written = 0;
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    ++model_.writes_;
    return inner_->Write(data, count, written);
  }
  uint32_t Flush() override {
    if (model_.pulledOut_) return stravener::kDeviceRemovedCode;
    ++model_.flushes_;
    const uint32_t code = inner_->Flush();
    if (model_.options_.drainCost.count() > 0) std::this_thread::sleep_for(model_.options_.drainCost);
    return code;
  }
  uint32_t Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<stravener::SerialDevice> inner_;
  AdapterModel& model_;
  uint32_t speed_ = 0;
};

inline stravener::SerialOpener AdapterModel::Opener(stravener::SerialOpener inner) {
  return [this, inner = std::move(inner)](const std::string& name,
                                          std::unique_ptr<stravener::SerialDevice>& device) -> uint32_t {
    device.reset();
    if (pulledOut_) return stravener::kDeviceRemovedCode;
    const uint32_t code = inner ? inner(name, device) : stravener::kInvalidHandleCode;
    if (code == 0 && device) device = std::make_unique<AdapterSerialDevice>(std::move(device), *this);
    return code;
  };
}
