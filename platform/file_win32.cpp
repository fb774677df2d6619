#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/file.h"

namespace stravener {

namespace {

HANDLE AsHandle(void* h) { return static_cast<HANDLE>(h); }

// Paths come as UTF-8 (see platform/utf8_path.h); the system takes them as wide text, so
// "C:\Users\Łukasz\ślad.plt" is the file of that name whatever the 8-bit code page is.
// A text that is no UTF-8 is handed over as it is, in the 8-bit code page.
bool WidePath(const std::string& path, std::wstring& wide) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                                         nullptr, 0);
  if (length <= 0 && !path.empty()) return false;
  wide.assign(static_cast<size_t>(length), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), wide.data(),
                        length);
  }
  return true;
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  std::wstring wide;
  if (WidePath(path, wide)) return CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr);
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

bool File::IsOpen() const { return handle_ != nullptr; }

uint32_t File::OpenForReading(const std::string& path) {
  Close();
  HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  handle_ = h;
  return 0;
}

uint32_t File::Create(const std::string& path) {
  Close();
  HANDLE h = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  handle_ = h;
  return 0;
}

uint32_t File::CreateNew(const std::string& path) {
  Close();
  // WRITE_DAC: the file may take the access list of the file it replaces (TakeAccessOf).
  HANDLE h = OpenFile(path, GENERIC_WRITE | WRITE_DAC, FILE_SHARE_DELETE, CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  handle_ = h;
  return 0;
}

uint32_t File::OpenForOverwriting(const std::string& path, uint64_t) {
  Close();
  HANDLE h = OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  handle_ = h;
  return 0;
}

uint32_t File::TakeAccessOf(const std::string& path) {
  if (handle_ == nullptr) return ERROR_INVALID_HANDLE;
  std::wstring wide;
  if (!WidePath(path, wide)) return ERROR_INVALID_NAME;
  // The attributes that say how the file is shown and kept; read-only is not one of them
  // (such a file cannot be replaced at all).
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(AsHandle(handle_), FileBasicInfo, &basic, sizeof basic)) return GetLastError();
  // The access list: an explicit one is kept as it is; the entries inherited from the
  // folder come again from the folder, as they did for the old file.
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD got = GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                          &dacl, nullptr, &descriptor);
  if (got != ERROR_SUCCESS) return got;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  const SECURITY_INFORMATION which =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
  const DWORD set = SetSecurityInfo(AsHandle(handle_), SE_FILE_OBJECT, which, nullptr, nullptr, dacl, nullptr);
  LocalFree(descriptor);
  return set;
}

uint32_t File::Read(void* buffer, size_t count, size_t& got) {
  got = 0;
  if (handle_ == nullptr) return ERROR_INVALID_HANDLE;
  auto* out = static_cast<unsigned char*>(buffer);
  while (got < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(AsHandle(handle_), out + got, chunk, &n, nullptr)) return GetLastError();
    if (n == 0) break;
    got += n;
  }
  return 0;
}

uint32_t File::Write(const void* data, size_t count, size_t& written) {
  written = 0;
  if (handle_ == nullptr) return ERROR_INVALID_HANDLE;
  const auto* in = static_cast<const unsigned char*>(data);
  while (written < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - written, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(AsHandle(handle_), in + written, chunk, &n, nullptr)) return GetLastError();
    if (n == 0) return ERROR_WRITE_FAULT;
    written += n;
  }
  return 0;
}

uint32_t File::Size(uint64_t& size) {
  size = 0;
  if (handle_ == nullptr) return ERROR_INVALID_HANDLE;
  DWORD high = 0;
  SetLastError(0);
  const DWORD low = GetFileSize(AsHandle(handle_), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return GetLastError();
  size = (static_cast<uint64_t>(high) << 32) | low;
  return 0;
}

uint32_t File::SetSize(uint64_t size) {
  if (handle_ == nullptr) return ERROR_INVALID_HANDLE;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(AsHandle(handle_), at, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(handle_))) {
    return GetLastError();
  }
  return 0;
}

uint32_t File::Close() {
  if (handle_ == nullptr) return 0;
  HANDLE h = AsHandle(std::exchange(handle_, nullptr));
  if (!CloseHandle(h)) return GetLastError();
  return 0;
}

PathKind KindOfPath(const std::string& path) {
  // Opened to ask, not to change anything: a device (Wine shows its host's /dev/full as one)
  // has no attributes to read, only a type.
  HANDLE h = OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      OPEN_EXISTING, 0);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::None : PathKind::Other;
  }
  const DWORD type = GetFileType(h);
  BY_HANDLE_FILE_INFORMATION info;
  const bool folder = GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(h);
  return type == FILE_TYPE_DISK && !folder ? PathKind::RegularFile : PathKind::Other;
}

uint32_t MoveFileReplacing(const std::string& from, const std::string& to) {
  std::wstring wideFrom, wideTo;
  const BOOL moved = WidePath(from, wideFrom) && WidePath(to, wideTo)
                         ? MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING)
                         : MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
  return moved ? 0 : GetLastError();
}

uint32_t MoveFileToFreeName(const std::string& from, const std::string& to) {
  std::wstring wideFrom, wideTo;
  const BOOL moved = WidePath(from, wideFrom) && WidePath(to, wideTo) ? MoveFileExW(wideFrom.c_str(), wideTo.c_str(), 0)
                                                                     : MoveFileExA(from.c_str(), to.c_str(), 0);
  return moved ? 0 : GetLastError();
}

bool NameTaken(uint32_t code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

bool AccessRefused(uint32_t code) { return code == ERROR_ACCESS_DENIED; }

bool CanWriteFile(const std::string& path) {
  // Opened to ask, shared with everyone, and closed at once: nothing of the file changes.
  HANDLE h = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, 0);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

uint32_t RemoveFile(const std::string& path) {
  std::wstring wide;
  const BOOL removed = WidePath(path, wide) ? DeleteFileW(wide.c_str()) : DeleteFileA(path.c_str());
  return removed ? 0 : GetLastError();
}

bool PathExists(const std::string& path) {
  std::wstring wide;
  if (WidePath(path, wide)) return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace stravener
