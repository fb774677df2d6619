#include "logger/boot_loader_protocol.h"

#include <algorithm>

namespace stravener {

std::optional<ProcessorProfile> FindProcessorProfile(const uint8_t* signature) {
  for (const ProcessorProfile& profile : kProcessorProfiles) {
    if (std::equal(profile.signature.begin(), profile.signature.end(), signature)) return profile;
  }
  return std::nullopt;
}

}  // namespace stravener
