#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
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

// Every conversion the program's texts use, with the argument types they are given, prints
// what the C library prints in the "C" locale; natively the C library itself confirms each
// expected text.
#if defined(_WIN32)
#define EXPECT_PRINTS(expected, format, ...) EXPECT_EQ(FormatText(format, __VA_ARGS__), expected)
#else
#define EXPECT_PRINTS(expected, format, ...)                                                          \
  do {                                                                                                \
    char viaLibrary[256];                                                                             \
    std::snprintf(viaLibrary, sizeof viaLibrary, format, __VA_ARGS__);                                \
    EXPECT_STREQ(viaLibrary, expected) << "the C library disagrees with the expected text";           \
    EXPECT_EQ(FormatText(format, __VA_ARGS__), expected);                                             \
  } while (0)
#endif

TEST(FormatTest, TheConversionsInUsePrintAsTheCLibraryDoes) {
  const uint8_t byte = 0xAB;
  const uint16_t word = 0x3C;
  EXPECT_PRINTS("Error 0xdeadbeef opening port COM3.", "Error 0x%x opening port %s.", 0xDEADBEEFu,
                "COM3");
  EXPECT_PRINTS("07-ab0c 0x003C AB", "%02x-%02x%02x 0x%04X %02X", uint8_t{7}, byte, uint8_t{12}, word, byte);
  EXPECT_PRINTS("4294967295 -2147483648 65535", "%u %d %u", 4294967295u, INT32_MIN, uint16_t{65535});
  EXPECT_PRINTS("18446744073709551615 -9223372036854775807 -7", "%llu %lld %ld",
                static_cast<unsigned long long>(UINT64_MAX), static_cast<long long>(-INT64_MAX), -7L);
  EXPECT_PRINTS("2026-05-09 07:03:00 .0000002f 000abc", "%04d-%02d-%02d %02d:%02d:%02d .%08x %06zx", 2026, 5, 9, 7,
                3, 0, 0x2Fu, size_t{0xABC});
  EXPECT_PRINTS("(123 bytes)      12.034   7% ", "(%zu bytes) %7lld.%03lld %3d%% ", size_t{123}, 12LL, 34LL, 7);
  EXPECT_PRINTS("tool   4800 logger 115200", "tool %6u logger %6u", 4800u, 115200u);
  // Rounded to the nearest, ties to even, from the binary value.
  EXPECT_PRINTS("100.0 0.1 0 2 1.00 2.675 0.125", "%3.1f %3.1f %.0f %.0f %.*f %.3f %.3f", 99.95, 0.05, 0.5, 2.5, 2,
                1.005, 2.675, 0.125);
  EXPECT_PRINTS("    3.1416 1234568 m -0.0", "%10.4f %.0f m %.1f", 3.14159265, 1234567.5, -0.04);
  EXPECT_PRINTS("COM7    /dev/ttyS0  x|  --port COMn |  info         |1.8a",
                "%-*s  %-*s  x|%-14s|  %-12s |%.4s", 6, "COM7", 10, "/dev/ttyS0", "  --port COMn", "info", "1.8ab");
  EXPECT_EQ(FormatText("%s %d%%", static_cast<const char*>(nullptr), 100), "(null) 100%");
}

TEST(FormatTest, AFormatThatDoesNotFitItsArgumentsGivesTheEmptyText) {
  EXPECT_EQ(FormatText("%d and %d", 1), "");
  EXPECT_EQ(FormatText("%d", "text"), "");
  EXPECT_EQ(FormatText(nullptr), "");
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
