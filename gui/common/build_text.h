#pragma once

#include <string>

namespace stravener::gui {

// The About dialog's build text from the compiler's build date ("May  1 2006": a three-letter
// English month, the day in two characters with a leading blank, the year) and build time
// ("01:08:41"): "5/1/2006, 01:08:41" in English, "1.05.2006, 01:08:41" in Polish.
std::string BuildText(const std::string& date, const std::string& time, int language);

}  // namespace stravener::gui
