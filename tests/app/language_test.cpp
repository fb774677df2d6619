#include <gtest/gtest.h>

#include <string>

#include "app/language.h"
#include "support/language_guard.h"

using namespace stravener;

TEST(LanguageTest, PickTextFollowsTheCurrentLanguage) {
  {
    LanguageGuard polish(kPolish);
    EXPECT_STREQ(PickText("Port otwarty.", "Port opened."), "Port otwarty.");
  }
  {
    LanguageGuard english(kEnglish);
    EXPECT_STREQ(PickText("Port otwarty.", "Port opened."), "Port opened.");
  }
  {
    LanguageGuard other(2);
    EXPECT_EQ(PickText("Port otwarty.", "Port opened."), nullptr);
  }
}

TEST(LanguageTest, ToggleSwitchesPolishAndEnglishAndLeavesOtherValues) {
  LanguageGuard guard(kEnglish);
  ToggleLanguage();
  EXPECT_EQ(Language, kPolish);
  ToggleLanguage();
  EXPECT_EQ(Language, kEnglish);
  Language = 2;
  ToggleLanguage();
  EXPECT_EQ(Language, 2);
}

TEST(LanguageTest, PolishByteEndings) {
  LanguageGuard polish(kPolish);
  auto ending = [](uint32_t n) { return std::string(BytePluralEnding(n)); };
  EXPECT_EQ(ending(0), "ów");
  EXPECT_EQ(ending(1), "");
  for (uint32_t n = 2; n <= 4; ++n) EXPECT_EQ(ending(n), "y") << n;
  for (uint32_t n = 5; n <= 21; ++n) EXPECT_EQ(ending(n), "ów") << n;
  for (uint32_t n = 22; n <= 24; ++n) EXPECT_EQ(ending(n), "y") << n;
  for (uint32_t n = 25; n <= 31; ++n) EXPECT_EQ(ending(n), "ów") << n;
  EXPECT_EQ(ending(101), "ów");
  EXPECT_EQ(ending(102), "y");
  for (uint32_t n = 111; n <= 114; ++n) EXPECT_EQ(ending(n), "ów") << n;
  EXPECT_EQ(ending(122), "y");
  EXPECT_EQ(ending(524288), "ów");
  EXPECT_EQ(ending(2592), "y");
  EXPECT_EQ(ending(4294967294u), "y");
}

TEST(LanguageTest, EnglishEndingIsAlwaysEmpty) {
  LanguageGuard english(kEnglish);
  for (uint32_t n : {0u, 1u, 2u, 5u, 22u, 112u, 4294967295u}) EXPECT_STREQ(BytePluralEnding(n), "") << n;
}
