#include "app/language.h"

namespace stravener {

int Language = kEnglish;

const char* PickText(const char* polish, const char* english) {
  if (Language == kPolish) return polish;
  if (Language == kEnglish) return english;
  return nullptr;
}

void ToggleLanguage() {
  if (Language == kPolish) {
    Language = kEnglish;
  } else if (Language == kEnglish) {
    Language = kPolish;
  }
}

const char* BytePluralEnding(uint32_t count) {
  if (Language != kPolish || count == 1) return "";
  const uint32_t lastTwo = count % 100;
  if (lastTwo >= 12 && lastTwo <= 14) return "ów";
  const uint32_t last = count % 10;
  if (last < 2 || last > 4) return "ów";
  return "y";
}

}  // namespace stravener
