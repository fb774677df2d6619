#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/settings_store.h"
#include "support/temp_dir.h"

using namespace stravener;

namespace {
// Points the per-user settings at a fresh folder for one test.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) previous_ = old;
    hadPrevious_ = old != nullptr;
    setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
  }
  void TearDown() override {
    if (hadPrevious_) {
      setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }
  std::string SettingsFile() const { return dir_.File("Quillet/settings"); }

  TempDir dir_;
  std::string previous_;
  bool hadPrevious_ = false;
};
}  // namespace

TEST_F(SettingsStoreTest, FirstStartReadsDefaultsAndCreatesTheFolder) {
  EXPECT_EQ(ReadLanguageSetting(), 1);
  uint32_t port = 99, speed = 99;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 1u);
  EXPECT_EQ(speed, 115200u);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("Quillet")));
}

TEST_F(SettingsStoreTest, SavedValuesRoundTripIncludingPortZeroAndOddLanguages) {
  SaveSettings(0, 0, 57600);
  EXPECT_EQ(ReadLanguageSetting(), 0);
  uint32_t port = 5, speed = 5;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 0u);
  EXPECT_EQ(speed, 57600u);

  SaveSettings(-1, 4294967295u, 460800);
  EXPECT_EQ(ReadLanguageSetting(), -1);
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 4294967295u);
  EXPECT_EQ(speed, 460800u);
  EXPECT_EQ(ReadTextFile(SettingsFile()), "Language=4294967295\nPort=4294967295\nMaxSpeed=460800\n");
}

TEST_F(SettingsStoreTest, DamagedFileReadsAsDefaultsValueByValue) {
  std::filesystem::create_directories(dir_.File("Quillet"));
  {
    std::ofstream out(SettingsFile(), std::ios::binary);
    out << "Language=abc\nPort=7\r\nMaxSpeed=99999999999\n\x01\xff garbage\n=\nPort\n";
  }
  EXPECT_EQ(ReadLanguageSetting(), 1);
  uint32_t port = 0, speed = 0;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 7u);
  EXPECT_EQ(speed, 115200u);
}

TEST_F(SettingsStoreTest, UnreadableFileReadsAsDefaults) {
  std::filesystem::create_directories(dir_.File("Quillet/settings"));  // a folder where the file should be
  EXPECT_EQ(ReadLanguageSetting(), 1);
  uint32_t port = 0, speed = 0;
  LoadPortSettings(port, speed);
  EXPECT_EQ(port, 1u);
  EXPECT_EQ(speed, 115200u);
  SaveSettings(0, 3, 38400);  // cannot replace a folder: silently nothing
  EXPECT_EQ(ReadLanguageSetting(), 1);
}

TEST_F(SettingsStoreTest, SaveReplacesTheFileWithoutLeavingTemporaries) {
  SaveSettings(1, 3, 38400);
  SaveSettings(0, 4, 57600);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.File("Quillet"))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
  EXPECT_EQ(ReadTextFile(SettingsFile()), "Language=0\nPort=4\nMaxSpeed=57600\n");
}
