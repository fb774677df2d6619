#include "link/port_names.h"

namespace stravener {

std::optional<uint32_t> ComNumberOf(const std::string& name) {
  if (name.size() < 4 || name.size() > 13) return std::nullopt;
  if ((name[0] != 'C' && name[0] != 'c') || (name[1] != 'O' && name[1] != 'o') || (name[2] != 'M' && name[2] != 'm')) {
    return std::nullopt;
  }
  uint64_t number = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<uint64_t>(name[i] - '0');
  }
  if (number > 0xffffffffull) return std::nullopt;
  return static_cast<uint32_t>(number);
}

std::string PortLabel(const PortEntry& entry) {
#if defined(_WIN32)
  return entry.comName;
#else
  std::string shortDevice = entry.device;
  // The device as a short name: "ttyUSB0", "pts/3"; outside /dev its last part.
  if (shortDevice.rfind("/dev/", 0) == 0) {
    shortDevice.erase(0, 5);
  } else if (const size_t slash = shortDevice.find_last_of('/'); slash != std::string::npos) {
    shortDevice.erase(0, slash + 1);
  }
  if (entry.comName.empty()) return shortDevice;
  return entry.comName + " (" + shortDevice + ")";
#endif
}

}  // namespace stravener
