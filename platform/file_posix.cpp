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

uint32_t File::OpenForOverwriting(const std::string& path, uint64_t reserve) {
  Close();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return static_cast<uint32_t>(errno);
  if (reserve > 0) {
    // A system that cannot set room aside (EOPNOTSUPP, EINVAL) still takes the bytes.
    const int code = ::posix_fallocate(fd, 0, static_cast<off_t>(reserve));
    if (code == ENOSPC || code == EFBIG || code == EDQUOT) {
      ::close(fd);
      return static_cast<uint32_t>(code);
    }
  }
  fd_ = fd;
  return 0;
}

uint32_t File::TakeAccessOf(const std::string& path) {
  if (fd_ < 0) return EBADF;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return static_cast<uint32_t>(errno);
  // The owner only the superuser may give; a group the user belongs to, anyone.
  if (::fchown(fd_, st.st_uid, st.st_gid) != 0 && ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
    // The file stays the user's, in the user's group.
  }
  // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
  if (::fchmod(fd_, st.st_mode & 07777) != 0) return static_cast<uint32_t>(errno);
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

uint32_t File::SetSize(uint64_t size) {
  if (fd_ < 0) return EBADF;
  return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : static_cast<uint32_t>(errno);
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

uint32_t MoveFileToFreeName(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return static_cast<uint32_t>(errno);
  // A file system that cannot refuse to replace in the move itself: a second name made
  // beside the first fails when the name is taken.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  if (errno == EEXIST) return EEXIST;
  // Nor links (FAT, some network file systems): asked first, then moved.
  if (PathExists(to)) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : static_cast<uint32_t>(errno);
}

bool NameTaken(uint32_t code) { return code == EEXIST; }

bool AccessRefused(uint32_t code) { return code == EACCES || code == EPERM; }

bool CanWriteFile(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

uint32_t RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : static_cast<uint32_t>(errno); }

}  // namespace stravener
