#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace stravener::cli {

// "COM7", "com7" or "7" as the port number 7; nothing for anything else.
std::optional<uint32_t> ParseComPortNumber(const std::string& text);

// A speed limit the Setup dialog can offer: 460800, 230400, 115200, 57600 or 38400.
std::optional<uint32_t> ParseSpeedLimit(const std::string& text);

}  // namespace stravener::cli
