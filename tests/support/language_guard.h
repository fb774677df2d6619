#pragma once

#include "app/language.h"

// Sets the process-wide language for one test and restores it afterwards.
class LanguageGuard {
 public:
  explicit LanguageGuard(int language) : previous_(stravener::Language) { stravener::Language = language; }
  ~LanguageGuard() { stravener::Language = previous_; }
  LanguageGuard(const LanguageGuard&) = delete;
  LanguageGuard& operator=(const LanguageGuard&) = delete;

 private:
  int previous_;
};
