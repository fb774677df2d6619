#include <gtest/gtest.h>

#include <string>

#include "app/format.h"
#include "support/language_guard.h"
#include "support/scoped_locale.h"

using namespace stravener;

TEST(FormatTest, NumbersIgnoreTheCLocale) {
  ScopedLocale polish(kPolishLocale);
  if (!polish.Active()) GTEST_SKIP() << "the locale " << kPolishLocale << " is not there on this machine";
  char viaLibrary[32];
  std::snprintf(viaLibrary, sizeof viaLibrary, "%3.1f", 0.5);
  ASSERT_STREQ(viaLibrary, "0,5") << "the locale should write a decimal comma";
  EXPECT_EQ(FormatText("%4.6f,%5.7f,%3.1f", 52.225, 38854.4309028, 99.5), "52.225000,38854.4309028,99.5");
}

TEST(FormatTest, PairsPickTheLanguageAndFormatBoth) {
  {
    LanguageGuard polish(kPolish);
    EXPECT_EQ(FORMAT_PAIR("Odczyt śladu zakończony (%u bajt%s).", "Track read (%u bytes%s).", 2592u, "y"),
              "Odczyt śladu zakończony (2592 bajty).");
  }
  {
    LanguageGuard english(kEnglish);
    EXPECT_EQ(FORMAT_PAIR("Odczyt śladu zakończony (%u bajt%s).", "Track read (%u bytes%s).", 2592u, ""),
              "Track read (2592 bytes).");
  }
  {
    LanguageGuard other(7);
    EXPECT_EQ(FORMAT_PAIR("a %d", "b %d", 1), "");
  }
}

TEST(FormatTest, LongResultsAreComplete) {
  const std::string big(1000, 'y');
  EXPECT_EQ(FormatText("[%s]", big.c_str()), "[" + big + "]");
}
