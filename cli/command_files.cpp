#include "cli/command_files.h"

#include <cstdio>
#include <filesystem>

#include "app/format.h"
#include "cli/console_text.h"
#include "platform/file.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"
#include "track/track_file_format.h"

namespace stravener::cli {

namespace {

bool EndsWithSeparator(const std::string& path) { return !path.empty() && IsPathSeparator(path.back()); }

bool IsFolderName(const std::string& path) {
  std::error_code error;
  return EndsWithSeparator(path) || std::filesystem::is_directory(PathFromUtf8(path), error);
}

// A name that stands for something other than a file: a device or a pipe (/dev/stdout, a
// named pipe), written to directly, as it is; never given an extension.
bool IsDeviceName(const std::string& path) {
  return !path.empty() && !IsFolderName(path) && KindOfPath(path) == PathKind::Other;
}

bool RefuseFolder(const std::string& path) {
  if (!IsFolderName(path)) return false;
  const std::string message = FORMAT_PAIR("%s jest folderem: podaj nazwę pliku.", "%s is a folder: name a file.",
                                          path.c_str());
  PrintText(stderr, "%s\n", message.c_str());
  return true;
}

}  // namespace

std::string CommandFiles::OutputPath() const {
  const std::string path = output ? *output : defaultOutputName.value_or("");
  // A folder's name stays as it is, to be refused; "trip", beside a folder trip, is trip.plt.
  if (path.empty() || EndsWithSeparator(path)) return path;
  if (IsDeviceName(path)) return AbsolutePath(path);
  return AbsolutePath(WithDefaultExtension(path, outputExtension));
}

bool CommandFiles::RefuseFilesNamedTwice(EventLog& log, std::vector<std::pair<std::string, FileRole>> files) const {
  // One file named for two of the command's files: the one written last would take the
  // other's place (the track its raw copy, the trace the track), or replace the input.
  if (input) files.emplace_back(AbsolutePath(*input), FileRole::Input);
  for (size_t i = 0; i < files.size(); ++i) {
    for (size_t j = i + 1; j < files.size(); ++j) {
      if (!SameFile(files[i].first, files[j].first)) continue;
      ReportFileNamedTwice(log, files[i].first, files[i].second, files[j].second);
      return true;
    }
  }
  return false;
}

bool CommandFiles::RefuseExistingFile(const std::string& path) const {
  // A device or a pipe is written to, not replaced.
  if (force || KindOfPath(path) != PathKind::RegularFile) return false;
  const std::string message = FORMAT_PAIR("Plik %s już istnieje; użyj --force, aby go zastąpić.",
                                          "The file %s already exists; use --force to replace it.", path.c_str());
  PrintText(stderr, "%s\n", message.c_str());
  return true;
}

bool CommandFiles::CheckTrace(EventLog& log, const std::string& tracePath) {
  if (RefuseFolder(tracePath)) return false;
  trace_ = AbsolutePath(tracePath);
  std::vector<std::pair<std::string, FileRole>> files{{*trace_, FileRole::Trace}};
  if (defaultOutputName) {
    // The output is chosen later, by the name it will get.
    // (a split's day files are checked once they are known)
    const std::string path = OutputPath();
    if (!splitByDay) files.emplace_back(path, FileRole::Track);
    if (companions) {
      for (const std::string& companion : companions(path)) files.emplace_back(companion, FileRole::RawCopy);
    }
  }
  return !RefuseFilesNamedTwice(log, files) && !RefuseExistingFile(*trace_);
}

std::optional<std::string> CommandFiles::ChooseOutput(EventLog& log) {
  const std::string path = OutputPath();
  if (path.empty() || RefuseFolder(path)) return std::nullopt;
  if (IsDeviceName(path) && (splitByDay || (companions && !companions(path).empty()))) {
    // The day files and the raw copy are named after the output: a device's name would
    // put them beside it (/dev/null.bin).
    const std::string message = FORMAT_PAIR("%s nie jest plikiem: --keep-raw i --split day wymagają nazwy pliku.",
                                            "%s is not a file: --keep-raw and --split day need a file's name.",
                                            path.c_str());
    PrintText(stderr, "%s\n", message.c_str());
    return std::nullopt;
  }
  std::vector<std::pair<std::string, FileRole>> written;
  // A split writes its day files instead, checked once they are known.
  if (!splitByDay) written.emplace_back(path, FileRole::Track);
  if (companions) {
    for (const std::string& companion : companions(path)) written.emplace_back(companion, FileRole::RawCopy);
  }
  std::vector<std::pair<std::string, FileRole>> named = written;
  if (trace_) named.emplace_back(*trace_, FileRole::Trace);
  if (RefuseFilesNamedTwice(log, named)) return std::nullopt;
  for (const auto& file : written) {
    if (RefuseExistingFile(file.first)) return std::nullopt;
  }
  chosenOutput_ = path;
  return path;
}

bool CommandFiles::ApproveDayFiles(EventLog& log, const std::vector<std::string>& paths) const {
  std::vector<std::pair<std::string, FileRole>> named;
  for (const std::string& path : paths) named.emplace_back(path, FileRole::Track);
  if (companions && chosenOutput_) {
    for (const std::string& companion : companions(*chosenOutput_)) named.emplace_back(companion, FileRole::RawCopy);
  }
  if (trace_) named.emplace_back(*trace_, FileRole::Trace);
  if (RefuseFilesNamedTwice(log, named)) return false;
  for (const std::string& path : paths) {
    if (RefuseExistingFile(path)) return false;
  }
  return true;
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
