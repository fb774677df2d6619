// The temporary files a program ended at once removes on its way out. A handler that runs
// in a signal (or on the console's own thread on Windows) may touch only what is ready:
// each slot holds its path in the form the system call takes, and is marked ready once the
// path is whole.

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cstring>

#include "platform/file.h"

namespace stravener {

namespace {

#if defined(_WIN32)
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

constexpr int kSlots = kMostFilesRemovedAtAbruptEnd;
constexpr size_t kLongestPath = 4096;
enum SlotState : int { kFree = 0, kFilling = 1, kReady = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  NativeChar path[kLongestPath];
};
Slot gSlots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

// The path as the system call takes it, ending with a zero; false when it does not fit.
bool NativePath(const std::string& path, NativeChar* out) {
#if defined(_WIN32)
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                                         out, static_cast<int>(kLongestPath) - 1);
  if (length <= 0) return false;
  out[length] = L'\0';
  return true;
#else
  if (path.size() + 1 > kLongestPath) return false;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return true;
#endif
}

void RemoveNative(const NativeChar* path) noexcept {
#if defined(_WIN32)
  DeleteFileW(path);
#else
  unlink(path);
#endif
}

}  // namespace

RemovedAtAbruptEnd::RemovedAtAbruptEnd(const std::string& path) {
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!gSlots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    if (NativePath(path, gSlots[i].path)) {
      gSlots[i].state.store(kReady);
      slot_ = i;
    } else {
      gSlots[i].state.store(kFree);
    }
    return;
  }
}

RemovedAtAbruptEnd::~RemovedAtAbruptEnd() {
  if (slot_ >= 0) gSlots[slot_].state.store(kFree);
}

void RemoveFilesAtAbruptEnd() noexcept {
  for (Slot& slot : gSlots) {
    if (slot.state.load() == kReady) RemoveNative(slot.path);
  }
}

}  // namespace stravener
