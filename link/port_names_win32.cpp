// COM port names on Windows: the ports the printing subsystem reports.

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "link/port_names.h"

namespace stravener {

std::string ResolvePortName(const std::string& name) { return name; }

std::vector<PortEntry> EnumeratePorts() {
  std::vector<PortEntry> entries;
  DWORD needed = 0;
  DWORD returned = 0;
  // First without a buffer, to learn the size; only a shortage with a size goes on.
  if (::EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
    return entries;
  }
  std::vector<BYTE> buffer;
  try {
    buffer.resize(needed);
  } catch (...) {
    return entries;
  }
  if (!::EnumPortsA(nullptr, 1, buffer.data(), needed, &needed, &returned)) return entries;
  const auto* ports = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < returned; ++i) {
    const char* name = ports[i].pName;
    if (name == nullptr || std::strncmp(name, "COM", 3) != 0) continue;
    std::string comName = name;
    if (!comName.empty() && comName.back() == ':') comName.pop_back();
    PortEntry entry;
    entry.comName = comName;
    entry.device = comName;
    entries.push_back(std::move(entry));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) {
    const auto na = ComNumberOf(a.comName);
    const auto nb = ComNumberOf(b.comName);
    const uint32_t ka = na ? *na : 0xffffffffu;
    const uint32_t kb = nb ? *nb : 0xffffffffu;
    if (ka != kb) return ka < kb;
    return a.comName < b.comName;
  });
  return entries;
}

}  // namespace stravener
