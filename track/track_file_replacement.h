#pragma once

#include <memory>
#include <string>

#include "app/event_log.h"
#include "platform/file.h"

namespace stravener {

// A track file that takes its name only once it is whole. The track goes to a temporary
// file in the destination's folder, which takes the destination's name when the run is
// complete and the file closed; a file it replaces keeps its access (permissions, owner
// where allowed). In a folder the user may not write to, an existing file the user may
// write is replaced all the same: the track goes to a temporary file in the user's
// temporary folder and is copied over the old file once whole.
//
// A run that fails never leaves its bytes under the chosen name, nor over any file: what
// was written is kept as NAME.partial.EXT (NAME.partial-2.EXT, ... when that is taken)
// beside the destination (in the temporary folder when the destination's folder takes no
// file), and a file that was there stays as it was. A run that wrote nothing leaves
// nothing. A destination that is not a regular file (a device, a pipe) is written to
// directly. No temporary file outlives the object, a program ended at once by a second
// Ctrl+C included. Every name made stays within the system's name limit.
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

  // The track is whole: closes the file, which then waits for Keep(), Abandon() or
  // Discard() (a run of several files gives them their names only once all are whole).
  // False after reporting a close that failed, a write that failed; what was written is
  // then kept as Abandon() keeps it.
  bool Complete();
  // The track is whole: closes the file and gives it the destination's name. False after
  // reporting why not (a close that failed is a write that failed; "Error 0x%x replacing
  // file %s."); what was written is then kept as Abandon() keeps it.
  bool Keep();
  // What was written is not wanted: closes and removes it. A file that was there stays as
  // it was.
  void Discard();
  // The run failed: closes the file and keeps what was written as described above. Only a
  // failure to do so is reported; ReportAbandoned() says where the track went.
  void Abandon();
  // Says where the incomplete track is, and that the file it was to replace was left as it
  // was: "The incomplete track is in %s." / "%s was left as it was; the incomplete track is
  // in %s.".
  void ReportAbandoned();

  // Where the bytes go until the file takes its name (the destination itself when it is
  // written directly), for reading them back once Complete() has closed them.
  const std::string& WrittenPath() const { return temporary_.empty() ? destination_ : temporary_; }
  // Where Abandon() kept what was written; empty when nothing was kept or it was reported.
  const std::string& PartialPath() const { return partial_; }

 private:
  void ReportReplaceFailure(uint32_t code, const std::string& path);

  EventLog& log_;
  File file_;
  std::string destination_;
  std::string temporary_;  // empty when the destination is written directly
  bool replacing_ = false;  // a regular file of the destination's name was there
  bool copyOver_ = false;   // the temporary file is in the user's temporary folder
  bool finished_ = true;
  std::string partial_;  // where Abandon() kept the incomplete track
  std::unique_ptr<RemovedAtAbruptEnd> removal_;
};

// What a file is to a command, for the refusal of one file named for two of them.
enum class FileRole { Track, RawCopy, Trace, Input };

// "The file %s would be both %s and %s. Choose other names.", with the roles' names.
void ReportFileNamedTwice(EventLog& log, const std::string& path, FileRole first, FileRole second);

// "NAME.partial.EXT" beside "NAME.EXT" ("NAME.partial" beside a name without an extension);
// from the second on, "NAME.partial-2.EXT", ... NAME is shortened as far as needed for the
// system's name limit.
std::string PartialTrackPath(const std::string& path, int number = 1);
// "NAME.bin" beside "NAME.EXT": where the raw memory image goes beside a track file.
std::string RawCopyPath(const std::string& path);
// "NAME-YYYY-MM-DD.EXT" beside "NAME.EXT" ("NAME-YYYY-MM-DD" beside a name without an
// extension): the track file of one day. NAME is shortened as far as needed for the
// system's name limit.
std::string DayFilePath(const std::string& path, int year, int month, int day);

}  // namespace stravener
