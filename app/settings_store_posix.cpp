#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "app/format.h"
#include "app/settings_store_posix.h"
#include "platform/system_language.h"

namespace stravener {

namespace {

constexpr size_t kMaxFileSize = 64 * 1024;

std::string SettingsFile() { return SettingsDirectory() + "/settings"; }

// Creates the folder and its parents when missing ("created on first use").
bool EnsureDirectory(const std::string& path) {
  if (path.empty()) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !EnsureDirectory(path.substr(0, slash))) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// Reads the whole file (up to a sane size); false when it cannot be read.
bool ReadSettingsFile(std::string& text) {
  const int fd = ::open(SettingsFile().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  text.clear();
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > kMaxFileSize) break;
  }
  ::close(fd);
  return true;
}

std::optional<uint32_t> ParseValue(const std::string& value) {
  if (value.empty() || value.size() > 11) return std::nullopt;
  size_t i = 0;
  bool negative = false;
  if (value[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i == value.size()) return std::nullopt;
  uint64_t number = 0;
  for (; i < value.size(); ++i) {
    if (value[i] < '0' || value[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<uint64_t>(value[i] - '0');
  }
  if (negative) {
    if (number > 0x80000000ull) return std::nullopt;
    return static_cast<uint32_t>(0x100000000ull - number);
  }
  if (number > 0xffffffffull) return std::nullopt;
  return static_cast<uint32_t>(number);
}

}  // namespace

std::string SettingsDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/Quillet";
  const char* home = std::getenv("HOME");
  std::string base;
  if (home != nullptr && home[0] != '\0') {
    base = home;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    base = pw->pw_dir;
  }
  return base + "/.config/Quillet";
}

StoredValues ParseSettingsText(const std::string& text) {
  StoredValues values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq);
    const std::optional<uint32_t> value = ParseValue(line.substr(eq + 1));
    if (!value) continue;
    if (name == "Language") values.language = value;
    else if (name == "Port") values.port = value;
    else if (name == "MaxSpeed") values.maxSpeed = value;
  }
  return values;
}

int32_t ReadLanguageSetting() {
  EnsureDirectory(SettingsDirectory());
  std::string text;
  if (!ReadSettingsFile(text)) return SystemLanguage();
  const StoredValues values = ParseSettingsText(text);
  return values.language ? static_cast<int32_t>(*values.language) : SystemLanguage();
}

void LoadPortSettings(uint32_t& portNumber, uint32_t& speedLimit) {
  portNumber = kDefaultPort;
  speedLimit = kDefaultMaxSpeed;
  EnsureDirectory(SettingsDirectory());
  std::string text;
  if (!ReadSettingsFile(text)) return;
  const StoredValues values = ParseSettingsText(text);
  if (values.port) portNumber = *values.port;
  if (values.maxSpeed) speedLimit = *values.maxSpeed;
}

void SaveSettings(int32_t language, uint32_t portNumber, uint32_t speedLimit) {
  const std::string directory = SettingsDirectory();
  if (!EnsureDirectory(directory)) return;
  const std::string text = FormatText("Language=%u\nPort=%u\nMaxSpeed=%u\n", static_cast<uint32_t>(language),
                                      portNumber, speedLimit);
  // Written beside the old file and renamed over it, so a crash or a full disk never
  // leaves a half-written settings file.
  const std::string temporary = FormatText("%s/.settings.%ld.tmp", directory.c_str(), static_cast<long>(::getpid()));
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;
  size_t written = 0;
  bool ok = true;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    written += static_cast<size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok || ::rename(temporary.c_str(), SettingsFile().c_str()) != 0) ::unlink(temporary.c_str());
}

}  // namespace stravener
