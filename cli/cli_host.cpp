#include "cli/cli_host.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#if defined(_WIN32)
#include <io.h>

#include "cli/windows_console.h"
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "cli/console_text.h"
#include "platform/file.h"
#include "platform/utf8_path.h"
#include "track/track_file_format.h"

namespace stravener::cli {

namespace {

std::string TerminalText(const std::string& text) {
  // Message texts use CR LF between lines, as message boxes want; a terminal wants LF.
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

#if defined(_WIN32)
// A console shows the escapes only when it was told to (WindowsConsole).
CliHost::CliHost() : stderrIsTerminal_(isatty(fileno(stderr)) != 0 && StderrTakesEscapes()) {
#else
CliHost::CliHost() : stderrIsTerminal_(isatty(fileno(stderr)) != 0) {
#endif
  log_.SetListener([this](const LogEntry& entry, bool) { PrintLine(entry); });
}

CliHost::~CliHost() { ClearProgress(); }

void CliHost::PrintLine(const LogEntry& entry) {
  ClearProgress();
  if (entry.kind == LogKind::Error) ++errorCount_;
  if (stderrIsTerminal_ && entry.kind == LogKind::Error) {
    PrintText(stderr, "\033[31m%s\033[0m\n", entry.text.c_str());
  } else {
    PrintText(stderr, "%s\n", entry.text.c_str());
  }
  std::fflush(stderr);
  if (progressMaximum_ > 0 && progressPosition_ > 0) DrawProgress();
}

void CliHost::SetProgressRange(uint32_t maximum) {
  progressMaximum_ = maximum;
  progressPosition_ = 0;
}

void CliHost::SetProgressPosition(uint32_t position) {
  progressPosition_ = position;
  if (position == 0) {
    ClearProgress();
  } else {
    DrawProgress();
  }
}

void CliHost::DrawProgress() {
  if (!stderrIsTerminal_ || progressMaximum_ == 0) return;
  constexpr int kWidth = 40;
  const uint64_t position = progressPosition_ > progressMaximum_ ? progressMaximum_ : progressPosition_;
  const int filled = static_cast<int>(position * kWidth / progressMaximum_);
  const int percent = static_cast<int>(position * 100 / progressMaximum_);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  PrintText(stderr, "\r[%s] %3d%% ", bar.c_str(), percent);
  std::fflush(stderr);
  progressShown_ = true;
}

void CliHost::ClearProgress() {
  if (!progressShown_) return;
  PrintText(stderr, "\r\033[K");
  std::fflush(stderr);
  progressShown_ = false;
}

void CliHost::Repaint() { std::fflush(stderr); }

void CliHost::ShowNotice(const std::string& text) {
  ClearProgress();
  lastNotice_ = text;
  PrintText(stdout, "%s\n", TerminalText(text).c_str());
  std::fflush(stdout);
}

void CliHost::ShowWarning(const std::string& text) {
  ClearProgress();
  PrintText(stderr, "%s\n", TerminalText(text).c_str());
  std::fflush(stderr);
}

bool CliHost::AskOkCancel(const std::string& text) {
  if (assumeYes_) return true;
  ClearProgress();
  if (isatty(fileno(stdin)) == 0) {
    PrintText(stderr, "%s\n%s\n", TerminalText(text).c_str(),
              PickTextOrEmpty("Brak terminala do zadania pytania; potwierdź opcją --yes.",
                              "No terminal to ask on; confirm with --yes."));
    refused_ = true;
    return false;
  }
  PrintText(stderr, "%s [%s] ", TerminalText(text).c_str(), PickTextOrEmpty("t/N", "y/N"));
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y' || answer[0] == 't' || answer[0] == 'T');
}

std::string CliHost::OutputPathFor(const std::string& defaultName, const std::string& defaultExtension) const {
  const std::string path = outputPath_ ? *outputPath_ : defaultName;
  if (path.empty()) return path;
  return AbsolutePath(WithDefaultExtension(path, defaultExtension_ ? *defaultExtension_ : defaultExtension));
}

bool CliHost::RefuseFilesNamedTwice(std::vector<std::pair<std::string, FileRole>> files) {
  // One file named for two of the command's files: the one written last would take the
  // other's place (the track its raw copy, the trace the track), or replace the input.
  if (inputPath_) files.emplace_back(AbsolutePath(*inputPath_), FileRole::Input);
  for (size_t i = 0; i < files.size(); ++i) {
    for (size_t j = i + 1; j < files.size(); ++j) {
      if (!SameFile(files[i].first, files[j].first)) continue;
      ClearProgress();
      ReportFileNamedTwice(log_, files[i].first, files[i].second, files[j].second);
      refused_ = true;
      return true;
    }
  }
  return false;
}

bool CliHost::RefuseExistingFile(const std::string& path) {
  if (force_ || !PathExists(path)) return false;
  const std::string message = FORMAT_PAIR("Plik %s już istnieje; użyj --force, aby go zastąpić.",
                                          "The file %s already exists; use --force to replace it.", path.c_str());
  ClearProgress();
  PrintText(stderr, "%s\n", message.c_str());
  refused_ = true;
  return true;
}

bool CliHost::CheckTraceFile(const std::string& path) {
  tracePath_ = AbsolutePath(path);
  std::vector<std::pair<std::string, FileRole>> files{{*tracePath_, FileRole::Trace}};
  if (defaultOutputName_) {
    // The output is chosen later, by the name it will get (a split's day files are checked
    // once they are known).
    const std::string output = OutputPathFor(*defaultOutputName_, defaultOutputExtension_);
    if (!splitByDay_) files.emplace_back(output, FileRole::Track);
    if (companions_) {
      for (const std::string& companion : companions_(output)) files.emplace_back(companion, FileRole::RawCopy);
    }
  }
  return !RefuseFilesNamedTwice(files) && !RefuseExistingFile(*tracePath_);
}

std::optional<std::string> CliHost::ChooseSaveFile(const FileChoice& choice) {
  const std::string path = OutputPathFor(choice.defaultName, choice.defaultExtension);
  if (path.empty()) return std::nullopt;
  std::vector<std::pair<std::string, FileRole>> written;
  // A split writes its day files instead, checked once they are known.
  if (!splitByDay_) written.emplace_back(path, FileRole::Track);
  if (companions_) {
    for (const std::string& companion : companions_(path)) written.emplace_back(companion, FileRole::RawCopy);
  }
  std::vector<std::pair<std::string, FileRole>> named = written;
  if (tracePath_) named.emplace_back(*tracePath_, FileRole::Trace);
  if (RefuseFilesNamedTwice(named)) return std::nullopt;
  for (const auto& file : written) {
    if (RefuseExistingFile(file.first)) return std::nullopt;
  }
  chosenOutput_ = path;
  return path;
}

bool CliHost::ApproveOutputFiles(const std::vector<std::string>& paths) {
  std::vector<std::pair<std::string, FileRole>> named;
  for (const std::string& path : paths) named.emplace_back(path, FileRole::Track);
  if (companions_ && chosenOutput_) {
    for (const std::string& companion : companions_(*chosenOutput_)) named.emplace_back(companion, FileRole::RawCopy);
  }
  if (tracePath_) named.emplace_back(*tracePath_, FileRole::Trace);
  if (RefuseFilesNamedTwice(named)) return false;
  for (const std::string& path : paths) {
    if (RefuseExistingFile(path)) return false;
  }
  return true;
}

std::optional<std::string> CliHost::ChooseOpenFile(const FileChoice&) {
  if (!inputPath_) return std::nullopt;
  return AbsolutePath(*inputPath_);
}

bool CliHost::RunConfigurationDialog(ConfigurationDialog& dialog) {
  if (!configurationHandler_) return false;
  return configurationHandler_(dialog);
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), error);
  if (error) return path;
  const std::string text = Utf8FromPath(absolute.lexically_normal());
  return text.empty() ? path : text;
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
  if (extension.empty()) return path;
  if (!FileNameExtension(path).empty()) return path;
  if (!path.empty() && path.back() == '.') return path + extension;
  return path + "." + extension;
}

}  // namespace stravener::cli
