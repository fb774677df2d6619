#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/event_log.h"
#include "track/track_file_replacement.h"

namespace stravener::cli {

// The files a command names on its command line, and the rules they follow before any of
// them is created: none may be named for two of the command's files (the track, its raw
// copy, the trace, the input), and none that exists is replaced without --force.
struct CommandFiles {
  // The output named with -o; unset, the default name in the current folder.
  std::optional<std::string> output;
  // The output's default name (today's), for a command that writes one, and the extension
  // a name without one gets (--format's, else the command's).
  std::optional<std::string> defaultOutputName;
  std::string outputExtension;
  // --force: an existing output, companion or trace is replaced.
  bool force = false;
  // The file the command reads (convert, upgrade).
  std::optional<std::string> input;
  // Other files the command writes beside the output, given its full path (the raw copy of
  // read-track --keep-raw).
  std::function<std::vector<std::string>(const std::string&)> companions;
  // --split day: the output's name is the pattern of the day files, which are checked once
  // they are known (ApproveDayFiles); the name itself is not written.
  bool splitByDay = false;

  // The output's full path, or nothing after saying why it may not be written (one of the
  // command's files named twice, or an existing file without --force).
  std::optional<std::string> ChooseOutput(EventLog& log);
  // The trace file (--trace): refused when it exists without --force, and when it is the
  // output, the input or a companion file. Checked before it is created, so that nothing
  // is emptied by it; false after saying why. The output chosen later is checked against it.
  bool CheckTrace(EventLog& log, const std::string& path);
  // The day files of a split, once they are known, refused as the output is: one that
  // exists, without --force; one that is the input, the trace or the raw copy. False after
  // saying why.
  bool ApproveDayFiles(EventLog& log, const std::vector<std::string>& paths) const;

 private:
  // The output's full path by its name and extension.
  std::string OutputPath() const;
  // True after saying so when one file is named for two of the command's files (the input
  // among them).
  bool RefuseFilesNamedTwice(EventLog& log, std::vector<std::pair<std::string, FileRole>> files) const;
  // True after saying so when the file exists and --force was not given.
  bool RefuseExistingFile(const std::string& path) const;

  std::optional<std::string> trace_;
  std::optional<std::string> chosenOutput_;
};

// Resolves a path against the current directory, so the log and the track name show the
// full path, as a file dialog would give it.
std::string AbsolutePath(const std::string& path);

// The chosen name with the default extension appended when it has none (by the file-name
// extension rule of the track formats: ".plt" has one, "track." has none).
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace stravener::cli
