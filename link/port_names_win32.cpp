// COM port names on Windows: the ports the printing subsystem reports, and those of the
// serial port drivers.

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "link/port_names.h"

namespace stravener {

std::string ResolvePortName(const std::string& name) { return name; }

namespace {

// Adds a port named "COMn" (a trailing colon removed) unless the list has it already.
void AddPort(std::vector<PortEntry>& entries, std::string comName, const std::string& description) {
  if (comName.compare(0, 3, "COM") != 0) return;
  if (!comName.empty() && comName.back() == ':') comName.pop_back();
  for (const PortEntry& entry : entries) {
    if (entry.comName == comName) return;
  }
  PortEntry entry;
  entry.comName = comName;
  entry.device = comName;
  entry.description = description;
  entries.push_back(std::move(entry));
}

// The ports of the printing subsystem: the standard ones; a USB adapter's port is often
// not among them.
void AddSpoolerPorts(std::vector<PortEntry>& entries) {
  DWORD needed = 0;
  DWORD returned = 0;
  // First without a buffer, to learn the size; only a shortage with a size goes on.
  if (::EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
    return;
  }
  std::vector<BYTE> buffer;
  try {
    buffer.resize(needed);
  } catch (...) {
    return;
  }
  if (!::EnumPortsA(nullptr, 1, buffer.data(), needed, &needed, &returned)) return;
  const auto* ports = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < returned; ++i) {
    const char* name = ports[i].pName;
    if (name == nullptr) continue;
    AddPort(entries, name, std::string());
  }
}

// The ports every serial driver enters while its device is present: the values of
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, a device name ("\Device\VCP0") with
// the COM name as its text.
void AddDriverPorts(std::vector<PortEntry>& entries) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return;
  }
  for (DWORD index = 0; index < 1024; ++index) {
    char valueName[256];
    DWORD valueNameSize = sizeof valueName;
    BYTE data[256];
    DWORD dataSize = sizeof data - 1;
    DWORD type = 0;
    const LSTATUS status =
        ::RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, &type, data, &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize] = 0;
    std::string comName(reinterpret_cast<const char*>(data));
    AddPort(entries, comName, std::string(valueName, valueNameSize));
  }
  ::RegCloseKey(key);
}

}  // namespace

std::vector<PortEntry> EnumeratePorts() {
  std::vector<PortEntry> entries;
  AddSpoolerPorts(entries);
  AddDriverPorts(entries);
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
