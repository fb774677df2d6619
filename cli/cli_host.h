#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/host.h"
#include "track/track_file_replacement.h"

namespace stravener::cli {

// The terminal as the window an operation runs in: log lines go to stderr as they are
// logged, the progress bar is drawn on stderr when it is a terminal, notices go to stdout,
// questions are asked on the terminal, and file choices come from the command's options.
class CliHost : public Host {
 public:
  CliHost();
  ~CliHost() override;

  EventLog& Log() override { return log_; }
  void SetProgressRange(uint32_t maximum) override;
  void SetProgressPosition(uint32_t position) override;
  void Repaint() override;
  void ShowNotice(const std::string& text) override;
  bool AskOkCancel(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
  std::optional<std::string> ChooseOpenFile(const FileChoice& choice) override;
  // The day files of a split, refused as the output is: one that exists, without --force;
  // one that is the input, the trace or the raw copy.
  bool ApproveOutputFiles(const std::vector<std::string>& paths) override;
  bool RunConfigurationDialog(ConfigurationDialog& dialog) override;
  Clock& GetClock() override { return clock_ != nullptr ? *clock_ : Host::GetClock(); }

  // The clock the operations use in place of the machine's (a tracing one, for --trace).
  void SetClock(Clock* clock) { clock_ = clock; }

  // What the file choices answer: the output named with -o (or the default name in the
  // current directory), replaced only with --force; the input named on the command line.
  void SetOutputPath(std::optional<std::string> path) { outputPath_ = std::move(path); }
  void SetForce(bool force) { force_ = force; }
  // The output's name is the pattern of the day files of a split (--split day), which are
  // checked once they are known (ApproveOutputFiles); the name itself is not written.
  void SetSplitByDay(bool split) { splitByDay_ = split; }
  // The extension a chosen name without one gets, instead of the one the operation offers.
  void SetDefaultExtension(std::optional<std::string> extension) { defaultExtension_ = std::move(extension); }
  void SetInputPath(std::optional<std::string> path) { inputPath_ = std::move(path); }
  // Other files the command writes beside the chosen output (given its full path; the raw
  // copy of read-track --keep-raw): each is refused, as the output is, when it exists and
  // --force was not given, and when it is the output, the input, the trace or another one.
  void SetCompanionFiles(std::function<std::vector<std::string>(const std::string&)> companions) {
    companions_ = std::move(companions);
  }
  // The name the output gets without -o (today's), for the checks of the trace file, which
  // is created before the output is chosen.
  void SetDefaultOutputName(std::string name, std::string extension) {
    defaultOutputName_ = std::move(name);
    defaultOutputExtension_ = std::move(extension);
  }
  // The trace file (--trace): refused when it exists without --force, and when it is the
  // output, the input or a companion file. Checked before it is created, so that nothing
  // is emptied by it; false after saying why (the command then ends with status 1).
  bool CheckTraceFile(const std::string& path);
  // Questions answer OK without asking (--yes).
  void SetAssumeYes(bool yes) { assumeYes_ = yes; }
  // How the configuration dialog is answered on the command line.
  void SetConfigurationHandler(std::function<bool(ConfigurationDialog&)> handler) {
    configurationHandler_ = std::move(handler);
  }
  // True when a file choice or question was refused for a reason the user must hear
  // about (an existing output without --force, no terminal to ask on); the command then
  // ends with exit status 1 rather than as a plain cancel.
  bool Refused() const { return refused_; }
  // The number of Error lines logged so far.
  size_t ErrorCount() const { return errorCount_; }
  // Notices shown so far (the last one is what a command's outcome often depends on).
  const std::string& LastNotice() const { return lastNotice_; }

 private:
  void PrintLine(const LogEntry& entry);
  // The output's full path as the file choice gives it.
  std::string OutputPathFor(const std::string& defaultName, const std::string& defaultExtension) const;
  // True after saying so when one file is named for two of the command's files (the input
  // among them).
  bool RefuseFilesNamedTwice(std::vector<std::pair<std::string, FileRole>> files);
  // True after saying so when the file exists and --force was not given.
  bool RefuseExistingFile(const std::string& path);
  void ClearProgress();
  void DrawProgress();

  EventLog log_;
  bool stderrIsTerminal_;
  bool progressShown_ = false;
  uint32_t progressMaximum_ = 0;
  uint32_t progressPosition_ = 0;
  std::optional<std::string> outputPath_;
  std::optional<std::string> defaultExtension_;
  std::optional<std::string> inputPath_;
  bool force_ = false;
  bool splitByDay_ = false;
  std::optional<std::string> chosenOutput_;
  bool assumeYes_ = false;
  bool refused_ = false;
  size_t errorCount_ = 0;
  std::string lastNotice_;
  std::function<bool(ConfigurationDialog&)> configurationHandler_;
  std::function<std::vector<std::string>(const std::string&)> companions_;
  std::optional<std::string> defaultOutputName_;
  std::string defaultOutputExtension_;
  std::optional<std::string> tracePath_;
  Clock* clock_ = nullptr;
};

// Resolves a path against the current directory, so the log and the track name show the
// full path, as a file dialog would give it.
std::string AbsolutePath(const std::string& path);

// The chosen name with the default extension appended when it has none (by the file-name
// extension rule of the track formats: ".plt" has one, "track." has none).
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace stravener::cli
