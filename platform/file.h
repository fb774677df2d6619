#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace stravener {

// A file opened by one operation and closed when it ends (or when this object goes).
// Every call returns 0 on success or the platform's error code (errno on POSIX,
// GetLastError() on Windows), which the messages show with "0x%x".
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens an existing file for reading, read-shared with others, for sequential access.
  uint32_t OpenForReading(const std::string& path);
  // Creates a file for writing, replacing one of that name, not shared, sequential access.
  uint32_t Create(const std::string& path);
  // Creates a file for writing that must not exist yet (EEXIST, ERROR_FILE_EXISTS when it
  // does), shared only for its removal, so that it can be removed while it is open.
  uint32_t CreateNew(const std::string& path);
  // Opens an existing file for writing over its bytes from the start, without cutting it
  // short and not shared. `reserve` bytes are set aside first where the system can, so
  // that a disk too full for them refuses before a byte of the file has changed.
  uint32_t OpenForOverwriting(const std::string& path, uint64_t reserve);
  // Gives a file this one takes the place of its access: its permissions, its owner and
  // group where the system lets the user give them (POSIX), its attributes and access
  // list (Windows). 0, or the code of the first change the system refused.
  uint32_t TakeAccessOf(const std::string& path);

  // Reads up to `count` bytes; `got` is what arrived (fewer only at the end of the file).
  uint32_t Read(void* buffer, size_t count, size_t& got);
  // Writes all `count` bytes; `written` tells how many reached the file before a failure.
  uint32_t Write(const void* data, size_t count, size_t& written);
  uint32_t Size(uint64_t& size);
  // Ends the file after `size` bytes.
  uint32_t SetSize(uint64_t size);
  // Closes the file; a failure to close (a write the system could not finish) is returned.
  uint32_t Close();

  bool IsOpen() const;

 private:
#if defined(_WIN32)
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// Whether something exists at the path (a file, a directory or a device).
bool PathExists(const std::string& path);

// What a path names: nothing, a regular file, or anything else (a folder, a device, a pipe,
// or something the system will not say).
enum class PathKind { None, RegularFile, Other };
PathKind KindOfPath(const std::string& path);

// Gives a closed file a new name, replacing a file of that name in one step: rename() on
// POSIX, MoveFileExW with MOVEFILE_REPLACE_EXISTING on Windows. 0 or the error code.
uint32_t MoveFileReplacing(const std::string& from, const std::string& to);

// Gives a closed file a name that nothing holds yet. When something holds it the move fails
// with a code NameTaken() knows, and nothing has changed. 0 or the error code.
uint32_t MoveFileToFreeName(const std::string& from, const std::string& to);
// Whether a code says that a name is taken (EEXIST; ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS).
bool NameTaken(uint32_t code);
// Whether a code says that the system refused the user access (EACCES, EPERM;
// ERROR_ACCESS_DENIED).
bool AccessRefused(uint32_t code);
// Whether the user may write to the existing file at the path.
bool CanWriteFile(const std::string& path);
// Copies a closed file's bytes over an existing file, which keeps its own name, access and
// owner; its old bytes are changed only once room for the new ones was found. 0 or the
// error code.
uint32_t CopyFileOver(const std::string& from, const std::string& to);

// Removes a file. 0 or the error code.
uint32_t RemoveFile(const std::string& path);

// Whether both paths name one file: through links and, on Windows, in any letter case. Two
// paths of which neither exists yet name one file when their folders are one and their
// names equal.
bool SameFile(const std::string& a, const std::string& b);

// The user's folder for temporary files ($TMPDIR or /tmp; GetTempPath on Windows).
std::string TemporaryFolder();

// The longest file name the system takes, in bytes of UTF-8: 255 on Linux; Windows counts
// 255 UTF-16 units, which 255 bytes never exceed.
constexpr size_t kLongestFileName = 255;

// The most files RemovedAtAbruptEnd holds at a time: enough for a track split into its
// most days (each waiting under a temporary name until all are whole), with their text
// spools and a raw copy. Their paths take no memory until they are held.
constexpr int kMostFilesRemovedAtAbruptEnd = 1100;

// While it lives, a program that a second stop request ends at once (platform/stop_signals.h,
// the command line's console handler) removes this file on its way out: a temporary file
// that would otherwise be left behind. Up to kMostFilesRemovedAtAbruptEnd at a time.
class RemovedAtAbruptEnd {
 public:
  explicit RemovedAtAbruptEnd(const std::string& path);
  ~RemovedAtAbruptEnd();
  RemovedAtAbruptEnd(const RemovedAtAbruptEnd&) = delete;
  RemovedAtAbruptEnd& operator=(const RemovedAtAbruptEnd&) = delete;

 private:
  int slot_ = -1;
};

// Removes the files held by RemovedAtAbruptEnd now. Async-signal-safe: for the handlers
// that end the program at once.
void RemoveFilesAtAbruptEnd() noexcept;

}  // namespace stravener
