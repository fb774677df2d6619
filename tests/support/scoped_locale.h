#pragma once

#include <clocale>
#include <string>

// Switches the process's C locale for one test (as a desktop toolkit does at start-up from
// the environment) and restores it afterwards. Active() tells whether the locale exists.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current != nullptr ? current : "C";
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  bool Active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};
