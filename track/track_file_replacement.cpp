#include "track/track_file_replacement.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#include "app/format.h"
#include "app/language.h"
#include "platform/utf8_path.h"
#include "track/track_file_format.h"
#include "track/track_output.h"

namespace stravener {

namespace {

// Attempts at a temporary name nobody holds.
constexpr int kTemporaryNameAttempts = 16;

// Where the file name's extension begins (its last dot), or the end when it has none.
size_t ExtensionStart(const std::string& path) {
  const size_t dot = FileNameExtensionDot(path);
  return dot == std::string::npos ? path.size() : dot;
}

}  // namespace

std::string PartialTrackPath(const std::string& path) {
  const size_t dot = ExtensionStart(path);
  return path.substr(0, dot) + ".partial" + path.substr(dot);
}

std::string RawCopyPath(const std::string& path) { return path.substr(0, ExtensionStart(path)) + ".bin"; }

uint32_t TrackFileReplacement::Create(const std::string& path) {
  Abandon();
  destination_ = path;
  temporary_.clear();
  partial_.clear();
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
  thread_local std::mt19937 names{std::random_device{}()};
  uint32_t code = EEXIST;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && code != 0; ++attempt) {
    temporary_ = destination_ + FormatText(".%08x.tmp", static_cast<unsigned>(names()));
    code = file_.CreateNew(temporary_);
    if (code != 0 && !PathExists(temporary_)) break;  // not a name taken: a real failure
  }
  if (code != 0) {
    temporary_.clear();
    return code;
  }
  removal_ = std::make_unique<RemovedAtAbruptEnd>(temporary_);
  finished_ = false;
  return 0;
}

bool TrackFileReplacement::Keep() {
  if (finished_) return true;
  // A write the system could only finish on closing fails here.
  if (const uint32_t code = file_.Close(); code != 0) {
    ReportTrackWriteFailure(log_, code);
    Abandon();
    return false;
  }
  if (temporary_.empty()) {
    finished_ = true;
    return true;
  }
  if (const uint32_t code = MoveFileReplacing(temporary_, destination_); code != 0) {
    ReportReplaceFailure(code, destination_);
    Abandon();
    return false;
  }
  finished_ = true;
  removal_.reset();
  return true;
}

void TrackFileReplacement::Abandon() {
  if (finished_) return;
  finished_ = true;
  file_.Close();
  if (temporary_.empty()) return;
  // An aborted run always left what it had written at the chosen name; only a file that
  // was there is kept from it.
  const std::string kept = replacing_ ? PartialTrackPath(destination_) : destination_;
  if (const uint32_t code = MoveFileReplacing(temporary_, kept); code != 0) {
    ReportReplaceFailure(code, kept);
    RemoveFile(temporary_);
  } else if (replacing_) {
    partial_ = kept;
  }
  removal_.reset();
}

void TrackFileReplacement::ReportAbandoned() {
  if (partial_.empty()) return;
  LOG_TEXT(log_, LogKind::Info, "Plik %s pozostał bez zmian; niekompletny ślad zapisano w %s.",
           "%s was left as it was; the incomplete track is in %s.", destination_.c_str(), partial_.c_str());
  partial_.clear();
}

void TrackFileReplacement::ReportReplaceFailure(uint32_t code, const std::string& path) {
  LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x zastępowania pliku %s.", "Error 0x%x replacing file %s.", code,
           path.c_str());
  log_.LogSystemError(LogKind::Error, code);
}

}  // namespace stravener
