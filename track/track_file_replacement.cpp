#include "track/track_file_replacement.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "app/format.h"
#include "app/language.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"
#include "track/track_file_format.h"
#include "track/track_output.h"

namespace stravener {

namespace {

// Attempts at a temporary name nobody holds.
constexpr int kTemporaryNameAttempts = 16;
// NAME.partial.EXT, then NAME.partial-2.EXT up to this number.
constexpr int kPartialNames = 999;

// Where the file name begins: after the last folder separator.
size_t NameStart(const std::string& path) {
  const size_t separator = LastPathSeparator(path);
  return separator == std::string::npos ? 0 : separator + 1;
}

// Where the file name's extension begins (its last dot), or the end when it has none.
size_t ExtensionStart(const std::string& path) {
  const size_t dot = FileNameExtensionDot(path);
  return dot == std::string::npos ? path.size() : dot;
}

// The folder part, then as much of `stem` as leaves room for `suffix` within the system's
// name limit (never cutting a UTF-8 character), then the suffix.
std::string NameWithin(const std::string& folder, const std::string& stem, const std::string& suffix) {
  size_t room = suffix.size() < kLongestFileName ? kLongestFileName - suffix.size() : 0;
  if (stem.size() > room) {
    while (room > 0 && (static_cast<unsigned char>(stem[room]) & 0xC0) == 0x80) --room;
  } else {
    room = stem.size();
  }
  return folder + stem.substr(0, room) + suffix;
}

}  // namespace

std::string PartialTrackPath(const std::string& path, int number) {
  const size_t nameStart = NameStart(path);
  const size_t dot = ExtensionStart(path);
  const std::string suffix = (number > 1 ? FormatText(".partial-%d", number) : std::string(".partial")) + path.substr(dot);
  return NameWithin(path.substr(0, nameStart), path.substr(nameStart, dot - nameStart), suffix);
}

void ReportFileNamedTwice(EventLog& log, const std::string& path, FileRole first, FileRole second) {
  const auto name = [](FileRole role) {
    switch (role) {
      case FileRole::Track: return PickTextOrEmpty("plik śladu", "the track file");
      case FileRole::RawCopy: return PickTextOrEmpty("surowa kopia pamięci", "the raw copy");
      case FileRole::Trace: return PickTextOrEmpty("plik zapisu transmisji", "the trace file");
      case FileRole::Input: return PickTextOrEmpty("plik wejściowy", "the input file");
    }
    return "";
  };
  LOG_TEXT(log, LogKind::Error, "Plik %s byłby jednocześnie: %s i %s. Wybierz inne nazwy.",
           "The file %s would be both %s and %s. Choose other names.", path.c_str(), name(first), name(second));
}

std::string RawCopyPath(const std::string& path) { return path.substr(0, ExtensionStart(path)) + ".bin"; }

std::string DayFilePath(const std::string& path, int year, int month, int day) {
  const size_t nameStart = NameStart(path);
  const size_t dot = ExtensionStart(path);
  return NameWithin(path.substr(0, nameStart), path.substr(nameStart, dot - nameStart),
                    FormatText("-%04d-%02d-%02d", year, month, day) + path.substr(dot));
}

uint32_t TrackFileReplacement::Create(const std::string& path) {
  Abandon();
  destination_ = path;
  temporary_.clear();
  partial_.clear();
  copyOver_ = false;
  const PathKind kind = KindOfPath(path);
  replacing_ = kind == PathKind::RegularFile;
  if (kind == PathKind::Other) {
    // A device or a pipe takes the track as it comes; a folder refuses it as it always did.
    if (const uint32_t code = file_.Create(path); code != 0) return code;
    finished_ = false;
    return 0;
  }
  std::error_code error;
  const std::filesystem::path target = PathFromUtf8(path);
  if (replacing_ && std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) {
    // Through a link, the file it names is the one replaced.
    const std::filesystem::path real = std::filesystem::canonical(target, error);
    if (!error) destination_ = Utf8FromPath(real);
  }
  const size_t nameStart = NameStart(destination_);
  const std::string name = destination_.substr(nameStart);
  thread_local std::mt19937 names{std::random_device{}()};
  const auto createTemporary = [&](const std::string& folder) {
    uint32_t code = 0;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      temporary_ = NameWithin(folder, name, FormatText(".%08x.tmp", static_cast<unsigned>(names())));
      code = file_.CreateNew(temporary_);
      if (code == 0 || !NameTaken(code)) break;
    }
    return code;
  };
  uint32_t code = createTemporary(destination_.substr(0, nameStart));
  if (code != 0 && replacing_ && AccessRefused(code) && CanWriteFile(destination_)) {
    // The folder takes no new file, yet the file itself may be written: the track waits in
    // the temporary folder and is copied over the file once whole.
    std::string folder = TemporaryFolder();
    if (!folder.empty() && !IsPathSeparator(folder.back())) folder += kPathSeparator;
    if (createTemporary(folder) == 0) {
      copyOver_ = true;
      code = 0;
    }
  }
  if (code != 0) {
    temporary_.clear();
    return code;
  }
  // A private track stays private. Where the system refuses (another owner), the file is
  // still written, as the user's.
  if (replacing_) file_.TakeAccessOf(destination_);
  removal_ = std::make_unique<RemovedAtAbruptEnd>(temporary_);
  finished_ = false;
  return 0;
}

bool TrackFileReplacement::Complete() {
  if (finished_) return false;
  // A write the system could only finish on closing fails here.
  if (const uint32_t code = file_.Close(); code != 0) {
    ReportTrackWriteFailure(log_, code);
    Abandon();
    return false;
  }
  return true;
}

bool TrackFileReplacement::Keep() {
  if (finished_) return true;
  if (!Complete()) return false;
  if (temporary_.empty()) {
    finished_ = true;
    return true;
  }
  const uint32_t code =
      copyOver_ ? CopyFileOver(temporary_, destination_) : MoveFileReplacing(temporary_, destination_);
  if (code != 0) {
    ReportReplaceFailure(code, destination_);
    // A copy that failed may have changed the old file.
    if (copyOver_) replacing_ = false;
    Abandon();
    return false;
  }
  if (copyOver_) RemoveFile(temporary_);
  finished_ = true;
  removal_.reset();
  return true;
}

void TrackFileReplacement::Discard() {
  if (finished_) return;
  finished_ = true;
  file_.Close();
  if (!temporary_.empty()) RemoveFile(temporary_);
  removal_.reset();
}

void TrackFileReplacement::Abandon() {
  if (finished_) return;
  finished_ = true;
  file_.Close();
  if (temporary_.empty()) return;
  uint64_t size = 1;
  {
    File written;
    if (written.OpenForReading(temporary_) == 0) written.Size(size);
  }
  if (size == 0) {
    // Nothing came: nothing to keep.
    RemoveFile(temporary_);
    removal_.reset();
    return;
  }
  // Never under the chosen name, never over another file (the input of a conversion
  // included): the first free NAME.partial.EXT beside the file, or in the temporary folder
  // when the track waited there.
  const std::string beside = copyOver_ ? temporary_.substr(0, NameStart(temporary_)) +
                                             destination_.substr(NameStart(destination_))
                                       : destination_;
  for (int number = 1; number <= kPartialNames; ++number) {
    const std::string candidate = PartialTrackPath(beside, number);
    const uint32_t code = MoveFileToFreeName(temporary_, candidate);
    if (code == 0) {
      partial_ = candidate;
      break;
    }
    if (!NameTaken(code)) {
      LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x zapisu niekompletnego śladu jako %s.",
               "Error 0x%x keeping the incomplete track as %s.", code, candidate.c_str());
      log_.LogSystemError(LogKind::Error, code);
      break;
    }
  }
  // Rather under its temporary name than lost.
  if (partial_.empty()) partial_ = temporary_;
  removal_.reset();
}

void TrackFileReplacement::ReportAbandoned() {
  if (partial_.empty()) return;
  if (replacing_) {
    LOG_TEXT(log_, LogKind::Info, "Plik %s pozostał bez zmian; niekompletny ślad zapisano w %s.",
             "%s was left as it was; the incomplete track is in %s.", destination_.c_str(), partial_.c_str());
  } else {
    LOG_TEXT(log_, LogKind::Info, "Niekompletny ślad zapisano w %s.", "The incomplete track is in %s.",
             partial_.c_str());
  }
  partial_.clear();
}

void TrackFileReplacement::ReportReplaceFailure(uint32_t code, const std::string& path) {
  LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x zastępowania pliku %s.", "Error 0x%x replacing file %s.", code,
           path.c_str());
  log_.LogSystemError(LogKind::Error, code);
}

}  // namespace stravener
