#pragma once

// What the settings store keeps of the per-user folder and file on POSIX; the port names
// and the simulator find that folder here, tests and fuzzing read the file's text.

#include <cstdint>
#include <optional>
#include <string>

#include "app/settings_store.h"

namespace stravener {

// The per-user folder of the settings, $XDG_CONFIG_HOME/Quillet (an absolute
// XDG_CONFIG_HOME only, as the XDG rules say), else $HOME/.config/Quillet.
std::string SettingsDirectory();
// Parses the settings file's text: "Name=value" lines. A damaged line is ignored.
struct StoredValues {
  std::optional<uint32_t> language, port, maxSpeed;
};
StoredValues ParseSettingsText(const std::string& text);

}  // namespace stravener
