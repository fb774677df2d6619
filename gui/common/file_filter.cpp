#include "gui/common/file_filter.h"

namespace stravener::gui {

namespace {

// The pieces of text between the separators, empty ones included.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter) {
  const std::vector<std::string> parts = Split(filter, '|');
  std::vector<FileFilterEntry> entries;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the closing "||"
    FileFilterEntry entry{parts[i], {}};
    for (const std::string& pattern : Split(parts[i + 1], ';')) {
      std::string trimmed = Trimmed(pattern);
      if (!trimmed.empty()) entry.patterns.push_back(std::move(trimmed));
    }
    if (!entry.patterns.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace stravener::gui
