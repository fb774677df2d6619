#include <windows.h>

#include "app/settings_store.h"
#include "platform/system_language.h"

namespace stravener {

namespace {

// The key is always opened the same way: created when missing, non-volatile, full access.
HKEY OpenKey() {
  HKEY key = nullptr;
  char emptyClass[] = "";
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillet", 0, emptyClass, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

// Reads a value into a 4-byte buffer; the stored type is not examined.
bool QueryValue(HKEY key, const char* name, uint32_t& value) {
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS) {
    return false;
  }
  value = data;
  return true;
}

void SetValue(HKEY key, const char* name, uint32_t value) {
  const DWORD data = value;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

}  // namespace

int32_t ReadLanguageSetting() {
  HKEY key = OpenKey();
  if (key == nullptr) return SystemLanguage();
  uint32_t value = 0;
  const bool stored = QueryValue(key, "Language", value);
  RegCloseKey(key);
  return stored ? static_cast<int32_t>(value) : SystemLanguage();
}

void LoadPortSettings(uint32_t& portNumber, uint32_t& speedLimit) {
  portNumber = kDefaultPort;
  speedLimit = kDefaultMaxSpeed;
  HKEY key = OpenKey();
  if (key == nullptr) return;
  QueryValue(key, "Port", portNumber);
  QueryValue(key, "MaxSpeed", speedLimit);
  RegCloseKey(key);
}

void SaveSettings(int32_t language, uint32_t portNumber, uint32_t speedLimit) {
  HKEY key = OpenKey();
  if (key == nullptr) return;
  SetValue(key, "Language", static_cast<uint32_t>(language));
  SetValue(key, "Port", portNumber);
  SetValue(key, "MaxSpeed", speedLimit);
  RegCloseKey(key);
}

}  // namespace stravener
