#pragma once

#include <cstdint>

namespace stravener {

// The interface language of the whole process: 0 Polish, 1 English. It is set once at
// start-up from the stored setting and changed only by ToggleLanguage. A stored value
// outside 0 and 1 is kept as it is; PickText then yields no text.
extern int Language;

constexpr int kPolish = 0;
constexpr int kEnglish = 1;

// The member of a text pair for the current language: the Polish text for 0, the English
// text for 1, nullptr for any other value.
const char* PickText(const char* polish, const char* english);

// 0 becomes 1 and 1 becomes 0; any other value is left unchanged.
void ToggleLanguage();

// The Polish ending after "bajt" in byte counts ("", "y" or "ów"); always empty in English.
const char* BytePluralEnding(uint32_t count);

}  // namespace stravener
