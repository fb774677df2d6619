#include "track/text_spool.h"

#include <random>

#include "app/format.h"
#include "platform/path_separator.h"

namespace stravener {

namespace {

constexpr int kNameAttempts = 16;

}  // namespace

TextSpool::TextSpool(size_t memory) : capacity_(memory > 0 ? memory : 1) { memory_.reserve(capacity_); }

TextSpool::~TextSpool() { RemoveFile(); }

void TextSpool::Append(const char* text, size_t size) {
  if (failure_ != 0) return;
  if (memory_.size() + size > capacity_) Spill();
  memory_.append(text, size);
}

void TextSpool::Spill() {
  if (path_.empty()) {
    std::string folder = TemporaryFolder();
    if (!folder.empty() && !IsPathSeparator(folder.back())) folder += kPathSeparator;
    thread_local std::mt19937 names{std::random_device{}()};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      path_ = folder + FormatText("stravener-%08x.tmp", static_cast<unsigned>(names()));
      failure_ = file_.CreateNew(path_);
      if (failure_ == 0 || !NameTaken(failure_)) break;
    }
    if (failure_ != 0) return;
    removal_ = std::make_unique<RemovedAtAbruptEnd>(path_);
  }
  size_t written = 0;
  failure_ = file_.Write(memory_.data(), memory_.size(), written);
  memory_.clear();
}

void TextSpool::MoveTo(TrackOutput& out) {
  if (failure_ == 0 && !path_.empty()) {
    failure_ = file_.Close();
    File in;
    if (failure_ == 0) failure_ = in.OpenForReading(path_);
    char block[64 * 1024];
    for (size_t got = 0; failure_ == 0;) {
      failure_ = in.Read(block, sizeof block, got);
      if (got == 0) break;
      out.Append(block, got);
    }
  }
  if (failure_ != 0) {
    out.Fail(failure_, path_);
  } else {
    out.Append(memory_.data(), memory_.size());
  }
  memory_.clear();
  RemoveFile();
  failure_ = 0;
}

void TextSpool::RemoveFile() {
  if (path_.empty()) return;
  file_.Close();
  ::stravener::RemoveFile(path_);
  path_.clear();
  removal_.reset();
}

}  // namespace stravener
