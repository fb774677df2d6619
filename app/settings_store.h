#pragma once

#include <cstdint>
#include <string>

namespace stravener {

// The three values that persist per user between runs, as 32-bit numbers. On Windows they
// are REG_DWORD values under HKEY_CURRENT_USER "Software\Quillet"; elsewhere they live in
// one small file, $XDG_CONFIG_HOME/Quillet/settings (default ~/.config/Quillet/settings),
// replaced atomically on every save.
constexpr uint32_t kDefaultPort = 1;
constexpr uint32_t kDefaultMaxSpeed = 115200;

// The stored Language. When the store or the value is missing (a first start), the
// system's language: 0 where the user works in Polish, else 1 (platform/system_language.h).
int32_t ReadLanguageSetting();

// Sets the port number to 1 and the speed limit to 115200, then takes the stored Port and
// MaxSpeed where they exist. No range check is made.
void LoadPortSettings(uint32_t& portNumber, uint32_t& speedLimit);

// Stores Language, Port and MaxSpeed; failures are silent.
void SaveSettings(int32_t language, uint32_t portNumber, uint32_t speedLimit);

}  // namespace stravener
