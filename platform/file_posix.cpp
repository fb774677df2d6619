#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/file.h"

namespace stravener {

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool File::IsOpen() const { return fd_ >= 0; }

uint32_t File::OpenForReading(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return static_cast<uint32_t>(errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return EISDIR;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  fd_ = fd;
  return 0;
}

uint32_t File::Create(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return static_cast<uint32_t>(errno);
  fd_ = fd;
  return 0;
}

uint32_t File::CreateNew(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return static_cast<uint32_t>(errno);
  fd_ = fd;
  return 0;
}

uint32_t File::Read(void* buffer, size_t count, size_t& got) {
  got = 0;
  if (fd_ < 0) return EBADF;
  auto* out = static_cast<unsigned char*>(buffer);
  while (got < count) {
    const ssize_t n = ::read(fd_, out + got, count - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return static_cast<uint32_t>(errno);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return 0;
}

uint32_t File::Write(const void* data, size_t count, size_t& written) {
  written = 0;
  if (fd_ < 0) return EBADF;
  const auto* in = static_cast<const unsigned char*>(data);
  while (written < count) {
    const ssize_t n = ::write(fd_, in + written, count - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return static_cast<uint32_t>(errno);
    }
    if (n == 0) return EIO;
    written += static_cast<size_t>(n);
  }
  return 0;
}

uint32_t File::Size(uint64_t& size) {
  size = 0;
  if (fd_ < 0) return EBADF;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return static_cast<uint32_t>(errno);
  size = static_cast<uint64_t>(st.st_size);
  return 0;
}

uint32_t File::Close() {
  if (fd_ < 0) return 0;
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 && errno != EINTR) return static_cast<uint32_t>(errno);
  return 0;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

PathKind KindOfPath(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? PathKind::None : PathKind::Other;
  return S_ISREG(st.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

uint32_t MoveFileReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : static_cast<uint32_t>(errno);
}

uint32_t RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : static_cast<uint32_t>(errno); }

}  // namespace stravener
