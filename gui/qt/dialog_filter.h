#pragma once

#include <QStringList>
#include <string>

namespace stravener::gui {

// A file dialog's name filters for an operation's file filter
// ("Label|pattern|Label|pattern||"), one for each file type: "Label (patterns)".
QStringList DialogFilters(const std::string& filter);

}  // namespace stravener::gui
