#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "app/event_log.h"
#include "platform/file.h"

namespace stravener {

// How much text a track file collects before it is written: some 3,700 PLT lines.
constexpr size_t kTrackOutputBufferSize = 256 * 1024;

// The text of a track file on its way to the file: collected in a buffer, which goes to
// the file in one write each time it is full and when flushed. A failed or short write is
// reported where it happens, once ("Error 0x%x writing track file." and the system's
// text); what is appended after it is dropped.
class TrackOutput {
 public:
  TrackOutput(EventLog& log, File& file, size_t bufferSize = kTrackOutputBufferSize);
  TrackOutput(const TrackOutput&) = delete;
  TrackOutput& operator=(const TrackOutput&) = delete;

  void Append(const char* text, size_t size) {
    if (size < capacity_ - used_) {
      std::memcpy(buffer_.get() + used_, text, size);
      used_ += size;
      return;
    }
    AppendFillingBuffers(text, size);
  }
  void Append(std::string_view text) { Append(text.data(), text.size()); }

  // Writes what is collected. False when this or an earlier write failed.
  bool Flush();
  // The text needed a temporary file that failed (TextSpool): reported once, "Error 0x%x
  // writing temporary file %s." with the system's text, and the output fails as a write
  // would.
  void Fail(uint32_t code, const std::string& temporaryPath);
  bool Failed() const { return failed_; }

 private:
  void AppendFillingBuffers(const char* text, size_t size);
  void WriteBuffer();

  EventLog& log_;
  File& file_;
  const size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
  bool failed_ = false;
};

// Reports that a track file could not be written: "Error 0x%x writing track file." with
// the system's code, then the system's text for it.
void ReportTrackWriteFailure(EventLog& log, uint32_t code);

}  // namespace stravener
