// The settings store in the registry: three REG_DWORD values under HKEY_CURRENT_USER
// "Software\Quillet". Each test redirects HKEY_CURRENT_USER to a scratch key of its own,
// so the user's real settings are never touched.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/settings_store.h"
#include "scratch_current_user.h"

using namespace stravener;

namespace {

class RegistrySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratchUser_.Ok()); }

  bool StoreKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(scratch_, "Software\\Quillet", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  // A value as it lies in the store: its type, size and 32-bit content.
  struct Raw {
    DWORD type = 0;
    DWORD size = 0;
    uint32_t value = 0;
  };
  Raw ReadRaw(const char* name) {
    Raw raw;
    HKEY key = nullptr;
    if (RegOpenKeyExA(scratch_, "Software\\Quillet", 0, KEY_READ, &key) != ERROR_SUCCESS) return raw;
    unsigned char data[16] = {};
    raw.size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &raw.type, data, &raw.size) == ERROR_SUCCESS && raw.size >= 4) {
      raw.value = static_cast<uint32_t>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24);
    }
    RegCloseKey(key);
    return raw;
  }

  void WriteRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(scratch_, "Software\\Quillet", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  ScratchCurrentUser scratchUser_{"settings"};
  HKEY scratch_ = scratchUser_.Key();
};

}  // namespace

TEST_F(RegistrySettingsTest, FirstStartReadsTheDefaultsAndCreatesTheKey) {
  ASSERT_FALSE(StoreKeyExists());
  EXPECT_EQ(ReadLanguageSetting(), 1);
  EXPECT_TRUE(StoreKeyExists()) << "the key is created when it is missing";
  uint32_t port = 77;
  uint32_t speed = 12345;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 1u);
  EXPECT_EQ(speed, 115200u);
  // Nothing is stored by reading.
  EXPECT_EQ(ReadRaw("Language").type, 0u);
  EXPECT_EQ(ReadRaw("Port").type, 0u);
}

TEST_F(RegistrySettingsTest, SavedValuesAreThreeDwordsAndReadBack) {
  SaveSettings(0, 12, 460800);
  for (const char* name : {"Language", "Port", "MaxSpeed"}) {
    const Raw raw = ReadRaw(name);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(raw.size, 4u) << name;
  }
  EXPECT_EQ(ReadRaw("Language").value, 0u);
  EXPECT_EQ(ReadRaw("Port").value, 12u);
  EXPECT_EQ(ReadRaw("MaxSpeed").value, 460800u);
  EXPECT_EQ(ReadLanguageSetting(), 0);
  uint32_t port = 0;
  uint32_t speed = 0;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 12u);
  EXPECT_EQ(speed, 460800u);

  // No range check either way: whatever 32-bit values were stored come back.
  SaveSettings(2, 0, 0xFFFFFFFFu);
  EXPECT_EQ(ReadLanguageSetting(), 2);
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 0u);
  EXPECT_EQ(speed, 0xFFFFFFFFu);
}

TEST_F(RegistrySettingsTest, AMissingValueKeepsItsDefault) {
  const DWORD port = 5;
  WriteRaw("Port", REG_DWORD, &port, sizeof port);
  EXPECT_EQ(ReadLanguageSetting(), 1);
  uint32_t number = 0;
  uint32_t speed = 0;
  LoadPortSettings(number, speed);
  EXPECT_EQ(number, 5u);
  EXPECT_EQ(speed, 115200u);
}

TEST_F(RegistrySettingsTest, TheStoredTypeIsNotExamined) {
  // Four bytes of any type are the value; eight bytes do not fit the 4-byte buffer, so
  // that value counts as missing.
  const unsigned char four[4] = {0x00, 0x84, 0x03, 0x00};  // 230400
  WriteRaw("MaxSpeed", REG_BINARY, four, sizeof four);
  const unsigned long long eight = 3;
  WriteRaw("Port", REG_QWORD, &eight, sizeof eight);
  uint32_t port = 0;
  uint32_t speed = 0;
  LoadPortSettings(port, speed);
  EXPECT_EQ(speed, 230400u);
  EXPECT_EQ(port, 1u);
}
