#include "gui/setup_ports.h"

#include <algorithm>
#include <cctype>

#include "app/format.h"

namespace stravener::gui {

namespace {

// The leading decimal digits of text from position start; 0 when there are none. Stops
// growing at the largest 32-bit value rather than wrapping.
uint32_t LeadingNumber(const std::string& text, size_t start) {
  uint64_t number = 0;
  for (size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(text[i] - '0'), 0xffffffffull);
  }
  return static_cast<uint32_t>(number);
}

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

std::vector<std::string> PortListEntries(const std::vector<std::string>& reported) {
  std::vector<std::string> entries;
  for (std::string name : reported) {
    if (name.compare(0, 3, "COM") != 0) continue;
    if (!name.empty() && name.back() == ':') name.pop_back();
    entries.push_back(std::move(name));
  }
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    const int order = CompareIgnoringCase(a, b);
    return order != 0 ? order < 0 : a < b;
  });
  return entries;
}

uint32_t PortNumberOfEntry(const std::string& entry) { return LeadingNumber(entry, 3); }

int FindEntryWithPrefix(const std::vector<std::string>& entries, const std::string& prefix) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size() >= prefix.size() && CompareIgnoringCase(entries[i].substr(0, prefix.size()), prefix) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::vector<std::string> SpeedListEntries(uint32_t maxSpeed) {
  std::vector<std::string> entries;
  for (const uint32_t speed : kOfferedSpeeds) {
    if (maxSpeed >= speed) entries.push_back(FormatText("%u bps", speed));
  }
  return entries;
}

uint32_t SpeedOfEntry(const std::string& entry) { return LeadingNumber(entry, 0); }

}  // namespace stravener::gui
