#pragma once

#include <memory>
#include <string>

#include "app/event_log.h"
#include "platform/file.h"

namespace stravener {

// A track file that takes the place of another only once it is whole. The track goes to a
// temporary file in the destination's folder, which takes the destination's name when the
// run is complete and the file closed. A run that fails leaves a file that was there as it
// was, and keeps what was written beside it as NAME.partial.EXT; with no file there, what
// was written ends at the chosen name, as an aborted run always left it. A destination that
// is not a regular file (a device, a pipe) is written to directly. No temporary file
// outlives the object, a program ended at once by a second Ctrl+C included.
class TrackFileReplacement {
 public:
  explicit TrackFileReplacement(EventLog& log) : log_(log) {}
  ~TrackFileReplacement() { Abandon(); }
  TrackFileReplacement(const TrackFileReplacement&) = delete;
  TrackFileReplacement& operator=(const TrackFileReplacement&) = delete;

  // Opens the file the track is written to. 0, or the platform's error code, for the
  // caller's "Error 0x%x creating track file.".
  uint32_t Create(const std::string& path);
  File& Output() { return file_; }
  bool IsOpen() const { return file_.IsOpen(); }

  // The track is whole: closes the file and gives it the destination's name. False after
  // reporting why not (a close that failed is a write that failed; "Error 0x%x replacing
  // file %s."); what was written is then kept as Abandon() keeps it.
  bool Keep();
  // The run failed: closes the file and keeps what was written as described above. Only a
  // failure to do so is reported; ReportAbandoned() says where the track went.
  void Abandon();
  // When Abandon() left an existing file as it was, says so and where the incomplete
  // track is: "%s was left as it was; the incomplete track is in %s.".
  void ReportAbandoned();

 private:
  void ReportReplaceFailure(uint32_t code, const std::string& path);

  EventLog& log_;
  File file_;
  std::string destination_;
  std::string temporary_;  // empty when the destination is written directly
  bool replacing_ = false;  // a regular file of the destination's name was there
  bool finished_ = true;
  std::string partial_;  // where Abandon() kept the track beside the file it left
  std::unique_ptr<RemovedAtAbruptEnd> removal_;
};

// "NAME.partial.EXT" beside "NAME.EXT" ("NAME.partial" beside a name without an extension).
std::string PartialTrackPath(const std::string& path);
// "NAME.bin" beside "NAME.EXT": where the raw memory image goes beside a track file.
std::string RawCopyPath(const std::string& path);

}  // namespace stravener
