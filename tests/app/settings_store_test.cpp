#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/settings_store.h"
#include "support/temp_dir.h"

using namespace stravener;

namespace {
// An environment variable set (or, with nullptr, removed) for one test.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadPrevious_ = old != nullptr;
    if (hadPrevious_) previous_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(hadPrevious_ ? previous_.c_str() : nullptr); }
  void Set(const char* value) {
    if (value != nullptr) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string previous_;
  bool hadPrevious_ = false;
};

// Points the per-user settings at a fresh folder for one test, on an English system.
class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string SettingsFile() const { return dir_.File("Quillet/settings"); }

  TempDir dir_;
  ScopedVariable configHome_{"XDG_CONFIG_HOME", dir_.Path().c_str()};
  ScopedVariable lcAll_{"LC_ALL", nullptr};
  ScopedVariable lcMessages_{"LC_MESSAGES", nullptr};
  ScopedVariable lang_{"LANG", "C.UTF-8"};
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

TEST_F(SettingsStoreTest, FirstStartTakesTheLanguageOfTheEnvironment) {
  // LC_ALL, then LC_MESSAGES, then LANG: the first that is set and not empty decides.
  struct Case {
    const char *lcAll, *lcMessages, *lang;
    int32_t language;
  } const cases[] = {
      {nullptr, nullptr, "pl_PL.UTF-8", 0}, {nullptr, nullptr, "pl", 0},
      {nullptr, nullptr, "pl_PL@euro", 0},  {nullptr, nullptr, "en_GB.UTF-8", 1},
      {nullptr, nullptr, nullptr, 1},       {nullptr, nullptr, "C", 1},
      {nullptr, nullptr, "plt_XX", 1},      {nullptr, "pl_PL.UTF-8", "en_US.UTF-8", 0},
      {nullptr, "en_US.UTF-8", "pl_PL", 1}, {"C.UTF-8", "pl_PL.UTF-8", "pl_PL.UTF-8", 1},
      {"pl_PL.UTF-8", "en_US", "en_US", 0}, {"", "", "pl_PL.UTF-8", 0},
  };
  for (const Case& c : cases) {
    lcAll_.Set(c.lcAll);
    lcMessages_.Set(c.lcMessages);
    lang_.Set(c.lang);
    EXPECT_EQ(ReadLanguageSetting(), c.language)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
  }
  // A stored language wins over the system's, and a file without one is a first start.
  lang_.Set("pl_PL.UTF-8");
  SaveSettings(1, 1, 115200);
  EXPECT_EQ(ReadLanguageSetting(), 1);
  {
    std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
    out << "Port=3\n";
  }
  EXPECT_EQ(ReadLanguageSetting(), 0);
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
