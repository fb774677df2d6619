#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"
#include "track/track_output.h"

namespace stravener {

// How much held-back text stays in memory before it goes to a file.
constexpr size_t kTextSpoolMemory = 256 * 1024;

// Text a track file holds back to write later, in order (a KML gx:Track's coordinates,
// which follow all of its times): in memory up to a limit, beyond it in a temporary file
// in the user's temporary folder, so that memory stays flat however long the text grows.
// The file is removed when the spool is emptied or goes, and by a program ended at once.
class TextSpool {
 public:
  explicit TextSpool(size_t memory = kTextSpoolMemory);
  ~TextSpool();
  TextSpool(const TextSpool&) = delete;
  TextSpool& operator=(const TextSpool&) = delete;

  void Append(const char* text, size_t size);
  // Appends everything held to `out`, in the order it came, and empties the spool. A
  // temporary file that could not be written or read fails `out` (TrackOutput::Fail).
  void MoveTo(TrackOutput& out);

 private:
  void Spill();
  void RemoveFile();

  const size_t capacity_;
  std::string memory_;
  File file_;
  std::string path_;  // the temporary file, empty while the text fits in memory
  uint32_t failure_ = 0;
  std::unique_ptr<RemovedAtAbruptEnd> removal_;
};

}  // namespace stravener
