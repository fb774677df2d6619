#pragma once

// HKEY_CURRENT_USER redirected, for this process, to a fresh scratch key of its own (named
// with a purpose and the process id), so the user's real settings are never touched; the
// redirection ends and the key goes when the object does.

#include <windows.h>

#include <string>

class ScratchCurrentUser {
 public:
  explicit ScratchCurrentUser(const std::string& purpose)
      : name_("Software\\StravenerTests\\" + purpose + "-" + std::to_string(GetCurrentProcessId())) {
    RegDeleteTreeA(HKEY_CURRENT_USER, name_.c_str());
    ok_ = RegCreateKeyExA(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr) == ERROR_SUCCESS &&
          RegOverridePredefKey(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS;
  }
  ~ScratchCurrentUser() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (key_ != nullptr) RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, name_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\StravenerTests");
  }
  ScratchCurrentUser(const ScratchCurrentUser&) = delete;
  ScratchCurrentUser& operator=(const ScratchCurrentUser&) = delete;

  // True when the redirection is in place.
  bool Ok() const { return ok_; }
  // The scratch key: what HKEY_CURRENT_USER now stands for.
  HKEY Key() const { return key_; }

 private:
  std::string name_;
  HKEY key_ = nullptr;
  bool ok_ = false;
};
