#include "track/track_output.h"

#include <cstring>

#include "app/format.h"
#include "app/language.h"
#include "platform/system_error.h"

namespace stravener {

TrackOutput::TrackOutput(EventLog& log, File& file, size_t bufferSize)
    : log_(log), file_(file), capacity_(bufferSize > 0 ? bufferSize : 1), buffer_(new char[capacity_]) {}

void TrackOutput::AppendFillingBuffers(const char* text, size_t size) {
  // A text longer than the room left fills the buffer to its end, which is written, and
  // goes on in the next.
  while (size > 0 && !failed_) {
    const size_t room = capacity_ - used_;
    const size_t take = size < room ? size : room;
    std::memcpy(buffer_.get() + used_, text, take);
    used_ += take;
    text += take;
    size -= take;
    if (used_ == capacity_) WriteBuffer();
  }
}

void TrackOutput::WriteBuffer() {
  if (failed_ || used_ == 0) return;
  const size_t size = used_;
  used_ = 0;
  size_t written = 0;
  uint32_t code = file_.Write(buffer_.get(), size, written);
  if (code == 0 && written == size) return;
  if (code == 0) code = LastSystemError();  // short, yet reported as done
  failed_ = true;
  ReportTrackWriteFailure(log_, code);
}

bool TrackOutput::Flush() {
  WriteBuffer();
  return !failed_;
}

void TrackOutput::Fail(uint32_t code, const std::string& temporaryPath) {
  if (failed_) return;
  failed_ = true;
  LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x zapisu pliku tymczasowego %s.", "Error 0x%x writing temporary file %s.",
           code, temporaryPath.c_str());
  log_.LogSystemError(LogKind::Error, code);
}

void ReportTrackWriteFailure(EventLog& log, uint32_t code) {
  LOG_TEXT(log, LogKind::Error, "Błąd 0x%x zapisu do pliku śladu.", "Error 0x%x writing track file.", code);
  log.LogSystemError(LogKind::Error, code);
}

}  // namespace stravener
