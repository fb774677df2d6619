#pragma once

#include <string>
#include <vector>

namespace stravener::gui {

// One file type of a file choice: the label the dialog shows, exactly as written ("All
// files (*.*)"), and the patterns it stands for ("*.*").
struct FileFilterEntry {
  std::string label;
  std::vector<std::string> patterns;
};

// Splits an operation's file filter, "Label|pattern|Label|pattern||" (the patterns of one
// type separated by ';'), into its file types, in order. The closing "||" ends it; a type
// without patterns is dropped.
std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter);

}  // namespace stravener::gui
