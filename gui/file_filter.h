#pragma once

#include <QString>
#include <string>

namespace stravener::gui {

// Turns an operation's file filter, "Label|pattern|Label|pattern||" (patterns separated by
// ';'), into a file dialog's filter, "Label (pattern);;Label (pattern)". A label that
// already ends with its patterns in brackets is kept as it is, and "*.*" means every file.
QString DialogFilter(const std::string& filter);

}  // namespace stravener::gui
