#pragma once

// The per-user settings of one test kept apart from the user's own, and gone afterwards.

#if defined(_WIN32)
#include "windows/scratch_current_user.h"

// HKEY_CURRENT_USER redirected to a scratch key of this process.
class ScopedConfigHome {
 private:
  ScratchCurrentUser user_{"settings"};
};
#else
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

// A private settings folder for one test: XDG_CONFIG_HOME points into a fresh temporary
// folder and is restored afterwards.
class ScopedConfigHome {
 public:
  ScopedConfigHome() {
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    ::setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
  }
  ~ScopedConfigHome() {
    if (hadPrevious_) {
      ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }
  std::string SettingsFile() const { return dir_.File("Quillet/settings"); }
  void WriteSettings(const std::string& text) const {
    std::filesystem::create_directories(dir_.Path() / "Quillet");
    std::ofstream(SettingsFile(), std::ios::binary) << text;
  }

 private:
  TempDir dir_;
  bool hadPrevious_ = false;
  std::string previous_;
};
#endif
