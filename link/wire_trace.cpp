#include "link/wire_trace.h"

#include <memory>
#include <utility>

#include "app/format.h"
#include "platform/stop_request.h"

namespace stravener {

namespace {

constexpr size_t kBytesPerRow = 16;

std::string CodeText(uint32_t code) { return code == 0 ? std::string() : FormatText(": error 0x%x", code); }

// Every call of the device it wraps, recorded in the trace as it returns.
class TracingSerialDevice final : public SerialDevice {
 public:
  TracingSerialDevice(std::unique_ptr<SerialDevice> inner, WireTrace& trace)
      : inner_(std::move(inner)), trace_(trace) {}

  uint32_t SetupQueues(uint32_t inputSize, uint32_t outputSize) override {
    const uint32_t code = inner_->SetupQueues(inputSize, outputSize);
    trace_.Note(FormatText("queues %u / %u bytes", inputSize, outputSize) + CodeText(code));
    return code;
  }
  // Reading the state changes nothing on the line; only its failure is worth a line.
  uint32_t GetLineState(LineState& state) override {
    const uint32_t code = inner_->GetLineState(state);
    if (code != 0) trace_.Note("reading the line state" + CodeText(code));
    return code;
  }
  uint32_t SetLineState(const LineState& state) override {
    const uint32_t code = inner_->SetLineState(state);
    trace_.Note(FormatText("speed %u bit/s", state.speed) + (code == 0 ? "" : " refused") + CodeText(code));
    return code;
  }
  uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) override {
    const uint32_t code = inner_->SetTimeouts(readTotalMs, writeTotalMs);
    trace_.Note(FormatText("time-outs: read %u ms, write %u ms", readTotalMs, writeTotalMs) + CodeText(code));
    return code;
  }
  uint32_t Purge() override {
    const uint32_t code = inner_->Purge();
    trace_.Note("purge" + CodeText(code));
    return code;
  }
  uint32_t ClearLineErrors() override {
    const uint32_t code = inner_->ClearLineErrors();
    if (code != 0) trace_.Note("clearing the line errors" + CodeText(code));
    return code;
  }
  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    const auto started = std::chrono::steady_clock::now();
    const uint32_t code = inner_->Read(buffer, count, received);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::string text = FormatText("read %zu of %zu bytes in %lld ms", received, count, static_cast<long long>(ms.count()));
    if (code == 0 && received < count) text += StopRequested() ? " (ended by a stop request)" : " (time-out)";
    trace_.Bytes(text + CodeText(code), buffer, received);
    return code;
  }
  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    const uint32_t code = inner_->Write(data, count, written);
    std::string text = FormatText("write %zu bytes", count);
    if (code == 0 && written < count) text += FormatText(" (time-out after %zu)", written);
    trace_.Bytes(text + CodeText(code), data, written);
    return code;
  }
  // Every write is flushed; only a failure is worth a line.
  uint32_t Flush() override {
    const uint32_t code = inner_->Flush();
    if (code != 0) trace_.Note("flush" + CodeText(code));
    return code;
  }
  uint32_t Close() override {
    const uint32_t code = inner_->Close();
    trace_.Note("close" + CodeText(code));
    return code;
  }

 private:
  std::unique_ptr<SerialDevice> inner_;
  WireTrace& trace_;
};

}  // namespace

uint32_t WireTrace::Create(const std::string& path) {
  if (const uint32_t code = file_.Create(path); code != 0) return code;
  start_ = std::chrono::steady_clock::now();
  const LocalDateTime now = LocalNow();
  Put(FormatText("Stravener Tool %s wire trace, begun %04d-%02d-%02d %02d:%02d:%02d; each line at the end of its "
                 "call, in seconds since then\n",
                 STRAVENER_VERSION_TEXT, now.date.year, now.date.month, now.date.day, now.hour, now.minute,
                 now.second));
  return 0;
}

SerialOpener WireTrace::Opener(SerialOpener opener) {
  return [this, opener = std::move(opener)](const std::string& name, std::unique_ptr<SerialDevice>& device) {
    const uint32_t code = opener ? opener(name, device) : kInvalidHandleCode;
    Note("open " + name + CodeText(code));
    if (code == 0 && device) device = std::make_unique<TracingSerialDevice>(std::move(device), *this);
    return code;
  };
}

void WireTrace::Note(std::string_view text) { Put(Stamp() + std::string(text) + "\n"); }

void WireTrace::Bytes(std::string_view text, const uint8_t* data, size_t count) {
  std::string out = Stamp() + std::string(text) + "\n";
  for (size_t row = 0; row < count; row += kBytesPerRow) {
    std::string hex;
    std::string ascii;
    for (size_t i = row; i < row + kBytesPerRow; ++i) {
      if (i == row + kBytesPerRow / 2) hex += ' ';
      if (i < count) {
        hex += FormatText(" %02x", data[i]);
        ascii += data[i] >= 0x20 && data[i] < 0x7f ? static_cast<char>(data[i]) : '.';
      } else {
        hex += "   ";
      }
    }
    out += FormatText("            %06zx %s  %s\n", row, hex.c_str(), ascii.c_str());
  }
  Put(out);
}

std::string WireTrace::Stamp() const {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
  const long long total = ms.count();
  return FormatText("%7lld.%03lld  ", total / 1000, total % 1000);
}

void WireTrace::Put(const std::string& text) {
  // Written at once: a trace is most wanted from a run that did not end well.
  size_t written = 0;
  file_.Write(text.data(), text.size(), written);
}

void TracingClock::Sleep(uint32_t milliseconds) {
  trace_.Note(FormatText("pause %u ms", milliseconds));
  inner_.Sleep(milliseconds);
}

}  // namespace stravener
