// COM port names on POSIX: per-user links, then devices numbered by family.

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "app/format.h"
#include "app/language.h"
#include "app/settings_store_posix.h"
#include "link/port_names_posix.h"

namespace stravener {

namespace {

struct Family {
  const char* prefix;
  uint32_t firstCom;
};

// 32 COM numbers for each family.
constexpr Family kFamilies[] = {{"ttyS", 1}, {"ttyUSB", 33}, {"ttyACM", 65}, {"rfcomm", 97}};
constexpr uint32_t kPortsPerFamily = 32;

// The family prefix and the index of a kernel name such as ttyUSB3; false for other names.
bool SplitKernelName(const std::string& name, std::string& prefix, uint32_t& index) {
  size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  if (digits == name.size() || digits == 0 || name.size() - digits > 6) return false;
  prefix = name.substr(0, digits);
  index = static_cast<uint32_t>(std::strtoul(name.c_str() + digits, nullptr, 10));
  return true;
}

const char* FamilyDescription(const std::string& prefix) {
  if (prefix == "ttyUSB") return PickTextOrEmpty("Adapter szeregowy USB", "USB serial adapter");
  if (prefix == "ttyACM") return PickTextOrEmpty("Urządzenie szeregowe USB (ACM)", "USB serial device (ACM)");
  if (prefix == "rfcomm") return PickTextOrEmpty("Port szeregowy Bluetooth", "Bluetooth serial port");
  return PickTextOrEmpty("Port szeregowy", "Serial port");
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (::realpath(path.c_str(), buffer) == nullptr) return std::string();
  return buffer;
}

// The first line of a small sysfs attribute, without its line end; empty when missing.
std::string ReadAttribute(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return std::string();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// The USB product name of the device a tty belongs to, found in the first folder above the
// tty's device (within sysfs) that has one; empty when there is none.
std::string ProductName(const std::string& sysfsRoot, const std::string& ttyFolder) {
  std::string root = RealPath(sysfsRoot);
  std::string folder = RealPath(ttyFolder + "/device");
  if (root.empty() || folder.empty()) return std::string();
  for (int level = 0; level < 5; ++level) {
    if (folder.size() <= root.size() || folder.compare(0, root.size(), root) != 0) break;
    const std::string product = ReadAttribute(folder + "/product");
    if (!product.empty()) return product;
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos) break;
    folder.resize(slash);
  }
  return std::string();
}

// Whether a serial-core port has a UART behind it. sysfs shows its type; without that
// attribute the driver is asked. A port that cannot be asked for lack of rights is kept.
bool HasUart(const std::string& ttyFolder, const std::string& devicePath) {
  const std::string type = ReadAttribute(ttyFolder + "/type");
  if (!type.empty()) return type != "0";
#if defined(__linux__) && defined(TIOCGSERIAL)
  if (ttyFolder.find("/ttyS") == std::string::npos) return true;
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno != ENXIO && errno != ENODEV && errno != EIO && errno != ENOENT;
  serial_struct serial{};
  const bool known = ::ioctl(fd, TIOCGSERIAL, &serial) != 0 || serial.type != PORT_UNKNOWN;
  ::close(fd);
  return known;
#else
  (void)devicePath;
  return true;
#endif
}

std::vector<PortEntry> DetectedDevices(const PortNameRoots& roots) {
  std::vector<PortEntry> entries;
  const std::string classFolder = roots.sysfs + "/class/tty";
  for (const std::string& name : DirectoryNames(classFolder)) {
    std::string prefix;
    uint32_t index = 0;
    if (!SplitKernelName(name, prefix, index)) continue;
    const std::string folder = classFolder + "/" + name;
    // Hardware ttys have a device; the consoles, the pseudo-terminals and the other
    // virtual ttys have none. An rfcomm port is bound to a remote device instead.
    if (prefix != "rfcomm" && !Exists(folder + "/device")) continue;
    if (prefix == "tty" || prefix == "pty" || prefix == "ttyp") continue;
    const std::string device = roots.dev + "/" + name;
    if (!HasUart(folder, device)) continue;

    PortEntry entry;
    if (const auto number = ComNumberForDevice(name)) entry.comName = FormatText("COM%u", *number);
    entry.device = device;
    entry.description = ProductName(roots.sysfs, folder);
    if (entry.description.empty()) entry.description = FamilyDescription(prefix);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<PortEntry> Links(const PortNameRoots& roots) {
  std::vector<PortEntry> entries;
  for (const std::string& name : DirectoryNames(roots.links)) {
    const auto number = ComNumberOf(name);
    if (!number || name.compare(0, 3, "COM") != 0) continue;
    const std::string target = RealPath(roots.links + "/" + name);
    struct stat st {};
    if (target.empty() || ::stat(target.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
    PortEntry entry;
    entry.comName = FormatText("COM%u", *number);
    entry.device = target;
    entry.isLink = true;
    entries.push_back(std::move(entry));
  }
  return entries;
}

uint32_t SortNumber(const PortEntry& entry) {
  const auto number = ComNumberOf(entry.comName);
  return number ? *number : UINT32_MAX;
}

}  // namespace

PortNameRoots SystemPortNameRoots() { return PortNameRoots{"/sys", "/dev", SettingsDirectory() + "/ports"}; }

std::optional<uint32_t> ComNumberForDevice(const std::string& kernelName) {
  std::string prefix;
  uint32_t index = 0;
  if (!SplitKernelName(kernelName, prefix, index) || index >= kPortsPerFamily) return std::nullopt;
  // No leading zeros: "ttyUSB01" is not a kernel name.
  if (kernelName.size() - prefix.size() > 1 && kernelName[prefix.size()] == '0') return std::nullopt;
  for (const Family& family : kFamilies) {
    if (prefix == family.prefix) return family.firstCom + index;
  }
  return std::nullopt;
}

std::string DeviceForComNumber(uint32_t number) {
  for (const Family& family : kFamilies) {
    if (number >= family.firstCom && number < family.firstCom + kPortsPerFamily) {
      return FormatText("%s%u", family.prefix, number - family.firstCom);
    }
  }
  return std::string();
}

std::string ResolvePortName(const std::string& name, const PortNameRoots& roots) {
  const auto number = ComNumberOf(name);
  if (!number) return name;
  const std::string link = roots.links + FormatText("/COM%u", *number);
  if (Exists(link)) return link;
  const std::string device = DeviceForComNumber(*number);
  if (device.empty()) return std::string();
  return roots.dev + "/" + device;
}

std::string ResolvePortName(const std::string& name) { return ResolvePortName(name, SystemPortNameRoots()); }

std::vector<PortEntry> EnumeratePorts(const PortNameRoots& roots) {
  std::vector<PortEntry> links = Links(roots);
  std::vector<PortEntry> devices = DetectedDevices(roots);
  std::set<std::string> linked;
  for (PortEntry& link : links) {
    linked.insert(link.comName);
    for (const PortEntry& device : devices) {
      if (RealPath(device.device) == link.device) {
        link.description = device.description;
        break;
      }
    }
    if (link.description.empty()) link.description = PickTextOrEmpty("dowiązanie użytkownika", "user link");
  }
  std::vector<PortEntry> entries = std::move(links);
  for (PortEntry& device : devices) {
    // The link wins the name; the device stays reachable by its path.
    if (linked.count(device.comName) != 0) device.comName.clear();
    entries.push_back(std::move(device));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) {
    const uint32_t na = SortNumber(a);
    const uint32_t nb = SortNumber(b);
    if (na != nb) return na < nb;
    return a.device < b.device;
  });
  return entries;
}

std::vector<PortEntry> EnumeratePorts() { return EnumeratePorts(SystemPortNameRoots()); }

}  // namespace stravener
