// The plain lines about a port that does not open, on POSIX.

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "link/port_names.h"
#include "link/port_trouble.h"

namespace stravener {

namespace {

// The device a name opens, links followed; empty when a COM name resolves to nothing.
std::string DeviceOf(const std::string& name) {
  const std::string path = ResolvePortName(name);
  if (path.empty()) return path;
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : path;
}

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(16384);
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::to_string(gid);
  }
  return found->gr_name;
}

std::string UserName(uid_t uid) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::to_string(uid);
  }
  return found->pw_name;
}

}  // namespace

std::string PortWithDevice(const std::string& name) {
  if (!ComNumberOf(name)) return name;
  const std::string device = DeviceOf(name);
  return device.empty() ? name : name + " (" + device + ")";
}

void ExplainOpenFailure(EventLog& log, const std::string& name, uint32_t code) {
  const std::string device = DeviceOf(name);
  if (code == EACCES || code == EPERM) {
    struct stat st {};
    if (device.empty() || ::stat(device.c_str(), &st) != 0) return;
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
      const std::string group = GroupName(st.st_gid);
      LOG_TEXT(log, LogKind::Error,
               "Twój użytkownik nie może otworzyć %s: dodaj go do grupy %s (sudo usermod -aG %s $USER) i zaloguj się "
               "ponownie.",
               "Your user may not open %s: add it to the group %s (sudo usermod -aG %s $USER) and log in again.",
               device.c_str(), group.c_str(), group.c_str());
    } else {
      LOG_TEXT(log, LogKind::Error,
               "Twój użytkownik nie może otworzyć %s, którego może używać tylko jego właściciel %s: poproś "
               "administratora tego komputera o dostęp.",
               "Your user may not open %s, which only its owner %s may use: ask the administrator of this computer "
               "for access.",
               device.c_str(), UserName(st.st_uid).c_str());
    }
    return;
  }
  if (code == EBUSY) {
    const std::string port = PortWithDevice(name);
    if (device.find("/ttyACM") != std::string::npos) {
      LOG_TEXT(log, LogKind::Error,
               "Port %s jest zajęty przez inny program. ModemManager sprawdza nowo podłączone urządzenie ttyACM przez "
               "kilka sekund: odczekaj chwilę i spróbuj ponownie albo zatrzymaj ModemManager.",
               "Another program holds %s. ModemManager probes a newly plugged ttyACM device for a few seconds: wait "
               "a moment and try again, or stop ModemManager.",
               port.c_str());
    } else {
      LOG_TEXT(log, LogKind::Error, "Port %s jest zajęty przez inny program: zamknij go i spróbuj ponownie.",
               "Another program holds %s: close it, then try again.", port.c_str());
    }
  }
}

}  // namespace stravener
