#include "link/adapter_model.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace stravener {

class AdapterSerialDevice final : public SerialDevice {
 public:
  AdapterSerialDevice(std::unique_ptr<SerialDevice> inner, AdapterModel& model)
      : inner_(std::move(inner)), model_(model) {}

  uint32_t SetupQueues(uint32_t inputSize, uint32_t outputSize) override {
    if (model_.pulledOut_) return kDeviceRemovedCode;
    return inner_->SetupQueues(inputSize, outputSize);
  }
  uint32_t GetLineState(LineState& state) override {
    if (model_.pulledOut_) return kDeviceRemovedCode;
    return inner_->GetLineState(state);
  }
  uint32_t SetLineState(const LineState& state) override {
    if (model_.pulledOut_) return kDeviceRemovedCode;
    const uint32_t code = inner_->SetLineState(state);
    if (code == 0) speed_ = state.speed;
    return code;
  }
  uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) override {
    if (model_.pulledOut_) return kDeviceRemovedCode;
    return inner_->SetTimeouts(readTotalMs, writeTotalMs);
  }
  uint32_t Purge() override { return model_.pulledOut_ ? kDeviceRemovedCode : inner_->Purge(); }
  uint32_t ClearLineErrors() override { return model_.pulledOut_ ? kDeviceRemovedCode : inner_->ClearLineErrors(); }

  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    received = 0;
    if (model_.pulledOut_) return kDeviceRemovedCode;
    const size_t limit = model_.options_.pullOutAfterBytesRead;
    size_t want = count;
    if (limit != 0) want = std::min(count, limit > model_.bytesRead_ ? limit - model_.bytesRead_ : 0);
    const uint32_t code = want == 0 ? 0 : inner_->Read(buffer, want, received);
    model_.bytesRead_ += received;
    if (code != 0) return code;
    if (limit != 0 && model_.bytesRead_ >= limit && received < count) {
      model_.pulledOut_ = true;
      return kDeviceRemovedCode;
    }
    const uint32_t ceiling = model_.options_.speedCeiling;
    if (ceiling != 0 && speed_ > ceiling && count > AdapterModel::kShortReadBytes && received > 0) {
      buffer[0] = static_cast<uint8_t>(buffer[0] ^ 0x5A);  // a bit time too short for the chip
    }
    return 0;
  }
  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    written = 0;
    if (model_.pulledOut_) return kDeviceRemovedCode;
    ++model_.writes_;
    return inner_->Write(data, count, written);
  }
  uint32_t Flush() override {
    if (model_.pulledOut_) return kDeviceRemovedCode;
    ++model_.flushes_;
    const uint32_t code = inner_->Flush();
    if (model_.options_.drainCost.count() > 0) std::this_thread::sleep_for(model_.options_.drainCost);
    return code;
  }
  uint32_t Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<SerialDevice> inner_;
  AdapterModel& model_;
  uint32_t speed_ = 0;
};

SerialOpener AdapterModel::Opener(SerialOpener inner) {
  return [this, inner = std::move(inner)](const std::string& name, std::unique_ptr<SerialDevice>& device) {
    device.reset();
    if (pulledOut_) return kDeviceRemovedCode;
    const uint32_t code = inner ? inner(name, device) : kInvalidHandleCode;
    if (code == 0 && device) device = std::make_unique<AdapterSerialDevice>(std::move(device), *this);
    return code;
  };
}

}  // namespace stravener
