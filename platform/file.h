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

  // Reads up to `count` bytes; `got` is what arrived (fewer only at the end of the file).
  uint32_t Read(void* buffer, size_t count, size_t& got);
  // Writes all `count` bytes; `written` tells how many reached the file before a failure.
  uint32_t Write(const void* data, size_t count, size_t& written);
  uint32_t Size(uint64_t& size);
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

}  // namespace stravener
