// The COM ports the printing subsystem reports (EnumPortsA, level 1), and those the serial
// drivers enter in HARDWARE\DEVICEMAP\SERIALCOMM: only names that begin with "COM"
// (capitals), a trailing colon removed, each once. The test adds its own ports to the
// machine's lists in the registry, which are read on every call, and removes them again.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "link/port_names.h"

using namespace stravener;

namespace {

const char kPortsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

class ExtraPorts {
 public:
  explicit ExtraPorts(std::vector<std::string> names) : names_(std::move(names)) {
    ok_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS;
    for (const std::string& name : names_) {
      ok_ = ok_ && RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) ==
                       ERROR_SUCCESS;
    }
  }
  ~ExtraPorts() {
    if (key_ == nullptr) return;
    for (const std::string& name : names_) RegDeleteValueA(key_, name.c_str());
    RegCloseKey(key_);
  }
  ExtraPorts(const ExtraPorts&) = delete;
  ExtraPorts& operator=(const ExtraPorts&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::vector<std::string> names_;
  HKEY key_ = nullptr;
  bool ok_ = false;
};

std::vector<std::string> Names(const std::vector<PortEntry>& entries) {
  std::vector<std::string> names;
  for (const PortEntry& entry : entries) names.push_back(entry.comName);
  return names;
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST(PortEnumerationTest, OnlyComPortsWithoutTheirColons) {
  ExtraPorts extra({"COM12:", "COM210:", "com7:", "COMX", "LPT9:", "NUL:"});
  if (!extra.Ok()) GTEST_SKIP() << "the machine's port list cannot be changed here";
  const std::vector<PortEntry> entries = EnumeratePorts();
  const std::vector<std::string> names = Names(entries);
  EXPECT_TRUE(Has(names, "COM12")) << ::testing::PrintToString(names);
  EXPECT_TRUE(Has(names, "COM210"));
  // The comparison is case-sensitive: "com7:" is not a COM port name here.
  EXPECT_FALSE(Has(names, "com7"));
  EXPECT_FALSE(Has(names, "com7:"));
  EXPECT_TRUE(Has(names, "COMX"));
  for (const std::string& name : names) {
    EXPECT_EQ(name.rfind("COM", 0), 0u) << name;
    EXPECT_NE(name.back(), ':') << name;
  }
  for (const PortEntry& entry : entries) {
    EXPECT_EQ(entry.device, entry.comName);
    EXPECT_EQ(PortLabel(entry), entry.comName);
  }
  // Numbered ports by number, so COM12 comes before COM210; other names after them.
  const auto at = [&names](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  EXPECT_LT(at("COM12"), at("COM210"));
  EXPECT_LT(at("COM210"), at("COMX"));
}

TEST(PortEnumerationTest, TheSerialDriversPortsAreMergedIn) {
  // A USB adapter's port that the spooler does not know, and one that it knows too.
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    GTEST_SKIP() << "the serial drivers' list cannot be changed here";
  }
  ExtraPorts spooler({"COM238:"});
  if (!spooler.Ok()) GTEST_SKIP() << "the machine's port list cannot be changed here";
  const std::vector<std::pair<std::string, std::string>> driverPorts = {{"\\Device\\StravenerVCP0", "COM237"},
                                                                       {"\\Device\\StravenerVCP1", "COM238"}};
  for (const auto& [device, name] : driverPorts) {
    RegSetValueExA(key, device.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>(name.size() + 1));
  }
  const std::vector<PortEntry> entries = EnumeratePorts();
  for (const auto& [device, name] : driverPorts) RegDeleteValueA(key, device.c_str());
  RegCloseKey(key);

  const std::vector<std::string> names = Names(entries);
  EXPECT_EQ(std::count(names.begin(), names.end(), "COM237"), 1) << ::testing::PrintToString(names);
  EXPECT_EQ(std::count(names.begin(), names.end(), "COM238"), 1) << "listed once";
  for (const PortEntry& entry : entries) {
    if (entry.comName == "COM237") {
      EXPECT_EQ(entry.description, "\\Device\\StravenerVCP0");
    }
  }
  EXPECT_FALSE(Has(Names(EnumeratePorts()), "COM237")) << "gone with its driver's entry";
}

TEST(PortEnumerationTest, PortsComeAndGoWithTheSystemList) {
  std::vector<std::string> before = Names(EnumeratePorts());
  ASSERT_FALSE(Has(before, "COM233"));
  {
    ExtraPorts extra({"COM233:"});
    if (!extra.Ok()) GTEST_SKIP() << "the machine's port list cannot be changed here";
    EXPECT_TRUE(Has(Names(EnumeratePorts()), "COM233"));
  }
  EXPECT_EQ(Names(EnumeratePorts()), before);
}
