#include "gui/common/build_text.h"

#include <array>

#include "app/format.h"
#include "app/language.h"

namespace stravener::gui {

namespace {

// The part of text from position start with at most count characters; empty when the
// text is shorter.
std::string Piece(const std::string& text, size_t start, size_t count) {
  return start < text.size() ? text.substr(start, count) : std::string();
}

}  // namespace

std::string BuildText(const std::string& date, const std::string& time, int language) {
  static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int month = 1;  // a month that matches no name counts as January
  const std::string monthName = Piece(date, 0, 3);
  for (size_t i = 0; i < kMonths.size(); ++i) {
    if (monthName == kMonths[i]) {
      month = static_cast<int>(i) + 1;
      break;
    }
  }
  std::string day = Piece(date, 4, 2);
  if (!day.empty() && day[0] == ' ') day.erase(0, 1);
  const std::string year = Piece(date, 7, 4);

  if (language == kEnglish) {
    return FormatText("%d/%s/%s, %s", month, day.c_str(), year.c_str(), time.c_str());
  }
  return FormatText("%s.%02d.%s, %s", day.c_str(), month, year.c_str(), time.c_str());
}

}  // namespace stravener::gui
