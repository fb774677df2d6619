#include "track/track_name.h"

#include <cstdio>

#include "platform/path_separator.h"

namespace stravener {

std::string DefaultTrackName(const LocalDate& date) {
  // Whole numbers only: no locale changes these digits.
  char name[48];
  std::snprintf(name, sizeof name, "%04d%02d%02d_log", date.year, date.month, date.day);
  return name;
}

namespace {

// The length of the UTF-8 sequence a lead byte begins (1 for a byte that begins none).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::string MakeTrackName(const std::string& outputPath) {
  std::string name = outputPath;
  if (const size_t separator = LastPathSeparator(name); separator != std::string::npos) {
    name.erase(0, separator + 1);
  }
  if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);

  std::string clean;
  clean.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x21 && byte <= 0x7E && byte != ',') {
      clean.push_back(static_cast<char>(byte));
      ++i;
      continue;
    }
    clean.push_back('_');
    // A letter such as "ł" is one character however many bytes it takes.
    size_t length = byte >= 0x80 ? SequenceLength(byte) : 1;
    size_t next = i + 1;
    while (next < name.size() && next < i + length && IsContinuation(static_cast<unsigned char>(name[next]))) ++next;
    i = next;
  }
  return clean;
}

}  // namespace stravener
